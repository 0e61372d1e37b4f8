// Engine benchmark: the throughput of a plain file copy (one read, one write, one
// flush) against ProcessFile in each mode on one large file, and a folder scan.
// Usage: qz_bench [file MiB, default 256] [files to scan, default 20000] [runs, default 5]
//        qz_bench scan FOLDER MASK
// Each row is the median of its runs: the time of closing or replacing a new file
// swings between runs (a file system may write the file's cached data out then, or
// not), and the best run of each row would compare such swings, not the work.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>
#include "MailTools.h"
#include "uScanDirThread.h"
#include "uSearchAndReplaceThread.h"
#include "win/Handles.h"
#include "win/MessageWindow.h"
#include <memory>

namespace {

double now() {
  static LARGE_INTEGER freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

void removeTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  win::FindHandle h(::FindFirstFileA((dir + "\\*").c_str(), &fd));
  if (h) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(path);
      else
        ::DeleteFileA(path.c_str());
    } while (::FindNextFileA(h.get(), &fd));
  }
  ::RemoveDirectoryA(dir.c_str());
}

bool writeAll(HANDLE f, const void* data, size_t size) {
  DWORD n = 0;
  return ::WriteFile(f, data, static_cast<DWORD>(size), &n, nullptr) && n == size;
}

// Text lines of words with the word "needle" about every 100 bytes, among near misses.
size_t makeFile(const std::string& name, size_t mib) {
  static const char* words[] = {"alpha", "brown", "fox", "jumps", "over", "lazy", "dog", "quartz", "sphinx",
                                "of", "black", "judge", "my", "vow", "noodle", "needs", "nee", "dle"};
  std::string block;
  unsigned seed = 12345;
  size_t matches = 0;
  while (block.size() < (1u << 20)) {
    seed = seed * 1103515245u + 12345u;
    unsigned r = (seed >> 16) % 300;
    if (r < 18) {
      block += "needle";
      ++matches;
    } else {
      block += words[r % 18];
    }
    block += (r % 11 == 0) ? "\r\n" : " ";
  }
  // Cut at the last separator so that no "needle" is split between blocks.
  block.resize(block.find_last_of(' ', (1u << 20) - 1) + 1);
  matches = 0;
  for (size_t p = block.find("needle"); p != std::string::npos; p = block.find("needle", p + 6)) ++matches;
  win::FileHandle f(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!f) return 0;
  size_t written = 0;
  for (size_t i = 0; written + block.size() <= mib << 20; ++i) {
    if (!writeAll(f.get(), block.data(), block.size())) return 0;
    written += block.size();
  }
  // Settle the disk before timing: pending write-back of this file would slow the first runs.
  ::FlushFileBuffers(f.get());
  return matches * (written / block.size());
}

