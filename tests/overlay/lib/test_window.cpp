// The overlay window as the screen sees it: shown only where it draws, mouse
// events and auto-hide reported to the host, the notification-area callback.
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <utility>
#include <vector>

#include "OverlayTestSupport.h"
#include "win/Handles.h"

using namespace qztest;

namespace {

constexpr UINT kTrayNotify = WM_USER + 1;

class OverlayWindow : public OverlayDllTest {
protected:
  void SetUp() override {
    OverlayDllTest::SetUp();
    overlay_ = FindOverlayWindow();
    ASSERT_NE(overlay_, nullptr);
    dll().Clear();
  }
  // The window region as a region of our own; empty when it has none.
  win::Region WindowRegion() {
    win::Region rgn(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(overlay_, rgn.get()) == ERROR) SetRectRgn(rgn.get(), 0, 0, 0, 0);
    return rgn;
  }
  // A point of the window region within one pixel of (x, y), for edges whose
  // exact rasterisation may differ by a pixel.
  bool RegionNear(int x, int y, POINT* found = nullptr) {
    win::Region rgn = WindowRegion();
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (PtInRegion(rgn.get(), x + dx, y + dy)) {
          if (found) *found = POINT{x + dx, y + dy};
          return true;
        }
    return false;
  }
  HWND overlay_ = nullptr;
};

TEST_F(OverlayWindow, IsAHiddenToolWindowOverTheDesktopUntilSomethingIsDrawn) {
  EXPECT_FALSE(IsWindowVisible(overlay_));
  char caption[8] = {};
  GetWindowTextA(overlay_, caption, sizeof caption);
  EXPECT_STREQ(caption, "f");
  RECT r{};
  GetWindowRect(overlay_, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_EQ(GetWindowLongA(overlay_, GWL_EXSTYLE), WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindow(overlay_, GW_OWNER), nullptr);

  const int id = dll().Rectangle(200, 200, 400, 300, RGB(255, 0, 0));
  ASSERT_GT(id, 0);
  EXPECT_FALSE(IsWindowVisible(overlay_));  // nothing shows until messages are handled
  Pump(100);
  EXPECT_TRUE(IsWindowVisible(overlay_));
  // Shown top-most; no other extended style came with it.
  EXPECT_EQ(GetWindowLongA(overlay_, GWL_EXSTYLE), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);

  ASSERT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_DELETE, id, 0, 0, 0), 1);
  Pump(100);
  EXPECT_FALSE(IsWindowVisible(overlay_));
  // Nothing of the old drawing can show, even where hiding leaves the window mapped.
  win::Region rgn(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(GetWindowRgn(overlay_, rgn.get()), NULLREGION);
}

TEST_F(OverlayWindow, RegionHoldsWhatIsDrawnAndNothingElse) {
  ASSERT_GT(dll().Rectangle(200, 200, 400, 300, RGB(255, 0, 0)), 0);
  ASSERT_GT(dll().Point(600, 500, QZSCREENOVERLAY_POINT_CROSS, RGB(0, 0, 255)), 0);
  Pump(100);
  // The outline of the rectangle on all four sides.
  EXPECT_TRUE(RegionNear(300, 200));
  EXPECT_TRUE(RegionNear(300, 300));
  EXPECT_TRUE(RegionNear(200, 250));
  EXPECT_TRUE(RegionNear(400, 250));
  // The cross through its centre.
  EXPECT_TRUE(RegionNear(600, 500));
  // Inside the outline, between the shapes and far away: nothing.
  win::Region rgn = WindowRegion();
  EXPECT_FALSE(PtInRegion(rgn.get(), 300, 250));
  EXPECT_FALSE(PtInRegion(rgn.get(), 500, 400));
  EXPECT_FALSE(PtInRegion(rgn.get(), 20, 20));
  RECT box{};
  GetRgnBox(rgn.get(), &box);
  EXPECT_GE(box.left, 190);
  EXPECT_GE(box.top, 190);
  EXPECT_LE(box.right, 620);
  EXPECT_LE(box.bottom, 520);

  // Hiding one shape takes it out of the region at the next repaint.
  ASSERT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_SHOW, 2, 0, 0, 0), 1);
  Pump(100);
  EXPECT_FALSE(RegionNear(600, 500));
  EXPECT_TRUE(RegionNear(300, 200));
}

