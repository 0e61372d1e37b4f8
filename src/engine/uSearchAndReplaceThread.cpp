#include "uSearchAndReplaceThread.h"
#include "MailTools.h"
#include "uSnRFlushPool.h"
#include "uSnRInput.h"
#include "uSnRMatchers.h"
#include "uSnRRegExpr.h"
#include "uSnRTempOutput.h"
#include "uSnRViewGuard.h"
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace {

std::string folderOf(const std::string& fileName) {
  size_t cut = fileName.find_last_of("\\/:");
  return cut == std::string::npos ? std::string(".") : fileName.substr(0, cut + 1);
}

bool fileExists(const std::string& name) {
  DWORD attr = ::GetFileAttributesA(name.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool nameExists(const std::string& name) { return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Bytes up to the first NUL among the first len.
std::string textUpToNul(const void* buf, int len) {
  const char* p = static_cast<const char*>(buf);
  if (!p || len <= 0) return std::string();
  const void* nul = std::memchr(p, 0, static_cast<size_t>(len));
  return std::string(p, nul ? static_cast<const char*>(nul) - p : len);
}

}  // namespace

std::string SnRTaskDisplayText(int Len, const void* Source, std::string& Copy) {
  Copy.clear();
  if (Len <= 0 || !Source) return std::string();
  Copy.assign(static_cast<const char*>(Source), static_cast<size_t>(Len));
  const std::string t = textUpToNul(Source, Len);
  if (t.empty()) return std::string();
  static const char digits[] = "0123456789ABCDEF";
  std::string d = t + " [";
  for (unsigned char c : t) {
    d += digits[c >> 4];
    d += digits[c & 15];
  }
  d += ']';
  for (char& c : d)
    if (static_cast<unsigned char>(c) < 32) c = '.';
  return d;
}

std::string ShortenText(const std::string& Text, int N) {
  if (N < 0) N = 0;
  if (Text.size() <= static_cast<size_t>(N)) return Text;
  if (N < 3) return Text.substr(0, static_cast<size_t>(N));
  return Text.substr(0, static_cast<size_t>(N - 3)) + "...";
}

void TSnRTast::Init(const std::string& AFileName, const void* ASearchBuf, int ASearchLen, uint8_t AMode,
                    const void* AReplaceBuf, int AReplaceLen, bool ABackup, int ALogLevel) {
  FileName = AFileName;
  SearchLen = std::max(ASearchLen, 0);  // -1: an unset string
  SearchDisplay = SnRTaskDisplayText(SearchLen, ASearchBuf, SearchBuf);
  SearchLen = static_cast<int32_t>(SearchBuf.size());
  ReplaceLen = std::max(AReplaceLen, 0);
  ReplaceDisplay = SnRTaskDisplayText(ReplaceLen, AReplaceBuf, ReplaceBuf);
  ReplaceLen = static_cast<int32_t>(ReplaceBuf.size());
  Mode = AMode;
  Backup = ABackup;
  LogLevel = ALogLevel;
}

namespace {

// Jobs whose temporary files may wait for their flushes at one time, and the
// threads flushing them.
constexpr size_t kJobsInFlight = 32;
constexpr size_t kFlushThreads = 16;

// The file's full path in upper case: two jobs on one name meet here.
std::string nameKey(const std::string& fileName) {
  char full[MAX_PATH * 2];
  DWORD n = ::GetFullPathNameA(fileName.c_str(), sizeof full, full, nullptr);
  std::string key = n && n < sizeof full ? std::string(full, n) : fileName;
  ::CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The file's number. The system's queries for whole identities also ask for the
// volume's serial number, which under wine costs more than a small job; the
// number alone is a read of the file's own record.
bool queryFileId(HANDLE file, TSnRFileId& out) {
  using Query = LONG(NTAPI*)(HANDLE, void* status, void* info, ULONG size, int infoClass);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
  const int fileInternalInformation = 6;
  ULONG_PTR status[2];
  LARGE_INTEGER number;
  if (query && query(file, status, &number, sizeof number, fileInternalInformation) >= 0) {
    out.Number = static_cast<uint64_t>(number.QuadPart);
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info)) return false;
  out.Number = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  return true;
}

}  // namespace

TSearchAndReplaceThread::TSearchAndReplaceThread() { reportBuffer_[0] = 0; }

TSearchAndReplaceThread::~TSearchAndReplaceThread() { terminateAndWait(); }

void TSearchAndReplaceThread::Init(HWND Wnd) {
  ReportWnd = Wnd;
  auto lock = LockTasks();
  Tasks.clear();
}

void TSearchAndReplaceThread::AddTask(std::unique_ptr<TSnRTast> Task) {
  if (!Task) return;
  auto lock = LockTasks();
  Tasks.push_back(std::move(Task));
}

std::unique_lock<std::recursive_mutex> TSearchAndReplaceThread::LockTasks() {
  return std::unique_lock<std::recursive_mutex>(tasksLock_);
}

int TSearchAndReplaceThread::TaskCount() {
  auto lock = LockTasks();
  return static_cast<int>(Tasks.size());
}

void TSearchAndReplaceThread::Report(WPARAM Kind, const std::string& Text) {
  if (!ReportWnd) return;
  const size_t n = std::min(Text.size(), sizeof reportBuffer_ - 1);
  std::memcpy(reportBuffer_, Text.data(), n);
  reportBuffer_[n] = 0;
  ::SendMessageA(ReportWnd, WM_SNRTHREAD, Kind, reinterpret_cast<LPARAM>(reportBuffer_));
}

void TSearchAndReplaceThread::ReportResult(const TSnRTast& Job, TSnRJobResult R) {
  if (!ReportWnd || Job.LogLevel <= llNone) return;
  const std::string strings = ShortenText(Job.SearchDisplay, 200) + " --> " + ShortenText(Job.ReplaceDisplay, 200);
  if (R < 0) {
    Report(SNRTHREAD_LOGLINE, Job.FileName);
    Report(SNRTHREAD_LOGLINE, strings + " : FAILED");
    Report(SNRTHREAD_LOGLINE, "");
  } else if (R > 0 || Job.LogLevel == llAllFiles) {
    Report(SNRTHREAD_LOGLINE, Job.FileName);
    Report(SNRTHREAD_LOGLINE, strings + " : " + std::to_string(R) + " replacements");
    Report(SNRTHREAD_LOGLINE, "");
  }
}

void TSearchAndReplaceThread::execute() {
  // Jobs are taken in order and stay in the queue until reported, so the main
  // thread's count includes every job in progress. While one job's temporary file
  // is being flushed, the next ones are read and written; each job's backup, rename
  // and report still follow those of the job before it, so files, backups and
  // result lines come out exactly as one job after the other would make them.
  if (!flushPool_) flushPool_.reset(new TSnRFlushPool(kFlushThreads));
  TSnRFlushPool& pool = *flushPool_;
  struct InFlight {
    TSnRTast* job;
    Rewrite rewrite;
    std::string key;
    std::shared_ptr<TSnRFlushPool::Ticket> flush;  // set while a temporary file waits
  };
  std::deque<InFlight> inFlight;
  auto taskAt = [this](size_t i) -> TSnRTast* {
    auto lock = LockTasks();
    return i < Tasks.size() ? Tasks[i].get() : nullptr;
  };
  auto dropHead = [this] {
    auto lock = LockTasks();
    Tasks.pop_front();
  };
  auto reportSkipped = [this](const TSnRTast& job) {
    Report(SNRTHREAD_LOGLINE, job.FileName);
    Report(SNRTHREAD_LOGLINE, job.SearchDisplay + " --> " + job.ReplaceDisplay + " : SKIPPED");
    Report(SNRTHREAD_LOGLINE, "");
  };
  // Finishes the oldest job in progress (Skip: removes its temporary file instead).
  auto completeOldest = [&](bool skip) {
    InFlight f = std::move(inFlight.front());
    inFlight.pop_front();
    TSnRJobResult r = f.rewrite.Result;
    if (f.flush) {
      pool.wait(*f.flush);
      if (skip || !f.flush->ok) {
        ops_->Delete(f.rewrite.TempName);
        r = srReplaceFailed;  // the new content did not reach the disk
      } else {
        try {
          r = Finish(f.job->FileName, f.rewrite.TempName, f.job->Backup, r);
        } catch (...) {
          r = srMapFailed;
        }
        pool.flushFolder(*ops_, folderOf(f.job->FileName));
      }
    }
    if (skip)
      reportSkipped(*f.job);
    else
      ReportResult(*f.job, r);
    dropHead();
    Report(SNRTHREAD_LOGLINE, "UPDATE");
  };
  auto drain = [&] {
    while (!inFlight.empty() && !terminated()) completeOldest(false);
  };
  // A job must not read a file that a job before it has yet to replace, nor one
  // of its backups.
  auto waitsForEarlier = [&](const std::string& key) {
    for (const InFlight& f : inFlight)
      if (f.flush && (key == f.key || (key.compare(0, f.key.size() + 1, f.key + ".") == 0 && endsWith(key, ".SNR_BAK"))))
        return true;
    return false;
  };
  const std::function<bool(const TSnRFileId&)> busy = [&](const TSnRFileId& id) {
    for (const InFlight& f : inFlight)
      if (f.flush && f.rewrite.Source == id) return true;
    return false;
  };

  while (!terminated()) {
    TSnRTast* job = taskAt(inFlight.size());
    if (!job) {
      if (!inFlight.empty()) {
        completeOldest(false);
      } else {
        pool.waitAll();  // the folders' flushes too, before the worker idles
        ::Sleep(10);
      }
      continue;
    }
    if (inFlight.size() >= kJobsInFlight) {
      completeOldest(false);
      continue;
    }
    std::string key = nameKey(job->FileName);
    if (waitsForEarlier(key)) {
      drain();
      continue;
    }
    InFlight f{job, Rewrite(), std::move(key), nullptr};
    try {
      const bool anyPending = std::any_of(inFlight.begin(), inFlight.end(), [](const InFlight& i) { return !!i.flush; });
      f.rewrite = Read(job->FileName, job->SearchBuf.data(), job->SearchLen, job->Mode, job->ReplaceBuf.data(),
                       job->ReplaceLen, anyPending ? busy : std::function<bool(const TSnRFileId&)>());
    } catch (...) {
      f.rewrite = Rewrite();
      f.rewrite.Result = srMapFailed;
    }
    if (f.rewrite.Busy) {
      drain();
      continue;
    }
    if (f.rewrite.Temp) f.flush = pool.flushFile(*ops_, std::move(f.rewrite.Temp));
    inFlight.push_back(std::move(f));
    while (!inFlight.empty() && !terminated() && (!inFlight.front().flush || pool.done(*inFlight.front().flush)))
      completeOldest(false);
  }
  // The job in progress ends normally; the ones read ahead of their turn count as
  // not begun: their temporary files go and their files stay untouched.
  if (!inFlight.empty()) completeOldest(false);
  while (!inFlight.empty()) completeOldest(true);
  pool.waitAll();
  while (TSnRTast* job = taskAt(0)) {
    reportSkipped(*job);
    dropHead();
    Report(SNRTHREAD_LOGLINE, "UPDATE");
  }
}

TSearchAndReplaceThread::Rewrite TSearchAndReplaceThread::Read(
    const std::string& FileName, const void* SearchBuf, int SearchLen, uint8_t Mode, const void* ReplaceBuf,
    int ReplaceLen, const std::function<bool(const TSnRFileId&)>& Busy) {
  Rewrite out;
  SearchLen = SearchBuf ? std::max(SearchLen, 0) : 0;
  ReplaceLen = ReplaceBuf ? std::max(ReplaceLen, 0) : 0;
  DebugOut(FileName + " Start");
  if (!fileExists(FileName)) {
    out.Result = srFileMissing;
    return out;
  }

  win::FileHandle file;
  std::unique_ptr<TSnRInput> input;
  out.Result = srMapFailed;
  try {
    file.reset(::CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return out;  // locked against reading, or no access
    LARGE_INTEGER fileSize;
    if (!::GetFileSizeEx(file.get(), &fileSize)) return out;
    if (Busy) {
      if (!queryFileId(file.get(), out.Source)) return out;
      if (Busy(out.Source)) {
        out.Busy = true;
        return out;
      }
    }
    // The file is read through a window that slides through it, whatever its size.
    if (fileSize.QuadPart <= 0) return out;
    input = TSnRInput::OpenFile(*ops_, file.get(), static_cast<uint64_t>(fileSize.QuadPart));
    if (!input) return out;
  } catch (...) {
    out.Result = srOpenFailed;
    return out;
  }

  const std::string folder = folderOf(FileName);
  out.Result = srReplaceFailed;
  if (SearchLen > 0 && Mode <= smRegExpr) {
    try {
      TSnRTempOutput temp(*ops_, folder, *input);
      int count = srReplaceFailed;
      if (Mode == smRegExpr) {
        const std::string expr = textUpToNul(SearchBuf, SearchLen);
        if (!expr.empty()) {
          // Compiled and parsed once for all the file's runs.
          const TSnRRegExpr re(expr);
          const TSnRRegExpr::Template repl(textUpToNul(ReplaceBuf, ReplaceLen), true);
          count = ReplaceRegExprRuns(*input, re, repl, temp);
        }
      } else {
        count = ReplacePlain(*input, static_cast<const uint8_t*>(SearchBuf), static_cast<size_t>(SearchLen),
                             static_cast<const uint8_t*>(ReplaceBuf), static_cast<size_t>(ReplaceLen),
                             Mode == smIgnoreCase, temp);
      }
      // Only a job that replaced something needs its file: 0 matches leave none.
      // Its bytes may still all come from the input here.
      if (count > 0) out.Temp = temp.finish(true, out.TempName);
      out.Result = count;
    } catch (const snr::ViewReadError&) {
      out.Result = srMapFailed;  // the temporary file is gone with its output object
    } catch (...) {
      out.Result = srReplaceFailed;
    }
  }
  return out;
}

TSnRJobResult TSearchAndReplaceThread::ProcessFile(const std::string& FileName, const void* SearchBuf,
                                                   int SearchLen, uint8_t Mode, const void* ReplaceBuf,
                                                   int ReplaceLen, bool Backup, int /*LogLevel*/) {
  Rewrite r;
  try {
    r = Read(FileName, SearchBuf, SearchLen, Mode, ReplaceBuf, ReplaceLen, nullptr);
  } catch (...) {
    return srMapFailed;
  }
  if (r.TempName.empty()) return r.Result;
  // The new content reaches the disk before any name points to it.
  const bool flushed = ops_->Flush(r.Temp.get());
  r.Temp.reset();
  if (!flushed) {
    ops_->Delete(r.TempName);
    return srReplaceFailed;
  }
  const TSnRJobResult result = Finish(FileName, r.TempName, Backup, r.Result);
  ops_->FlushFolder(folderOf(FileName));
  return result;
}

bool TSearchAndReplaceThread::MakeBackup(const std::string& FileName, std::string& Backup) {
  // A second name for the original: complete at once, and the file's own name is
  // never without content. The first free number is found by the link itself.
  for (unsigned n = 0;; ++n) {
    Backup = FileName + "." + std::to_string(n) + ".snr_bak";
    if (ops_->Link(FileName, Backup)) return true;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
  }
  // No links here: a copy, flushed, under a temporary name first, so that a backup
  // name never holds a part of the original.
  for (unsigned n = 0;; ++n) {
    Backup = FileName + "." + std::to_string(n) + ".snr_bak";
    if (!nameExists(Backup)) break;
  }
  std::string copyName;
  win::FileHandle copy = ops_->CreateTempFile(folderOf(FileName), "snr", copyName);
  if (!copy) return false;
  bool ok = true;
  {
    win::FileHandle in(::CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    ok = static_cast<bool>(in);
    std::vector<char> buf(1 << 20);
    DWORD got = 0;
    while (ok && (ok = ::ReadFile(in.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) != 0) && got)
      ok = ops_->Write(copy.get(), buf.data(), got);
  }
  ok = ok && ops_->Flush(copy.get());
  copy.reset();
  if (ok && ops_->Rename(copyName, Backup, false)) return true;
  ops_->Delete(copyName);
  return false;
}

TSnRJobResult TSearchAndReplaceThread::Finish(const std::string& FileName, const std::string& TempName,
                                              bool Backup, int Count) {
  if (Count <= 0) {
    if (!TempName.empty()) ops_->Delete(TempName);
    return Count;
  }
  try {
    std::string backup;
    if (Backup && !MakeBackup(FileName, backup)) {
      ops_->Delete(TempName);
      return srFinishFailed;
    }
    // One step: the name holds the old content up to here and the new one after it.
    if (!ops_->Rename(TempName, FileName, true)) {
      if (Backup) ops_->Delete(backup);  // the original is still in place
      ops_->Delete(TempName);
      return srFinishFailed;
    }
    if (Backup) Report(SNRTHREAD_BACKUPFILE, backup);
  } catch (...) {
    ops_->Delete(TempName);
    return srFinishFailed;
  }
  return Count;
}
