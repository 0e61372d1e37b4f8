#include "mainwindow/uSnRSecondaryForms.h"
#include "mainwindow/uChosseDirectoryNormal.h"
#include "help/uInstantHelp.h"
#include "mainwindow/uSearchAndReplace.h"
#include "texts/uSnRAbout.h"

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
