// Times a start of the program without parameters, as a user starts it, from the
// process's creation: until its main window is shown with its controls, until the
// program first waits for input (everything of the start handled and drawn), and
// until its guide lines are on the screen (the overlay's window shown). Then it
// closes the window and times the end. Prints "window W idle I guides G end E" in
// milliseconds, or a reason and exit code 1.
// Usage: qz_window_start PROGRAM [application-data folder for QZ_APPDATA]
#include <windows.h>
#include <cstdio>
#include <string>

namespace {

double now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

struct Search {
  DWORD pid;
  const char* cls;      // a visible top-level window of this class, or
  HWND found = nullptr; // (cls null) a visible one holding a tab control: the main window
};

BOOL CALLBACK holdsTabs(HWND child, LPARAM lp) {
  char cls[64] = {};
  ::GetClassNameA(child, cls, sizeof cls);
  if (std::string(cls) != "SysTabControl32") return TRUE;
  *reinterpret_cast<bool*>(lp) = true;
  return FALSE;
}

BOOL CALLBACK match(HWND top, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(top, &owner);
  if (owner != s->pid || !::IsWindowVisible(top)) return TRUE;
  char cls[64] = {};
  ::GetClassNameA(top, cls, sizeof cls);
  bool hit = false;
  if (s->cls) hit = std::string(cls) == s->cls;
  else ::EnumChildWindows(top, holdsTabs, reinterpret_cast<LPARAM>(&hit));
  if (!hit) return TRUE;
  s->found = top;
  return FALSE;
}

HWND find(DWORD pid, const char* cls) {
  Search s{pid, cls};
  ::EnumWindows(match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qz_window_start PROGRAM [appdata]\n");
    return 2;
  }
  if (argc > 2) ::SetEnvironmentVariableA("QZ_APPDATA", argv[2]);
  std::string cmd = std::string("\"") + argv[1] + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  const double start = now();
  if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start %s\n", argv[1]);
    return 1;
  }
  double window = 0, idle = 0, guides = 0;
  HWND main = nullptr;
  // Polled every millisecond: each figure is late by at most that.
  while (!guides && now() - start < 30000) {
    if (!main && (main = find(pi.dwProcessId, nullptr))) window = now() - start;
    if (main && !idle && ::WaitForInputIdle(pi.hProcess, 0) == 0) idle = now() - start;
    if (main && find(pi.dwProcessId, "TTransparentForm")) guides = now() - start;
    if (!guides) ::Sleep(1);
  }
  if (!main || !guides) {
    std::fprintf(stderr, "no %s within 30 s\n", main ? "guides" : "main window");
    ::TerminateProcess(pi.hProcess, 1);
    return 1;
  }
  if (!idle) idle = guides;   // idle before the check came round again
  const double closing = now();
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  const bool ended = ::WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
  const double end = now() - closing;
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  if (!ended) {
    std::fprintf(stderr, "the program did not end\n");
    return 1;
  }
  std::printf("window %.0f idle %.0f guides %.0f end %.0f\n", window, idle, guides, end);
  return 0;
}
