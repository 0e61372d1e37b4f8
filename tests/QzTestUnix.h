// Under wine on Linux: the Linux side of the files a test made, reached as a user
// would reach it, by Linux programs (chmod, stat, a shell appending to a file).
#pragma once
#include <windows.h>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include "QzTestFiles.h"
#include "QzTestWait.h"

namespace qztest {

inline bool UnderWineOnLinux() {
  using HostVersion = void(CDECL*)(const char**, const char**);
  const auto host = reinterpret_cast<HostVersion>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_host_version")));
  const char* sysname = nullptr;
  const char* release = nullptr;
  if (host) host(&sysname, &release);
  return sysname && std::strcmp(sysname, "Linux") == 0;
}

// The Linux path of a file or folder; empty when there is none.
inline std::string UnixPath(const std::string& name) {
  using UnixName = char*(CDECL*)(const WCHAR*);
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return std::string();
  char full[MAX_PATH * 2];
  const DWORD n = ::GetFullPathNameA(name.c_str(), sizeof full, full, nullptr);
  if (!n || n >= sizeof full) return std::string();
  WCHAR wide[MAX_PATH * 2];
  if (!::MultiByteToWideChar(CP_ACP, 0, full, -1, wide, MAX_PATH * 2)) return std::string();
  char* path = unixName(wide);
  if (!path) return std::string();
  std::string result = path;
  ::HeapFree(::GetProcessHeap(), 0, path);
  return result;
}

// A command of the Linux shell (no double quotes or backslashes in it; quote paths
// with single quotes), started at once and waited for later. Wine does not wait for
// a Linux child itself, so the command reports its end and its exit status in a
// file of its own.
class UnixCommand {
public:
  explicit UnixCommand(const std::string& command) {
    char cwd[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    scratch_ = UniqueFolderName(cwd, "qzunix-");
    ::CreateDirectoryA(scratch_.c_str(), nullptr);
    const std::string s = UnixPath(scratch_);
    if (s.empty()) return;
    std::string line = "/bin/sh -c \"( " + command + " ) > '" + s + "/out' 2>&1; echo $? > '" + s +
                       "/rc.new'; mv '" + s + "/rc.new' '" + s + "/rc'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    started_ = ::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
    if (!started_) return;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
  ~UnixCommand() { RemoveTree(scratch_); }
  UnixCommand(const UnixCommand&) = delete;
  UnixCommand& operator=(const UnixCommand&) = delete;

  // True when it ended in time with exit status 0; its output in Output.
  bool wait(std::string* output = nullptr, DWORD timeoutMs = 20000) {
    const std::string rc = scratch_ + "\\rc";
    if (!started_ ||
        !WaitUntil([&] { return ::GetFileAttributesA(rc.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeoutMs, [] {}))
      return false;
    if (output) *output = read(scratch_ + "\\out");
    return read(rc) == "0\n";
  }

private:
  static std::string read(const std::string& f) {
    std::ifstream in(f, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string scratch_;
  bool started_ = false;
};

// Runs a command of the Linux shell (see UnixCommand) and waits until it has ended.
inline bool RunUnix(const std::string& command, std::string* output = nullptr, DWORD timeoutMs = 20000) {
  return UnixCommand(command).wait(output, timeoutMs);
}

// Sets the file's mode on the Linux side (octal, "640"); true when chmod did.
inline bool Chmod(const std::string& name, const std::string& mode) {
  return RunUnix("chmod " + mode + " '" + UnixPath(name) + "'");
}

// The file's mode in octal as the Linux side shows it ("640"); empty on failure.
inline std::string UnixMode(const std::string& name) {
  std::string out;
  if (!RunUnix("stat -c %a '" + UnixPath(name) + "'", &out)) return std::string();
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace qztest
