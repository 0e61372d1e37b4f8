// overlayhost: a small program that uses Qz-DarariRuzoriv.dll the way a host
// does (linked at load time), driven by its command line.
//
//   overlayhost [command args...]...
//
// Commands (numbers in decimal; each prints "<command> <result>"):
//   callback                        create a window and name it as the message target
//   clear | finalize
//   point X Y STYLE COLOR           line X1 Y1 X2 Y2 COLOR
//   rect L T R B COLOR              ellipse L T R B COLOR
//   polyline N X1 Y1 ... XN YN COLOR
//   text X Y TEXT FONT SIZE BOLD ITALIC COLOR
//   bitmap X Y FILE TRANSPARENT     resource X Y NAME TRANSPARENT (from this program)
//   op OPERATION ID V1 V2 V3
//   script LINE                     scriptfile FILE
//   pump MS                         process messages for MS milliseconds, printing
//                                   "message <n> <wParam> <lParam>" (n = msg - WM_USER)
//   windows                         the number of overlay windows of this thread
// Without commands it shows a small demonstration for ten seconds.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "QzScreenOverlay.h"

namespace {

HWND g_callback = nullptr;
std::string g_command;  // the command being run, for its result line

LRESULT CALLBACK CallbackProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_TRANSPARENTELEMENT_CLICK && msg <= WM_TRANSPARENTELEMENT_STATUSCHANGED) {
    std::printf("message %u %d %ld\n", msg - WM_USER, static_cast<int>(wParam), static_cast<long>(lParam));
    return 0;
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

HWND CreateCallbackWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CallbackProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "OverlayHostCallback";
  RegisterClassA(&wc);
  return CreateWindowExA(0, wc.lpszClassName, "overlayhost", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // Status messages posted while no callback window was set arrive without a window.
      if (!msg.hwnd && msg.message == WM_TRANSPARENTELEMENT_STATUSCHANGED)
        std::printf("message %u %d %ld (thread)\n", msg.message - WM_USER, static_cast<int>(msg.wParam),
                    static_cast<long>(msg.lParam));
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
  }
  std::fflush(stdout);
}

BOOL CALLBACK CountOverlay(HWND wnd, LPARAM counter) {
  char name[64] = {};
  GetClassNameA(wnd, name, sizeof name);
  if (std::string(name) == "TTransparentForm") ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

int OverlayWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountOverlay, reinterpret_cast<LPARAM>(&count));
  return count;
}

class Args {
public:
  Args(int argc, char** argv) : v_(argv + 1, argv + argc) {}
  bool more() const { return i_ < v_.size(); }
  std::string word() { return more() ? v_[i_++] : std::string(); }
  int num() { return static_cast<int>(std::strtoll(word().c_str(), nullptr, 10)); }
private:
  std::vector<std::string> v_;
  size_t i_ = 0;
};

int Run(Args& a) {
  const std::string cmd = a.word();
  g_command = cmd;
  if (cmd == "callback") {
    g_callback = CreateCallbackWindow();
    return QzScreenOverlay_SetCallBackWindowHandle(g_callback);
  }
  if (cmd == "clear") return QzScreenOverlay_Clear();
  if (cmd == "finalize") return QzScreenOverlay_Finalize();
  if (cmd == "point") {
    int x = a.num(), y = a.num(), s = a.num();
    return QzScreenOverlay_Point(x, y, s, static_cast<COLORREF>(a.num()));
  }
  if (cmd == "line" || cmd == "rect" || cmd == "ellipse") {
    int l = a.num(), t = a.num(), r = a.num(), b = a.num();
    COLORREF c = static_cast<COLORREF>(a.num());
    if (cmd == "line") return QzScreenOverlay_Line(l, t, r, b, c);
    if (cmd == "rect") return QzScreenOverlay_Rectangle(l, t, r, b, c);
    return QzScreenOverlay_Ellipse(l, t, r, b, c);
  }
  if (cmd == "polyline") {
    const int n = a.num();
    std::vector<POINT> points;
    for (int i = 0; i < n; ++i) {
      int x = a.num(), y = a.num();
      points.push_back(POINT{x, y});
    }
    return QzScreenOverlay_Polyline(points.data(), n, static_cast<COLORREF>(a.num()));
  }
  if (cmd == "text") {
    int x = a.num(), y = a.num();
    std::string text = a.word(), font = a.word();
    int size = a.num(), bold = a.num(), italic = a.num();
    return QzScreenOverlay_Text(x, y, text.c_str(), font.c_str(), size, bold, italic,
                                static_cast<COLORREF>(a.num()));
  }
  if (cmd == "bitmap") {
    int x = a.num(), y = a.num();
    std::string file = a.word();
    return QzScreenOverlay_BitmapByFile(x, y, file.c_str(), static_cast<COLORREF>(a.num()));
  }
  if (cmd == "resource") {
    int x = a.num(), y = a.num();
    std::string name = a.word();
    return QzScreenOverlay_BitmapByResource(x, y, GetModuleHandleA(nullptr), name.c_str(),
                                            static_cast<COLORREF>(a.num()));
  }
  if (cmd == "op") {
    int op = a.num(), id = a.num(), v1 = a.num(), v2 = a.num();
    return QzScreenOverlay_Operation(op, id, v1, v2, a.num());
  }
  if (cmd == "script") return QzScreenOverlay_ScriptCommand(a.word().c_str());
  if (cmd == "scriptfile") return QzScreenOverlay_ScriptCommandFile(a.word().c_str());
  if (cmd == "pump") {
    Pump(static_cast<DWORD>(a.num()));
    return 0;
  }
  if (cmd == "windows") return OverlayWindows();
  std::fprintf(stderr, "unknown command: %s\n", cmd.c_str());
  return -9999;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    static char* demo[] = {
        argv[0], (char*)"clear", (char*)"callback", (char*)"rect", (char*)"100", (char*)"100", (char*)"400",
        (char*)"300", (char*)"255", (char*)"line", (char*)"100", (char*)"100", (char*)"400", (char*)"300",
        (char*)"16711680", (char*)"point", (char*)"250", (char*)"200", (char*)"1", (char*)"32768",
        (char*)"pump", (char*)"10000", (char*)"finalize"};
    argv = demo;
    argc = static_cast<int>(sizeof demo / sizeof demo[0]);
  }
  Args args(argc, argv);
  while (args.more()) {
    const int result = Run(args);
    std::printf("%s %d\n", g_command.c_str(), result);
    std::fflush(stdout);
    if (result == -9999) return 2;
  }
  return 0;
}
