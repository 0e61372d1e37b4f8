#include <gtest/gtest.h>
#include <chrono>
#include <cmath>
#include <vector>
#include "RegionTestUtil.h"
#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"
#include "win/DesktopMetrics.h"
#include "win/DibBitmap.h"

namespace {
const RECT kClip{0, 0, 100, 100};
const RECT kBigClip{-1000, -1000, 1000, 1000};
}  // namespace

TEST(PlaneTools, RoundingRulesAndSaturation) {
  struct Case { double v; int32_t round, trunc; } cases[] = {
      {0.5, 0, 0},   {1.5, 2, 1},   {2.5, 2, 2},    {-0.5, 0, 0},  {-1.5, -2, -1},
      {-2.5, -2, -2}, {2.4999, 2, 2}, {-1.7, -2, -1}, {1e12, INT32_MAX, INT32_MAX},
      {-1e12, INT32_MIN, INT32_MIN}, {NAN, 0, 0},   {INFINITY, INT32_MAX, INT32_MAX}};
  for (const auto& c : cases) {
    EXPECT_EQ(RoundSat(c.v), c.round) << c.v;
    EXPECT_EQ(TruncSat(c.v), c.trunc) << c.v;
  }
}

TEST(PlaneTools, AlphaIsExactAndClamped) {
  struct Case { int p; int alpha; } cases[] = {{0, 255}, {1, 252}, {10, 229}, {50, 127},
                                               {96, 10}, {100, 0}, {-5, 255}, {150, 0}};
  for (const auto& c : cases) EXPECT_EQ(TransparencyAlpha(c.p), c.alpha) << c.p;
}

TEST(PlaneTools, VectorAngle) {
  const double pi = 3.1415926535897932385;
  struct Case { int dx, dy; double angle; } cases[] = {
      {1, 1, pi - pi / 4}, {-1, 0, 2 * pi}, {0, 0, 3 * pi / 2}, {0, 5, pi / 2},
      {0, -5, 3 * pi / 2}, {-1, 1, pi / 4}, {1, 0, pi},         {-1, -1, 2 * pi - pi / 4}};
  for (const auto& c : cases) EXPECT_NEAR(VectorAngle(c.dx, c.dy), c.angle, 1e-12) << c.dx << "," << c.dy;
}

TEST(PlaneTools, ReplaceAll) {
  struct Case { const char *text, *pattern, *value, *result; } cases[] = {
      {"TRUE TRUE", "TRUE", "1", "1 1"},
      {"A B A", "A", "AA", "A B A"},          // value contains the pattern: nothing replaced
      {"abc", "", "x", "abc"},
      {"true TRUE", "TRUE", "1", "true 1"},   // case-sensitive
      {"aab", "ab", "b", "b"},                // a replacement forming a new occurrence
      {"xTRUEy", "TRUE", "", "xy"}};
  for (const auto& c : cases) {
    std::string r = "junk";
    ReplaceAll(c.text, c.pattern, c.value, r);
    EXPECT_EQ(r, c.result) << c.text;
  }
}

TEST(PlaneTools, NormalizeRect) {
  RECT r{};
  NormalizeRect(RECT{10, 20, 5, 3}, r);
  EXPECT_TRUE(SameRect(r, RECT{5, 3, 10, 20}));
}

TEST(PlaneTools, TwipsPerPixelFromMetrics) {
  win::FixedDesktopMetrics m;
  win::ScopedDesktopMetrics use(m);
  InitTwipsPerPixel();
  EXPECT_EQ(TwipsPerPixel, 15.0);
  m.ppiX = 120;
  m.ppiY = 120;
  EXPECT_EQ(TwipsPerPixelX(), 12);
  InitTwipsPerPixel();
  EXPECT_EQ(TwipsPerPixel, 12.0);
  m.ppiY = 96;
  InitTwipsPerPixel();
  EXPECT_EQ(TwipsPerPixel, 13.5);
}

TEST(Geometry, DistancesAndNormal) {
  EXPECT_DOUBLE_EQ(Distance(3, 4), 5.0);
  EXPECT_DOUBLE_EQ(DistanceBetween(1, 1, 4, 5), 5.0);
  // 32-bit extremes do not overflow.
  EXPECT_NEAR(DistanceBetween(INT32_MIN, 0, INT32_MAX, 0), 4294967295.0, 1.0);
  EXPECT_NEAR(VectorLength(POINT{INT32_MIN, INT32_MIN}), 2147483648.0 * std::sqrt(2.0), 1.0);
  TDoublePoint n{1, 1};
  NormalVector(POINT{0, 0}, n, 10);
  EXPECT_EQ(n.x, 0);
  EXPECT_EQ(n.y, 0);
  NormalVector(POINT{3, 4}, n, 10);
  EXPECT_DOUBLE_EQ(n.x, 8);
  EXPECT_DOUBLE_EQ(n.y, -6);
}

