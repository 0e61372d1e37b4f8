// WAIT: how long it pumps messages, and that it leaves the host's quit message alone.
#include <gtest/gtest.h>
#include <windows.h>

#include "ScriptRecorder.h"

namespace {

struct WaitCase {
  const char* line;
  uint32_t start;  // the clock's value when the line runs
  int passes;      // passes of the message loop at 7 ms each
  uint32_t firstWait;
};

TEST(ScriptWait, PumpsUntilMoreThanTheTimeHasPassed) {
  const WaitCase cases[] = {
      {"WAIT 100", 1000, 15, 101},         // 105 > 100
      {"wait 100", 0xFFFFFFF0u, 15, 101},  // across the wrap of the tick count
      {"WAIT 0", 1000, 1, 1},              // until the clock has moved
      {"WAIT -5", 1000, 1, 0},             // one pass
      {"WAIT abc", 1000, 143, 1001},       // not a number: 1000 ms
      {"WAIT 50%", 1000, 143, 1001},       // the last parameter is no percentage
      {"WAIT 50% 1", 1000, 8, 51},         // 50 % of 100
  };
  for (const WaitCase& c : cases) {
    TRecordingTarget target;
    TFakeHost host;
    host.now = c.start;
    TScriptInterpreter script(target, host);
    EXPECT_EQ(script.ScriptCommand(c.line), -1) << c.line;
    EXPECT_EQ(host.passes, c.passes) << c.line;
    ASSERT_FALSE(host.waits.empty());
    EXPECT_EQ(host.waits[0], c.firstWait) << c.line;
    EXPECT_TRUE(target.calls.empty());
  }
}

TEST(ScriptWait, EndsWhenTheHostQuits) {
  TRecordingTarget target;
  TFakeHost host;
  host.quitAtPass = 3;
  TScriptInterpreter script(target, host);
  EXPECT_EQ(script.ScriptCommand("WAIT 100000"), -1);
  EXPECT_EQ(host.passes, 3);
}

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

TEST(ScriptWaitWin32, RunsTimersAndKeepsTheQuitMessage) {
  TRecordingTarget target;
  TWin32ScriptHost host;
  TScriptInterpreter script(target, host);

  // The thread's timers run during the pause.
  g_ticks = 0;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, CountTick);
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(script.ScriptCommand("WAIT 300"), -1);
  const DWORD elapsed = ::GetTickCount() - start;
  ::KillTimer(nullptr, timer);
  EXPECT_GT(elapsed, 300u);
  EXPECT_LT(elapsed, 4000u);  // generous: tests run side by side
  EXPECT_GE(g_ticks, 3);

  // A quit message ends the pause at once and is still there for the host's loop.
  ::PostQuitMessage(7);
  const DWORD quitStart = ::GetTickCount();
  EXPECT_EQ(script.ScriptCommand("WAIT 5000"), -1);
  EXPECT_LT(::GetTickCount() - quitStart, 4000u);  // far below the 5000 asked for
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
