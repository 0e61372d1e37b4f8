// The main window: file choice by path and mask, the old and new strings,
// job building for the worker, results, backups, options and layout.
#pragma once
#include "controls/ComboBoxExt.h"
#include "controls/uCombiEditCharHexFrame.h"
#include "help/uHelpSteps.h"
#include "datafiles/uBackupList.h"
#include "settings/uQzSnRMainForm.h"
#include "datafiles/uSnRTempJournal.h"
#include "uScanDirThread.h"
#include "uSearchAndReplaceThread.h"
#include "win/GuiControls.h"
#include "win/GuiForm.h"
#include "win/StringList.h"
#include "win/Timer.h"
#include <shellapi.h>
#include <cstdint>
#include <memory>
#include <string>

class TInstantHelpForm;
class TChoseDirectoryForm;
class TSnRAboutForm;

// The program's four windows: the main window, made by the program block, and the
// others, made when first needed (uSnRSecondaryForms).
class TSnRForm;
extern TSnRForm* SnRForm;
extern TInstantHelpForm* InstantHelpForm;         // uInstantHelp
extern TChoseDirectoryForm* ChoseDirectoryForm;   // uChosseDirectoryNormal
extern TSnRAboutForm* SnRAboutForm;               // uSnRAbout

// The items of a list box as a string list, so a scan thread can fill it.
class TListBoxStrings : public win::Strings {
public:
  explicit TListBoxStrings(win::ListBox* box) : box_(box) {}
  int count() const override { return box_->count(); }
  std::string get(int index) const override { return box_->item(index); }
  int add(const std::string& s) override;
  int addFileName(const std::wstring& name) override;
  void clear() override { box_->clearItems(); }
  void beginUpdate() override;
  void endUpdate() override;

private:
  win::ListBox* box_;
};

class TSnRForm : public TQzSnRMainForm {
public:
  explicit TSnRForm(win::Component* owner = nullptr);
  ~TSnRForm() override;
  void afterConstruction() override;    // runs FormCreate after the base steps
  void beforeDestruction() override;    // stops both threads while the window is whole

  // ---- components (names as in the window's design)
  win::MainMenu* MainMenu;
  win::MenuItem *File1, *SaveasBatchFile1, *ClearHistory1, *N1, *Exit1;
  win::MenuItem *Options1, *CreateBackupFiles1, *LogResults, *no1, *onlyfileswithreplacedstrings1, *allfiles1,
      *N2, *ClearLogResults1, *Backupfiles1, *Language1, *deutsch1, *English1, *N3, *HelpWindow1;
  win::MenuItem *Help1, *Help2, *Homepage1, *N4, *About1;

  win::PageControl* MainPageControl;
  win::TabSheet *CreateTaskTabSheet, *ResultTabSheet, *BackupFileTabSheet;

  win::GroupBox* FileNameGroupBox;
  win::Label* PathLabel;
  TComboBoxExt* PathComboBox;
  win::SpeedButton* SelectDirSpeedButton;
  win::Label* FilenameLabel;
  TComboBoxExt* MaskComboBox;
  win::CheckBox* RekursivCheckBox;
  win::CheckBox* SelectAllNoneCheckBox;
  win::Label* FileSearchResultLabel;
  win::CheckListBox* FileCheckListBox;
  win::Memo* WarrantyMemo;

  win::GroupBox* StringGroupBox;
  win::PageControl* PageControlLineMode;
  win::TabSheet *SingleLineTabSheet, *MultiLineTabSheet;
  TCombiEditCharHexFrame *CombiEditCharHexFrameFromStr, *CombiEditCharHexFrameToStr;
  win::CheckBox *CaseSensitivSingleLineCheckBox, *RegExpSingleLineCheckBox;
  win::Memo *MemoFromStr, *MemoToStr;
  win::Label *OldStringLabel, *NewStringLabel;
  win::Memo *MemoFromStrLinebreaks, *MemoToStrLinebreaks;
  win::CheckBox *CaseSensitivMultiLineCheckBox, *RegExpMultiLineCheckBox;
  win::Button* SnRButton;

  win::ListBox* ResultListBox;

  win::CheckBox* SelectAllNone2CheckBox;
  win::Button* DeleteBackupfilesButton;
  win::CheckListBox* BackupFileCheckListBox;

  win::Timer CheckFileSearchTimer;              // 200 ms, off at start
  win::Timer DrawHelpLinesTimer;                // 100 ms one-shot, off at start
  win::Timer SynchronizeLineBreakMemosTimer;    // 500 ms, on
  win::SaveDialog BATFileSaveDialog;