TEST(Geometry, IntersectLines) {
  POINT r{};
  IntersectLines({0, 0}, {1, 1}, {0, 10}, {1, 1}, r);   // same direction
  EXPECT_EQ(r.x, QZ_MAXINT);
  EXPECT_EQ(r.y, QZ_MAXINT);
  IntersectLines({0, 0}, {2, 2}, {0, 10}, {3, 3}, r);   // parallel
  EXPECT_EQ(r.x, QZ_MAXINT);
  IntersectLines({0, 0}, {1, 1}, {0, 10}, {1, 0}, r);
  EXPECT_EQ(r.x, 10);
  EXPECT_EQ(r.y, 10);
  // Products beyond 32 (and 53) bits: nearly parallel lines are told apart exactly.
  IntersectLines({0, 0}, {2000000000, 1999999999}, {0, 0}, {1999999999, 1999999998}, r);
  EXPECT_NE(r.x, QZ_MAXINT);
  IntersectLines({0, 0}, {2000000000, 2000000000}, {5, 0}, {-2000000000, -2000000000}, r);
  EXPECT_EQ(r.x, QZ_MAXINT);
  // Result far outside 32 bits saturates.
  IntersectLines({0, 0}, {1, 0}, {INT32_MAX, 1}, {INT32_MAX, -1}, r);
  EXPECT_EQ(r.y, 0);
  EXPECT_EQ(r.x, INT32_MAX);
}

TEST(Geometry, ClipLineToRect) {
  POINT a{7, 7}, b{7, 7};
  ASSERT_TRUE(ClipLineToRect(kClip, {-50, 10}, {100, 0}, a, b));
  EXPECT_EQ(a.x, 0);   // left border before right border
  EXPECT_EQ(a.y, 10);
  EXPECT_EQ(b.x, 100);
  ASSERT_TRUE(ClipLineToRect(kClip, {50, -5}, {0, 1}, a, b));
  EXPECT_EQ(a.y, 0);   // top first, then bottom
  EXPECT_EQ(b.y, 100);
  // Touching only a corner gives one point: not enough.
  a = b = POINT{7, 7};
  EXPECT_FALSE(ClipLineToRect(kClip, {-10, 10}, {1, -1}, a, b));
  EXPECT_FALSE(ClipLineToRect(kClip, {0, 200}, {1, 0}, a, b));
  EXPECT_EQ(a.x, 7);   // outputs unchanged on failure
  EXPECT_EQ(b.y, 7);
  EXPECT_TRUE(PointInRect(kClip, {100, 0}));
  EXPECT_FALSE(PointInRect(kClip, {101, 0}));
}

TEST(LineRegion, OutsideAddsNothing) {
  win::Region r = EmptyRgn();
  win::DibBitmap bmp(120, 120);
  HRGN got = DrawLineRgn(bmp.canvas(), kClip, r.get(), {-20, 10}, {-5, 60}, 1, RGB(255, 0, 0));
  EXPECT_EQ(got, r.get());
  EXPECT_TRUE(RgnEmpty(r.get()));
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 120; ++x) ASSERT_EQ(bmp.pixel(x, y), RGB(0, 0, 0));
}

TEST(LineRegion, ClippedHorizontalWidthOne) {
  win::Region r = EmptyRgn();
  win::DibBitmap bmp(120, 120);
  DrawLineRgn(bmp.canvas(), kClip, r.get(), {-50, 10}, {50, 10}, 1, RGB(255, 0, 0));
  EXPECT_TRUE(SameRect(RgnBox(r.get()), RECT{0, 10, 50, 11}));
  EXPECT_EQ(bmp.pixel(0, 10), RGB(255, 0, 0));
  EXPECT_EQ(bmp.pixel(30, 10), RGB(255, 0, 0));
  EXPECT_EQ(bmp.pixel(60, 10), RGB(0, 0, 0));
  EXPECT_EQ(bmp.canvas()->penWidth(), 1);   // set back after the 2-pixel stroke
}

