// The main window's state, free of windows: what the command line, the start
// button, the worker's reports and the step-by-step help read and write. The
// window's controls show it and write the user's input back; while the window
// has made no controls (a batch run that is never shown) it is all there is,
// and "result.log" and "backup.dat" are written from it.
#pragma once
#include "help/uHelpSteps.h"
#include "model/uSnRJobBuilding.h"
#include "model/uSnRLayout.h"
#include "uExtPChar.h"
#include <cstdint>
#include <string>
#include <vector>

// An entry of the file list or the backup list: a real name and its check box.
struct TSnRListEntry {
  std::wstring Name;
  bool Checked = false;
};

// The pages of the main window.
enum TSnRPage : int { spCreateTask = 0, spResults = 1, spBackups = 2 };

class TSnRModel {
public:
  // The file choice: the path and mask boxes' texts, the subfolder switch and
  // the files found or dropped.
  std::string Path, Mask;
  bool Recursive = false;
  std::vector<TSnRListEntry> Files;
  bool WarrantyShown = true;   // the warning lies over the file list until the first search or drop

  // The strings: the page of the string group (0 single line, 1 multi line),
  // the char/hex frames' values and the memos' lines.
  int LineModePage = 0;
  TExtPChar FromValue, ToValue;
  std::vector<std::string> MemoFrom, MemoTo;

  // The matching options as the four check boxes show them.
  TMatchBoxes Match;
  // A click on one box that leaves it Checked: the coupled boxes follow.
  void ClickMatchBox(TMatchBox box, bool checked);
  bool CaseSensitive() const { return Match.CaseSingle; }
  bool RegExpr() const { return Match.RegSingle; }

  // What the worker reported, and the jobs it still has.
  std::vector<std::string> Results;
  std::vector<TSnRListEntry> Backups;
  int QueueCount = 0;

  // The pages: the one shown, whether the backup page has its tab, whether
  // the job page takes input.
  int ActivePage = spCreateTask;
  bool BackupTabVisible = false;
  bool TaskPageEnabled = true;

  int CheckedFileCount() const;
  bool AnyBackupChecked() const;
  std::vector<std::wstring> CheckedFiles() const;
  std::vector<std::wstring> FileNames() const;   // checked or not
  std::vector<std::wstring> BackupNames() const;

  // What the help looks at; ScanFinished comes from the scan thread.
  THelpState HelpState(bool scanFinished) const;
  // Whether jobs can be started (the start button's state).
  bool StartAllowed(bool scanFinished) const;
  // The start button's jobs, for the window's backup and log settings.
  TSnRJobRequest JobRequest(bool backups, int32_t logLevel) const;

  // The result list's lines for one line of a worker report.
  void AddReportLine(const std::string& line);
};
