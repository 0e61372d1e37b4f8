#include "uScanDirThread.h"
#include "MailTools.h"

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
  try {
    WalkFolder(Path, Mask, Attr, Recursive, [this] { return terminated(); },
               [this](const std::string& found) {
                 CurrentFile = found;
                 synchronize([this] { AddFoundFile(); });
               });
  } catch (...) {
    // The walk ends quietly with what was found so far.
  }
  Finished = true;
}
