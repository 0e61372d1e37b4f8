// A temporary folder of the test's own, removed with its files afterwards.
#pragma once
#include <windows.h>
#include <string>
#include "QzTestFiles.h"

class TempDir {
public:
  TempDir() : path_(qztest::UniqueFolderName(qztest::SystemTempFolder(), "qzcore_")) {
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempDir() { qztest::RemoveTree(path_); }
  std::string file(const std::string& name) const { return path_ + "\\" + name; }
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

inline void WriteFileBytes(const std::string& name, const std::string& data) {
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD w = 0;
  ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &w, nullptr);
  ::CloseHandle(h);
}

inline bool ReadFileBytes(const std::string& name, std::string& data) {
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  data.clear();
  char buf[4096];
  DWORD got = 0;
  while (::ReadFile(h, buf, sizeof(buf), &got, nullptr) && got) data.append(buf, got);
  ::CloseHandle(h);
  return true;
}

inline bool FileExists(const std::string& name) {
  return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}