TEST(LineRegion, OutsideEndsMoveToTheBorderOnTheirSide) {
  struct Case { POINT p1, p2; RECT box; } cases[] = {
      {{50, -20}, {50, 50}, {50, 0, 51, 50}},     // vertical, outside end above
      {{50, 50}, {50, 150}, {50, 50, 51, 100}},   // vertical, outside end below
      {{150, 30}, {40, 30}, {40, 30, 100, 31}},   // horizontal, from the right
      {{-50, 10}, {150, 10}, {0, 10, 100, 11}}};  // both ends outside
  for (const auto& c : cases) {
    win::Region r = EmptyRgn();
    DrawLineRgn(nullptr, kClip, r.get(), c.p1, c.p2, 1, 0);
    RECT box = RgnBox(r.get());
    EXPECT_TRUE(SameRect(box, c.box)) << c.p1.x << "," << c.p1.y << " box " << box.left << ","
                                      << box.top << "," << box.right << "," << box.bottom;
  }
  // Diagonal from outside the top-left corner starts at the corner.
  win::Region d = EmptyRgn();
  DrawLineRgn(nullptr, kClip, d.get(), {-10, -10}, {50, 50}, 1, 0);
  EXPECT_TRUE(InRgn(d.get(), 0, 0));
  EXPECT_TRUE(InRgn(d.get(), 25, 25));
  EXPECT_EQ(RgnBox(d.get()).left, 0);
}

TEST(LineRegion, WideBandsAndCaps) {
  // Width 6: band y 7..12, caps of radius 3 reach x 7 and x 22.
  win::Region r = EmptyRgn();
  DrawLineRgn(nullptr, kClip, r.get(), {10, 10}, {20, 10}, 6, 0);
  EXPECT_TRUE(InRgn(r.get(), 15, 7));
  EXPECT_TRUE(InRgn(r.get(), 15, 12));
  EXPECT_FALSE(InRgn(r.get(), 15, 13));
  EXPECT_FALSE(InRgn(r.get(), 15, 6));
  EXPECT_TRUE(InRgn(r.get(), 8, 10));
  EXPECT_TRUE(InRgn(r.get(), 21, 10));
  EXPECT_FALSE(InRgn(r.get(), 6, 10));
  EXPECT_FALSE(InRgn(r.get(), 23, 10));
  // Width 2 is taken as 3: band y 9..10.
  win::Region r2 = EmptyRgn();
  DrawLineRgn(nullptr, kClip, r2.get(), {10, 10}, {20, 10}, 2, 0);
  EXPECT_TRUE(InRgn(r2.get(), 15, 9));
  EXPECT_TRUE(InRgn(r2.get(), 15, 10));
  EXPECT_FALSE(InRgn(r2.get(), 15, 11));
  EXPECT_FALSE(InRgn(r2.get(), 15, 8));
}

