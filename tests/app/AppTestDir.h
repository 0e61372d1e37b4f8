// A temporary folder of the test's own, removed with everything in it.
#pragma once
#include <windows.h>
#include <fstream>
#include <string>
#include "QzTestFiles.h"

class AppTestDir {
public:
  AppTestDir() : path_(qztest::UniqueFolderName(qztest::SystemTempFolder(), "qz_app_") + "\\") {
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~AppTestDir() { qztest::RemoveTree(path_); }
  AppTestDir(const AppTestDir&) = delete;
  AppTestDir& operator=(const AppTestDir&) = delete;

  const std::string& path() const { return path_; }   // with a trailing backslash
  std::string operator/(const std::string& name) const { return path_ + name; }

  static void write(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static bool exists(const std::string& file) { return ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
  std::string path_;
};
