// End to end: the program of this build folder started with a complete
// command line works off its jobs and ends by itself; a batch file exported
// for the same job, run by the command interpreter, does it again.
#include "test_batch_tools.h"
#include "uSnRBatchFile.h"
#include <gtest/gtest.h>

using batchtest::exists;
using batchtest::Folder;
using batchtest::readFile;
using batchtest::writeFile;

namespace {

class BatchEndToEnd : public ::testing::Test {
protected:
  void SetUp() override {
    char cwd[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    program = std::string(cwd) + "\\QzSearchAndReplace.exe";
    ASSERT_TRUE(exists(program)) << "build the program first: " << program;
    ::CreateDirectoryA((dir / "appdata").c_str(), nullptr);
    ::CreateDirectoryA(files.c_str(), nullptr);
  }
  std::string file(const std::string& name, const std::string& content) {
    writeFile(files + "\\" + name, content);
    return files + "\\" + name;
  }
  std::string resultLog() const { return readFile(dir / "appdata\\Qz-Rudize&Darozad Edo\\result.log"); }
  // Runs commandLine in the test folder with the program's data folder in it.
  bool run(const std::string& commandLine, DWORD timeoutMs = 60000) {
    ::SetEnvironmentVariableA("QZ_APPDATA", (dir / "appdata").c_str());
    const bool ended = batchtest::runAndWait(commandLine, dir.path(), timeoutMs, &exitCode);
    ::SetEnvironmentVariableA("QZ_APPDATA", nullptr);
    return ended;
  }

  Folder dir{"batche2e"};
  std::string files = dir / "files";
  std::string program;
  DWORD exitCode = 0;
};

}  // namespace

TEST_F(BatchEndToEnd, ACompleteCommandLineRewritesTheFilesAndEndsByItself) {
  const std::string a = file("a.txt", "xxABxxAB"), b = file("b.txt", "no match"), c = file("c.dat", "AB");
  ASSERT_TRUE(run("\"" + program + "\" -F" + files + "\\*.txt -Oh4142 -Nh4344 -B -G -C"))
      << "the program did not end by itself";
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(readFile(a), "xxCDxxCD");
  EXPECT_EQ(readFile(b), "no match");
  EXPECT_EQ(readFile(c), "AB");
  EXPECT_EQ(readFile(a + ".0.snr_bak"), "xxABxxAB");
  EXPECT_FALSE(exists(c + ".0.snr_bak"));
  const std::string log = resultLog();
  EXPECT_NE(log.find(a + "\r\nAB [4142] --> CD [4344] :\r\n2 replacements\r\n\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(b + "\r\nAB [4142] --> CD [4344] :\r\n0 replacements\r\n"), std::string::npos) << log;
}

TEST_F(BatchEndToEnd, AnExportedBatchFileRepeatsTheJob) {
  // Names that the command interpreter would otherwise take for commands or variables.
  const std::string names[] = {"R&D 100%.txt", "a^b (1).txt", "x;y=z,w!.txt", "on"};
  for (const std::string& n : names) file(n, "1 AB 2 AB");
  TSnRBatchRequest r;
  r.ProgramFile = program;
  for (const std::string& n : names) r.Files.push_back(files + "\\" + n);
  r.OldHex = "4142";
  r.NewHex = "4344";
  ASSERT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));
  ASSERT_TRUE(run("cmd.exe /c \"job.bat < nul > out.txt 2>&1\"")) << readFile(dir / "out.txt");
  for (const std::string& n : names) {
    const std::string p = files + "\\" + n;
    EXPECT_EQ(readFile(p), "1 CD 2 CD") << n;
    EXPECT_EQ(readFile(p + ".0.snr_bak"), "1 AB 2 AB") << n;   // -B is always in the call
    EXPECT_NE(resultLog().find(p + "\r\n"), std::string::npos) << n;
  }
  EXPECT_FALSE(exists(dir / "tmpfilelist.snr"));   // the batch waited for the program, then cleaned up

  // Multi-line text with an empty new text deletes the text.
  const std::string t = file("text.txt", "keep\r\none\r\ntwo\r\nkeep");
  r.Files = {t};
  r.MultiLine = true;
  r.OldLines = {"ONE", "Two"};
  r.NewLines = {};
  r.CaseSensitive = false;
  ASSERT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));
  ASSERT_TRUE(run("cmd.exe /c \"job.bat < nul > out.txt 2>&1\"")) << readFile(dir / "out.txt");
  EXPECT_EQ(readFile(t), "keep\r\n\r\nkeep");
  EXPECT_FALSE(exists(dir / "tmpfileNewtext.snr"));
}