TEST(LineRegion, ExtremeCoordinatesAreClippedSafely) {
  win::Region r = EmptyRgn();
  DrawLineRgn(nullptr, kClip, r.get(), {INT32_MIN, 50}, {INT32_MAX, 50}, 1, 0);
  EXPECT_TRUE(SameRect(RgnBox(r.get()), RECT{0, 50, 100, 51}));
  win::Region r2 = EmptyRgn();
  DrawLineRgn(nullptr, kClip, r2.get(), {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, 5, 0);
  EXPECT_TRUE(InRgn(r2.get(), 50, 50));
  HRGN made = DrawLineRgn(nullptr, kClip, nullptr, {10, 10}, {20, 10}, 1, 0);
  ASSERT_NE(made, nullptr);   // a null region is created for the caller
  EXPECT_TRUE(InRgn(made, 15, 10));
  ::DeleteObject(made);
}

TEST(Markers, CircleSquareAndRect) {
  win::Region ring = EmptyRgn();
  CircleMarkerRgn(nullptr, kClip, ring.get(), {50, 50}, 4, false, 0);
  win::Region expected(::CreateEllipticRgn(46, 46, 56, 56));
  win::Region hole(::CreateEllipticRgn(47, 47, 55, 55));
  ::CombineRgn(expected.get(), expected.get(), hole.get(), RGN_DIFF);
  EXPECT_TRUE(::EqualRgn(ring.get(), expected.get()));
  EXPECT_FALSE(InRgn(ring.get(), 50, 50));
  win::Region disc = EmptyRgn();
  CircleMarkerRgn(nullptr, kClip, disc.get(), {50, 50}, 4, true, 0);
  EXPECT_TRUE(InRgn(disc.get(), 50, 50));

  struct SquareCase { bool filled; POINT in, out; } squares[] = {
      {true, {20, 20}, {24, 20}}, {false, {17, 17}, {20, 20}}, {false, {16, 16}, {18, 18}}};
  for (const auto& c : squares) {
    win::Region sq = EmptyRgn();
    SquareMarkerRgn(nullptr, kClip, sq.get(), {20, 20}, 3, c.filled, 0);
    EXPECT_TRUE(SameRect(RgnBox(sq.get()), RECT{16, 16, 24, 24}));
    EXPECT_TRUE(InRgn(sq.get(), c.in.x, c.in.y));
    EXPECT_FALSE(InRgn(sq.get(), c.out.x, c.out.y));
  }

  win::Region frame = EmptyRgn();
  win::DibBitmap bmp(30, 30);
  RectRgn(bmp.canvas(), kClip, frame.get(), RECT{10, 20, 5, 3}, false, RGB(0, 255, 0));
  EXPECT_TRUE(SameRect(RgnBox(frame.get()), RECT{5, 3, 11, 21}));
  EXPECT_TRUE(InRgn(frame.get(), 10, 20));
  EXPECT_FALSE(InRgn(frame.get(), 7, 10));
  EXPECT_EQ(bmp.pixel(5, 3), RGB(0, 255, 0));    // frame of (5, 3, 10, 20)
  EXPECT_EQ(bmp.pixel(9, 19), RGB(0, 255, 0));
  EXPECT_EQ(bmp.pixel(7, 10), RGB(0, 0, 0));
  win::Region filled = EmptyRgn();
  RectRgn(nullptr, kClip, filled.get(), RECT{5, 3, 10, 20}, true, 0);
  EXPECT_TRUE(InRgn(filled.get(), 7, 10));
}

TEST(Markers, PointMarkerTypes) {
  for (int type : {4, -1}) {
    win::Region r = EmptyRgn();
    win::DibBitmap bmp(20, 20);
    DrawPointMarkerAt(bmp.canvas(), kClip, r.get(), 10, 10, type, RGB(255, 0, 0), 8);
    EXPECT_TRUE(RgnEmpty(r.get())) << type;
    EXPECT_EQ(bmp.pixel(10, 10), RGB(0, 0, 0));
  }
  // Arrow head pointing right: corners (100, 100), (104, 104), (96, 104).
  win::Region arrow = EmptyRgn();
  DrawPointMarker(nullptr, kBigClip, arrow.get(), {100, 100}, 3, 0, 8, 0, 10);
  const POINT tri[3] = {{100, 100}, {104, 104}, {96, 104}};
  win::Region expected(::CreatePolygonRgn(tri, 3, WINDING));
  EXPECT_TRUE(::EqualRgn(arrow.get(), expected.get()));
  // Direction (0, 0) gives phi = -pi/2: the triangle opens to the left.
  win::Region at = EmptyRgn();
  DrawPointMarkerAt(nullptr, kBigClip, at.get(), 100, 100, 3, 0, 8);
  const POINT tri2[3] = {{100, 100}, {96, 104}, {96, 96}};
  win::Region expected2(::CreatePolygonRgn(tri2, 3, WINDING));
  EXPECT_TRUE(::EqualRgn(at.get(), expected2.get()));
  // Cross of size 8 through (50, 50): both diagonals, not the cell above the centre.
  win::Region cross = EmptyRgn();
  DrawPointMarkerAt(nullptr, kClip, cross.get(), 50, 50, 0, 0, 8);
  EXPECT_TRUE(InRgn(cross.get(), 50, 50));
  EXPECT_TRUE(InRgn(cross.get(), 46, 46));
  EXPECT_TRUE(InRgn(cross.get(), 48, 52));
  EXPECT_TRUE(InRgn(cross.get(), 52, 48));
  EXPECT_FALSE(InRgn(cross.get(), 50, 46));
}

TEST(Markers, EllipseOutlineAndFill) {
  win::Region outline = EmptyRgn();
  EllipseRgn(nullptr, kBigClip, outline.get(), RECT{0, 0, 100, 50}, false, 1, 0);
  auto nearCorner = [&](int cx, int cy) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (InRgn(outline.get(), cx + dx, cy + dy)) return true;
    return false;
  };
  EXPECT_TRUE(nearCorner(100, 0));
  EXPECT_TRUE(nearCorner(100, 50));
  EXPECT_TRUE(nearCorner(0, 50));
  EXPECT_TRUE(nearCorner(0, 0));
  EXPECT_FALSE(InRgn(outline.get(), 50, 25));
  win::Region fill = EmptyRgn();
  EllipseRgn(nullptr, kBigClip, fill.get(), RECT{100, 50, 0, 0}, true, 1, 0);
  EXPECT_TRUE(InRgn(fill.get(), 50, 25));
  RECT box = RgnBox(fill.get());   // la = 70, lb = 35 around (50, 25)
  EXPECT_NEAR(box.left, -20, 1);
  EXPECT_NEAR(box.right, 121, 1);
}

