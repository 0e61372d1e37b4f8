// The floor for a program's fixed cost under wine: a minimal Win32 program that
// opens a window, lets it be shown and painted, closes it and exits. With the
// argument "none" it opens no window, which leaves wine's own start.
#include <windows.h>
#include <cstring>

namespace {
LRESULT CALLBACK windowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(wnd, msg, wp, lp);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (std::strstr(commandLine, "none")) return 0;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "QzMinimalWindow";
  if (!::RegisterClassA(&wc)) return 1;
  HWND wnd = ::CreateWindowExA(0, wc.lpszClassName, "minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                               400, 300, nullptr, nullptr, instance, nullptr);
  if (!wnd) return 1;
  ::ShowWindow(wnd, SW_SHOWNORMAL);
  ::UpdateWindow(wnd);
  // Closed once everything pending (showing, painting) has been handled.
  ::PostMessageA(wnd, WM_CLOSE, 0, 0);
  MSG m;
  while (::GetMessageA(&m, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&m);
    ::DispatchMessageA(&m);
  }
  return 0;
}
