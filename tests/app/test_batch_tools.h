// Shared by the command-line and batch-file tests: a temporary folder under the
// working folder (never the user profile), file helpers and running a batch
// file through the command interpreter.
#pragma once
#include <windows.h>
#include <fstream>
#include <iterator>
#include <string>
#include "QzTestFiles.h"

namespace batchtest {

class Folder {
public:
  explicit Folder(const std::string& tag = "cmdline") {
    char cwd[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    path_ = qztest::UniqueFolderName(cwd, tag + "-tmp-");
    qztest::RemoveTree(path_);
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~Folder() { qztest::RemoveTree(path_); }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::string& path() const { return path_; }   // no trailing backslash
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

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

}  // namespace batchtest
