// The main window's command line (batch mode) and the batch-file export.
#include "mainwindow/uSnRFormCommandLine.h"
#include "MailTools.h"
#include "mainwindow/uSearchAndReplace.h"
#include "commandline/uSnRCommandLine.h"
#include "model/uSnRJobBuilding.h"
#include "win/FileNames.h"

namespace {

std::wstring programFile() {
  std::wstring path(32768, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size())));
  return path;
}

// The parsed parameters; Params, in 8-bit form, for the error lines.
void processCommandLine(TSnRForm& f, const TSnRCommandLine& c, const std::vector<std::string>& params) {
  f.AppendMemoLines(true, c.OldLines);
  f.AppendMemoLines(false, c.NewLines);
  if (c.CloseWhenDone) f.CloseWhenDone = 1;
  // Each switch acts as a click, so the coupled boxes follow.
  for (TSnRSwitch s : c.Switches) {
    switch (s) {
      case TSnRSwitch::CaseOn:
        f.ClickMatchBox(TMatchBox::CaseSingle, true);
        f.ClickMatchBox(TMatchBox::RegSingle, false);
        break;
      case TSnRSwitch::CaseOff: f.ClickMatchBox(TMatchBox::CaseSingle, false); break;
      case TSnRSwitch::RegExpOn:
        f.ClickMatchBox(TMatchBox::RegSingle, true);
        f.ClickMatchBox(TMatchBox::CaseSingle, false);
        break;
      case TSnRSwitch::RegExpOff: f.ClickMatchBox(TMatchBox::RegSingle, false); break;
    }
  }

  if (!c.Complete()) {
    f.AddResultLines(SnRCommandLineErrorLines(c, params, GetLanguage()));
    f.ShowPage(spResults);
    f.CloseWhenDone = 0;
    return;
  }

  f.BatchMode = 1;
  // Text jobs take the lines as given: a memo may hold less than a long file.
  std::vector<std::unique_ptr<TSnRTast>> jobs = BuildSnRJobs(SnRCommandLineJobRequest(
      c, f.Model.CaseSensitive(), f.Model.RegExpr(), f.CreateBackups != 0, f.LogLevel));
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
  f.TakeInput();
  TSnRBatchRequest r;
  r.ProgramFile = ProgramFile;
  r.Files = f.Model.FileNames();
  r.MultiLine = f.Model.LineModePage != 0;
  r.OldHex = f.Model.FromValue.GetHex();
  r.NewHex = f.Model.ToValue.GetHex();
  r.OldLines = f.Model.MemoFrom;
  r.NewLines = f.Model.MemoTo;
  r.CaseSensitive = f.Model.CaseSensitive();
  r.RegExpr = f.Model.RegExpr();
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
