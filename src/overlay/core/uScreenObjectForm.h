// The own window of a shape: a borderless, top-most, unowned tool window
// shaped by (a copy of) the shape's region, optionally layered with an alpha
// value and click-through. It forwards mouse input to the overlay window and
// lets the user change the transparency by moving with Shift held.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include "win/Canvas.h"
#include "win/DibBitmap.h"
#include "win/Handles.h"

class TScreenObject;

// Keys and buttons held during a mouse event.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Called when the module unloads, after the last own window is gone: a class left
// registered would point at code that is no longer there.
void UnregisterScreenObjectFormClass();

// Shift state of a mouse message's wParam plus the Alt key.
TShiftState ShiftStateFromMessage(WPARAM wParam);

class TScreenObjectForm {
public:
  TScreenObjectForm();   // creates the hidden 1 x 1 window (FormCreate)
  ~TScreenObjectForm();  // FormDestroy, then destroys the window
  TScreenObjectForm(const TScreenObjectForm&) = delete;
  TScreenObjectForm& operator=(const TScreenObjectForm&) = delete;

  HWND Handle() const { return window_.get(); }

  TScreenObject* ScreenObject = nullptr;
  win::Region Region;              // our copy of the region last handed to the window
  int32_t Alpha = 0;
  bool ClickThrough = false;
  std::unique_ptr<win::DibBitmap> Image;   // the picture; only picture shapes create it
  bool ShiftActive = false;
  int32_t ShiftStartX = 0;
  int32_t ShiftStartY = 0;
  int32_t MouseX = 0;
  int32_t MouseY = 0;

  void SetScreenObject(TScreenObject* shape);
  // Hands the window a copy of rgn (the system owns the copy); skipped only
  // when the window already has a region of equal contents.
  void SetRegion(HRGN rgn);
  void SetAlpha(int32_t percent);
  void SetClickThrough(bool on);
  void CreateImage();
  // The picture's canvas (a blank picture of the client size is created when
  // there is none); nullptr without Image.
  win::Canvas* GetCanvas();
  // Cursor shown over the window's client area; nullptr keeps the class cursor.
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }
  void SetColor(COLORREF color);
  COLORREF GetColor() const { return color_; }
  void SetVisible(bool visible);
  bool IsVisible() const;
  RECT WindowRect() const;         // screen coordinates

  // Window events (also callable directly).
  void FormShow();
  void FormResize();
  void FormMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void FormMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void FormMouseMove(TShiftState shift, int x, int y);
  void FormClick() {}
  void FormDblClick();
  // x, y relative to the window.
  void FormMouseWheel(TShiftState shift, int wheelDelta, int x, int y);
  void FormMouseWheelDown(TShiftState shift, int x, int y);
  void FormMouseWheelUp(TShiftState shift, int x, int y);

private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  HWND OverlayWindow() const;      // nullptr without shape or overlay window
  LPARAM ScreenLParam(int x, int y) const;

  win::Window window_;
  COLORREF color_ = RGB(0, 0, 0);
  HCURSOR cursor_ = nullptr;
  win::GdiObject brush_;
};
