// Search-and-replace jobs and the worker thread that works them off, oldest first:
// each job rewrites one file through a temporary file in its folder and is reported
// to a window with WM_SNRTHREAD.
#pragma once
#include <windows.h>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include "uSnRFileOps.h"
#include "uSnRMatchers.h"
#include "win/Thread.h"

enum TSnRMode : uint8_t { smCaseSensitive = 0, smIgnoreCase = 1, smRegExpr = 2 };

enum TSnRLogLevel : int32_t { llNone = 0, llChangedFiles = 1, llAllFiles = 2 };

// A job's result: the number of replacements (0 or more) or a failure below.
using TSnRJobResult = int32_t;
constexpr TSnRJobResult srFileMissing = -1;    // the file does not exist
constexpr TSnRJobResult srOpenFailed = -2;     // opening or mapping raised an error
constexpr TSnRJobResult srReplaceFailed = -3;  // temporary file not written; bad expression; empty search
constexpr TSnRJobResult srFinishFailed = -4;   // backup or rename failed
constexpr TSnRJobResult srMapFailed = -5;      // no mapping (empty, locked, unreadable) or any other error

// The worker's report: wParam one of the kinds below, lParam a NUL-terminated text
// valid only during the call (at most 4095 bytes; longer texts arrive cut).
constexpr UINT WM_SNRTHREAD = WM_USER + 2001;
constexpr WPARAM SNRTHREAD_LOGLINE = 1;     // a result line, or "UPDATE" after every job
constexpr WPARAM SNRTHREAD_BACKUPFILE = 2;  // full path of a backup file just made (its 8-bit form)
// Several of the reports above in one message, sent only to a window that asked for
// them (TSearchAndReplaceThread::SetBatchedReports): lParam points to entries, each
// a kind byte (1 or 2) followed by its NUL-terminated text, ended by a 0 byte; the
// text of a backup entry is its real name in UTF-8. The jobs the batch reports have
// left the queue (TaskCount()) when it is handled.
constexpr WPARAM SNRTHREAD_LOGLINES = 3;

// One job for one file; it owns copies of its byte strings.
class TSnRTast {
public:
  std::wstring Name;      // the file's real name: the one that is opened
  std::string FileName;   // its 8-bit form, for the report lines
  std::string SearchBuf;  // the bytes to find (in smRegExpr the expression)
  int32_t SearchLen = 0;
  std::string ReplaceBuf;  // the replacement bytes (in smRegExpr the template)
  int32_t ReplaceLen = 0;
  bool Backup = false;
  int32_t LogLevel = llAllFiles;
  uint8_t Mode = smCaseSensitive;
  std::string SearchDisplay;   // e.g. abc [616263]
  std::string ReplaceDisplay;

  // Copies both buffers; a length of -1 (an unset string) counts as 0.
  void Init(const std::wstring& Name, const void* SearchBuf, int SearchLen, uint8_t Mode,
            const void* ReplaceBuf, int ReplaceLen, bool Backup, int LogLevel);
  // The same for a name given as 8-bit text, which is then the file's name as it is.
  void Init(const std::string& FileName, const void* SearchBuf, int SearchLen, uint8_t Mode,
            const void* ReplaceBuf, int ReplaceLen, bool Backup, int LogLevel);
};

// Copy receives the first Len bytes of Source; the result is the display text: the
// bytes before the first NUL, then " [", their hex digits, "]", with every byte below
// 32 shown as "."; empty when that text is.
std::string SnRTaskDisplayText(int Len, const void* Source, std::string& Copy);

// Text unchanged when at most N characters long, else its first N - 3 and "...".
std::string ShortenText(const std::string& Text, int N);

class TSnRTaskPool;
class TSnRSlots;

// Which file a name leads to: the file's number on its volume. Two files on two
// volumes may share one; it only serves to keep apart what might be one file.
struct TSnRFileId {
  uint64_t Number = 0;
  bool operator==(const TSnRFileId& o) const { return Number == o.Number; }
};

class TSearchAndReplaceThread : public win::Thread {
public:
  TSearchAndReplaceThread();  // suspended: Init, setPriority(win::tpLower), resume()
  // Terminates and waits (serving the reports meanwhile on the main thread), then
  // frees the jobs that are left.
  ~TSearchAndReplaceThread() override;

  void Init(HWND Wnd);
  HWND ReportWnd = nullptr;  // 0: no reports

