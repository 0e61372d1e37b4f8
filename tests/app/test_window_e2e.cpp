// End to end, on the screen: after a search that finds no file the help
// lists the "nothing found" step and each guide runs from its own entry to
// its control (the file list, then the old string); minimising the main
// window takes the help window down with it and restoring brings both
// back; the main window keeps its minimum size however a size change
// arrives, also when the X server resizes its window.
// Needs the display to itself (the program must stay active for its guides).
#include "AppInput.h"
#include "AppProgram.h"
#include "AppTestDir.h"
#include "help/uHelpSteps.h"
#include "mainwindow/uSnRFormControlIds.h"
#include "model/uSnRJobBuilding.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace apptest;

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

RECT around(POINT p, int r) { return {p.x - r, p.y - r, p.x + r + 1, p.y + r + 1}; }

// A guide rectangle lies on the control's edge.
bool edgeShows(HWND control, COLORREF color) {
  const RECT r = WindowRect(control);
  return CountPixels({r.left, r.top - 1, r.right, r.top + 2}, color) >= 20;
}

// The guide's rectangle around help entry `index` shows at the entry's left middle.
bool entryShows(HWND list, int index, COLORREF color) {
  POINT o = {0, 0};
  ::ClientToScreen(list, &o);
  int top = o.y;
  for (int i = 0; i < index; ++i) top += static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, i, 0));
  const int height = static_cast<int>(::SendMessageA(list, LB_GETITEMHEIGHT, index, 0));
  return CountPixels(around({o.x, top + height / 2}, 2), color) >= 2;
}

std::vector<std::string> englishSteps(std::initializer_list<THelpStep> steps) {
  std::vector<std::string> texts;
  for (THelpStep s : steps) texts.push_back(HelpStepText(s, 1));
  return texts;
}

bool docked(const Windows& w) {
  const RECT m = WindowRect(w.main), h = WindowRect(w.help);
  return h.left == m.right && h.top == m.top && h.bottom == m.bottom;
}

// What the screen shows of the help list: its white entries.
int helpPixels(const Windows& w) { return CountPixels(WindowRect(childOfClass(w.help, "ListBox")), RGB(255, 255, 255)); }

// Pixels of the display's background (black without a window manager) in a rectangle.
int blackPixels(const RECT& r) { return CountPixels(r, RGB(0, 0, 0)); }

// Resizes the program's X window as a window manager or another X client
// would: perl (always there on the system) speaks the X protocol to the
// display's socket; it leaves a mark file once the server has done it.
bool resizeXWindow(HWND main, int width, int height) {
  const auto xid = reinterpret_cast<UINT_PTR>(::GetPropA(main, "__wine_x11_whole_window"));
  if (!xid) return false;
  const std::string mark = "/tmp/qz_x_resize_" + std::to_string(::GetCurrentProcessId());
  const std::string dosMark = "Z:" + mark;
  ::DeleteFileA(dosMark.c_str());
  // Connection set-up; ConfigureWindow (width and height); GetInputFocus,
  // whose reply (not an error) comes once the server has done the first.
  const std::string script =
      "use IO::Socket::UNIX; my ($win,$w,$h,$mark)=@ARGV; my ($n)=$ENV{DISPLAY}=~/:(\\d+)/; my ($head,$rest,$reply,$f);"
      "my $s=IO::Socket::UNIX->new(Peer=>qq{/tmp/.X11-unix/X$n}) or exit 1;"
      "print $s pack(q{Cxvvvvxx},0x6c,11,0,0,0);"
      "read($s,$head,8)==8 && unpack(q{C},$head)==1 or exit 2; read($s,$rest,unpack(q{x6v},$head)*4);"
      "print $s pack(q{CxvVvxxVV},12,5,hex($win),12,$w,$h), pack(q{Cxv},43,1);"
      "read($s,$reply,32)==32 && unpack(q{C},$reply)==1 or exit 3; open($f,q{>},$mark) and print $f q{done};";
  char id[32];
  wsprintfA(id, "0x%lx", static_cast<unsigned long>(xid));
  std::string cmd = "perl -e \"" + script + "\" " + id + " " + std::to_string(width) + " " + std::to_string(height) +
                    " " + mark;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessA("Z:\\usr\\bin\\perl", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  const bool done = waitFor([&] { return AppTestDir::exists(dosMark); }, 10000);
  ::DeleteFileA(dosMark.c_str());
  return done;
}

}  // namespace

