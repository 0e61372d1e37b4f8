// End to end, by the keyboard alone: Tab and Shift+Tab run through every
// control of the main window's first page and round again, through the
// warning text over the file list without ever staying there, and the first
// Tab after the start already moves on from the path box; Alt with the
// underlined letter of a caption moves to the control that a label names or
// presses the button, in the main window and in its dialogs.
// Needs the display to itself (the keys go to the active window).
#include "AppInput.h"
#include "AppProgram.h"
#include "AppTestDir.h"
#include "texts/uSnRAbout.h"
#include "mainwindow/uSnRFormControlIds.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <initializer_list>

using namespace apptest;

namespace {

int focusedId(HWND main) { return ::GetDlgCtrlID(FocusedControl(main)); }

// Presses the keys and returns the control that has the focus once it has
// moved (or, after a while, the one that kept it).
int focusAfter(HWND main, std::initializer_list<WORD> keys) {
  HWND before = FocusedControl(main);
  PressKeys(keys);
  waitFor([&] { return FocusedControl(main) != before; }, 3000);
  return focusedId(main);
}

const char* nameOf(int id) {
  switch (id) {
    case idPathComboBox: return "path";
    case idMaskComboBox: return "mask";
    case idRekursivCheckBox: return "subfolders";
    case idSelectAllNoneCheckBox: return "select all/none";
    case idWarrantyMemo: return "warning text";
    case idFileCheckListBox: return "file list";
    case idFromStrCharComboBox: return "old string";
    case idFromStrHexComboBox: return "old hex";
    case idToStrCharComboBox: return "new string";
    case idToStrHexComboBox: return "new hex";
    case idCaseSensitivSingleLineCheckBox: return "case";
    case idRegExpSingleLineCheckBox: return "regular expression";
    case idSnRButton: return "start";
    default: return "another control";
  }
}

// Tab (or Shift+Tab) once for every expected control, from where the focus is.
void expectCycle(HWND main, bool back, const std::vector<int>& expected) {
  for (int id : expected) {
    const int got = back ? focusAfter(main, {VK_SHIFT, VK_TAB}) : focusAfter(main, {VK_TAB});
    ASSERT_EQ(got, id) << (back ? "Shift+Tab" : "Tab") << " went to " << nameOf(got) << ", not to " << nameOf(id);
  }
}

std::vector<int> reversed(std::vector<int> v, int start) {
  std::reverse(v.begin(), v.end());
  v.erase(v.begin());
  v.push_back(start);
  return v;
}

HWND waitForWindow(const Program& program, const char* caption) {
  HWND h = nullptr;
  waitFor([&] { return (h = program.find([caption](HWND w) { return text(w) == caption; })) != nullptr; }, 8000);
  return h;
}

}  // namespace

TEST(KeyboardEndToEnd, TabCyclesEveryControlAndAltMovesToWhatACaptionNames) {
  ASSERT_TRUE(AppTestDir::exists("QzSearchAndReplace.exe")) << "the program is built with the tests";
  AppTestDir dir;
  ::CreateDirectoryA((dir / "files").c_str(), nullptr);
  AppTestDir::write(dir / "files\\a.txt", "A");
  Program program;
  Windows w;
  ASSERT_TRUE(StartActive(program, dir.path() + "appdata", w));

  // The focus starts in the path box, the first control.
  EXPECT_TRUE(waitFor([&] { return focusedId(w.main) == idPathComboBox; }, 3000)) << nameOf(focusedId(w.main));
  const std::vector<int> beforeSearch = {idMaskComboBox,         idRekursivCheckBox,    idSelectAllNoneCheckBox,
                                         idWarrantyMemo,         idFromStrCharComboBox, idFromStrHexComboBox,
                                         idToStrCharComboBox,    idToStrHexComboBox,    idCaseSensitivSingleLineCheckBox,
                                         idRegExpSingleLineCheckBox, idPathComboBox};
  {
    SCOPED_TRACE("before the first search");
    expectCycle(w.main, false, beforeSearch);
    expectCycle(w.main, true, reversed(beforeSearch, idPathComboBox));
  }

  // The labels "&Path" and "Filen&ame".
  EXPECT_EQ(focusAfter(w.main, {VK_MENU, 'A'}), idMaskComboBox);
  EXPECT_EQ(focusAfter(w.main, {VK_MENU, 'P'}), idPathComboBox);

  // A search uncovers the file list, which takes the warning's place; a
  // checked file and an old string enable the start button, the last stop.
  SetComboText(childById(w.main, idPathComboBox), dir / "files");
  SetComboText(childById(w.main, idMaskComboBox), "*.txt");
  HWND label = childById(w.main, idFileSearchResultLabel);
  ASSERT_TRUE(waitFor([&] { return ControlText(label) == "Search complete: 1 files found"; }, 20000)) << ControlText(label);
  HWND list = childById(w.main, idFileCheckListBox);
  ::SendMessageA(list, LB_SETCARETINDEX, 0, FALSE);
  ::SendMessageA(list, WM_CHAR, ' ', 0);
  SetComboText(childById(w.main, idFromStrHexComboBox), "41");
  ASSERT_TRUE(waitFor([&] { return ::IsWindowEnabled(childById(w.main, idSnRButton)) != FALSE; }, 5000));
  std::vector<int> afterSearch = beforeSearch;
  afterSearch[3] = idFileCheckListBox;
  afterSearch.insert(afterSearch.end() - 1, idSnRButton);
  {
    SCOPED_TRACE("after a search");
    expectCycle(w.main, false, afterSearch);
    expectCycle(w.main, true, reversed(afterSearch, idPathComboBox));
  }

  // The dialogs' buttons "&Cancel" and "&OK".
  ::PostMessageA(childById(w.main, idSelectDirSpeedButton), BM_CLICK, 0, 0);
  HWND folders = waitForWindow(program, "Chose Directory");
  ASSERT_TRUE(folders);
  ASSERT_TRUE(Activate(folders));
  PressKeys({VK_MENU, 'C'});
  EXPECT_TRUE(waitFor([&] { return !::IsWindowVisible(folders); }, 5000)) << "Alt+C in the directory dialog";
  EXPECT_EQ(ControlText(childById(w.main, idPathComboBox)), dir / "files") << "Cancel keeps the path";

  ::PostMessageA(w.main, WM_COMMAND, idMenuAbout, 0);
  HWND about = waitForWindow(program, kSnRAboutLanguageCaption);
  ASSERT_TRUE(about);
  ASSERT_TRUE(Activate(about));
  PressKeys({VK_MENU, 'O'});
  EXPECT_TRUE(waitFor([&] { return !::IsWindowVisible(about); }, 5000)) << "Alt+O in the about box";

  ASSERT_TRUE(Activate(w.main));
  EXPECT_TRUE(program.close(w.main));
}
