// The step-by-step help with the real main window: the guides it draws for
// its controls (recorded instead of drawn), the menu commands of the help,
// and switching all three windows between the languages at run time.
#include "AppTestDir.h"
#include "settings/Iniregi.h"
#include "help/uHelpSteps.h"
#include "help/uInstantHelp.h"
#include "mainwindow/uSearchAndReplace.h"
#include "texts/uSnRAbout.h"
#include "texts/uSnRTexts.h"
#include <windows.h>
#include <gtest/gtest.h>
#include "AppTestText.h"
#include <sstream>

namespace {
struct Recorder : IGuideSink {
  std::vector<std::string> calls;
  void Clear() override { calls.push_back("Clear"); }
  void Point(int x, int y, int style, COLORREF c) override { add("Point", {x, y, style}, c); }
  void Rectangle(int l, int t, int r, int b, COLORREF c) override { add("Rect", {l, t, r, b}, c); }
  void Line(int x1, int y1, int x2, int y2, COLORREF c) override { add("Line", {x1, y1, x2, y2}, c); }
  void add(const char* what, std::vector<int> v, COLORREF c) {
    std::ostringstream o;
    o << what;
    for (int i : v) o << " " << i;
    o << (c == RGB(255, 0, 0) ? " red" : c == RGB(0, 0, 255) ? " blue" : " other");
    calls.push_back(o.str());
  }
  // What the screen shows: the calls after the last clearing.
  std::vector<std::string> shown() const {
    auto last = std::find(calls.rbegin(), calls.rend(), std::string("Clear"));
    return std::vector<std::string>(last.base(), calls.end());
  }
};

// The five calls of a guide from a help entry to a control.
std::vector<std::string> guide(const RECT& e, win::Control* c, const char* color) {
  POINT a = {0, 0}, b = {c->width(), c->height()};
  ::ClientToScreen(c->handle(), &a);
  ::ClientToScreen(c->handle(), &b);
  Recorder r;
  const COLORREF col = std::string(color) == "red" ? RGB(255, 0, 0) : RGB(0, 0, 255);
  const int my = (e.top + e.bottom) / 2, mx = (a.x + b.x) / 2;
  r.Point(e.left, my, 1, col);
  r.Point(mx, a.y, 1, col);
  r.Rectangle(a.x, a.y, b.x, b.y, col);
  r.Rectangle(e.left, e.top, e.right, e.bottom, col);
  r.Line(e.left, my, mx, a.y, col);
  return r.calls;
}

std::vector<std::string> concat(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct MainHelpTest : ::testing::Test {
  AppTestDir dir;
  Recorder rec;
  void SetUp() override {
    ::CreateDirectoryA((dir.path() + "prog").c_str(), nullptr);
    ::CreateDirectoryA((dir.path() + "appdata").c_str(), nullptr);
    InitMainFormUnitFor(dir.path() + "prog\\QzSearchAndReplace.exe", dir.path() + "appdata");
    win::app().initialize();
    GuideSinkOverride = &rec;
    SnRForm = win::Form::create<TSnRForm>();
    InstantHelpForm = win::Form::create<TInstantHelpForm>();
    SnRAboutForm = win::Form::create<TSnRAboutForm>();
    SnRAboutForm->OpenUrl = [](const std::string&) {};
  }
  void TearDown() override {
    SnRAboutForm->release();
    SnRAboutForm = nullptr;
    InstantHelpForm->release();
    InstantHelpForm = nullptr;
    SnRForm->release();
    SnRForm = nullptr;
    win::app().setMainForm(nullptr);
    GuideSinkOverride = nullptr;
  }
  // Shows the main window in front (which shows the help beside it) and
  // lets the help list and the guides settle.
  // Other programs share the display: on top, nothing covers the help list,
  // whose drawing records the entries' rectangles.
  void showActive() {
    SnRForm->show();
    for (HWND h : {SnRForm->handle(), InstantHelpForm->handle()})
      ::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    pumpFor(1700);   // past the help window's refresh once its layout has settled
    refresh();
  }
  // The guides on the screen once they equal what is expected (or after 2 s).
  std::vector<std::string> shownAs(const std::vector<std::string>& expected) {
    DWORD end = ::GetTickCount() + 2000;
    while (rec.shown() != expected && static_cast<int>(end - ::GetTickCount()) > 0) pumpFor(20);
    return rec.shown();
  }
  bool someShown() {
    DWORD end = ::GetTickCount() + 2000;
    while (rec.shown().empty() && static_cast<int>(end - ::GetTickCount()) > 0) pumpFor(20);
    return !rec.shown().empty();
  }
  // Refreshes the help and lets the guides be drawn. Other programs on the
  // same display may take the activation away meanwhile (which clears the
  // guides): then the refresh is repeated, so that no check passes merely
  // because the program was inactive.
  void refresh() {
    for (int attempt = 0; attempt < 10; ++attempt) {
      ::SetForegroundWindow(SnRForm->handle());
      win::app().activeChanged(true);
      SnRForm->UpdateHelp();
      pumpFor(300);
      if (win::app().active()) return;
    }
    ADD_FAILURE() << "the program never stayed active";
  }
  const RECT& entry(int i) const { return InstantHelpForm->HelpItemRects.Item[i]; }
};
}  // namespace

TEST_F(MainHelpTest, GuidesPointFromTheFirstTwoStepsToTheirControls) {
  showActive();
  ASSERT_TRUE(InstantHelpForm->visible());
  refresh();
  EXPECT_EQ(InstantHelpForm->HelpListBox->count(), 4);   // path, mask, old and new string
  // The entries lie in the help window docked to the right of the main window.
  EXPECT_EQ(InstantHelpForm->left(), SnRForm->left() + SnRForm->width());
  EXPECT_GE(entry(0).left, InstantHelpForm->left());
  EXPECT_GT(entry(1).top, entry(0).top);
  {
    const auto expected = concat({guide(entry(0), SnRForm->PathComboBox, "red"),
                                  guide(entry(0), SnRForm->SelectDirSpeedButton, "red"),
                                  guide(entry(1), SnRForm->MaskComboBox, "blue")});
    EXPECT_EQ(shownAs(expected), expected);
  }

  // Files listed, none checked: the file list first, then the old string.
  SnRForm->AddFile(L"C:\\a.txt");
  SnRForm->AddFile(L"C:\\b.txt");
  refresh();
  {
    const auto expected = concat({guide(entry(0), SnRForm->FileCheckListBox, "red"),
                                  guide(entry(1), SnRForm->CombiEditCharHexFrameFromStr, "blue")});
    EXPECT_EQ(shownAs(expected), expected);
  }

  // A file checked and the old string given: the new string and the start button.
  SnRForm->SetFileChecked(1, true);
  SnRForm->CombiEditCharHexFrameFromStr->CharComboBox->setText("abc");
  SnRForm->CombiEditCharHexFrameFromStr->CharComboBoxKeyUp();
  refresh();
  EXPECT_TRUE(SnRForm->SnRButton->enabled());
  {
    const auto expected = concat({guide(entry(0), SnRForm->CombiEditCharHexFrameToStr, "red"),
                                  guide(entry(1), SnRForm->SnRButton, "blue")});
    EXPECT_EQ(shownAs(expected), expected);
  }
  SnRForm->File1Click();
  EXPECT_TRUE(SnRForm->SaveasBatchFile1->enabled());
}

TEST_F(MainHelpTest, NoGuidesWithGuidingOffOnOtherPagesOrMinimised) {
  showActive();
  ASSERT_TRUE(someShown());

  InstantHelpForm->GuidingHelpCheckBox->setChecked(false);   // clears at once
  EXPECT_TRUE(rec.shown().empty());
  pumpFor(300);
  EXPECT_TRUE(rec.shown().empty());
  InstantHelpForm->GuidingHelpCheckBox->setChecked(true);
  refresh();
  EXPECT_TRUE(someShown());

  SnRForm->MainPageControl->setActivePageIndex(1);
  refresh();
  EXPECT_TRUE(rec.shown().empty());
  SnRForm->MainPageControl->setActivePageIndex(0);
  refresh();
  EXPECT_TRUE(someShown());

  SnRForm->setWindowState(win::WindowState::Minimized);
  refresh();
  EXPECT_TRUE(rec.shown().empty());
  SnRForm->setWindowState(win::WindowState::Normal);

  SnRForm->HelpWindow1Click();   // hides the help window: no guides either
  EXPECT_FALSE(InstantHelpForm->visible());
  EXPECT_EQ(SnRForm->ShowHelpWindow, 0);
  refresh();
  EXPECT_TRUE(rec.shown().empty());
  SnRForm->HelpWindow1Click();   // and shows it again, also without opening the menu
  EXPECT_TRUE(InstantHelpForm->visible());
  EXPECT_EQ(SnRForm->ShowHelpWindow, 1);
}

TEST_F(MainHelpTest, LanguageSwitchesEveryWindowAtOnceAndIsStored) {
  SnRForm->deutsch1->click();
  EXPECT_EQ(GetLanguage(), 0);
  EXPECT_EQ(ReadIniString(GetIniFileName(), "Generel", "Sprache", ""), "0");
  for (const TSnRText& t : SnRFormTexts()) {
    win::Component* c = FindSnRComponent(*SnRForm, t.Name);
    ASSERT_NE(c, nullptr) << t.Name;
    EXPECT_EQ(c->caption(), t.German) << t.Name;
  }
  EXPECT_EQ(SnRForm->WarrantyMemo->lines(), WarrantyLines(0));
  EXPECT_EQ(SnRForm->deutsch1->caption(), "&deutsch");
  EXPECT_EQ(SnRForm->English1->caption(), "&English");
  EXPECT_EQ(InstantHelpForm->caption(), "Hilfe");
  EXPECT_EQ(InstantHelpForm->GuidingHelpCheckBox->caption(), ansi(u8"geführte Hilfe"));
  ASSERT_GT(InstantHelpForm->HelpListBox->count(), 0);
  EXPECT_EQ(InstantHelpForm->HelpListBox->item(0), HelpStepText(THelpStep::hsPath, 0));
  EXPECT_EQ(SnRAboutForm->WidmungLabel->caption(), ansi(u8"für meine Eltern"));

  SnRForm->English1->click();
  EXPECT_EQ(ReadIniString(GetIniFileName(), "Generel", "Sprache", ""), "1");
  for (const TSnRText& t : SnRFormTexts()) EXPECT_EQ(FindSnRComponent(*SnRForm, t.Name)->caption(), t.English);
  EXPECT_EQ(InstantHelpForm->caption(), "Help");
  EXPECT_EQ(InstantHelpForm->HelpListBox->item(0), HelpStepText(THelpStep::hsPath, 1));
  EXPECT_EQ(SnRAboutForm->WidmungLabel->caption(), "dedicated to my parents");
}
