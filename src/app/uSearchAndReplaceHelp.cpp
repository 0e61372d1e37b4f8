// The main window's side of the step-by-step help: which steps are open, the
// start button's state and the guide lines.
#include "uSearchAndReplace.h"

int TSnRForm::CheckedFileCount() {
  int n = 0;
  for (int i = 0, count = FileCheckListBox->count(); i < count; ++i)
    if (FileCheckListBox->checked(i)) ++n;
  return n;
}

void TSnRForm::UpdateHelp() {
  const bool scanDone = !ScanThread || ScanThread->Finished;
  const bool oldGiven = PageControlLineMode->activePageIndex() == 0 ? CombiEditCharHexFrameFromStr->Value.Len > 0
                                                                     : !MemoFromStr->lines().empty();
  SnRButton->setEnabled(scanDone && CheckedFileCount() > 0 && oldGiven);
}

void TSnRForm::DrawGuide(win::Control* Control, int Step) {
  (void)Control;
  (void)Step;
}

void TSnRForm::DrawHelpLinesTimerTimer() { DrawHelpLinesTimer.setEnabled(false); }

void TSnRForm::HelpWindow1Click() {}

void TSnRForm::File1Click() { SaveasBatchFile1->setEnabled(SnRButton->enabled()); }

void TSnRForm::About1Click() {}
