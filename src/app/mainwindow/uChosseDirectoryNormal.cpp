#include "mainwindow/uChosseDirectoryNormal.h"
#include "mainwindow/uSnRFormControlIds.h"

TChoseDirectoryForm* ChoseDirectoryForm = nullptr;

namespace {
void setId(win::Control* c, int id) { ::SetWindowLongPtrA(c->handle(), GWLP_ID, id); }
}  // namespace

TChoseDirectoryForm::TChoseDirectoryForm(win::Component* owner) : win::Form(owner, "ChoseDirectoryForm") {
  setBorderStyle(win::BorderStyle::ToolWindow);
  setBorderIcons(false, false, false);
  setClientSize(231, 236);
  setCenterOnFirstShow(true);
  DriveComboBox = new win::DriveComboBox(this, this, "DriveComboBox", 8, 8, 215, 21);
  DirectoryListBox = new win::DirectoryListBox(this, this, "DirectoryListBox", 8, 36, 215, 160);
  DriveComboBox->dirList = DirectoryListBox;
  OKButton = new win::Button(this, this, "OKButton", "&OK", 8, 204, 100, 25);
  CancelButton = new win::Button(this, this, "CancelButton", "&Cancel", 123, 204, 100, 25);
  OKButton->setDefault(true);
  CancelButton->setCancel(true);
  setDefaultButton(OKButton);
  setCancelButton(CancelButton);
  setId(DirectoryListBox, idDirectoryListBox);
  setId(DriveComboBox, idDriveComboBox);
  setId(OKButton, idDirOKButton);
  setId(CancelButton, idDirCancelButton);
  OKButton->onClick = [this](win::Control&) { OKButtonClick(); };
  CancelButton->onClick = [this](win::Control&) { CancelButtonClick(); };
}

void TChoseDirectoryForm::InitTexts() {
  setCaption("Chose Directory");
  OKButton->setCaption("&OK");
  CancelButton->setCaption("&Cancel");
}

void TChoseDirectoryForm::OKButtonClick() {
  Directory = DirectoryListBox->directory();
  close();
}

void TChoseDirectoryForm::CancelButtonClick() {
  Directory.clear();
  close();
}
