// Names between their wide and 8-bit forms, and the long form of paths.
#include "win/FileNames.h"
#include "win/GuiControls.h"
#include "win/GuiForm.h"
#include <gtest/gtest.h>
#include "QzTestFiles.h"
#include "QzTestUnix.h"

using namespace win;

namespace {
const wchar_t kChinese[] = L"\u4E2D\u6587.txt";   // two characters no Western code page holds
const wchar_t kEmoji[] = L"\U0001F600.txt";        // one character, two UTF-16 units
}  // namespace

TEST(FileNames, EightBitFormsShowWhatTheCodePageCannotHoldAsQuestionMarks) {
  if (::GetACP() != 1252) GTEST_SKIP() << "written for code page 1252";
  struct Case { std::wstring wide; std::string shown, system; bool ansi; } cases[] = {
      {L"C:\\data\\a.txt", "C:\\data\\a.txt", "C:\\data\\a.txt", true},
      {L"\u00E4\u00DF\u20AC", "\xE4\xDF\x80", "\xE4\xDF\x80", true},   // in the code page, the euro sign too
      {kChinese, "??.txt", "??.txt", false},
      {kEmoji, "??.txt", "??.txt", false},
      // No look-alike stands in for a name; the system's own conversion takes one.
      {L"\u0142\u00F3d\u017A", "?\xF3" "d?", "l\xF3" "dz", false},
      {L"\uFF02q", "?q", "\"q", false},
      {L"", "", "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(WideToAnsi(c.wide), c.shown);
    EXPECT_EQ(WideToAnsiAsSystem(c.wide), c.system);
    EXPECT_EQ(HasAnsiForm(c.wide), c.ansi);
    if (c.ansi) {
      EXPECT_EQ(AnsiToWide(c.shown), c.wide);
    }
  }
  EXPECT_EQ(AnsiToWide("??.txt"), L"??.txt");   // the question marks stay question marks
}

TEST(FileNames, Utf8RoundTripAndInvalidBytesRefused) {
  for (const std::wstring& name : {std::wstring(kChinese), std::wstring(kEmoji), std::wstring(L"a\u00E4"), std::wstring()}) {
    std::wstring back = L"unset";
    ASSERT_TRUE(Utf8ToWide(WideToUtf8(name), back));
    EXPECT_EQ(back, name);
  }
  EXPECT_EQ(WideToUtf8(L"\u4E2D"), "\xE4\xB8\xAD");
  std::wstring kept = L"kept";
  EXPECT_FALSE(Utf8ToWide("\xE4\xF6", kept));   // 8-bit text is no UTF-8
  EXPECT_EQ(kept, L"kept");
}

TEST(FileNames, LongPathTakesTheLongFormOnlyWhereThePathCouldPassTheOldLimit) {
  const std::wstring longFolder = L"C:\\" + std::wstring(120, L'a') + L"\\" + std::wstring(120, L'b');
  const std::wstring longFile = longFolder + L"\\file.txt";   // 253 characters
  struct Case { std::wstring in, out; } cases[] = {
      {L"C:\\data\\a.txt", L"C:\\data\\a.txt"},                       // short: as it is
      {L"C:\\data\\..\\a.txt", L"C:\\data\\..\\a.txt"},
      {longFile, L"\\\\?\\" + longFile},
      {longFolder + L"\\x\\..\\file.txt", L"\\\\?\\" + longFile},     // the full form, resolved
      {L"C:/" + std::wstring(120, L'a') + L"/" + std::wstring(120, L'b') + L"/file.txt", L"\\\\?\\" + longFile},
      {L"\\\\server\\share\\" + std::wstring(250, L'c'), L"\\\\?\\UNC\\server\\share\\" + std::wstring(250, L'c')},
      {L"\\\\?\\" + longFile, L"\\\\?\\" + longFile},                 // already long
      {L"\\\\.\\NUL", L"\\\\.\\NUL"},                                  // a device
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(LongPath(c.in), c.out) << WideToAnsi(c.in);

  // A relative path takes the current folder's full form.
  wchar_t cwd[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::wstring rel = std::wstring(260, L'r');
  EXPECT_EQ(LongPath(rel), L"\\\\?\\" + std::wstring(cwd) + L"\\" + rel);
  EXPECT_EQ(FullPath(L"x.txt"), std::wstring(cwd) + L"\\x.txt");
}

TEST(FileNames, IsExistingFileTakesFilesOnlyAtAnyLength) {
  wchar_t cwd[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::wstring top = std::wstring(cwd) + L"\\existing-" + kChinese;
  const std::wstring deep = top + L"\\" + std::wstring(250, L'd');   // only in the long form
  qztest::RemoveTree(top);
  ASSERT_TRUE(qztest::MakeFolder(top));
  ASSERT_TRUE(qztest::MakeFolder(deep));
  ASSERT_TRUE(qztest::WriteWideFile(top + L"\\" + kEmoji, "x"));
  ASSERT_TRUE(qztest::WriteWideFile(deep + L"\\file.txt", "x"));
  struct Case { std::wstring path; bool file; } cases[] = {
      {top + L"\\" + kEmoji, true},
      {deep + L"\\file.txt", true},
      {L"\\\\?\\" + deep + L"\\file.txt", true},
      {top, false},                          // a folder
      {deep, false},
      {top + L"\\missing.txt", false},
      {deep + L"\\missing.txt", false},
      {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsExistingFile(c.path), c.file) << WideToAnsi(c.path);
  qztest::RemoveTree(top);
}

// A new name made through the form NewFilePath gives is the file every later call
// finds under the usual name, in a folder whose name needs the long form and
// holds characters outside the code page too.
TEST(FileNames, ANewNameMadeThroughItsFastFormIsTheFileOfItsUsualName) {
  wchar_t cwd[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::wstring top = std::wstring(cwd) + L"\\newname-" + kChinese;
  const std::wstring folder = top + L"\\" + std::wstring(250, L'f');
  qztest::RemoveTree(top);
  ASSERT_TRUE(qztest::MakeFolder(top));
  ASSERT_TRUE(qztest::MakeFolder(folder));
  const std::wstring name = folder + L"\\new " + kEmoji;
  const std::wstring fast = NewFilePath(name);
  if (qztest::UnderWineOnLinux()) {
    EXPECT_EQ(fast.compare(0, 9, L"\\\\?\\unix\\"), 0) << WideToAnsi(fast);
  }
  {
    HANDLE h = ::CreateFileW(fast.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    ::WriteFile(h, "made", 4, &put, nullptr);
    ::CloseHandle(h);
  }
  EXPECT_EQ(qztest::ReadWideFile(name), "made");
  // Taken is taken, through either form.
  EXPECT_EQ(::CreateFileW(fast.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  qztest::RemoveTree(top);
}

TEST(FileNames, ListItemsKeepTheirRealNamesWhereverTheyMove) {
  Form* form = new Form(nullptr, "NamesForm");
  auto* list = new CheckListBox(form, form, "List");
  list->addFileItem(kChinese);
  list->addItem("C:\\plain.txt", true);
  list->addFileItems({kEmoji, L"C:\\b.txt"});
  ASSERT_EQ(list->count(), 4);
  EXPECT_EQ(list->item(0), WideToAnsi(kChinese));
  EXPECT_EQ(list->itemNames(), (std::vector<std::wstring>{kChinese, L"C:\\plain.txt", kEmoji, L"C:\\b.txt"}));
  list->insertItem(0, "C:\\first.txt");
  list->deleteItem(2);
  EXPECT_EQ(list->itemNames(), (std::vector<std::wstring>{L"C:\\first.txt", kChinese, kEmoji, L"C:\\b.txt"}));
  list->setItemText(2, "C:\\renamed.txt");   // a new text names the file of that text
  EXPECT_EQ(list->itemName(2), L"C:\\renamed.txt");
  EXPECT_EQ(list->itemName(9), L"");
  list->clearItems();
  list->addItem("C:\\after.txt");
  EXPECT_EQ(list->itemNames(), std::vector<std::wstring>{L"C:\\after.txt"});
  form->release();
}
