// Stable control IDs of the main window and the directory dialog, so that
// tests and tools can find the controls of a running program
// (GetDlgCtrlID / EnumChildWindows) and drive them by window messages.
#pragma once

enum TSnRControlId : int {
  // main window, page "create task"
  idMainPageControl = 1001,
  idCreateTaskTabSheet = 1002,
  idResultTabSheet = 1003,
  idBackupFileTabSheet = 1004,
  idFileNameGroupBox = 1010,
  idPathLabel = 1011,
  idPathComboBox = 1012,
  idSelectDirSpeedButton = 1013,
  idFilenameLabel = 1014,
  idMaskComboBox = 1015,
  idRekursivCheckBox = 1016,
  idSelectAllNoneCheckBox = 1017,
  idFileSearchResultLabel = 1018,
  idFileCheckListBox = 1019,
  idWarrantyMemo = 1020,
  idStringGroupBox = 1030,
  idPageControlLineMode = 1031,
  idSingleLineTabSheet = 1032,
  idMultiLineTabSheet = 1033,
  idCombiEditCharHexFrameFromStr = 1034,
  idCombiEditCharHexFrameToStr = 1035,
  idFromStrCharComboBox = 1036,   // the frames' own boxes
  idFromStrHexComboBox = 1037,
  idToStrCharComboBox = 1038,
  idToStrHexComboBox = 1039,
  idCaseSensitivSingleLineCheckBox = 1040,
  idRegExpSingleLineCheckBox = 1041,
  idMemoFromStr = 1042,
  idMemoToStr = 1043,
  idOldStringLabel = 1044,
  idNewStringLabel = 1045,
  idMemoFromStrLinebreaks = 1046,
  idMemoToStrLinebreaks = 1047,
  idCaseSensitivMultiLineCheckBox = 1048,
  idRegExpMultiLineCheckBox = 1049,
  idSnRButton = 1050,
  // page "result"
  idResultListBox = 1060,
  // page "backup"
  idSelectAllNone2CheckBox = 1070,
  idDeleteBackupfilesButton = 1071,
  idBackupFileCheckListBox = 1072,
  // directory dialog
  idDirectoryListBox = 1101,
  idDriveComboBox = 1102,
  idDirOKButton = 1103,
  idDirCancelButton = 1104,
};
