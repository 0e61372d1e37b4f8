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
  hideWarranty();
  if (!ScanThread) {
    SnRButton->setEnabled(false);
  } else {
    // Results the old scan still hands over while it ends are dropped.
    ScanThread->Target = nullptr;
    ScanThread.reset();
    ScanThread = std::make_unique<TScanDirThread>();
    scanFinishShown_ = false;
    FileCheckListBox->clearItems();
    if (!PathComboBox->text().empty() && !MaskComboBox->text().empty()) {
      SelectAllNoneCheckBox->setState(win::CheckState::Grayed);
      ScanThread->SetParams(PathComboBox->text(), MaskComboBox->text(), 47, RekursivCheckBox->checked(), &fileItems_);
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
  if (ScanThread) {
    const int found = FileCheckListBox->count();
    const bool finished = ScanThread->Finished;
    // A scan that ends changes the steps even when it found nothing
    // ("nothing found" opens).
    if (finished && (found != LastFileCount || !scanFinishShown_)) {
      scanFinishShown_ = true;
      UpdateHelp();
      LastFileCount = found;
    }
    FileSearchResultLabel->setCaption(SnRScanText(GetLanguage(), finished, found));
    if (PathComboBox->text().empty() || MaskComboBox->text().empty()) FileSearchResultLabel->setCaption("");
  } else {
    FileSearchResultLabel->setCaption("");
  }
  bool anyChecked = false;
  for (int i = 0, n = BackupFileCheckListBox->count(); i < n && !anyChecked; ++i)
    anyChecked = BackupFileCheckListBox->checked(i);
  DeleteBackupfilesButton->setEnabled(anyChecked);
}

std::string TSnRForm::MemoToBuffer(win::Memo* Memo, const std::string& LineBreak) {
  return JoinMemoLines(Memo->lines(), LineBreak);
}

void TSnRForm::SnRButtonClick() {
  TSnRJobRequest r;
  for (int i = 0, n = FileCheckListBox->count(); i < n; ++i)
    if (FileCheckListBox->checked(i)) r.CheckedFiles.push_back(FileCheckListBox->itemName(i));
  r.LineModePage = PageControlLineMode->activePageIndex() == 0 ? 0 : 1;
  const TExtPChar& from = CombiEditCharHexFrameFromStr->Value;
  const TExtPChar& to = CombiEditCharHexFrameToStr->Value;
  if (from.Len > 0) r.FromBytes.assign(reinterpret_cast<const char*>(from.Buffer), static_cast<size_t>(from.Len));
  if (to.Len > 0) r.ToBytes.assign(reinterpret_cast<const char*>(to.Buffer), static_cast<size_t>(to.Len));
  r.MemoFrom = MemoFromStr->lines();
  r.MemoTo = MemoToStr->lines();
  r.CaseSensitive = CaseSensitivSingleLineCheckBox->checked();
  r.RegExpr = RegExpSingleLineCheckBox->checked();
  r.Backups = CreateBackups != 0;
  r.LogLevel = LogLevel;
  std::vector<std::unique_ptr<TSnRTast>> jobs = BuildSnRJobs(r);
  {
    // The batch enters the queue as a whole.
    auto queue = SnRThread->LockTasks();
    for (auto& job : jobs) SnRThread->AddTask(std::move(job));
    setQueueCaption();
    for (int i = 0, n = FileCheckListBox->count(); i < n; ++i)
      if (FileCheckListBox->checked(i)) FileCheckListBox->setChecked(i, false);
  }
  UpdateHelp();
}

void TSnRForm::setQueueCaption() {
  // Set only when it changes: a caption costs a round trip to the display, and
  // most reports leave the count as it was.
  const std::string text = SnRQueueCaption(GetLanguage(), SnRThread ? SnRThread->TaskCount() : 0);
  if (text == caption() && text == win::app().title()) return;
  setCaption(text);
  win::app().setTitle(text);
}

void TSnRForm::holdListPainting() {
  if (listPaintHeld_) return;
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
    BackupFileCheckListBox->addFileItem(name);
    backupList_.AppendReported(name);   // on disk at once (if the worker did not name it before)
  } else if (kind == SNRTHREAD_LOGLINE && LogLevel > 0 && std::strcmp(text, "UPDATE") != 0) {
    for (const std::string& line : SplitResultLine(text)) ResultListBox->addItem(line);
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
      setWindowState(win::WindowState::Normal);
      show();
    }
  }
}
