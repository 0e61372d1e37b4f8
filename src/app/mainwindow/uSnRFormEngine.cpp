// The main window's side of the engine: the file search, the start button's
// jobs and the worker's reports.
#include "MailTools.h"
#include "mainwindow/uSearchAndReplace.h"
#include "model/uSnRJobBuilding.h"
#include "win/FileNames.h"
#include <algorithm>
#include <cstring>

void TSnRForm::RekursivCheckBoxClck() { RestartFileSearch(); }

void TSnRForm::RestartFileSearch() {
  if (!controlsMade_) return;   // nothing to search with
  TakeInput();
  hideWarranty();
  if (!ScanThread) {
    SnRButton->setEnabled(false);
  } else {
    // Results the old scan still hands over while it ends are dropped.
    ScanThread->Target = nullptr;
    ScanThread.reset();
    ScanThread = std::make_unique<TScanDirThread>();
    scanFinishShown_ = false;
    ClearFiles();
    if (!Model.Path.empty() && !Model.Mask.empty()) {
      SelectAllNoneCheckBox->setState(win::CheckState::Grayed);
      ScanThread->SetParams(Model.Path, Model.Mask, 47, Model.Recursive, &foundFiles_);
      ScanThread->resume();
      CheckFileSearchTimer.setEnabled(true);
    } else {
      CheckFileSearchTimer.setEnabled(false);
      FileSearchResultLabel->setCaption("");
    }
  }
  UpdateHelp();
}

void TSnRForm::CheckFileSearchTimerTimer() {
  if (!controlsMade_) return;
  if (ScanThread) {
    const int found = static_cast<int>(Model.Files.size());
    const bool finished = ScanThread->Finished;
    // A scan that ends changes the steps even when it found nothing
    // ("nothing found" opens).
    if (finished && (found != LastFileCount || !scanFinishShown_)) {
      scanFinishShown_ = true;
      UpdateHelp();
      LastFileCount = found;
    }
    FileSearchResultLabel->setCaption(SnRScanText(GetLanguage(), finished, found));
    if (Model.Path.empty() || Model.Mask.empty()) FileSearchResultLabel->setCaption("");
  } else {
    FileSearchResultLabel->setCaption("");
  }
  DeleteBackupfilesButton->setEnabled(Model.AnyBackupChecked());
}

std::string TSnRForm::MemoToBuffer(win::Memo* Memo, const std::string& LineBreak) {
  return JoinMemoLines(Memo->lines(), LineBreak);
}

void TSnRForm::SnRButtonClick() {
  TakeInput();
  std::vector<std::unique_ptr<TSnRTast>> jobs = BuildSnRJobs(Model.JobRequest(CreateBackups != 0, LogLevel));
  {
    // The batch enters the queue as a whole.
    auto queue = SnRThread->LockTasks();
    for (auto& job : jobs) SnRThread->AddTask(std::move(job));
    setQueueCaption();
    for (size_t i = 0; i < Model.Files.size(); ++i)
      if (Model.Files[i].Checked) SetFileChecked(static_cast<int>(i), false);
  }
  UpdateHelp();
}

void TSnRForm::setQueueCaption() {
  // Set only when it changes: a caption costs a round trip to the display, and
  // most reports leave the count as it was.
  Model.QueueCount = SnRThread ? SnRThread->TaskCount() : 0;
  const std::string text = SnRQueueCaption(GetLanguage(), Model.QueueCount);
  if (text == caption() && text == win::app().title()) return;
  setCaption(text);
  win::app().setTitle(text);
}

void TSnRForm::holdListPainting() {
  if (listPaintHeld_ || !controlsMade_) return;
  for (HWND box : {ResultListBox->handle(), BackupFileCheckListBox->handle()})
    ::SendMessageA(box, WM_SETREDRAW, FALSE, 0);
  listPaintHeld_ = true;
  listPaintTimer_.setEnabled(true);
}

void TSnRForm::resumeListPainting() {
  listPaintTimer_.setEnabled(false);
  if (!listPaintHeld_) return;
  listPaintHeld_ = false;
  for (HWND box : {ResultListBox->handle(), BackupFileCheckListBox->handle()}) {
    ::SendMessageA(box, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(box, nullptr, TRUE);
  }
}

void TSnRForm::updateResultExtent() {
  if (!ResultListBox) return;
  // Only the lines added since the last call are measured: a long run adds
  // thousands of them, one report at a time.
  HWND box = ResultListBox->handle();
  const int n = ResultListBox->count();
  if (n < resultMeasured_) resultMeasured_ = 0, resultExtent_ = 0;
  if (n == resultMeasured_) return;
  HDC dc = ::GetDC(box);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(box, WM_GETFONT, 0, 0)));
  for (int i = resultMeasured_; i < n; ++i) {
    const std::string text = ResultListBox->item(i);
    SIZE size = {};
    if (!text.empty() && ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size))
      resultExtent_ = std::max(resultExtent_, static_cast<int>(size.cx));
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(box, dc);
  resultMeasured_ = n;
  SetListBoxHorizontalExtent(box, resultExtent_ + ::GetSystemMetrics(SM_CXFRAME));
}

void TSnRForm::WMSnRThread(WPARAM kind, const char* text) {
  if (!text) text = "";
  if (kind == SNRTHREAD_LOGLINES) {
    // Each entry as if it came alone; the caption and the end of the queue once
    // for all (its jobs have left the queue already).
    for (const char* p = text; *p;) {
      const WPARAM entryKind = static_cast<unsigned char>(*p++);
      const char* line = p;
      p += std::strlen(p) + 1;
      handleReport(entryKind, line, true);
    }
    reportsHandled();
    return;
  }
  if (kind != SNRTHREAD_BACKUPFILE && kind != SNRTHREAD_LOGLINE) return;
  handleReport(kind, text, false);
  if (kind == SNRTHREAD_LOGLINE) reportsHandled();
}

void TSnRForm::handleReport(WPARAM kind, const char* text, bool batched) {
  if (!destroying_) holdListPainting();
  if (kind == SNRTHREAD_BACKUPFILE) {
    // A batch names the backup by its real name in UTF-8; a single report by its
    // 8-bit form, while the worker, waiting here, shows the real one.
    std::wstring name;
    if (batched) {
      name = win::Utf8OrAnsiToWide(text);
    } else {
      name = SnRThread ? SnRThread->ReportedBackup() : std::wstring();
      if (name.empty()) name = win::AnsiToWide(text);
    }
    AddBackup(name);
    backupList_.AppendReported(name);   // on disk at once (if the worker did not name it before)
  } else if (kind == SNRTHREAD_LOGLINE && LogLevel > 0 && std::strcmp(text, "UPDATE") != 0) {
    AddResultLine(text);
  }
}

void TSnRForm::reportsHandled() {
  updateResultExtent();
  setQueueCaption();
  if (SnRThread && SnRThread->TaskCount() == 0 && !destroying_) {
    resumeListPainting();
    if (CloseWhenDone) {
      SnRThread->terminate();
      // This runs inside the worker's report: closing here would wait for it.
      if (!closePosted_) {
        closePosted_ = true;
        ::PostMessageA(handle(), WM_CLOSE, 0, 0);
      }
    } else {
      MakeControls();
      setWindowState(win::WindowState::Normal);
      show();
    }
  }
}
