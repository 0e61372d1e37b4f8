// The information window's "clear all objects" ends its repeated showing.
#include "InfoWindowDll.h"

namespace {

TEST_F(DllAbout, ClearAllObjectsEndsTheShowing) {
  ASSERT_TRUE(PumpUntil(InfoShowing, 10000));
  Click("create line");
  Click("create ellipse");
  Click("create text");
  PumpFor(100);
  EXPECT_TRUE(::IsWindowVisible(OverlayWindow()));  // the demonstration objects are drawn
  Click("clear all objects");
  EXPECT_TRUE(InfoShowing());
  EXPECT_EQ(dll_.Operation(1, 1, 0, 0, 0), 0);  // gone
  ::SendMessageA(InfoWindow(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(PumpUntil(InfoShowing, 6000));
  EXPECT_EQ(dll_.Point(1, 1, 0, 0), 4);  // three IDs were used up by the demonstration
}

}  // namespace
