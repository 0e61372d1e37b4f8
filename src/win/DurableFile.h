// The files the program and the overlay library write for themselves (settings,
// histories, the backup list, the result log, installed package entries, INI
// files, the debug log) are replaced whole: the new content goes to a new file
// beside the old one, reaches the disk, takes the old file's attributes and access
// rights, and then takes its name in one step. A crash or a kill at any moment
// leaves the old or the new file under the name, never a cut one; at worst a new
// file stays beside it, which the next start removes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include "win/Handles.h"

namespace win {

// Suffix of the new files while they are written: "name.<process>-<n>" + this.
extern const char kDurableTempSuffix[];

// A new file beside Target, written by the caller and then put in Target's place.
// Not made when Target is read-only (the system refuses to replace it) or exists
// but cannot be looked at. Others may read the new file while it is written, but
// not delete it: a cleanup by another run leaves it alone.
class NewFileBeside {
public:
  explicit NewFileBeside(const std::string& Target);
  ~NewFileBeside();  // removes the new file unless it took Target's place
  NewFileBeside(const NewFileBeside&) = delete;
  NewFileBeside& operator=(const NewFileBeside&) = delete;

  explicit operator bool() const { return static_cast<bool>(file_); }
  HANDLE handle() const { return file_.get(); }
  const std::string& name() const { return name_; }

  // Flushes the new file, gives it the attributes and rights of the file it
  // replaces, and renames it to Target in one step. False when any step fails; the
  // old file is then untouched and the new one removed.
  bool replaceTarget();

private:
  std::string target_, name_;
  FileHandle file_, old_;  // the new file; the file it replaces, when there is one
  bool placed_ = false;
};

// Replaces (or creates) FileName with Data as described above. False when the
// file could not be written; the old file is then untouched and no new file is left.
bool WriteFileDurably(const std::string& FileName, const std::string& Data);

// The same, but nothing is written when the file already holds exactly Data.
bool UpdateFileDurably(const std::string& FileName, const std::string& Data);

// The whole file; false when it cannot be opened or read, or is larger than MaxSize.
bool ReadWholeFile(const std::string& FileName, std::string& Data, uint64_t MaxSize = 0x7FFFFFFF);

// Remove the new files that killed writes left (files with the suffix above that
// nobody holds open): all of them in Folder, or those of the one file FileName.
// Return how many.
int RemoveDurableLeftovers(const std::string& Folder);
int RemoveDurableLeftoversOf(const std::string& FileName);

// For tests: called after each step of a write ("written", "flushed", "replaced");
// a hook that returns false at "written" or "flushed" makes the write fail there,
// as a failing disk would. An empty hook removes it.
using DurableStepHook = std::function<bool(const char* step)>;
void SetDurableStepHook(DurableStepHook Hook);

}  // namespace win
