#include "uScreenObjectForm.h"
#include "uQzPlaneTools.h"
#include "uScreenObject.h"
#include "uWindowRegion.h"

namespace {

const char kClassName[] = "QzScreenObjectForm";

HINSTANCE moduleInstance() {
  HMODULE m = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&moduleInstance), &m);
  return m;
}

LPARAM packPoint(int64_t x, int64_t y) {
  return MAKELPARAM(static_cast<WORD>(x & 0xFFFF), static_cast<WORD>(y & 0xFFFF));
}

UINT downMessage(TMouseButton b) {
  return b == TMouseButton::mbLeft ? WM_LBUTTONDOWN : b == TMouseButton::mbRight ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
}
UINT upMessage(TMouseButton b) {
  return b == TMouseButton::mbLeft ? WM_LBUTTONUP : b == TMouseButton::mbRight ? WM_RBUTTONUP : WM_MBUTTONUP;
}

}  // namespace

TShiftState ShiftStateFromMessage(WPARAM wParam) {
  TShiftState s = 0;
  if (wParam & MK_SHIFT) s |= ssShift;
  if (wParam & MK_CONTROL) s |= ssCtrl;
  if (wParam & MK_LBUTTON) s |= ssLeft;
  if (wParam & MK_RBUTTON) s |= ssRight;
  if (wParam & MK_MBUTTON) s |= ssMiddle;
  if (::GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

namespace {
bool g_classRegistered = false;
}

void UnregisterScreenObjectFormClass() {
  if (g_classRegistered) ::UnregisterClassA(kClassName, moduleInstance());
  g_classRegistered = false;
}

TScreenObjectForm::TScreenObjectForm() {
  bool& registered = g_classRegistered;
  HINSTANCE inst = moduleInstance();
  if (!registered) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &TScreenObjectForm::WindowProc;
    wc.hInstance = inst;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_CROSS);
    wc.lpszClassName = kClassName;
    registered = ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }
  SetColor(RGB(0, 0, 0));
  // No owner: an owned window would hide or drag its owner, the overlay window.
  // The extended style is exactly WS_EX_TOOLWINDOW (kept off the task bar).
  window_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "ObjectForm", WS_POPUP, 0, 0, 1, 1,
                                  nullptr, nullptr, inst, this));
}

TScreenObjectForm::~TScreenObjectForm() {
  window_.reset();
  Image.reset();   // FormDestroy
}

LRESULT CALLBACK TScreenObjectForm::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<TScreenObjectForm*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) ::SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
  if (self && self->window_.get() == wnd) {
    try {
      LRESULT r = 0;
      if (self->HandleMessage(msg, wParam, lParam, r)) return r;
    } catch (...) {
      // No exception may leave a window procedure.
    }
  }
  return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

bool TScreenObjectForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
  switch (msg) {
    case WM_MOUSEACTIVATE:
      result = MA_NOACTIVATE;
      return true;
    case WM_ERASEBKGND: {
      RECT rc;
      ::GetClientRect(window_.get(), &rc);
      ::FillRect(reinterpret_cast<HDC>(wParam), &rc, static_cast<HBRUSH>(brush_.get()));
      result = 1;
      return true;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(window_.get(), &ps);
      if (Image && !Image->empty()) ::BitBlt(dc, 0, 0, Image->width(), Image->height(), Image->dc(), 0, 0, SRCCOPY);
      ::EndPaint(window_.get(), &ps);
      return true;
    }
    case WM_SIZE: FormResize(); return false;
    case WM_SETCURSOR:
      if (cursor_ && LOWORD(lParam) == HTCLIENT) { ::SetCursor(cursor_); result = TRUE; return true; }
      return false;
    case WM_LBUTTONDOWN: FormMouseDown(TMouseButton::mbLeft, ShiftStateFromMessage(wParam), x, y); return true;
    case WM_RBUTTONDOWN: FormMouseDown(TMouseButton::mbRight, ShiftStateFromMessage(wParam), x, y); return true;
    case WM_MBUTTONDOWN: FormMouseDown(TMouseButton::mbMiddle, ShiftStateFromMessage(wParam), x, y); return true;
    case WM_LBUTTONUP: FormMouseUp(TMouseButton::mbLeft, ShiftStateFromMessage(wParam), x, y); return true;
    case WM_RBUTTONUP: FormMouseUp(TMouseButton::mbRight, ShiftStateFromMessage(wParam), x, y); return true;
    case WM_MBUTTONUP: FormMouseUp(TMouseButton::mbMiddle, ShiftStateFromMessage(wParam), x, y); return true;
    case WM_LBUTTONDBLCLK: FormDblClick(); return true;
    case WM_MOUSEMOVE: FormMouseMove(ShiftStateFromMessage(wParam), x, y); return true;
    case WM_MOUSEWHEEL: {
      POINT p{x, y};   // the wheel reports screen coordinates
      ::ScreenToClient(window_.get(), &p);
      const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      const TShiftState shift = ShiftStateFromMessage(GET_KEYSTATE_WPARAM(wParam));
      FormMouseWheel(shift, delta, p.x, p.y);
      // Not marked handled, so the direction event follows.
      if (delta < 0) FormMouseWheelDown(shift, p.x, p.y);
      else if (delta > 0) FormMouseWheelUp(shift, p.x, p.y);
      return true;
    }
    default: return false;
  }
}

HWND TScreenObjectForm::OverlayWindow() const {
  return ScreenObject && ScreenObject->OverlayForm ? ScreenObject->OverlayForm->OverlayHandle() : nullptr;
}

