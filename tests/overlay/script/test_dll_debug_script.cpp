// Debug mode through the real library: script lines in the log, and the script written at
// finalisation replayed after a reload writes the same script again.
#include "OverlayDll.h"

namespace {

std::string HostFileName() {
  char name[MAX_PATH];
  ::GetModuleFileNameA(nullptr, name, MAX_PATH);
  return name;
}

std::string HostFolder() {
  const std::string name = HostFileName();
  return name.substr(0, name.rfind('\\') + 1);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// The log line's text after "<name> [<ticks>] : ".
std::vector<std::string> LogTexts(const std::string& log) {
  std::vector<std::string> texts;
  for (const std::string& line : Lines(log)) {
    const size_t at = line.find("] : ");
    if (at != std::string::npos) texts.push_back(line.substr(at + 4));
  }
  return texts;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  for (const std::string& x : v)
    if (x == s) return true;
  return false;
}

class DebugScript : public ::testing::Test {
protected:
  void SetUp() override {
    marker_ = HostFileName() + ".debug";
    script_ = HostFolder() + "Qz-DarariRuzoriv.script";
    log_ = HostFolder() + "Qz-DarariRuzoriv.log";
    HANDLE h = ::CreateFileA(marker_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);
  }
  void TearDown() override {
    dll_.Unload();
    for (const std::string& f : {marker_, script_, log_}) ::DeleteFileA(f.c_str());
  }
  // Loads the library in debug mode, runs `run`, finalises; the script and the log written.
  void Session(const std::function<void()>& run, std::string& script, std::string& log) {
    ::DeleteFileA(script_.c_str());
    ::DeleteFileA(log_.c_str());
    ASSERT_TRUE(dll_.Load());
    EXPECT_EQ(dll_.Clear(), 0);
    run();
    EXPECT_EQ(dll_.Finalize(), -1);
    dll_.Unload();
    script = ReadFileBytes(script_);
    log = ReadFileBytes(log_);
  }
  TOverlayDll dll_;
  std::string marker_, script_, log_;
};

TEST_F(DebugScript, ReplayedScriptWritesItselfAgain) {
  TTempFolder folder;
  const std::string bmp = folder.Write("small.bmp", SmallBitmap());
  const std::vector<std::string> lines = {
      "POINT 100 200 1 255",
      "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 3 0 0",
      "LINE 10 20 300 400 $FF00",
      "OPERATION OVERLAYELEMENT_OPERATION_SETCOLOR PREVIOUSCREATEDELEMENT $FF0000 0 0",
      "RECTANGLE 50 60 250 160 255",
      "OPERATION OVERLAYELEMENT_OPERATION_ISFILLED PREVIOUSCREATEDELEMENT TRUE 0 0",
      "ELLIPSE 100 100 300 200 65280",
      "POLYLINE 3 10 10 200 10 200 200 255",
      "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 4 0 0",
      "TEXT 10 10 ''Hello world'' ''Arial'' 12 TRUE FALSE 0",
      "BITMAPBYFILENAME 20 30 ''" + bmp + "'' $FF00FF",
      "BITMAPBYRESOURCE 5 6 4194304 ''NOSUCHBITMAP'' 0",
      "no command",
      "WAIT 10",
  };
  std::string first, firstLog;
  Session([&] { for (const std::string& l : lines) dll_.Run(l); }, first, firstLog);
  ASSERT_FALSE(first.empty());
  size_t creating = 0;  // one creating line per object, the rest OPERATION lines
  for (const std::string& l : Lines(first)) creating += l.rfind("OPERATION ", 0) != 0;
  EXPECT_EQ(creating, 8u);
  const std::vector<std::string> written = Lines(first);
  ASSERT_GE(written.size(), 2u);
  EXPECT_EQ(written[0], "POINT 100 200 1 255");
  EXPECT_EQ(written[1], "OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT 3 0 0");

  // The log holds each line as passed with its result, and what the lines called.
  const std::vector<std::string> log = LogTexts(firstLog);
  EXPECT_TRUE(Contains(log, "QzScreenOverlay_ScriptCommand"));
  EXPECT_TRUE(Contains(log, "  ScriptLine=POINT 100 200 1 255"));
  EXPECT_TRUE(Contains(log, "QzScreenOverlay_ScriptCommand [1]"));
  EXPECT_TRUE(Contains(log, "  ScriptLine=no command"));
  EXPECT_TRUE(Contains(log, "  ScriptLine=WAIT 10"));
  EXPECT_TRUE(Contains(log, "QzScreenOverlay_ScriptCommand [-1]"));
  EXPECT_TRUE(Contains(log, "  Instance = 4194304"));
  EXPECT_TRUE(Contains(log, "  ResourceName (Type=BITMAP) = NOSUCHBITMAP"));
  EXPECT_TRUE(Contains(log, "  Point(100/200)"));

  // Replayed after a reload, the objects write the same script.
  const std::string copy = folder.Write("replay.script", first);
  std::string second, secondLog;
  Session([&] { EXPECT_EQ(dll_.ScriptCommandFile(copy.c_str()), 0); }, second, secondLog);
  EXPECT_EQ(second, first);
  EXPECT_EQ(Lines(first).size(), Lines(second).size());
}

}  // namespace
