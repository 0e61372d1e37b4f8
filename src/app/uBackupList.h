// The backup list file "backup.dat" in the data folder: one full path a line.
// It is kept true while the program runs: every backup the worker reports is
// appended at once (a kill loses none), and at close the whole list, with the
// lines of backups deleted meanwhile gone, replaces the file durably.
#pragma once
#include <string>
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

// Appends names to the list file, each in one write that a kill cannot cut.
class TBackupListAppender {
public:
  explicit TBackupListAppender(std::string FileName = {}) : file_(std::move(FileName)) {}
  void SetFileName(const std::string& FileName) { Close(); file_ = FileName; }
  bool Append(const std::string& Name);
  // Lets the list be replaced (a later Append opens the new file).
  void Close() { handle_ = win::FileHandle(); }

private:
  std::string file_;
  win::FileHandle handle_;
};