TEST_F(OverlayWindow, MouseMessagesOnAnObjectReachTheCallbackWithItsId) {
  CallbackWindow callback;
  dll().SetCallBackWindowHandle(callback.handle());
  const int lower = dll().Rectangle(200, 200, 400, 300, RGB(255, 0, 0));
  const int upper = dll().Rectangle(200, 200, 400, 300, RGB(0, 255, 0));
  ASSERT_GT(upper, lower);
  Pump(100);
  POINT on{};
  ASSERT_TRUE(RegionNear(200, 250, &on));
  callback.Take();
  ASSERT_TRUE(PlaceCursor(on.x, on.y));
  SendMessageA(overlay_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(on.x, on.y));
  SendMessageA(overlay_, WM_LBUTTONUP, 0, MAKELPARAM(on.x, on.y));
  SendMessageA(overlay_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(on.x, on.y));
  SendMessageA(overlay_, WM_MOUSEMOVE, 0, MAKELPARAM(on.x, on.y));
  const LPARAM pos = MAKELPARAM(on.x, on.y);
  // Both outlines are at the same distance: the earlier object keeps the hit.
  const WPARAM hit = static_cast<WPARAM>(lower);
  const std::vector<Posted> expected = {
      {WM_TRANSPARENTELEMENT_MOUSEDOWN, hit, pos}, {WM_TRANSPARENTELEMENT_CLICK, hit, pos},
      {WM_TRANSPARENTELEMENT_MOUSEUP, hit, pos},   {WM_TRANSPARENTELEMENT_DBLCLK, hit, pos},
      {WM_TRANSPARENTELEMENT_MOUSEDOWN, hit, pos},
  };
  // Moving the cursor there makes moves of its own; look at them apart.
  std::vector<Posted> buttons, moves;
  for (const Posted& p : callback.Take()) (p.msg == WM_TRANSPARENTELEMENT_MOUSEMOVE ? moves : buttons).push_back(p);
  EXPECT_EQ(buttons, expected);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back(), (Posted{WM_TRANSPARENTELEMENT_MOUSEMOVE, hit, pos}));

  // A closer outline on top takes the hit: the upper rectangle's edge lies on the cursor.
  const int closer = dll().Rectangle(on.x, 220, on.x + 100, 280, RGB(0, 0, 255));
  Pump(100);
  callback.Take();
  SendMessageA(overlay_, WM_LBUTTONDOWN, MK_LBUTTON, pos);
  SendMessageA(overlay_, WM_LBUTTONUP, 0, pos);
  std::vector<Posted> got = callback.Take();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.front(), (Posted{WM_TRANSPARENTELEMENT_MOUSEDOWN, static_cast<WPARAM>(closer), pos}));

  // Off the outline (inside it) nothing is hit and nothing is posted.
  ASSERT_TRUE(PlaceCursor(350, 250));
  SendMessageA(overlay_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(350, 250));
  SendMessageA(overlay_, WM_LBUTTONUP, 0, MAKELPARAM(350, 250));
  EXPECT_TRUE(callback.Take().empty());
}

bool CursorAt(POINT p) {
  POINT now{};
  GetCursorPos(&now);
  return now.x == p.x && now.y == p.y;
}

// More than one hide or show within one step: the cursor was seen elsewhere in
// between (another program, or a pointer event of the display arriving late).
bool Flapped(const std::vector<int>& statuses) {
  return std::count_if(statuses.begin(), statuses.end(), [](int s) {
           return s == STATUSCHANGED_AUTOHIDE || s == STATUSCHANGED_AUTOSHOW;
         }) > 1;
}

