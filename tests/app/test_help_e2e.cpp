// End to end: the program started as the user starts it (with a data folder
// of its own) docks its help window beside the main window and draws the
// guide lines of the first steps through the overlay library, whose window
// region then holds them; the language menu switches the windows at once.
#include "AppTestDir.h"
#include "Iniregi.h"
#include "uSnRControlIds.h"
#include "uSnRJobs.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>

namespace {
struct Program {
  PROCESS_INFORMATION pi = {};
  bool started = false;

  bool start(const std::string& appData) {
    ::SetEnvironmentVariableA("QZ_APPDATA", appData.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    char cmd[] = "QzSearchAndReplace.exe";
    started = ::CreateProcessA(".\\QzSearchAndReplace.exe", cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                               &pi) != 0;
    ::SetEnvironmentVariableA("QZ_APPDATA", nullptr);
    // Under wine without a window manager, looking at the program's windows
    // while it creates them can make its X connection fail: let it settle.
    if (started) ::Sleep(5000);
    return started;
  }
  // Closes the program as the user does; true when it ended in time.
  bool close(HWND main) {
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    return ::WaitForSingleObject(pi.hProcess, 15000) == WAIT_OBJECT_0;
  }
  ~Program() {
    if (!started) return;
    if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }

  DWORD exitCode() const {
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return code;   // STILL_ACTIVE while it runs
  }

  // The first visible top-level window of the program that passes the test.
  HWND find(const std::function<bool(HWND)>& test) const {
    FindCtx ctx{pi.dwProcessId, &test, nullptr};
    ::EnumWindows(&Program::visit, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
  }

private:
  struct FindCtx { DWORD pid; const std::function<bool(HWND)>* test; HWND found; };
  static BOOL CALLBACK visit(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<FindCtx*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    if (pid != c->pid || !::IsWindowVisible(h) || !(*c->test)(h)) return TRUE;
    c->found = h;
    return FALSE;
  }
};

std::string text(HWND h) {
  char buf[256] = {};
  ::GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

std::string className(HWND h) {
  char buf[64] = {};
  ::GetClassNameA(h, buf, sizeof buf);
  return buf;
}

struct ChildCtx {
  std::function<bool(HWND)> test;
  HWND found;
};

BOOL CALLBACK visitChild(HWND h, LPARAM lp) {
  auto* c = reinterpret_cast<ChildCtx*>(lp);
  if (!c->test(h)) return TRUE;
  c->found = h;
  return FALSE;
}

HWND childById(HWND parent, int id) {
  ChildCtx ctx{[id](HWND h) { return ::GetDlgCtrlID(h) == id; }, nullptr};
  ::EnumChildWindows(parent, &visitChild, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

HWND childOfClass(HWND parent, const char* cls) {
  ChildCtx ctx{[cls](HWND h) { return lstrcmpiA(className(h).c_str(), cls) == 0; }, nullptr};
  ::EnumChildWindows(parent, &visitChild, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

// Waits for a condition, pumping this thread's messages.
bool waitFor(const std::function<bool()>& cond, DWORD ms) {
  DWORD end = ::GetTickCount() + ms;
  while (!cond()) {
    if (static_cast<int>(end - ::GetTickCount()) <= 0) return false;
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&m);
    ::Sleep(50);
  }
  return true;
}

// The overlay window's region in screen coordinates; empty when it has none.
struct ScreenRegion {
  HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
  POINT origin = {0, 0};
  bool valid = false;
  explicit ScreenRegion(HWND overlay) {
    RECT wr;
    ::GetWindowRect(overlay, &wr);
    origin = {wr.left, wr.top};
    valid = ::GetWindowRgn(overlay, rgn) != ERROR;
  }
  ~ScreenRegion() { ::DeleteObject(rgn); }
  // A guide line is a pixel or two wide: look around the point.
  bool covers(int x, int y, int radius = 2) const {
    for (int dy = -radius; dy <= radius; ++dy)
      for (int dx = -radius; dx <= radius; ++dx)
        if (::PtInRegion(rgn, x + dx - origin.x, y + dy - origin.y)) return true;
    return false;
  }
};

}  // namespace


namespace {
struct Windows {
  HWND main = nullptr, help = nullptr, overlay = nullptr;
};

// The program's main window, help window and overlay window, once all are shown.
bool findWindows(const Program& program, Windows& w) {
  return waitFor(
      [&] {
        w.main = program.find([](HWND h) { return text(h) == kSnRTitle; });
        w.help = program.find([](HWND h) { return className(h) == "QzWinContainer" && (text(h) == "Help" || text(h) == "Hilfe"); });
        w.overlay = program.find([](HWND h) { return className(h) == "TTransparentForm"; });
        return w.main && w.help && w.overlay;
      },
      15000);
}

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
