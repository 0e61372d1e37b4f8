// End to end, the program of this build folder and its data files: large
// lists and texts start and close in seconds, a text too large for its job is
// refused at once, and a kill loses no backup from "backup.dat" and leaves no
// temporary file behind after the next start.
#include "test_batch_tools.h"
#include "model/uSnRJobBuilding.h"
#include "win/Handles.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <vector>

using batchtest::exists;
using batchtest::readFile;
using batchtest::writeFile;
using Strings = std::vector<std::string>;

namespace {

Strings linesOf(const std::string& text) {
  Strings lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

Strings filesMatching(const std::string& pattern) {
  Strings names;
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(fd.cFileName);
  while (::FindNextFileA(h, &fd));
  ::FindClose(h);
  return names;
}

bool waitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(2);
  }
  return true;
}

class DataFilesEndToEnd : public batchtest::ProgramTest {
protected:
  DataFilesEndToEnd() : ProgramTest("datafilese2e") {}
  void SetUp() override {
    ProgramTest::SetUp();
    if (HasFatalFailure()) return;
    ::CreateDirectoryA(data.c_str(), nullptr);
  }
  void TearDown() override { end(); }

  void start(const std::string& parameters) {
    ::SetEnvironmentVariableA("QZ_APPDATA", (dir / "appdata").c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + program + "\" " + parameters;
    const BOOL ok = ::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.path().c_str(), &si, &pi);
    ::SetEnvironmentVariableA("QZ_APPDATA", nullptr);
    ASSERT_TRUE(ok);
  }
  bool ended(DWORD timeoutMs) { return ::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0; }
  void end() {
    if (!pi.hProcess) return;
    if (!ended(0)) ::TerminateProcess(pi.hProcess, 1);
    ended(10000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    pi = {};
  }
  // A main window of the program, visible or not.
  HWND mainWindow() {
    HWND pages = batchtest::ProgramPageControl(pi.dwProcessId, false);
    return pages ? ::GetAncestor(pages, GA_ROOT) : nullptr;
  }

  std::string data = dataFolder();
  PROCESS_INFORMATION pi = {};
};

}  // namespace

