// The main window: its components, start-up, activation and closing.
#include "mainwindow/uSearchAndReplace.h"
#include "mainwindow/uSnRSecondaryForms.h"
#include "settings/Iniregi.h"
#include "help/uGuideOverlay.h"
#include "install/fileinst.h"
#include "mainwindow/uSnRFormControlIds.h"
#include "model/uSnRJobBuilding.h"
#include "help/uInstantHelp.h"
#include "texts/uSnRTexts.h"
#include "win/DurableFile.h"
#include "win/FileNames.h"
#include "win/SystemDlls.h"
#include "settings/uIniFile.h"

TSnRForm* SnRForm = nullptr;

namespace {

std::string programFolder() {
  char path[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string p(path, n);
  return p.substr(0, p.find_last_of("\\/") + 1);
}

void setId(win::Control* c, int id) {
  if (c && c->handle()) ::SetWindowLongPtrA(c->handle(), GWLP_ID, id);
}

}  // namespace

int TSnRFoundFiles::count() const { return static_cast<int>(form_.Model.Files.size()); }
std::string TSnRFoundFiles::get(int index) const { return win::WideToAnsi(form_.Model.Files.at(index).Name); }
// A name given as 8-bit text names the file of that text.
int TSnRFoundFiles::add(const std::string& s) { return addFileName(win::AnsiToWide(s)); }

int TSnRFoundFiles::addFileName(const std::wstring& name) {
  form_.AddFile(name);
  return count() - 1;
}

void TSnRFoundFiles::clear() { form_.ClearFiles(); }

// A batch of found files: one repaint for all of them.
void TSnRFoundFiles::beginUpdate() {
  if (form_.FileCheckListBox) ::SendMessageA(form_.FileCheckListBox->handle(), WM_SETREDRAW, FALSE, 0);
}
void TSnRFoundFiles::endUpdate() {
  if (!form_.FileCheckListBox) return;
  ::SendMessageA(form_.FileCheckListBox->handle(), WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(form_.FileCheckListBox->handle(), nullptr, TRUE);
}

TSnRForm::TSnRForm(win::Component* owner) : TQzSnRMainForm(owner, "SnRForm") {
  // The window itself; its controls follow when it is first to be seen.
  setCaption(kSnRTitle);
  setBounds(0, 0, 692, 557);
  setCenterOnFirstShow(true);
  CheckFileSearchTimer.setInterval(200);
  DrawHelpLinesTimer.setInterval(100);
  SynchronizeLineBreakMemosTimer.setInterval(500);
  BATFileSaveDialog.defaultExt = "bat";
  BATFileSaveDialog.filter = "Batch File|*.bat";
  onShow = [this](win::Form&) { FormShow(); };
  onActivate = [this](win::Form&) { FormActivate(); };
  onCloseQuery = [this](win::Form&, bool& canClose) { FormCloseQuery(canClose); };
  onCanResize = [this](win::Form&, int& w, int& h) { FormCanResize(w, h); };
  onResize = [this](win::Control&) { FormResize(); };
  CheckFileSearchTimer.onTimer = [this] { CheckFileSearchTimerTimer(); };
  listPaintTimer_.setInterval(50);
  listPaintTimer_.onTimer = [this] { resumeListPainting(); };
  DrawHelpLinesTimer.onTimer = [this] { DrawHelpLinesTimerTimer(); };
  SynchronizeLineBreakMemosTimer.onTimer = [this] { SynchronizeLineBreakMemosTimerTimer(); };
}

TSnRForm::~TSnRForm() = default;

void TSnRForm::buildComponents() {
  using namespace win;
  MainMenu = new win::MainMenu(this, "MainMenu");
  File1 = new MenuItem(this, MainMenu, "File1", "File");
  SaveasBatchFile1 = new MenuItem(this, File1, "SaveasBatchFile1", "Save as Batch File ...");
  ClearHistory1 = new MenuItem(this, File1, "ClearHistory1", "Clear History");
  N1 = new MenuItem(this, File1, "N1", "-");
  Exit1 = new MenuItem(this, File1, "Exit1", "Exit");
  Options1 = new MenuItem(this, MainMenu, "Options1", "Options");
  CreateBackupFiles1 = new MenuItem(this, Options1, "CreateBackupFiles1", "Create Backup Files");
  LogResults = new MenuItem(this, Options1, "LogResults", "Log Results ...");
  no1 = new MenuItem(this, LogResults, "no1", "... no");
  onlyfileswithreplacedstrings1 =
      new MenuItem(this, LogResults, "onlyfileswithreplacedstrings1", "... only files with replaced strings");
  allfiles1 = new MenuItem(this, LogResults, "allfiles1", "... all files");
  N2 = new MenuItem(this, LogResults, "N2", "-");
  ClearLogResults1 = new MenuItem(this, LogResults, "ClearLogResults1", "Clear Log Results");
  Backupfiles1 = new MenuItem(this, Options1, "Backupfiles1", "Backup Files List ...", ShortCut{'B', true});
  Language1 = new MenuItem(this, Options1, "Language1", "Language");
  deutsch1 = new MenuItem(this, Language1, "deutsch1", kLanguageGermanCaption);
  English1 = new MenuItem(this, Language1, "English1", kLanguageEnglishCaption);
  N3 = new MenuItem(this, Options1, "N3", "-");
  HelpWindow1 = new MenuItem(this, Options1, "HelpWindow1", "Help Window", ShortCut{'H', true});
  Help1 = new MenuItem(this, MainMenu, "Help1", "Help");
  Help2 = new MenuItem(this, Help1, "Help2", "Help", ShortCut{VK_F1});
  Homepage1 = new MenuItem(this, Help1, "Homepage1", "Homepage");
  N4 = new MenuItem(this, Help1, "N4", "-");
  About1 = new MenuItem(this, Help1, "About1", "About ...");
  SaveasBatchFile1->setId(idMenuSaveasBatchFile);
  About1->setId(idMenuAbout);
  no1->setRadioItem(true);
  onlyfileswithreplacedstrings1->setRadioItem(true);
  allfiles1->setRadioItem(true);
  setMenu(MainMenu);

  MainPageControl = new PageControl(this, this, "MainPageControl", 0, 0, 684, 503);
  MainPageControl->setAlign(Align::Client);
  CreateTaskTabSheet = new TabSheet(this, MainPageControl, "CreateTaskTabSheet", "create task");
  ResultTabSheet = new TabSheet(this, MainPageControl, "ResultTabSheet", "result");
  BackupFileTabSheet = new TabSheet(this, MainPageControl, "BackupFileTabSheet", "backup");
  MainPageControl->setActivePageIndex(0);
  TabSheet* T = CreateTaskTabSheet;

  // The file choice; FormResize gives the final sizes.
  FileNameGroupBox = new GroupBox(this, T, "FileNameGroupBox", 0, 0, 676, 300);
  FileNameGroupBox->setCaption(" Files ");
  PathLabel = new Label(this, FileNameGroupBox, "PathLabel", "&Path", 8, 16);
  PathComboBox = new TComboBoxExt(this, FileNameGroupBox, "PathComboBox", 8, 32, 377, 21);
  SelectDirSpeedButton = new SpeedButton(this, FileNameGroupBox, "SelectDirSpeedButton", "...", 389, 31, 23, 22);
  FilenameLabel = new Label(this, FileNameGroupBox, "FilenameLabel", "Filen&ame (including wild cards (\"*\", \"?\"):",
                            432, 16);
  MaskComboBox = new TComboBoxExt(this, FileNameGroupBox, "MaskComboBox", 432, 32, 240, 21);
  PathLabel->focusControl = PathComboBox;
  FilenameLabel->focusControl = MaskComboBox;
  RekursivCheckBox = new CheckBox(this, FileNameGroupBox, "RekursivCheckBox", "rekursiv", 8, 58, 100, 17);
  SelectAllNoneCheckBox =
      new CheckBox(this, FileNameGroupBox, "SelectAllNoneCheckBox", "select all/none", 120, 58, 160, 17);
  SelectAllNoneCheckBox->setAllowGrayed(true);
  SelectAllNoneCheckBox->setState(CheckState::Grayed);
  FileSearchResultLabel = new Label(this, FileNameGroupBox, "FileSearchResultLabel", "", 300, 60, 370, 15);
  FileCheckListBox = new CheckListBox(this, FileNameGroupBox, "FileCheckListBox", 3, 80, 670, 200, true);
  Font courier = font();
  courier.name = "Courier New";
  FileCheckListBox->setFont(courier);
  WarrantyMemo = new Memo(this, FileNameGroupBox, "WarrantyMemo", 3, 80, 670, 200, ScrollBars::Vertical, true);
  WarrantyMemo->setReadOnly(true);
  // The warning lies over the file list until the first search or drop:
  // directly above it, so that it also takes the list's place in the tab
  // order, and the list hidden under it takes no focus meanwhile.
  ::SetWindowLongA(FileCheckListBox->handle(), GWL_STYLE,
                   ::GetWindowLongA(FileCheckListBox->handle(), GWL_STYLE) | WS_CLIPSIBLINGS);
  ::SetWindowPos(WarrantyMemo->handle(), ::GetWindow(FileCheckListBox->handle(), GW_HWNDPREV), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  FileCheckListBox->setTabStop(false);

  // The strings.
  StringGroupBox = new GroupBox(this, T, "StringGroupBox", 0, 310, 676, 150);
  StringGroupBox->setCaption(" Strings ");
  PageControlLineMode = new PageControl(this, StringGroupBox, "PageControlLineMode", 2, 14, 672, 133);
  PageControlLineMode->setAnchors(akLeft | akTop | akRight | akBottom);
  SingleLineTabSheet = new TabSheet(this, PageControlLineMode, "SingleLineTabSheet", "single line");
  MultiLineTabSheet = new TabSheet(this, PageControlLineMode, "MultiLineTabSheet", "multi line");
  PageControlLineMode->setActivePageIndex(0);

  CombiEditCharHexFrameFromStr =
      new TCombiEditCharHexFrame(this, SingleLineTabSheet, "CombiEditCharHexFrameFromStr", 0, 0, 331, 66);
  CombiEditCharHexFrameToStr =
      new TCombiEditCharHexFrame(this, SingleLineTabSheet, "CombiEditCharHexFrameToStr", 332, 0, 331, 66);
  CaseSensitivSingleLineCheckBox = new CheckBox(this, SingleLineTabSheet, "CaseSensitivSingleLineCheckBox",
                                                "case sensitive search", 4, 74, 220, 17);
  RegExpSingleLineCheckBox =
      new CheckBox(this, SingleLineTabSheet, "RegExpSingleLineCheckBox", "regular expression", 240, 74, 200, 17);

  OldStringLabel = new Label(this, MultiLineTabSheet, "OldStringLabel", "Old String", 0, 0);
  NewStringLabel = new Label(this, MultiLineTabSheet, "NewStringLabel", "New String", 334, 0);
  MemoFromStr = new Memo(this, MultiLineTabSheet, "MemoFromStr", 0, 14, 311, 58, ScrollBars::Both);
  MemoFromStrLinebreaks = new Memo(this, MultiLineTabSheet, "MemoFromStrLinebreaks", 311, 14, 17, 58);
  MemoToStr = new Memo(this, MultiLineTabSheet, "MemoToStr", 334, 14, 311, 58, ScrollBars::Both);
  MemoToStrLinebreaks = new Memo(this, MultiLineTabSheet, "MemoToStrLinebreaks", 645, 14, 17, 58);
  for (Memo* column : {MemoFromStrLinebreaks, MemoToStrLinebreaks}) {
    column->setReadOnly(true);
    column->setTabStop(false);   // marks beside the memo, nothing to edit or read on their own
    Font blue = font();
    blue.color = RGB(0, 0, 255);
    column->setFont(blue);
  }
  CaseSensitivMultiLineCheckBox = new CheckBox(this, MultiLineTabSheet, "CaseSensitivMultiLineCheckBox",
                                               "case sensitive search", 4, 76, 220, 17);
  RegExpMultiLineCheckBox =
      new CheckBox(this, MultiLineTabSheet, "RegExpMultiLineCheckBox", "regular expression", 240, 76, 200, 17);
  CaseSensitivSingleLineCheckBox->setChecked(true);
  CaseSensitivMultiLineCheckBox->setChecked(true);

  SnRButton = new Button(this, T, "SnRButton", "Radavi&&&Dezevud Strings in Selected Files", 425, 465, 250, 25);
  SnRButton->setDefault(true);
  SnRButton->setEnabled(false);
  setDefaultButton(SnRButton);

  ResultListBox = new ListBox(this, ResultTabSheet, "ResultListBox", 0, 0, 676, 475);
  ResultListBox->setAlign(Align::Client);

  SelectAllNone2CheckBox =
      new CheckBox(this, BackupFileTabSheet, "SelectAllNone2CheckBox", "select all/none", 4, 8, 200, 17);
  SelectAllNone2CheckBox->setAllowGrayed(true);
  SelectAllNone2CheckBox->setState(CheckState::Grayed);
  DeleteBackupfilesButton =
      new Button(this, BackupFileTabSheet, "DeleteBackupfilesButton", "Delete Selected Backup Files", 475, 4, 200, 25);
  DeleteBackupfilesButton->setEnabled(false);
  BackupFileCheckListBox = new CheckListBox(this, BackupFileTabSheet, "BackupFileCheckListBox", 0, 34, 676, 440);
}

void TSnRForm::assignControlIds() {
  const std::pair<win::Control*, int> ids[] = {
      {MainPageControl, idMainPageControl},
      {CreateTaskTabSheet, idCreateTaskTabSheet},
      {ResultTabSheet, idResultTabSheet},
      {BackupFileTabSheet, idBackupFileTabSheet},
      {FileNameGroupBox, idFileNameGroupBox},
      {PathLabel, idPathLabel},
      {PathComboBox, idPathComboBox},
      {SelectDirSpeedButton, idSelectDirSpeedButton},
      {FilenameLabel, idFilenameLabel},
      {MaskComboBox, idMaskComboBox},
      {RekursivCheckBox, idRekursivCheckBox},
      {SelectAllNoneCheckBox, idSelectAllNoneCheckBox},
      {FileSearchResultLabel, idFileSearchResultLabel},
      {FileCheckListBox, idFileCheckListBox},
      {WarrantyMemo, idWarrantyMemo},
      {StringGroupBox, idStringGroupBox},
      {PageControlLineMode, idPageControlLineMode},
      {SingleLineTabSheet, idSingleLineTabSheet},
      {MultiLineTabSheet, idMultiLineTabSheet},
      {CombiEditCharHexFrameFromStr, idCombiEditCharHexFrameFromStr},
      {CombiEditCharHexFrameToStr, idCombiEditCharHexFrameToStr},
      {CombiEditCharHexFrameFromStr->CharComboBox, idFromStrCharComboBox},
      {CombiEditCharHexFrameFromStr->HexStringComboBox, idFromStrHexComboBox},
      {CombiEditCharHexFrameToStr->CharComboBox, idToStrCharComboBox},
      {CombiEditCharHexFrameToStr->HexStringComboBox, idToStrHexComboBox},
      {CaseSensitivSingleLineCheckBox, idCaseSensitivSingleLineCheckBox},
      {RegExpSingleLineCheckBox, idRegExpSingleLineCheckBox},
      {MemoFromStr, idMemoFromStr},
      {MemoToStr, idMemoToStr},
      {OldStringLabel, idOldStringLabel},
      {NewStringLabel, idNewStringLabel},
      {MemoFromStrLinebreaks, idMemoFromStrLinebreaks},
      {MemoToStrLinebreaks, idMemoToStrLinebreaks},
      {CaseSensitivMultiLineCheckBox, idCaseSensitivMultiLineCheckBox},
      {RegExpMultiLineCheckBox, idRegExpMultiLineCheckBox},
      {SnRButton, idSnRButton},
      {ResultListBox, idResultListBox},
      {SelectAllNone2CheckBox, idSelectAllNone2CheckBox},
      {DeleteBackupfilesButton, idDeleteBackupfilesButton},
      {BackupFileCheckListBox, idBackupFileCheckListBox},
  };
  for (const auto& [control, id] : ids) setId(control, id);
}

void TSnRForm::bindEvents() {
  using win::Control;
  using win::MenuItem;
  auto menu = [](MenuItem* item, void (TSnRForm::*handler)(), TSnRForm* self) {
    item->onClick = [self, handler](MenuItem&) { (self->*handler)(); };
  };
  auto click = [](Control* c, void (TSnRForm::*handler)(), TSnRForm* self) {
    c->onClick = [self, handler](Control&) { (self->*handler)(); };
  };

  MainPageControl->onChange = [this](Control&) { MainPageControlChange(); };
  // A hidden page is sized when the window is; the layout needs both pages.
  MainPageControl->onResize = [this](Control&) { FormResize(); };

  PathComboBox->onChange = [this](Control&) { RekursivCheckBoxClck(); };
  MaskComboBox->onChange = [this](Control&) { RekursivCheckBoxClck(); };
  click(RekursivCheckBox, &TSnRForm::RekursivCheckBoxClck, this);
  click(SelectDirSpeedButton, &TSnRForm::SelectDirSpeedButtonClick, this);
  click(SelectAllNoneCheckBox, &TSnRForm::SelectAllNoneCheckBoxClick, this);
  click(FileCheckListBox, &TSnRForm::FileCheckListBoxClick, this);
  FileCheckListBox->onClickCheck = [this](Control&) {
    const int i = FileCheckListBox->toggledIndex();
    if (i >= 0 && i < static_cast<int>(Model.Files.size())) Model.Files[i].Checked = FileCheckListBox->checked(i);
    FileCheckListBoxClick();
  };
  BackupFileCheckListBox->onClickCheck = [this](Control&) {
    const int i = BackupFileCheckListBox->toggledIndex();
    if (i >= 0 && i < static_cast<int>(Model.Backups.size())) Model.Backups[i].Checked = BackupFileCheckListBox->checked(i);
  };
  FileCheckListBox->onDblClick = [this](Control&) { FileCheckListBoxDblClick(); };
  PageControlLineMode->onChange = [this](Control&) { PageControlLineModeChange(); };
  click(CaseSensitivSingleLineCheckBox, &TSnRForm::CaseSensitivSingleLineCheckBoxClick, this);
  click(CaseSensitivMultiLineCheckBox, &TSnRForm::CaseSensitivMultiLineCheckBoxClick, this);
  click(RegExpSingleLineCheckBox, &TSnRForm::RegExpSingleLineCheckBoxClick, this);
  click(RegExpMultiLineCheckBox, &TSnRForm::RegExpMultiLineCheckBoxClick, this);
  MemoFromStr->onChange = [this](Control&) { MemoFromStrChange(); };
  MemoToStr->onChange = [this](Control&) { MemoToStrChange(); };
  MemoFromStr->onKeyUp = [this](Control&, WORD&) { MemoFromStrKeyUp(); };
  MemoToStr->onKeyUp = [this](Control&, WORD&) { MemoToStrKeyUp(); };
  click(SnRButton, &TSnRForm::SnRButtonClick, this);
  click(SelectAllNone2CheckBox, &TSnRForm::SelectAllNone2CheckBoxClick, this);
  click(DeleteBackupfilesButton, &TSnRForm::DeleteBackupfilesButtonClick, this);
  // The strings decide the start button and the help steps.
  for (TCombiEditCharHexFrame* frame : {CombiEditCharHexFrameFromStr, CombiEditCharHexFrameToStr}) {
    auto changed = [this] { UpdateHelp(); };
    frame->CharComboBox->onChange = [frame, changed](Control&) {
      frame->CharComboBoxChange();
      changed();
    };
    frame->CharComboBox->onKeyUp = [frame, changed](Control&, WORD&) {
      frame->CharComboBoxKeyUp();
      changed();
    };
    frame->CharComboBox->onKeyPress = [frame, changed](Control&, char& key) {
      if (!frame->CharComboBoxKeyPress(key)) return;
      key = 0;
      changed();
    };
    frame->CharComboBox->onClick = [frame, changed](Control&) {
      frame->CharComboBoxClick();
      changed();
    };
    frame->HexStringComboBox->onChange = [frame, changed](Control&) {
      frame->HexStringEditChange();
      changed();
    };
    frame->HexStringComboBox->onClick = [frame, changed](Control&) {
      frame->HexStringComboBoxClick();
      changed();
    };
  }

  menu(File1, &TSnRForm::File1Click, this);
  menu(SaveasBatchFile1, &TSnRForm::SaveasBatchFile1Click, this);
  menu(ClearHistory1, &TSnRForm::ClearHistory1Click, this);
  menu(Exit1, &TSnRForm::Exit1Click, this);
  menu(Options1, &TSnRForm::Options1Click, this);
  menu(CreateBackupFiles1, &TSnRForm::CreateBackupFiles1Click, this);
  menu(no1, &TSnRForm::no1Click, this);
  menu(onlyfileswithreplacedstrings1, &TSnRForm::onlyfileswithreplacedstrings1Click, this);
  menu(allfiles1, &TSnRForm::allfiles1Click, this);
  menu(ClearLogResults1, &TSnRForm::ClearLogResults1Click, this);
  menu(Backupfiles1, &TSnRForm::Backupfiles1Click, this);
  menu(deutsch1, &TSnRForm::deutsch1Click, this);
  menu(English1, &TSnRForm::English1Click, this);
  menu(HelpWindow1, &TSnRForm::HelpWindow1Click, this);
  menu(Help2, &TSnRForm::Help2Click, this);
  menu(Homepage1, &TSnRForm::Homepage1Click, this);
  menu(About1, &TSnRForm::About1Click, this);
}

void TSnRForm::afterConstruction() {
  TQzSnRMainForm::afterConstruction();
  FormCreate();
}

void TSnRForm::beforeDestruction() {
  destroying_ = true;
  CheckFileSearchTimer.setEnabled(false);
  DrawHelpLinesTimer.setEnabled(false);
  SynchronizeLineBreakMemosTimer.setEnabled(false);
  listPaintTimer_.setEnabled(false);
  // Both threads report to this window while they end, so it must still be whole.
  if (ScanThread) ScanThread->Target = nullptr;
  ScanThread.reset();
  SnRThread.reset();
  TQzSnRMainForm::beforeDestruction();
}

// ---------------------------------------------------------------- settings and texts

void TSnRForm::LoadSettings() {
  const std::string ini = GetIniFileName();
  CreateBackups = ReadIniBool(ini, kSettingsSection, "Backup", CreateBackups != 0) ? 1 : 0;
  LogLevel = ReadIniInteger(ini, kSettingsSection, "Logging", LogLevel);
  ShowHelpWindow = ReadIniBool(ini, kSettingsSection, "ShowHelpWindow", ShowHelpWindow != 0) ? 1 : 0;
  ShowBackupFileList = ReadIniBool(ini, kSettingsSection, "ShowBackupFileList", ShowBackupFileList != 0) ? 1 : 0;
}

void TSnRForm::SaveSettings() {
  // One durable write for the four keys, none when they are unchanged.
  TIniEdit ini(GetIniFileName());
  ini.Set(kSettingsSection, "Backup", CreateBackups ? "1" : "0");
  ini.Set(kSettingsSection, "Logging", std::to_string(LogLevel));
  ini.Set(kSettingsSection, "ShowHelpWindow", ShowHelpWindow ? "1" : "0");
  ini.Set(kSettingsSection, "ShowBackupFileList", ShowBackupFileList ? "1" : "0");
  ini.Commit();
}

void TSnRForm::SetCurrentLanguage() { ApplySnRFormTexts(*this, GetLanguage()); }

// The warning is always the built-in text of the language (a language file's
// lines for it, however many, would only be replaced).
bool TSnRForm::ReplacesLinesOf(const win::Component& memo) const {
  return &memo == WarrantyMemo && HasBuiltInTexts(GetLanguage());
}

void TSnRForm::deutsch1Click() { SetLanguage(0); }
void TSnRForm::English1Click() { SetLanguage(1); }

// ---------------------------------------------------------------- start-up

void TSnRForm::FormCreate() {
  // The overlay is loaded with the first guide; until then this names the target.
  GuideOverlayClear();
  GuideOverlayCallbackWindow(handle());

  LastFileCount = 0;
  ScanThread.reset();

  win::app().onDeactivate = [this](win::Control&) { AppDeactivate(); };
  win::app().onActivate = [this](win::Control&) { AppActivate(); };

  const std::string folder = programFolder();
  for (int i = 1; i <= GetInstallEntryCount(); ++i) {
    try {
      ExtractInstallEntry(static_cast<uint8_t>(i), folder, "");
    } catch (...) {
      // An entry in use stays as it is.
    }
  }

  SetLanguage(GetLanguage());

  // Path, mask and memos start empty (the model's own start); the histories
  // come with the controls, which are all that use them.
  // Entries whose files are gone are dropped before the list is filled, in one go.
  const std::string backups = GetDataDir() + "backup.dat";
  for (std::wstring& name : ExistingFiles(ReadBackupList(backups))) Model.Backups.push_back({std::move(name), false});
  backupList_.SetFileName(backups);

  SnRThread = std::make_unique<TSearchAndReplaceThread>();
  SnRThread->Init(handle());
  // What killed runs left behind goes first; this run's temporary files are noted.
  TSnRTempJournal::CleanUp(GetDataDir());
  win::RemoveDurableLeftovers(GetDataDir());
  win::RemoveDurableLeftovers(programFolder());
  tempJournal_.BeforeBackup = [this](const std::wstring& name) { backupList_.AppendBeforeMade(name); };
  tempJournal_.Open(GetDataDir());
  SnRThread->SetFileOps(&tempJournal_);
  // A report a line costs a round trip between the threads each; gathered, a long
  // queue's reports cost a few a second.
  SnRThread->SetBatchedReports(true);

  CloseWhenDone = 0;

  Model.ActivePage = spCreateTask;
  Model.BackupTabVisible = ShowBackupFileList != 0;

  win::AcceptDroppedFiles(handle(), true);

  LoadSettings();
  ProcessCommandLine();
  if (BatchMode) {
    // Shown minimised, without controls until it is restored.
    setWindowState(win::WindowState::Minimized);
    Model.TaskPageEnabled = !CloseWhenDone;
  } else {
    MakeControls();
  }

  setCaption(kSnRTitle);

  SnRThread->setPriority(win::tpLower);
  SnRThread->resume();
  started_ = true;
}

void TSnRForm::MakeControls() {
  if (controlsMade_) return;
  buildComponents();
  assignControlIds();
  for (win::Control* c : std::initializer_list<win::Control*>{
           FileNameGroupBox, SelectDirSpeedButton, FilenameLabel, MaskComboBox, WarrantyMemo, FileCheckListBox,
           StringGroupBox, SnRButton, BackupFileCheckListBox, CombiEditCharHexFrameFromStr,
           CombiEditCharHexFrameToStr})
    c->setAnchors(win::akLeft | win::akTop);
  // The texts the window's start gave the rest of it: the language file's
  // (language -1) and the built-in ones.
  if (GetLanguage() == -1) TranslateFormParts(*this);
  SetCurrentLanguage();
  TextsLanguage = GetLanguage();

  const std::string history = GetDataDir() + "history.ini";
  MaskComboBox->LoadHistory(history, "Mask");
  PathComboBox->LoadHistory(history, "Path");
  CombiEditCharHexFrameFromStr->LoadHistory(history, "FromString");
  CombiEditCharHexFrameToStr->LoadHistory(history, "ToString");

  showModel();   // before the events are bound: showing the model changes nothing
  bindEvents();
  controlsMade_ = true;

  ScanThread = std::make_unique<TScanDirThread>();
  ScanThread->Finished = true;
  CheckFileSearchTimer.setEnabled(true);
  SynchronizeLineBreakMemosTimer.setEnabled(true);
  FormResize();
  updateResultExtent();
  UpdateHelp();
}

void TSnRForm::showModel() {
  PathComboBox->setText(Model.Path);
  MaskComboBox->setText(Model.Mask);
  RekursivCheckBox->setChecked(Model.Recursive);
  FileCheckListBox->addFileItems(Model.FileNames());
  for (size_t i = 0; i < Model.Files.size(); ++i)
    if (Model.Files[i].Checked) FileCheckListBox->setChecked(static_cast<int>(i), true);
  if (!Model.WarrantyShown) hideWarranty();

  PageControlLineMode->setActivePageIndex(Model.LineModePage);
  MemoFromStr->setLines(Model.MemoFrom);
  MemoToStr->setLines(Model.MemoTo);
  showMatchBoxes();

  ResultListBox->addItems(Model.Results);
  BackupFileCheckListBox->addFileItems(Model.BackupNames());
  showBackupListChecks();

  BackupFileTabSheet->setTabVisible(Model.BackupTabVisible);
  MainPageControl->setActivePageIndex(Model.ActivePage);
  CreateTaskTabSheet->setEnabled(Model.TaskPageEnabled);
}

void TSnRForm::showMatchBoxes() {
  CaseSensitivSingleLineCheckBox->setChecked(Model.Match.CaseSingle);
  CaseSensitivMultiLineCheckBox->setChecked(Model.Match.CaseMulti);
  RegExpSingleLineCheckBox->setChecked(Model.Match.RegSingle);
  RegExpMultiLineCheckBox->setChecked(Model.Match.RegMulti);
}

void TSnRForm::showBackupListChecks() {
  for (size_t i = 0; i < Model.Backups.size(); ++i)
    BackupFileCheckListBox->setChecked(static_cast<int>(i), Model.Backups[i].Checked);
}

// ---------------------------------------------------------------- the model's changes

void TSnRForm::AddFile(const std::wstring& name) {
  Model.Files.push_back({name, false});
  if (FileCheckListBox) FileCheckListBox->addFileItem(name);
}

void TSnRForm::ClearFiles() {
  Model.Files.clear();
  if (FileCheckListBox) FileCheckListBox->clearItems();
}

void TSnRForm::AddResultLine(const std::string& workerLine) {
  const size_t first = Model.Results.size();
  Model.AddReportLine(workerLine);
  if (ResultListBox)
    for (size_t i = first; i < Model.Results.size(); ++i) ResultListBox->addItem(Model.Results[i]);
}

void TSnRForm::AddResultLines(const std::vector<std::string>& lines) {
  Model.Results.insert(Model.Results.end(), lines.begin(), lines.end());
  if (ResultListBox)
    for (const std::string& line : lines) ResultListBox->addItem(line);
}

void TSnRForm::ClearResults() {
  Model.Results.clear();
  if (ResultListBox) ResultListBox->clearItems();
}

void TSnRForm::AddBackup(const std::wstring& name) {
  Model.Backups.push_back({name, false});
  if (BackupFileCheckListBox) BackupFileCheckListBox->addFileItem(name);
}

void TSnRForm::AppendMemoLines(bool fromMemo, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::vector<std::string>& memo = fromMemo ? Model.MemoFrom : Model.MemoTo;
  memo.insert(memo.end(), lines.begin(), lines.end());
  if (win::Memo* box = fromMemo ? MemoFromStr : MemoToStr) box->setLines(memo);
}

void TSnRForm::ClickMatchBox(TMatchBox box, bool checked) {
  Model.ClickMatchBox(box, checked);
  if (!controlsMade_) return;
  coupling_ = true;   // the boxes show the model; their clicks need not couple again
  showMatchBoxes();
  coupling_ = false;
}

void TSnRForm::SetFileChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(Model.Files.size())) return;
  Model.Files[static_cast<size_t>(index)].Checked = checked;
  if (FileCheckListBox) FileCheckListBox->setChecked(index, checked);
}

void TSnRForm::SetBackupChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(Model.Backups.size())) return;
  Model.Backups[static_cast<size_t>(index)].Checked = checked;
  if (BackupFileCheckListBox) BackupFileCheckListBox->setChecked(index, checked);
}

