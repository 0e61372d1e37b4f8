// The main window: file choice by path and mask, the old and new strings,
// job building for the worker, results, backups, options and layout. Its state
// lives in Model; its controls are made when the window is first to be seen
// (at once for an ordinary start, when it is restored for a batch run), show
// the model and write the user's input back.
#pragma once
#include "controls/ComboBoxExt.h"
#include "controls/uCombiEditCharHexFrame.h"
#include "help/uHelpSteps.h"
#include "model/uSnRModel.h"
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

// The file list as the scan thread fills it: the model's files, and the file
// list box when the window has its controls.
class TSnRFoundFiles : public win::Strings {
public:
  explicit TSnRFoundFiles(TSnRForm& form) : form_(form) {}
  int count() const override;
  std::string get(int index) const override;
  int add(const std::string& s) override;
  int addFileName(const std::wstring& name) override;
  void clear() override;
  void beginUpdate() override;
  void endUpdate() override;

private:
  TSnRForm& form_;
};

class TSnRForm : public TQzSnRMainForm {
public:
  explicit TSnRForm(win::Component* owner = nullptr);
  ~TSnRForm() override;
  void afterConstruction() override;    // runs FormCreate after the base steps
  void beforeDestruction() override;    // stops both threads while the window is whole

  // ---- components (names as in the window's design); none until MakeControls
  win::MainMenu* MainMenu = nullptr;
  win::MenuItem *File1 = nullptr, *SaveasBatchFile1 = nullptr, *ClearHistory1 = nullptr, *N1 = nullptr,
                *Exit1 = nullptr;
  win::MenuItem *Options1 = nullptr, *CreateBackupFiles1 = nullptr, *LogResults = nullptr, *no1 = nullptr,
                *onlyfileswithreplacedstrings1 = nullptr, *allfiles1 = nullptr, *N2 = nullptr,
                *ClearLogResults1 = nullptr, *Backupfiles1 = nullptr, *Language1 = nullptr, *deutsch1 = nullptr,
                *English1 = nullptr, *N3 = nullptr, *HelpWindow1 = nullptr;
  win::MenuItem *Help1 = nullptr, *Help2 = nullptr, *Homepage1 = nullptr, *N4 = nullptr, *About1 = nullptr;

  win::PageControl* MainPageControl = nullptr;
  win::TabSheet *CreateTaskTabSheet = nullptr, *ResultTabSheet = nullptr, *BackupFileTabSheet = nullptr;

  win::GroupBox* FileNameGroupBox = nullptr;
  win::Label* PathLabel = nullptr;
  TComboBoxExt* PathComboBox = nullptr;
  win::SpeedButton* SelectDirSpeedButton = nullptr;
  win::Label* FilenameLabel = nullptr;
  TComboBoxExt* MaskComboBox = nullptr;
  win::CheckBox* RekursivCheckBox = nullptr;
  win::CheckBox* SelectAllNoneCheckBox = nullptr;
  win::Label* FileSearchResultLabel = nullptr;
  win::CheckListBox* FileCheckListBox = nullptr;
  win::Memo* WarrantyMemo = nullptr;

  win::GroupBox* StringGroupBox = nullptr;
  win::PageControl* PageControlLineMode = nullptr;
  win::TabSheet *SingleLineTabSheet = nullptr, *MultiLineTabSheet = nullptr;
  TCombiEditCharHexFrame *CombiEditCharHexFrameFromStr = nullptr, *CombiEditCharHexFrameToStr = nullptr;
  win::CheckBox *CaseSensitivSingleLineCheckBox = nullptr, *RegExpSingleLineCheckBox = nullptr;
  win::Memo *MemoFromStr = nullptr, *MemoToStr = nullptr;
  win::Label *OldStringLabel = nullptr, *NewStringLabel = nullptr;
  win::Memo *MemoFromStrLinebreaks = nullptr, *MemoToStrLinebreaks = nullptr;
  win::CheckBox *CaseSensitivMultiLineCheckBox = nullptr, *RegExpMultiLineCheckBox = nullptr;
  win::Button* SnRButton = nullptr;

  win::ListBox* ResultListBox = nullptr;

  win::CheckBox* SelectAllNone2CheckBox = nullptr;
  win::Button* DeleteBackupfilesButton = nullptr;
  win::CheckListBox* BackupFileCheckListBox = nullptr;

  win::Timer CheckFileSearchTimer;              // 200 ms, off at start
  win::Timer DrawHelpLinesTimer;                // 100 ms one-shot, off at start
  win::Timer SynchronizeLineBreakMemosTimer;    // 500 ms, on
  win::SaveDialog BATFileSaveDialog;

  // ---- fields
  TSnRModel Model;                              // the window's state
  std::unique_ptr<TScanDirThread> ScanThread;   // the current scan; none before the controls are made
  uint8_t CreateBackups = 1;                    // settings "Backup"
  int32_t LogLevel = llAllFiles;                // settings "Logging"
  uint8_t ShowHelpWindow = 1;                   // settings "ShowHelpWindow"
  uint8_t ShowBackupFileList = 0;               // settings "ShowBackupFileList"
  uint8_t BatchMode = 0;                        // the command line defined a complete job
  uint8_t CloseWhenDone = 0;                    // "-C": close when the queue runs empty
  std::unique_ptr<TSearchAndReplaceThread> SnRThread;
  int32_t LastFileCount = 0;                    // file count at the last help refresh by the poll

  // ---- the controls and the model
  // Makes the controls, if not made yet, and shows the model in them: at the
  // start of an ordinary run, and when a batch run's window is to be seen.
  void MakeControls();
  bool HasControls() const { return controlsMade_; }
  // Changes of the model that the controls, once made, show at once.
  void AddFile(const std::wstring& name);
  void ClearFiles();
  void AddResultLine(const std::string& workerLine);   // split as the result list shows it
  void AddResultLines(const std::vector<std::string>& lines);
  void ClearResults();
  void AddBackup(const std::wstring& name);
  void AppendMemoLines(bool fromMemo, const std::vector<std::string>& lines);
  void ClickMatchBox(TMatchBox box, bool checked);
  void SetFileChecked(int index, bool checked);
  void SetBackupChecked(int index, bool checked);
  void ShowPage(int page);
  // The input the user gave the controls (texts, strings, options, pages) into
  // the model, before the model is used; the lists change only through it.
  void TakeInput();
  // Ends the run: stops the worker once it is done, closes the temporary-file
  // journal, and ends the process without tearing down what its end releases.
  [[noreturn]] void EndProcess();

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
  // The select-all box of a list: checks or unchecks every entry of the model and the list.
  static void setSelectAll(std::vector<TSnRListEntry>& entries, win::CheckListBox* list, win::CheckBox* box);
  // The first search or drop uncovers the file list for good.
  void hideWarranty();

  void showModel();
  void showMatchBoxes();
  void showBackupListChecks();
  bool scanFinished() const;

  TSnRFoundFiles foundFiles_{*this};
  bool controlsMade_ = false;
  bool started_ = false;   // FormCreate is done: a restore from now on shows the window
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
