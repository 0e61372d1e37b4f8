// Finding and pressing the information window's controls in the real library.
#pragma once
#include "OverlayDll.h"

inline HWND InfoWindow() { return OwnWindow("QzTransparentAboutForm"); }
inline bool InfoShowing() { return ::IsWindowVisible(InfoWindow()) != FALSE; }

struct ButtonSearch {
  const char* caption;
  HWND found;
};

inline BOOL CALLBACK MatchCaption(HWND wnd, LPARAM p) {
  auto* s = reinterpret_cast<ButtonSearch*>(p);
  char text[64] = {};
  ::GetWindowTextA(wnd, text, sizeof text);
  if (std::string(text) != s->caption) return TRUE;
  s->found = wnd;
  return FALSE;
}

inline HWND FindButton(const char* caption) {
  ButtonSearch search{caption, nullptr};
  ::EnumChildWindows(InfoWindow(), MatchCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline void Click(const char* caption) {
  HWND button = FindButton(caption);
  ASSERT_TRUE(button) << caption;
  ::SendMessageA(button, BM_CLICK, 0, 0);
}

// One library session per test program, so the waits of the tests run side by side.
class DllAbout : public ::testing::Test {
protected:
  void SetUp() override {
    loaded_ = ::GetTickCount();
    ASSERT_TRUE(dll_.Load());
  }
  void TearDown() override {
    dll_.Finalize();
    dll_.Unload();
  }
  TOverlayDll dll_;
  DWORD loaded_ = 0;
};
