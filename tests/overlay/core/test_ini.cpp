#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "FakeSaveTimer.h"
#include "TempDir.h"
#include "uBufferedIniFile.h"
#include "win/DurableFile.h"
#include "uInifileHandling.h"
#include "win/Handles.h"

namespace {

class IniTest : public ::testing::Test {
protected:
  void TearDown() override { CloseBufferedIniFiles(); }
  std::string Saved(TBufferedIniFile& f) {
    f.Save();
    std::string data;
    ReadFileBytes(f.FileName(), data);
    return data;
  }
  FakeTimers timers;
  TempDir dir;
};

const char kTwoSections[] = "  ; comment\r\n[Alpha]\r\n  Color=1  \r\nkey = spaced\r\nName=a=b\r\n\r\n"
                            "[Beta]\nB=2\r[ Alpha ]\r\nX=hidden\r\n";

}  // namespace

TEST_F(IniTest, ReadsSectionsAndKeys) {
  WriteFileBytes(dir.file("a.ini"), kTwoSections);
  TBufferedIniFile f(dir.file("a.ini"));
  struct Case { const char *section, *key, *expected; } cases[] = {
      {"Beta", "B", "2"},          {"Gamma", "B", "def"},  {"ALPHA", "color", "1"},
      {"Alpha", "Name", "a=b"},    {"Alpha", "key", "def"}, {"Alpha", "B", "def"},
      {"Alpha", "X", "def"},       {" Alpha ", "X", "hidden"}};   // "[ Alpha ]" names " Alpha " only
  for (const auto& c : cases) EXPECT_EQ(f.ReadString(c.section, c.key, "def"), c.expected) << c.section << "/" << c.key;
  ASSERT_EQ(f.Lines().size(), 10u);
  EXPECT_EQ(f.Lines()[0], "; comment");   // lines are trimmed when read
  EXPECT_EQ(f.Lines()[2], "Color=1");
}

TEST_F(IniTest, WritesInPlaceWithExactBytes) {
  WriteFileBytes(dir.file("w.ini"), "[Alpha]\r\nColor=1\r\nkey = v\r\n\r\n[Beta]\r\nB=2");
  TBufferedIniFile f(dir.file("w.ini"));
  f.WriteString("Alpha", "color", "7");       // replaced, key in the case of the call
  f.WriteString("alpha", "New", "x");         // end of the first section: above the next header
  f.WriteString("Beta", "Last", "y");         // last section: after the file's last line
  f.WriteString("Alpha", "key", "w");         // "key = v" is not the key: a second line
  f.WriteString("Gamma", "G", "1");           // new section at the end, no blank line
  f.WriteString("Gamma", "H", "2");           // under the new header, not a second one
  EXPECT_EQ(Saved(f),
            "[Alpha]\r\ncolor=7\r\nkey = v\r\n\r\nNew=x\r\nkey=w\r\n[Beta]\r\nB=2\r\nLast=y\r\n"
            "[Gamma]\r\nG=1\r\nH=2\r\n");
  EXPECT_EQ(f.ReadString("Gamma", "H", ""), "2");
}

TEST_F(IniTest, MissingFileIsEmptyAndCreatedOnSave) {
  TBufferedIniFile f(dir.file("new.ini"));
  EXPECT_EQ(f.ReadString("S", "K", "d"), "d");
  EXPECT_FALSE(f.SavePending());
  f.WriteString("S", "K", "v");
  EXPECT_TRUE(f.SavePending());
  EXPECT_FALSE(FileExists(f.FileName()));
  f.Flush();
  EXPECT_FALSE(f.SavePending());
  std::string data;
  ASSERT_TRUE(ReadFileBytes(f.FileName(), data));
  EXPECT_EQ(data, "[S]\r\nK=v\r\n");
}

TEST_F(IniTest, OneSaveThirtySecondsAfterTheLastOfABurst) {
  TBufferedIniFile f(dir.file("burst.ini"));
  for (int i = 0; i < 10; ++i) {
    f.WriteString("S", "K" + std::to_string(i), "v");
    timers.Advance(1000);
  }
  // The tenth write was at 9 s: the save is due at 39 s.
  timers.Advance(29000 - 1);
  EXPECT_FALSE(FileExists(f.FileName()));
  timers.Advance(1);
  EXPECT_TRUE(FileExists(f.FileName()));
  EXPECT_FALSE(f.SavePending());
  ::DeleteFileA(f.FileName().c_str());
  timers.Advance(60000);
  EXPECT_FALSE(FileExists(f.FileName()));   // one save only
}

