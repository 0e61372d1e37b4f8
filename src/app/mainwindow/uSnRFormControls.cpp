// The main window's controls: file selection, dropped files, the directory
// dialog, options, backups, histories, the layout and the line-break marks.
#include "help/uGuideOverlay.h"
#include "mainwindow/uChosseDirectoryNormal.h"
#include "mainwindow/uSearchAndReplace.h"
#include "mainwindow/uSnRSecondaryForms.h"
#include "model/uSnRLayout.h"
#include "help/uInstantHelp.h"
#include "texts/uSnRTexts.h"
#include "win/FileNames.h"
#include "win/SystemDlls.h"
#include <vector>

namespace {

const char kHelpFileName[] = "Qz-Rudize&DarozadEdo.chm";

bool fileExists(const std::string& name) {
  DWORD attr = ::GetFileAttributesA(name.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD attributesOf(const std::wstring& name) { return ::GetFileAttributesW(win::LongPath(name).c_str()); }

std::string programFolder() {
  char path[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string p(path, n);
  return p.substr(0, p.find_last_of("\\/") + 1);
}

}  // namespace

// ---------------------------------------------------------------- file list

void TSnRForm::setSelectAll(std::vector<TSnRListEntry>& entries, win::CheckListBox* list, win::CheckBox* box) {
  if (box->state() == win::CheckState::Grayed) return;
  const bool on = box->state() == win::CheckState::Checked;
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i].Checked = on;
    list->setChecked(static_cast<int>(i), on);
  }
}

void TSnRForm::SelectAllNoneCheckBoxClick() {
  setSelectAll(Model.Files, FileCheckListBox, SelectAllNoneCheckBox);
  UpdateHelp();
}

void TSnRForm::SelectAllNone2CheckBoxClick() {
  setSelectAll(Model.Backups, BackupFileCheckListBox, SelectAllNone2CheckBox);
}

void TSnRForm::FileCheckListBoxClick() {
  SelectAllNoneCheckBox->setState(win::CheckState::Grayed);
  const int i = FileCheckListBox->itemIndex();
  FileCheckListBox->setHint(i >= 0 && i < FileCheckListBox->count() ? FileCheckListBox->item(i) : std::string());
  UpdateHelp();
}

void TSnRForm::hideWarranty() {
  Model.WarrantyShown = false;
  if (!WarrantyMemo || !WarrantyMemo->visible()) return;
  const bool hadFocus = WarrantyMemo->focused();
  WarrantyMemo->setVisible(false);
  FileCheckListBox->setTabStop(true);
  if (hadFocus) FileCheckListBox->setFocus();
}

void TSnRForm::FileCheckListBoxDblClick() {
  for (int i = FileCheckListBox->count() - 1; i >= 0; --i) {
    if (!FileCheckListBox->selected(i) || Model.Files[static_cast<size_t>(i)].Checked) continue;
    Model.Files.erase(Model.Files.begin() + i);
    FileCheckListBox->deleteItem(i);
  }
  UpdateHelp();
}

void TSnRForm::WMDropFiles(HDROP drop) {
  for (const std::wstring& file : win::TakeDroppedFiles(drop))
    if (win::IsExistingFile(file)) AddFile(file);
  hideWarranty();
  UpdateHelp();
}

// ---------------------------------------------------------------- directory dialog and histories

void TSnRForm::SelectDirSpeedButtonClick() {
  GuideOverlayClear();
  MakeSecondaryForms(TSnRSecondaryForm::Directory);
  if (ChoseDirectoryForm) {
    ChoseDirectoryForm->InitTexts();
    ChoseDirectoryForm->showModal();
    const std::string dir = ChoseDirectoryForm->Directory;
    if (!dir.empty()) {
      PathComboBox->setText(dir);
      RestartFileSearch();
      const std::string path = PathComboBox->text();
      if (!path.empty()) {
        for (int i = PathComboBox->count() - 1; i >= 0; --i)
          if (PathComboBox->item(i) == path) PathComboBox->deleteItem(i);
        PathComboBox->insertItem(0, path);
        PathComboBox->setItemIndex(0);
      }
    }
  }
  UpdateHelp();
}

void TSnRForm::ClearHistory1Click() {
  win::ComboBox* boxes[] = {PathComboBox,
                            MaskComboBox,
                            CombiEditCharHexFrameFromStr->HexStringComboBox,
                            CombiEditCharHexFrameFromStr->CharComboBox,
                            CombiEditCharHexFrameToStr->HexStringComboBox,
                            CombiEditCharHexFrameToStr->CharComboBox};
  for (win::ComboBox* box : boxes) box->clearItems();
  for (win::ComboBox* box : boxes) box->setText("");
  const std::string history = GetDataDir() + "history.ini";
  if (fileExists(history)) ::DeleteFileA(history.c_str());
}

// ---------------------------------------------------------------- menus

void TSnRForm::Exit1Click() { CloseForm(); }

void TSnRForm::Options1Click() {
  CreateBackupFiles1->setChecked(CreateBackups != 0);
  no1->setChecked(LogLevel == llNone);
  onlyfileswithreplacedstrings1->setChecked(LogLevel == llChangedFiles);
  allfiles1->setChecked(LogLevel == llAllFiles);
  HelpWindow1->setChecked(InstantHelpForm && InstantHelpForm->visible());
  English1->setChecked(GetLanguage() == 1);
  deutsch1->setChecked(GetLanguage() == 0);
}

void TSnRForm::CreateBackupFiles1Click() {
  CreateBackups = CreateBackups ? 0 : 1;
  CreateBackupFiles1->setChecked(CreateBackups != 0);
}

void TSnRForm::Backupfiles1Click() {
  const bool show = !BackupFileTabSheet->tabVisible();
  BackupFileTabSheet->setTabVisible(show);
  if (show) MainPageControl->setActivePageIndex(BackupFileTabSheet->pageIndex());
  Model.BackupTabVisible = show;
  ShowBackupFileList = show ? 1 : 0;
  UpdateHelp();
}

void TSnRForm::DeleteBackupfilesButtonClick() {
  for (int i = BackupFileCheckListBox->count() - 1; i >= 0; --i) {
    if (!BackupFileCheckListBox->checked(i)) continue;
    const std::wstring name = BackupFileCheckListBox->itemName(i);
    // A file that could not be deleted keeps its line, still checked.
    if (attributesOf(name) != INVALID_FILE_ATTRIBUTES && !::DeleteFileW(win::LongPath(name).c_str())) continue;
    Model.Backups.erase(Model.Backups.begin() + i);
    BackupFileCheckListBox->deleteItem(i);
  }
}

void TSnRForm::no1Click() {
  LogLevel = llNone;
  UpdateHelp();
}

void TSnRForm::onlyfileswithreplacedstrings1Click() {
  LogLevel = llChangedFiles;
  UpdateHelp();
}

void TSnRForm::allfiles1Click() {
  LogLevel = llAllFiles;
  UpdateHelp();
}

void TSnRForm::ClearLogResults1Click() { ClearResults(); }

std::string TSnRForm::HelpFileName() { return programFolder() + kHelpFileName; }

void TSnRForm::Help2Click() {
  const int32_t language = GetLanguage();
  if (language != 0 && language != 1 && language != -1) return;
  // Next to the program, where the start put it; the current folder may be anywhere.
  const std::string file = HelpFileName();
  if (fileExists(file)) win::ShellOpen(win::app().handle(), file);
}

void TSnRForm::Homepage1Click() {
  win::ShellOpen(win::app().handle(), ProductHomepage(GetLanguage()));
}

// ---------------------------------------------------------------- matching options

void TSnRForm::couple(win::CheckBox* clicked) {
  if (coupling_) return;
  TakeInput();
  const TMatchBox which = clicked == CaseSensitivSingleLineCheckBox ? TMatchBox::CaseSingle
                          : clicked == CaseSensitivMultiLineCheckBox ? TMatchBox::CaseMulti
                          : clicked == RegExpSingleLineCheckBox      ? TMatchBox::RegSingle
                                                                     : TMatchBox::RegMulti;
  ClickMatchBox(which, clicked->checked());
}

void TSnRForm::CaseSensitivSingleLineCheckBoxClick() { couple(CaseSensitivSingleLineCheckBox); }
void TSnRForm::CaseSensitivMultiLineCheckBoxClick() { couple(CaseSensitivMultiLineCheckBox); }
void TSnRForm::RegExpSingleLineCheckBoxClick() { couple(RegExpSingleLineCheckBox); }
void TSnRForm::RegExpMultiLineCheckBoxClick() { couple(RegExpMultiLineCheckBox); }

// ---------------------------------------------------------------- memos and their line-break marks

void TSnRForm::refreshLineBreaks(win::Memo* memo, win::Memo* column) {
  const int n = LineBreakMarkCount(static_cast<int>(memo->lines().size()), memo->firstVisibleLine());
  if (static_cast<int>(column->lines().size()) == n) return;
  column->setLines(std::vector<std::string>(static_cast<size_t>(n), "\xB6"));
}

void TSnRForm::MemoFromStrChange() {
  UpdateHelp();
  refreshLineBreaks(MemoFromStr, MemoFromStrLinebreaks);
}

void TSnRForm::MemoToStrChange() {
  UpdateHelp();
  refreshLineBreaks(MemoToStr, MemoToStrLinebreaks);
}

void TSnRForm::MemoFromStrKeyUp() { refreshLineBreaks(MemoFromStr, MemoFromStrLinebreaks); }
void TSnRForm::MemoToStrKeyUp() { refreshLineBreaks(MemoToStr, MemoToStrLinebreaks); }

void TSnRForm::SynchronizeLineBreakMemosTimerTimer() {
  if (!controlsMade_) return;
  refreshLineBreaks(MemoFromStr, MemoFromStrLinebreaks);
  refreshLineBreaks(MemoToStr, MemoToStrLinebreaks);
}

void TSnRForm::PageControlLineModeChange() { UpdateHelp(); }

// ---------------------------------------------------------------- size and layout

void TSnRForm::FormCanResize(int& NewWidth, int& NewHeight) { ClampSnRSize(NewWidth, NewHeight); }

void TSnRForm::FormResize() {
  if (!BackupFileCheckListBox) return;   // still being built
  TSnRLayoutInput in;
  in.TaskWidth = CreateTaskTabSheet->width();
  in.TaskHeight = CreateTaskTabSheet->height();
  in.BackupWidth = BackupFileTabSheet->width();
  in.BackupHeight = BackupFileTabSheet->height();
  in.StringGroupHeight = StringGroupBox->height();
  in.SnRButtonWidth = SnRButton->width();
  in.SnRButtonHeight = SnRButton->height();
  in.DeleteButtonWidth = DeleteBackupfilesButton->width();
  in.DeleteButtonTop = DeleteBackupfilesButton->top();
  in.DeleteButtonHeight = DeleteBackupfilesButton->height();
  in.MaskWidth = MaskComboBox->width();
  in.SelectDirWidth = SelectDirSpeedButton->width();
  in.PathLeft = PathComboBox->left();
  in.WarrantyTop = WarrantyMemo->top();
  in.FileListTop = FileCheckListBox->top();
  in.FromLinebreaksWidth = MemoFromStrLinebreaks->width();
  in.ToLinebreaksWidth = MemoToStrLinebreaks->width();
  in.FromFrameLeft = CombiEditCharHexFrameFromStr->left();
  const TSnRLayout o = ComputeSnRLayout(in);

  SnRButton->setBounds(o.SnRButtonLeft, o.SnRButtonTop, SnRButton->width(), SnRButton->height());
  StringGroupBox->setBounds(StringGroupBox->left(), o.StringGroupTop, o.StringGroupWidth, StringGroupBox->height());
  DeleteBackupfilesButton->setLeft(o.DeleteButtonLeft);
  BackupFileCheckListBox->setBounds(BackupFileCheckListBox->left(), o.BackupListTop, o.BackupListWidth,
                                    o.BackupListHeight);
  FileNameGroupBox->setBounds(FileNameGroupBox->left(), FileNameGroupBox->top(), o.FileGroupWidth,
                              o.FileGroupHeight);
  MaskComboBox->setLeft(o.MaskLeft);
  SelectDirSpeedButton->setLeft(o.SelectDirLeft);
  PathComboBox->setWidth(o.PathWidth);
  WarrantyMemo->setBounds(WarrantyMemo->left(), WarrantyMemo->top(), o.WarrantyWidth, o.WarrantyHeight);
  FileCheckListBox->setBounds(FileCheckListBox->left(), FileCheckListBox->top(), o.FileListWidth, o.FileListHeight);
  MemoFromStr->setBounds(o.MemoFromLeft, MemoFromStr->top(), o.MemoFromWidth, MemoFromStr->height());
  MemoFromStrLinebreaks->setLeft(o.FromLinebreaksLeft);
  MemoToStr->setBounds(o.MemoToLeft, MemoToStr->top(), o.MemoToWidth, MemoToStr->height());
  NewStringLabel->setLeft(o.NewLabelLeft);
  MemoToStrLinebreaks->setLeft(o.ToLinebreaksLeft);
  CombiEditCharHexFrameFromStr->setWidth(o.FrameWidth);
  CombiEditCharHexFrameToStr->setBounds(o.ToFrameLeft, CombiEditCharHexFrameToStr->top(), o.FrameWidth,
                                        CombiEditCharHexFrameToStr->height());
}
