// The help window on its own: docking to a window, its layout, the entries
// it draws and the rectangles it records for the guides, its texts.
#include "help/uInstantHelp.h"
#include "win/GuiForm.h"
#include <windows.h>
#include <gtest/gtest.h>
#include "AppTestText.h"

namespace {
struct HelpWindowTest : ::testing::Test {
  win::Form* main = nullptr;
  TInstantHelpForm* help = nullptr;
  int updates = 0;
  void SetUp() override {
    win::app().initialize();
    main = win::Form::create<win::Form>(nullptr, "Main");
    main->setBounds(50, 40, 500, 400);
    main->show();
    help = win::Form::create<TInstantHelpForm>();
    help->DockTo = main;
    help->OnUpdateHelp = [this] { ++updates; };
    // Other programs share the display: on top, nothing covers the list,
    // which records its entries' rectangles only while drawing them.
    ::SetWindowPos(help->handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  void TearDown() override {
    help->release();
    main->release();
    Language = 1;
  }
};
}  // namespace

TEST_F(HelpWindowTest, DocksAgainstTheRightEdgeAndFollowsTheWindow) {
  help->show();
  pumpFor(300);
  EXPECT_EQ(help->left(), 550);
  EXPECT_EQ(help->top(), 40);
  EXPECT_EQ(help->height(), 400);
  EXPECT_EQ(help->width(), 196);

  updates = 0;
  main->setBounds(80, 60, 520, 450);
  pumpFor(300);
  EXPECT_EQ(help->left(), 600);
  EXPECT_EQ(help->top(), 60);
  EXPECT_EQ(help->height(), 450);
  EXPECT_GT(updates, 0);   // the guides follow the entries

  // A minimised window's parking place is no place to dock to.
  main->setWindowState(win::WindowState::Minimized);
  pumpFor(300);
  EXPECT_EQ(help->left(), 600);
  EXPECT_EQ(help->top(), 60);
  main->setWindowState(win::WindowState::Normal);
}

TEST_F(HelpWindowTest, ListAboveTheCheckBoxWhichSitsAtTheBottom) {
  help->setBounds(10, 10, 196, 441);
  EXPECT_EQ(help->GuidingHelpCheckBox->top(), help->clientHeight() - help->GuidingHelpCheckBox->height() - 5);
  EXPECT_EQ(help->HelpListBox->left(), 0);
  EXPECT_EQ(help->HelpListBox->top(), 0);
  EXPECT_EQ(help->HelpListBox->width(), help->clientWidth());
  EXPECT_EQ(help->HelpListBox->height(), help->clientHeight() - help->GuidingHelpCheckBox->height() - 15);
  EXPECT_TRUE(help->GuidingHelpCheckBox->checked());
  EXPECT_EQ(help->caption(), "Help");
}

TEST_F(HelpWindowTest, EntriesAreWrappedStripedAndRecordedForTheGuides) {
  help->show();
  pumpFor(250);
  help->HelpItemRects.Item[0] = {1, 1, 1, 1};
  help->ShowSteps({"short", "a much longer entry that needs several lines in this narrow window to be read",
                   "third"});
  EXPECT_EQ(help->HelpItemRects.Item[0].right, 0);   // reset until drawn again
  HWND list = help->HelpListBox->handle();
  int h0 = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  int h1 = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, 1, 0));
  EXPECT_GE(h0, 10 + 12);
  EXPECT_GT(h1, 2 * h0 - 10);   // at least two lines of text

  ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  pumpFor(50);
  RECT item0, item1;
  ::SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item0));
  ::SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item1));
  POINT o = {0, 0};
  ::ClientToScreen(list, &o);
  const RECT& r0 = help->HelpItemRects.Item[0];
  const RECT& r1 = help->HelpItemRects.Item[1];
  EXPECT_EQ(r0.left, o.x + item0.left);
  EXPECT_EQ(r0.top, o.y + item0.top);
  EXPECT_EQ(r0.right, o.x + item0.right);
  EXPECT_EQ(r0.bottom, o.y + item0.bottom);
  EXPECT_EQ(r1.top, o.y + item1.top + 2);
  EXPECT_EQ(r1.bottom, o.y + item1.bottom);

  // Odd entries grey, even ones white.
  win::WindowDc dc(list);
  EXPECT_EQ(::GetPixel(dc.get(), item0.right - 2, item0.bottom - 2), RGB(255, 255, 255));
  EXPECT_EQ(::GetPixel(dc.get(), item1.right - 2, item1.bottom - 2), RGB(230, 230, 230));
}

TEST_F(HelpWindowTest, ShortListsAreLimitedToTheListsLowerEdge) {
  help->show();
  help->setBounds(help->left(), help->top(), 196, 120);   // room for about one entry
  pumpFor(50);
  help->ShowSteps({"a much longer entry that needs several lines in this narrow window to be read",
                   "a second entry that also needs several lines in this narrow window"});
  HWND list = help->HelpListBox->handle();
  ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  pumpFor(50);
  POINT lower = {0, help->HelpListBox->height()};
  ::ClientToScreen(list, &lower);
  EXPECT_LE(help->HelpItemRects.Item[0].bottom, lower.y);
  EXPECT_LE(help->HelpItemRects.Item[1].bottom, lower.y);
}

TEST_F(HelpWindowTest, TextsOfTheLanguages) {
  struct { int32_t language; std::string caption, box; } cases[] = {
      {0, "Hilfe", ansi(u8"geführte Hilfe")}, {1, "Help", "guiding help"}, {-1, "Help", "guiding help"}};
  for (const auto& c : cases) {
    Language = c.language;
    updates = 0;
    help->SetCurrentLanguage();
    EXPECT_EQ(help->caption(), c.caption);
    EXPECT_EQ(help->GuidingHelpCheckBox->caption(), c.box);
    EXPECT_EQ(updates, 1);
  }
  Language = 0;
  help->SetCurrentLanguage();
  Language = 5;   // no built-in texts: nothing changes
  help->SetCurrentLanguage();
  EXPECT_EQ(help->caption(), "Hilfe");
}

TEST_F(HelpWindowTest, ShowingHidingAndGuidingRefreshTheHelp) {
  updates = 0;
  help->show();
  EXPECT_GE(updates, 1);
  EXPECT_TRUE(help->InitTimer.enabled());
  updates = 0;
  help->GuidingHelpCheckBox->setChecked(false);
  EXPECT_EQ(updates, 1);
  updates = 0;
  pumpFor(1700);   // one more refresh once the layout has settled
  EXPECT_FALSE(help->InitTimer.enabled());
  EXPECT_GE(updates, 1);
  updates = 0;
  help->hide();
  EXPECT_GE(updates, 1);
}