// The floor: read the whole file and write it to a new one, in 1 MiB blocks, and
// flush it as the engine flushes its output, so both sides make durable files.
bool copyFile(const std::string& from, const std::string& to) {
  win::FileHandle in(::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  win::FileHandle out(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!in || !out) return false;
  std::vector<char> buf(1 << 20);
  DWORD got = 0;
  while (::ReadFile(in.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got > 0)
    if (!writeAll(out.get(), buf.data(), got)) return false;
  return ::FlushFileBuffers(out.get()) != 0;
}

// Writes a file's cached data to the disk, so that the next run does not share the
// disk with the write-back of this one's output.
void settle(const std::string& name) {
  win::FileHandle f(::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  if (f) ::FlushFileBuffers(f.get());
}

// The copy reading the way the engine does: through a read-only view of the file,
// written from the view in 1 MiB blocks, and flushed.
bool copyFromView(const std::string& from, const std::string& to) {
  win::FileHandle in(::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  win::FileHandle out(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!in || !out) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(in.get(), &size)) return false;
  win::KernelHandle mapping(::CreateFileMappingA(in.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return false;
  win::MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
  if (!view) return false;
  const char* p = static_cast<const char*>(view.get());
  for (size_t done = 0, n = static_cast<size_t>(size.QuadPart); done < n; done += 1 << 20)
    if (!writeAll(out.get(), p + done, std::min<size_t>(1 << 20, n - done))) return false;
  return ::FlushFileBuffers(out.get()) != 0;
}

// The folder's entries to the disk, as the engine does after its renames.
void flushFolder(const std::string& folder) {
  win::FileHandle dir(::CreateFileA(folder.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (dir) ::FlushFileBuffers(dir.get());
}

// "scan FOLDER MASK": the scan thread's time over the tree (subfolders included) in
// seconds and the number of files found, for a script to compare with find.
int scanOnly(const std::string& folder, const std::string& mask) {
  win::StringList found;
  const double start = now();
  {
    TScanDirThread scan;
    scan.SetParams(folder, mask, 47, true, &found);
    scan.resume();
    scan.waitFor();  // serves the hand-overs to this (the main) thread
  }
  std::printf("%.3f %d\n", now() - start, found.count());
  return 0;
}

// A copy of From with every "vow" written as "747": the same text with numbers in
// it, for the expression rows that look for them.
bool copyWithNumbers(const std::string& from, const std::string& to) {
  win::FileHandle in(::CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  win::FileHandle out(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!in || !out) return false;
  std::vector<char> buf(1 << 20);
  size_t held = 0;  // bytes at the buffer's start that a "vow" may go on from
  DWORD got = 0;
  while (::ReadFile(in.get(), buf.data() + held, static_cast<DWORD>(buf.size() - held), &got, nullptr) && got > 0) {
    const size_t n = held + got;
    for (size_t i = 0; i + 3 <= n; ++i)
      if (std::memcmp(&buf[i], "vow", 3) == 0) std::memcpy(&buf[i], "747", 3);
    held = std::min<size_t>(n, 2);
    if (!writeAll(out.get(), buf.data(), n - held)) return false;
    std::memmove(buf.data(), buf.data() + n - held, held);
  }
  return writeAll(out.get(), buf.data(), held) && ::FlushFileBuffers(out.get());
}

struct Row {
  const char* name;
  double seconds;
  long long count;
};

}  // namespace

// "jobs FOLDER MASK OLD NEW [backup]": one job for every file of the folder that the
// mask takes, worked off by a worker that reports to a window doing nothing else;
// the engine's own time for a batch, without the program's window.
int jobsOnly(const std::string& folder, const std::string& mask, const std::string& from, const std::string& to,
             bool backup) {
  TDirStringList files;
  files.AddFiles(folder, mask, 47, false, false);
  int updates = 0;
  win::MessageWindow target([&](UINT msg, WPARAM, LPARAM lParam, LRESULT& r) {
    if (msg != WM_SNRTHREAD) return false;
    updates += std::strcmp(reinterpret_cast<const char*>(lParam), "UPDATE") == 0;
    r = 0;
    return true;
  });
  TSearchAndReplaceThread worker;
  worker.Init(target.handle());
  worker.setPriority(win::tpLower);
  for (int i = 0; i < files.count(); ++i) {
    auto job = std::make_unique<TSnRTast>();
    job->Init(files[i], from.data(), static_cast<int>(from.size()), smCaseSensitive, to.data(),
              static_cast<int>(to.size()), backup, llAllFiles);
    worker.AddTask(std::move(job));
  }
  const double start = now();
  worker.resume();
  while (updates < files.count()) {
    // Sent reports are served inside the wait and the peek.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&m);
  }
  std::printf("%.3f s for %d jobs\n", now() - start, files.count());
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "scan") == 0) return scanOnly(argv[2], argv[3]);
  if (argc >= 6 && std::strcmp(argv[1], "jobs") == 0) return jobsOnly(argv[2], argv[3], argv[4], argv[5], argc > 6);
  const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
  const int scanFiles = argc > 2 ? std::atoi(argv[2]) : 20000;
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

  char tmp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tmp);
  const std::string dir = std::string(tmp) + "qz_bench_" + std::to_string(::GetCurrentProcessId());
  removeTree(dir);
  if (!::CreateDirectoryA(dir.c_str(), nullptr)) {
    std::fprintf(stderr, "cannot create %s\n", dir.c_str());
    return 1;
  }
  const std::string file = dir + "\\data.txt";
  const size_t expected = makeFile(file, mib);
  if (!expected) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    removeTree(dir);
    return 1;
  }
  WIN32_FILE_ATTRIBUTE_DATA attr;
  ::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &attr);
  const double sizeMiB =
      (static_cast<double>(attr.nFileSizeHigh) * 4294967296.0 + attr.nFileSizeLow) / (1024.0 * 1024.0);

  TSearchAndReplaceThread worker;  // never started: ProcessFile runs on this thread
  // The blocks of a replaced file are freed by the file system, which costs about as
  // much as writing them; a second name for the input keeps that out of the timing,
  // and the copy always writes a new file, so both sides time one read and one write.
  // After each run the new file's data goes to the disk, outside the timing, so that
  // no run shares the disk with the write-back of the one before.
  const std::string keep = dir + "\\data.keep";
  const std::string copyName = dir + "\\copy.txt";
  auto median = [](std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[(times.size() - 1) / 2];
  };
  struct Timing {
    std::vector<double> times;
    long long count = 0;
  };
  auto measure = [&](auto&& op) {
    Timing r;
    for (int i = 0; i < runs; ++i) {
      ::DeleteFileA(copyName.c_str());
      ::CreateHardLinkA(keep.c_str(), file.c_str(), nullptr);
      const double start = now();
      r.count = op();
      r.times.push_back(now() - start);
      settle(file);
      settle(copyName);
      ::DeleteFileA(keep.c_str());
      ::DeleteFileA((file + ".0.snr_bak").c_str());
    }
    ::DeleteFileA(copyName.c_str());
    return r;
  };
  auto row = [&](const char* name, const Timing& t) { return Row{name, median(t.times), t.count}; };
  // Every replacement writes the same bytes back, so each run sees the same file.
  auto job = [&](const char* search, const char* repl, uint8_t mode, bool backup = false) {
    return measure([&] {
      return static_cast<long long>(worker.ProcessFile(file, search, static_cast<int>(std::strlen(search)), mode,
                                                       repl, static_cast<int>(std::strlen(repl)), backup, 0));
    });
  };
  std::vector<Row> rows;
  Timing copy = measure([&] { return copyFile(file, copyName) ? 0LL : -1LL; });
  rows.push_back(row("copy", copy));
  rows.push_back(row("copy, view", measure([&] { return copyFromView(file, copyName) ? 0LL : -1LL; })));
  // The copy put in the input's place as the engine puts its output there: one
  // rename that replaces the file. Some file systems write a file's cached data out
  // when it replaces another by a rename, as the plain copy's when it is closed.
  rows.push_back(row("copy, replace", measure([&] {
    const bool ok = copyFile(file, copyName) &&
                    ::MoveFileExA(copyName.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    flushFolder(dir);
    return ok ? 0LL : -1LL;
  })));
  const Timing exact = job("needle", "needle", smCaseSensitive);
  rows.push_back(row("exact", exact));
  // With a backup the new file takes a free name: no replacing rename.
  rows.push_back(row("exact, backup", job("needle", "needle", smCaseSensitive, true)));
  rows.push_back(row("exact, 0 hits", job("zqxjkv", "needle", smCaseSensitive)));  // the scan alone
  rows.push_back(row("ignore-case", job("NEEDLE", "needle", smIgnoreCase)));
  rows.push_back(row("regex ne+dle", job("ne+dle", "needle", smRegExpr)));
  // Expression rows that change the text: each run rewrites a new copy with numbers
  // (made, and written to the disk, outside the timing).
  const std::string numbers = dir + "\\numbers.txt";
  auto rewrite = [&](const char* search, const char* repl) {
    Timing r;
    for (int i = 0; i < runs; ++i) {
      if (!copyWithNumbers(file, numbers)) r.count = -1;
      const double start = now();
      const long long count = worker.ProcessFile(numbers, search, static_cast<int>(std::strlen(search)), smRegExpr,
                                                 repl, static_cast<int>(std::strlen(repl)), false, 0);
      r.times.push_back(now() - start);
      r.count = r.count < 0 ? -1 : count;
      settle(numbers);
    }
    ::DeleteFileA(numbers.c_str());
    return r;
  };
  rows.push_back(row("regex [0-9]+", rewrite("[0-9]+", "#")));
  rows.push_back(row("regex (ne+)dle", rewrite("(ne+)dle", "$1DLE")));
  // The copy once more at the end, as the disk's state drifts during the runs; its
  // row is the median of both sets.
  const Timing copy2 = measure([&] { return copyFile(file, copyName) ? 0LL : -1LL; });
  copy.times.insert(copy.times.end(), copy2.times.begin(), copy2.times.end());
  rows[0] = row("copy", copy);
  const double copySeconds = rows[0].seconds, exactSeconds = rows[3].seconds;

  std::printf("file %.0f MiB, %zu matches, median of %d runs\n", sizeMiB, expected, runs);
  std::printf("%-15s %9s %7s %10s\n", "mode", "MiB/s", "ratio", "count");
  const double copyRate = sizeMiB / copySeconds;
  for (const Row& r : rows) {
    const double rate = sizeMiB / r.seconds;
    std::printf("%-15s %9.1f %7.2f %10lld\n", r.name, rate, rate / copyRate, r.count);
  }

  if (scanFiles > 0) {
    const std::string tree = dir + "\\tree";
    ::CreateDirectoryA(tree.c_str(), nullptr);
    const int perFolder = 200;
    for (int i = 0; i < scanFiles; ++i) {
      const std::string sub = tree + "\\d" + std::to_string(i / perFolder);
      if (i % perFolder == 0) ::CreateDirectoryA(sub.c_str(), nullptr);
      win::FileHandle f(::CreateFileA((sub + "\\f" + std::to_string(i) + (i % 2 ? ".txt" : ".dat")).c_str(),
                                      GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr));
    }
    double start = now();
    TDirStringList list;
    list.AddFiles(tree, "*", faAnyFile & ~faDirectory, true, false);
    const double listTime = now() - start;

    win::StringList found;
    start = now();
    {
      TScanDirThread scan;
      scan.SetParams(tree, "*.txt", 47, true, &found);
      scan.resume();
      scan.waitFor();  // serves each hand-over to this (the main) thread
    }
    const double threadTime = now() - start;
    std::printf("scan %d files: list %.2f s (%d found), thread *.txt %.2f s (%d found)\n", scanFiles, listTime,
                list.count(), threadTime, found.count());
  }
  removeTree(dir);
  std::printf("exact/copy %.2f\n", copySeconds / exactSeconds);
  return 0;
}
