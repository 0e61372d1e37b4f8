#include <gtest/gtest.h>
#include "uQzPlaneTools.h"

TEST(PlaneTools, NormalizeRect) {
  RECT r{};
  NormalizeRect(RECT{10, 20, 5, 3}, r);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 3);
  EXPECT_EQ(r.right, 10);
  EXPECT_EQ(r.bottom, 20);
}
