#include "datafiles/uSnRTempJournal.h"
#include "win/DurableFile.h"
#include "win/FileNames.h"
#include <windows.h>
#include <atomic>
#include <cstdio>
#include <map>
#include <sstream>
#include <vector>

namespace {

const char kJournalPattern[] = "~snrtemp.*.journal";
// A journal with nothing in progress starts again from empty once it is this long.
const long long kRestartSize = 64 * 1024;

// A noted file is known by its path and its number on the volume. The volume
// field stays 0 (it was the volume's serial number once: such old notes never
// match, so their files are left alone): asking for it costs more under wine
// than a small job.
struct FileIdentity {
  unsigned long volume = 0, high = 0, low = 0;
  bool known() const { return high || low; }
  bool operator==(const FileIdentity& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

bool identityOf(HANDLE f, FileIdentity& id) {
  uint64_t number = 0;
  if (!SnRFileNumber(f, number)) return false;
  id = {0, static_cast<unsigned long>(number >> 32), static_cast<unsigned long>(number)};
  return id.known();
}

// Opening for attributes only is allowed beside any other open of the file.
bool identityOf(const std::wstring& name, FileIdentity& id) {
  win::FileHandle f(::CreateFileW(win::LongPath(name).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  return f && identityOf(f.get(), id);
}

std::string folderWithBackslash(std::string f) {
  if (!f.empty() && f.back() != '\\' && f.back() != '/') f += '\\';
  return f;
}

// A noted name; a journal of an older run may hold it in 8-bit form.
std::wstring notedName(const std::string& text) { return win::Utf8OrAnsiToWide(text); }

// The noted files of one journal that are still in progress: path -> identity.
std::map<std::wstring, FileIdentity> inProgress(const std::string& text) {
  std::map<std::wstring, FileIdentity> files;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    else if (in.eof()) break;   // a line cut by a kill is no record
    if (line.size() < 3 || line[1] != ' ') continue;
    if (line[0] == '+') {
      FileIdentity id;
      int used = 0;
      if (std::sscanf(line.c_str() + 2, "%lx %lx %lx %n", &id.volume, &id.high, &id.low, &used) == 3 && used > 0)
        files[notedName(line.substr(2 + static_cast<size_t>(used)))] = id;
    } else if (line[0] == '-') {
      files.erase(notedName(line.substr(2)));
    }
  }
  return files;
}

std::wstring upper(std::wstring s) {
  if (!s.empty()) ::CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

// Deletes Name when it is still the noted file and nobody has it open: the
// exclusive handle keeps anyone from opening it between the check and the delete.
bool deleteIfSame(const std::wstring& name, const FileIdentity& noted) {
  win::FileHandle f(::CreateFileW(win::LongPath(name).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  FileIdentity now;
  if (!f || !identityOf(f.get(), now) || !(now == noted)) return false;
  FILE_DISPOSITION_INFO dispose = {TRUE};
  return ::SetFileInformationByHandle(f.get(), FileDispositionInfo, &dispose, sizeof dispose) != 0;
}

}  // namespace

TSnRTempJournal::~TSnRTempJournal() { Close(); }

void TSnRTempJournal::Close() {
  std::lock_guard<std::mutex> hold(lock_);
  if (!journal_) return;
  journal_ = win::FileHandle();
  if (open_.empty()) ::DeleteFileA(journalName_.c_str());
}

bool TSnRTempJournal::Open(const std::string& Folder) {
  static std::atomic<unsigned long> counter{0};
  const std::string folder = folderWithBackslash(Folder);
  for (int attempt = 0; attempt < 100 && !journal_; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "~snrtemp.%lx-%lx.journal", ::GetCurrentProcessId(), ++counter);
    journalName_ = folder + name;
    // Others may read it, but not open it exclusively: that is how a cleanup sees a living run.
    journal_ = win::FileHandle(::CreateFileA(journalName_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal_ && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return static_cast<bool>(journal_);
}

void TSnRTempJournal::note(const std::string& line) {
  if (!journal_) return;
  if (open_.empty() && written_ >= kRestartSize) {
    LARGE_INTEGER zero = {};
    if (::SetFilePointerEx(journal_.get(), zero, nullptr, FILE_BEGIN) && ::SetEndOfFile(journal_.get())) written_ = 0;
  }
  DWORD put = 0;
  ::WriteFile(journal_.get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
  written_ += put;
}

void TSnRTempJournal::done(const std::wstring& Name) {
  std::lock_guard<std::mutex> hold(lock_);
  if (open_.erase(Name)) note("- " + win::WideToUtf8(Name) + "\r\n");
}

win::FileHandle TSnRTempJournal::CreateTempFile(const std::wstring& Folder, const std::wstring& Prefix,
                                                std::wstring& Name) {
  win::FileHandle f = TSnRFileOps::CreateTempFile(Folder, Prefix, Name);
  if (!f) return f;
  FileIdentity id;
  if (!identityOf(f.get(), id)) identityOf(Name, id);
  char head[48];
  std::snprintf(head, sizeof head, "+ %lx %lx %lx ", id.volume, id.high, id.low);
  std::lock_guard<std::mutex> hold(lock_);
  open_.insert(Name);
  note(head + win::WideToUtf8(Name) + "\r\n");
  return f;
}

namespace {
bool isBackupName(const std::wstring& name) {
  static const std::wstring suffix = L".snr_bak";
  return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

bool TSnRTempJournal::Rename(const std::wstring& From, const std::wstring& To, bool ReplaceExisting, win::FileHandle* Open) {
  if (BeforeBackup && isBackupName(To)) BeforeBackup(To);
  const bool ok = TSnRFileOps::Rename(From, To, ReplaceExisting, Open);
  if (ok) done(From);
  return ok;
}

bool TSnRTempJournal::Link(const std::wstring& Existing, const std::wstring& NewName) {
  // Noted before it is made, so that a kill in between leaves no backup unlisted
  // (a name noted and then not made is dropped at the next start). A name that is
  // taken is not noted again: the link to it fails and the worker tries the next
  // number.
  if (BeforeBackup && isBackupName(NewName) &&
      ::GetFileAttributesW(win::NewFilePath(NewName).c_str()) == INVALID_FILE_ATTRIBUTES)
    BeforeBackup(NewName);
  return TSnRFileOps::Link(Existing, NewName);
}

bool TSnRTempJournal::Delete(const std::wstring& Name) {
  const bool ok = TSnRFileOps::Delete(Name);
  if (ok || ::GetFileAttributesW(win::LongPath(Name).c_str()) == INVALID_FILE_ATTRIBUTES) done(Name);
  return ok;
}

int TSnRTempJournal::CleanUp(const std::string& Folder) {
  const std::string folder = folderWithBackslash(Folder);
  // Journals of ended runs (nobody holds them) and what living runs have in progress.
  std::vector<std::string> ended;
  std::set<std::wstring> living;
  WIN32_FIND_DATAA fd;
  HANDLE find = ::FindFirstFileA((folder + kJournalPattern).c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::string journal = folder + fd.cFileName;
    // Exclusive: fails while the run that writes it is alive.
    win::FileHandle j(::CreateFileA(journal.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    if (j) {
      ended.push_back(journal);
      continue;
    }
    std::string text;
    if (win::ReadWholeFile(journal, text))
      for (const auto& entry : inProgress(text)) living.insert(upper(entry.first));
  } while (::FindNextFileA(find, &fd));
  ::FindClose(find);

  int removed = 0;
  for (const std::string& journal : ended) {
    std::string text;
    if (!win::ReadWholeFile(journal, text)) continue;
    for (const auto& [name, id] : inProgress(text))
      if (id.known() && !living.count(upper(name)) && deleteIfSame(name, id)) ++removed;
    ::DeleteFileA(journal.c_str());
  }
  return removed;
}
