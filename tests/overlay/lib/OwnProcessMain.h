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
  // A child gets the name of a file to create when its test passed: its exit code
  // alone is not trusted, since a process that the X11 driver ends may report 0.
  char passMark[MAX_PATH] = {};
  if (GetEnvironmentVariableA("QZ_TEST_PASSMARK", passMark, MAX_PATH) > 0) {
    SetEnvironmentVariableA("QZ_TEST_PASSMARK", nullptr);
    const int result = RUN_ALL_TESTS();
    if (result == 0) CloseHandle(CreateFileA(passMark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return result;
  }
  if (::testing::GTEST_FLAG(filter) != "*") return RUN_ALL_TESTS();

  char self[MAX_PATH], temp[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  const std::string mark = std::string(temp) + "qz-test-passed-" + std::to_string(GetCurrentProcessId());
  std::vector<std::string> failed;
  int count = 0;
  const ::testing::UnitTest& all = *::testing::UnitTest::GetInstance();
  for (int s = 0; s < all.total_test_suite_count(); ++s) {
    const ::testing::TestSuite& suite = *all.GetTestSuite(s);
    for (int t = 0; t < suite.total_test_count(); ++t) {
      const std::string name = std::string(suite.name()) + "." + suite.GetTestInfo(t)->name();
      std::string cmd = "\"" + std::string(self) + "\" --gtest_filter=" + name;
      DeleteFileA(mark.c_str());
      SetEnvironmentVariableA("QZ_TEST_PASSMARK", mark.c_str());
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
      SetEnvironmentVariableA("QZ_TEST_PASSMARK", nullptr);
      ++count;
      const bool passed = code == 0 && GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES;
      if (!passed) failed.push_back(name + " (exit code " + std::to_string(code) + ")");
    }
  }
  DeleteFileA(mark.c_str());
  std::printf("\n%d tests, each in its own process: %d failed\n", count, static_cast<int>(failed.size()));
  for (const std::string& f : failed) std::printf("  FAILED %s\n", f.c_str());
  return failed.empty() ? 0 : 1;
}

}  // namespace qztest

#define QZ_OWN_PROCESS_TEST_MAIN \
  int main(int argc, char** argv) { return qztest::RunEachTestInItsOwnProcess(argc, argv); }
