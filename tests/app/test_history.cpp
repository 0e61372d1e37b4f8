#include "AppTestDir.h"
#include "controls/ComboBoxExt.h"
#include "settings/Iniregi.h"
#include "controls/uCombiEditCharHexFrame.h"
#include "win/GuiForm.h"
#include <gtest/gtest.h>

namespace {
struct HistoryTest : ::testing::Test {
  AppTestDir dir;
  std::string file = dir / "history.ini";
  win::Form* form = nullptr;
  void SetUp() override { form = new win::Form(nullptr, "F"); }
  void TearDown() override { form->release(); }
};
}  // namespace

TEST_F(HistoryTest, ComboBoxHistoryIsMostRecentFirstAndCaseSensitive) {
  auto* box = new TComboBoxExt(form, form, "PathComboBox");
  box->LoadHistory(file, "Path");
  EXPECT_EQ(box->count(), 0);
  EXPECT_EQ(box->HistoryFile, file);
  int leaves = 0;
  box->onMouseLeave = [&](win::Control&) { ++leaves; };
  for (const char* t : {"C:\\one", "C:\\two", "C:\\one", "c:\\ONE", ""}) {
    box->setText(t);
    box->mouseLeave();
  }
  EXPECT_EQ(leaves, 5);   // the event fires also when the text is empty
  EXPECT_EQ(box->items(), (std::vector<std::string>{"c:\\ONE", "C:\\one", "C:\\two"}));
  box->SaveHistory();
  EXPECT_EQ(ReadIniString(file, "Path", "Item1", ""), "\\\"c:\\ONE\\\"");
  auto* again = new TComboBoxExt(form, form, "Again");
  again->LoadHistory(file, "Path");
  EXPECT_EQ(again->items(), box->items());
}

TEST_F(HistoryTest, DamagedOrOddFilesLoadSafely) {
  struct Case { const char* count; std::vector<std::string> expected; } cases[] = {
      {"word", {}}, {"3", {"first", "", ""}}, {"-4", {}},
  };
  WriteIniString(file, "Mask", "Item1", "\\\"first\\\"");
  auto* box = new TComboBoxExt(form, form, "MaskComboBox");
  for (const auto& c : cases) {
    WriteIniString(file, "Mask", "ItemCount", c.count);
    box->LoadHistory(file, "Mask");
    EXPECT_EQ(box->items(), c.expected) << c.count;
  }
  // A huge count is capped instead of reading keys for minutes.
  WriteIniString(file, "Mask", "ItemCount", "2000000000");
  DWORD start = ::GetTickCount();
  box->LoadHistory(file, "Mask");
  EXPECT_EQ(box->count(), kHistoryMaxItems);
  EXPECT_LT(::GetTickCount() - start, 20000u);
}

