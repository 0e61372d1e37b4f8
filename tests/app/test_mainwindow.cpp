// The main window in this process, with a data folder of its own: file list,
// dropped files, options, backups, memos, layout, the file search, jobs and
// their reports, and closing.
#include "AppTestDir.h"
#include "SnRFormTest.h"
#include "mainwindow/uChosseDirectoryNormal.h"
#include "settings/uQzSnRMainForm.h"
#include "mainwindow/uSearchAndReplace.h"
#include "win/FileNames.h"
#include <gtest/gtest.h>
#include "QzTestWait.h"
#include <shlobj.h>
#include <atomic>
#include <functional>
#include <thread>

namespace {

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  return qztest::WaitUntil(done, timeoutMs, [] { win::app().processMessages(); });
}

// Presses a button of the next message box this process shows.
class MessageBoxAnswer {
public:
  explicit MessageBoxAnswer(int button) : thread_([this, button] {
      const DWORD pid = ::GetCurrentProcessId();
      // Until the box is there: the caller waits in it, and stops us only after it.
      while (!stop_) {
        HWND box = nullptr;
        while ((box = ::FindWindowExA(nullptr, box, "#32770", nullptr))) {
          DWORD owner = 0;
          ::GetWindowThreadProcessId(box, &owner);
          HWND press = ::GetDlgItem(box, button);
          if (owner == pid && ::IsWindowVisible(box) && press) {
            ::SendMessageA(press, BM_CLICK, 0, 0);
            asked_ = true;
            return;
          }
        }
        ::Sleep(5);
      }
    }) {}
  ~MessageBoxAnswer() {
    stop_ = true;
    thread_.join();
  }
  bool asked() const { return asked_; }

private:
  std::atomic<bool> stop_{false}, asked_{false};
  std::thread thread_;
};

class MainWindow : public SnRFormTest<AppTestDir> {
protected:
  std::string data(const std::string& name) const { return GetDataDir() + name; }
  void setPathAndMask(const std::string& path, const std::string& mask) {
    f->PathComboBox->setText(path);
    f->MaskComboBox->setText(mask);
    f->RekursivCheckBoxClck();
  }
  bool scanDone() const { return f->ScanThread && f->ScanThread->Finished; }
  void setHexStrings(const std::string& from, const std::string& to) {
    f->CombiEditCharHexFrameFromStr->HexStringComboBox->setText(from);
    f->CombiEditCharHexFrameFromStr->HexStringEditChange();
    f->CombiEditCharHexFrameToStr->HexStringComboBox->setText(to);
    f->CombiEditCharHexFrameToStr->HexStringEditChange();
  }
};

}  // namespace

TEST_F(MainWindow, StartsWithDesignStateAndWithoutHistories) {
  EXPECT_EQ(f->caption(), "Qz-Ravadu&Direzov ozirizuvozed 2.0");
  EXPECT_FALSE(f->SnRButton->enabled());
  EXPECT_TRUE(f->CaseSensitivSingleLineCheckBox->checked());
  EXPECT_FALSE(f->RegExpSingleLineCheckBox->checked());
  EXPECT_EQ(f->SelectAllNoneCheckBox->state(), win::CheckState::Grayed);
  EXPECT_FALSE(f->BackupFileTabSheet->tabVisible());
  EXPECT_EQ(f->PathComboBox->count(), 0);
  EXPECT_EQ(f->BackupFileCheckListBox->count(), 0);
  EXPECT_TRUE(f->WarrantyMemo->visible());
  EXPECT_TRUE(scanDone());   // the idle scan counts as finished
  // The rows of both string frames stand where they stay after any resize.
  for (TCombiEditCharHexFrame* frame : {f->CombiEditCharHexFrameFromStr, f->CombiEditCharHexFrameToStr}) {
    EXPECT_EQ(frame->HexStringComboBox->top(), frame->CharComboBox->top() + frame->CharComboBox->height() + 1);
    EXPECT_EQ(frame->HexStringLabel->top(), frame->HexStringComboBox->top());
  }
}

TEST_F(MainWindow, OptionBoxesStayCoupled) {
  f->RegExpMultiLineCheckBox->setChecked(true);
  EXPECT_FALSE(f->CaseSensitivSingleLineCheckBox->checked());
  EXPECT_FALSE(f->CaseSensitivMultiLineCheckBox->checked());
  EXPECT_TRUE(f->RegExpSingleLineCheckBox->checked());
  f->CaseSensitivSingleLineCheckBox->setChecked(true);
  EXPECT_TRUE(f->CaseSensitivMultiLineCheckBox->checked());
  EXPECT_FALSE(f->RegExpSingleLineCheckBox->checked());
  EXPECT_FALSE(f->RegExpMultiLineCheckBox->checked());
  f->CaseSensitivMultiLineCheckBox->setChecked(false);   // ignore case: all four off
  EXPECT_FALSE(f->CaseSensitivSingleLineCheckBox->checked());
  EXPECT_FALSE(f->RegExpSingleLineCheckBox->checked());
}

