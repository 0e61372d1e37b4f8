// End to end, on the display as the user sees it: the about box and the
// directory dialog, opened for the first time in a run, come up on top of
// the main window and take a click; no guide line is drawn while one of them
// is open, and the guides come back when it closes. In English and German.
// Needs the display to itself (the pointer moves, pixels are read).
#include "AppProgram.h"
#include "AppTestDir.h"
#include "Iniregi.h"
#include "uSnRAbout.h"
#include <gtest/gtest.h>

using namespace apptest;

namespace {

// A real click at a screen point: it reaches whatever window the display
// shows there.
void clickAt(POINT p) {
  ::SetCursorPos(p.x, p.y);
  ::Sleep(100);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, in, sizeof(INPUT));
}

// Moves the help window away; it docks itself again within 200 ms and
// refreshes the help, whose guide-line redraw then runs.
void nudgeHelp(const Windows& w) {
  const RECT r = WindowRect(w.help);
  ::SetWindowPos(w.help, nullptr, r.left + 20, r.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT centre(HWND h) {
  const RECT r = WindowRect(h);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND childWithText(HWND parent, const std::string& caption) {
  ChildCtx ctx{[&caption](HWND h) { return text(h) == caption; }, nullptr};
  ::EnumChildWindows(parent, &visitChild, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

bool guideShown(const Windows& w) {
  const POINT p = PathGuidePoint(w.main);
  return ::IsWindowVisible(w.overlay) && ScreenRegion(w.overlay).covers(p.x, p.y);
}

// A guide line on the screen: the overlay shows something, or guide red lies
// on the dialog.
bool guidesDrawn(const Windows& w, HWND dialog) {
  ScreenRegion region(w.overlay);
  RECT box = {};
  if (::IsWindowVisible(w.overlay) && region.valid && ::GetRgnBox(region.rgn, &box) != NULLREGION) return true;
  return CountPixels(WindowRect(dialog), RGB(255, 0, 0)) > 0;
}

// Opens a modal window by `open`, finds it by its caption, and checks that its
// own pixels (`mark`, a part of it, shows `color`) are on the screen, that no
// guide is drawn meanwhile and that `button` takes a real click.
void checkDialog(const Program& program, const Windows& w, const char* what, const std::function<void()>& open,
                 const std::string& caption, const std::function<HWND(HWND)>& mark, COLORREF color,
                 const std::function<HWND(HWND)>& button) {
  SCOPED_TRACE(what);
  ASSERT_TRUE(waitFor([&] { return guideShown(w); }, 8000)) << "guides before the dialog opens";
  open();
  HWND dialog = nullptr;
  ASSERT_TRUE(waitFor([&] { return (dialog = program.find([&](HWND h) { return text(h) == caption; })) != nullptr; },
                      8000));
  HWND part = mark(dialog);
  ASSERT_TRUE(part);
  // The display shows the dialog's own pixels where it lies.
  EXPECT_TRUE(waitFor([&] { return CountPixels(WindowRect(part), color) >= 10; }, 5000)) << "the dialog is not on top";
  // The help is refreshed meanwhile and its timers have their turns; still no guide.
  nudgeHelp(w);
  EXPECT_FALSE(waitFor([&] { return guidesDrawn(w, dialog); }, 2000)) << "guides while a modal window is open";
  clickAt(centre(button(dialog)));
  EXPECT_TRUE(waitFor([&] { return !::IsWindowVisible(dialog); }, 8000)) << "the click did not reach the dialog";
  EXPECT_TRUE(waitFor([&] { return guideShown(w); }, 8000)) << "the guides come back";
}

void checkDialogsOfARun(const std::string& appData, int32_t language) {
  Program program;
  ASSERT_TRUE(program.start(appData));
  Windows w;
  ASSERT_TRUE(findWindows(program, w));
  ::SetForegroundWindow(w.main);

  checkDialog(
      program, w, "about box", [&] { ::PostMessageA(w.main, WM_COMMAND, idMenuAbout, 0); },
      kSnRAboutLanguageCaption,
      [language](HWND d) { return childWithText(d, SnRAboutDedication(language)); }, RGB(128, 0, 128),
      [](HWND d) { return childWithText(d, "&OK"); });

  HWND folderButton = childById(w.main, idSelectDirSpeedButton);
  ASSERT_TRUE(folderButton);
  checkDialog(
      program, w, "directory dialog", [&] { ::PostMessageA(folderButton, BM_CLICK, 0, 0); }, "Chose Directory",
      [](HWND d) { return childById(d, idDirectoryListBox); }, ::GetSysColor(COLOR_HIGHLIGHT),
      [](HWND d) { return childById(d, idDirCancelButton); });

  ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  EXPECT_TRUE(program.close(w.main));
}

}  // namespace

TEST(DialogsEndToEnd, FirstOpenedDialogsComeUpOnTopWithoutGuidesInEnglishAndGerman) {
  ASSERT_TRUE(AppTestDir::exists("QzSearchAndReplace.exe")) << "the program is built with the tests";
  AppTestDir dir;
  {
    SCOPED_TRACE("English");
    checkDialogsOfARun(dir.path() + "appdata", 1);
  }
  WriteIniString(dir.path() + "appdata\\Qz-Rudize&Darozad Edo\\QzSearchAndReplace.ini", "Generel", "Sprache", "0");
  {
    SCOPED_TRACE("German");
    checkDialogsOfARun(dir.path() + "appdata", 0);
  }
}