  // Appends a job, which belongs to the worker from now on. Hold LockTasks() across
  // a batch of appends so that the batch enters the queue as a whole.
  void AddTask(std::unique_ptr<TSnRTast> Task);
  std::unique_lock<std::recursive_mutex> LockTasks();
  int TaskCount();

  // Rewrites one file (the worker does this for every job). LogLevel is not used.
  TSnRJobResult ProcessFile(const std::wstring& FileName, const void* SearchBuf, int SearchLen, uint8_t Mode,
                            const void* ReplaceBuf, int ReplaceLen, bool Backup, int LogLevel);
  TSnRJobResult ProcessFile(const std::string& FileName, const void* SearchBuf, int SearchLen, uint8_t Mode,
                            const void* ReplaceBuf, int ReplaceLen, bool Backup, int LogLevel);

  // While a SNRTHREAD_BACKUPFILE report is being handled (the worker waits in it):
  // the real name of that backup, which the report's text shows in 8-bit form.
  const std::wstring& ReportedBackup() const { return reportedBackup_; }

  // The file operations used from now on (not owned); nullptr: the real ones.
  void SetFileOps(TSnRFileOps* Ops) { ops_ = Ops ? Ops : &TSnRFileOps::System(); }

  // On: the reports go to ReportWnd gathered, as SNRTHREAD_LOGLINES about every
  // 50 ms and whenever the worker runs out of work, in place of one message each.
  // Set before the worker runs.
  void SetBatchedReports(bool On) { batched_ = On; }

  // The file a job read, as it was then, and held open until it is replaced where
  // the system keeps other writers out meanwhile.
  struct Original {
    win::FileHandle File;  // while a temporary file waits to replace it
    TSnRFileState State;
  };

  // One job after its file was read and its temporary file written and flushed;
  // the backup and the rename follow in the queue's order.
  struct Rewrite {
    TSnRJobResult Result = 0;  // the count, or a failure; final when there is no TempName
    std::wstring TempName;     // the temporary file, when one was made
    win::FileHandle Temp;      // open until it is renamed
    TSnRFileId Source;         // the file read, once it was opened
    Original Read;             // the file read
  };

protected:
  void execute() override;

private:
  // Reads the file and writes the temporary file (not yet flushed).
  Rewrite Read(const std::wstring& FileName, const void* SearchBuf, int SearchLen, uint8_t Mode,
               const void* ReplaceBuf, int ReplaceLen);
  // Gives the temporary file the attributes and rights of the file read and keeps
  // that file held; a temporary file that cannot have them is removed (-3).
  void CarryOriginal(win::FileHandle& File, Rewrite& Out);
  // Read, then the temporary file's flush (a failed flush: srReplaceFailed).
  Rewrite ReadAndFlush(const TSnRTast& Job);
  // One entry of the batch: the kind's byte, the first Length bytes of Text, a NUL.
  void AddToBatch(WPARAM Kind, const std::string& Text, size_t Length);
  void Report(WPARAM Kind, const std::string& Text);
  // SNRTHREAD_BACKUPFILE for a backup just made (in a batch: its UTF-8 name).
  void ReportBackup(const std::wstring& Backup);
  void ReportResult(const TSnRTast& Job, TSnRJobResult R);
  void ReportSkipped(const TSnRTast& Job);
  // A job's reports are done: "UPDATE" follows, and the job leaves the queue (in
  // batches, as the batch is delivered).
  void JobDone();
  void DeliverReports();
  // The backup and the rename of a rewrite with replacements (R.Result above 0);
  // the temporary file is gone or renamed afterwards.
  TSnRJobResult Finish(const std::wstring& FileName, Rewrite& R, bool Backup);
  // Closes and removes the rewrite's temporary file.
  void DiscardTemp(Rewrite& R);
  bool MakeBackup(const std::wstring& FileName, std::wstring& Backup);
  void DropHead(size_t n);

  std::recursive_mutex tasksLock_;
  std::deque<std::unique_ptr<TSnRTast>> Tasks;
  TSnRFileOps* ops_ = &TSnRFileOps::System();
  std::unique_ptr<TSnRTaskPool> pool_;
  std::unique_ptr<TSnRSlots> largeFiles_;  // large files read at a time (their windows and buffers)
  bool batched_ = false;
  std::string batch_;         // entries not yet delivered
  size_t batchJobs_ = 0;      // jobs whose reports batch_ ends, still in Tasks
  DWORD batchStart_ = 0;      // when its first entry came
  char reportBuffer_[4096];
  std::wstring reportedBackup_;
};
