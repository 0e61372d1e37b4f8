#include "uScreenObjectForm.h"
#include "uScreenObject.h"

TShiftState ShiftStateFromMessage(WPARAM) { return 0; }
TScreenObjectForm::TScreenObjectForm() {}
TScreenObjectForm::~TScreenObjectForm() = default;
void TScreenObjectForm::SetScreenObject(TScreenObject* s) { ScreenObject = s; }
void TScreenObjectForm::SetRegion(HRGN) {}
void TScreenObjectForm::SetAlpha(int32_t p) { Alpha = p; }
void TScreenObjectForm::SetClickThrough(bool on) { ClickThrough = on; }
void TScreenObjectForm::CreateImage() {}
win::Canvas* TScreenObjectForm::GetCanvas() { return nullptr; }
void TScreenObjectForm::SetColor(COLORREF c) { color_ = c; }
void TScreenObjectForm::SetVisible(bool) {}
bool TScreenObjectForm::IsVisible() const { return false; }
RECT TScreenObjectForm::WindowRect() const { return RECT{}; }
void TScreenObjectForm::FormShow() {}
void TScreenObjectForm::FormResize() {}
void TScreenObjectForm::FormMouseDown(TMouseButton, TShiftState, int, int) {}
void TScreenObjectForm::FormMouseUp(TMouseButton, TShiftState, int, int) {}
void TScreenObjectForm::FormMouseMove(TShiftState, int, int) {}
void TScreenObjectForm::FormDblClick() {}
void TScreenObjectForm::FormMouseWheel(TShiftState, int, int, int) {}
void TScreenObjectForm::FormMouseWheelDown(TShiftState, int, int) {}
void TScreenObjectForm::FormMouseWheelUp(TShiftState, int, int) {}
LRESULT CALLBACK TScreenObjectForm::WindowProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
  return ::DefWindowProcA(wnd, msg, w, l);
}
LRESULT TScreenObjectForm::HandleMessage(UINT, WPARAM, LPARAM) { return 0; }
HWND TScreenObjectForm::OverlayWindow() const { return nullptr; }
LPARAM TScreenObjectForm::ScreenLParam(int, int) const { return 0; }