TEST_F(IniTest, UnloadSavesPendingChangesAtOnce) {
  const std::string name = dir.file("unload.ini");
  WriteIniInteger(name, "S", "N", 5);
  timers.Advance(1000);
  EXPECT_FALSE(FileExists(name));
  CloseBufferedIniFiles();
  std::string data;
  ASSERT_TRUE(ReadFileBytes(name, data));
  EXPECT_EQ(data, "[S]\r\nN=5\r\n");
  EXPECT_EQ(timers.count(), 0u);
}

TEST_F(IniTest, FailedSaveThrowsNothingAndStaysPending) {
  TBufferedIniFile f(dir.file("no\\such\\folder\\x.ini"));
  f.WriteString("S", "K", "v");
  EXPECT_FALSE(f.Save());
  EXPECT_TRUE(f.SavePending());
  timers.Advance(30000);   // the retry from the timer fails quietly too
  EXPECT_TRUE(f.SavePending());
}

TEST_F(IniTest, RegistryIsCaseInsensitiveAndReadsOnce) {
  const std::string name = dir.file("reg.ini");
  WriteFileBytes(name, "[S]\r\nK=disk\r\n");
  TBufferedIniFile& a = GetBufferedIniFile(name);
  EXPECT_EQ(&a, &GetBufferedIniFile(dir.path() + "\\REG.INI"));
  EXPECT_EQ(ReadIniString(name, "S", "K", ""), "disk");
  WriteFileBytes(name, "[S]\r\nK=changed\r\n");   // not seen: the file is read once
  EXPECT_EQ(ReadIniString(name, "s", "k", ""), "disk");
}

TEST_F(IniTest, IntegerReader) {
  const std::string name = dir.file("int.ini");
  struct Case { const char* text; int32_t expected; } cases[] = {
      {"12", 12},         {"-5", -5},           {"$10", 16},          {"0x1F", 31},
      {"x10", 16},        {"+7", 7},            {" 7", 7},            {"", -99},
      {"12ab", -99},      {"$", -99},           {"-", -99},           {"1.5", -99},
      {"2147483647", INT32_MAX},                {"-2147483648", INT32_MIN},
      {"2147483648", -99}, {"$FFFFFFFF", -1},   {"$100000000", -99}, {"99999999999999999999", -99}};
  int n = 0;
  for (const auto& c : cases) {
    std::string key = "K" + std::to_string(n++);
    IniFileWriteString(name, "S", key, c.text);
    EXPECT_EQ(ReadIniInteger(name, "S", key, -99), c.expected) << '"' << c.text << '"';
  }
  EXPECT_EQ(ReadIniInteger(name, "S", "missing", -42), -42);
  WriteIniInteger(name, "S", "neg", -123);
  EXPECT_EQ(ReadIniString(name, "S", "neg", ""), "-123");
}

TEST_F(IniTest, BooleanReader) {
  const std::string name = dir.file("bool.ini");
  EXPECT_TRUE(ReadIniBool(name, "S", "missing", true));
  EXPECT_FALSE(ReadIniBool(name, "S", "missing", false));
  IniFileWriteString(name, "S", "yes", "yes");
  EXPECT_FALSE(ReadIniBool(name, "S", "yes", true));
  WriteIniBool(name, "S", "on", true);
  WriteIniBool(name, "S", "off", false);
  EXPECT_EQ(ReadIniString(name, "S", "on", ""), "1");
  EXPECT_EQ(ReadIniString(name, "S", "off", ""), "0");
  EXPECT_TRUE(ReadIniBool(name, "S", "on", false));
}

TEST_F(IniTest, MultiLineAndOddTextsSurviveAReload) {
  const std::string name = dir.file("text.ini");
  const std::string texts[] = {"line one\n\rline two",  "tab\there",      "trailing blank ",
                               "C:\\pics\\new\\logo.bmp", "\\:looks escaped", "back\\slash\nx",
                               "",                         "plain"};
  int n = 0;
  for (const auto& t : texts) WriteIniString(name, "S", "T" + std::to_string(n++), t);
  CloseBufferedIniFiles();   // save, forget, and read the file afresh
  std::string data;
  ASSERT_TRUE(ReadFileBytes(name, data));
  EXPECT_NE(data.find("T0=\\:line one\\x0A\\x0Dline two\r\n"), std::string::npos);
  EXPECT_NE(data.find("T3=C:\\pics\\new\\logo.bmp\r\n"), std::string::npos);   // paths unchanged
  EXPECT_NE(data.find("T7=plain\r\n"), std::string::npos);
  n = 0;
  for (const auto& t : texts) EXPECT_EQ(ReadIniString(name, "S", "T" + std::to_string(n++), "?"), t);
  // Values written by older versions (no marker) read as they are.
  IniFileWriteString(name, "S", "old", "a\\x0Ab");
  EXPECT_EQ(ReadIniString(name, "S", "old", ""), "a\\x0Ab");
  // A default is never unescaped.
  EXPECT_EQ(ReadIniString(name, "S", "none", "\\:x\\\\"), "\\:x\\\\");
}

