// The information window in the real library: shown 5 s after loading and every 5 s, its
// buttons make demonstration objects, and how each way of closing ends the showing.
#include "InfoWindowDll.h"

namespace {

TEST_F(DllAbout, ShownAfterTheDelayAgainAfterTheCloseBoxNotAfterClose) {
  // A host object that the window's presence keeps off the screen.
  ASSERT_EQ(dll_.Point(100, 100, 0, 255), 1);
  ASSERT_TRUE(PumpUntil(InfoShowing, 10000));
  const DWORD delay = ::GetTickCount() - loaded_;
  EXPECT_GE(delay, 4500u);
  EXPECT_LE(delay, 10000u);  // wine without a window manager adds its waits
  PumpFor(100);
  EXPECT_FALSE(OverlayDrawsNear(100, 100)) << OverlayState();

  // Demonstration objects take IDs from the same counter.
  Click("create point");
  EXPECT_EQ(dll_.Point(5, 5, 0, 0), 3);
  EXPECT_EQ(dll_.Operation(1, 3, 0, 0, 0), 1);

  // The caption's close box hides; the host's object comes back, the demonstration
  // object stays, and the window is shown again.
  ::SendMessageA(InfoWindow(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(InfoShowing());
  PumpFor(50);
  EXPECT_TRUE(OverlayDrawsNear(100, 100)) << OverlayState();
  ASSERT_TRUE(PumpUntil(InfoShowing, 6000));
  EXPECT_EQ(dll_.Operation(2, 2, 1, 0, 0), 1);  // the demonstration point is still there

  // "&Close" deletes the demonstration objects and ends the showing.
  Click("&Close");
  EXPECT_FALSE(InfoShowing());
  EXPECT_EQ(dll_.Operation(2, 2, 1, 0, 0), 0);
  EXPECT_FALSE(PumpUntil(InfoShowing, 6000));
  EXPECT_TRUE(OverlayDrawsNear(100, 100)) << OverlayState();
}

}  // namespace