void TSnRForm::TakeInput() {
  if (!controlsMade_) return;
  Model.Path = PathComboBox->text();
  Model.Mask = MaskComboBox->text();
  Model.Recursive = RekursivCheckBox->checked();
  Model.LineModePage = PageControlLineMode->activePageIndex();
  Model.FromValue = CombiEditCharHexFrameFromStr->Value;
  Model.ToValue = CombiEditCharHexFrameToStr->Value;
  Model.MemoFrom = MemoFromStr->lines();
  Model.MemoTo = MemoToStr->lines();
  Model.Match.CaseSingle = CaseSensitivSingleLineCheckBox->checked();
  Model.Match.CaseMulti = CaseSensitivMultiLineCheckBox->checked();
  Model.Match.RegSingle = RegExpSingleLineCheckBox->checked();
  Model.Match.RegMulti = RegExpMultiLineCheckBox->checked();
  Model.ActivePage = MainPageControl->activePageIndex();
}

void TSnRForm::ShowPage(int page) {
  Model.ActivePage = page;
  if (MainPageControl) MainPageControl->setActivePageIndex(page);
}

bool TSnRForm::scanFinished() const { return !ScanThread || ScanThread->Finished; }

void TSnRForm::FormShow() {
  if (!controlsMade_) return;
  if (!BatchMode && ShowHelpWindow) MakeSecondaryForms(TSnRSecondaryForm::Help);
  if (!BatchMode && InstantHelpForm && !InstantHelpForm->visible() && ShowHelpWindow) {
    InstantHelpForm->show();
    UpdateHelp();
  }
  MemoFromStrLinebreaks->hideCaret();
  MemoToStrLinebreaks->hideCaret();
}

