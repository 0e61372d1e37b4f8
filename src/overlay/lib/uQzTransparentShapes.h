// Builds the shape of each creating routine of the overlay window, with its
// points and settings in the order the overlay applies them. Each returns the
// finished shape; failures throw (the overlay turns them into -3).
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "overlay/core/uScreenObject.h"
#include "win/Canvas.h"

std::unique_ptr<TScreenObject> MakePointShape(int x, int y, int style, COLORREF color);
std::unique_ptr<TScreenObject> MakeLineShape(POINT start, POINT end, COLORREF color, int lineWidth);
std::unique_ptr<TScreenObject> MakePolylineShape(const POINT* points, int count, COLORREF color,
                                                 int lineWidth, bool filled);
std::unique_ptr<TScreenObject> MakeRectangleShape(const RECT& rect, COLORREF color, int lineWidth,
                                                  bool filled);
std::unique_ptr<TScreenObject> MakeEllipseShape(const RECT& rect, COLORREF color, int lineWidth,
                                                bool filled);
std::unique_ptr<TScreenObject> MakeTextShape(POINT pos, const std::string& text, const win::Font& font);
// The file must exist (the caller checks); null when it vanished meanwhile. A
// picture that cannot be decoded throws.
std::unique_ptr<TScreenObject> MakeBitmapFromFileShape(POINT pos, const std::string& fileName,
                                                       COLORREF transparentColor);
// resourceName may be "#n" for the ordinal n.
std::unique_ptr<TScreenObject> MakeBitmapFromResourceShape(POINT pos, HINSTANCE instance,
                                                           const std::string& resourceName,
                                                           COLORREF transparentColor);
