#include <gtest/gtest.h>
#include "win/Canvas.h"
#include "win/DibBitmap.h"

TEST(DibBitmap, TopDownPixelsAndSize) {
  win::DibBitmap b(4, 3);
  ASSERT_FALSE(b.empty());
  EXPECT_EQ(b.pixel(0, 0), RGB(0, 0, 0));
  b.setPixel(3, 0, RGB(1, 2, 3));
  EXPECT_EQ(b.bits()[3] & 0xFFFFFF, 0x010203u);   // BGRX: red in the third byte
  EXPECT_EQ(b.pixel(3, 0), RGB(1, 2, 3));
  EXPECT_EQ(b.pixel(4, 0), CLR_INVALID);
  EXPECT_EQ(b.pixel(-1, 0), CLR_INVALID);
  // Row 1 starts at bits() + width: the bitmap is top-down.
  ::SetPixelV(b.dc(), 0, 1, RGB(9, 8, 7));
  EXPECT_EQ(b.pixel(0, 1), RGB(9, 8, 7));
  EXPECT_EQ(b.bits()[4] & 0xFFFFFF, 0x090807u);
  b.fill(RGB(255, 0, 255));
  EXPECT_EQ(b.pixel(2, 2), RGB(255, 0, 255));
  ASSERT_TRUE(b.setSize(0, 0));
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(b.canvas(), nullptr);
  EXPECT_EQ(b.pixel(0, 0), CLR_INVALID);
}

TEST(Canvas, ShapesUsePenAndBrush) {
  win::DibBitmap b(40, 40);
  win::Canvas& c = *b.canvas();
  c.setPenColor(RGB(255, 0, 0));
  c.setBrushColor(RGB(0, 0, 255));
  c.rectangle(5, 5, 15, 15);
  EXPECT_EQ(b.pixel(5, 5), RGB(255, 0, 0));     // outline
  EXPECT_EQ(b.pixel(10, 10), RGB(0, 0, 255));   // interior
  EXPECT_EQ(b.pixel(15, 15), RGB(0, 0, 0));     // right and bottom excluded
  c.setBrushStyle(win::BrushStyle::Clear);
  c.rectangle(20, 20, 30, 30);
  EXPECT_EQ(b.pixel(20, 25), RGB(255, 0, 0));
  EXPECT_EQ(b.pixel(25, 25), RGB(0, 0, 0));     // clear brush: interior untouched
  c.setBrushStyle(win::BrushStyle::Solid);
  c.setBrushColor(RGB(0, 255, 0));
  c.frameRect(RECT{0, 30, 10, 40});
  EXPECT_EQ(b.pixel(0, 35), RGB(0, 255, 0));
  EXPECT_EQ(b.pixel(5, 35), RGB(0, 0, 0));
  c.fillRect(RECT{32, 0, 36, 4});
  EXPECT_EQ(b.pixel(33, 1), RGB(0, 255, 0));
  c.setPenWidth(1);
  c.line(0, 20, 10, 20);
  EXPECT_EQ(b.pixel(0, 20), RGB(255, 0, 0));
  EXPECT_EQ(b.pixel(9, 20), RGB(255, 0, 0));
  EXPECT_EQ(b.pixel(10, 20), RGB(0, 0, 0));     // the end point is not drawn
  c.setPixel(39, 39, RGB(7, 7, 7));
  EXPECT_EQ(c.pixel(39, 39), RGB(7, 7, 7));
  const POINT tri[3] = {{20, 0}, {30, 0}, {20, 10}};
  c.polygon(tri, 3);
  EXPECT_EQ(b.pixel(22, 2), RGB(0, 255, 0));
}

TEST(Canvas, TextAndBlit) {
  win::DibBitmap b(100, 40);
  win::Canvas& c = *b.canvas();
  win::Font f;
  f.size = 16;
  f.bold = true;
  f.color = RGB(255, 255, 255);
  c.setFont(f);
  SIZE wide = c.textExtent("WWWW"), narrow = c.textExtent("ii");
  EXPECT_GT(wide.cx, narrow.cx);
  EXPECT_GT(wide.cy, 10);
  c.setBackgroundMode(win::BackgroundMode::Transparent);
  c.textOut(2, 2, "WWWW");
  int lit = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x) lit += b.pixel(x, y) == RGB(255, 255, 255);
  EXPECT_GT(lit, 20);
  win::DibBitmap dst(100, 40);
  ASSERT_TRUE(dst.canvas()->blit(0, 0, 100, 40, b.dc(), 0, 0));
  EXPECT_EQ(memcmp(dst.bits(), b.bits(), 100 * 40 * 4), 0);
  win::DibBitmap half(50, 20);
  ASSERT_TRUE(half.canvas()->stretchBlit(0, 0, 50, 20, b.dc(), 0, 0, 100, 40));
}
