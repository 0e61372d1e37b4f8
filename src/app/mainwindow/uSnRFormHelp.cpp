// The main window's side of the step-by-step help: which steps are open, the
// start button's state and the guide lines.
#include "help/uGuideOverlay.h"
#include "help/uHelpSteps.h"
#include "help/uInstantHelp.h"
#include "mainwindow/uSearchAndReplace.h"
#include "mainwindow/uSnRSecondaryForms.h"
#include "texts/uSnRAbout.h"

namespace {
// The guides go to the overlay library; its results are of no interest here.
class TOverlayGuideSink : public IGuideSink {
public:
  void Clear() override { GuideOverlayClear(); }
  void Point(int x, int y, int style, COLORREF color) override { GuideOverlayPoint(x, y, style, color); }
  void Rectangle(int left, int top, int right, int bottom, COLORREF color) override {
    GuideOverlayRectangle(left, top, right, bottom, color);
  }
  void Line(int x1, int y1, int x2, int y2, COLORREF color) override { GuideOverlayLine(x1, y1, x2, y2, color); }
};

IGuideSink& guideSink() {
  static TOverlayGuideSink overlay;
  return GuideSinkOverride ? *GuideSinkOverride : overlay;
}

TGuideTarget guideTarget(win::Control* c) {
  TGuideTarget t = {{0, 0}, {c->width(), c->height()}};
  ::ClientToScreen(c->handle(), &t.A);
  ::ClientToScreen(c->handle(), &t.B);
  return t;
}
}  // namespace

int TSnRForm::CheckedFileCount() { return Model.CheckedFileCount(); }

namespace {
win::Control* targetControl(TSnRForm& f, THelpTarget t) {
  switch (t) {
    case THelpTarget::htPathComboBox: return f.PathComboBox;
    case THelpTarget::htSelectDirSpeedButton: return f.SelectDirSpeedButton;
    case THelpTarget::htMaskComboBox: return f.MaskComboBox;
    case THelpTarget::htFileCheckListBox: return f.FileCheckListBox;
    case THelpTarget::htFromStrFrame: return f.CombiEditCharHexFrameFromStr;
    case THelpTarget::htMemoFromStr: return f.MemoFromStr;
    case THelpTarget::htToStrFrame: return f.CombiEditCharHexFrameToStr;
    case THelpTarget::htMemoToStr: return f.MemoToStr;
    case THelpTarget::htSnRButton: return f.SnRButton;
  }
  return f.SnRButton;
}
}  // namespace

void TSnRForm::UpdateHelp() {
  TakeInput();
  const THelpState state = Model.HelpState(scanFinished());
  if (SnRButton) SnRButton->setEnabled(state.SnRButtonEnabled);
  if (!InstantHelpForm || !controlsMade_) return;

  DrawHelpLinesTimer.setEnabled(false);
  guideSink().Clear();
  shownSteps_ = OpenHelpSteps(state);
  InstantHelpForm->ShowSteps(HelpStepTexts(shownSteps_, GetLanguage()));
  if (GuidesWanted(InstantHelpForm->GuidingHelpCheckBox->checked(), MainPageControl->activePageIndex()))
    DrawHelpLinesTimer.setEnabled(true);
}

void TSnRForm::DrawGuide(win::Control* Control, int Step) {
  if (!InstantHelpForm || !Control) return;
  ::DrawGuide(guideSink(), guideTarget(Control), Step, InstantHelpForm->HelpItemRects);
}

void TSnRForm::DrawHelpLinesTimerTimer() {
  DrawHelpLinesTimer.setEnabled(false);
  if (!controlsMade_) return;
  // A modal window of the program (dialog, message box, save dialog) disables
  // the main window: no guide may lie over it; its closing redraws them.
  const bool shown = InstantHelpForm && win::app().active() && InstantHelpForm->visible() &&
                     windowState() != win::WindowState::Minimized && enabled();
  const THelpItemRects none;
  // The guides belong to the entries the list shows, whatever changed since.
  DrawHelpGuides(guideSink(), shown, shownSteps_, PageControlLineMode->activePageIndex(),
                 [this](THelpTarget t) { return guideTarget(targetControl(*this, t)); },
                 InstantHelpForm ? InstantHelpForm->HelpItemRects : none);
}

void TSnRForm::HelpWindow1Click() {
  MakeSecondaryForms(TSnRSecondaryForm::Help);
  if (!InstantHelpForm) return;
  // Decided by the window's visibility, not the check mark: a shortcut
  // press does not open the menu that refreshes the mark.
  if (InstantHelpForm->visible()) {
    InstantHelpForm->hide();
  } else {
    InstantHelpForm->show();
    ::SetWindowPos(InstantHelpForm->handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  ShowHelpWindow = InstantHelpForm->visible() ? 1 : 0;
  UpdateHelp();
}

void TSnRForm::File1Click() {
  TakeInput();
  SaveasBatchFile1->setEnabled(Model.StartAllowed(scanFinished()));
}

void TSnRForm::About1Click() {
  guideSink().Clear();
  MakeSecondaryForms(TSnRSecondaryForm::About);
  if (SnRAboutForm) SnRAboutForm->showModal();
  UpdateHelp();
}
