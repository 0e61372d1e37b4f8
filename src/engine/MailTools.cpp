#include "MailTools.h"
#include "win/FileNames.h"
#include "win/Handles.h"
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cwchar>
#include <vector>

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
  return folder + L"\\" + name;
}

// The folder's full path as the walk forms paths: no trailing backslash except for
// a drive root ("C:\"); empty when it is not an existing folder.
std::wstring fullFolderPath(const std::wstring& path) {
  std::wstring full;
  if (path.empty()) {
    DWORD n = ::GetCurrentDirectoryW(0, nullptr);
    full.resize(n);
    full.resize(::GetCurrentDirectoryW(n, &full[0]));
  } else {
    full = win::FullPath(path);
    if (full.empty()) return std::wstring();
  }
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  if (full.size() == 2 && full[1] == L':') full += L'\\';
  DWORD attr = ::GetFileAttributesW(win::LongPath(full).c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return std::wstring();
  return full;
}

bool isDots(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Masks that the walk can apply itself to a listing of the whole folder, with the
// system's result: every name ("*", "*.*"), or "*." followed by a plain ASCII
// extension. The system matches such a mask against the long name and, where there
// is one, the short (8.3) name, comparing without regard to case; the names are
// then compared here the same way. Empty when the mask is none of these.
struct OwnMask {
  bool usable = false;
  bool all = false;
  std::wstring tail;  // ".EXT" in upper case
};

wchar_t upperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

OwnMask ownMask(const std::wstring& mask) {
  OwnMask m;
  if (mask == L"*" || mask == L"*.*") {
    m.usable = m.all = true;
    return m;
  }
  if (mask.size() < 3 || mask[0] != L'*' || mask[1] != L'.') return m;
  for (size_t i = 2; i < mask.size(); ++i) {
    const wchar_t c = mask[i];
    if (c >= 0x80 || !(std::isalnum(static_cast<int>(c)) || c == L'_' || c == L'-')) return m;
    m.tail += upperAscii(c);
  }
  m.tail.insert(0, L".");
  m.usable = true;
  return m;
}

bool isAscii(const wchar_t* s) {
  for (; *s; ++s)
    if (*s >= 0x80) return false;
  return true;
}

bool endsWithUpper(const wchar_t* name, const std::wstring& tail) {
  const size_t n = std::wcslen(name);
  if (n < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (upperAscii(name[n - tail.size() + i]) != tail[i]) return false;
  return true;
}

HANDLE findFirst(const std::wstring& pattern, WIN32_FIND_DATAW& fd) {
  return ::FindFirstFileW(win::LongPath(pattern).c_str(), &fd);
}

void walk(const std::wstring& folder, const std::wstring& mask, const OwnMask& own, int attr, bool recursive,
          const std::function<bool()>& stop, const std::function<void(const std::wstring&)>& found) {
  if (stop && stop()) return;
  WIN32_FIND_DATAW fd;
  if (recursive) {
    // One listing of the whole folder gives the subfolders and, where the walk can
    // match the mask itself, the entries too: the folder is then listed once.
    std::vector<std::wstring> subfolders, taken;
    bool ownMatch = own.usable;
    win::FindHandle h(findFirst(joinPath(folder, L"*"), fd));
    if (h) {
      do {
        if (isDots(fd.cFileName)) continue;
        // A linked folder may lead back up the tree; it is not followed.
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
          subfolders.push_back(joinPath(folder, fd.cFileName));
        if (!ownMatch) continue;
        if (!isAscii(fd.cFileName) || !isAscii(fd.cAlternateFileName)) {
          ownMatch = false;  // the system's case rules beyond ASCII: let it match
          continue;
        }
        if (WalkAttrMatches(fd.dwFileAttributes, attr) &&
            (own.all || endsWithUpper(fd.cFileName, own.tail) ||
             (fd.cAlternateFileName[0] && endsWithUpper(fd.cAlternateFileName, own.tail))))
          taken.push_back(folder + L"\\" + fd.cFileName);
      } while (::FindNextFileW(h.get(), &fd));
    }
    for (const auto& sub : subfolders) walk(sub, mask, own, attr, recursive, stop, found);
    if (ownMatch) {
      if (h) for (const auto& f : taken) found(f);
      return;
    }
  }
  win::FindHandle h(findFirst(joinPath(folder, mask), fd));
  if (!h) return;
  do {
    if (!isDots(fd.cFileName) && WalkAttrMatches(fd.dwFileAttributes, attr))
      found(folder + L"\\" + fd.cFileName);
  } while (::FindNextFileW(h.get(), &fd));
}

}  // namespace

uint8_t* HexTextToBuffer(const std::string& Text, uint8_t* Dest, int Size) {
  size_t i = 0;
  for (int written = 0; written < Size && i + 1 < Text.size(); ++written, i += 2) {
    int hi = hexValue(Text[i]), lo = hexValue(Text[i + 1]);
    if (hi < 0 || lo < 0) break;
    Dest[written] = static_cast<uint8_t>(hi << 4 | lo);
  }
  return Dest;
}

// Without a debugger or viewer the text goes nowhere, but the system still looks
// the viewer's buffer up by name for every text, a round trip to the wine server
// each under wine, twice for every job.
bool DebugOutputWanted() {
  if (::IsDebuggerPresent()) return true;
  static std::atomic<DWORD> checkedAt{0};
  static std::atomic<bool> viewer{false};
  const DWORD now = ::GetTickCount() | 1;  // 0: never checked
  const DWORD last = checkedAt.load();
  if (last && now - last < 1000) return viewer.load();
  HANDLE buffer = ::OpenFileMappingA(FILE_MAP_READ, FALSE, "DBWIN_BUFFER");
  viewer = buffer != nullptr;
  if (buffer) ::CloseHandle(buffer);
  checkedAt = now;
  return viewer.load();
}

void DebugOut(const std::string& Text) {
  if (DebugOutputWanted()) ::OutputDebugStringA(Text.substr(0, 1024).c_str());
}

void SetListBoxHorizontalExtent(HWND ListBox, int Width) {
  if (Width < 0) {
    win::WindowDc dc(ListBox);
    win::SelectScope font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(ListBox, WM_GETFONT, 0, 0)));
    const int n = static_cast<int>(::SendMessageA(ListBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      LRESULT len = ::SendMessageA(ListBox, LB_GETTEXTLEN, i, 0);
      if (len <= 0) continue;
      std::string text(static_cast<size_t>(len) + 1, '\0');
      len = ::SendMessageA(ListBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
      SIZE size = {};
      if (len > 0 && ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(len), &size))
        Width = std::max(Width, static_cast<int>(size.cx));
    }
    Width += ::GetSystemMetrics(SM_CXFRAME);
  }
  ::SendMessageA(ListBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(std::max(Width, 0)), 0);
}

bool WalkAttrMatches(DWORD Attr, int Wanted) {
  if ((Attr & static_cast<DWORD>(Wanted)) == 0) return false;
  const bool isDir = (Attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return (Wanted & faDirectory) ? isDir : !isDir;
}

void WalkFolder(const std::wstring& Path, const std::wstring& Mask, int Attr, bool Recursive,
                const std::function<bool()>& Stop, const std::function<void(const std::wstring&)>& Found) {
  const std::wstring folder = fullFolderPath(Path);
  if (!folder.empty()) walk(folder, Mask, ownMask(Mask), Attr, Recursive, Stop, Found);
}

void TDirStringList::AddFiles(const std::wstring& Path, const std::wstring& Mask, int Attr, bool Recursive,
                              bool Append) {
  if (!Append) clear();
  try {
    WalkFolder(Path, Mask, Attr, Recursive, nullptr, [this](const std::wstring& p) { addFileName(p); });
  } catch (...) {
    // What was found so far stays.
  }
}

void TDirStringList::AddFiles(const std::string& Path, const std::string& Mask, int Attr, bool Recursive,
                              bool Append) {
  AddFiles(win::AnsiToWide(Path), win::AnsiToWide(Mask), Attr, Recursive, Append);
}

int TDirStringList::add(const std::string& s) {
  names_.push_back(win::AnsiToWide(s));
  return StringList::add(s);
}

int TDirStringList::addFileName(const std::wstring& name) {
  names_.push_back(name);
  return StringList::add(win::WideToAnsi(name));
}

void TDirStringList::clear() {
  names_.clear();
  StringList::clear();
}

std::string TDirStringList::GetName(int Index, bool FullPath) const {
  if (Index < 0 || Index >= count()) return std::string();
  const std::string& item = (*this)[Index];
  if (FullPath) return item;
  size_t cut = item.find_last_of("\\:");
  return cut == std::string::npos ? item : item.substr(cut + 1);
}