TEST(Blit, TransparentBlit) {
  win::DibBitmap dest(8, 8), src(4, 4);
  dest.fill(RGB(10, 20, 30));
  src.fill(RGB(255, 0, 255));
  EXPECT_TRUE(TransparentBlit(dest.dc(), 2, 2, 4, 4, src.dc(), 0, 0, 4, 4, RGB(255, 0, 255)));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(dest.pixel(x, y), RGB(10, 20, 30));
  src.setPixel(1, 1, RGB(0, 200, 0));
  TransparentBlit(dest.dc(), 0, 0, 8, 8, src.dc(), 0, 0, 4, 4, RGB(255, 0, 255));   // stretched x2
  EXPECT_EQ(dest.pixel(2, 2), RGB(0, 200, 0));
  EXPECT_EQ(dest.pixel(3, 3), RGB(0, 200, 0));
  EXPECT_EQ(dest.pixel(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(dest.pixel(5, 5), RGB(10, 20, 30));
}

TEST(PixelRegionTest, RunsMatchPixels) {
  const COLORREF key = RGB(255, 0, 255);
  win::DibBitmap bmp(5, 3);
  bmp.fill(key);
  bmp.setPixel(0, 0, 0);
  bmp.setPixel(1, 0, 0);
  bmp.setPixel(3, 0, RGB(1, 2, 3));
  bmp.setPixel(4, 2, RGB(9, 9, 9));
  win::Region r(PixelRegion(bmp, 100, 200, key));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(InRgn(r.get(), 100 + x, 200 + y), bmp.pixel(x, y) != key) << x << "," << y;
  // An opaque picture comes out as one rectangle: the runs were merged.
  win::DibBitmap solid(50, 50);
  win::Region whole(PixelRegion(solid, 10, 10, key));
  DWORD size = ::GetRegionData(whole.get(), 0, nullptr);
  std::vector<char> buf(size);
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  ASSERT_EQ(::GetRegionData(whole.get(), size, data), size);
  EXPECT_EQ(data->rdh.nCount, 1u);
  EXPECT_TRUE(SameRect(*reinterpret_cast<RECT*>(data->Buffer), RECT{10, 10, 60, 60}));
  win::DibBitmap none(4, 4);
  none.fill(key);
  win::Region empty(PixelRegion(none, 0, 0, key));
  EXPECT_TRUE(RgnEmpty(empty.get()));
}

TEST(PixelRegionTest, LargePictureIsFast) {
  win::DibBitmap bmp(400, 400);
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x)
      if ((x / 3 + y) % 2) bmp.setPixel(x, y, RGB(255, 0, 255));
  auto t0 = std::chrono::steady_clock::now();
  win::Region r(PixelRegion(bmp, 0, 0, RGB(255, 0, 255)));
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_TRUE(InRgn(r.get(), 0, 0));
  EXPECT_FALSE(InRgn(r.get(), 0, 1));
  EXPECT_LT(ms, 3000.0);
  std::printf("pixel region of 400x400 with %d runs: %.1f ms\n", 400 * 67, ms);
}

// Shapes at the ends of the 32-bit range lie far off every display: they paint
// nothing onto the canvas and add nothing near it to the region.
TEST(Markers, ExtremeCoordinatesNeverTouchTheCanvas) {
  const POINT places[] = {{INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MIN}, {INT32_MAX, 50},
                          {50, INT32_MIN},        {INT32_MIN, INT32_MAX}};
  for (const POINT& p : places) {
    for (int type = 0; type <= 3; ++type) {
      SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y) + " type " + std::to_string(type));
      win::DibBitmap canvas(200, 200);
      canvas.fill(RGB(255, 255, 255));
      win::Region rgn = EmptyRgn();
      DrawPointMarker(canvas.canvas(), kBigClip, rgn.get(), p, type, RGB(255, 0, 0), 20, 1, 1);
      win::Region around(::CreateRectRgn(-100000, -100000, 100000, 100000));
      EXPECT_EQ(::CombineRgn(around.get(), around.get(), rgn.get(), RGN_AND), NULLREGION);
      int painted = 0;
      for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) painted += canvas.pixel(x, y) != RGB(255, 255, 255);
      EXPECT_EQ(painted, 0);
    }
  }
}
