#include "win/FileNames.h"
#include <windows.h>

namespace win {

namespace {

// Full paths from this length on take the long form: the system's limit for a
// folder (MAX_PATH less room for an 8.3 name), so a folder works as well as a file.
constexpr size_t kLongFrom = MAX_PATH - 12;

std::wstring toWide(UINT codePage, DWORD flags, const std::string& text, bool& ok) {
  ok = true;
  if (text.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) {
    ok = false;
    return std::wstring();
  }
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string toBytes(UINT codePage, DWORD flags, const std::wstring& text) {
  if (text.empty()) return std::string();
  // The default character is only allowed for code pages that have one.
  const char* defaultChar = codePage == CP_UTF8 ? nullptr : "?";
  const int n = ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      defaultChar, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), &out[0], n, defaultChar,
                        nullptr);
  return out;
}

bool startsWith(const std::wstring& s, const wchar_t* head) { return s.compare(0, wcslen(head), head) == 0; }

bool isAbsolute(const std::wstring& p) {
  const bool drive = p.size() >= 3 && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
  return drive || startsWith(p, L"\\\\");
}

}  // namespace

std::wstring AnsiToWide(const std::string& text) {
  bool ok;
  return toWide(CP_ACP, 0, text, ok);
}

std::string WideToAnsi(const std::wstring& text) { return toBytes(CP_ACP, WC_NO_BEST_FIT_CHARS, text); }

std::string WideToAnsiAsSystem(const std::wstring& text) { return toBytes(CP_ACP, 0, text); }

bool HasAnsiForm(const std::wstring& text) { return AnsiToWide(WideToAnsi(text)) == text; }

std::string WideToOem(const std::wstring& text) { return toBytes(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text); }

bool HasOemForm(const std::wstring& text) {
  bool ok;
  return toWide(CP_OEMCP, 0, WideToOem(text), ok) == text;
}

std::string WideToUtf8(const std::wstring& text) { return toBytes(CP_UTF8, 0, text); }

bool Utf8ToWide(const std::string& utf8, std::wstring& text) {
  bool ok;
  std::wstring out = toWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, ok);
  if (ok) text.swap(out);
  return ok;
}

std::wstring Utf8OrAnsiToWide(const std::string& text) {
  std::wstring wide;
  if (!Utf8ToWide(text, wide)) wide = AnsiToWide(text);
  return wide;
}

std::wstring FullPath(const std::wstring& path) {
  if (path.empty()) return std::wstring();
  const DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return std::wstring();
  std::wstring full(n, L'\0');
  const DWORD got = ::GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
  if (got == 0 || got >= n) return std::wstring();
  full.resize(got);
  return full;
}

std::wstring ShortPath(const std::wstring& path) {
  if (path.empty()) return std::wstring();
  const DWORD n = ::GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return std::wstring();
  std::wstring out(n, L'\0');
  const DWORD got = ::GetShortPathNameW(path.c_str(), &out[0], n);
  if (got == 0 || got >= n) return std::wstring();
  out.resize(got);
  return out;
}

std::wstring LongPath(const std::wstring& path) {
  if (path.empty() || startsWith(path, L"\\\\?\\") || startsWith(path, L"\\\\.\\")) return path;
  if (path.size() < kLongFrom && isAbsolute(path)) return path;
  const std::wstring full = FullPath(path);
  if (full.empty()) return path;
  if (full.size() < kLongFrom || startsWith(full, L"\\\\?\\") || startsWith(full, L"\\\\.\\")) return full;
  if (startsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':') return L"\\\\?\\" + full;
  return full;
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attr = ::GetFileAttributesW(LongPath(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring NewFilePath(const std::wstring& path) {
  // wine's kernel32 names a path's host path; the system itself has no such call.
  using UnixName = char*(CDECL*)(LPCWSTR);
  static const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  const std::wstring dosPath = LongPath(path);
  const size_t cut = dosPath.find_last_of(L'\\');
  if (!unixName || cut == std::wstring::npos) return dosPath;
  // The folder exists (its look-up is cheap); the new name is appended as it is.
  char* folder = unixName(dosPath.substr(0, cut + 1).c_str());
  if (!folder) return dosPath;
  std::wstring host;
  const bool converted = Utf8ToWide(folder, host);
  ::HeapFree(::GetProcessHeap(), 0, folder);
  if (!converted || host.empty() || host[0] != L'/') return dosPath;
  for (wchar_t& c : host)
    if (c == L'/') c = L'\\';
  if (host.back() != L'\\') host += L'\\';
  return L"\\\\?\\unix" + host + dosPath.substr(cut + 1);
}

}  // namespace win
