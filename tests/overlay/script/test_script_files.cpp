// Script files: reading lines, SCRIPT lines, nesting, missing and unreadable files.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "ScriptRecorder.h"

namespace {

// A temporary folder of the test's own, removed with everything in it.
class ScriptFiles : public ::testing::Test {
protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "qz-script-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::GetTickCount());
    ASSERT_TRUE(::CreateDirectoryA(dir_.c_str(), nullptr));
  }
  void TearDown() override {
    for (const std::string& f : files_) ::DeleteFileA(f.c_str());
    ::RemoveDirectoryA(dir_.c_str());
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir_ + "\\" + name;
    std::ofstream(path, std::ios::binary) << text;
    files_.push_back(path);
    return path;
  }
  int32_t Run(const std::string& line) { return script_.ScriptCommand(line.c_str()); }

  std::string dir_;
  std::vector<std::string> files_;
  TRecordingTarget target_;
  TFakeHost host_;
  TScriptInterpreter script_{target_, host_};
};

TEST_F(ScriptFiles, RunsEveryLineAndIgnoresTheirResults) {
  const std::string path = Write("a.script",
                                 "POINT 1 1 0 0\r\n\r\n   \r\nsome free text\n"
                                 "LINE 0 0 1 1 PREVIOUSCREATEDELEMENT\r"
                                 "OPERATION 2 PREVIOUSCREATEDELEMENT 0 0 0\r\nPOINT x\n");
  EXPECT_EQ(script_.ScriptCommandFile(path.c_str()), 0);
  const std::vector<std::string> calls = {"Point(1,1,0,0)", "Line(0,0,1,1,1)",
                                          "Operation(2,2,0,0,0)"};
  EXPECT_EQ(target_.calls, calls);
  EXPECT_EQ(host_.log.size(), 7u * 3);  // each of the seven lines logs three lines
  EXPECT_EQ(host_.log[1], "  ScriptLine=POINT 1 1 0 0");
  EXPECT_EQ(host_.log.back(), "QzScreenOverlay_ScriptCommand [-101]");
  EXPECT_EQ(script_.PreviousCreatedID(), 2);
}

// A file is read at the speed of the disk: a line that cannot be a command costs no
// call to the system, and only lines that need the display's size ask for it.
TEST_F(ScriptFiles, FreeTextCostsNoSystemCallsPerLine) {
  std::string text;
  for (int i = 0; i < 2000; ++i)
    text += i % 2 ? "Points and lines of free text, 50% of them\r\n" : "  the quick brown fox\n";
  text += "POINTS 1 2 3 4\nPOINT 10 20 0 255\nLINE 0 0 SCREENWIDTH 5 0\nPOINT 50% 1 0 0\n";
  const std::string path = Write("free.script", text);
  EXPECT_EQ(script_.ScriptCommandFile(path.c_str()), 0);
  EXPECT_EQ(target_.calls, (std::vector<std::string>{"Point(10,20,0,255)", "Line(0,0,1365,5,0)",
                                                     "Point(682,1,0,0)"}));
  EXPECT_EQ(host_.screenQueries, 4);  // the constant's line and the percentage's line
  EXPECT_EQ(host_.passes, 0);
  EXPECT_EQ(host_.log.size(), 2004u * 3);  // logging still sees every line
}

TEST_F(ScriptFiles, ScriptLineRunsTheFileAndLeavesZero) {
  const std::string path = Write("b.script", "POINT 1 1 0 0\nPOINT 2 2 0 0\n");
  EXPECT_EQ(Run("SCRIPT " + path), 0);
  EXPECT_EQ(target_.calls.size(), 2u);
  EXPECT_EQ(script_.PreviousCreatedID(), 0);
  EXPECT_EQ(Run("script " + path), 0);  // the command word in any case

  // Missing files: -1, and the previous object stays current.
  EXPECT_EQ(Run("POINT 3 3 0 0"), 5);
  EXPECT_EQ(Run("SCRIPT " + dir_ + "\\missing.script"), -1);
  EXPECT_EQ(script_.ScriptCommandFile((dir_ + "\\missing.script").c_str()), -1);
  EXPECT_EQ(script_.ScriptCommandFile(dir_.c_str()), -1);  // a folder is no file
  EXPECT_EQ(script_.ScriptCommandFile(""), -1);
  EXPECT_EQ(script_.ScriptCommandFile(nullptr), -1);
  EXPECT_EQ(script_.PreviousCreatedID(), 5);
}

TEST_F(ScriptFiles, LineBreaksAndTheEndOfText) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb", {"a", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\rb\n", {"a", "", "b"}},
      {"\n", {""}},
      {"", {}},
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitScriptText(c.text), c.lines);

  const std::string path = Write("zero.script", std::string("POINT 1 1 0 0\n\0POINT 2 2 0 0", 28));
  EXPECT_EQ(script_.ScriptCommandFile(path.c_str()), 0);
  EXPECT_EQ(target_.calls.size(), 1u);
}

TEST_F(ScriptFiles, RelativeNamesComeFromTheCurrentFolder) {
  Write("rel.script", "POINT 4 4 0 0");
  char old[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, old);
  ASSERT_TRUE(::SetCurrentDirectoryA(dir_.c_str()));
  const int32_t direct = script_.ScriptCommandFile("rel.script");
  const int32_t line = Run("SCRIPT rel.script");
  ::SetCurrentDirectoryA(old);
  EXPECT_EQ(direct, 0);
  EXPECT_EQ(line, 0);
  EXPECT_EQ(target_.calls.size(), 2u);
}

TEST_F(ScriptFiles, FilesThatRunThemselvesEnd) {
  // Directly: the file runs once per level of nesting, then its SCRIPT line is refused.
  const std::string self = dir_ + "\\self.script";
  Write("self.script", "POINT 1 1 0 0\nSCRIPT " + self + "\n");
  EXPECT_EQ(script_.ScriptCommandFile(self.c_str()), 0);
  EXPECT_EQ(target_.calls.size(), size_t(TScriptInterpreter::MaxFileNesting));

  // Through another file, and doubling at every level: still ends.
  target_.calls.clear();
  const std::string a = dir_ + "\\a.script", b = dir_ + "\\b.script";
  Write("a.script", "SCRIPT " + b + "\nSCRIPT " + b + "\n");
  Write("b.script", "POINT 1 1 0 0\nSCRIPT " + a + "\n");
  EXPECT_EQ(Run("SCRIPT " + a), 0);
  EXPECT_EQ(target_.calls.size(), 62u);  // 2 + 4 + 8 + 16 + 32 points at b's five levels

  // The nesting count is back at zero: a plain file still runs.
  target_.calls.clear();
  const std::string plain = Write("plain.script", "POINT 1 1 0 0");
  EXPECT_EQ(script_.ScriptCommandFile(plain.c_str()), 0);
  EXPECT_EQ(target_.calls.size(), 1u);
}

TEST_F(ScriptFiles, UnreadableFileGivesMinusOne) {
  const std::string path = Write("locked.script", "POINT 1 1 0 0");
  HANDLE lock = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(script_.ScriptCommandFile(path.c_str()), -1);
  EXPECT_EQ(Run("POINT 1 1 0 0"), 1);
  EXPECT_EQ(Run("SCRIPT " + path), -1);
  EXPECT_EQ(script_.PreviousCreatedID(), 1);
  ::CloseHandle(lock);
  EXPECT_EQ(target_.calls.size(), 1u);
}

}  // namespace
