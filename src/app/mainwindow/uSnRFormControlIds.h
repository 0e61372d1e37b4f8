// Stable control IDs of the main window and the directory dialog, and the
// command IDs of some menu items, so that
// tests and tools can find the controls of a running program
// (GetDlgCtrlID / EnumChildWindows) and drive them by window messages.
#pragma once

// They start at 2001: a combo box's own edit and list are 1001 and 1000.
enum TSnRControlId : int {
  // main window, page "create task"
  idMainPageControl = 2001,
  idCreateTaskTabSheet = 2002,
  idResultTabSheet = 2003,
  idBackupFileTabSheet = 2004,
  idFileNameGroupBox = 2010,
  idPathLabel = 2011,
  idPathComboBox = 2012,
  idSelectDirSpeedButton = 2013,
  idFilenameLabel = 2014,
  idMaskComboBox = 2015,
  idRekursivCheckBox = 2016,
  idSelectAllNoneCheckBox = 2017,
  idFileSearchResultLabel = 2018,
  idFileCheckListBox = 2019,
  idWarrantyMemo = 2020,
  idStringGroupBox = 2030,
  idPageControlLineMode = 2031,
  idSingleLineTabSheet = 2032,
  idMultiLineTabSheet = 2033,
  idCombiEditCharHexFrameFromStr = 2034,
  idCombiEditCharHexFrameToStr = 2035,
  idFromStrCharComboBox = 2036,   // the frames' own boxes
  idFromStrHexComboBox = 2037,
  idToStrCharComboBox = 2038,
  idToStrHexComboBox = 2039,
  idCaseSensitivSingleLineCheckBox = 2040,
  idRegExpSingleLineCheckBox = 2041,
  idMemoFromStr = 2042,
  idMemoToStr = 2043,
  idOldStringLabel = 2044,
  idNewStringLabel = 2045,
  idMemoFromStrLinebreaks = 2046,
  idMemoToStrLinebreaks = 2047,
  idCaseSensitivMultiLineCheckBox = 2048,
  idRegExpMultiLineCheckBox = 2049,
  idSnRButton = 2050,
  // page "result"
  idResultListBox = 2060,
  // page "backup"
  idSelectAllNone2CheckBox = 2070,
  idDeleteBackupfilesButton = 2071,
  idBackupFileCheckListBox = 2072,
  // directory dialog
  idDirectoryListBox = 2101,
  idDriveComboBox = 2102,
  idDirOKButton = 2103,
  idDirCancelButton = 2104,
  // menu commands of the main window (WM_COMMAND with no control)
  idMenuSaveasBatchFile = 2201,
  idMenuAbout = 2202,
};
