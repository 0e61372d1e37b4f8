#include <gtest/gtest.h>
#include "RegionTestUtil.h"
#include "TestShape.h"
#include "uScreenObjectForm.h"
#include "win/DesktopMetrics.h"

namespace {

bool Layered(HWND w) { return (::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
bool ClickThroughStyle(HWND w) { return (::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; }

BYTE AlphaOf(HWND w) {
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  ::GetLayeredWindowAttributes(w, &key, &alpha, &flags);
  return alpha;
}

RECT WindowRgnBox(HWND w) {
  win::Region r = EmptyRgn();
  ::GetWindowRgn(w, r.get());
  return RgnBox(r.get());
}

class OwnWindowTest : public ::testing::Test {
protected:
  win::FixedDesktopMetrics metrics;
  win::ScopedDesktopMetrics use{metrics};
  FakeOverlay overlay;
};

}  // namespace

TEST_F(OwnWindowTest, TransparencyAndClickThroughCreateAndFreeTheWindow) {
  TTestShape s(1);
  s.SetOverlayForm(&overlay);
  s.SetTransparentFactor(50);
  ASSERT_TRUE(s.OwnForm);
  EXPECT_TRUE(s.HasOwnWindow);
  HWND w = s.OwnForm->Handle();
  EXPECT_TRUE(Layered(w));
  EXPECT_EQ(AlphaOf(w), 127);
  EXPECT_FALSE(ClickThroughStyle(w));
  s.SetTransparentFactor(0);   // the window stays, now opaque
  ASSERT_TRUE(s.OwnForm);
  EXPECT_EQ(s.OwnForm->Alpha, 0);
  EXPECT_EQ(AlphaOf(w), 255);
  s.SetTransparentFactor(150);   // clamped
  EXPECT_EQ(s.TransparentFactor, 100);
  EXPECT_EQ(AlphaOf(w), 0);

  s.SetLineColor(RGB(1, 2, 3));   // the own window takes the colours
  EXPECT_EQ(s.OwnForm->GetColor(), RGB(1, 2, 3));
  s.SetBackColor(RGB(4, 5, 6));
  EXPECT_EQ(s.OwnForm->GetColor(), RGB(4, 5, 6));

  TTestShape c(1);
  c.SetLineColor(RGB(9, 9, 9));
  c.SetClickThrough(true);
  EXPECT_EQ(c.OwnForm->GetColor(), RGB(9, 9, 9));
  ASSERT_TRUE(c.OwnForm);
  EXPECT_TRUE(ClickThroughStyle(c.OwnForm->Handle()));
  c.SetClickThrough(false);
  EXPECT_FALSE(c.OwnForm);
  EXPECT_FALSE(c.HasOwnWindow);
}

TEST_F(OwnWindowTest, WindowIsUnownedToolWindowAndLeavesTheOverlayVisible) {
  ::ShowWindow(overlay.OverlayHandle(), SW_SHOWNOACTIVATE);
  TTestShape s(1);
  s.SetOverlayForm(&overlay);
  s.SetTransparentFactor(30);
  ASSERT_TRUE(s.OwnForm);
  HWND w = s.OwnForm->Handle();
  EXPECT_EQ(::GetWindow(w, GW_OWNER), nullptr);
  EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(::IsWindowVisible(overlay.OverlayHandle()));
  char caption[32] = {0};
  ::GetWindowTextA(w, caption, sizeof(caption));
  EXPECT_STREQ(caption, "ObjectForm");
}

TEST_F(OwnWindowTest, PaintPlacesWindowAndKeepsTheShapesRegion) {
  metrics.origin = POINT{50, 20};
  TTestShape s(1);
  s.AddPoint(100, 50);   // bounds (90, 40, 110, 60)
  s.SetOverlayForm(&overlay);
  s.SetTransparentFactor(20);
  win::Region overlayRgn = EmptyRgn();
  s.Paint(nullptr, RECT{0, 0, 1024, 768}, false, overlayRgn.get());
  EXPECT_TRUE(RgnEmpty(overlayRgn.get()));   // an own-window shape adds nothing to the overlay
  HWND w = s.OwnForm->Handle();
  RECT wr{};
  ::GetWindowRect(w, &wr);
  EXPECT_TRUE(SameRect(wr, RECT{50 + 80, 20 + 30, 50 + 120, 20 + 70}));
  EXPECT_TRUE(::IsWindowVisible(w));
  // The marker (95, 45, 105, 55) sits at (15, 15, 25, 25) in the window; the
  // shape still owns a valid region of its own, in overlay coordinates.
  EXPECT_TRUE(SameRect(WindowRgnBox(w), RECT{15, 15, 25, 25}));
  ASSERT_TRUE(s.Region);
  EXPECT_TRUE(SameRect(RgnBox(s.Region.get()), RECT{95, 45, 105, 55}));
  // Repainting after a move updates the window although the handles may repeat.
  s.MoveBy(0, 0);
  s.SetPointSize(12);
  s.Paint(nullptr, RECT{0, 0, 1024, 768}, false, overlayRgn.get());
  EXPECT_TRUE(SameRect(WindowRgnBox(w), RECT{13, 13, 27, 27}));
  s.Region.reset();   // freeing the shape's region leaves the window's intact
  EXPECT_TRUE(SameRect(WindowRgnBox(w), RECT{13, 13, 27, 27}));
  s.SetVisible(false);
  EXPECT_FALSE(::IsWindowVisible(w));
}

TEST_F(OwnWindowTest, SetRegionComparesContentsNotHandles) {
  TScreenObjectForm f;
  win::Region r(::CreateRectRgn(0, 0, 5, 5));
  f.SetRegion(r.get());
  EXPECT_TRUE(SameRect(WindowRgnBox(f.Handle()), RECT{0, 0, 5, 5}));
  win::Region bigger(::CreateRectRgn(0, 0, 8, 8));
  ::CombineRgn(r.get(), bigger.get(), nullptr, RGN_COPY);   // same handle, new contents
  f.SetRegion(r.get());
  EXPECT_TRUE(SameRect(WindowRgnBox(f.Handle()), RECT{0, 0, 8, 8}));
  EXPECT_TRUE(::EqualRgn(f.Region.get(), r.get()));
  EXPECT_NE(f.Region.get(), r.get());   // the form keeps a copy of its own
}

TEST_F(OwnWindowTest, AlphaWithCurrentValueChangesNothing) {
  TScreenObjectForm f;
  f.SetAlpha(0);
  EXPECT_FALSE(Layered(f.Handle()));   // a fresh window already has alpha 0
  f.SetAlpha(10);
  EXPECT_TRUE(Layered(f.Handle()));
  EXPECT_EQ(AlphaOf(f.Handle()), 229);
}

TEST_F(OwnWindowTest, PictureCanvas) {
  TScreenObjectForm f;
  EXPECT_EQ(f.GetCanvas(), nullptr);
  ::SetWindowPos(f.Handle(), nullptr, 0, 0, 30, 20, SWP_NOZORDER | SWP_NOACTIVATE);
  f.CreateImage();
  win::Canvas* c = f.GetCanvas();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(f.Image->width(), 30);
  EXPECT_EQ(f.Image->height(), 20);
  ::SetWindowPos(f.Handle(), nullptr, 0, 0, 40, 10, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(f.Image->empty());   // cleared by the resize
  ASSERT_NE(f.GetCanvas(), nullptr);
  EXPECT_EQ(f.Image->width(), 40);
}

TEST_F(OwnWindowTest, MouseInputIsForwardedToTheOverlay) {
  TTestShape s(1);
  s.SetOverlayForm(&overlay);
  s.SetClickThrough(true);
  TScreenObjectForm& f = *s.OwnForm;
  ::SetWindowPos(f.Handle(), nullptr, 100, 200, 40, 40, SWP_NOZORDER | SWP_NOACTIVATE);
  f.FormMouseDown(TMouseButton::mbRight, 0, 3, 4);
  f.FormMouseUp(TMouseButton::mbMiddle, 0, 5, 6);
  f.FormMouseMove(ssLeft | ssShift, 7, 8);   // Shift with a button: an ordinary move
  f.FormDblClick();
  f.FormMouseWheel(0, -120, 1, 2);
  f.FormMouseWheelDown(0, 1, 2);
  overlay.Pump();
  ASSERT_EQ(overlay.msgs.size(), 6u);
  struct Expect { UINT msg; WPARAM w; LPARAM l; } expected[] = {
      {WM_RBUTTONDOWN, 0, MAKELPARAM(103, 204)}, {WM_MBUTTONUP, 0, MAKELPARAM(105, 206)},
      {WM_MOUSEMOVE, 0, MAKELPARAM(7, 8)},       {WM_LBUTTONDBLCLK, 0, 0},
      {WM_MOUSEWHEEL, static_cast<WPARAM>(-120), MAKELPARAM(101, 202)},
      {WM_MBUTTONDOWN, 0, MAKELPARAM(101, 202)}};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(overlay.msgs[i].msg, expected[i].msg) << i;
    EXPECT_EQ(overlay.msgs[i].w, expected[i].w) << i;
    EXPECT_EQ(overlay.msgs[i].l, expected[i].l) << i;
  }
  EXPECT_EQ(f.MouseX, 7);
  EXPECT_EQ(f.MouseY, 8);
  int32_t distance = 0;
  EXPECT_TRUE(s.IsOverObject(POINT{7, 8}, 0, distance));
  EXPECT_FALSE(s.IsOverObject(POINT{107, 208}, 0, distance));
  TScreenObjectForm lonely;   // no shape: nothing is sent
  lonely.FormMouseDown(TMouseButton::mbLeft, 0, 1, 1);
}

TEST_F(OwnWindowTest, ShiftMoveChangesTransparency) {
  struct Case { int alpha; int toX, toY; int expected; } cases[] = {
      {60, 10, 50, 60},   // asks for 100: ignored
      {50, 10, 50, 90},   // 40 px left: +40
      {50, 50, 80, 20},   // 30 px down: -30
      {0, 60, 50, 0},     // below 0: ignored
      {50, 53, 53, 50}};  // diagonal: nothing
  for (const auto& c : cases) {
    TTestShape s(1);
    s.SetOverlayForm(&overlay);
    s.SetTransparentFactor(c.alpha);
    s.SetClickThrough(true);   // keeps the window even at 0 %
    TScreenObjectForm& f = *s.OwnForm;
    f.FormMouseMove(ssShift, 50, 50);   // only records the start
    EXPECT_TRUE(f.ShiftActive);
    EXPECT_EQ(s.TransparentFactor, c.alpha);
    f.FormMouseMove(ssShift, c.toX, c.toY);
    EXPECT_EQ(s.TransparentFactor, c.expected) << c.alpha << " to " << c.toX << "," << c.toY;
    EXPECT_EQ(f.Alpha, c.expected);
    bool diagonal = c.toX - 50 == c.toY - 50;
    EXPECT_EQ(f.ShiftStartX, diagonal ? 50 : c.toX);
  }
  // After a diagonal step the next move is measured from the old start.
  TTestShape s(1);
  s.SetTransparentFactor(50);
  TScreenObjectForm& f = *s.OwnForm;
  f.FormMouseMove(ssShift, 10, 10);
  f.FormMouseMove(ssShift, 13, 13);
  f.FormMouseMove(ssShift, 12, 10);
  EXPECT_EQ(s.TransparentFactor, 48);
  overlay.msgs.clear();
  f.FormMouseMove(ssShift | ssCtrl, 1, 1);   // Ctrl+Shift: forwarded, Shift mode ends
  EXPECT_FALSE(f.ShiftActive);
}

TEST_F(OwnWindowTest, RealMessagesReachTheHandlers) {
  TTestShape s(1);
  s.SetOverlayForm(&overlay);
  s.SetClickThrough(true);
  HWND w = s.OwnForm->Handle();
  ::SetWindowPos(w, nullptr, 10, 20, 40, 40, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 3));
  ::SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(4, 5));
  ASSERT_EQ(overlay.msgs.size(), 2u);
  EXPECT_EQ(overlay.msgs[0].msg, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(overlay.msgs[0].l, MAKELPARAM(12, 23));
  EXPECT_EQ(s.OwnForm->MouseX, 4);
}
