// The main window's logic free of windows: building the jobs of one start
// from a snapshot of the window, joining memo lines, splitting result lines,
// and the texts built while the program runs.
#pragma once
#include "uSearchAndReplaceThread.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the start button reads from the window.
struct TSnRJobRequest {
  std::vector<std::wstring> CheckedFiles;  // real names, in list order
  int LineModePage = 0;                    // 0 single line, 1 multi line
  std::string FromBytes, ToBytes;          // single line: the frames' values (their first Len bytes)
  std::vector<std::string> MemoFrom, MemoTo;   // multi line: the memos' lines
  bool CaseSensitive = true;
  bool RegExpr = false;
  bool Backups = true;
  int32_t LogLevel = llAllFiles;
};

// The longest text a text job of the command line or a batch file takes: the
// memo lines joined, line breaks included, below the 32000 bytes of the buffers.
constexpr size_t kSnRTextMax = 31999;

// The three line breaks of multi-line jobs, in the order they are tried.
extern const char* const kMemoLineBreaks[3];

// The lines joined by LineBreak; no line break after the last line.
std::string JoinMemoLines(const std::vector<std::string>& lines, const std::string& LineBreak);

// The regular-expression box wins over the case box.
TSnRMode SnRModeFor(bool caseSensitive, bool regExpr);

// One job per checked file on the single-line page; on the multi-line page
// one job per line break, but each distinct pair of strings once per file
// (a one-line text gives one job, not three that would replace again what
// the first one inserted). An empty old string never becomes a job.
std::vector<std::unique_ptr<TSnRTast>> BuildSnRJobs(const TSnRJobRequest& request);

// A worker's result line as the result list shows it: a line with "-->" and
// ":" becomes the part up to and including its first ":" and the trimmed
// rest; any other line stays whole.
std::vector<std::string> SplitResultLine(const std::string& line);

// Leading and trailing blanks and control characters removed.
std::string TrimText(const std::string& s);

extern const char kSnRTitle[];   // "Qz-Ravadu&Direzov ozirizuvozed 2.0"

// The window caption for a number of queued jobs (German for language 0).
std::string SnRQueueCaption(int32_t language, int queued);
// The file-search status text.
std::string SnRScanText(int32_t language, bool finished, int found);
// The close question when jobs are still queued.
std::string SnRCloseQueryText(int32_t language);
