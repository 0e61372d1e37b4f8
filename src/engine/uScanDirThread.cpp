#include "uScanDirThread.h"
#include "MailTools.h"
#include <vector>

std::string ReduceDoubledBackslashes(const std::string& Path) {
  std::string out;
  size_t i = 0;
  if (Path.compare(0, 2, "\\\\") == 0) {  // \\server\share keeps its leading pair
    out = "\\\\";
    while (i < Path.size() && Path[i] == '\\') ++i;
  }
  const size_t kept = out.size();
  for (; i < Path.size(); ++i) {
    if (Path[i] == '\\' && out.size() > kept && out.back() == '\\') continue;
    out += Path[i];
  }
  return out;
}

TScanDirThread::TScanDirThread() = default;

TScanDirThread::~TScanDirThread() { terminateAndWait(); }

void TScanDirThread::SetParams(const std::string& APath, const std::string& AMask, int AAttr, bool ARecursive,
                               win::Strings* ATarget) {
  Path = APath;
  Mask = AMask;
  Attr = AAttr;
  Recursive = ARecursive;
  Target = ATarget;
  setPriority(win::tpLowest);
}

void TScanDirThread::AddFoundFile() {
  CurrentFile = ReduceDoubledBackslashes(CurrentFile);
  if (Target) Target->add(CurrentFile);
}

void TScanDirThread::execute() {
  Finished = false;
  // Found files go to the main thread in batches (100 files, or what 50 ms found):
  // each hand-over waits for the main thread, and one for every file made the scan
  // as slow as the window.
  std::vector<std::string> batch;
  DWORD lastHandOver = ::GetTickCount();
  auto handOver = [&] {
    if (!batch.empty())
      synchronize([&] {
        if (Target) Target->beginUpdate();
        for (const std::string& f : batch) {
          CurrentFile = f;
          AddFoundFile();
        }
        if (Target) Target->endUpdate();
      });
    batch.clear();
    lastHandOver = ::GetTickCount();
  };
  auto due = [&] { return batch.size() >= 100 || (!batch.empty() && ::GetTickCount() - lastHandOver >= 50); };
  try {
    WalkFolder(Path, Mask, Attr, Recursive,
               [&] {
                 if (due()) handOver();
                 return terminated();
               },
               [&](const std::string& found) {
                 batch.push_back(found);
                 if (due()) handOver();
               });
  } catch (...) {
    // The walk ends quietly with what was found so far.
  }
  try {
    handOver();
  } catch (...) {
  }
  Finished = true;
}