  // ---- fields
  std::unique_ptr<TScanDirThread> ScanThread;   // the current scan; none before FormCreate
  uint8_t CreateBackups = 1;                    // settings "Backup"
  int32_t LogLevel = llAllFiles;                // settings "Logging"
  uint8_t ShowHelpWindow = 1;                   // settings "ShowHelpWindow"
  uint8_t ShowBackupFileList = 0;               // settings "ShowBackupFileList"
  uint8_t BatchMode = 0;                        // the command line defined a complete job
  uint8_t CloseWhenDone = 0;                    // "-C": close when the queue runs empty
  std::unique_ptr<TSearchAndReplaceThread> SnRThread;
  int32_t LastFileCount = 0;                    // file count at the last help refresh by the poll

  // ---- base window
  void LoadSettings() override;
  void SaveSettings() override;
  void SetCurrentLanguage() override;
  bool ReplacesLinesOf(const win::Component& memo) const override;

  // ---- start-up and lifecycle
  void FormCreate();
  void FormShow();
  void FormActivate();
  void AppActivate();
  void AppDeactivate();
  void MainPageControlChange();
  void WMSysCommand(WPARAM command);
  void FormCloseQuery(bool& CanClose);

  // ---- file search, jobs and results
  void RestartFileSearch();
  void RekursivCheckBoxClck();
  void CheckFileSearchTimerTimer();
  void SnRButtonClick();
  // The memo's lines joined by LineBreak (none after the last line); the
  // result is as long as the text needs.
  std::string MemoToBuffer(win::Memo* Memo, const std::string& LineBreak);
  void WMSnRThread(WPARAM kind, const char* text);
  // One report line or backup name (Batched: an entry of SNRTHREAD_LOGLINES).
  void handleReport(WPARAM kind, const char* text, bool batched);
  // After reports: the result list's extent, the caption, and the end of the queue.
  void reportsHandled();

  // ---- command line and batch file
  void ProcessCommandLine();
  void SaveasBatchFile1Click();

  // ---- step-by-step help
  void UpdateHelp();
  int CheckedFileCount();
  void DrawGuide(win::Control* Control, int Step);
  void DrawHelpLinesTimerTimer();
  void HelpWindow1Click();
  void File1Click();
  void About1Click();

  // ---- controls, options and layout
  void SelectAllNoneCheckBoxClick();
  void FileCheckListBoxClick();
  void FileCheckListBoxDblClick();
  void WMDropFiles(HDROP drop);
  void Exit1Click();
  void FormCanResize(int& NewWidth, int& NewHeight);
  void SelectDirSpeedButtonClick();
  void ClearHistory1Click();
  void SelectAllNone2CheckBoxClick();
  void CreateBackupFiles1Click();
  void Options1Click();
  void Backupfiles1Click();
  void DeleteBackupfilesButtonClick();
  void no1Click();
  void onlyfileswithreplacedstrings1Click();
  void allfiles1Click();
  void ClearLogResults1Click();
  void CaseSensitivSingleLineCheckBoxClick();
  void CaseSensitivMultiLineCheckBoxClick();
  void RegExpSingleLineCheckBoxClick();
  void RegExpMultiLineCheckBoxClick();
  void MemoFromStrChange();
  void MemoToStrChange();
  void MemoFromStrKeyUp();
  void MemoToStrKeyUp();
  void SynchronizeLineBreakMemosTimerTimer();
  void PageControlLineModeChange();
  void FormResize();
  void Help2Click();
  // The help file beside the program, wherever the current folder is.
  static std::string HelpFileName();
  void Homepage1Click();

  // ---- texts
  void deutsch1Click();
  void English1Click();

  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
  void buildComponents();
  void bindEvents();
  void assignControlIds();
  void couple(win::CheckBox* clicked);
  void refreshLineBreaks(win::Memo* memo, win::Memo* column);
  void setQueueCaption();
  void updateResultExtent();
  static void setSelectAll(win::CheckListBox* list, win::CheckBox* box);
  // The first search or drop uncovers the file list for good.
  void hideWarranty();

  TListBoxStrings fileItems_{nullptr};
  TBackupListFile backupList_;       // "backup.dat", kept true while the worker makes backups
  TSnRTempJournal tempJournal_;      // the worker's temporary files in progress
  bool coupling_ = false;
  bool scanFinishShown_ = false;            // the help has been refreshed since the scan finished
  std::vector<THelpStep> shownSteps_;       // the steps the help list shows; the guides follow them
  bool closePosted_ = false;
  bool destroying_ = false;   // the threads' last reports must not show the window again
  int resultMeasured_ = 0, resultExtent_ = 0;   // result lines measured, their widest
  // While reports stream in, the result and backup lists skip their repaints (a
  // shown list box repaints itself for every line added, which costs more than the
  // job); this one-shot timer shows them again 50 ms after the first held report.
  win::Timer listPaintTimer_;
  bool listPaintHeld_ = false;
  void holdListPainting();
  void resumeListPainting();
};
