// End to end: the program started as the user starts it (with a data folder
// of its own) docks its help window beside the main window and draws the
// guide lines of the first steps through the overlay library, whose window
// region then holds them; the language menu switches the windows at once.
#include "AppProgram.h"
#include "AppTestDir.h"
#include "settings/Iniregi.h"
#include "mainwindow/uSnRFormControlIds.h"
#include "model/uSnRJobBuilding.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>

using namespace apptest;

namespace {
// Other programs share the display: on top, nothing covers the help list,
// whose drawing records where the guides start.
void bringToTop(const Windows& w) {
  for (HWND h : {w.main, w.help})
    ::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool docked(const Windows& w) {
  RECT m, h;
  ::GetWindowRect(w.main, &m);
  ::GetWindowRect(w.help, &h);
  return h.left == m.right && h.top == m.top && h.bottom == m.bottom;
}

// Checks that the overlay's region holds the red guide from the first help
// entry to the path box: the point at the box's top middle, the rectangle
// around the box and around the entry, the line between them.
void expectPathGuide(const Windows& w) {
  HWND path = childById(w.main, idPathComboBox);
  HWND list = childOfClass(w.help, "ListBox");
  ASSERT_TRUE(path && list);
  RECT pr;
  ::GetWindowRect(path, &pr);
  POINT a = {0, 0};
  ::ClientToScreen(path, &a);
  const POINT b = {a.x + (pr.right - pr.left), a.y + (pr.bottom - pr.top)};
  const int m = (a.x + b.x) / 2;
  POINT o = {0, 0};
  ::ClientToScreen(list, &o);
  const int entryHeight = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  const int entryMiddle = (2 * o.y + entryHeight) / 2;

  // The guides come 100 ms after the help settles, while the program is the
  // active one (other programs on the display may take that away: bring it
  // to the front as the user would).
  ASSERT_TRUE(waitFor(
      [&] {
        if (ScreenRegion(w.overlay).covers(m, a.y)) return true;
        ::SetForegroundWindow(w.main);
        return false;
      },
      8000))
      << "no guide at the path box";
  ScreenRegion region(w.overlay);
  ASSERT_TRUE(region.valid);
  EXPECT_TRUE(region.covers(a.x, (a.y + b.y) / 2)) << "rectangle around the path box";
  EXPECT_TRUE(region.covers(b.x, (a.y + b.y) / 2));
  EXPECT_FALSE(region.covers((a.x + m) / 2, (a.y + b.y) / 2, 0)) << "the box itself stays uncovered";
  EXPECT_TRUE(region.covers(o.x, o.y + entryHeight / 2 + 4)) << "rectangle around the help entry";
  EXPECT_TRUE(region.covers((o.x + m) / 2, (entryMiddle + a.y) / 2, 3)) << "line from the entry to the box";
  EXPECT_FALSE(region.covers((o.x + m) / 2, (entryMiddle + a.y) / 2 + 40, 0));
}
}  // namespace

TEST(HelpEndToEnd, HelpDocksBesideTheMainWindowAndGuidesReachThePathBox) {
  ASSERT_TRUE(AppTestDir::exists("QzSearchAndReplace.exe")) << "the program is built with the tests";
  AppTestDir dir;
  const std::string ini = dir.path() + "appdata\\Qz-Rudize&Darozad Edo\\QzSearchAndReplace.ini";
  {
    Program program;
    ASSERT_TRUE(program.start(dir.path() + "appdata"));
    Windows w;
    ASSERT_TRUE(findWindows(program, w)) << "main " << w.main << " help " << w.help << " overlay " << w.overlay;
    bringToTop(w);
    EXPECT_TRUE(waitFor([&] { return docked(w); }, 3000)) << "help window beside the main window";
    EXPECT_EQ(text(w.help), "Help");
    EXPECT_EQ(text(childById(w.main, idSnRButton)), "Radavi&&&Dezevud Strings in Selected Files");
    expectPathGuide(w);
    EXPECT_TRUE(program.close(w.main));
  }
  // The next start in German.
  WriteIniString(ini, "Generel", "Sprache", "0");
  {
    Program program;
    ASSERT_TRUE(program.start(dir.path() + "appdata"));
    Windows w;
    ASSERT_TRUE(findWindows(program, w));
    bringToTop(w);
    EXPECT_EQ(text(w.help), "Hilfe");
    EXPECT_EQ(text(childById(w.main, idSnRButton)), "Radavi&&&Dezevud durchf\xFC" "hren ");
    EXPECT_TRUE(waitFor([&] { return docked(w); }, 3000));
    expectPathGuide(w);
    EXPECT_TRUE(program.close(w.main));
  }
  EXPECT_EQ(ReadIniString(ini, "Generel", "Sprache", ""), "0");
}
