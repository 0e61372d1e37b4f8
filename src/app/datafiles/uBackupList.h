// The backup list file "backup.dat" in the data folder: one full path a line.
// It is kept true while the program runs: every backup the worker reports is
// appended at once (a kill loses none), and at close the whole list, with the
// lines of backups deleted meanwhile gone, replaces the file durably.
// A line is the path in 8-bit form; a path that has none (characters outside
// the code page) is written in UTF-8 behind the UTF-8 byte-order mark, which no
// 8-bit path starts with, so files of older runs read as before.
#pragma once
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>
#include "win/Handles.h"

// One line of the file (without its line break) and the name it holds.
std::string BackupListLine(const std::wstring& Name);
std::wstring BackupListName(const std::string& Line);

// The names in the file, in order. A last line without a line break is what
// a crash cut short, not a name, and is left out. Empty when the file is missing.
std::vector<std::wstring> ReadBackupList(const std::string& FileName);

// Those of Names that name existing files (not folders), in order. A folder
// that holds many of them is listed once instead of being searched per name.
std::vector<std::wstring> ExistingFiles(const std::vector<std::wstring>& Names);

// The whole list, written durably; nothing is written when the file holds it already.
bool SaveBackupList(const std::string& FileName, const std::vector<std::wstring>& Names);

// The list file while the program runs, shared by the worker and the window.
// The worker's file operations name each backup before it is made, and the
// window's report of it appends it only when that did not happen; so a kill at
// any moment leaves every backup that exists in the file. Each name goes in one
// write, which a kill cannot cut.
class TBackupListFile {
public:
  void SetFileName(const std::string& FileName);
  // A backup about to be made (a name that then stays unmade is dropped at the next start).
  void AppendBeforeMade(const std::wstring& Name);
  // A backup the worker reported.
  void AppendReported(const std::wstring& Name);
  // Replaces the file with the whole list (durably, and only when it differs).
  bool Save(const std::vector<std::wstring>& Names);

private:
  bool append(const std::wstring& Name);

  std::mutex lock_;
  std::string file_;
  win::FileHandle handle_;
  std::unordered_multiset<std::wstring> named_;   // appended before they were made, not yet reported
};