TEST_F(OverlayWindow, AutoHideHidesUnderTheCursorAndSwitchingItOffShowsAgain) {
  CallbackWindow callback;
  dll().SetCallBackWindowHandle(callback.handle());
  const POINT away{20, 20};
  // The cursor belongs to every program on the desktop: when another one moves
  // it during an attempt, the attempt is repeated.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int id = dll().Rectangle(200, 200, 400, 300, RGB(255, 0, 0));
    Pump(100);
    POINT on{};
    ASSERT_TRUE(RegionNear(200, 250, &on));
    ASSERT_TRUE(PlaceCursor(on.x, on.y));
    callback.Take();
    bool held = true;

    ASSERT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_SETAUTOHIDE, id, 1, 0, 0), 1);
    const std::vector<int> hidden = callback.TakeStatus(350);
    const bool hiddenWindow = !IsWindowVisible(overlay_);  // the only object is hidden
    const std::vector<int> quiet = callback.TakeStatus(250);  // nothing while nothing changes
    held = held && CursorAt(on);

    PlaceCursor(away.x, away.y);
    const std::vector<int> shown = callback.TakeStatus(350);
    const bool shownWindow = IsWindowVisible(overlay_);
    held = held && CursorAt(away);

    // Hidden again, then auto-hide is switched off: it must come back at once.
    PlaceCursor(on.x, on.y);
    const std::vector<int> hiddenAgain = callback.TakeStatus(350);
    ASSERT_EQ(dll().Operation(TRANSPARENTELEMENT_OPERATION_SETAUTOHIDE, id, 0, 0, 0), 1);
    const std::vector<int> switchedOff = callback.TakeStatus(150);
    held = held && CursorAt(on);
    for (const std::vector<int>* step : {&hidden, &quiet, &shown, &hiddenAgain, &switchedOff})
      held = held && !Flapped(*step);
    if (!held) {
      dll().Clear();
      continue;
    }
    EXPECT_EQ(hidden, (std::vector<int>{STATUSCHANGED_SET_AUTOHIDE_TRUE, STATUSCHANGED_AUTOHIDE}));
    EXPECT_TRUE(hiddenWindow);
    EXPECT_TRUE(quiet.empty());
    EXPECT_EQ(shown, std::vector<int>{STATUSCHANGED_AUTOSHOW});
    EXPECT_TRUE(shownWindow);
    EXPECT_EQ(hiddenAgain, std::vector<int>{STATUSCHANGED_AUTOHIDE});
    EXPECT_EQ(switchedOff, (std::vector<int>{STATUSCHANGED_SET_AUTOHIDE_FALSE, STATUSCHANGED_AUTOSHOW}));
    EXPECT_TRUE(IsWindowVisible(overlay_));
    EXPECT_TRUE(RegionNear(on.x, on.y));
    PlaceCursor(away.x, away.y);
    return;
  }
  FAIL() << "the cursor was moved by another program in every attempt";
}

// Finds a visible pop-up menu, then closes it.
bool g_menuSeen = false;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  HWND menu = FindWindowA("#32768", nullptr);
  g_menuSeen = menu && IsWindowVisible(menu);
  EndMenu();
}

TEST_F(OverlayWindow, TrayCallbackOpensTheMenuOnTheRightButtonOnly) {
  Pump(250);  // the icon is added at the first 100 ms tick
  g_menuSeen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, CloseMenu);
  SendMessageA(overlay_, kTrayNotify, 1, WM_RBUTTONDOWN);  // returns when the menu closes
  EXPECT_TRUE(g_menuSeen);
  KillTimer(nullptr, timer);

  // Other mouse messages of the icon do nothing.
  SendMessageA(overlay_, kTrayNotify, 1, WM_MOUSEMOVE);
  SendMessageA(overlay_, kTrayNotify, 1, WM_RBUTTONUP);
  EXPECT_EQ(FindWindowA("#32768", nullptr) && IsWindowVisible(FindWindowA("#32768", nullptr)), false);
}

TEST_F(OverlayWindow, CloseRequestsDoNotCloseIt) {
  SendMessageA(overlay_, WM_CLOSE, 0, 0);
  SendMessageA(overlay_, WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump(20);
  EXPECT_TRUE(IsWindow(overlay_));
  EXPECT_GT(dll().Point(10, 10, 0, 0), 0);
  EXPECT_EQ(FindOverlayWindow(), overlay_);
}

BOOL CALLBACK FindOwned(HWND wnd, LPARAM data) {
  auto* pair = reinterpret_cast<std::pair<HWND, HWND>*>(data);
  if (GetWindow(wnd, GW_OWNER) == pair->first && IsWindowVisible(wnd)) pair->second = wnd;
  return TRUE;
}

class InformationWindow : public OverlayDllTest {};

TEST_F(InformationWindow, AppearsFiveSecondsAfterLoadingAndHidesTheHostsObjects) {
  HWND overlay = FindOverlayWindow();
  ASSERT_NE(overlay, nullptr);
  ASSERT_GT(dll().Rectangle(200, 200, 400, 300, RGB(255, 0, 0)), 0);
  Pump(300);
  EXPECT_TRUE(IsWindowVisible(overlay));
  std::pair<HWND, HWND> found{overlay, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&found));
  EXPECT_EQ(found.second, nullptr);

  Pump(5000);
  EnumThreadWindows(GetCurrentThreadId(), FindOwned, reinterpret_cast<LPARAM>(&found));
  EXPECT_NE(found.second, nullptr);  // the information window, owned by the overlay
  EXPECT_FALSE(IsWindowVisible(overlay));  // only demonstration objects are drawn meanwhile
}

}  // namespace

#include "OwnProcessMain.h"
QZ_OWN_PROCESS_TEST_MAIN
