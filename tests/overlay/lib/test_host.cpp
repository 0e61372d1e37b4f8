// The library in a host program's folder, loaded at program start: debug mode
// by marker file, the log and script files written at finalisation.
#include <windows.h>
#include <gtest/gtest.h>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadWholeFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Splits at CR LF; every line, the last too, must end with CR LF.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back("<no CR LF>" + text.substr(pos));
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// A folder of its own holding a copy of the host program and the library.
class HostFolder : public ::testing::Test {
protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "qz-ovlib-host-" + std::to_string(GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    CreateDirectoryA(dir_.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA("overlayhost.exe", (dir_ + "overlayhost.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA("Qz-DarariRuzoriv.dll", (dir_ + "Qz-DarariRuzoriv.dll").c_str(), FALSE));
  }
  void TearDown() override {
    for (const char* f : {"overlayhost.exe", "Qz-DarariRuzoriv.dll", "overlayhost.exe.debug", "Qz-DarariRuzoriv.log",
                          "replay.script"})
      DeleteFileA((dir_ + f).c_str());
    const std::string script = dir_ + "Qz-DarariRuzoriv.script";
    if (!DeleteFileA(script.c_str())) RemoveDirectoryA(script.c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  void Marker() { std::ofstream(dir_ + "overlayhost.exe.debug") << ""; }

  // Runs the host with the arguments in its folder; returns what it printed.
  std::string Run(const std::string& args) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return "<no pipe>";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + dir_ + "overlayhost.exe\" " + args;
    const BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, dir_.c_str(), &si, &pi);
    CloseHandle(writeEnd);
    std::string out;
    if (started) {
      char buf[4096];
      DWORD n = 0;
      while (::ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
      WaitForSingleObject(pi.hProcess, 60000);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    CloseHandle(readEnd);
    return started ? out : "<not started>";
  }

  std::string dir_;
};

const char* const kCalls =
    "point 10 20 0 255 line 1 2 3 4 4294967295 polyline 2 5 6 70 80 65280 "
    "text 10 10 Hi Arial 12 1 0 255 bitmap 1 1 missing.bmp 0 rect 1 2 3 4 16711680 "
    "op 99 1 2 3 4 callback finalize";

TEST_F(HostFolder, DebugModeLogsEveryCallAndWritesAScriptOfTheObjects) {
  Marker();
  const std::string out = Run(kCalls);
  EXPECT_NE(out.find("finalize -1"), std::string::npos) << out;

  const std::vector<std::string> raw = CrLfLines(ReadWholeFile(dir_ + "Qz-DarariRuzoriv.log"));
  const std::regex prefix(R"(^Ro-Dadoridirir\.DLL \[\d+\] : )");
  std::vector<std::string> lines;
  for (const std::string& line : raw) {
    EXPECT_TRUE(std::regex_search(line, prefix)) << line;
    lines.push_back(std::regex_replace(line, prefix, ""));
  }
  const std::vector<std::string> expected = {
      "DLL initialized",
      "QzScreenOverlay_Point", "  Point(10/20)", "  Color = 255 = RGB(255/0/0)", "QzScreenOverlay_Point [1]",
      "QzScreenOverlay_Line", "  StartPoint(1/2)", "  EndPoint(3/4)",
      "  Color = 4294967295 = RGB(255/255/255)", "QzScreenOverlay_Line [2]",
      "QzScreenOverlay_Polyline", "  NumPoint = 2", "  Color = 65280 = RGB(0/255/0)", "  Point[1] (5/6)",
      "  Point[2] (70/80)", "  Color = 65280 = RGB(0/255/0)", "QzScreenOverlay_Polyline [3]",
      "QzScreenOverlay_Text", "  Point(10/10)", "  Text = Hi", "  Font [Name=Arial Size=12]",
      "        Bold = TRUE", "        Italic = FALSE]", "  Color = 255 = RGB(255/0/0)", "QzScreenOverlay_Text [4]",
      "QzScreenOverlay_BitmapByFile", "  Point(1/1)", "  FileName = missing.bmp",
      "      ERROR: file does not exist", "  TransparentColor = 0 = RGB(0/0/0)", "QzScreenOverlay_BitmapByFile [-2]",
      "QzScreenOverlay_Rectangle", "  Rect(1/2/3/4)", "  Color = 16711680 = RGB(0/0/255)",
      "QzScreenOverlay_Rectangle [5]",
      "QzScreenOverlay_Operation", "  Operation 99", "  ID 1", "  Value 1/2/3 = 2 / 3 / 4",
      "QzScreenOverlay_Operation [0]",
      "QzScreenOverlay_Finalize", "DLL finalized",
  };
  EXPECT_EQ(lines, expected);

  // One creating line per object, in list order, each followed by its options.
  const std::vector<std::string> script = CrLfLines(ReadWholeFile(dir_ + "Qz-DarariRuzoriv.script"));
  std::vector<std::string> commands;
  for (const std::string& line : script)
    if (line.rfind("OPERATION ", 0) != 0) commands.push_back(line.substr(0, line.find(' ')));
  EXPECT_EQ(commands, (std::vector<std::string>{"POINT", "LINE", "POLYLINE", "TEXT", "RECTANGLE"}));
  ASSERT_FALSE(script.empty());
  EXPECT_EQ(script[0], "POINT 10 20 0 255");
  // Both went through a new file beside them, which took their name.
  WIN32_FIND_DATAA fd;
  EXPECT_EQ(::FindFirstFileA((dir_ + "*.qznew").c_str(), &fd), INVALID_HANDLE_VALUE);
}

TEST_F(HostFolder, WithoutTheMarkerNoFileIsWritten) {
  const std::string out = Run(kCalls);
  EXPECT_NE(out.find("finalize -1"), std::string::npos) << out;
  EXPECT_FALSE(Exists(dir_ + "Qz-DarariRuzoriv.log"));
  EXPECT_FALSE(Exists(dir_ + "Qz-DarariRuzoriv.script"));
}

TEST_F(HostFolder, AFailedScriptFileStillDestroysTheWindow) {
  Marker();
  // A folder in the way of the script file makes writing it fail.
  ASSERT_TRUE(CreateDirectoryA((dir_ + "Qz-DarariRuzoriv.script").c_str(), nullptr));
  const std::string out = Run("point 1 1 0 0 windows finalize windows finalize point 2 2 0 0");
  EXPECT_NE(out.find("windows 1\r\nfinalize -2\r\nwindows 0\r\n"), std::string::npos) << out;
  // Its log was not saved then; the next finalisation saves it.
  EXPECT_NE(out.find("finalize -1\r\npoint 1\r\n"), std::string::npos) << out;
  const std::string log = ReadWholeFile(dir_ + "Qz-DarariRuzoriv.log");
  EXPECT_NE(log.find("QzScreenOverlay_Finalize [-2]"), std::string::npos);
  EXPECT_NE(log.find("DLL finalized"), std::string::npos);
}

TEST_F(HostFolder, UnloadingWithoutFinalizeStillWritesTheFiles) {
  Marker();
  Run("point 10 20 0 255");
  const std::string log = ReadWholeFile(dir_ + "Qz-DarariRuzoriv.log");
  EXPECT_NE(log.find("QzScreenOverlay_Finalize\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("DLL finalized\r\n"), std::string::npos) << log;
  EXPECT_EQ(CrLfLines(ReadWholeFile(dir_ + "Qz-DarariRuzoriv.script")), std::vector<std::string>{"POINT 10 20 0 255"});
}

TEST_F(HostFolder, FinalizeTwiceAndDrawingAfterwardsStartsANewWindow) {
  Marker();
  const std::string out = Run("point 1 1 0 0 point 2 2 0 0 finalize finalize windows point 3 3 0 0 windows");
  EXPECT_NE(out.find("point 2\r\nfinalize -1\r\nfinalize -1\r\nwindows 0\r\npoint 1\r\nwindows 1\r\n"),
            std::string::npos)
      << out;
  // Debug mode ended with the first finalisation: the second wrote nothing more.
  const std::string log = ReadWholeFile(dir_ + "Qz-DarariRuzoriv.log");
  EXPECT_EQ(log.find("QzScreenOverlay_Finalize [-1]"), std::string::npos);
  EXPECT_NE(log.find("DLL finalized\r\n"), std::string::npos);
  EXPECT_EQ(log.size(), log.find("DLL finalized\r\n") + 15);
}

TEST_F(HostFolder, TheScriptWrittenAtFinalisationRecreatesTheSameObjects) {
  Marker();
  Run("point 10 20 0 255 line 1 2 3 4 255 rect 5 6 70 80 65280 op 3 3 4 0 0 "
      "text 30 40 Hello Arial 12 0 1 16711680 finalize");
  const std::string first = ReadWholeFile(dir_ + "Qz-DarariRuzoriv.script");
  ASSERT_NE(first.find("OPERATION"), std::string::npos) << first;  // the rectangle's line width
  ASSERT_TRUE(MoveFileA((dir_ + "Qz-DarariRuzoriv.script").c_str(), (dir_ + "replay.script").c_str()));
  const std::string out = Run("scriptfile replay.script finalize");
  EXPECT_NE(out.find("scriptfile 0\r\nfinalize -1"), std::string::npos) << out;
  EXPECT_EQ(ReadWholeFile(dir_ + "Qz-DarariRuzoriv.script"), first);
  // Single lines go through the same interpreter.
  EXPECT_NE(Run("\"script\" \"POINT 1 2 0 255\" \"script\" \"no command\"").find("script 1\r\nscript -1\r\n"),
            std::string::npos);
}

}  // namespace
