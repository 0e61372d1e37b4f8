#include "MailTools.h"
#include "win/Handles.h"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + "\\" + name;
}

// The folder's full path as the walk forms paths: no trailing backslash except for
// a drive root ("C:\"); empty when it is not an existing folder.
std::string fullFolderPath(const std::string& path) {
  std::string full;
  if (path.empty()) {
    DWORD n = ::GetCurrentDirectoryA(0, nullptr);
    full.resize(n);
    full.resize(::GetCurrentDirectoryA(n, &full[0]));
  } else {
    DWORD n = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::string();
    full.resize(n);
    full.resize(::GetFullPathNameA(path.c_str(), n, &full[0], nullptr));
  }
  while (full.size() > 3 && (full.back() == '\\' || full.back() == '/')) full.pop_back();
  if (full.size() == 2 && full[1] == ':') full += '\\';
  DWORD attr = ::GetFileAttributesA(full.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return std::string();
  return full;
}

bool isDots(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Masks that the walk can apply itself to a listing of the whole folder, with the
// system's result: every name ("*", "*.*"), or "*." followed by a plain ASCII
// extension. The system matches such a mask against the long name and, where there
// is one, the short (8.3) name, comparing without regard to case; the names are
// then compared here the same way. Empty when the mask is none of these.
struct OwnMask {
  bool usable = false;
  bool all = false;
  std::string tail;  // ".EXT" in upper case
};

OwnMask ownMask(const std::string& mask) {
  OwnMask m;
  if (mask == "*" || mask == "*.*") {
    m.usable = m.all = true;
    return m;
  }
  if (mask.size() < 3 || mask[0] != '*' || mask[1] != '.') return m;
  for (size_t i = 2; i < mask.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(mask[i]);
    if (!(std::isalnum(c) || c == '_' || c == '-') || c >= 0x80) return m;
    m.tail += static_cast<char>(std::toupper(c));
  }
  m.tail.insert(0, ".");
  m.usable = true;
  return m;
}

bool isAscii(const char* s) {
  for (; *s; ++s)
    if (static_cast<unsigned char>(*s) >= 0x80 || *s == '?') return false;  // '?': a name the code page cannot hold
  return true;
}

bool endsWithUpper(const char* name, const std::string& tail) {
  const size_t n = std::strlen(name);
  if (n < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(name[n - tail.size() + i])) != static_cast<unsigned char>(tail[i]))
      return false;
  return true;
}

void walk(const std::string& folder, const std::string& mask, const OwnMask& own, int attr, bool recursive,
          const std::function<bool()>& stop, const std::function<void(const std::string&)>& found) {
  if (stop && stop()) return;
  WIN32_FIND_DATAA fd;
  if (recursive) {
    // One listing of the whole folder gives the subfolders and, where the walk can
    // match the mask itself, the entries too: the folder is then listed once.
    std::vector<std::string> subfolders, taken;
    bool ownMatch = own.usable;
    win::FindHandle h(::FindFirstFileA(joinPath(folder, "*").c_str(), &fd));
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
          taken.push_back(folder + "\\" + fd.cFileName);
      } while (::FindNextFileA(h.get(), &fd));
    }
    for (const auto& sub : subfolders) walk(sub, mask, own, attr, recursive, stop, found);
    if (ownMatch) {
      if (h) for (const auto& f : taken) found(f);
      return;
    }
  }
  win::FindHandle h(::FindFirstFileA(joinPath(folder, mask).c_str(), &fd));
  if (!h) return;
  do {
    if (!isDots(fd.cFileName) && WalkAttrMatches(fd.dwFileAttributes, attr))
      found(folder + "\\" + fd.cFileName);
  } while (::FindNextFileA(h.get(), &fd));
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

void DebugOut(const std::string& Text) { ::OutputDebugStringA(Text.substr(0, 1024).c_str()); }

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

void WalkFolder(const std::string& Path, const std::string& Mask, int Attr, bool Recursive,
                const std::function<bool()>& Stop, const std::function<void(const std::string&)>& Found) {
  const std::string folder = fullFolderPath(Path);
  if (!folder.empty()) walk(folder, Mask, ownMask(Mask), Attr, Recursive, Stop, Found);
}

void TDirStringList::AddFiles(const std::string& Path, const std::string& Mask, int Attr, bool Recursive,
                              bool Append) {
  if (!Append) clear();
  try {
    WalkFolder(Path, Mask, Attr, Recursive, nullptr, [this](const std::string& p) { add(p); });
  } catch (...) {
    // What was found so far stays.
  }
}

std::string TDirStringList::GetName(int Index, bool FullPath) const {
  if (Index < 0 || Index >= count()) return std::string();
  const std::string& item = (*this)[Index];
  if (FullPath) return item;
  size_t cut = item.find_last_of("\\:");
  return cut == std::string::npos ? item : item.substr(cut + 1);
}
