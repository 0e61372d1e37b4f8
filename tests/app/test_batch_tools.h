// Shared by the command-line and batch-file tests: a temporary folder under the
// working folder (never the user profile), file helpers, running a batch
// file through the command interpreter, and the base of the end-to-end tests
// that start the program of this build folder.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <string>
#include "QzTestFiles.h"
#include "mainwindow/uSnRFormControlIds.h"

namespace batchtest {

using Folder = qztest::TempFolder;

inline void writeFile(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
inline std::string readFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline bool exists(const std::string& file) { return ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The program of the build folder (the tests' working folder).
inline std::string BuiltProgram() {
  char cwd[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, cwd);
  return std::string(cwd) + "\\QzSearchAndReplace.exe";
}

// Runs commandLine in folder with no console input; false when it has not
// ended within timeoutMs (it is then ended). The command line is wide, so that
// names outside the code page reach the program as they are.
inline bool runAndWaitW(const std::wstring& commandLine, const std::string& folder, DWORD timeoutMs,
                        DWORD* exitCode = nullptr) {
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::wstring cmd = commandLine;
  if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        qztest::Wide(folder).c_str(), &si, &pi))
    return false;
  const bool ended = ::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) ::TerminateProcess(pi.hProcess, 1);
  if (exitCode) ::GetExitCodeProcess(pi.hProcess, exitCode);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return ended;
}

inline bool runAndWait(const std::string& commandLine, const std::string& folder, DWORD timeoutMs,
                       DWORD* exitCode = nullptr) {
  return runAndWaitW(qztest::Wide(commandLine), folder, timeoutMs, exitCode);
}

namespace detail {
struct PageSearch {
  DWORD pid;
  bool visibleOnly;
  HWND pages;
};
inline BOOL CALLBACK matchPageControl(HWND h, LPARAM lp) {
  if (::GetDlgCtrlID(h) != idMainPageControl) return TRUE;
  *reinterpret_cast<HWND*>(lp) = h;
  return FALSE;
}
inline BOOL CALLBACK findPageControl(HWND top, LPARAM lp) {
  auto* s = reinterpret_cast<PageSearch*>(lp);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(top, &owner);
  if (owner != s->pid || (s->visibleOnly && !::IsWindowVisible(top))) return TRUE;
  ::EnumChildWindows(top, matchPageControl, reinterpret_cast<LPARAM>(&s->pages));
  return s->pages ? FALSE : TRUE;
}
}  // namespace detail

// The page control of the main window Top, or null.
inline HWND PageControlOf(HWND top) {
  HWND pages = nullptr;
  ::EnumChildWindows(top, detail::matchPageControl, reinterpret_cast<LPARAM>(&pages));
  return pages;
}

// The page control of a main window of process Pid (with VisibleOnly, of a
// visible one), or null.
inline HWND ProgramPageControl(DWORD pid, bool visibleOnly) {
  detail::PageSearch s{pid, visibleOnly, nullptr};
  ::EnumWindows(detail::findPageControl, reinterpret_cast<LPARAM>(&s));
  return s.pages;
}

// The program's data folder in a test folder, under its "appdata".
const char kDataFolder[] = "appdata\\Qz-Rudize&Darozad Edo";

// The end-to-end tests of the program of this build folder: a test folder
// named after Tag with "appdata" (the program's QZ_APPDATA) and a folder for
// the files the program works on.
class ProgramTest : public ::testing::Test {
protected:
  explicit ProgramTest(const std::string& tag, const std::string& filesFolder = "files")
      : dir(tag), files(dir / filesFolder) {}
  void SetUp() override {
    program = BuiltProgram();
    ASSERT_TRUE(exists(program)) << "build the program first: " << program;
    ::CreateDirectoryA((dir / "appdata").c_str(), nullptr);
    ::CreateDirectoryA(files.c_str(), nullptr);
  }
  std::string dataFolder() const { return dir / kDataFolder; }   // no trailing backslash
  std::string resultLog() const { return readFile(dataFolder() + "\\result.log"); }
  // Runs commandLine in the test folder with the program's data folder in it;
  // false when it has not ended within timeoutMs.
  bool run(const std::string& commandLine, DWORD timeoutMs = 60000) { return run(qztest::Wide(commandLine), timeoutMs); }
  bool run(const std::wstring& commandLine, DWORD timeoutMs = 60000) {
    ::SetEnvironmentVariableA("QZ_APPDATA", (dir / "appdata").c_str());
    const bool ended = runAndWaitW(commandLine, dir.path(), timeoutMs, &exitCode);
    ::SetEnvironmentVariableA("QZ_APPDATA", nullptr);
    return ended;
  }

  Folder dir;
  std::string files;
  std::string program;
  DWORD exitCode = 0;
};

}  // namespace batchtest
