// Plane geometry and the drawing routines every shape paints through. Each
// drawing routine draws on the canvas when one is given (nullptr: region
// only), ORs the area it covers into the given region and returns that same
// region. Given a null region, a routine creates one and returns it (the
// caller then owns it). Temporary GDI objects never outlive the call.
#pragma once
#include <windows.h>
#include <cstdint>
#include "win/Canvas.h"
#include "win/DibBitmap.h"

// Marks "no intersection" in both coordinates.
constexpr int32_t QZ_MAXINT = 2147483647;

struct TDoublePoint {
  double x = 0;
  double y = 0;
};

double Distance(int32_t dx, int32_t dy);
double DistanceBetween(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
double VectorLength(const POINT& v);
// (v.y * L / |v|, -v.x * L / |v|); (0, 0) for the zero vector.
void NormalVector(const POINT& v, TDoublePoint& result, double length);
// Point where P + s*d meets Q + t*e; (QZ_MAXINT, QZ_MAXINT) when parallel or
// when e equals d.
void IntersectLines(const POINT& p, const POINT& d, const POINT& q, const POINT& e, POINT& result);
// The first two crossings of P + s*d with the border lines (top, bottom,
// left, right) that lie on the rectangle. A corner crossing counts once.
bool ClipLineToRect(const RECT& rect, const POINT& p, const POINT& d, POINT& first, POINT& second);
bool PointInRect(const RECT& rect, const POINT& pt);

HRGN DrawLineRgn(win::Canvas* canvas, const RECT& clip, HRGN region, POINT p1, POINT p2,
                 int32_t width, COLORREF color);
HRGN DrawLineRgnF(win::Canvas* canvas, const RECT& clip, HRGN region, double x1, double y1,
                  double x2, double y2, int32_t width, COLORREF color);
// With separate, returns a new region of the polygon alone (caller owns it)
// and neither draws nor touches region.
HRGN PolygonRgn(win::Canvas* canvas, const RECT& clip, HRGN region, const POINT* points,
                int count, bool separate);
HRGN CircleMarkerRgn(win::Canvas* canvas, const RECT& clip, HRGN region, POINT centre, int32_t r,
                     bool filled, COLORREF color);
HRGN SquareMarkerRgn(win::Canvas* canvas, const RECT& clip, HRGN region, POINT centre, int32_t r,
                     bool filled, COLORREF color);
HRGN RectRgn(win::Canvas* canvas, const RECT& clip, HRGN region, const RECT& rect, bool filled,
             COLORREF color);
HRGN EllipseRgn(win::Canvas* canvas, const RECT& clip, HRGN region, const RECT& rect, bool filled,
                int32_t width, COLORREF color);
// Marker types: 0 cross, 1 circle, 2 square, 3 arrow head (tip at the point,
// pointing along (dirX, dirY)); any other type draws nothing.
HRGN DrawPointMarker(win::Canvas* canvas, const RECT& clip, HRGN region, POINT pt, int32_t type,
                     COLORREF color, int32_t size, int32_t dirY, int32_t dirX);
HRGN DrawPointMarkerAt(win::Canvas* canvas, const RECT& clip, HRGN region, int32_t x, int32_t y,
                       int32_t type, COLORREF color, int32_t size);
// Stretches the source rectangle onto dest at (x, y, w, h), leaving dest
// untouched where the source has the transparent colour.
bool TransparentBlit(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                     COLORREF transparent);

// A new region (caller owns it) of every pixel of the bitmap whose colour
// differs from the transparent colour, with the bitmap's pixel (0, 0) placed
// at (left, top). Built from horizontal runs in one region call.
HRGN PixelRegion(const win::DibBitmap& bitmap, int left, int top, COLORREF transparent);
