// main() for test programs whose tests each run in a process of their own.
//
// The tests load the library, show its screen-sized window and destroy it again.
// Under wine a process that destroys a second screen-sized window can be ended by
// the X11 driver when the wine desktop runs on another display than the test; a
// process per test keeps the tests independent of that (and of each other).
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

namespace qztest {

inline int RunEachTestInItsOwnProcess(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const bool child = GetEnvironmentVariableA("QZ_TEST_CHILD", nullptr, 0) > 0;
  if (child || ::testing::GTEST_FLAG(filter) != "*") return RUN_ALL_TESTS();

  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  SetEnvironmentVariableA("QZ_TEST_CHILD", "1");
  std::vector<std::string> failed;
  int count = 0;
  const ::testing::UnitTest& all = *::testing::UnitTest::GetInstance();
  for (int s = 0; s < all.total_test_suite_count(); ++s) {
    const ::testing::TestSuite& suite = *all.GetTestSuite(s);
    for (int t = 0; t < suite.total_test_count(); ++t) {
      const std::string name = std::string(suite.name()) + "." + suite.GetTestInfo(t)->name();
      std::string cmd = "\"" + std::string(self) + "\" --gtest_filter=" + name;
      STARTUPINFOA si{};
      si.cb = sizeof si;
      PROCESS_INFORMATION pi{};
      DWORD code = 1;
      std::fflush(stdout);
      if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
      }
      ++count;
      if (code != 0) failed.push_back(name + " (exit code " + std::to_string(code) + ")");
    }
  }
  std::printf("\n%d tests, each in its own process: %d failed\n", count, static_cast<int>(failed.size()));
  for (const std::string& f : failed) std::printf("  FAILED %s\n", f.c_str());
  return failed.empty() ? 0 : 1;
}

}  // namespace qztest

#define QZ_OWN_PROCESS_TEST_MAIN \
  int main(int argc, char** argv) { return qztest::RunEachTestInItsOwnProcess(argc, argv); }
