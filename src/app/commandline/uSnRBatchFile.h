// The text of a batch file that repeats the main window's current job without
// the window: it writes the file list and the strings into temporary files in
// its current folder, calls the program with them and deletes them again.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TSnRBatchRequest {
  std::wstring ProgramFile;                 // full path of the program to call
  std::vector<std::wstring> Files;          // the whole file list, checked or not: the real names
  bool MultiLine = false;                   // the multi-line page is active
  std::string OldHex, NewHex;               // single line: the strings as hex digits
  std::vector<std::string> OldLines, NewLines;   // multi line: the memos' lines
  bool CaseSensitive = true;
  bool RegExpr = false;
};

extern const char kBatchFileList[];      // "tmpfilelist.snr"
extern const char kBatchOldTextFile[];   // "tmpfileOldtext.snr"
extern const char kBatchNewTextFile[];   // "tmpfileNewtext.snr"

// The batch file's lines (to be saved with CR LF after each). The file list is
// written in 8-bit form while every name has one; otherwise it is written in
// UTF-8, which "-L" reads back as the real names, and the interpreter is made
// to pass those bytes through unchanged (see the lines themselves).
std::vector<std::string> BuildSnRBatchLines(const TSnRBatchRequest& request);

// The longest line the command interpreter reads whole. A longer line is
// refused and the batch goes on with what follows, so it would run another job.
constexpr size_t kBatchLineMax = 8191;
// Why this request cannot become a batch file that runs the window's job (a
// line or a text too long, named with its limit; German for language 0), or
// empty when it can.
std::string SnRBatchFileProblem(const TSnRBatchRequest& request, int32_t language);

// Writes the batch file, replacing one that exists; false when it cannot be
// written or the request has a problem (nothing is written then).
bool SaveSnRBatchFile(const std::string& fileName, const TSnRBatchRequest& request);

// Text as it must stand outside quotes in a batch line so that it arrives
// unchanged: % doubled, ^ & | < > and " escaped by ^.
std::string EscapeBatchText(const std::string& text);

// The batch line(s) that append Text and a line break to File, whatever the
// text: also empty, only blanks, "on", "off" or "/?".
std::vector<std::string> BatchAppendLines(const std::string& text, const std::string& file);