LPARAM TScreenObjectForm::ScreenLParam(int x, int y) const {
  RECT r = WindowRect();
  return packPoint(int64_t(x) + r.left, int64_t(y) + r.top);
}

void TScreenObjectForm::SetScreenObject(TScreenObject* shape) { ScreenObject = shape; }

void TScreenObjectForm::SetRegion(HRGN rgn) {
  win::Region mine(::CreateRectRgn(0, 0, 0, 0));
  if (!mine) return;
  if (rgn) ::CombineRgn(mine.get(), rgn, nullptr, RGN_COPY);
  // Compare contents, never handles: a handle value may be reused.
  if (Region && ::EqualRgn(Region.get(), mine.get())) return;
  win::Region forWindow(::CreateRectRgn(0, 0, 0, 0));
  if (!forWindow) return;
  ::CombineRgn(forWindow.get(), mine.get(), nullptr, RGN_COPY);
  BoundWindowRegion(forWindow, kDisplayCoordinates);
  if (::SetWindowRgn(window_.get(), forWindow.get(), TRUE)) forWindow.release();   // the system owns it now
  Region = std::move(mine);
}

void TScreenObjectForm::SetAlpha(int32_t percent) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  if (percent == Alpha) return;
  Alpha = percent;
  SetLayeredTransparency(window_.get(), Alpha, ClickThrough);
}

void TScreenObjectForm::SetClickThrough(bool on) {
  if (on == ClickThrough) return;
  ClickThrough = on;
  SetLayeredTransparency(window_.get(), Alpha, ClickThrough);
  ::InvalidateRect(window_.get(), nullptr, TRUE);
}

void TScreenObjectForm::CreateImage() {
  if (!Image) Image = std::make_unique<win::DibBitmap>();
}

win::Canvas* TScreenObjectForm::GetCanvas() {
  if (!Image) return nullptr;
  if (Image->empty()) {
    RECT rc{};
    ::GetClientRect(window_.get(), &rc);
    Image->setSize(rc.right - rc.left, rc.bottom - rc.top);
  }
  return Image->canvas();
}

void TScreenObjectForm::SetColor(COLORREF color) {
  color_ = color;
  brush_.reset(::CreateSolidBrush(color));
  if (window_) ::InvalidateRect(window_.get(), nullptr, TRUE);
}

void TScreenObjectForm::SetVisible(bool visible) {
  if (visible) {
    if (!IsVisible()) FormShow();
  } else if (IsVisible()) {
    ::ShowWindow(window_.get(), SW_HIDE);
  }
}

bool TScreenObjectForm::IsVisible() const { return window_ && ::IsWindowVisible(window_.get()); }

RECT TScreenObjectForm::WindowRect() const {
  RECT r{};
  if (window_) ::GetWindowRect(window_.get(), &r);
  return r;
}

void TScreenObjectForm::FormShow() {
  ::SetWindowPos(window_.get(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void TScreenObjectForm::FormResize() {
  if (Image) Image->setSize(0, 0);   // the next GetCanvas gives a blank picture of the new size
}

void TScreenObjectForm::FormMouseDown(TMouseButton button, TShiftState, int x, int y) {
  if (HWND o = OverlayWindow()) ::SendMessageA(o, downMessage(button), 0, ScreenLParam(x, y));
}

void TScreenObjectForm::FormMouseUp(TMouseButton button, TShiftState, int x, int y) {
  if (HWND o = OverlayWindow()) ::SendMessageA(o, upMessage(button), 0, ScreenLParam(x, y));
}

void TScreenObjectForm::FormMouseMove(TShiftState shift, int x, int y) {
  MouseX = x;
  MouseY = y;
  if (shift == ssShift) {
    if (!ShiftActive) {
      ShiftActive = true;
      ShiftStartX = x;
      ShiftStartY = y;
    }
    if (x == ShiftStartX && y == ShiftStartY) return;
    const int64_t ax = std::abs(int64_t(ShiftStartX) - x), ay = std::abs(int64_t(ShiftStartY) - y);
    if (ax == ay) return;   // diagonal: no direction, the start stays
    const int64_t v = (ay < ax ? int64_t(ShiftStartX) - x : int64_t(ShiftStartY) - y) + Alpha;
    if (v >= 0 && v <= 96) {
      if (ScreenObject) ScreenObject->SetTransparentFactor(static_cast<int32_t>(v));
      else SetAlpha(static_cast<int32_t>(v));
    }
    ShiftStartX = x;
    ShiftStartY = y;
    return;
  }
  ShiftActive = false;
  if (HWND o = OverlayWindow()) ::SendMessageA(o, WM_MOUSEMOVE, 0, packPoint(x, y));
}

void TScreenObjectForm::FormDblClick() {
  if (HWND o = OverlayWindow()) ::PostMessageA(o, WM_LBUTTONDBLCLK, 0, 0);
}

void TScreenObjectForm::FormMouseWheel(TShiftState, int wheelDelta, int x, int y) {
  if (HWND o = OverlayWindow())
    ::PostMessageA(o, WM_MOUSEWHEEL, static_cast<WPARAM>(wheelDelta), ScreenLParam(x, y));
}

void TScreenObjectForm::FormMouseWheelDown(TShiftState, int x, int y) {
  if (HWND o = OverlayWindow()) ::PostMessageA(o, WM_MBUTTONDOWN, 0, ScreenLParam(x, y));
}

void TScreenObjectForm::FormMouseWheelUp(TShiftState, int x, int y) {
  if (HWND o = OverlayWindow()) ::PostMessageA(o, WM_MBUTTONUP, 0, ScreenLParam(x, y));
}