// Reads go through an index of the sections and of each section's keys; every
// write that adds lines moves the lines after it, and the index must follow.
TEST_F(IniTest, TheIndexFollowsEveryWrite) {
  WriteFileBytes(dir.file("i.ini"), "[A]\r\nk=1\r\nK=shadowed\r\n[b]\r\nx=2\r\n[B]\r\nx=hidden\r\ny=3\r\n");
  TBufferedIniFile f(dir.file("i.ini"));
  EXPECT_EQ(f.ReadString("a", "K", ""), "1");   // the first line of a key counts
  EXPECT_EQ(f.ReadString("B", "x", ""), "2");   // the first header of a name counts
  EXPECT_EQ(f.ReadString("B", "y", ""), "");
  for (int i = 0; i < 50; ++i) {
    f.WriteString("A", "n" + std::to_string(i), std::to_string(i));   // inserted above [b]
    f.WriteString("b", "x", "v" + std::to_string(i));                  // replaced in place
    ASSERT_EQ(f.ReadString("A", "n" + std::to_string(i), ""), std::to_string(i));
    ASSERT_EQ(f.ReadString("b", "X", ""), "v" + std::to_string(i));
    ASSERT_EQ(f.ReadString("A", "n0", ""), "0");
  }
  f.WriteString("New", "Key=With=Signs", "z");   // a key holding "=" is matched by its prefix
  EXPECT_EQ(f.ReadString("new", "key=with=signs", ""), "With=Signs=z");   // all after the first "="
  EXPECT_EQ(f.ReadString("new", "Key=With", ""), "With=Signs=z");
  EXPECT_EQ(f.ReadString("new", "Key", ""), "With=Signs=z");
  EXPECT_EQ(f.ReadString("new", "Key=Wit", ""), "");
  EXPECT_EQ(f.ReadString("A", "n49", ""), "49");
  EXPECT_EQ(f.Lines().back(), "Key=With=Signs=z");
}

// A save goes through the durable write (tested with the Win32 layer); one that
// fails stays pending and is tried again.
TEST_F(IniTest, AFailedSaveKeepsTheFileAndStaysPending) {
  const std::string name = dir.file("durable.ini");
  WriteFileBytes(name, "[S]\r\nK=old\r\n");
  TBufferedIniFile f(name);
  f.WriteString("S", "K", "new");
  win::SetDurableStepHook([](const char* step) { return std::string(step) != "flushed"; });
  EXPECT_FALSE(f.Save());
  win::SetDurableStepHook(nullptr);
  std::string data;
  ASSERT_TRUE(ReadFileBytes(name, data));
  EXPECT_EQ(data, "[S]\r\nK=old\r\n");
  EXPECT_TRUE(f.SavePending());
  EXPECT_TRUE(f.Save());
  ASSERT_TRUE(ReadFileBytes(name, data));
  EXPECT_EQ(data, "[S]\r\nK=new\r\n");
  WIN32_FIND_DATAA fd;
  EXPECT_EQ(::FindFirstFileA(dir.file("*.qznew").c_str(), &fd), INVALID_HANDLE_VALUE);
}

// A save that a kill cut short leaves a new file beside the INI file; the next
// run's first look at that file removes it.
TEST_F(IniTest, TheLeftoverOfAKilledSaveGoesWhenTheFileIsOpened) {
  const std::string name = dir.file("killed.ini");
  WriteFileBytes(name, "[S]\r\nK=v\r\n");
  WriteFileBytes(name + ".1f-1.qznew", "[S]\r\nK=cut");
  TBufferedIniFile f(name);
  EXPECT_EQ(f.ReadString("S", "K", ""), "v");
  EXPECT_FALSE(FileExists(name + ".1f-1.qznew"));
}