TEST(WindowEndToEnd, HelpAfterAFruitlessSearchMinimiseAndRestoreAndTheMinimumSize) {
  ASSERT_TRUE(AppTestDir::exists("QzSearchAndReplace.exe")) << "the program is built with the tests";
  AppTestDir dir;
  ::CreateDirectoryA((dir / "files").c_str(), nullptr);
  AppTestDir::write(dir / "files\\a.txt", "a");
  Program program;
  Windows w;
  ASSERT_TRUE(StartActive(program, dir.path() + "appdata", w));
  HWND path = childById(w.main, idPathComboBox), mask = childById(w.main, idMaskComboBox);
  HWND files = childById(w.main, idFileCheckListBox), fromFrame = childById(w.main, idCombiEditCharHexFrameFromStr);
  HWND label = childById(w.main, idFileSearchResultLabel), helpList = childOfClass(w.help, "ListBox");
  ASSERT_TRUE(path && mask && files && fromFrame && label && helpList);

  {
    SCOPED_TRACE("a mistyped path, both strings empty");
    SetComboText(path, dir / "nowhere");
    SetComboText(mask, "*.txt");
    ASSERT_TRUE(waitFor([&] { return ControlText(label) == SnRScanText(1, true, 0); }, 20000)) << ControlText(label);
    const auto expected = englishSteps({THelpStep::hsNothingFound, THelpStep::hsOldString, THelpStep::hsNewString});
    EXPECT_TRUE(waitFor([&] { return ListItems(helpList) == expected; }, 5000))
        << ListItems(helpList).size() << " steps listed";
    EXPECT_TRUE(waitFor([&] { return edgeShows(files, kRed) && entryShows(helpList, 0, kRed); }, 8000))
        << "red from the first entry to the file list";
    EXPECT_TRUE(waitFor([&] { return edgeShows(fromFrame, kBlue) && entryShows(helpList, 1, kBlue); }, 3000))
        << "blue from the second entry to the old string";
  }
  {
    SCOPED_TRACE("both strings given, a mask that matches nothing");
    SetComboText(childById(w.main, idFromStrHexComboBox), "41");
    SetComboText(childById(w.main, idToStrHexComboBox), "42");
    SetComboText(path, dir / "files");
    SetComboText(mask, "*.abc");
    const auto expected = englishSteps({THelpStep::hsNothingFound});
    EXPECT_TRUE(waitFor([&] { return ListItems(helpList) == expected; }, 20000))
        << ListItems(helpList).size() << " steps listed; " << ControlText(label);
    EXPECT_TRUE(waitFor([&] { return edgeShows(files, kRed) && entryShows(helpList, 0, kRed); }, 8000));
    EXPECT_FALSE(edgeShows(fromFrame, kBlue) || edgeShows(fromFrame, kRed)) << "no guide for a string";
  }

  {
    SCOPED_TRACE("minimise and restore");
    ASSERT_GT(helpPixels(w), 1000);
    ::PostMessageA(w.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(waitFor([&] { return ::IsIconic(w.main) && !::IsWindowVisible(w.help); }, 10000))
        << "the help window stays when the main window is minimised";
    EXPECT_TRUE(waitFor([&] { return helpPixels(w) < 100; }, 5000)) << "the help list still shows";
    ::PostMessageA(w.main, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(waitFor([&] { return !::IsIconic(w.main) && ::IsWindowVisible(w.help) && docked(w); }, 10000))
        << "the help window does not come back with the main window";
    ASSERT_TRUE(Activate(w.main));
    EXPECT_TRUE(waitFor([&] { return helpPixels(w) > 1000 && edgeShows(files, kRed); }, 8000))
        << "the help list and its guide on the screen again";
  }

  {
    SCOPED_TRACE("minimum size");
    ::SetWindowPos(w.main, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(waitFor([&] {
      const RECT r = WindowRect(w.main);
      return r.right - r.left == 677 && r.bottom - r.top == 502;
    }, 3000)) << "a size set by another program";
    HWND start = childById(w.main, idSnRButton);
    ASSERT_TRUE(resizeXWindow(w.main, 500, 400)) << "the X window could not be resized";
    // The X window comes back to the window's size: the start button shows
    // (a window cut off shows the display's black instead).
    const RECT button = WindowRect(start);
    const int area = (button.right - button.left) * (button.bottom - button.top);
    EXPECT_TRUE(waitFor([&] {
      const RECT r = WindowRect(w.main);
      return r.right - r.left == 677 && r.bottom - r.top == 502 && blackPixels(button) < area / 10;
    }, 5000)) << blackPixels(button) << " of " << area << " pixels of the start button are black";
    EXPECT_TRUE(waitFor([&] { return docked(w); }, 3000));
  }

  EXPECT_TRUE(program.close(w.main));
}