TEST_F(DataFilesEndToEnd, LargeListsAndTextsStartAndCloseInSecondsAndATooLargeTextIsRefused) {
  // 100,000 memo lines of a language file (3 MB) ...
  std::string language = "[SnRForm]\r\n";
  for (int i = 0; i < 100000; ++i) language += "WarrantyMemo.Caption.Line." + std::to_string(i) + "=warning line\r\n";
  writeFile(data + "\\Language.big", language);
  writeFile(data + "\\QzSearchAndReplace.ini",
            "[Generel]\r\nSprache=-1\r\nSprachdatei=Language.big\r\nShowHelpWindow=0\r\n");
  // ... 100,000 lines of backup.dat naming 2,000 backups that exist ...
  std::string backups;
  for (int i = 0; i < 2000; ++i) {
    const std::string b = files + "\\b" + std::to_string(i) + ".txt.0.snr_bak";
    writeFile(b, "x");
    for (int k = 0; k < 50; ++k) backups += b + "\r\n";
  }
  writeFile(data + "\\backup.dat", backups);
  // ... and an old text of 100 MB, far beyond what a text job takes.
  const std::string huge = dir / "huge.txt";
  {
    win::FileHandle f(::CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER size;
    size.QuadPart = 100LL << 20;
    ASSERT_TRUE(::SetFilePointerEx(f.get(), size, nullptr, FILE_BEGIN) && ::SetEndOfFile(f.get()));
  }
  const std::string target = files + "\\a.txt";
  writeFile(target, "AB");

  const DWORD begin = ::GetTickCount();
  start("\"-F" + target + "\" \"-OF" + huge + "\" -Ncx -C");
  ::Sleep(1000);   // let the program settle before its windows are looked at
  // The refused command line opens the results page at the end of the start
  // (which took minutes with files like these).
  HWND main = nullptr;
  ASSERT_TRUE(waitFor([&] {
    main = mainWindow();
    HWND pages = main ? batchtest::PageControlOf(main) : nullptr;
    return pages && ::SendMessageA(pages, TCM_GETCURSEL, 0, 0) == 1;
  }, 60000));
  const DWORD started = ::GetTickCount() - begin;
  EXPECT_LT(started, 30000u);
  const DWORD closing = ::GetTickCount();
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(ended(60000)) << "the program did not close";
  EXPECT_LT(::GetTickCount() - closing, 30000u);

  EXPECT_EQ(readFile(target), "AB");
  const Strings log = linesOf(resultLog());
  const std::string refusal = "text file too large: " + huge + " - old and new texts may hold at most " +
                              std::to_string(kSnRTextMax) + " bytes with their line breaks";
  EXPECT_NE(std::find(log.begin(), log.end(), refusal), log.end()) << resultLog();
  EXPECT_EQ(readFile(data + "\\backup.dat"), backups);
  std::cout << "start " << started << " ms, close " << ::GetTickCount() - closing << " ms\n";
}

TEST_F(DataFilesEndToEnd, AKillLosesNoBackupAndItsTemporaryFileGoesAtTheNextStart) {
  // Small files first, then a large one that is still being rewritten when the kill comes.
  std::string list;
  for (int i = 0; i < 60; ++i) {
    const std::string f = files + "\\s" + std::to_string(i) + ".txt";
    writeFile(f, "one AB two AB");
    list += f + "\r\n";
  }
  const std::string big = files + "\\big.txt";
  std::string block(1 << 20, 'x');
  block[100] = 'A';
  block[101] = 'B';
  {
    std::ofstream out(big, std::ios::binary);
    for (int i = 0; i < 160; ++i) out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  list += big + "\r\n";
  writeFile(dir / "list.txt", list);

  start("\"-L" + (dir / "list.txt") + "\" -Oh4142 -Nh4344 -B -C");
  const std::string lastSmallBackup = files + "\\s59.txt.0.snr_bak";
  std::string temp;
  // The large file's temporary file is the one that grows past a MiB. The small
  // files' backups may come a moment later: their jobs end in order once their
  // flushes are done, while the large file is being read.
  ASSERT_TRUE(waitFor([&] {
    if (!exists(lastSmallBackup)) return false;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((files + "\\snr*.tmp").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::FindClose(h);
    if (fd.nFileSizeLow < (1u << 20) && !fd.nFileSizeHigh) return false;
    temp = files + "\\" + fd.cFileName;
    return true;
  }, 60000)) << "the small files' backups and the large file's rewrite were not seen";
  // The journal knows the temporary file before the kill comes.
  ASSERT_TRUE(waitFor([&] {
    for (const std::string& j : filesMatching(data + "\\~snrtemp.*.journal"))
      if (readFile(data + "\\" + j).find(temp) != std::string::npos) return true;
    return false;
  }, 10000));
  ::TerminateProcess(pi.hProcess, 9);
  ASSERT_TRUE(ended(10000));
  end();

  // Every backup on disk is in the list, though the program never closed.
  const Strings listed = linesOf(readFile(data + "\\backup.dat"));
  const Strings made = filesMatching(files + "\\*.snr_bak");
  EXPECT_EQ(made.size(), 60u);
  for (const std::string& b : made)
    EXPECT_NE(std::find(listed.begin(), listed.end(), files + "\\" + b), listed.end()) << b;
  EXPECT_TRUE(exists(temp));

  // The next run removes the temporary file; the large file is whole, old or new.
  writeFile(files + "\\other.txt", "AB");
  start("\"-F" + files + "\\other.txt\" -Oh4142 -Nh4344 -C");
  ASSERT_TRUE(ended(60000));
  EXPECT_EQ(readFile(files + "\\other.txt"), "CD");
  EXPECT_FALSE(exists(temp));
  EXPECT_TRUE(filesMatching(files + "\\snr*.tmp").empty());
  EXPECT_TRUE(filesMatching(data + "\\~snrtemp.*.journal").empty());
  const std::string content = readFile(big);
  ASSERT_EQ(content.size(), 160u << 20);
  EXPECT_TRUE(content.compare(100, 2, "AB") == 0 || content.compare(100, 2, "CD") == 0);
}
