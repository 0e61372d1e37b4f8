// The backup list file "backup.dat" in the data folder: one full path a line.
// It is kept true while the program runs: every backup the worker reports is
// appended at once (a kill loses none), and at close the whole list, with the
// lines of backups deleted meanwhile gone, replaces the file durably.
#pragma once
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>
#include "win/Handles.h"

// The names in the file, in order. A last line without a line break is what
// a crash cut short, not a name, and is left out. Empty when the file is missing.
std::vector<std::string> ReadBackupList(const std::string& FileName);

// Those of Names that name existing files (not folders), in order. A folder
// that holds many of them is listed once instead of being searched per name.
std::vector<std::string> ExistingFiles(const std::vector<std::string>& Names);

// The whole list, written durably; nothing is written when the file holds it already.
bool SaveBackupList(const std::string& FileName, const std::vector<std::string>& Names);

// The list file while the program runs, shared by the worker and the window.
// The worker's file operations name each backup before it is made, and the
// window's report of it appends it only when that did not happen; so a kill at
// any moment leaves every backup that exists in the file. Each name goes in one
// write, which a kill cannot cut.
class TBackupListFile {
public:
  void SetFileName(const std::string& FileName);
  // A backup about to be made (a name that then stays unmade is dropped at the next start).
  void AppendBeforeMade(const std::string& Name);
  // A backup the worker reported.
  void AppendReported(const std::string& Name);
  // Replaces the file with the whole list (durably, and only when it differs).
  bool Save(const std::vector<std::string>& Names);

private:
  bool append(const std::string& Name);

  std::mutex lock_;
  std::string file_;
  win::FileHandle handle_;
  std::unordered_multiset<std::string> named_;   // appended before they were made, not yet reported
};
