#include "uSearchAndReplaceThread.h"
#include "MailTools.h"
#include "uSnRTaskPool.h"
#include "uSnRInput.h"
#include "uSnRMatchers.h"
#include "uSnRNoOutput.h"
#include "uSnRRegExpr.h"
#include "uSnRTempOutput.h"
#include "uSnRViewGuard.h"
#include "win/FileNames.h"
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

using win::LongPath;

namespace {

std::wstring folderOf(const std::wstring& fileName) {
  size_t cut = fileName.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? std::wstring(L".") : fileName.substr(0, cut + 1);
}

bool nameExists(const std::wstring& name) {
  return ::GetFileAttributesW(LongPath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

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
  Init(win::AnsiToWide(AFileName), ASearchBuf, ASearchLen, AMode, AReplaceBuf, AReplaceLen, ABackup, ALogLevel);
  FileName = AFileName;
}

void TSnRTast::Init(const std::wstring& AName, const void* ASearchBuf, int ASearchLen, uint8_t AMode,
                    const void* AReplaceBuf, int AReplaceLen, bool ABackup, int ALogLevel) {
  Name = AName;
  FileName = win::WideToAnsi(AName);
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

// Jobs read ahead of their turn at most, and the threads that read, write and flush
// them (and flush folders).
constexpr size_t kJobsInFlight = 32;
constexpr size_t kPoolThreads = 8;
// Files from this size on are read two at a time: each holds a window of the input
// and the output's buffers, and more of them at once would only share the disk.
constexpr uint64_t kLargeFile = 8 << 20;
constexpr int kLargeFilesAtOnce = 2;
// Batched reports are delivered at least this often while jobs end, and at most this big.
constexpr DWORD kBatchMs = 50;
constexpr size_t kBatchBytes = 256 << 10;

// The file's full path in upper case: two jobs on one name meet here.
std::wstring nameKey(const std::wstring& fileName) {
  std::wstring key = win::FullPath(fileName);
  if (key.empty()) key = fileName;
  if (!key.empty()) ::CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

bool endsWith(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
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

void TSearchAndReplaceThread::DropHead(size_t n) {
  auto lock = LockTasks();
  for (; n && !Tasks.empty(); --n) Tasks.pop_front();
}

void TSearchAndReplaceThread::AddToBatch(WPARAM Kind, const std::string& Text, size_t Length) {
  if (batch_.empty()) batchStart_ = ::GetTickCount();
  batch_ += static_cast<char>(Kind);
  batch_.append(Text, 0, Length);
  batch_ += '\0';
}

void TSearchAndReplaceThread::Report(WPARAM Kind, const std::string& Text) {
  if (!ReportWnd) return;
  const size_t n = std::min(Text.size(), sizeof reportBuffer_ - 1);
  if (batched_) {
    AddToBatch(Kind, Text, n);
    return;
  }
  std::memcpy(reportBuffer_, Text.data(), n);
  reportBuffer_[n] = 0;
  ::SendMessageA(ReportWnd, WM_SNRTHREAD, Kind, reinterpret_cast<LPARAM>(reportBuffer_));
}

void TSearchAndReplaceThread::ReportBackup(const std::wstring& Backup) {
  if (!ReportWnd) return;
  if (batched_) {
    // A batch entry carries the real name, in UTF-8.
    const std::string name = win::WideToUtf8(Backup);
    AddToBatch(SNRTHREAD_BACKUPFILE, name, name.size());
    return;
  }
  // The message's text is 8-bit; the receiver reads the real name meanwhile.
  reportedBackup_ = Backup;
  Report(SNRTHREAD_BACKUPFILE, win::WideToAnsi(Backup));
  reportedBackup_.clear();
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

void TSearchAndReplaceThread::ReportSkipped(const TSnRTast& Job) {
  Report(SNRTHREAD_LOGLINE, Job.FileName);
  Report(SNRTHREAD_LOGLINE, Job.SearchDisplay + " --> " + Job.ReplaceDisplay + " : SKIPPED");
  Report(SNRTHREAD_LOGLINE, "");
}

void TSearchAndReplaceThread::JobDone() {
  if (batched_ && ReportWnd) {
    Report(SNRTHREAD_LOGLINE, "UPDATE");
    ++batchJobs_;
    if (batch_.size() >= kBatchBytes) DeliverReports();
    return;
  }
  DropHead(1);
  Report(SNRTHREAD_LOGLINE, "UPDATE");
}

void TSearchAndReplaceThread::DeliverReports() {
  if (!batched_ || batch_.empty()) return;
  batch_ += '\0';
  // The jobs leave first, as a job does before its "UPDATE": the window may end
  // the run on the last report, and must then find the queue empty.
  DropHead(batchJobs_);
  batchJobs_ = 0;
  ::SendMessageA(ReportWnd, WM_SNRTHREAD, SNRTHREAD_LOGLINES, reinterpret_cast<LPARAM>(batch_.data()));
  batch_.clear();
}

void TSearchAndReplaceThread::execute() {
  // Jobs are taken in order and stay in the queue until reported, so the main
  // thread's count includes every job in progress. Up to kJobsInFlight of them are
  // read, written and flushed ahead on the pool's threads; each job's backup,
  // rename and report follow those of the job before it, on this thread, so files,
  // backups and result lines come out exactly as one job after the other would
  // make them.
  if (!pool_) pool_.reset(new TSnRTaskPool(kPoolThreads, THREAD_PRIORITY_BELOW_NORMAL));
  if (!largeFiles_) largeFiles_.reset(new TSnRSlots(kLargeFilesAtOnce));
  TSnRTaskPool& pool = *pool_;
  struct InFlight {
    TSnRTast* job = nullptr;
    std::wstring key;
    uint64_t dispatched = 0;  // renames made before it was started
    Rewrite rewrite;          // written by its task until the ticket is done
    std::shared_ptr<TSnRTaskPool::Ticket> ticket;
  };
  std::deque<std::unique_ptr<InFlight>> inFlight;
  uint64_t renames = 0;
  // The file identities replaced by a rename, with the count of renames then: a
  // job that read one of them before (through another name of the same file) read
  // what is gone and is read again.
  std::deque<std::pair<TSnRFileId, uint64_t>> replaced;
  std::vector<std::wstring> dirtyFolders;
  DWORD lastFolderFlush = ::GetTickCount();
  auto taskAt = [this](size_t i) -> TSnRTast* {
    auto lock = LockTasks();
    return i < Tasks.size() ? Tasks[i].get() : nullptr;
  };
  auto flushFolders = [&] {
    for (std::wstring& folder : dirtyFolders)
      pool.run([this, folder = std::move(folder)] { ops_->FlushFolder(folder); });
    dirtyFolders.clear();
    lastFolderFlush = ::GetTickCount();
  };
  auto readAgain = [&](const InFlight& f) {
    if (!f.rewrite.Source.Number) return false;  // not opened
    for (const auto& r : replaced)
      if (r.second > f.dispatched && r.first == f.rewrite.Source) return true;
    return false;
  };
  // Finishes the oldest job in progress (Skip: removes its temporary file instead).
  auto completeOldest = [&](bool skip) {
    std::unique_ptr<InFlight> f = std::move(inFlight.front());
    inFlight.pop_front();
    pool.wait(*f->ticket);
    // Replacements every job still in progress was started after are of no concern.
    while (!replaced.empty() && replaced.front().second <= f->dispatched) replaced.pop_front();
    if (skip) {
      DiscardTemp(f->rewrite);
      ReportSkipped(*f->job);
      JobDone();
      return;
    }
    if (readAgain(*f)) {
      DiscardTemp(f->rewrite);
      f->rewrite = ReadAndFlush(*f->job);
    }
    TSnRJobResult r = f->rewrite.Result;
    if (!f->rewrite.TempName.empty()) {
      try {
        r = Finish(f->job->Name, f->rewrite, f->job->Backup);
      } catch (...) {
        DiscardTemp(f->rewrite);
        r = srMapFailed;
      }
      if (r > 0) replaced.emplace_back(f->rewrite.Source, ++renames);
      const std::wstring folder = folderOf(f->job->Name);
      if (std::find(dirtyFolders.begin(), dirtyFolders.end(), folder) == dirtyFolders.end())
        dirtyFolders.push_back(folder);
    }
    ReportResult(*f->job, r);
    JobDone();
  };
  // A job must not read a file that a job before it has yet to replace, nor one
  // of its backups.
  auto waitsForEarlier = [&](const std::wstring& key) {
    for (const auto& f : inFlight)
      if (key == f->key || (key.compare(0, f->key.size() + 1, f->key + L".") == 0 && endsWith(key, L".SNR_BAK")))
        return true;
    return false;
  };
  // Starts every job it may: up to kJobsInFlight, stopping at one that must wait.
  auto startJobs = [&] {
    while (inFlight.size() < kJobsInFlight && !terminated()) {
      TSnRTast* job = taskAt(batchJobs_ + inFlight.size());
      if (!job) return;
      std::wstring key = nameKey(job->Name);
      if (waitsForEarlier(key)) return;
      auto f = std::make_unique<InFlight>();
      f->job = job;
      f->key = std::move(key);
      f->dispatched = renames;
      InFlight* p = f.get();
      f->ticket = pool.run([this, p] { p->rewrite = ReadAndFlush(*p->job); });
      inFlight.push_back(std::move(f));
    }
  };
  auto idle = [&] { return inFlight.empty() && !taskAt(batchJobs_); };

  while (!terminated()) {
    startJobs();
    if (inFlight.empty()) {
      DeliverReports();
      flushFolders();
      if (idle()) {
        pool.waitAll();  // the folders' flushes too, before the worker idles
        replaced.clear();
        ::Sleep(10);
      }
      continue;
    }
    // While the oldest job is still being read or written, what is gathered goes
    // to the window once it is kBatchMs old.
    InFlight& oldest = *inFlight.front();
    if (!pool.done(*oldest.ticket)) {
      const DWORD age = batch_.empty() ? 0 : ::GetTickCount() - batchStart_;
      if (!batch_.empty() && age >= kBatchMs) {
        DeliverReports();
        continue;
      }
      if (!batch_.empty()) {
        pool.waitFor(*oldest.ticket, kBatchMs - age);
        continue;
      }
    }
    completeOldest(false);
    if (!batch_.empty() && ::GetTickCount() - batchStart_ >= kBatchMs) DeliverReports();
    if (!dirtyFolders.empty() && ::GetTickCount() - lastFolderFlush >= kBatchMs) flushFolders();
  }
  // The job in progress ends normally; the ones read ahead of their turn count as
  // not begun: their temporary files go and their files stay untouched.
  if (!inFlight.empty()) completeOldest(false);
  while (!inFlight.empty()) completeOldest(true);
  flushFolders();
  pool.waitAll();
  while (TSnRTast* job = taskAt(batchJobs_)) {
    ReportSkipped(*job);
    JobDone();
  }
  DeliverReports();
}

TSearchAndReplaceThread::Rewrite TSearchAndReplaceThread::ReadAndFlush(const TSnRTast& Job) {
  Rewrite r;
  try {
    r = Read(Job.Name, Job.SearchBuf.data(), Job.SearchLen, Job.Mode, Job.ReplaceBuf.data(), Job.ReplaceLen);
  } catch (...) {
    r = Rewrite();
    r.Result = srMapFailed;
    return r;
  }
  if (!r.Temp) return r;
  // The new content reaches the disk before any name points to it. The file stays
  // open: it is renamed through its handle, which spares looking up its name.
  if (!ops_->Flush(r.Temp.get())) {
    DiscardTemp(r);
    r.Result = srReplaceFailed;
  }
  return r;
}

void TSearchAndReplaceThread::DiscardTemp(Rewrite& R) {
  R.Temp.reset();  // closed first: the system deletes no file its writer has open
  if (!R.TempName.empty()) ops_->Delete(R.TempName);
  R.TempName.clear();
}

TSearchAndReplaceThread::Rewrite TSearchAndReplaceThread::Read(
    const std::wstring& FileName, const void* SearchBuf, int SearchLen, uint8_t Mode, const void* ReplaceBuf,
    int ReplaceLen) {
  Rewrite out;
  SearchLen = SearchBuf ? std::max(SearchLen, 0) : 0;
  ReplaceLen = ReplaceBuf ? std::max(ReplaceLen, 0) : 0;
  if (DebugOutputWanted()) DebugOut(win::WideToAnsi(FileName) + " Start");  // text built only for a listener
  if (!win::IsExistingFile(FileName)) {
    out.Result = srFileMissing;
    return out;
  }

  struct SlotRelease {
    void operator()(TSnRSlots* s) const { s->release(); }
  };
  std::unique_ptr<TSnRSlots, SlotRelease> largeSlot;  // declared first: released last
  win::FileHandle file;
  std::unique_ptr<TSnRInput> input;
  out.Result = srMapFailed;
  try {
    // Others may read it and rename it, but not write it while it is open (held so
    // until it is replaced).
    file.reset(::CreateFileW(LongPath(FileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return out;  // locked against reading, or no access
    if (!ops_->QueryState(file.get(), out.Read.State)) return out;
    const uint64_t size = out.Read.State.Size;
    if (!SnRFileNumber(file.get(), out.Source.Number)) return out;
    // The file is read through a window that slides through it, whatever its size.
    if (!size) return out;
    if (largeFiles_ && size >= kLargeFile) {
      largeFiles_->acquire();
      largeSlot.reset(largeFiles_.get());
    }
    input = TSnRInput::OpenFile(*ops_, file.get(), size);
    if (!input) return out;
  } catch (...) {
    out.Result = srOpenFailed;
    return out;
  }

  const std::wstring folder = folderOf(FileName);
  out.Result = srReplaceFailed;
  if (SearchLen > 0 && Mode <= smRegExpr) {
    try {
      TSnRTempOutput temp(*ops_, folder, *input);
      // The system replaces no read-only file: its job is counted, not written.
      TSnRNoOutput none;
      const bool readOnly = out.Read.State.Attributes & FILE_ATTRIBUTE_READONLY;
      TSnROutput& output = readOnly ? static_cast<TSnROutput&>(none) : temp;
      int count = srReplaceFailed;
      if (Mode == smRegExpr) {
        const std::string expr = textUpToNul(SearchBuf, SearchLen);
        if (!expr.empty()) {
          // Compiled and parsed once for all the file's runs.
          const TSnRRegExpr re(expr);
          const TSnRRegExpr::Template repl(textUpToNul(ReplaceBuf, ReplaceLen), true);
          count = ReplaceRegExprRuns(*input, re, repl, output);
        }
      } else {
        count = ReplacePlain(*input, static_cast<const uint8_t*>(SearchBuf), static_cast<size_t>(SearchLen),
                             static_cast<const uint8_t*>(ReplaceBuf), static_cast<size_t>(ReplaceLen),
                             Mode == smIgnoreCase, output);
      }
      if (readOnly && count > 0) throw TSnRNoOutput::Replacement();
      // Only a job that replaced something needs its file: 0 matches leave none.
      // Its bytes may still all come from the input here.
      if (count > 0) out.Temp = temp.finish(true, out.TempName);
      out.Result = count;
      if (out.Temp) CarryOriginal(file, out);
    } catch (const snr::ViewReadError&) {
      out.Result = srMapFailed;  // the temporary file is gone with its output object
    } catch (const TSnRNoOutput::Replacement&) {
      out.Result = srFinishFailed;  // as the rename would end
    } catch (...) {
      out.Result = srReplaceFailed;
    }
  }
  return out;
}

void TSearchAndReplaceThread::CarryOriginal(win::FileHandle& File, Rewrite& Out) {
  // The new file takes the old one's attributes and rights before its flush; a file
  // that would come out with other rights (a private one readable by others) is
  // not replaced.
  if (!ops_->CarryRights(File.get(), Out.Temp.get())) {
    DiscardTemp(Out);
    Out.Result = srReplaceFailed;
    return;
  }
  Out.Read.File = std::move(File);
}

TSnRJobResult TSearchAndReplaceThread::ProcessFile(const std::string& FileName, const void* SearchBuf,
                                                   int SearchLen, uint8_t Mode, const void* ReplaceBuf,
                                                   int ReplaceLen, bool Backup, int LogLevel) {
  return ProcessFile(win::AnsiToWide(FileName), SearchBuf, SearchLen, Mode, ReplaceBuf, ReplaceLen, Backup, LogLevel);
}

TSnRJobResult TSearchAndReplaceThread::ProcessFile(const std::wstring& FileName, const void* SearchBuf,
                                                   int SearchLen, uint8_t Mode, const void* ReplaceBuf,
                                                   int ReplaceLen, bool Backup, int LogLevel) {
  TSnRTast job;
  job.Init(FileName, SearchBuf, SearchLen, Mode, ReplaceBuf, ReplaceLen, Backup, LogLevel);
  Rewrite r = ReadAndFlush(job);
  if (r.TempName.empty()) return r.Result;
  const TSnRJobResult result = Finish(FileName, r, Backup);
  ops_->FlushFolder(folderOf(FileName));
  return result;
}

bool TSearchAndReplaceThread::MakeBackup(const std::wstring& FileName, std::wstring& Backup) {
  // A second name for the original: complete at once, and the file's own name is
  // never without content. The first free number is found by the link itself.
  for (unsigned n = 0;; ++n) {
    Backup = FileName + L"." + std::to_wstring(n) + L".snr_bak";
    if (ops_->Link(FileName, Backup)) return true;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
  }
  // No links here: a copy, flushed, under a temporary name first, so that a backup
  // name never holds a part of the original.
  for (unsigned n = 0;; ++n) {
    Backup = FileName + L"." + std::to_wstring(n) + L".snr_bak";
    if (!nameExists(Backup)) break;
  }
  std::wstring copyName;
  win::FileHandle copy = ops_->CreateTempFile(folderOf(FileName), L"snr", copyName);
  if (!copy) return false;
  bool ok = true;
  {
    win::FileHandle in(::CreateFileW(LongPath(FileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    ok = static_cast<bool>(in);
    std::vector<char> buf(1 << 20);
    DWORD got = 0;
    while (ok && (ok = ::ReadFile(in.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) != 0) && got)
      ok = ops_->Write(copy.get(), buf.data(), got);
    ok = ok && ops_->CarryRights(in.get(), copy.get());  // a link shares them; a copy is given them
  }
  ok = ok && ops_->Flush(copy.get());
  copy.reset();
  if (ok && ops_->Rename(copyName, Backup, false, nullptr)) return true;
  ops_->Delete(copyName);
  return false;
}

TSnRJobResult TSearchAndReplaceThread::Finish(const std::wstring& FileName, Rewrite& R, bool Backup) {
  const int Count = R.Result;
  if (Count <= 0) {
    DiscardTemp(R);
    return Count;
  }
  try {
    std::wstring backup;
    if (Backup && !MakeBackup(FileName, backup)) {
      DiscardTemp(R);
      return srFinishFailed;
    }
    // What another writer made of the file since it was read stays: the job fails.
    // The file is let go first, as the system replaces no file that is open.
    R.Read.File.reset();
    const bool changed = ops_->ChangedSince(FileName, R.Read.State);
    // One step: the name holds the old content up to here and the new one after it.
    if (changed || !ops_->Rename(R.TempName, FileName, true, &R.Temp)) {
      if (Backup) ops_->Delete(backup);  // the original is still in place
      DiscardTemp(R);
      return srFinishFailed;
    }
    R.Temp.reset();
    R.TempName.clear();
    if (Backup) ReportBackup(backup);
  } catch (...) {
    DiscardTemp(R);
    return srFinishFailed;
  }
  return Count;
}
