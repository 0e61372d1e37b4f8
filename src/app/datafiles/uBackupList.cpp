#include "datafiles/uBackupList.h"
#include "win/DurableFile.h"
#include "win/FileNames.h"
#include <windows.h>
#include <unordered_map>
#include <unordered_set>

namespace {

// Folders holding more names than this are listed once rather than probed per name.
const size_t kProbeLimit = 32;

const char kUtf8Mark[] = "\xEF\xBB\xBF";

std::wstring upper(std::wstring s) {
  if (!s.empty()) ::CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

std::string listText(const std::vector<std::wstring>& names) {
  std::string text;
  for (const std::wstring& n : names) {
    text += BackupListLine(n);
    text += "\r\n";
  }
  return text;
}

}  // namespace

std::string BackupListLine(const std::wstring& Name) {
  const std::string ansi = win::WideToAnsi(Name);
  if (win::AnsiToWide(ansi) == Name) return ansi;   // the 8-bit form, where it names the same file
  return kUtf8Mark + win::WideToUtf8(Name);
}

std::wstring BackupListName(const std::string& Line) {
  std::wstring name;
  if (Line.compare(0, 3, kUtf8Mark) == 0 && win::Utf8ToWide(Line.substr(3), name)) return name;
  return win::AnsiToWide(Line);
}

std::vector<std::wstring> ReadBackupList(const std::string& FileName) {
  std::vector<std::wstring> names;
  std::string data;
  if (!win::ReadWholeFile(FileName, data)) return names;
  size_t start = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] != '\r' && data[i] != '\n') continue;
    names.push_back(BackupListName(data.substr(start, i - start)));
    if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return names;
}

std::vector<std::wstring> ExistingFiles(const std::vector<std::wstring>& Names) {
  // Names grouped by folder; a large group is checked against one listing of it.
  std::unordered_map<std::wstring, size_t> perFolder;
  for (const std::wstring& n : Names) ++perFolder[upper(n.substr(0, n.find_last_of(L"\\/") + 1))];
  std::unordered_map<std::wstring, std::unordered_set<std::wstring>> listings;
  for (const auto& [folder, count] : perFolder) {
    if (count <= kProbeLimit || folder.empty()) continue;
    std::unordered_set<std::wstring>& files = listings[folder];
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW(win::LongPath(folder + L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      files.insert(upper(fd.cFileName));
      if (fd.cAlternateFileName[0]) files.insert(upper(fd.cAlternateFileName));
    } while (::FindNextFileW(find, &fd));
    ::FindClose(find);
  }
  std::vector<std::wstring> existing;
  for (const std::wstring& n : Names) {
    const size_t cut = n.find_last_of(L"\\/") + 1;
    auto listing = listings.find(upper(n.substr(0, cut)));
    const bool exists =
        listing == listings.end() ? win::IsExistingFile(n) : listing->second.count(upper(n.substr(cut))) != 0;
    if (exists) existing.push_back(n);
  }
  return existing;
}

bool SaveBackupList(const std::string& FileName, const std::vector<std::wstring>& Names) {
  return win::UpdateFileDurably(FileName, listText(Names));
}

void TBackupListFile::SetFileName(const std::string& FileName) {
  std::lock_guard<std::mutex> hold(lock_);
  handle_ = win::FileHandle();
  named_.clear();
  file_ = FileName;
}

void TBackupListFile::AppendBeforeMade(const std::wstring& Name) {
  std::lock_guard<std::mutex> hold(lock_);
  if (append(Name)) named_.insert(Name);
}

void TBackupListFile::AppendReported(const std::wstring& Name) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = named_.find(Name);
  if (it != named_.end()) {
    named_.erase(it);
    return;
  }
  append(Name);
}

bool TBackupListFile::Save(const std::vector<std::wstring>& Names) {
  std::lock_guard<std::mutex> hold(lock_);
  // Names appended ahead of their report are not in the new file; their reports append them again.
  handle_ = win::FileHandle();
  named_.clear();
  return !file_.empty() && SaveBackupList(file_, Names);
}

bool TBackupListFile::append(const std::wstring& Name) {
  if (file_.empty()) return false;
  std::string line = BackupListLine(Name) + "\r\n";
  if (!handle_) {
    handle_ = win::FileHandle(::CreateFileA(file_.c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_) return false;
    // A line that a crash cut short must not swallow the new name.
    LARGE_INTEGER size;
    if (::GetFileSizeEx(handle_.get(), &size) && size.QuadPart > 0) {
      LARGE_INTEGER last;
      last.QuadPart = size.QuadPart - 1;
      char c = 0;
      DWORD got = 0;
      if (::SetFilePointerEx(handle_.get(), last, nullptr, FILE_BEGIN) &&
          ::ReadFile(handle_.get(), &c, 1, &got, nullptr) && got == 1 && c != '\n' && c != '\r')
        line = "\r\n" + line;
    }
  }
  DWORD put = 0;
  return ::WriteFile(handle_.get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr) && put == line.size();
}
