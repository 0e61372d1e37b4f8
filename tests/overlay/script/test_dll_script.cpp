// Script lines and files through the real library: results, objects made, WAIT, nesting.
#include "OverlayDll.h"

namespace {

TOverlayDll dll;

class DllScript : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(dll.Load()); }
  static void TearDownTestSuite() {
    dll.Finalize();
    dll.Unload();
  }
  void SetUp() override {
    ASSERT_TRUE(dll.module);
    dll.Clear();
  }
};

LRESULT CALLBACK Record(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
std::vector<std::pair<WPARAM, LPARAM>> g_status;
LRESULT CALLBACK Record(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER + 7005) g_status.emplace_back(wParam, lParam);
  return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

TEST_F(DllScript, LinesCallTheExportsAndPassTheirResults) {
  TTempFolder folder;
  const std::string bmp = folder.Write("small.bmp", SmallBitmap());

  const int point = dll.Run("  POINT 100 200 0 255  ");
  ASSERT_GT(point, 0);
  const char* width = "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 3 0 0";
  EXPECT_EQ(dll.Run(width), 1);
  EXPECT_EQ(dll.Run(width), 1);  // still the point
  EXPECT_EQ(dll.Run("OPERATION 12 PREVIOUSCREATEDELEMENT 0 0 0"), 0);  // unknown code

  // Every kind; each new object takes the next ID.
  const char* const creating[] = {
      "line 0 0 SCREENWIDTH SCREENHEIGHT $FF",
      "RECTANGLE 10 10 50% 50% 0xFF00",
      "ELLIPSE 100 100 300 200 x0FF",
      "POLYLINE 3 10 10 200 10 200 200 255",
      "POLYLINE 0 255",
      "TEXT 10 10 ''Hello world'' ''Arial'' 12 TRUE FALSE 0",
  };
  int id = point;
  for (const char* line : creating) EXPECT_EQ(dll.Run(line), ++id) << line;
  EXPECT_EQ(dll.Run("BITMAPBYFILENAME 1 1 ''" + bmp + "'' $FF00FF"), ++id);

  // Failures of the exports pass through; malformed lines make nothing and use no ID.
  EXPECT_EQ(dll.Run("BITMAPBYFILENAME 1 1 ''" + folder.path + "\\missing.bmp'' 0"), -2);
  EXPECT_EQ(dll.Run("LINE 0 0 10"), -104);
  EXPECT_EQ(dll.Run("POLYLINE 2000000000 0 0 255"), -102);  // no room for that many points
  EXPECT_EQ(dll.Run("TEXT 10 10 Hello ''Arial'' 12 1 0 0"), -105);
  EXPECT_EQ(dll.Run("clear"), -1);
  EXPECT_EQ(dll.Run(""), -1);
  EXPECT_EQ(dll.ScriptCommand(nullptr), -1);
  EXPECT_EQ(dll.Run("POINT 1 1 0 0"), ++id);

  // The diagonal is on the screen once the overlay has repainted.
  ASSERT_TRUE(PumpUntil([] { return ::IsWindowVisible(OverlayWindow()) != FALSE; }, 2000));
  PumpFor(100);
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  EXPECT_TRUE(OverlayDrawsNear(w / 2, static_cast<int>(static_cast<long long>(h) * (w / 2) / w)));

  // Deleting by PREVIOUSCREATEDELEMENT; CLEAR returns the count.
  EXPECT_EQ(dll.Run("OPERATION OVERLAYELEMENT_OPERATION_DELETE PREVIOUSCREATEDELEMENT 0 0 0"), 1);
  EXPECT_EQ(dll.Run("OPERATION OVERLAYELEMENT_OPERATION_DELETE PREVIOUSCREATEDELEMENT 0 0 0"), 0);
  EXPECT_EQ(dll.Run("CLEAR"), id - point);
  EXPECT_EQ(dll.Run("CLEAR"), 0);
}

TEST_F(DllScript, CallbackWindowFromALine) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Record;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "QzScriptTestReceiver";
  ::RegisterClassA(&wc);
  HWND receiver = ::CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
  ASSERT_TRUE(receiver);
  g_status.clear();
  const std::string handle = std::to_string(reinterpret_cast<uintptr_t>(receiver));
  EXPECT_GE(dll.Run("SETCALLBACKWINDOWHANDLE " + handle), 0);
  const int id = dll.Run("POINT 5 5 1 0");
  ASSERT_GT(id, 0);
  PumpFor(50);
  dll.SetCallBackWindowHandle(nullptr);
  ::DestroyWindow(receiver);
  ASSERT_FALSE(g_status.empty());
  EXPECT_EQ(g_status.back().first, static_cast<WPARAM>(id));
  EXPECT_EQ(g_status.back().second, 0x41);  // inserted
}

TEST_F(DllScript, WaitLetsTheOverlayRepaintAndKeepsTheQuitMessage) {
  HWND overlay = OverlayWindow();
  ASSERT_TRUE(overlay);
  PumpFor(50);
  ASSERT_FALSE(::IsWindowVisible(overlay));
  ASSERT_GT(dll.Run("POINT 300 300 2 255"), 0);
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(dll.Run("WAIT 150"), -1);
  EXPECT_GT(::GetTickCount() - start, 150u);
  EXPECT_TRUE(::IsWindowVisible(overlay));  // painted during the pause, not by us
  EXPECT_TRUE(OverlayDrawsNear(300, 300));

  ::PostQuitMessage(3);
  const DWORD quitStart = ::GetTickCount();
  EXPECT_EQ(dll.Run("WAIT 5000"), -1);
  EXPECT_LT(::GetTickCount() - quitStart, 4000u);
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(DllScript, FilesNestedMissingAndSelfRunning) {
  TTempFolder folder;
  const std::string inner = folder.Write("inner.script", "POINT 2 2 0 0\r\nPOINT 3 3 0 0\r\n");
  const std::string outer =
      folder.Write("outer.script", "POINT 1 1 0 0\n\n   \nsome free text\nSCRIPT " + inner +
                                       "\nOPERATION 1 PREVIOUSCREATEDELEMENT 0 0 0\n");
  EXPECT_EQ(dll.ScriptCommandFile(outer.c_str()), 0);
  EXPECT_EQ(dll.Run("CLEAR"), 3);  // nothing had ID 0

  EXPECT_EQ(dll.Run("SCRIPT " + outer), 0);
  EXPECT_EQ(dll.Run("OPERATION 1 PREVIOUSCREATEDELEMENT 0 0 0"), 0);  // it is 0 now
  EXPECT_EQ(dll.Run("CLEAR"), 3);

  EXPECT_EQ(dll.ScriptCommandFile((folder.path + "\\missing.script").c_str()), -1);
  EXPECT_EQ(dll.Run("SCRIPT " + folder.path + "\\missing.script"), -1);
  EXPECT_EQ(dll.ScriptCommandFile(nullptr), -1);

  const std::string self = folder.path + "\\self.script";
  folder.Write("self.script", "POINT 1 1 0 0\nSCRIPT " + self + "\n");
  EXPECT_EQ(dll.ScriptCommandFile(self.c_str()), 0);
  EXPECT_EQ(dll.Run("CLEAR"), 10);  // once per level of nesting
}

}  // namespace
