// End to end, as a user of the German program fills in the strings: what the
// character box shows is what gets replaced, whether its text came by typing
// or by the context menu (paste, cut, undo); the box shows the display text
// of a value typed as hex whatever its style, and after a control byte it
// takes every key typed into it.
// Needs the display to itself (keys, clicks, the clipboard and the screen).
#include "AppInput.h"
#include "AppProgram.h"
#include "AppTestDir.h"
#include "settings/Iniregi.h"
#include "help/uHelpSteps.h"
#include "mainwindow/uSnRFormControlIds.h"
#include "model/uSnRJobBuilding.h"
#include <gtest/gtest.h>
#include <algorithm>

using namespace apptest;

namespace {

void setClipboard(const std::string& text) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  memcpy(::GlobalLock(g), text.c_str(), text.size() + 1);
  ::GlobalUnlock(g);
  ::SetClipboardData(CF_TEXT, g);
  ::CloseClipboard();
}

// The commands of an edit field's context menu, in the order of their
// text rows: Undo, Cut, Copy, Paste, Delete, Select All.
enum MenuRow { kUndo = 0, kCut = 1, kPaste = 3 };

// The vertical middles of the text rows of a shown menu, top down: bands of
// dark pixels at least 4 rows high (separators are a line or two).
std::vector<int> menuTextRows(HWND menu) {
  const RECT r = WindowRect(menu);
  const int w = r.right - r.left;
  const std::vector<COLORREF> px = ScreenPixels(r);
  std::vector<int> rows;
  int bandStart = -1;
  for (int y = 0; y <= r.bottom - r.top; ++y) {
    bool ink = false;
    for (int x = 6; y < r.bottom - r.top && x < w - 6 && !ink; ++x) {
      const COLORREF c = px[static_cast<size_t>(y * w + x)];
      ink = GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 160;
    }
    if (ink && bandStart < 0) bandStart = y;
    if (!ink && bandStart >= 0) {
      if (y - bandStart >= 4) rows.push_back(r.top + (bandStart + y) / 2);
      bandStart = -1;
    }
  }
  return rows;
}

// Opens the edit field's context menu with the right button and clicks a
// command with the left one, as a user pastes with the mouse alone: no key
// is pressed or released on the way. (The menu's window belongs to wine's
// desktop process, not to the program.)
void contextCommand(HWND box, MenuRow row) {
  ClickAt(Centre(box), true);
  HWND menu = nullptr;
  ASSERT_TRUE(waitFor([&] { return (menu = ::FindWindowA("#32768", nullptr)) != nullptr && ::IsWindowVisible(menu); }, 5000))
      << "no context menu";
  std::vector<int> rows;
  waitFor([&] { return (rows = menuTextRows(menu)).size() == 6; }, 3000);
  if (rows.size() == 6) {
    const RECT r = WindowRect(menu);
    ClickAt({r.left + 30, rows[static_cast<size_t>(row)]});
    if (waitFor([&] { return !::IsWindowVisible(menu); }, 5000)) return;
  }
  // A menu left open outlives the program on the display and takes its clicks.
  PressKeys({VK_ESCAPE});
  FAIL() << "the menu shows " << rows.size() << " text rows, not 6, or took no click";
}

// Replaces the text of an edit field by typing, as the user selects it first.
void retype(HWND box, const std::string& text) {
  ClickAt(Centre(box));
  PressKeys({VK_END});
  PressKeys({VK_SHIFT, VK_HOME});
  TypeText(text);
}

bool isList(HWND combo) { return (::GetWindowLongA(combo, GWL_STYLE) & 3) == CBS_DROPDOWNLIST; }

bool dark(COLORREF c) { return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128; }

