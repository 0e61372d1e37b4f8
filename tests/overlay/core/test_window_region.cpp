// Window regions bounded for the display: exact while few enough rectangles,
// else a cover that holds every pixel, stays near them and has few enough.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "uWindowRegion.h"

namespace {

// A checkerboard of single pixels: one rectangle for every other pixel.
win::Region Checkerboard(int left, int top, int width, int height) {
  win::Region all(CreateRectRgn(0, 0, 0, 0));
  for (int y = 0; y < height; ++y) {
    win::Region row(CreateRectRgn(0, 0, 0, 0));
    for (int x = y % 2; x < width; x += 2) {
      win::Region dot(CreateRectRgn(left + x, top + y, left + x + 1, top + y + 1));
      CombineRgn(row.get(), row.get(), dot.get(), RGN_OR);
    }
    CombineRgn(all.get(), all.get(), row.get(), RGN_OR);
  }
  return all;
}

bool Holds(HRGN outer, HRGN inner) {
  win::Region rest(CreateRectRgn(0, 0, 0, 0));
  return CombineRgn(rest.get(), inner, outer, RGN_DIFF) == NULLREGION;
}

const RECT kArea{0, 0, 1000, 800};

TEST(WindowRegion, FewRectanglesStayExact) {
  win::Region rgn = Checkerboard(10, 10, 20, 20);
  win::Region exact = Checkerboard(10, 10, 20, 20);
  EXPECT_EQ(RegionRectCount(rgn.get()), 200u);
  EXPECT_FALSE(BoundWindowRegion(rgn, kArea, 200));
  EXPECT_TRUE(EqualRgn(rgn.get(), exact.get()));
}

TEST(WindowRegion, ManyBecomeACoverThatHoldsEveryPixelAndStaysNearThem) {
  win::Region rgn = Checkerboard(100, 100, 200, 100);   // 10,000 rectangles
  win::Region lone(CreateRectRgn(900, 700, 901, 701));
  CombineRgn(rgn.get(), rgn.get(), lone.get(), RGN_OR);
  win::Region exact(CreateRectRgn(0, 0, 0, 0));
  CombineRgn(exact.get(), rgn.get(), nullptr, RGN_COPY);

  ASSERT_TRUE(BoundWindowRegion(rgn, kArea, 1000));
  EXPECT_LE(RegionRectCount(rgn.get()), 1000u);
  EXPECT_TRUE(Holds(rgn.get(), exact.get()));
  // Coarser only near what is drawn: the gap between the board and the far
  // pixel, and the area around them, stay out.
  EXPECT_FALSE(PtInRegion(rgn.get(), 600, 400));
  EXPECT_FALSE(PtInRegion(rgn.get(), 50, 50));
  RECT box{};
  GetRgnBox(rgn.get(), &box);
  EXPECT_GE(box.left, 90);
  EXPECT_GE(box.top, 90);
}

TEST(WindowRegion, WhatLiesOutsideTheWindowIsLeftOut) {
  // 10,000 rectangles, three quarters of them left of the window.
  win::Region rgn = Checkerboard(-300, 0, 400, 50);
  EXPECT_FALSE(BoundWindowRegion(rgn, kArea, 3000));
  // Within the window the region stays exact: its 50 rows of 50 fit.
  EXPECT_EQ(RegionRectCount(rgn.get()), 50u * 50);
  RECT box{};
  GetRgnBox(rgn.get(), &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 100);
}

// The display takes window coordinates of 16 bits: far parts must not reach it.
TEST(WindowRegion, PartsFarOutsideTheWindowAreDropped) {
  win::Region rgn(CreateRectRgn(INT32_MAX - 10, INT32_MAX - 10, INT32_MAX - 1, INT32_MAX - 1));
  win::Region wraps(CreateRectRgn(65536 + 10, 10, 65536 + 20, 20));
  CombineRgn(rgn.get(), rgn.get(), wraps.get(), RGN_OR);
  EXPECT_FALSE(BoundWindowRegion(rgn, kArea));
  RECT box{};
  EXPECT_EQ(GetRgnBox(rgn.get(), &box), NULLREGION);
}

TEST(WindowRegion, AnAreaFullOfDetailEndsAsFewRectangles) {
  win::Region rgn = Checkerboard(0, 0, 200, 200);
  ASSERT_TRUE(BoundWindowRegion(rgn, RECT{0, 0, 200, 200}, 1));
  EXPECT_EQ(RegionRectCount(rgn.get()), 1u);
}

}  // namespace