void TSnRForm::FormActivate() { UpdateHelp(); }
void TSnRForm::AppActivate() { UpdateHelp(); }
void TSnRForm::AppDeactivate() { UpdateHelp(); }

void TSnRForm::MainPageControlChange() { UpdateHelp(); }

void TSnRForm::WMSysCommand(WPARAM command) {
  const WPARAM c = command & 0xFFF0;
  if (c == SC_MINIMIZE || c == SC_MAXIMIZE || c == SC_RESTORE) {
    UpdateHelp();
    GuideOverlayClear();
    DrawHelpLinesTimer.setEnabled(true);
  }
}

bool TSnRForm::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_SNRTHREAD:
      WMSnRThread(wp, reinterpret_cast<const char*>(lp));
      result = 0;
      return true;
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wp));
      result = 0;
      return true;
    case WM_QUERYOPEN:
      // A batch run's window about to be restored gets its controls first.
      if (started_ && !destroying_) MakeControls();
      result = TRUE;
      return true;
    case WM_SYSCOMMAND: {
      const WPARAM c = wp & 0xFFF0;
      if ((c == SC_RESTORE || c == SC_MAXIMIZE) && started_ && !destroying_) MakeControls();
      result = defaultProc(msg, wp, lp);
      WMSysCommand(wp);
      return true;
    }
    case WM_SIZE:
      // However a restore came about, the window is not seen without its controls.
      if ((wp == SIZE_RESTORED || wp == SIZE_MAXIMIZED) && started_ && !controlsMade_ && !destroying_) MakeControls();
      return TQzSnRMainForm::handleMessage(msg, wp, lp, result);
    case WM_ENABLE:
      // Every modal window of the program disables this window while it is
      // open: the guides leave the screen then and come back after it.
      result = defaultProc(msg, wp, lp);
      if (!destroying_) UpdateHelp();
      return true;
    default:
      return TQzSnRMainForm::handleMessage(msg, wp, lp, result);
  }
}

