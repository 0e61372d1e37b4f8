// The worker's temporary files, noted while they exist in a journal in the data
// folder, so that the next start removes what a killed run left behind. A file
// counts as a leftover only when its run has ended (a living run holds its
// journal open), no living run has it in progress, it is still the file that
// was noted (same volume and file index) and nobody has it open. It also
// tells the window about each backup before it is made. Names go into the
// journal as UTF-8, so a name of any characters comes back as it was.
#pragma once
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include "uSnRFileOps.h"
#include "win/Handles.h"

class TSnRTempJournal : public TSnRFileOps {
public:
  // Called on the worker's thread with the name of a backup file (a name ending
  // in ".snr_bak" that a file is given): before a renamed file takes it, or at once
  // after a second name (link) made it; in both cases before it is reported.
  std::function<void(const std::wstring&)> BeforeBackup;

  TSnRTempJournal() = default;
  // Deletes this run's journal when no temporary file is left in it.
  ~TSnRTempJournal() override;
  // The same at once: the run's end, which need not wait for the destructor.
  void Close();
  TSnRTempJournal(const TSnRTempJournal&) = delete;
  TSnRTempJournal& operator=(const TSnRTempJournal&) = delete;

  // Starts this run's journal in Folder; false when it cannot be created (the
  // file operations then still work, unnoted).
  bool Open(const std::string& Folder);

  win::FileHandle CreateTempFile(const std::wstring& Folder, const std::wstring& Prefix, std::wstring& Name) override;
  bool Rename(const std::wstring& From, const std::wstring& To, bool ReplaceExisting, win::FileHandle* Open) override;
  bool Delete(const std::wstring& Name) override;
  bool Link(const std::wstring& Existing, const std::wstring& NewName) override;

  // Removes the temporary files noted in the journals in Folder of runs that
  // have ended (a running program holds its journal open), then those
  // journals. Returns the number of files removed.
  static int CleanUp(const std::string& Folder);

private:
  void note(const std::string& line);
  void done(const std::wstring& Name);

  std::mutex lock_;
  std::string journalName_;
  win::FileHandle journal_;
  std::set<std::wstring> open_;   // temporary files noted and still there
  long long written_ = 0;
};
