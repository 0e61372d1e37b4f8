// Input a host or its user may hand the real library that must never end the
// host: damaged pictures, drawings too heavy for one window region, coordinates
// at the ends of the 32-bit range. Each test runs in a process of its own that
// reports its own pass, since a crashing wine process can exit with 0.
#include <windows.h>
#include <gtest/gtest.h>
#include <climits>
#include <string>
#include <vector>

#include "OverlayTestSupport.h"
#include "overlay/PictureFixtures.h"
#include "overlay/core/TempDir.h"
#include "overlay/core/uWindowRegion.h"
#include "win/Handles.h"

using namespace qztest;

namespace {

class HostileInput : public OverlayDllTest {};

TEST_F(HostileInput, DamagedPicturesGiveMinusThreeAndTheHostGoesOn) {
  TempDir dir;
  for (const NamedBytes& damaged : DamagedPictures()) {
    SCOPED_TRACE(damaged.name);
    const std::string file = dir.file(damaged.name);
    WriteFileBytes(file, damaged.bytes);
    EXPECT_EQ(dll().BitmapByFile(10, 10, file.c_str(), 0), -3);
    EXPECT_EQ(dll().ScriptCommand(("BITMAPBYFILENAME 10 10 ''" + file + "'' 0").c_str()), -3);
  }
  const std::string good = dir.file("good.bmp");
  WriteFileBytes(good, Bmp24(20, 10));
  EXPECT_EQ(dll().BitmapByFile(100, 100, good.c_str(), 0), 1);   // no failure used up an ID
  Pump(100);
  EXPECT_EQ(dll().Finalize(), -1);
}

BOOL CALLBACK FindOwnWindowProc(HWND wnd, LPARAM out) {
  char name[64] = {};
  GetClassNameA(wnd, name, sizeof name);
  if (std::string(name) != "QzScreenObjectForm") return TRUE;
  *reinterpret_cast<HWND*>(out) = wnd;
  return FALSE;
}

// The window's region as a region of our own; empty when it has none.
win::Region RegionOf(HWND window) {
  win::Region rgn(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(window, rgn.get()) == ERROR) SetRectRgn(rgn.get(), 0, 0, 0, 0);
  return rgn;
}

// True when the region holds a pixel within one of (x, y).
bool Near(HRGN rgn, int x, int y) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (PtInRegion(rgn, x + dx, y + dy)) return true;
  return false;
}

// Scenes whose exact region would have far more rectangles than one X request
// carries: 200 random lines across the screen, and one polyline of 1,024 points
// zigzagging from top to bottom. The host lives through their repaints, the
// window region stays within the limit, and every line still shows.
TEST_F(HostileInput, HeavyDrawingsKeepTheWindowRegionSendable) {
  HWND overlay = FindOverlayWindow();
  ASSERT_NE(overlay, nullptr);
  dll().Clear();
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  unsigned seed = 12345;
  auto random = [&](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<unsigned>(n));
  };
  std::vector<POINT> tops, bottoms;
  for (int i = 0; i < 200; ++i) {
    tops.push_back(POINT{random(w), 0});
    bottoms.push_back(POINT{random(w), h - 1});
    ASSERT_GT(dll().Line(tops.back().x, 0, bottoms.back().x, h - 1, RGB(255, 0, 0)), 0);
  }
  Pump(300);
  ASSERT_TRUE(IsWindowVisible(overlay));
  win::Region lines = RegionOf(overlay);
  EXPECT_LE(RegionRectCount(lines.get()), kMaxWindowRegionRects);
  for (size_t i = 0; i < tops.size(); ++i)
    EXPECT_TRUE(Near(lines.get(), (tops[i].x + bottoms[i].x) / 2, (h - 1) / 2)) << "line " << i;
  EXPECT_EQ(dll().Clear(), 200);

  std::vector<POINT> zigzag;
  for (int i = 0; i < 1024; ++i) zigzag.push_back(POINT{(i * 37) % w, i % 2 ? h - 1 : 0});
  const int polyline = dll().Polyline(zigzag.data(), static_cast<int>(zigzag.size()), RGB(0, 0, 255));
  ASSERT_GT(polyline, 0);
  Pump(300);
  ASSERT_TRUE(IsWindowVisible(overlay));
  win::Region zig = RegionOf(overlay);
  EXPECT_LE(RegionRectCount(zig.get()), kMaxWindowRegionRects);
  EXPECT_TRUE(Near(zig.get(), (zigzag[0].x + zigzag[1].x) / 2, (h - 1) / 2));

  // With a window of its own (transparency), the polyline's window takes a bounded region too.
  ASSERT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_SETTRANSPARENT, polyline, 30, 0, 0), 1);
  Pump(300);
  HWND own = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindOwnWindowProc, reinterpret_cast<LPARAM>(&own));
  ASSERT_NE(own, nullptr);
  EXPECT_LE(RegionRectCount(RegionOf(own).get()), kMaxWindowRegionRects);
  EXPECT_GT(RegionRectCount(RegionOf(own).get()), 0u);
  EXPECT_EQ(dll().Finalize(), -1);
}

// Shapes at the ends of the 32-bit range lie far off the display: none of them
// may show anywhere on it. Only the small square drawn at (100, 100) shows.
TEST_F(HostileInput, ExtremeCoordinatesDrawNothingOutsideTheirShapes) {
  HWND overlay = FindOverlayWindow();
  ASSERT_NE(overlay, nullptr);
  dll().Clear();
  ASSERT_GT(dll().Point(100, 100, 2, RGB(0, 0, 255)), 0);
  const POINT corners[] = {{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MAX},
                           {INT_MAX, 300},     {300, INT_MIN}};
  for (const POINT& c : corners) {
    for (int style = 0; style <= 3; ++style) ASSERT_GT(dll().Point(c.x, c.y, style, RGB(255, 0, 0)), 0);
    ASSERT_GT(dll().Text(c.x, c.y, "far away", "Arial", 20, 1, 0, RGB(255, 0, 0)), 0);
  }
  const int box = dll().Rectangle(INT_MAX - 100, INT_MAX - 100, INT_MAX, INT_MAX, RGB(255, 0, 0));
  const int oval = dll().Ellipse(INT_MIN, INT_MIN, INT_MIN + 100, INT_MIN + 100, RGB(255, 0, 0));
  ASSERT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_ISFILLED, box, 1, 0, 0), 1);
  ASSERT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_ISFILLED, oval, 1, 0, 0), 1);
  // A picture placed far right or far left stays off the desktop, touching its edge.
  TempDir dir;
  const std::string picture = dir.file("wide.bmp");
  WriteFileBytes(picture, Bmp24(200, 20));
  ASSERT_GT(dll().BitmapByFile(2147483600, 300, picture.c_str(), RGB(255, 0, 255)), 0);
  ASSERT_GT(dll().BitmapByFile(INT_MIN + 40, 300, picture.c_str(), RGB(255, 0, 255)), 0);
  Pump(300);
  ASSERT_TRUE(IsWindowVisible(overlay));
  win::Region rgn = RegionOf(overlay);
  RECT bounds{};
  GetRgnBox(rgn.get(), &bounds);
  EXPECT_GE(bounds.left, 90);
  EXPECT_GE(bounds.top, 90);
  EXPECT_LE(bounds.right, 111);
  EXPECT_LE(bounds.bottom, 111);
  EXPECT_EQ(dll().Finalize(), -1);
}

}  // namespace

#include "OwnProcessMain.h"
QZ_OWN_PROCESS_TEST_MAIN
