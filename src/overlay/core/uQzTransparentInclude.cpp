#include "uQzTransparentInclude.h"
#include <cmath>
#include "uQzPlaneTools.h"

double Distance(int32_t dx, int32_t dy) { return std::sqrt(double(dx) * dx + double(dy) * dy); }
double DistanceBetween(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  return std::sqrt((double(x2) - x1) * (double(x2) - x1) + (double(y2) - y1) * (double(y2) - y1));
}
double VectorLength(const POINT& v) { return std::sqrt(double(v.x) * v.x + double(v.y) * v.y); }
void NormalVector(const POINT&, TDoublePoint& result, double) { result = TDoublePoint{}; }
void IntersectLines(const POINT&, const POINT&, const POINT&, const POINT&, POINT& result) {
  result = POINT{QZ_MAXINT, QZ_MAXINT};
}
bool ClipLineToRect(const RECT&, const POINT&, const POINT&, POINT&, POINT&) { return false; }
bool PointInRect(const RECT& r, const POINT& p) {
  return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}
static HRGN ensure(HRGN r) { return r ? r : ::CreateRectRgn(0, 0, 0, 0); }
HRGN DrawLineRgn(win::Canvas*, const RECT&, HRGN region, POINT, POINT, int32_t, COLORREF) {
  return ensure(region);
}
HRGN DrawLineRgnF(win::Canvas*, const RECT&, HRGN region, double, double, double, double, int32_t,
                  COLORREF) {
  return ensure(region);
}
HRGN PolygonRgn(win::Canvas*, const RECT&, HRGN region, const POINT*, int, bool) {
  return ensure(region);
}
HRGN CircleMarkerRgn(win::Canvas*, const RECT&, HRGN region, POINT, int32_t, bool, COLORREF) {
  return ensure(region);
}
HRGN SquareMarkerRgn(win::Canvas*, const RECT&, HRGN region, POINT, int32_t, bool, COLORREF) {
  return ensure(region);
}
HRGN RectRgn(win::Canvas*, const RECT&, HRGN region, const RECT&, bool, COLORREF) {
  return ensure(region);
}
HRGN EllipseRgn(win::Canvas*, const RECT&, HRGN region, const RECT&, bool, int32_t, COLORREF) {
  return ensure(region);
}
HRGN DrawPointMarker(win::Canvas*, const RECT&, HRGN region, POINT, int32_t, COLORREF, int32_t,
                     int32_t, int32_t) {
  return ensure(region);
}
HRGN DrawPointMarkerAt(win::Canvas*, const RECT&, HRGN region, int32_t, int32_t, int32_t, COLORREF,
                       int32_t) {
  return ensure(region);
}
bool TransparentBlit(HDC, int, int, int, int, HDC, int, int, int, int, COLORREF) { return true; }
HRGN PixelRegion(const win::DibBitmap&, int, int, COLORREF) { return ::CreateRectRgn(0, 0, 0, 0); }