TEST_F(MainWindow, SelectAllBoxAndDoubleClickRemoval) {
  for (const char* n : {"a", "b", "c"}) addFile(n);
  f->SelectAllNoneCheckBox->setState(win::CheckState::Checked);
  EXPECT_EQ(f->CheckedFileCount(), 3);
  f->SelectAllNoneCheckBox->setState(win::CheckState::Unchecked);
  EXPECT_EQ(f->CheckedFileCount(), 0);
  f->SetFileChecked(1, true);
  f->SelectAllNoneCheckBox->setState(win::CheckState::Grayed);
  EXPECT_EQ(f->CheckedFileCount(), 1);   // grayed changes nothing

  // A double click removes the selected files that are not checked.
  for (int i = 0; i < 3; ++i) f->FileCheckListBox->setSelected(i, true);
  f->FileCheckListBoxDblClick();
  ASSERT_EQ(f->FileCheckListBox->count(), 1);
  EXPECT_EQ(f->FileCheckListBox->item(0), "b");
}

TEST_F(MainWindow, DroppedFilesAddOnlyExistingFiles) {
  const std::string a = file("a.txt", "1"), b = file("b.txt", "2");
  const std::string names[] = {a, dir / "files", dir / "missing.txt", b};
  std::string list;
  for (const auto& n : names) list += n + '\0';
  list += '\0';
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(mem));
  drop->pFiles = sizeof(DROPFILES);
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  ::GlobalUnlock(mem);
  ::SendMessageA(f->handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);   // frees the handle
  ASSERT_EQ(f->FileCheckListBox->count(), 2);
  EXPECT_EQ(f->FileCheckListBox->item(0), a);
  EXPECT_EQ(f->FileCheckListBox->item(1), b);
  EXPECT_FALSE(f->FileCheckListBox->checked(0));
  EXPECT_FALSE(f->WarrantyMemo->visible());
}

