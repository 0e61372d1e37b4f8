// Helpers for tests that use the overlay library as a host does: loading the
// real dll, finding its window, collecting the messages it posts.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "QzScreenOverlay.h"

namespace qztest {

// Lets the calling thread handle its messages for about ms milliseconds.
inline void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
  }
}

struct Posted {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Posted& o) const { return msg == o.msg && wParam == o.wParam && lParam == o.lParam; }
};

inline std::ostream& operator<<(std::ostream& os, const Posted& p) {
  return os << "{WM_USER+" << (p.msg - WM_USER) << ", " << p.wParam << ", " << p.lParam << "}";
}

// A window that records the overlay messages it receives.
class CallbackWindow {
public:
  CallbackWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QzOverlayTestCallback";
    RegisterClassA(&wc);
    wnd_ = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                           nullptr);
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~CallbackWindow() { DestroyWindow(wnd_); }
  HWND handle() const { return wnd_; }
  // Pumps, then hands over what arrived since the last call.
  std::vector<Posted> Take(DWORD pumpMs = 30) {
    Pump(pumpMs);
    std::vector<Posted> out;
    out.swap(received_);
    return out;
  }
  // Only the status codes of what arrived.
  std::vector<int> TakeStatus(DWORD pumpMs = 30) {
    std::vector<int> codes;
    for (const Posted& p : Take(pumpMs))
      if (p.msg == WM_TRANSPARENTELEMENT_STATUSCHANGED) codes.push_back(static_cast<int>(p.lParam));
    return codes;
  }

private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CallbackWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self && msg >= WM_TRANSPARENTELEMENT_CLICK && msg <= WM_TRANSPARENTELEMENT_STATUSCHANGED) {
      self->received_.push_back(Posted{msg, wp, lp});
      return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
  }
  HWND wnd_ = nullptr;
  std::vector<Posted> received_;
};

inline BOOL CALLBACK FindOverlayProc(HWND wnd, LPARAM out) {
  char name[64] = {};
  GetClassNameA(wnd, name, sizeof name);
  if (std::string(name) != "TTransparentForm") return TRUE;
  *reinterpret_cast<HWND*>(out) = wnd;
  return FALSE;
}

// The overlay window of the calling thread, or null.
inline HWND FindOverlayWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindOverlayProc, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The real library, loaded for one test and unloaded after it, with its exports.
struct OverlayDll {
  HMODULE module = nullptr;
  decltype(&QzScreenOverlay_Clear) Clear = nullptr;
  decltype(&QzScreenOverlay_Finalize) Finalize = nullptr;
  decltype(&QzScreenOverlay_SetCallBackWindowHandle) SetCallBackWindowHandle = nullptr;
  decltype(&QzScreenOverlay_Operation) Operation = nullptr;
  decltype(&QzScreenOverlay_Point) Point = nullptr;
  decltype(&QzScreenOverlay_Line) Line = nullptr;
  decltype(&QzScreenOverlay_Polyline) Polyline = nullptr;
  decltype(&QzScreenOverlay_Rectangle) Rectangle = nullptr;
  decltype(&QzScreenOverlay_Ellipse) Ellipse = nullptr;
  decltype(&QzScreenOverlay_Text) Text = nullptr;
  decltype(&QzScreenOverlay_BitmapByFile) BitmapByFile = nullptr;
  decltype(&QzScreenOverlay_BitmapByResource) BitmapByResource = nullptr;
  decltype(&QzScreenOverlay_ScriptCommand) ScriptCommand = nullptr;
  decltype(&QzScreenOverlay_ScriptCommandFile) ScriptCommandFile = nullptr;

  OverlayDll() {
    module = LoadLibraryA("Qz-DarariRuzoriv.dll");
    if (!module) return;
    Resolve(Clear, "QzScreenOverlay_Clear");
    Resolve(Finalize, "QzScreenOverlay_Finalize");
    Resolve(SetCallBackWindowHandle, "QzScreenOverlay_SetCallBackWindowHandle");
    Resolve(Operation, "QzScreenOverlay_Operation");
    Resolve(Point, "QzScreenOverlay_Point");
    Resolve(Line, "QzScreenOverlay_Line");
    Resolve(Polyline, "QzScreenOverlay_Polyline");
    Resolve(Rectangle, "QzScreenOverlay_Rectangle");
    Resolve(Ellipse, "QzScreenOverlay_Ellipse");
    Resolve(Text, "QzScreenOverlay_Text");
    Resolve(BitmapByFile, "QzScreenOverlay_BitmapByFile");
    Resolve(BitmapByResource, "QzScreenOverlay_BitmapByResource");
    Resolve(ScriptCommand, "QzScreenOverlay_ScriptCommand");
    Resolve(ScriptCommandFile, "QzScreenOverlay_ScriptCommandFile");
  }
  ~OverlayDll() {
    if (module) FreeLibrary(module);
    // Drop what the unloaded library left in our queue.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
  }
  OverlayDll(const OverlayDll&) = delete;
  OverlayDll& operator=(const OverlayDll&) = delete;
  bool ok() const { return module && Clear && Finalize && SetCallBackWindowHandle && Operation && Point && Line &&
                           Polyline && Rectangle && Ellipse && Text && BitmapByFile && BitmapByResource &&
                           ScriptCommand && ScriptCommandFile; }

private:
  template <class F>
  void Resolve(F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
};

// Fixture: a freshly loaded library per test, IDs starting at 1.
class OverlayDllTest : public ::testing::Test {
protected:
  void SetUp() override {
    dll_ = std::make_unique<OverlayDll>();
    ASSERT_TRUE(dll_->ok()) << "Qz-DarariRuzoriv.dll must be in the working folder";
  }
  void TearDown() override { dll_.reset(); }
  OverlayDll& dll() { return *dll_; }
  std::unique_ptr<OverlayDll> dll_;
};

// Moves the cursor and checks that it arrived (other programs may move it too).
inline bool PlaceCursor(int x, int y) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    SetCursorPos(x, y);
    POINT p{};
    GetCursorPos(&p);
    if (p.x == x && p.y == y) return true;
    Sleep(20);
  }
  return false;
}

}  // namespace qztest
