// One background scan of a folder: every entry that matches the mask and the
// attribute filter is handed to the main thread, which appends it to Target
// (its real name, Target showing the 8-bit form).
#pragma once
#include <atomic>
#include <string>
#include "win/StringList.h"
#include "win/Thread.h"

class TScanDirThread : public win::Thread {
public:
  TScanDirThread();  // suspended: SetParams, then resume()
  // Terminates and waits, serving the hand-overs meanwhile on the main thread.
  ~TScanDirThread() override;

  // Stores the parameters and sets the lowest priority. Target is not owned.
  void SetParams(const std::string& Path, const std::string& Mask, int Attr, bool Recursive,
                 win::Strings* Target);

  std::string Path;  // empty: the current folder
  std::string Mask;
  int Attr = 0;
  bool Recursive = false;
  win::Strings* Target = nullptr;
  std::wstring CurrentFile;
  std::atomic<bool> Finished{false};  // true once execute() has ended

  // On the main thread: CurrentFile with doubled backslashes reduced (a network
  // path keeps its leading pair), appended to Target.
  void AddFoundFile();

protected:
  void execute() override;
};

// Reduces every run of backslashes to one, except the two that start a network path.
std::string ReduceDoubledBackslashes(const std::string& Path);
std::wstring ReduceDoubledBackslashes(const std::wstring& Path);