// ---------------------------------------------------------------- closing

void TSnRForm::FormCloseQuery(bool& CanClose) {
  {
    // Holding the queue keeps the worker from taking the next job meanwhile.
    auto queue = SnRThread ? SnRThread->LockTasks() : std::unique_lock<std::recursive_mutex>();
    GuideOverlayClear();
    if (SnRThread && SnRThread->TaskCount() > 0) {
      const int answer = ::MessageBoxA(handle(), SnRCloseQueryText(GetLanguage()).c_str(),
                                       win::app().title().c_str(), MB_ICONWARNING | MB_YESNOCANCEL);
      if (queue.owns_lock()) queue.unlock();
      if (answer == IDYES) {
        SnRThread->terminate();
        // The worker reports every job left as skipped, by sent messages. Its
        // last report may come after the queue is empty: it is done only when
        // the thread has ended, and every report has been handled then.
        while (!SnRThread->finished()) {
          win::app().processMessages();
          ::Sleep(1);
        }
        CanClose = true;
      } else {
        CanClose = false;
        UpdateHelp();
      }
    }
  }
  win::app().processMessages();

  const std::string dir = GetDataDir();
  backupList_.Save(Model.BackupNames());
  win::StringList results;
  for (const std::string& s : Model.Results) results.add(s);
  win::WriteFileDurably(dir + "result.log", results.text());
  if (controlsMade_) {
    MaskComboBox->SaveHistory();
    PathComboBox->SaveHistory();
    CombiEditCharHexFrameFromStr->SaveHistory();
    CombiEditCharHexFrameToStr->SaveHistory();
  }
  SaveSettings();
}

void TSnRForm::EndProcess() {
  destroying_ = true;
  // A scan still handing over files waits for this thread, which no longer
  // takes them; the worker finishes what it does (a job, the folders' flushes).
  if (ScanThread) ScanThread->Target = nullptr;
  if (SnRThread) SnRThread->terminateAndWait();
  tempJournal_.Close();
  // Everything that outlives the run is written. Windows, threads and handles
  // go with the process; tearing them down one by one first only costs time.
  ::ExitProcess(0);
}