TEST_F(HistoryTest, ShrunkHistoryLeavesOldKeysUnread) {
  std::vector<std::string> ten;
  for (int i = 1; i <= 10; ++i) ten.push_back("e" + std::to_string(i));
  WriteHistory(file, "Path", ten);
  WriteHistory(file, "Path", {"a", "b", "c", "d"});
  EXPECT_EQ(ReadHistory(file, "Path"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(ReadIniString(file, "Path", "Item10", ""), "\\\"e10\\\"");
}

TEST_F(HistoryTest, EntriesComeBackWholeOrAreNotStored) {
  std::string longest(kHistoryMaxStored - 4, 'p');
  longest[0] = 'A';
  longest.back() = 'Z';
  WriteHistory(file, "Path", {longest, longest + "x", "short"});
  EXPECT_EQ(ReadHistory(file, "Path"), (std::vector<std::string>{longest, "short"}));
  EXPECT_EQ(UnquoteHistoryEntry("\\\\\"\"x\\\""), "x");   // removed until none is left
}

namespace {
struct FrameTest : HistoryTest {
  TCombiEditCharHexFrame* frame = nullptr;
  void SetUp() override {
    HistoryTest::SetUp();
    frame = new TCombiEditCharHexFrame(form, form, "CombiEditCharHexFrameFromStr", 0, 0, 320, 66);
  }
  void typeHex(const std::string& hex, int caret = -1) {
    frame->HexStringComboBox->setText(hex);
    frame->HexStringComboBox->setSel(caret < 0 ? static_cast<int>(hex.size()) : caret, 0);
    frame->HexStringEditChange();
  }
  void typeChars(const std::string& text) {
    frame->CharComboBox->setText(text);
    frame->CharComboBoxKeyUp();
  }
};
}  // namespace

TEST_F(FrameTest, HexTypingKeepsTheCharacterBoxInStep) {
  typeHex("0d0a");
  EXPECT_EQ(frame->CharComboBox->text(), "..");
  EXPECT_EQ(frame->CharComboBox->style(), win::ComboStyle::DropDownList);
  EXPECT_EQ(frame->HexStringComboBox->text(), "0D0A");
  typeHex("41");
  EXPECT_EQ(frame->CharComboBox->style(), win::ComboStyle::DropDown);
  EXPECT_EQ(frame->CharComboBox->text(), "A");

  typeHex("4x1");
  EXPECT_EQ(frame->HexStringComboBox->text(), "41");
  EXPECT_EQ(frame->Value.Len, 1);
  EXPECT_EQ(frame->Value.Buffer[0], 0x41);
  typeHex("4x14", 2);
  EXPECT_EQ(frame->HexStringComboBox->text(), "414");
  EXPECT_EQ(frame->HexStringComboBox->selStart(), 2);   // the caret keeps its number
  typeHex("414");
  EXPECT_EQ(frame->HexStringComboBox->text(), "414");
  EXPECT_EQ(frame->Value.Len, 1);

  typeChars("Hi");
  EXPECT_EQ(frame->HexStringComboBox->text(), "4869");
  EXPECT_EQ(frame->Value.GetText(), "Hi");
}

TEST_F(FrameTest, PickingAnEntryTakesTheExactBytesOfItsHexItem) {
  WriteHistory(file, "FromString", {"410D0A", "4142", "00FF"});
  frame->LoadHistory(file, "FromString");
  EXPECT_EQ(frame->CharComboBox->items(), (std::vector<std::string>{"A..", "AB", ".\xFF"}));
  frame->CharComboBox->setItemIndex(0);
  frame->CharComboBoxClick();
  EXPECT_EQ(frame->Value.GetHex(), "410D0A");
  EXPECT_EQ(frame->HexStringComboBox->itemIndex(), 0);
  EXPECT_EQ(frame->CharComboBox->style(), win::ComboStyle::DropDownList);
  // A key released in the box that takes no typing must not turn the value into dots.
  frame->CharComboBoxKeyUp();
  EXPECT_EQ(frame->Value.GetHex(), "410D0A");

  frame->HexStringComboBox->setItemIndex(1);
  frame->HexStringComboBoxClick();
  EXPECT_EQ(frame->Value.GetText(), "AB");
  EXPECT_EQ(frame->CharComboBox->itemIndex(), 1);
  EXPECT_EQ(frame->CharComboBox->style(), win::ComboStyle::DropDown);
}

TEST_F(FrameTest, LeavingTheFrameMovesTheValueToTheTop) {
  frame->LoadHistory(file, "ToString");   // no file yet: empty, but the save creates it
  frame->mouseLeave();                    // value not set
  EXPECT_EQ(frame->HexStringComboBox->count(), 0);
  typeHex("");
  frame->mouseLeave();                    // set but empty
  EXPECT_EQ(frame->HexStringComboBox->count(), 0);
  for (const char* h : {"01", "02", "03"}) { typeHex(h); frame->mouseLeave(); }
  typeHex("01");                          // equal to the third entry
  frame->mouseLeave();
  EXPECT_EQ(frame->HexStringComboBox->items(), (std::vector<std::string>{"01", "03", "02"}));
  EXPECT_EQ(frame->CharComboBox->items(), (std::vector<std::string>{".", ".", "."}));
  frame->SaveHistory();
  EXPECT_EQ(ReadIniString(file, "ToString", "ItemCount", ""), "3");
  EXPECT_EQ(ReadHistory(file, "ToString"), (std::vector<std::string>{"01", "03", "02"}));
}

TEST_F(FrameTest, LongValuesRoundTripWholeOrStayOutOfTheFile) {
  std::string hex198, hex199;
  for (int i = 0; i < 198; ++i) hex198 += "4A";
  hex199 = hex198 + "4B";
  for (const std::string& h : {hex199, hex198}) { typeHex(h); frame->mouseLeave(); }
  frame->HistoryFile = file;
  frame->HistorySection = "FromString";
  frame->SaveHistory();
  frame->LoadHistory(file, "FromString");
  EXPECT_EQ(frame->HexStringComboBox->items(), (std::vector<std::string>{hex198}));
}

TEST_F(FrameTest, ControlBytesMakeTheCharacterBoxAListAndBackKeepingTextAndHistory) {
  WriteHistory(file, "FromString", {"4142", "0D0A"});
  frame->LoadHistory(file, "FromString");
  const auto history = frame->CharComboBox->items();
  typeHex("0d0a41");
  EXPECT_EQ(frame->CharComboBox->style(), win::ComboStyle::DropDownList);
  EXPECT_EQ(frame->CharComboBox->text(), "..A");
  EXPECT_EQ(frame->CharComboBox->items(), history);
  typeHex("4142");
  EXPECT_EQ(frame->CharComboBox->style(), win::ComboStyle::DropDown);
  EXPECT_EQ(frame->CharComboBox->text(), "AB");
  EXPECT_EQ(frame->CharComboBox->items(), history);
  typeChars("ABC");                       // the box takes typing again
  EXPECT_EQ(frame->Value.GetHex(), "414243");
}

TEST_F(FrameTest, BoxesAreLaidOutFromTheStartAndOnResize) {
  auto laidOut = [this](int width) {
    EXPECT_EQ(frame->CharComboBox->width(), width - frame->CharComboBox->left() - 3);
    EXPECT_EQ(frame->HexStringComboBox->width(), width - frame->HexStringComboBox->left() - 3);
    EXPECT_EQ(frame->HexStringComboBox->top(), frame->CharComboBox->top() + frame->CharComboBox->height() + 1);
    EXPECT_EQ(frame->HexStringLabel->top(), frame->HexStringComboBox->top());
  };
  laidOut(320);   // as created, before any resize
  frame->setBounds(0, 0, 400, 66);
  laidOut(400);
}
