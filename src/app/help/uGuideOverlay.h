// The overlay library as the program uses it: the guide lines of the
// step-by-step help. The library is loaded when the first guide is drawn, not at
// the program's start (loading it makes its window and starts its timers): a
// batch run draws none and never loads it. Until then there is nothing to clear.
#pragma once
#include <windows.h>

// The window the library names as its message target once it is loaded.
void GuideOverlayCallbackWindow(HWND window);

void GuideOverlayClear();
void GuideOverlayPoint(int x, int y, int style, COLORREF color);
void GuideOverlayRectangle(int left, int top, int right, int bottom, COLORREF color);
void GuideOverlayLine(int x1, int y1, int x2, int y2, COLORREF color);

// True once the library is loaded (tests).
bool GuideOverlayLoaded();
