// The main window's command line (batch mode) and the batch-file export.
#include "mainwindow/uSnRFormCommandLine.h"
#include "MailTools.h"
#include "mainwindow/uSearchAndReplace.h"
#include "commandline/uSnRCommandLine.h"
#include "model/uSnRJobBuilding.h"

namespace {

std::wstring programFile() {
  std::wstring path(32768, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size())));
  return path;
}

void appendLines(win::Memo* memo, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::vector<std::string> all = memo->lines();
  all.insert(all.end(), lines.begin(), lines.end());
  memo->setLines(all);
}

// The parsed parameters; Params, in 8-bit form, for the error lines.
void processCommandLine(TSnRForm& f, const TSnRCommandLine& c, const std::vector<std::string>& params) {
  appendLines(f.MemoFromStr, c.OldLines);
  appendLines(f.MemoToStr, c.NewLines);
  if (c.CloseWhenDone) f.CloseWhenDone = 1;
  // Each switch acts as a click, so the coupled boxes follow.
  for (TSnRSwitch s : c.Switches) {
    switch (s) {
      case TSnRSwitch::CaseOn:
        f.CaseSensitivSingleLineCheckBox->setChecked(true);
        f.RegExpSingleLineCheckBox->setChecked(false);
        break;
      case TSnRSwitch::CaseOff: f.CaseSensitivSingleLineCheckBox->setChecked(false); break;
      case TSnRSwitch::RegExpOn:
        f.RegExpSingleLineCheckBox->setChecked(true);
        f.CaseSensitivSingleLineCheckBox->setChecked(false);
        break;
      case TSnRSwitch::RegExpOff: f.RegExpSingleLineCheckBox->setChecked(false); break;
    }
  }

  if (!c.Complete()) {
    for (const std::string& line : SnRCommandLineErrorLines(c, params, GetLanguage())) f.ResultListBox->addItem(line);
    f.MainPageControl->setActivePageIndex(1);
    f.CloseWhenDone = 0;
    return;
  }

  f.BatchMode = 1;
  // Text jobs take the lines as given: a memo may hold less than a long file.
  std::vector<std::unique_ptr<TSnRTast>> jobs = BuildSnRJobs(
      SnRCommandLineJobRequest(c, f.CaseSensitivSingleLineCheckBox->checked(), f.RegExpSingleLineCheckBox->checked(),
                               f.CreateBackups != 0, f.LogLevel));
  auto queue = f.SnRThread->LockTasks();
  std::string lastFile;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const std::string file = jobs[i]->FileName;
    f.SnRThread->AddTask(std::move(jobs[i]));
    if (i == 0 || file != lastFile) DebugOut(file + " prepared");
    lastFile = file;
  }
}

}  // namespace

void ProcessSnRCommandLine(TSnRForm& f, const std::vector<std::wstring>& params) {
  f.BatchMode = 0;
  if (params.empty()) return;
  std::vector<std::string> texts;
  for (const std::wstring& p : params) texts.push_back(SnRParamText(p));
  processCommandLine(f, ParseSnRCommandLine(params), texts);
}

void ProcessSnRCommandLine(TSnRForm& f, const std::vector<std::string>& params) {
  f.BatchMode = 0;
  if (params.empty()) return;
  processCommandLine(f, ParseSnRCommandLine(params), params);
}

void TSnRForm::ProcessCommandLine() {
  // Read wide, so that a file name of any characters reaches the engine as it is.
  std::vector<std::wstring> params = SplitCommandLine(std::wstring(::GetCommandLineW()));
  if (!params.empty()) params.erase(params.begin());
  ProcessSnRCommandLine(*this, params);
}

TSnRBatchRequest SnRBatchRequestFor(TSnRForm& f, const std::wstring& ProgramFile) {
  TSnRBatchRequest r;
  r.ProgramFile = ProgramFile;
  r.Files = f.FileCheckListBox->itemNames();
  r.MultiLine = f.PageControlLineMode->activePageIndex() != 0;
  r.OldHex = f.CombiEditCharHexFrameFromStr->Value.GetHex();
  r.NewHex = f.CombiEditCharHexFrameToStr->Value.GetHex();
  r.OldLines = f.MemoFromStr->lines();
  r.NewLines = f.MemoToStr->lines();
  r.CaseSensitive = f.CaseSensitivSingleLineCheckBox->checked();
  r.RegExpr = f.RegExpSingleLineCheckBox->checked();
  return r;
}

void TSnRForm::SaveasBatchFile1Click() {
  if (!BATFileSaveDialog.execute(handle())) return;
  const std::string name = BATFileSaveDialog.fileName;
  const TSnRBatchRequest request = SnRBatchRequestFor(*this, programFile());
  // A batch file that cmd cannot read whole would run another job than this one.
  const std::string problem = SnRBatchFileProblem(request, GetLanguage());
  if (!problem.empty()) {
    ::MessageBoxA(handle(), problem.c_str(), win::app().title().c_str(), MB_OK | MB_ICONWARNING);
    return;
  }
  if (!SaveSnRBatchFile(name, request)) {
    const std::string text = "Cannot create file \"" + name + "\".";
    ::MessageBoxA(handle(), text.c_str(), win::app().title().c_str(), MB_OK | MB_ICONERROR);
  }
}
