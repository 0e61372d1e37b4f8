#include "MailTools.h"
#include "win/Handles.h"
#include <algorithm>
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

void walk(const std::string& folder, const std::string& mask, int attr, bool recursive,
          const std::function<bool()>& stop, const std::function<void(const std::string&)>& found) {
  if (stop && stop()) return;
  WIN32_FIND_DATAA fd;
  if (recursive) {
    std::vector<std::string> subfolders;
    win::FindHandle h(::FindFirstFileA(joinPath(folder, "*").c_str(), &fd));
    if (h) {
      do {
        // A linked folder may lead back up the tree; it is not followed.
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !isDots(fd.cFileName))
          subfolders.push_back(joinPath(folder, fd.cFileName));
      } while (::FindNextFileA(h.get(), &fd));
    }
    for (const auto& sub : subfolders) walk(sub, mask, attr, recursive, stop, found);
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
  if (!folder.empty()) walk(folder, Mask, Attr, Recursive, Stop, Found);
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
