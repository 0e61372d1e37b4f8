// The directory dialog of the main window: a drive list linked to a folder
// list; Directory holds the chosen folder, or is empty after Cancel.
#pragma once
#include "win/GuiControls.h"
#include "win/GuiForm.h"
#include <string>

class TChoseDirectoryForm : public win::Form {
public:
  explicit TChoseDirectoryForm(win::Component* owner = nullptr);

  win::DirectoryListBox* DirectoryListBox;
  win::DriveComboBox* DriveComboBox;
  win::Button* OKButton;
  win::Button* CancelButton;

  std::string Directory;

  // Called before every showing.
  void InitTexts();
  void OKButtonClick();
  void CancelButtonClick();
};
