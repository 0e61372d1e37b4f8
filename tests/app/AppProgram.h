// Tests that start the program as the user does and look at its windows from
// outside: the process, its windows found by class, caption or control id,
// waiting with this thread's messages served, the overlay's window region and
// pixels of the screen as it shows.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "mainwindow/uSnRFormControlIds.h"
#include "model/uSnRJobBuilding.h"

namespace apptest {
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

inline std::string text(HWND h) {
  char buf[256] = {};
  ::GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

inline std::string className(HWND h) {
  char buf[64] = {};
  ::GetClassNameA(h, buf, sizeof buf);
  return buf;
}

struct ChildCtx {
  std::function<bool(HWND)> test;
  HWND found;
};

inline BOOL CALLBACK visitChild(HWND h, LPARAM lp) {
  auto* c = reinterpret_cast<ChildCtx*>(lp);
  if (!c->test(h)) return TRUE;
  c->found = h;
  return FALSE;
}

inline HWND childById(HWND parent, int id) {
  ChildCtx ctx{[id](HWND h) { return ::GetDlgCtrlID(h) == id; }, nullptr};
  ::EnumChildWindows(parent, &visitChild, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

inline HWND childOfClass(HWND parent, const char* cls) {
  ChildCtx ctx{[cls](HWND h) { return lstrcmpiA(className(h).c_str(), cls) == 0; }, nullptr};
  ::EnumChildWindows(parent, &visitChild, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

// Waits for a condition, pumping this thread's messages.
inline bool waitFor(const std::function<bool()>& cond, DWORD ms) {
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


// The screen's pixels in a rectangle, as the display shows them.
inline std::vector<COLORREF> ScreenPixels(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<COLORREF> pixels;
  if (w <= 0 || h <= 0) return pixels;
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(mem, bmp);
  ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  ::GdiFlush();
  const auto* p = static_cast<const DWORD*>(bits);
  for (int i = 0; bits && i < w * h; ++i) pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
  ::SelectObject(mem, old);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

inline int CountPixels(const RECT& r, COLORREF color) {
  int n = 0;
  for (COLORREF c : ScreenPixels(r)) n += c == color;
  return n;
}

inline RECT WindowRect(HWND h) {
  RECT r = {};
  ::GetWindowRect(h, &r);
  return r;
}

struct Windows {
  HWND main = nullptr, help = nullptr, overlay = nullptr;
};

// The program's main window, help window and overlay window, once all are shown.
inline bool findWindows(const Program& program, Windows& w) {
  return waitFor(
      [&] {
        w.main = program.find([](HWND h) { return text(h) == kSnRTitle; });
        w.help = program.find([](HWND h) { return className(h) == "QzWinContainer" && (text(h) == "Help" || text(h) == "Hilfe"); });
        w.overlay = program.find([](HWND h) { return className(h) == "TTransparentForm"; });
        return w.main && w.help && w.overlay;
      },
      15000);
}


// The top middle of the path box, where the first guide points.
inline POINT PathGuidePoint(HWND main) {
  HWND path = childById(main, idPathComboBox);
  RECT r = WindowRect(path);
  return {(r.left + r.right) / 2, r.top};
}

}  // namespace apptest
