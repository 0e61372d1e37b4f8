// A minimal concrete shape and a fake overlay window for the base-class tests.
#pragma once
#include <windows.h>
#include <vector>
#include "uQzTransparentInclude.h"
#include "uScreenObject.h"

// Draws a filled square marker at every point, following the shapes' pattern.
class TTestShape : public TScreenObject {
public:
  explicit TTestShape(int capacity = 4) {
    SetCapacity(capacity);
    SetPointSize(8);
    SetPointType(2);
    Type = 1;
  }
  HRGN Draw(win::Canvas*& canvas, const RECT& clip, bool flag, HRGN rgn) override {
    if (!Visible) return rgn;
    TScreenObject::Draw(canvas, clip, flag, rgn);
    NewRegion(nullptr);
    for (int i = 0; i < PointCount; ++i)
      DrawPointMarker(canvas, clip, Region.get(), POINT{Points[i].ScreenX, Points[i].ScreenY},
                      PointType, PointColor, PointSize, 0, 0);
    ++draws;
    return AddRegionTo(rgn);
  }
  int draws = 0;
};

// A real top-level window standing in for the overlay window; records the
// mouse messages it receives.
class FakeOverlay : public IOverlayForm {
public:
  struct Msg {
    UINT msg;
    WPARAM w;
    LPARAM l;
  };
  FakeOverlay() {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = &FakeOverlay::Proc;
      wc.hInstance = ::GetModuleHandleA(nullptr);
      wc.lpszClassName = "QzFakeOverlay";
      ::RegisterClassA(&wc);
      registered = true;
    }
    wnd_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, "QzFakeOverlay", "overlay", WS_POPUP, 0, 0, 50, 50,
                             nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~FakeOverlay() { ::DestroyWindow(wnd_); }
  HWND OverlayHandle() const override { return wnd_; }
  void Pump() {
    MSG m;
    while (::PeekMessageA(&m, wnd_, 0, 0, PM_REMOVE)) ::DispatchMessageA(&m);
  }
  std::vector<Msg> msgs;

private:
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<FakeOverlay*>(::GetWindowLongPtrA(w, GWLP_USERDATA));
    if (self && ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST)))
      self->msgs.push_back(Msg{msg, wp, lp});
    return ::DefWindowProcA(w, msg, wp, lp);
  }
  HWND wnd_;
};
