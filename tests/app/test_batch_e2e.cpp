// End to end: the program of this build folder started with a complete
// command line works off its jobs and ends by itself; a batch file exported
// for the same job, run by the command interpreter, does it again. The files it
// rewrites keep their attributes and rights, read-only ones and what another
// writer made of a file stay as they are.
#include "QzTestUnix.h"
#include "test_batch_tools.h"
#include "commandline/uSnRBatchFile.h"
#include "win/FileNames.h"
#include <commctrl.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <functional>
#include <vector>
#include "QzTestWait.h"

using batchtest::exists;
using batchtest::readFile;
using batchtest::writeFile;
using qztest::Wide;

namespace {

// A started program that never outlives the test.
struct Started {
  PROCESS_INFORMATION pi = {};
  ~Started() {
    if (!pi.hProcess) return;
    if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi.hProcess, 1);
    ::WaitForSingleObject(pi.hProcess, 10000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
};

class BatchEndToEnd : public batchtest::ProgramTest {
protected:
  BatchEndToEnd() : ProgramTest("batche2e", "my files") {}   // a blank: the parameters need their quotes
  std::string file(const std::string& name, const std::string& content) {
    writeFile(files + "\\" + name, content);
    return files + "\\" + name;
  }
  // Starts the program with a command line that is not complete: it opens its
  // results page and waits for the user, who closes it. False when it did not.
  bool runIncomplete(const std::string& params) {
    // No help window: it is not what these tests are about.
    ::CreateDirectoryA(dataFolder().c_str(), nullptr);
    writeFile(dataFolder() + "\\QzSearchAndReplace.ini", "[Generel]\r\nShowHelpWindow=0\r\n");
    ::SetEnvironmentVariableA("QZ_APPDATA", (dir / "appdata").c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    Started p;
    std::string cmd = "\"" + program + "\" " + params;
    const BOOL started =
        ::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.path().c_str(), &si, &p.pi);
    ::SetEnvironmentVariableA("QZ_APPDATA", nullptr);
    if (!started) return false;
    HWND pages = nullptr;   // of a visible main window
    for (int i = 0; i < 300 && !pages; ++i) {
      ::Sleep(100);
      pages = batchtest::ProgramPageControl(p.pi.dwProcessId, true);
    }
    EXPECT_TRUE(pages) << "no main window";
    if (!pages) return false;
    ::Sleep(500);
    EXPECT_EQ(::SendMessageA(pages, TCM_GETCURSEL, 0, 0), 1);   // the results page
    // It stays open (no close when done) until the user closes it.
    EXPECT_EQ(::WaitForSingleObject(p.pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ::PostMessageA(::GetAncestor(pages, GA_ROOT), WM_CLOSE, 0, 0);
    return ::WaitForSingleObject(p.pi.hProcess, 30000) == WAIT_OBJECT_0;
  }
  std::wstring wfiles() const { return Wide(files); }

  // Starts the program without waiting for it.
  void start(Started& p, const std::string& params) {
    ::SetEnvironmentVariableA("QZ_APPDATA", (dir / "appdata").c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::string cmd = "\"" + program + "\" " + params;
    const BOOL started =
        ::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.path().c_str(), &si, &p.pi);
    ::SetEnvironmentVariableA("QZ_APPDATA", nullptr);
    ASSERT_TRUE(started);
  }
};

struct WindowSearch {
  DWORD pid;      // a visible top-level window of this process, or
  int id;         // a child with this control ID
  int count = 0;  // windows looked at
  HWND found = nullptr;
};

BOOL CALLBACK matchTop(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(h, &owner);
  if (owner != s->pid || !::IsWindowVisible(h)) return TRUE;
  s->found = h;
  return FALSE;
}

BOOL CALLBACK matchChild(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  ++s->count;
  if (s->id && ::GetDlgCtrlID(h) == s->id && !s->found) s->found = h;
  return TRUE;
}

HWND topWindowOf(DWORD pid) {
  WindowSearch s{pid, 0};
  ::EnumWindows(matchTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

int childWindowCount(HWND top) {
  WindowSearch s{0, 0};
  ::EnumChildWindows(top, matchChild, reinterpret_cast<LPARAM>(&s));
  return s.count;
}

HWND childById(HWND top, int id) {
  WindowSearch s{0, id};
  ::EnumChildWindows(top, matchChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// The file names of the modules a process has loaded, in lower case.
std::vector<std::string> modulesOf(DWORD pid) {
  std::vector<std::string> names;
  HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snap == INVALID_HANDLE_VALUE) return names;
  MODULEENTRY32 m = {};
  m.dwSize = sizeof m;
  for (BOOL more = ::Module32First(snap, &m); more; more = ::Module32Next(snap, &m)) {
    std::string name = m.szModule;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    names.push_back(name);
  }
  ::CloseHandle(snap);
  return names;
}

std::string windowText(HWND h) {
  char text[512] = {};
  ::SendMessageTimeoutA(h, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

int listCount(HWND list) {
  DWORD_PTR n = 0;
  ::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &n);
  return static_cast<int>(n);
}

}  // namespace

TEST_F(BatchEndToEnd, ACompleteCommandLineRewritesTheFilesAndEndsByItself) {
  const std::string a = file("a.txt", "xxABxxAB"), b = file("b.txt", "no match"), c = file("c.dat", "AB");
  ASSERT_TRUE(run("\"" + program + "\" \"-F" + files + "\\*.txt\" -Oh4142 -nH4344 -b -G -C"))
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
  r.ProgramFile = Wide(program);
  for (const std::string& n : names) r.Files.push_back(Wide(files + "\\" + n));
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
  r.Files = {Wide(t)};
  r.MultiLine = true;
  r.OldLines = {"ONE", "Two"};
  r.NewLines = {};
  r.CaseSensitive = false;
  ASSERT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));
  ASSERT_TRUE(run("cmd.exe /c \"job.bat < nul > out.txt 2>&1\"")) << readFile(dir / "out.txt");
  EXPECT_EQ(readFile(t), "keep\r\n\r\nkeep");
  EXPECT_FALSE(exists(dir / "tmpfileNewtext.snr"));
}

TEST_F(BatchEndToEnd, AnIncompleteCommandLineOpensTheResultsAndWaitsForTheUser) {
  const std::string a = file("a.txt", "AB");
  ASSERT_TRUE(runIncomplete("\"-F" + a + "\" -Oh41 -Ncx -C"));
  EXPECT_EQ(readFile(a), "AB");
  EXPECT_EQ(resultLog(), "Error using command line parameters:\r\n -F" + a + " -Oh41 -Ncx -C\r\n\r\n\r\n");
}

// A hex value the program cannot take as given makes the command line
// incomplete: no job, the file untouched, and a line for each value and why.
TEST_F(BatchEndToEnd, HexValuesThatAreNotPairsOfHexDigitsAreRefused) {
  const std::string a = file("a.txt", "banana ac \x06");
  const std::string tooLong = "-Oh" + std::string(4100, '6');   // 2,050 bytes
  ASSERT_TRUE(runIncomplete("\"-F" + a + "\" -Oh616 -Oh61zz63 -Oh0x61 " + tooLong + " -Nhqq -Nh4F -C"));
  EXPECT_EQ(readFile(a), "banana ac \x06");
  EXPECT_FALSE(exists(a + ".0.snr_bak"));
  const std::string why = " - only the hex digits 0-9 and A-F may be given, without blanks\r\n";
  EXPECT_EQ(resultLog(), "Error using command line parameters:\r\n -F" + a + " -Oh616 -Oh61zz63 -Oh0x61 " + tooLong +
                             " -Nhqq -Nh4F -C\r\n\r\n"
                             "no source string defined - please use paramter -O\r\n"
                             "hex value refused: -Oh616 - an odd number of hex digits\r\n"
                             "hex value refused: -Oh61zz63" + why +
                             "hex value refused: -Oh0x61" + why +
                             "hex value refused: " + tooLong.substr(0, 57) + "... - more than 1024 bytes\r\n"
                             "hex value refused: -Nhqq" + why + "\r\n");
}

namespace {
const std::wstring kChinese = L"\u4E2D\u6587";
const std::wstring kEmoji = L"\U0001F600";
const std::wstring kCyrillic = L"\u041F\u0440\u0438\u0432\u0435\u0442";
}  // namespace

// Names outside the code page reach the program wide: each names its file, never
// a mask, and the files beside it that their 8-bit form "??" would match stay as
// they are.
TEST_F(BatchEndToEnd, ANameOutsideTheCodePageNamesThatFileOnly) {
  const std::wstring folder = wfiles() + L"\\" + kChinese;
  ASSERT_TRUE(qztest::MakeFolder(folder));
  const std::wstring named[] = {wfiles() + L"\\" + kChinese + L".txt", wfiles() + L"\\" + kEmoji + L".txt",
                                folder + L"\\a.txt"};
  for (const std::wstring& n : named) ASSERT_TRUE(qztest::WriteWideFile(n, "AB AB"));
  const std::string ab = file("ab.txt", "AB"), xy = file("xy.txt", "AB"), in = file("in.txt", "AB");
  std::wstring cmd = L"\"" + Wide(program) + L"\"";
  for (const std::wstring& n : named) cmd += L" \"-F" + n + L"\"";
  ASSERT_TRUE(run(cmd + L" -Oh4142 -Nh4344 -B -G -C")) << "the program did not end by itself";
  EXPECT_EQ(exitCode, 0u);
  for (const std::wstring& n : named) {
    EXPECT_EQ(qztest::ReadWideFile(n), "CD CD");
    EXPECT_EQ(qztest::ReadWideFile(n + L".0.snr_bak"), "AB AB");
  }
  for (const std::string& other : {ab, xy, in}) {
    EXPECT_EQ(readFile(other), "AB") << other;
    EXPECT_FALSE(exists(other + ".0.snr_bak")) << other;
  }
  // The result lines name each file in its 8-bit form; backup.dat keeps the real names.
  const std::string log = resultLog();
  for (const std::wstring& n : named)
    EXPECT_NE(log.find(win::WideToAnsi(n) + "\r\nAB [4142] --> CD [4344] :\r\n2 replacements\r\n"), std::string::npos)
        << log;
  EXPECT_EQ(log.find("FAILED"), std::string::npos) << log;
  std::string backups;
  for (const std::wstring& n : named) backups += "\xEF\xBB\xBF" + win::WideToUtf8(n + L".0.snr_bak") + "\r\n";
  EXPECT_EQ(readFile(dataFolder() + "\\backup.dat"), backups);

  // -R walks into the folder of that name and finds every file by its real name.
  ASSERT_TRUE(run(L"\"" + Wide(program) + L"\" \"-R" + wfiles() + L"\\*.txt\" -Oh4344 -Nh5859 -G -C"));
  for (const std::wstring& n : named) EXPECT_EQ(qztest::ReadWideFile(n), "XY XY");
  for (const std::string& other : {ab, xy, in}) EXPECT_EQ(readFile(other), "AB") << other;
  const std::string second = resultLog();
  for (const std::wstring& n : named)
    EXPECT_NE(second.find(win::WideToAnsi(n) + "\r\nCD [4344] --> XY [5859] :\r\n2 replacements\r\n"), std::string::npos)
        << second;
  EXPECT_NE(second.find(ab + "\r\nCD [4344] --> XY [5859] :\r\n0 replacements\r\n"), std::string::npos) << second;
}

// A path of 329 characters: processed by -F and found by -R like any other,
// with its temporary file and backups beside it.
TEST_F(BatchEndToEnd, APathLongerThanTheOldLimitIsProcessedAndFound) {
  std::wstring folder = wfiles();
  while (folder.size() < 300) {
    folder += L"\\" + std::wstring(std::min<size_t>(90, 300 - folder.size()), L'p');
    ASSERT_TRUE(qztest::MakeFolder(folder));
  }
  std::wstring name = folder + L"\\" + kChinese;
  name += std::wstring(329 - name.size() - 4, L'n') + L".txt";
  ASSERT_EQ(name.size(), 329u);
  ASSERT_TRUE(qztest::WriteWideFile(name, "AB"));
  const std::wstring exe = L"\"" + Wide(program) + L"\"";
  ASSERT_TRUE(run(exe + L" \"-F" + name + L"\" -Oh4142 -Nh4344 -B -G -C"));
  EXPECT_EQ(qztest::ReadWideFile(name), "CD");
  EXPECT_EQ(qztest::ReadWideFile(name + L".0.snr_bak"), "AB");
  ASSERT_TRUE(run(exe + L" \"-R" + wfiles() + L"\\*.txt\" -Oh4344 -Nh4546 -B -G -C"));
  EXPECT_EQ(qztest::ReadWideFile(name), "EF");
  EXPECT_EQ(qztest::ReadWideFile(name + L".1.snr_bak"), "CD");
  EXPECT_NE(resultLog().find(win::WideToAnsi(name) + "\r\nCD [4344] --> EF [4546] :\r\n1 replacements\r\n"),
            std::string::npos)
      << resultLog();
  // Nothing else beside it: the temporary files are gone.
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(qztest::LongForm(folder + L"\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  int entries = 0;
  do entries += fd.cFileName[0] != L'.';
  while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  EXPECT_EQ(entries, 3);
}

TEST_F(BatchEndToEnd, RewrittenFilesKeepTheirAttributesAndRightsAndReadOnlyOnesStayAsTheyAre) {
  const bool wine = qztest::UnderWineOnLinux();
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const std::string hidden = file("hidden.txt", "1 AB"), readOnly = file("readonly.txt", "2 AB"),
                    untouched = file("readonly no match.txt", "3");
  ASSERT_TRUE(::SetFileAttributesA(hidden.c_str(), kept));
  ASSERT_TRUE(::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(::SetFileAttributesA(untouched.c_str(), FILE_ATTRIBUTE_READONLY));
  const char* modes[] = {"600", "640", "755", "444"};
  if (wine) {
    for (const char* m : modes) {
      const std::string f = file(std::string("mode ") + m + ".txt", "AB");
      ASSERT_TRUE(qztest::Chmod(f, m));
    }
  }
  ASSERT_TRUE(run("\"" + program + "\" \"-F" + files + "\\*.txt\" -Oh4142 -nH4344 -b -G -C"))
      << "the program did not end by itself";
  EXPECT_EQ(exitCode, 0u);
  const std::string log = resultLog();

  EXPECT_EQ(readFile(hidden), "1 CD");
  EXPECT_EQ(::GetFileAttributesA(hidden.c_str()) & kept, kept);
  EXPECT_EQ(::GetFileAttributesA((hidden + ".0.snr_bak").c_str()) & kept, kept);
  // Read-only: untouched and no backup; with a match the job failed as the system's
  // rename would, without one it had nothing to do.
  EXPECT_EQ(readFile(readOnly), "2 AB");
  EXPECT_EQ(readFile(untouched), "3");
  EXPECT_NE(log.find(readOnly + "\r\nAB [4142] --> CD [4344] :\r\nFAILED\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(untouched + "\r\nAB [4142] --> CD [4344] :\r\n0 replacements\r\n"), std::string::npos) << log;
  EXPECT_FALSE(exists(readOnly + ".0.snr_bak"));
  if (wine) {
    for (const char* m : modes) {
      const std::string f = files + "\\mode " + m + ".txt";
      EXPECT_EQ(qztest::UnixMode(f), m) << f;
      EXPECT_EQ(readFile(f), std::string(m) == "444" ? "AB" : "CD") << f;
      EXPECT_EQ(exists(f + ".0.snr_bak"), std::string(m) != "444") << f;
    }
  }
  WIN32_FIND_DATAA fd;
  EXPECT_EQ(::FindFirstFileA((files + "\\snr*").c_str(), &fd), INVALID_HANDLE_VALUE);  // no temporary file left
}

TEST_F(BatchEndToEnd, WhatAnotherWriterAppendsWhileAJobRunsStaysAndTheJobFails) {
  if (!qztest::UnderWineOnLinux()) GTEST_SKIP() << "a writer that no share mode holds off is a Linux program";
  // Large, with a match in every line: the job runs a while after its temporary
  // file appears.
  std::string content;
  while (content.size() < (16 << 20)) content += "AB 0123456789 abcdefghijklmnopqrstuvwxyz 0123456789\n";
  const std::string big = file("big.txt", content);
  // The writer waits for the temporary file, which shows the job between its
  // reading and its rename, appends at once and tells whether that was still so.
  writeFile(dir / "writer.sh",
            "cd '" + qztest::UnixPath(files) + "'\n"
            "until for t in snr*.tmp; do [ -e \"$t\" ] && break; done; [ -e \"$t\" ]; do :; done\n"
            "echo theirs >> big.txt\n"
            "if [ -e \"$t\" ]; then echo during; else echo after; fi\n");
  qztest::UnixCommand writer("timeout 60 sh '" + qztest::UnixPath(dir / "writer.sh") + "'");
  ASSERT_TRUE(run("\"" + program + "\" \"-F" + big + "\" -Oh4142 -nH4344 -b -G -C"));
  std::string when;
  ASSERT_TRUE(writer.wait(&when)) << when;
  ASSERT_EQ(when, "during\n") << "the job ended before the writer came";
  EXPECT_TRUE(readFile(big) == content + "theirs\n");
  EXPECT_NE(resultLog().find(big + "\r\nAB [4142] --> CD [4344] :\r\nFAILED\r\n"), std::string::npos) << resultLog();
  WIN32_FIND_DATAA fd;
  EXPECT_EQ(::FindFirstFileA((files + "\\snr*").c_str(), &fd), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(exists(big + ".0.snr_bak"));
}

// A batch run shows its window minimised, with its queue in the caption, and
// makes none of its controls and loads none of the libraries it does not use
// until the user restores it; restored in the middle of the run, the window
// shows every result so far and goes on to the end. Without "-C" the run's end
// restores it with every result.
TEST_F(BatchEndToEnd, ABatchWindowMakesItsControlsWhenItIsRestoredAndShowsEveryResult) {
  const std::string a = file("a.txt", "abc");
  const int jobs = 1500;   // one file again and again: the jobs take their turns, a few seconds in all
  std::string list;
  for (int i = 0; i < jobs; ++i) list += a + "\r\n";
  writeFile(dir / "list.txt", list);
  {
    Started p;
    start(p, "\"-L" + (dir / "list.txt") + "\" -Oh616263 -Nh616263 -G -C");
    HWND main = nullptr;
    ASSERT_TRUE(qztest::WaitUntil([&] {
      main = topWindowOf(p.pi.dwProcessId);
      return main && windowText(main).find(" tasks in queue") != std::string::npos;
    }, 30000, [] {})) << "no minimised window with its queue";
    EXPECT_TRUE(::IsIconic(main));
    EXPECT_EQ(childWindowCount(main), 0);
    const std::vector<std::string> modules = modulesOf(p.pi.dwProcessId);
    EXPECT_NE(std::find(modules.begin(), modules.end(), "user32.dll"), modules.end());   // the list is read
    for (const char* unused : {"comctl32.dll", "shell32.dll", "comdlg32.dll", "qz-darariruzoriv.dll"})
      EXPECT_EQ(std::find(modules.begin(), modules.end(), unused), modules.end()) << unused;

    // The user restores it, as the task bar does.
    ::PostMessageA(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    HWND pages = nullptr;
    ASSERT_TRUE(qztest::WaitUntil([&] { return (pages = batchtest::PageControlOf(main)) != nullptr; }, 30000, [] {}));
    HWND results = childById(main, idResultListBox);
    ASSERT_TRUE(results);
    const bool running = windowText(main).find(" tasks in queue") != std::string::npos;
    EXPECT_TRUE(running) << "the run ended before the window was restored; the test needs more jobs";
    if (running) {
      EXPECT_GT(listCount(results), 0) << "the results so far";
    }
    EXPECT_FALSE(::IsIconic(main));
    ASSERT_EQ(::WaitForSingleObject(p.pi.hProcess, 120000), static_cast<DWORD>(WAIT_OBJECT_0)) << "did not end";
  }
  const std::string log = resultLog();
  size_t blocks = 0;
  for (size_t at = 0; (at = log.find(a + "\r\nabc [616263] --> abc [616263] :\r\n1 replacements\r\n\r\n", at)) !=
                      std::string::npos;
       ++at)
    ++blocks;
  EXPECT_EQ(blocks, static_cast<size_t>(jobs));

  // Without "-C" the window comes back by itself at the end, every result in it.
  Started p;
  start(p, "\"-F" + a + "\" -Oh616263 -Nh78 -G");
  HWND pages = nullptr;
  ASSERT_TRUE(qztest::WaitUntil([&] { return (pages = batchtest::ProgramPageControl(p.pi.dwProcessId, true)) != nullptr; },
                                30000, [] {}));
  HWND main = ::GetAncestor(pages, GA_ROOT);
  EXPECT_TRUE(qztest::WaitUntil([&] { return !::IsIconic(main); }, 10000, [] {}));
  EXPECT_EQ(readFile(a), "x");
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(::WaitForSingleObject(p.pi.hProcess, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(resultLog(), a + "\r\nabc [616263] --> x [78] :\r\n1 replacements\r\n\r\n");
}

// List files through the program: UTF-8 with or without the byte-order mark
// names files of any characters, 8-bit text names its files as it always did.
// "\xC3\xB6" is "\u00F6" in UTF-8 and another name in 8-bit text: that file
// stays as it is.
TEST_F(BatchEndToEnd, ListFilesInUtf8AndIn8BitTextNameTheirFiles) {
  const std::wstring w = wfiles() + L"\\";
  const std::wstring marked[] = {w + kChinese + L".txt", w + kEmoji + L".txt"};
  const std::wstring unmarked[] = {w + kCyrillic + L".txt", w + L"\u00F6 1.txt"};
  const std::string eightBit = files + "\\\xE4 2.txt";
  for (const auto* names : {&marked, &unmarked})
    for (const std::wstring& n : *names) ASSERT_TRUE(qztest::WriteWideFile(n, "AB AB"));
  file("\xE4 2.txt", "AB AB");
  const std::string untouched[] = {file("\xC3\xB6 1.txt", "AB"), file("ab.txt", "AB")};
  std::string bom = "\xEF\xBB\xBF", utf8;
  for (const std::wstring& n : marked) bom += "\"" + win::WideToUtf8(n) + "\"\r\n";
  for (const std::wstring& n : unmarked) utf8 += "  " + win::WideToUtf8(n) + "\n";
  writeFile(dir / "bom.lst", bom);
  writeFile(dir / "utf8.lst", utf8);
  writeFile(dir / "8bit.lst", "\t" + eightBit + "\r\n");
  ASSERT_TRUE(run("\"" + program + "\" -Lbom.lst -Lutf8.lst -L8bit.lst -Oh4142 -Nh4344 -G -C"))
      << "the program did not end by itself";
  EXPECT_EQ(exitCode, 0u);
  const std::string log = resultLog();
  for (const auto* names : {&marked, &unmarked})
    for (const std::wstring& n : *names) {
      EXPECT_EQ(qztest::ReadWideFile(n), "CD CD") << win::WideToUtf8(n);
      EXPECT_NE(log.find(win::WideToAnsi(n) + "\r\nAB [4142] --> CD [4344] :\r\n2 replacements\r\n"),
                std::string::npos)
          << log;
    }
  EXPECT_EQ(readFile(eightBit), "CD CD");
  for (const std::string& other : untouched) EXPECT_EQ(readFile(other), "AB") << other;
  EXPECT_EQ(log.find("FAILED"), std::string::npos) << log;
}

// The export of a job on names outside the code page, run by the command
// interpreter, does the window's job on exactly those files, with a program in
// a folder outside the interpreter's code page, and leaves the console's code
// page as it found it for what follows.
TEST_F(BatchEndToEnd, AnExportedBatchFileDoesTheJobOnNamesOfAnyCharacters) {
  const std::wstring folder = wfiles() + L"\\" + kChinese;
  ASSERT_TRUE(qztest::MakeFolder(folder));
  // The program with the library it loads.
  const std::wstring exe = folder + L"\\QzSearchAndReplace.exe";
  const std::string programFolder = program.substr(0, program.find_last_of('\\') + 1);
  ASSERT_TRUE(::CopyFileW(Wide(program).c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW(Wide(programFolder + "Qz-DarariRuzoriv.dll").c_str(),
                          (folder + L"\\Qz-DarariRuzoriv.dll").c_str(), FALSE));
  const std::wstring w = wfiles() + L"\\";
  const std::wstring named[] = {w + kChinese + L".txt", w + kEmoji + L" 2.txt", w + kCyrillic + L".txt",
                                w + L"R&D \u00F6 100%.txt", folder + L"\\on"};
  for (const std::wstring& n : named) ASSERT_TRUE(qztest::WriteWideFile(n, "1 AB 2 AB"));
  // What the names' UTF-8 bytes or their 8-bit forms would name instead.
  const std::string untouched[] = {file("R&D \xC3\xB6 100%.txt", "AB"), file("ab.txt", "AB"), file("xy 2.txt", "AB"),
                                   file("on", "AB")};
  TSnRBatchRequest r;
  r.ProgramFile = exe;
  r.Files.assign(std::begin(named), std::end(named));
  r.OldHex = "4142";
  r.NewHex = "4344";
  ASSERT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));
  ASSERT_TRUE(run("cmd.exe /c \"job.bat < nul > out.txt 2>&1\"")) << readFile(dir / "out.txt");
  const std::string log = resultLog();
  for (const std::wstring& n : named) {
    EXPECT_EQ(qztest::ReadWideFile(n), "1 CD 2 CD") << win::WideToUtf8(n) << "\n" << readFile(dir / "out.txt");
    EXPECT_EQ(qztest::ReadWideFile(n + L".0.snr_bak"), "1 AB 2 AB") << win::WideToUtf8(n);
    EXPECT_NE(log.find(win::WideToAnsi(n) + "\r\nAB [4142] --> CD [4344] :\r\n2 replacements\r\n"), std::string::npos)
        << log;
  }
  for (const std::string& other : untouched) EXPECT_EQ(readFile(other), "AB") << other;
  EXPECT_FALSE(exists(dir / "tmpfilelist.snr"));

  // Text lines in 8-bit form follow the list: they still arrive as their bytes.
  const std::wstring text = folder + L"\\text.txt";
  ASSERT_TRUE(qztest::WriteWideFile(text, "x \xE4\xF6 y"));
  r.Files = {text};
  r.MultiLine = true;
  r.OldLines = {"\xE4\xF6"};
  r.NewLines = {"\xFC"};
  ASSERT_TRUE(SaveSnRBatchFile(dir / "text.bat", r));
  ASSERT_TRUE(run("cmd.exe /c \"text.bat < nul > out.txt 2>&1\"")) << readFile(dir / "out.txt");
  EXPECT_EQ(qztest::ReadWideFile(text), "x \xFC y") << readFile(dir / "out.txt");

  // From a console in another code page: the job is done, and that code page
  // is back for the commands after the batch.
  r.Files.assign(std::begin(named), std::end(named));
  r.MultiLine = false;
  r.OldHex = "4344";
  r.NewHex = "4546";
  ASSERT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));
  ASSERT_TRUE(
      run(L"cmd.exe /c \"chcp 850 >nul & job.bat < nul > out.txt 2>&1 & chcp > cp.txt & echo \u00F8> after.txt\""))
      << readFile(dir / "out.txt");
  for (const std::wstring& n : named) EXPECT_EQ(qztest::ReadWideFile(n), "1 EF 2 EF") << win::WideToUtf8(n);
  for (const std::string& other : untouched) EXPECT_EQ(readFile(other), "AB") << other;
  EXPECT_NE(readFile(dir / "cp.txt").find(": 850"), std::string::npos) << readFile(dir / "cp.txt");
  EXPECT_EQ(readFile(dir / "after.txt"), "\x9B\r\n");   // U+00F8 in code page 850
}
