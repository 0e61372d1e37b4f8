// A temporary folder of the test's own, removed with everything in it.
#pragma once
#include <windows.h>
#include <fstream>
#include <string>

class AppTestDir {
public:
  AppTestDir() {
    char tmp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, tmp);
    static int counter = 0;
    path_ = std::string(tmp) + "qz_app_" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter) + "\\";
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~AppTestDir() { removeTree(path_); }
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
  static void removeTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        std::string p = dir + n;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(p + "\\");
        else { ::SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL); ::DeleteFileA(p.c_str()); }
      } while (::FindNextFileA(h, &fd));
      ::FindClose(h);
    }
    ::RemoveDirectoryA(dir.c_str());
  }
  std::string path_;
};
