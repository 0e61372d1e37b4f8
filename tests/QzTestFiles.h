// File helpers every test suite shares: a folder tree removed with all it holds
// (read-only files, names outside the code page and paths of any length
// included), a fresh folder name of the test process's own, and files made and
// read by their wide names.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace qztest {

inline std::wstring Wide(const std::string& ansi) {
  if (ansi.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &w[0], n);
  return w;
}

// The path in the system's long form (full path behind "\\?\"), made here
// rather than by the code under test.
inline std::wstring LongForm(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  wchar_t full[32768];
  const DWORD n = ::GetFullPathNameW(path.c_str(), 32768, full, nullptr);
  if (n == 0 || n >= 32768) return path;
  const std::wstring f(full, n);
  return f.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC\\" + f.substr(2) : L"\\\\?\\" + f;
}

inline void RemoveTree(const std::wstring& dir) {
  std::wstring base = LongForm(dir);
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((base + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = base + L"\\" + name;
      ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        ::DeleteFileW(full.c_str());
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  ::SetFileAttributesW(base.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryW(base.c_str());
}

inline void RemoveTree(const std::string& dir) { RemoveTree(Wide(dir)); }

inline bool MakeFolder(const std::wstring& dir) { return ::CreateDirectoryW(LongForm(dir).c_str(), nullptr) != 0; }

inline bool WriteWideFile(const std::wstring& name, const std::string& bytes) {
  HANDLE h = ::CreateFileW(LongForm(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  const bool ok = bytes.empty() || (::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
                                    n == bytes.size());
  ::CloseHandle(h);
  return ok;
}

// The file's bytes; "<missing>" when it cannot be opened.
inline std::string ReadWideFile(const std::wstring& name) {
  HANDLE h = ::CreateFileW(LongForm(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string data(::GetFileSize(h, nullptr), '\0');
  DWORD n = 0;
  if (!data.empty()) ::ReadFile(h, &data[0], static_cast<DWORD>(data.size()), &n, nullptr);
  ::CloseHandle(h);
  return data;
}

inline bool WideExists(const std::wstring& name) {
  return ::GetFileAttributesW(LongForm(name).c_str()) != INVALID_FILE_ATTRIBUTES;
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

// A fresh folder under the working folder (never the user profile), named after
// Tag, removed with all it holds at the end.
class TempFolder {
public:
  explicit TempFolder(const std::string& tag) {
    char cwd[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    path_ = UniqueFolderName(cwd, tag + "-tmp-");
    RemoveTree(path_);
    ::CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }   // no trailing backslash
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

inline std::string SystemTempFolder() {
  char base[MAX_PATH];
  ::GetTempPathA(MAX_PATH, base);
  return base;
}

}  // namespace qztest
