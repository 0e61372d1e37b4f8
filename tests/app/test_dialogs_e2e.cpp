// End to end, on the display as the user sees it: the about box, the
// directory dialog, the save dialog and a message box, each opened for the
// first time in a run, come up on top of the main window and take a click; no
// guide line is drawn while one of them is open, and the guides come back when
// it closes. In English and German.
// Needs the display to itself (the pointer moves, pixels are read).
#include "AppProgram.h"
#include "AppTestDir.h"
#include "settings/Iniregi.h"
#include "texts/uSnRAbout.h"
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

// A guide line on the screen, as the user sees it: the red rectangle around
// the path box shows (over whatever lies there: the overlay is top-most).
bool guidesDrawn(const Windows& w) {
  const RECT path = WindowRect(childById(w.main, idPathComboBox));
  const RECT edge = {path.left, path.top - 1, path.right, path.top + 2};
  return CountPixels(edge, RGB(255, 0, 0)) >= 20;
}

// The screen shows `part` of a dialog when at least `enough` of its pixels
// have `color`, or (no color) differ from the screen before the dialog opened.
struct OwnPixels {
  std::function<HWND(HWND dialog)> part;
  int enough;
  COLORREF color;
  bool changed;   // compare with the screen before the opening instead of a colour
};

struct Dialog {
  const char* what;
  std::function<void()> open;
  std::function<bool(HWND)> is;   // picks the dialog among the program's windows
  OwnPixels own;
  std::function<HWND(HWND dialog)> button;   // a real click on it closes the dialog
};

const RECT kScreen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};

int ownPixelCount(const OwnPixels& own, HWND part, const std::vector<COLORREF>& before) {
  const RECT r = WindowRect(part);
  if (!own.changed) return CountPixels(r, own.color);
  const std::vector<COLORREF> now = ScreenPixels(r);
  int n = 0;
  for (int y = r.top, i = 0; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x, ++i) n += now[i] != before[y * kScreen.right + x];
  return n;
}

// Opens the dialog, checks that its own pixels are on the screen, that no
// guide is drawn meanwhile, that its button takes a real click and that the
// guides come back.
void checkDialog(const Program& program, const Windows& w, const Dialog& d) {
  SCOPED_TRACE(d.what);
  ASSERT_TRUE(waitFor([&] { return guideShown(w) && guidesDrawn(w); }, 8000)) << "guides before the dialog opens";
  const std::vector<COLORREF> before = ScreenPixels(kScreen);
  d.open();
  HWND dialog = nullptr;
  ASSERT_TRUE(waitFor([&] { return (dialog = program.find(d.is)) != nullptr; }, 8000));
  HWND part = d.own.part(dialog);
  ASSERT_TRUE(part);
  EXPECT_TRUE(waitFor([&] { return ownPixelCount(d.own, part, before) >= d.own.enough; }, 5000))
      << "the dialog is not on top";
  // The help is refreshed meanwhile and its timers have their turns; still no guide.
  nudgeHelp(w);
  EXPECT_FALSE(waitFor([&] { return guidesDrawn(w); }, 2000)) << "guides while a modal window is open";
  clickAt(centre(d.button(dialog)));
  EXPECT_TRUE(waitFor([&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }, 8000))
      << "the click did not reach the dialog";
  EXPECT_TRUE(waitFor([&] { return guideShown(w); }, 8000)) << "the guides come back";
}

bool ownedBy(HWND h, HWND owner, const char* cls) {
  return ::GetWindow(h, GW_OWNER) == owner && className(h) == cls;
}

void checkDialogsOfARun(const AppTestDir& dir, int32_t language) {
  Program program;
  ASSERT_TRUE(program.start(dir.path() + "appdata"));
  Windows w;
  ASSERT_TRUE(findWindows(program, w));
  ::SetForegroundWindow(w.main);

  checkDialog(program, w,
              {"about box", [&] { ::PostMessageA(w.main, WM_COMMAND, idMenuAbout, 0); },
               [](HWND h) { return text(h) == kSnRAboutLanguageCaption; },
               {[language](HWND d) { return childWithText(d, SnRAboutDedication(language)); }, 10, RGB(128, 0, 128), false},
               [](HWND d) { return childWithText(d, "&OK"); }});

  HWND folderButton = childById(w.main, idSelectDirSpeedButton);
  ASSERT_TRUE(folderButton);
  checkDialog(program, w,
              {"directory dialog", [&] { ::PostMessageA(folderButton, BM_CLICK, 0, 0); },
               [](HWND h) { return text(h) == "Chose Directory"; },
               {[](HWND d) { return childById(d, idDirectoryListBox); }, 10, ::GetSysColor(COLOR_HIGHLIGHT), false},
               [](HWND d) { return childById(d, idDirCancelButton); }});

  // The system's save dialog, closed by Cancel; then opened again for a batch
  // file that another program holds open, which the program reports in a
  // message box.
  auto saveDialog = [&w](HWND h) { return ownedBy(h, w.main, "#32770"); };
  auto openSaveDialog = [&w] { ::PostMessageA(w.main, WM_COMMAND, idMenuSaveasBatchFile, 0); };
  checkDialog(program, w,
              {"save dialog", openSaveDialog, saveDialog,
               {[](HWND d) { return ::GetDlgItem(d, IDCANCEL); }, 20, 0, true},
               [](HWND d) { return ::GetDlgItem(d, IDCANCEL); }});

  const std::string locked = dir / "locked.bat";
  HANDLE held = ::CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  checkDialog(program, w,
              {"message box",
               [&] {
                 openSaveDialog();
                 HWND save = nullptr;
                 ASSERT_TRUE(waitFor([&] { return (save = program.find(saveDialog)) != nullptr; }, 8000));
                 ::SendMessageA(::GetDlgItem(save, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(locked.c_str()));
                 clickAt(centre(::GetDlgItem(save, IDOK)));
                 // "Replace it?": yes.
                 HWND ask = nullptr;
                 ASSERT_TRUE(waitFor([&] { return (ask = program.find([save](HWND h) { return ownedBy(h, save, "#32770"); })) != nullptr; }, 8000));
                 clickAt(centre(::GetDlgItem(ask, IDYES)));
               },
               [&w](HWND h) { return ownedBy(h, w.main, "#32770") && text(h) == "Qz-Radavi&Dezevud"; },
               {[](HWND d) { return ::GetDlgItem(d, IDOK); }, 20, 0, true},
               [](HWND d) { return ::GetDlgItem(d, IDOK); }});
  ::CloseHandle(held);

  ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  EXPECT_TRUE(program.close(w.main));
}

}  // namespace

TEST(DialogsEndToEnd, FirstOpenedDialogsComeUpOnTopWithoutGuidesInEnglishAndGerman) {
  ASSERT_TRUE(AppTestDir::exists("QzSearchAndReplace.exe")) << "the program is built with the tests";
  AppTestDir dir;
  {
    SCOPED_TRACE("English");
    checkDialogsOfARun(dir, 1);
  }
  WriteIniString(dir.path() + "appdata\\Qz-Rudize&Darozad Edo\\QzSearchAndReplace.ini", "Generel", "Sprache", "0");
  {
    SCOPED_TRACE("German");
    checkDialogsOfARun(dir, 0);
  }
}
