#include "uSnRForms.h"
#include "uChosseDirectoryNormal.h"
#include "uInstantHelp.h"
#include "uSearchAndReplace.h"
#include "uSnRAbout.h"

void MakeSecondaryForms(TSnRSecondaryForm Form) {
  if (!InstantHelpForm) InstantHelpForm = win::Form::create<TInstantHelpForm>();
  if (Form == TSnRSecondaryForm::Help) return;
  if (!ChoseDirectoryForm) ChoseDirectoryForm = win::Form::create<TChoseDirectoryForm>();
  if (Form == TSnRSecondaryForm::Directory) return;
  if (!SnRAboutForm) SnRAboutForm = win::Form::create<TSnRAboutForm>();
}

void ReleaseSecondaryForms() {
  if (SnRAboutForm) SnRAboutForm->release();
  SnRAboutForm = nullptr;
  if (ChoseDirectoryForm) ChoseDirectoryForm->release();
  ChoseDirectoryForm = nullptr;
  if (InstantHelpForm) InstantHelpForm->release();
  InstantHelpForm = nullptr;
}
