#include "uQzTransparentInclude.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#include "uQzPlaneTools.h"
#include "win/Handles.h"

namespace {

// Directions and differences of 32-bit coordinates need 33 bits.
struct Vec64 {
  int64_t x, y;
};

// a*b == c*d for operands of up to 34 bits: the products need up to 68 bits,
// more than any floating type holds exactly, so compare 128-bit products.
struct U128 {
  uint64_t hi, lo;
};
U128 mulU(uint64_t a, uint64_t b) {
  uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  U128 r;
  r.lo = (p00 & 0xFFFFFFFFu) | (mid << 32);
  r.hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
  return r;
}
bool productsEqual(int64_t a, int64_t b, int64_t c, int64_t d) {
  bool n1 = (a < 0) != (b < 0) && a != 0 && b != 0;
  bool n2 = (c < 0) != (d < 0) && c != 0 && d != 0;
  if (n1 != n2) return false;   // one product is negative, the other is not
  U128 p = mulU(a < 0 ? uint64_t(-a) : uint64_t(a), b < 0 ? uint64_t(-b) : uint64_t(b));
  U128 q = mulU(c < 0 ? uint64_t(-c) : uint64_t(c), d < 0 ? uint64_t(-d) : uint64_t(d));
  return p.hi == q.hi && p.lo == q.lo;
}

void intersect(const POINT& p, Vec64 d, const POINT& q, Vec64 e, POINT& result) {
  result = POINT{QZ_MAXINT, QZ_MAXINT};
  if (e.x == d.x && e.y == d.y) return;
  if (productsEqual(e.x, d.y, e.y, d.x)) return;   // parallel
  long double num = (static_cast<long double>(int64_t(p.x) - q.x) * d.y) -
                    static_cast<long double>(d.x) * (int64_t(p.y) - q.y);
  long double den = static_cast<long double>(e.x) * d.y - static_cast<long double>(e.y) * d.x;
  double t = static_cast<double>(num / den);
  result.x = RoundSat(static_cast<double>(e.x) * t + q.x);
  result.y = RoundSat(t * static_cast<double>(e.y) + q.y);
}

bool clipLine(const RECT& r, const POINT& p, Vec64 d, POINT& first, POINT& second) {
  const POINT bases[4] = {{r.left, r.top}, {r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
  const Vec64 dirs[4] = {{1, 0}, {1, 0}, {0, 1}, {0, 1}};
  POINT found[2];
  int n = 0;
  for (int i = 0; i < 4 && n < 2; ++i) {
    POINT s;
    intersect(p, d, bases[i], dirs[i], s);
    if (s.x == QZ_MAXINT && s.y == QZ_MAXINT) continue;
    if (!PointInRect(r, s)) continue;
    // A line through a corner meets two border lines there: one point.
    if (n == 1 && s.x == found[0].x && s.y == found[0].y) continue;
    found[n++] = s;
  }
  if (n < 2) return false;
  first = found[0];
  second = found[1];
  return true;
}

HRGN ensureRegion(HRGN r) { return r ? r : ::CreateRectRgn(0, 0, 0, 0); }

bool withinGdi(const POINT& p) {
  return -kGdiCoordinateLimit <= p.x && p.x <= kGdiCoordinateLimit && -kGdiCoordinateLimit <= p.y &&
         p.y <= kGdiCoordinateLimit;
}

// The polygon cut to the square GDI can take, one side at a time
// (Sutherland-Hodgman): the same pixels within the square, none beyond it.
std::vector<POINT> clipToGdi(const POINT* pts, int n) {
  std::vector<POINT> result(pts, pts + n);
  if (std::all_of(result.begin(), result.end(), withinGdi)) return result;
  struct P {
    double x, y;
  };
  std::vector<P> poly;
  for (int i = 0; i < n; ++i) poly.push_back(P{double(pts[i].x), double(pts[i].y)});
  const double L = kGdiCoordinateLimit;
  // Each side: which coordinate, and the sign of the half-plane kept (v * sign <= L).
  const struct {
    bool x;
    double sign;
  } sides[4] = {{true, 1}, {true, -1}, {false, 1}, {false, -1}};
  for (const auto& side : sides) {
    auto value = [&](const P& p) { return (side.x ? p.x : p.y) * side.sign; };
    std::vector<P> out;
    for (size_t i = 0; i < poly.size(); ++i) {
      const P& cur = poly[i];
      const P& prev = poly[(i + poly.size() - 1) % poly.size()];
      const bool curIn = value(cur) <= L, prevIn = value(prev) <= L;
      if (curIn != prevIn) {
        const double t = (L - value(prev)) / (value(cur) - value(prev));
        out.push_back(P{prev.x + t * (cur.x - prev.x), prev.y + t * (cur.y - prev.y)});
      }
      if (curIn) out.push_back(cur);
    }
    poly.swap(out);
  }
  result.clear();
  for (const P& p : poly) result.push_back(POINT{RoundSat(p.x), RoundSat(p.y)});
  return result;
}

void orInto(HRGN target, HRGN part) {
  if (target && part) ::CombineRgn(target, target, part, RGN_OR);
}

LONG c32(int64_t v) { return Clamp32(v); }

void orPolygon(HRGN target, const POINT* pts, int n) {
  const std::vector<POINT> clipped = clipToGdi(pts, n);
  if (clipped.size() < 3) return;
  win::Region part(::CreatePolygonRgn(clipped.data(), static_cast<int>(clipped.size()), WINDING));
  orInto(target, part.get());
}

// A box for GDI: its corners ordered and held to the range GDI takes.
RECT ordered(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  return RECT{ClampGdi(x1 < x2 ? x1 : x2), ClampGdi(y1 < y2 ? y1 : y2), ClampGdi(x1 < x2 ? x2 : x1),
              ClampGdi(y1 < y2 ? y2 : y1)};
}

bool boxWithinGdi(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return -kGdiCoordinateLimit <= left && right <= kGdiCoordinateLimit && -kGdiCoordinateLimit <= top &&
         bottom <= kGdiCoordinateLimit;
}

// A filled ellipse too large for GDI, as its rows within the clip rectangle:
// the rows whose pixel centres lie inside.
win::Region largeEllipse(int64_t cx, int64_t cy, int64_t la, int64_t lb, const RECT& clip) {
  win::Region rows(::CreateRectRgn(0, 0, 0, 0));
  const double ha = double(la) + 0.5, hb = double(lb) + 0.5;
  const int64_t top = std::max<int64_t>(clip.top, cy - lb), bottom = std::min<int64_t>(clip.bottom, cy + lb + 1);
  for (int64_t y = top; y < bottom && rows; ++y) {
    const double ry = (double(y) - double(cy)) / hb;
    if (ry <= -1 || ry >= 1) continue;
    const double hx = ha * std::sqrt(1 - ry * ry);
    const int64_t x0 = std::max<int64_t>(clip.left, int64_t(std::floor(double(cx) + 0.5 - hx)) + 1);
    const int64_t x1 = std::min<int64_t>(clip.right, int64_t(std::ceil(double(cx) + 0.5 + hx)));
    if (x0 >= x1) continue;
    win::Region row(::CreateRectRgn(LONG(x0), LONG(y), LONG(x1), LONG(y + 1)));
    orInto(rows.get(), row.get());
  }
  return rows;
}

void orEllipse(HRGN target, const RECT& r) {
  win::Region part(::CreateEllipticRgn(r.left, r.top, r.right, r.bottom));
  orInto(target, part.get());
}

}  // namespace

double Distance(int32_t dx, int32_t dy) {
  return std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
}

double DistanceBetween(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  double dx = static_cast<double>(int64_t(x2) - x1), dy = static_cast<double>(int64_t(y2) - y1);
  return std::sqrt(dx * dx + dy * dy);
}

double VectorLength(const POINT& v) {
  // 64-bit sum: the squares of two 32-bit values overflow 32 bits.
  return std::sqrt(static_cast<double>(static_cast<uint64_t>(int64_t(v.x) * v.x) +
                                       static_cast<uint64_t>(int64_t(v.y) * v.y)));
}

void NormalVector(const POINT& v, TDoublePoint& result, double length) {
  double len = VectorLength(v);
  if (len == 0) {
    result = TDoublePoint{0, 0};
    return;
  }
  result.x = v.y * length / len;
  result.y = -static_cast<double>(v.x) * length / len;
}

void IntersectLines(const POINT& p, const POINT& d, const POINT& q, const POINT& e, POINT& result) {
  intersect(p, Vec64{d.x, d.y}, q, Vec64{e.x, e.y}, result);
}

bool ClipLineToRect(const RECT& rect, const POINT& p, const POINT& d, POINT& first, POINT& second) {
  return clipLine(rect, p, Vec64{d.x, d.y}, first, second);
}

bool PointInRect(const RECT& r, const POINT& p) {
  return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

HRGN DrawLineRgn(win::Canvas* canvas, const RECT& clip, HRGN region, POINT p1, POINT p2,
                 int32_t width, COLORREF color) {
  region = ensureRegion(region);
  if ((p1.x < clip.left && p2.x < clip.left) || (p1.x > clip.right && p2.x > clip.right) ||
      (p1.y < clip.top && p2.y < clip.top) || (p1.y > clip.bottom && p2.y > clip.bottom))
    return region;
  auto strictlyInside = [&](const POINT& p) {
    return clip.left < p.x && p.x < clip.right && clip.top < p.y && p.y < clip.bottom;
  };
  if (!(strictlyInside(p1) && strictlyInside(p2))) {
    POINT a, b;
    if (!clipLine(clip, p1, Vec64{int64_t(p2.x) - p1.x, int64_t(p2.y) - p1.y}, a, b)) return region;
    // An outside end moves to the border point on its side of the segment.
    auto replace = [&](POINT& end, const POINT& other) {
      if (PointInRect(clip, end)) return;
      if (end.x == other.x) {
        bool larger = end.y > other.y;
        end = (a.y > b.y) == larger ? a : b;
      } else {
        bool larger = end.x > other.x;
        end = (a.x > b.x) == larger ? a : b;
      }
    };
    replace(p1, p2);
    replace(p2, p1);
  }
  if (canvas) {
    canvas->setPenColor(color);
    canvas->setPenWidth(width);
  }
  if (width == 1) {
    const POINT band1[4] = {p1, p2, {p2.x, c32(int64_t(p2.y) + 1)}, {p1.x, c32(int64_t(p1.y) + 1)}};
    const POINT band2[4] = {p1, p2, {c32(int64_t(p2.x) + 1), p2.y}, {c32(int64_t(p1.x) + 1), p1.y}};
    orPolygon(region, band1, 4);
    orPolygon(region, band2, 4);
    if (canvas) {
      canvas->setPenWidth(2);
      canvas->line(p1.x, p1.y, p2.x, p2.y);
      canvas->setPenWidth(1);
    }
    return region;
  }
  int32_t w = width == 2 ? 3 : width;
  TDoublePoint n;
  NormalVector(POINT{c32(int64_t(p1.x) - p2.x), c32(int64_t(p1.y) - p2.y)}, n, w);
  int64_t tx = TruncSat(n.x / 2), ty = TruncSat(n.y / 2);
  const POINT band[4] = {{c32(p1.x + tx), c32(p1.y + ty)},
                         {c32(p2.x + tx), c32(p2.y + ty)},
                         {c32(p2.x - tx), c32(p2.y - ty)},
                         {c32(p1.x - tx), c32(p1.y - ty)}};
  orPolygon(region, band, 4);
  int64_t A = w / 2;
  orEllipse(region, ordered(p1.x - A, p1.y + A, p1.x + A, p1.y - A));
  orEllipse(region, ordered(p2.x - A, p2.y + A, p2.x + A, p2.y - A));
  if (canvas) canvas->line(p1.x, p1.y, p2.x, p2.y);
  return region;
}

HRGN DrawLineRgnF(win::Canvas* canvas, const RECT& clip, HRGN region, double x1, double y1,
                  double x2, double y2, int32_t width, COLORREF color) {
  return DrawLineRgn(canvas, clip, region, POINT{TruncSat(x1), TruncSat(y1)},
                     POINT{TruncSat(x2), TruncSat(y2)}, width, color);
}

HRGN PolygonRgn(win::Canvas* canvas, const RECT&, HRGN region, const POINT* points, int count,
                bool separate) {
  const std::vector<POINT> clipped = points && count > 0 ? clipToGdi(points, count) : std::vector<POINT>();
  const int n = static_cast<int>(clipped.size());
  HRGN part = n > 0 ? ::CreatePolygonRgn(clipped.data(), n, WINDING) : nullptr;
  if (!part) part = ::CreateRectRgn(0, 0, 0, 0);
  if (separate) return part;
  region = ensureRegion(region);
  orInto(region, part);
  ::DeleteObject(part);
  if (canvas && n > 0) canvas->polygon(clipped.data(), n);
  return region;
}

HRGN CircleMarkerRgn(win::Canvas* canvas, const RECT&, HRGN region, POINT c, int32_t r,
                     bool filled, COLORREF color) {
  region = ensureRegion(region);
  int64_t x = c.x, y = c.y;
  if (canvas) {
    canvas->setBrushColor(color);
    canvas->setPenColor(color);
    canvas->setBrushStyle(filled ? win::BrushStyle::Solid : win::BrushStyle::Clear);
    const RECT e = ordered(x - r, y - r, x + r + 1, y + r + 1);
    canvas->ellipse(e.left, e.top, e.right, e.bottom);
  }
  const RECT outer = ordered(x - r, y - r, x + r + 2, y + r + 2);
  win::Region part(::CreateEllipticRgnIndirect(&outer));
  if (!filled && part) {
    const RECT hole = ordered(x - r + 1, y - r + 1, x + r + 1, y + r + 1);
    win::Region inner(::CreateEllipticRgnIndirect(&hole));
    if (inner) ::CombineRgn(part.get(), part.get(), inner.get(), RGN_DIFF);
  }
  orInto(region, part.get());
  return region;
}

HRGN SquareMarkerRgn(win::Canvas* canvas, const RECT&, HRGN region, POINT c, int32_t r,
                     bool filled, COLORREF color) {
  region = ensureRegion(region);
  int64_t x = c.x, y = c.y;
  const RECT outer = ordered(x - r - 1, y - r - 1, x + r + 1, y + r + 1);
  if (canvas) {
    canvas->setBrushStyle(filled ? win::BrushStyle::Solid : win::BrushStyle::Clear);
    canvas->setBrushColor(color);
    canvas->rectangle(outer);
  }
  win::Region part(::CreateRectRgnIndirect(&outer));
  if (!filled && part) {
    const RECT hole = ordered(x - r + 1, y - r + 1, x + r - 1, y + r - 1);
    win::Region inner(::CreateRectRgnIndirect(&hole));
    if (inner) ::CombineRgn(part.get(), part.get(), inner.get(), RGN_DIFF);
  }
  orInto(region, part.get());
  return region;
}

HRGN RectRgn(win::Canvas* canvas, const RECT&, HRGN region, const RECT& rect, bool filled,
             COLORREF color) {
  region = ensureRegion(region);
  RECT n;
  NormalizeRect(rect, n);
  int64_t l = n.left, t = n.top, r = n.right, b = n.bottom;
  const RECT outer = ordered(l, t, r + 1, b + 1);
  if (canvas) {
    canvas->setBrushStyle(filled ? win::BrushStyle::Solid : win::BrushStyle::Clear);
    canvas->setBrushColor(color);
    if (filled) canvas->rectangle(outer);
    else canvas->frameRect(ordered(l, t, r, b));
  }
  win::Region part(::CreateRectRgnIndirect(&outer));
  if (!filled && part) {
    const RECT hole = ordered(l + 1, t + 1, r - 1, b - 1);
    win::Region inner(::CreateRectRgnIndirect(&hole));
    if (inner) ::CombineRgn(part.get(), part.get(), inner.get(), RGN_DIFF);
  }
  orInto(region, part.get());
  return region;
}

HRGN EllipseRgn(win::Canvas* canvas, const RECT& clip, HRGN region, const RECT& rect, bool filled,
                int32_t width, COLORREF color) {
  region = ensureRegion(region);
  RECT n;
  NormalizeRect(rect, n);
  int64_t a = (int64_t(n.right) - n.left) / 2, b = (int64_t(n.bottom) - n.top) / 2;
  int64_t cx = (int64_t(n.right) + n.left) / 2, cy = (int64_t(n.bottom) + n.top) / 2;
  if (!filled) {
    const double pi = 3.1415926535897932385;
    POINT prev{c32(cx + a), c32(cy - b)};
    for (int i = 1; i <= 360; ++i) {
      double t = i / 180.0 * pi;
      double c = std::cos(t), s = std::sin(t);
      POINT p{c32(cx + TruncSat(a * (c + s))), c32(cy + TruncSat(b * (s - c)))};
      region = DrawLineRgn(canvas, clip, region, p, prev, width, color);
      prev = p;
    }
    return region;
  }
  int64_t la = TruncSat(std::sqrt(2.0) * a), lb = TruncSat(std::sqrt(2.0) * b);
  if (!boxWithinGdi(cx - la, cy - lb, cx + la + 1, cy + lb + 1)) {
    win::Region part = largeEllipse(cx, cy, la, lb, clip);
    if (canvas && part) {
      win::GdiObject brush(::CreateSolidBrush(color));
      ::FillRgn(canvas->handle(), part.get(), static_cast<HBRUSH>(brush.get()));
    }
    orInto(region, part.get());
    return region;
  }
  if (canvas) {
    canvas->setBrushStyle(win::BrushStyle::Solid);
    canvas->setBrushColor(color);
    RECT e = ordered(cx - la, cy + lb, cx + la, cy - lb);
    canvas->ellipse(e.left, e.top, e.right, e.bottom);
  }
  orEllipse(region, ordered(cx - la, cy + lb, cx + la + 1, cy - lb + 1));
  return region;
}

HRGN DrawPointMarker(win::Canvas* canvas, const RECT& clip, HRGN region, POINT pt, int32_t type,
                     COLORREF color, int32_t size, int32_t dirY, int32_t dirX) {
  region = ensureRegion(region);
  if (type < 0 || type > 3) return region;
  int64_t h = size / 2, x = pt.x, y = pt.y;
  if (canvas) {
    canvas->setPenColor(color);
    canvas->setBrushColor(color);
  }
  switch (type) {
    case 0:
      region = DrawLineRgnF(canvas, clip, region, double(x - h), double(y - h), double(x + h),
                            double(y + h), 1, color);
      return DrawLineRgnF(canvas, clip, region, double(x - h), double(y + h), double(x + h),
                          double(y - h), 1, color);
    case 1: return CircleMarkerRgn(canvas, clip, region, pt, c32(h), true, color);
    case 2: return SquareMarkerRgn(canvas, clip, region, pt, c32(h), true, color);
    default: break;
  }
  // Extended precision, so that cos(-pi/2) * h does not pull a value such as
  // -4 just above it and truncate it to -3.
  const long double pi = 3.14159265358979323846264338327950288L;
  long double phi;
  if (dirX == 0) phi = dirY > 0 ? pi / 2 : -pi / 2;
  else {
    phi = std::atan(static_cast<long double>(dirY) / dirX);
    if (dirX < 0) phi += pi;
  }
  long double hc = h * std::cos(phi), hs = h * std::sin(phi);
  const POINT tri[3] = {pt,
                        {c32(x + TruncSat(double(hc + hs))), c32(y + TruncSat(double(hc - hs)))},
                        {c32(x + TruncSat(double(hs - hc))), c32(y + TruncSat(double(hs + hc)))}};
  return PolygonRgn(canvas, clip, region, tri, 3, false);
}

HRGN DrawPointMarkerAt(win::Canvas* canvas, const RECT& clip, HRGN region, int32_t x, int32_t y,
                       int32_t type, COLORREF color, int32_t size) {
  return DrawPointMarker(canvas, clip, region, POINT{x, y}, type, color, size, 0, 0);
}

bool TransparentBlit(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                     COLORREF transparent) {
  if (w <= 0 || h <= 0) return true;
  win::MemDc backDc(::CreateCompatibleDC(dest)), resultDc(::CreateCompatibleDC(dest)),
      copyDc(::CreateCompatibleDC(dest)), maskDc(::CreateCompatibleDC(dest));
  win::GdiObject back(::CreateCompatibleBitmap(dest, w, h)),
      result(::CreateCompatibleBitmap(dest, w, h)), copy(::CreateCompatibleBitmap(dest, w, h)),
      mask(::CreateBitmap(w, h, 1, 1, nullptr));
  if (!backDc || !resultDc || !copyDc || !maskDc || !back || !result || !copy || !mask) return true;
  {
    win::SelectScope s1(backDc.get(), back.get()), s2(resultDc.get(), result.get()),
        s3(copyDc.get(), copy.get()), s4(maskDc.get(), mask.get());
    ::SetStretchBltMode(maskDc.get(), COLORONCOLOR);
    ::SetStretchBltMode(copyDc.get(), COLORONCOLOR);
    ::BitBlt(backDc.get(), 0, 0, w, h, dest, x, y, SRCCOPY);
    COLORREF oldBk = ::SetBkColor(src, transparent);
    ::StretchBlt(maskDc.get(), 0, 0, w, h, src, sx, sy, sw, sh, SRCCOPY);
    ::BitBlt(maskDc.get(), 0, 0, w, h, nullptr, 0, 0, DSTINVERT);
    ::SetBkColor(src, oldBk);
    ::StretchBlt(copyDc.get(), 0, 0, w, h, src, sx, sy, sw, sh, SRCCOPY);
    // Mono-to-colour blits map 0 to the text colour and 1 to the background.
    ::SetBkColor(resultDc.get(), RGB(255, 255, 255));
    ::SetTextColor(resultDc.get(), RGB(0, 0, 0));
    ::SetBkColor(copyDc.get(), RGB(255, 255, 255));
    ::SetTextColor(copyDc.get(), RGB(0, 0, 0));
    ::BitBlt(resultDc.get(), 0, 0, w, h, maskDc.get(), 0, 0, SRCCOPY);
    ::BitBlt(copyDc.get(), 0, 0, w, h, resultDc.get(), 0, 0, SRCAND);
    ::BitBlt(resultDc.get(), 0, 0, w, h, maskDc.get(), 0, 0, NOTSRCCOPY);
    ::BitBlt(resultDc.get(), 0, 0, w, h, backDc.get(), 0, 0, SRCAND);
    ::BitBlt(resultDc.get(), 0, 0, w, h, copyDc.get(), 0, 0, SRCPAINT);
    ::BitBlt(dest, x, y, w, h, resultDc.get(), 0, 0, SRCCOPY);
  }
  return true;
}

HRGN PixelRegion(const win::DibBitmap& bitmap, int left, int top, COLORREF transparent) {
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  if (bitmap.empty() || !region) return region;
  ::GdiFlush();
  const uint32_t key = (GetRValue(transparent) << 16) | (GetGValue(transparent) << 8) |
                       GetBValue(transparent);
  const int w = bitmap.width(), h = bitmap.height();
  const uint32_t* bits = bitmap.bits();
  // Rectangles go to the system in batches: one region call per batch.
  const size_t batch = 4000;
  std::vector<RECT> rects;
  auto flush = [&]() {
    if (rects.empty()) return;
    std::vector<char> buf(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buf.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    const RECT bound{ClampGdi(left), ClampGdi(top), ClampGdi(int64_t(left) + w), ClampGdi(int64_t(top) + h)};
    data->rdh.rcBound = bound;
    memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
    win::Region part(::ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), data));
    orInto(region, part.get());
    rects.clear();
  };
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = bits + static_cast<size_t>(y) * w;
    int x = 0;
    while (x < w) {
      while (x < w && (row[x] & 0xFFFFFF) == key) ++x;
      if (x >= w) break;
      int start = x;
      while (x < w && (row[x] & 0xFFFFFF) != key) ++x;
      // Held to GDI's range: a picture beyond it lies off every display.
      rects.push_back(RECT{ClampGdi(int64_t(left) + start), ClampGdi(int64_t(top) + y), ClampGdi(int64_t(left) + x),
                           ClampGdi(int64_t(top) + y + 1)});
      if (rects.size() >= batch) flush();
    }
  }
  flush();
  return region;
}
