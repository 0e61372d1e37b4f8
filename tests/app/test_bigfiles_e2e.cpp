// End to end, the program of this build folder reading its files through small
// windows (the test seam QZ_TEST_INPUT_WINDOW), so that files of a few hundred KiB
// cross hundreds of window boundaries: each mode writes what the engine writes
// with the whole file in one window, and a regular-expression match longer than a
// window fails its job alone. The program may use the address space above 2 GiB.
#include "test_batch_tools.h"
#include "uExtPChar.h"
#include "uSearchAndReplaceThread.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

using batchtest::readFile;
using batchtest::writeFile;

namespace {

// The hex digits the command line takes, as the batch files give them.
std::string hex(const std::string& bytes) {
  TExtPChar v;
  v.SetText(bytes);
  return v.GetHex();
}

// Text lines of words, numbers and needles, with a few bytes between runs of
// text; Size bytes or a little more.
std::string textFile(size_t size, unsigned seed) {
  static const char* words[] = {"needle", "Needle", "neeedle", "noodle", "12", "3456", "x", "the", "of"};
  std::string t;
  while (t.size() < size) {
    seed = seed * 1103515245u + 12345u;
    const unsigned r = seed >> 16;
    t += words[r % 9];
    t += r % 13 == 0 ? "\r\n" : (r % 97 == 0 ? "\x02" : " ");
  }
  return t;
}

class BigFilesEndToEnd : public batchtest::ProgramTest {
protected:
  BigFilesEndToEnd() : ProgramTest("bigfiles") {}
  void SetUp() override {
    ProgramTest::SetUp();
    if (HasFatalFailure()) return;
    ::CreateDirectoryA(expected.c_str(), nullptr);
  }
  // One batch run over the folder's *.txt files, every file read through windows
  // of Window bytes.
  bool run(const std::string& search, const std::string& repl, const char* mode, const std::string& window) {
    ::SetEnvironmentVariableA("QZ_TEST_INPUT_WINDOW", window.c_str());
    const bool ended = ProgramTest::run("\"" + program + "\" \"-F" + files + "\\*.txt\" -Oh" + hex(search) + " -Nh" +
                                        hex(repl) + " " + mode + " -G -C");
    ::SetEnvironmentVariableA("QZ_TEST_INPUT_WINDOW", nullptr);
    return ended;
  }
  // What the engine makes of Content in one window, in this process.
  std::string oneWindow(const std::string& content, const std::string& search, const std::string& repl,
                        uint8_t mode) {
    const std::string name = expected + "\\f.txt";
    writeFile(name, content);
    TSearchAndReplaceThread engine;
    engine.ProcessFile(name, search.data(), static_cast<int>(search.size()), mode, repl.data(),
                       static_cast<int>(repl.size()), false, 0);
    return readFile(name);
  }

  std::string expected = dir / "expected";
};

}  // namespace

TEST_F(BigFilesEndToEnd, EachModeThroughSmallWindowsWritesWhatOneWindowWrites) {
  // Mapped files and one read at once.
  const std::vector<std::string> contents = {textFile(300000, 1), textFile(40000, 2), textFile(150000, 3)};
  struct Mode { const char* option; uint8_t mode; std::string search, repl; };
  const Mode modes[] = {
      {"-CS1", smCaseSensitive, "needle", "pin"},
      {"-CS0", smIgnoreCase, "NEEDLE", "p"},
      {"-RE1", smRegExpr, "[0-9]+", "<$&>"},
  };
  // A number longer than a window: its job fails alone, the file untouched.
  const std::string longMatch = "a " + std::string(5000, '7') + " b";
  for (const Mode& m : modes) {
    std::vector<std::string> want;
    for (size_t i = 0; i < contents.size(); ++i) {
      writeFile(files + "\\f" + std::to_string(i) + ".txt", contents[i]);
      want.push_back(oneWindow(contents[i], m.search, m.repl, m.mode));
      ASSERT_NE(want.back(), contents[i]) << m.search;
    }
    writeFile(files + "\\a long.txt", longMatch);
    ASSERT_TRUE(run(m.search, m.repl, m.option, "1000")) << "the program did not end by itself";
    EXPECT_EQ(exitCode, 0u);
    for (size_t i = 0; i < contents.size(); ++i)
      EXPECT_TRUE(readFile(files + "\\f" + std::to_string(i) + ".txt") == want[i]) << m.search << " file " << i;
  }
  EXPECT_TRUE(readFile(files + "\\a long.txt") == longMatch);
  const std::string log = resultLog();
  const size_t failed = log.find("FAILED");
  ASSERT_NE(failed, std::string::npos) << log;
  EXPECT_EQ(log.rfind(files + "\\", failed), log.rfind(files + "\\a long.txt\r\n", failed)) << log;
  EXPECT_EQ(log.find("FAILED", failed + 1), std::string::npos) << log;
  // No temporary file left behind.
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((files + "\\*.tmp").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) ::FindClose(h);
}

TEST_F(BigFilesEndToEnd, TheProgramMayUseTheAddressSpaceAbove2GiB) {
  const std::string image = readFile(program);
  ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), image.size());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
  EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
}
