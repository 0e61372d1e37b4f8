#include "help/uGuideOverlay.h"

namespace {

const char kOverlayLibrary[] = "Qz-DarariRuzoriv.dll";

using ClearFn = int(__stdcall*)();
using WindowFn = int(__stdcall*)(HWND);
using PointFn = int(__stdcall*)(int, int, int, COLORREF);
using RectFn = int(__stdcall*)(int, int, int, int, COLORREF);

struct Overlay {
  bool tried = false;
  HWND callback = nullptr;
  ClearFn clear = nullptr;
  WindowFn setCallback = nullptr;
  PointFn point = nullptr;
  RectFn rectangle = nullptr, line = nullptr;
};

Overlay& overlay() {
  static Overlay o;
  return o;
}

template <class F>
F function(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(m, name)));
}

// Loads the library once; a library that cannot be loaded or lacks a function
// leaves the guides undrawn, as the program cannot help it.
Overlay* loaded() {
  Overlay& o = overlay();
  if (!o.tried) {
    o.tried = true;
    if (HMODULE m = ::LoadLibraryA(kOverlayLibrary)) {
      o.clear = function<ClearFn>(m, "QzScreenOverlay_Clear");
      o.setCallback = function<WindowFn>(m, "QzScreenOverlay_SetCallBackWindowHandle");
      o.point = function<PointFn>(m, "QzScreenOverlay_Point");
      o.rectangle = function<RectFn>(m, "QzScreenOverlay_Rectangle");
      o.line = function<RectFn>(m, "QzScreenOverlay_Line");
      if (!o.clear || !o.setCallback || !o.point || !o.rectangle || !o.line) o.clear = nullptr;
    }
    // As the program's start did with the library loaded with it: a clear
    // screen (which also ends its information window's timer) and the target.
    if (o.clear) {
      o.clear();
      o.setCallback(o.callback);
    }
  }
  return o.clear ? &o : nullptr;
}

}  // namespace

void GuideOverlayCallbackWindow(HWND window) {
  Overlay& o = overlay();
  o.callback = window;
  if (o.clear) o.setCallback(window);
}

void GuideOverlayClear() {
  if (overlay().clear) overlay().clear();
}

void GuideOverlayPoint(int x, int y, int style, COLORREF color) {
  if (Overlay* o = loaded()) o->point(x, y, style, color);
}

void GuideOverlayRectangle(int left, int top, int right, int bottom, COLORREF color) {
  if (Overlay* o = loaded()) o->rectangle(left, top, right, bottom, color);
}

void GuideOverlayLine(int x1, int y1, int x2, int y2, COLORREF color) {
  if (Overlay* o = loaded()) o->line(x1, y1, x2, y2, color);
}

bool GuideOverlayLoaded() { return overlay().clear != nullptr; }
