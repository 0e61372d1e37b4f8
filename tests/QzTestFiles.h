// File helpers every test suite shares: a folder tree removed with all it holds
// (read-only files included), and a fresh folder name of the test process's own.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace qztest {

inline void RemoveTree(const std::string& dir) {
  std::string base = dir;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((base + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = base + "\\" + name;
      ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        ::DeleteFileA(full.c_str());
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
  }
  ::SetFileAttributesA(base.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryA(base.c_str());
}

// parent + prefix + process id + a counter: unique among parallel test programs.
inline std::string UniqueFolderName(const std::string& parent, const std::string& prefix) {
  static int counter = 0;
  std::string p = parent;
  if (!p.empty() && p.back() != '\\') p += '\\';
  return p + prefix + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

// The names in a folder (with or without its trailing backslash), "." and ".." left
// out, in the order the system lists them.
inline std::vector<std::string> NamesIn(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string n = fd.cFileName;
    if (n != "." && n != "..") names.push_back(n);
  } while (::FindNextFileA(h, &fd));
  ::FindClose(h);
  return names;
}

inline std::string SystemTempFolder() {
  char base[MAX_PATH];
  ::GetTempPathA(MAX_PATH, base);
  return base;
}

}  // namespace qztest
