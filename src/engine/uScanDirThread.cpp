#include "uScanDirThread.h"
#include "MailTools.h"
#include "win/FileNames.h"
#include <vector>

namespace {

template <class String>
String reduceDoubledBackslashes(const String& Path) {
  using Char = typename String::value_type;
  const Char bs = static_cast<Char>('\\');
  String out;
  size_t i = 0;
  if (Path.size() >= 2 && Path[0] == bs && Path[1] == bs) {  // \\server\share keeps its leading pair
    out.assign(2, bs);
    while (i < Path.size() && Path[i] == bs) ++i;
  }
  const size_t kept = out.size();
  for (; i < Path.size(); ++i) {
    if (Path[i] == bs && out.size() > kept && out.back() == bs) continue;
    out += Path[i];
  }
  return out;
}

}  // namespace

std::string ReduceDoubledBackslashes(const std::string& Path) { return reduceDoubledBackslashes(Path); }
std::wstring ReduceDoubledBackslashes(const std::wstring& Path) { return reduceDoubledBackslashes(Path); }

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
  if (Target) Target->addFileName(CurrentFile);
}

void TScanDirThread::execute() {
  Finished = false;
  // Found files go to the main thread in batches (100 files, or what 50 ms found):
  // each hand-over waits for the main thread, and one for every file made the scan
  // as slow as the window.
  std::vector<std::wstring> batch;
  DWORD lastHandOver = ::GetTickCount();
  auto handOver = [&] {
    if (!batch.empty())
      synchronize([&] {
        if (Target) Target->beginUpdate();
        for (const std::wstring& f : batch) {
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
    WalkFolder(win::AnsiToWide(Path), win::AnsiToWide(Mask), Attr, Recursive,
               [&] {
                 if (due()) handOver();
                 return terminated();
               },
               [&](const std::wstring& found) {
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
