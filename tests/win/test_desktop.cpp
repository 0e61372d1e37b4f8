#include <gtest/gtest.h>
#include "win/Clock.h"
#include "win/DesktopMetrics.h"
#include "win/DibBitmap.h"
#include "win/IconImage.h"

TEST(DesktopMetrics, InjectedValuesAndRestore) {
  const int realWidth = win::desktopMetrics().virtualWidth();
  EXPECT_GT(realWidth, 0);
  EXPECT_GT(win::desktopMetrics().pixelsPerInchY(), 0);
  {
    win::FixedDesktopMetrics m;
    m.width = 1600;
    m.origin = POINT{-1280, 0};
    win::ScopedDesktopMetrics use(m);
    EXPECT_EQ(win::desktopMetrics().virtualWidth(), 1600);
    EXPECT_EQ(win::desktopMetrics().monitorOrigin(0).x, -1280);
    m.ppiX = 120;   // read through, not copied
    EXPECT_EQ(win::desktopMetrics().pixelsPerInchX(), 120);
  }
  EXPECT_EQ(win::desktopMetrics().virtualWidth(), realWidth);
}

TEST(Clock, ManualClockAndRestore) {
  win::ManualClock c;
  c.now = 0xFFFFFFF0u;
  {
    win::ScopedClock use(c);
    c.advance(0x20);
    EXPECT_EQ(win::currentClock().tickCount(), 0x10u);   // wraps like GetTickCount
  }
  EXPECT_NE(&win::currentClock(), &c);
}

TEST(IconImage, SystemIconDraws) {
  win::IconImage icon;
  EXPECT_FALSE(icon.loadFromFile("Z:\\no\\such.ico"));
  EXPECT_TRUE(icon.empty());
  icon.adopt(::CopyIcon(::LoadIconA(nullptr, IDI_APPLICATION)));
  ASSERT_FALSE(icon.empty());
  EXPECT_GT(icon.width(), 0);
  EXPECT_GT(icon.height(), 0);
  win::DibBitmap b(icon.width(), icon.height());
  b.fill(RGB(1, 2, 3));
  EXPECT_TRUE(icon.draw(b.dc(), 0, 0));
  int changed = 0;
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x) changed += b.pixel(x, y) != RGB(1, 2, 3);
  EXPECT_GT(changed, 0);
}