// The dark pixels of a text drawn as a combo box's field draws it: the
// program's font, left-aligned after 2 pixels, centred in the height.
int darkPixelsOf(const std::string& text, int width, int height) {
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ oldBmp = ::SelectObject(mem, bmp);
  HFONT font = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  HGDIOBJ oldFont = ::SelectObject(mem, font);
  RECT r = {0, 0, width, height};
  ::FillRect(mem, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  r.left += 2;
  ::SetBkMode(mem, TRANSPARENT);
  ::DrawTextA(mem, text.c_str(), -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  int n = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) n += dark(::GetPixel(mem, x, y));
  ::SelectObject(mem, oldFont);
  ::DeleteObject(font);
  ::SelectObject(mem, oldBmp);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  return n;
}

// The field of a combo box on the screen: inside its border, left of its button.
RECT fieldOf(HWND combo) {
  RECT r = WindowRect(combo);
  return {r.left + 3, r.top + 3, r.right - ::GetSystemMetrics(SM_CXVSCROLL) - 3, r.bottom - 3};
}

int darkPixelsOn(const RECT& r) {
  int n = 0;
  for (COLORREF c : ScreenPixels(r)) n += dark(c);
  return n;
}

}  // namespace

TEST(StringsEndToEnd, WhatTheBoxShowsIsWhatGetsReplaced) {
  ASSERT_TRUE(AppTestDir::exists("QzSearchAndReplace.exe")) << "the program is built with the tests";
  AppTestDir dir;
  const std::string file = dir / "files\\a.txt";
  ::CreateDirectoryA((dir / "files").c_str(), nullptr);
  AppTestDir::write(file, "hello worldhello\r\n");
  const std::string data = dir / "appdata\\Qz-Rudize&Darozad Edo\\";
  ::CreateDirectoryA((dir / "appdata").c_str(), nullptr);
  ::CreateDirectoryA(data.c_str(), nullptr);
  WriteIniString(data + "QzSearchAndReplace.ini", "Generel", "Sprache", "0");
  Program program;
  Windows w;
  ASSERT_TRUE(StartActive(program, dir.path() + "appdata", w));
  HWND path = childById(w.main, idPathComboBox), mask = childById(w.main, idMaskComboBox);
  HWND fromChar = childById(w.main, idFromStrCharComboBox), fromHex = childById(w.main, idFromStrHexComboBox);
  HWND toHex = childById(w.main, idToStrHexComboBox), start = childById(w.main, idSnRButton);
  HWND helpList = childOfClass(w.help, "ListBox");
  ASSERT_TRUE(path && mask && fromChar && fromHex && toHex && start && helpList);

  // Path and mask by the keyboard: the labels "&Pfad" and "Datei&name".
  PressKeys({VK_MENU, 'P'});
  ASSERT_TRUE(waitFor([&] { return FocusedControl(w.main) == path; }, 3000)) << "Alt+P";
  TypeText(dir / "files");
  PressKeys({VK_MENU, 'N'});
  ASSERT_TRUE(waitFor([&] { return FocusedControl(w.main) == mask; }, 3000)) << "Alt+N";
  TypeText("*.txt");
  HWND label = childById(w.main, idFileSearchResultLabel);
  ASSERT_TRUE(waitFor([&] { return ControlText(label) == SnRScanText(0, true, 1); }, 20000)) << ControlText(label);
  HWND list = childById(w.main, idFileCheckListBox);
  ::SendMessageA(list, LB_SETCARETINDEX, 0, FALSE);
  ::SendMessageA(list, WM_CHAR, ' ', 0);

  // Pasted, cut and undone by the context menu of the empty old-string box.
  setClipboard("worldhello");
  contextCommand(fromChar, kPaste);
  EXPECT_TRUE(waitFor([&] { return ControlText(fromHex) == "776F726C6468656C6C6F"; }, 3000))
      << "after Paste: '" << ControlText(fromChar) << "', hex '" << ControlText(fromHex) << "'";
  EXPECT_TRUE(waitFor([&] { return ::IsWindowEnabled(start) != FALSE; }, 3000)) << "an old string is given";
  PressKeys({VK_END});
  PressKeys({VK_SHIFT, VK_HOME});
  contextCommand(fromChar, kCut);
  EXPECT_TRUE(waitFor([&] { return ControlText(fromChar).empty() && ControlText(fromHex).empty(); }, 3000))
      << "after Cut: hex '" << ControlText(fromHex) << "'";
  EXPECT_FALSE(::IsWindowEnabled(start));
  const std::vector<std::string> help = ListItems(helpList);
  EXPECT_NE(std::find(help.begin(), help.end(), HelpStepText(THelpStep::hsOldString, 0)), help.end())
      << "the help asks for the old string again; it lists " << help.size() << " steps, the first '"
      << (help.empty() ? "" : help[0]) << "'";
  contextCommand(fromChar, kUndo);
  EXPECT_TRUE(waitFor([&] { return ControlText(fromHex) == "776F726C6468656C6C6F"; }, 3000))
      << "after Undo: '" << ControlText(fromChar) << "', hex '" << ControlText(fromHex) << "'";
  EXPECT_EQ(ControlText(fromChar), "worldhello");

  // The new string typed as hex; Alt+D ("Radavi&&&Dezevud durchf...") starts.
  HWND toChar = childById(w.main, idToStrCharComboBox);
  retype(toHex, "58");
  ASSERT_TRUE(waitFor([&] { return ControlText(toChar) == "X"; }, 3000)) << ControlText(toChar);
  ASSERT_TRUE(waitFor([&] { return ::IsWindowEnabled(start) != FALSE; }, 3000));
  PressKeys({VK_MENU, 'D'});
  EXPECT_TRUE(waitFor([&] { return AppTestDir::read(file) == "hello X\r\n"; }, 30000))
      << "the file holds '" << AppTestDir::read(file) << "'";

  // "XYZ" typed into the character box goes to the top of its history when
  // the mouse leaves the frame; the hex 0D0A then shows as ".." in the box,
  // now a list.
  retype(toChar, "XYZ");
  ASSERT_TRUE(waitFor([&] { return ControlText(toHex) == "58595A"; }, 3000)) << ControlText(toHex);
  ::SetCursorPos(0, 0);
  ASSERT_TRUE(waitFor([&] { return ::SendMessageA(toHex, CB_GETCURSEL, 0, 0) == 0; }, 3000)) << "history entry";
  retype(toHex, "0D0A");
  ASSERT_TRUE(waitFor([&] { return isList(childById(w.main, idToStrCharComboBox)); }, 3000));
  toChar = childById(w.main, idToStrCharComboBox);
  EXPECT_TRUE(waitFor([&] { return ControlText(toChar) == ".."; }, 3000)) << "'" << ControlText(toChar) << "'";
  const RECT field = fieldOf(toChar);
  const int dots = darkPixelsOf("..", field.right - field.left, field.bottom - field.top);
  const int letter = darkPixelsOf("XYZ", field.right - field.left, field.bottom - field.top);
  ASSERT_GT(letter, 2 * dots + 4) << "the reference texts tell apart";
  EXPECT_TRUE(waitFor([&] { const int n = darkPixelsOn(field); return n > 0 && n <= 2 * dots + 2; }, 3000))
      << "the screen shows " << darkPixelsOn(field) << " dark pixels; \"..\" has " << dots << ", \"XYZ\" " << letter;

  // A control byte makes the old-string box a list; a click and "abc" typed
  // at once make it "abc", every key counting.
  // The box turns into a list at "0A", before the last two keys arrive.
  retype(fromHex, "0A41");
  ASSERT_TRUE(waitFor([&] { return ControlText(fromHex) == "0A41"; }, 3000)) << ControlText(fromHex);
  ASSERT_TRUE(waitFor([&] { return isList(childById(w.main, idFromStrCharComboBox)); }, 3000));
  fromChar = childById(w.main, idFromStrCharComboBox);
  EXPECT_TRUE(waitFor([&] { return ControlText(fromChar) == ".A"; }, 3000)) << "'" << ControlText(fromChar) << "'";
  ClickAt(Centre(fromChar));
  ::Sleep(300);
  TypeText("abc");
  EXPECT_TRUE(waitFor([&] { return ControlText(fromHex) == "616263"; }, 3000)) << "hex '" << ControlText(fromHex) << "'";
  fromChar = childById(w.main, idFromStrCharComboBox);
  EXPECT_EQ(ControlText(fromChar), "abc");
  EXPECT_FALSE(isList(fromChar));

  ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  EXPECT_TRUE(program.close(w.main));
}