TEST_F(MainWindow, DeletingBackupsKeepsTheLinesOfFilesThatStay) {
  const std::string gone = dir / "files\\gone.1.snr_bak";
  const std::string plain = file("plain.1.snr_bak", "x");
  const std::string locked = file("locked.1.snr_bak", "y");
  const std::string unchecked = file("kept.1.snr_bak", "z");
  for (const auto& n : {gone, plain, locked, unchecked}) addBackup(n, n != unchecked);
  win::FileHandle hold(::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(hold);
  f->CheckFileSearchTimerTimer();
  EXPECT_TRUE(f->DeleteBackupfilesButton->enabled());
  f->DeleteBackupfilesButtonClick();
  EXPECT_FALSE(AppTestDir::exists(plain));
  ASSERT_EQ(f->BackupFileCheckListBox->count(), 2);
  EXPECT_EQ(f->BackupFileCheckListBox->item(0), locked);   // the failure shows
  EXPECT_TRUE(f->BackupFileCheckListBox->checked(0));
  EXPECT_EQ(f->BackupFileCheckListBox->item(1), unchecked);
  EXPECT_TRUE(AppTestDir::exists(unchecked));
}

TEST_F(MainWindow, LineBreakColumnMarksVisibleBreaks) {
  f->MemoFromStr->setLines({"one", "two", "three"});
  f->SynchronizeLineBreakMemosTimerTimer();
  EXPECT_EQ(f->MemoFromStrLinebreaks->lines(), (std::vector<std::string>{"\xB6", "\xB6"}));
  f->MemoFromStr->setLines({"one"});
  f->MemoFromStrChange();
  EXPECT_TRUE(f->MemoFromStrLinebreaks->lines().empty());
}

TEST_F(MainWindow, LayoutFollowsTheWindowAndStopsAtTheMinimum) {
  f->setBounds(0, 0, 300, 200);
  EXPECT_EQ(f->width(), 677);
  EXPECT_EQ(f->height(), 502);
  f->setBounds(0, 0, 900, 700);
  win::TabSheet* t = f->CreateTaskTabSheet;
  EXPECT_EQ(f->FileNameGroupBox->width(), t->width());
  EXPECT_EQ(f->SnRButton->left(), t->width() - f->SnRButton->width() - 1);
  EXPECT_EQ(f->SnRButton->top(), t->height() - f->SnRButton->height() - 5);
  EXPECT_EQ(f->StringGroupBox->top(), t->height() - f->StringGroupBox->height() - f->SnRButton->height() - 10);
  EXPECT_EQ(f->FileNameGroupBox->height(), f->StringGroupBox->top() - 3);
  EXPECT_EQ(f->MaskComboBox->left() + f->MaskComboBox->width() + 4, f->FileNameGroupBox->width());
  EXPECT_EQ(f->BackupFileCheckListBox->width(), f->BackupFileTabSheet->width());
  EXPECT_EQ(f->CombiEditCharHexFrameFromStr->width(), (f->StringGroupBox->width() - 14) / 2);
}

TEST_F(MainWindow, ScanFillsTheListAndRestartDropsTheOldScan) {
  // Enough folders that the first scan is still running when it is replaced.
  for (int d = 0; d < 40; ++d) {
    const std::string sub = dir / ("files\\d" + std::to_string(d));
    ::CreateDirectoryA(sub.c_str(), nullptr);
    for (int i = 0; i < 25; ++i) AppTestDir::write(sub + "\\f" + std::to_string(i) + ".txt", "x");
  }
  file("one.dat", "1");
  file("two.dat", "2");
  f->RekursivCheckBox->setChecked(true);
  setPathAndMask(dir / "files", "*.txt");
  setPathAndMask(dir / "files", "*.dat");
  ASSERT_TRUE(pumpUntil([&] { return scanDone(); }));
  f->CheckFileSearchTimerTimer();
  ASSERT_EQ(f->FileCheckListBox->count(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_NE(f->FileCheckListBox->item(i).find(".dat"), std::string::npos);
  EXPECT_EQ(f->FileSearchResultLabel->caption(), "Search complete: 2 files found");
  EXPECT_FALSE(f->WarrantyMemo->visible());

  setPathAndMask("", "*.dat");
  EXPECT_EQ(f->FileCheckListBox->count(), 0);
  EXPECT_EQ(f->FileSearchResultLabel->caption(), "");
  EXPECT_FALSE(f->CheckFileSearchTimer.enabled());
}

TEST_F(MainWindow, StartQueuesCheckedFilesAndShowsTheReports) {
  const std::string a = file("a.txt", "abc abc"), b = file("b.txt", "abc"), c = file("c.txt", "abc");
  setPathAndMask(dir / "files", "*.txt");
  ASSERT_TRUE(pumpUntil([&] { return scanDone() && f->FileCheckListBox->count() == 3; }));
  f->SetFileChecked(0, true);
  f->SetFileChecked(1, true);
  setHexStrings("616263", "78797A");
  f->UpdateHelp();
  ASSERT_TRUE(f->SnRButton->enabled());
  f->SnRButtonClick();
  EXPECT_EQ(f->CheckedFileCount(), 0);
  ASSERT_TRUE(pumpUntil([&] { return f->SnRThread->TaskCount() == 0 && f->BackupFileCheckListBox->count() == 2; }));
  pumpUntil([&] { return f->caption() == "Qz-Ravadu&Direzov ozirizuvozed 2.0"; }, 2000);

  EXPECT_EQ(AppTestDir::read(a), "xyz xyz");
  EXPECT_EQ(AppTestDir::read(b), "xyz");
  EXPECT_EQ(AppTestDir::read(c), "abc");   // not checked
  EXPECT_EQ(AppTestDir::read(a + ".0.snr_bak"), "abc abc");
  EXPECT_EQ(f->BackupFileCheckListBox->item(0), a + ".0.snr_bak");
  const std::vector<std::string> expected = {a, "abc [616263] --> xyz [78797A] :", "2 replacements", "",
                                             b, "abc [616263] --> xyz [78797A] :", "1 replacements", ""};
  EXPECT_EQ(f->ResultListBox->items(), expected);
  EXPECT_EQ(f->caption(), "Qz-Ravadu&Direzov ozirizuvozed 2.0");
}

// Files named outside the code page show in 8-bit form ("?" for what it cannot
// hold) and are worked on, backed up and listed by their real names.
TEST_F(MainWindow, NamesOutsideTheCodePageFromTheScanAndFromDropsAreTheFilesWorkedOn) {
  const std::wstring files = qztest::Wide(dir / "files");
  const std::wstring chinese = files + L"\\\u4E2D\u6587.txt", emoji = files + L"\\\U0001F600.txt";
  for (const std::wstring& n : {chinese, emoji}) ASSERT_TRUE(qztest::WriteWideFile(n, "abc"));
  const std::string ab = file("ab.txt", "abc");   // what the 8-bit form "??.txt" would match
  setPathAndMask(dir / "files", "*.txt");
  ASSERT_TRUE(pumpUntil([&] { return scanDone() && f->FileCheckListBox->count() == 3; }));
  for (int i = 0; i < 3; ++i) {
    const std::wstring name = f->FileCheckListBox->itemName(i);
    EXPECT_EQ(f->FileCheckListBox->item(i), win::WideToAnsi(name));
    f->SetFileChecked(i, name != qztest::Wide(ab));
  }
  // Dropped: a file in a folder named outside the code page.
  const std::wstring folder = files + L"\\\u4E2D";
  ASSERT_TRUE(qztest::MakeFolder(folder));
  const std::wstring inFolder = folder + L"\\a.txt";
  ASSERT_TRUE(qztest::WriteWideFile(inFolder, "abc"));
  const std::wstring list = inFolder + L'\0' + L'\0';
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(mem));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  ::GlobalUnlock(mem);
  ::SendMessageA(f->handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);
  ASSERT_EQ(f->FileCheckListBox->count(), 4);
  EXPECT_EQ(f->FileCheckListBox->itemName(3), inFolder);
  f->SetFileChecked(3, true);

  setHexStrings("62", "78");
  f->SnRButtonClick();
  ASSERT_TRUE(pumpUntil([&] { return f->SnRThread->TaskCount() == 0 && f->BackupFileCheckListBox->count() == 3; }));
  for (const std::wstring& n : {chinese, emoji, inFolder}) {
    EXPECT_EQ(qztest::ReadWideFile(n), "axc");
    EXPECT_EQ(qztest::ReadWideFile(n + L".0.snr_bak"), "abc");
  }
  EXPECT_EQ(AppTestDir::read(ab), "abc");
  std::vector<std::wstring> backups = f->BackupFileCheckListBox->itemNames();
  EXPECT_EQ(backups.back(), inFolder + L".0.snr_bak");
  std::vector<std::wstring> expected = {chinese + L".0.snr_bak", emoji + L".0.snr_bak", inFolder + L".0.snr_bak"};
  std::sort(backups.begin(), backups.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(backups, expected);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(f->BackupFileCheckListBox->item(i), win::WideToAnsi(f->BackupFileCheckListBox->itemName(i)));
  EXPECT_EQ(f->ResultListBox->item(8), win::WideToAnsi(inFolder));   // the result lines show 8-bit forms

  // backup.dat keeps them for the next start, which lists them again.
  bool canClose = true;
  f->FormCloseQuery(canClose);
  TearDown();
  SetUp();
  ASSERT_EQ(f->BackupFileCheckListBox->count(), 3);
  EXPECT_EQ(f->BackupFileCheckListBox->itemName(2), inFolder + L".0.snr_bak");
  for (int i = 0; i < 3; ++i) f->SetBackupChecked(i, true);
  f->DeleteBackupfilesButtonClick();
  EXPECT_EQ(f->BackupFileCheckListBox->count(), 0);
  for (const std::wstring& n : {chinese, emoji, inFolder}) {
    EXPECT_FALSE(qztest::WideExists(n + L".0.snr_bak"));
    EXPECT_TRUE(qztest::WideExists(n));
  }
}

TEST_F(MainWindow, MultiLineJobsAndLogLevelZero) {
  const std::string a = file("a.txt", "one\ntwo|one\r\ntwo|abc");
  addFile(a, true);
  f->PageControlLineMode->setActivePageIndex(1);
  f->MemoFromStr->setLines({"one", "two"});
  f->MemoToStr->setLines({"1"});
  f->no1Click();
  f->SnRButtonClick();
  ASSERT_TRUE(pumpUntil([&] { return f->SnRThread->TaskCount() == 0; }));
  EXPECT_EQ(AppTestDir::read(a), "1|1|abc");
  EXPECT_EQ(f->ResultListBox->count(), 0);

  // A one-line text replaces once, even when the new text holds the old one.
  f->SetFileChecked(0, true);
  f->MemoFromStr->setLines({"abc"});
  f->MemoToStr->setLines({"abcd"});
  f->SnRButtonClick();
  ASSERT_TRUE(pumpUntil([&] { return f->SnRThread->TaskCount() == 0; }));
  EXPECT_EQ(AppTestDir::read(a), "1|1|abcd");
}

TEST_F(MainWindow, CloseWithEmptyQueueSavesListsHistoriesAndSettings) {
  const std::string bak = file("x.1.snr_bak", "x");
  addBackup(bak);
  f->AddResultLines({"line one"});
  f->PathComboBox->setText("c:\\data");
  f->PathComboBox->UpdateHistory();
  f->CreateBackupFiles1Click();
  bool canClose = true;
  f->FormCloseQuery(canClose);
  EXPECT_TRUE(canClose);
  EXPECT_EQ(AppTestDir::read(data("backup.dat")), bak + "\r\n");
  EXPECT_EQ(AppTestDir::read(data("result.log")), "line one\r\n");
  EXPECT_NE(AppTestDir::read(data("history.ini")).find("c:\\data"), std::string::npos);
  EXPECT_NE(AppTestDir::read(GetIniFileName()).find("Backup=0"), std::string::npos);
}

TEST_F(MainWindow, BackupListDropsGoneFilesAtStart) {
  const std::string kept = file("k.1.snr_bak", "k");
  AppTestDir::write(data("backup.dat"), kept + "\r\n" + dir / "files\\gone.1.snr_bak" + "\r\n");
  TearDown();
  SetUp();
  ASSERT_EQ(f->BackupFileCheckListBox->count(), 1);
  EXPECT_EQ(f->BackupFileCheckListBox->item(0), kept);
}

TEST_F(MainWindow, RefusedCloseWithQueuedJobsStillSavesAndKeepsTheJobs) {
  const std::string a = file("a.txt", "abc");
  std::unique_lock<std::recursive_mutex> hold = f->SnRThread->LockTasks();   // the worker waits
  for (int i = 0; i < 3; ++i) {
    auto job = std::make_unique<TSnRTast>();
    job->Init(a, "abc", 3, smCaseSensitive, "x", 1, false, llAllFiles);
    f->SnRThread->AddTask(std::move(job));
  }
  f->AddResultLines({"before"});
  bool canClose = true;
  {
    MessageBoxAnswer answer(IDNO);
    f->FormCloseQuery(canClose);
    EXPECT_TRUE(answer.asked());
  }
  EXPECT_FALSE(canClose);
  EXPECT_EQ(f->SnRThread->TaskCount(), 3);
  EXPECT_EQ(AppTestDir::read(data("result.log")), "before\r\n");
  EXPECT_TRUE(AppTestDir::exists(GetIniFileName()));
  hold.unlock();
  ASSERT_TRUE(pumpUntil([&] { return f->SnRThread->TaskCount() == 0; }));
  EXPECT_EQ(AppTestDir::read(a), "x");
}

TEST_F(MainWindow, ReportThatEmptiesTheQueueInBatchModePostsTheClose) {
  f->CloseWhenDone = 1;
  f->WMSnRThread(SNRTHREAD_LOGLINE, "UPDATE");
  EXPECT_TRUE(f->SnRThread->terminated());
  MSG msg;
  EXPECT_TRUE(::PeekMessageA(&msg, f->handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_FALSE(::PeekMessageA(&msg, f->handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE));   // once
}

TEST_F(MainWindow, HelpFileIsLookedUpBesideTheProgram) {
  char exe[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder.erase(folder.find_last_of('\\') + 1);
  char cwd[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cwd);
  ::SetCurrentDirectoryA(dir.path().c_str());
  EXPECT_EQ(TSnRForm::HelpFileName(), folder + "Qz-Rudize&DarozadEdo.chm");
  ::SetCurrentDirectoryA(cwd);
}

TEST_F(MainWindow, ChosenFolderMovesToTheTopOfThePathHistory) {
  const std::string folder = dir / "files";
  f->PathComboBox->addItem("c:\\other");
  f->PathComboBox->addItem(folder);
  ChoseDirectoryForm = win::Form::create<TChoseDirectoryForm>();
  ChoseDirectoryForm->DirectoryListBox->setDirectory(folder);
  // Presses OK once the dialog shows; the dialog runs modally meanwhile.
  win::Timer press(50, [] {
    if (ChoseDirectoryForm->visible()) ChoseDirectoryForm->OKButton->click();
  }, true);
  f->SelectDirSpeedButtonClick();
  press.setEnabled(false);
  EXPECT_EQ(f->PathComboBox->text(), ChoseDirectoryForm->DirectoryListBox->directory());
  ASSERT_EQ(f->PathComboBox->count(), 2);
  EXPECT_EQ(f->PathComboBox->item(0), f->PathComboBox->text());
  EXPECT_EQ(f->PathComboBox->item(1), "c:\\other");
  EXPECT_FALSE(f->WarrantyMemo->visible());   // the file search has started
  ChoseDirectoryForm->release();
  ChoseDirectoryForm = nullptr;
}
