// The real program, started from a copy in a temporary folder with a data
// folder of its own, driven through its control IDs like a user would.
#include "AppTestDir.h"
#include "mainwindow/uSnRFormControlIds.h"
#include "win/FileNames.h"
#include <gtest/gtest.h>
#include "QzTestWait.h"
#include <algorithm>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kDataFolder[] = "appdata\\Qz-Rudize&Darozad Edo\\";
const char kTitle[] = "Qz-Ravadu&Direzov ozirizuvozed 2.0";   // the caption while no job is queued

// Generous: a rewrite waits for its flushes, which a disk busy with other work
// may take seconds to finish; a wait that succeeds costs nothing more.
bool waitFor(const std::function<bool()>& done, DWORD timeoutMs = 60000) {
  return qztest::WaitUntil(done, timeoutMs, [] {});
}

std::string text(HWND h) {
  char buf[1024] = {};
  ::SendMessageTimeoutA(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, nullptr);
  return buf;
}

struct ChildSearch {
  int id;
  HWND found;
};

BOOL CALLBACK matchChild(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<ChildSearch*>(lp);
  if (::GetDlgCtrlID(h) != s->id) return TRUE;
  s->found = h;
  return FALSE;
}

HWND findChild(HWND parent, int id) {
  ChildSearch s{id, nullptr};
  ::EnumChildWindows(parent, matchChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// A top-level window of the process: the main window (it holds the page
// control) or, with dialogClass, a message box.
struct TopSearch {
  DWORD pid;
  bool dialog;
  HWND found;
};

BOOL CALLBACK matchTop(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<TopSearch*>(lp);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(h, &owner);
  if (owner != s->pid || !::IsWindowVisible(h)) return TRUE;
  char cls[64] = {};
  ::GetClassNameA(h, cls, sizeof cls);
  const bool isDialog = std::string(cls) == "#32770";
  if (s->dialog ? !isDialog : (isDialog || !findChild(h, idMainPageControl))) return TRUE;
  s->found = h;
  return FALSE;
}

HWND findWindowOf(DWORD pid, bool dialogClass) {
  TopSearch s{pid, dialogClass, nullptr};
  ::EnumWindows(matchTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

class Program : public ::testing::Test {
protected:
  void SetUp() override {
    char cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, cwd);   // the build folder
    ::CreateDirectoryA((dir / "files").c_str(), nullptr);
    ::CreateDirectoryA((dir / "appdata").c_str(), nullptr);
    exe = dir / "QzSearchAndReplace.exe";
    ASSERT_TRUE(::CopyFileA((std::string(cwd) + "\\QzSearchAndReplace.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA((std::string(cwd) + "\\Qz-DarariRuzoriv.dll").c_str(), (dir / "Qz-DarariRuzoriv.dll").c_str(),
                            FALSE));
  }
  void TearDown() override {
    if (pi.hProcess) {
      if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(pi.hProcess, 1);
      ::WaitForSingleObject(pi.hProcess, 10000);
      ::CloseHandle(pi.hProcess);
      ::CloseHandle(pi.hThread);
    }
  }

  void start() {
    // The help window is on, as for a new user: its guide lines go through the
    // overlay library while the jobs run and while the program closes.
    ::CreateDirectoryA((dir / "appdata\\Qz-Rudize&Darozad Edo").c_str(), nullptr);
    AppTestDir::write(dir / (std::string(kDataFolder) + "QzSearchAndReplace.ini"), "[Generel]\r\nShowHelpWindow=1\r\n");
    ::SetEnvironmentVariableA("QZ_APPDATA", (dir / "appdata").c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    ASSERT_TRUE(::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.path().c_str(), &si, &pi));
    ASSERT_TRUE(waitFor([&] { return (main = findWindowOf(pi.dwProcessId, false)) != nullptr; }));
  }
  HWND ctl(int id) {
    HWND h = findChild(main, id);
    EXPECT_TRUE(h) << "control " << id;
    return h;
  }
  // Types into a combo box: its text, then the edit notification the user's typing sends.
  void type(int id, const std::string& s) {
    HWND h = ctl(id);
    ::SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.c_str()));
    ::SendMessageA(::GetParent(h), WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(h));
  }
  int resultLines() { return static_cast<int>(::SendMessageA(ctl(idResultListBox), LB_GETCOUNT, 0, 0)); }
  std::vector<std::string> listItems(int id) {
    HWND list = ctl(id);
    std::vector<std::string> out;
    // Wide: wine hands an item of another process's list back to an ANSI call as UTF-16.
    for (int i = 0, n = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0)); i < n; ++i) {
      std::wstring wide(static_cast<size_t>(std::max<LRESULT>(0, ::SendMessageW(list, LB_GETTEXTLEN, i, 0))) + 1, L'\0');
      ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
      wide.resize(wcslen(wide.c_str()));
      out.push_back(win::WideToAnsiAsSystem(wide));
    }
    return out;
  }
  // What the window shows: the file list with its checks and both strings.
  std::string shown() {
    std::string s = "files:";
    const std::vector<std::string> files = listItems(idFileCheckListBox);
    for (size_t i = 0; i < files.size(); ++i)
      s += std::string(checked(static_cast<int>(i)) ? "\n  [x] " : "\n  [ ] ") + files[i];
    s += "\nold string: '" + text(ctl(idFromStrCharComboBox)) + "' hex '" + text(ctl(idFromStrHexComboBox)) + "'";
    s += "\nnew string: '" + text(ctl(idToStrCharComboBox)) + "' hex '" + text(ctl(idToStrHexComboBox)) + "'";
    return s;
  }
  // The caption, the result lines, and what the window showed when Start was pressed.
  std::string report() {
    std::string s = "caption " + text(main) + "\nresult lines:";
    for (const std::string& l : listItems(idResultListBox)) s += "\n  " + l;
    return s + "\nat start " + atStart;
  }
  int fileCount() { return static_cast<int>(::SendMessageA(ctl(idFileCheckListBox), LB_GETCOUNT, 0, 0)); }
  void checkFile(int index) {
    HWND list = ctl(idFileCheckListBox);
    ::SendMessageA(list, LB_SETCARETINDEX, index, FALSE);
    ::SendMessageA(list, WM_CHAR, ' ', 0);
  }
  bool checked(int index) { return ::SendMessageA(ctl(idFileCheckListBox), LB_GETITEMDATA, index, 0) == 1; }
  void searchFiles(const std::string& mask, int expected) {
    type(idPathComboBox, dir / "files");
    type(idMaskComboBox, mask);
    const std::string done = "Search complete: " + std::to_string(expected) + " files found";
    ASSERT_TRUE(waitFor([&] { return text(ctl(idFileSearchResultLabel)) == done; })) << text(ctl(idFileSearchResultLabel));
    ASSERT_EQ(fileCount(), expected);
  }
  void setHexStrings(const std::string& from, const std::string& to) {
    type(idFromStrHexComboBox, from);
    type(idToStrHexComboBox, to);
  }
  void pressStart() {
    HWND button = ctl(idSnRButton);
    ASSERT_TRUE(waitFor([&] { return ::IsWindowEnabled(button) != FALSE; }));
    atStart = shown();
    ::SendMessageA(button, BM_CLICK, 0, 0);
  }
  bool exited(DWORD timeoutMs = 60000) { return ::WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0; }
  std::string data(const std::string& name) { return AppTestDir::read(dir / (kDataFolder + name)); }

  AppTestDir dir;
  std::string exe;
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;
  std::string atStart;
};

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (size_t e; (e = text.find("\r\n", pos)) != std::string::npos; pos = e + 2) out.push_back(text.substr(pos, e - pos));
  return out;
}

}  // namespace

TEST_F(Program, ReplacesInCheckedFilesAndSavesResultsAndBackupsAtClose) {
  const std::string a = dir / "files\\a.txt", b = dir / "files\\b.txt", c = dir / "files\\c.txt";
  AppTestDir::write(a, "abc-abc");
  AppTestDir::write(b, "no match");
  AppTestDir::write(c, "abc");
  start();
  EXPECT_EQ(text(main), kTitle);
  searchFiles("*.txt", 3);
  checkFile(0);
  checkFile(1);
  ASSERT_TRUE(checked(0) && checked(1) && !checked(2)) << shown();
  setHexStrings("616263", "78797A");
  pressStart();
  // Done is what the window shows: both jobs' result lines and the caption of an
  // empty queue. The files are read only then: a file that another process holds
  // open cannot be replaced (under wine not even with delete sharing), so a test
  // that watched a.txt while its job ran would make that job fail.
  // Files are worked off in list order, and the list is sorted by the walk.
  const std::vector<std::string> expected = {a, "abc [616263] --> xyz [78797A] :", "2 replacements", "",
                                             b, "abc [616263] --> xyz [78797A] :", "0 replacements", ""};
  ASSERT_TRUE(waitFor([&] { return resultLines() == 8 && text(main) == kTitle; })) << report();
  EXPECT_EQ(listItems(idResultListBox), expected) << report();
  EXPECT_EQ(AppTestDir::read(a), "xyz-xyz") << report();
  EXPECT_EQ(AppTestDir::read(b), "no match");
  EXPECT_EQ(AppTestDir::read(c), "abc");   // not checked
  EXPECT_EQ(AppTestDir::read(a + ".0.snr_bak"), "abc-abc");
  EXPECT_FALSE(AppTestDir::exists(b + ".0.snr_bak"));   // nothing replaced, no backup

  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(exited());
  EXPECT_EQ(lines(data("result.log")), expected);
  EXPECT_EQ(data("backup.dat"), a + ".0.snr_bak\r\n");
  EXPECT_TRUE(AppTestDir::exists(dir / (std::string(kDataFolder) + "history.ini")));
  EXPECT_TRUE(AppTestDir::exists(dir / "Qz-Rudize&DarozadEdo.chm"));   // installed from the package
}

// Every job, done or skipped, is in result.log, and every backup made in
// backup.dat: the worker's last reports come after its queue ran empty, and the
// close waits for them.
TEST_F(Program, ClosingWithQueuedJobsAndYesReportsThemSkipped) {
  const int n = 300;
  for (int i = 0; i < n; ++i) AppTestDir::write(dir / ("files\\f" + std::to_string(1000 + i) + ".txt"), "abc");
  start();
  searchFiles("*.txt", n);
  ::SendMessageA(ctl(idSelectAllNoneCheckBox), BM_CLICK, 0, 0);   // grayed -> checked: every file
  setHexStrings("616263", "78");
  pressStart();
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(waitFor([&] { return (box = findWindowOf(pi.dwProcessId, true)) != nullptr; }));
  ::SendMessageA(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
  ASSERT_TRUE(exited());

  const std::vector<std::string> log = lines(data("result.log"));
  int skipped = 0, done = 0;
  for (const std::string& l : log) {
    if (l == "SKIPPED") ++skipped;
    if (l == "1 replacements") ++done;
  }
  EXPECT_GT(skipped, 0);
  EXPECT_EQ(skipped + done, n);
  int unchanged = 0;
  std::vector<std::string> backups;
  for (int i = 0; i < n; ++i) {
    const std::string f = dir / ("files\\f" + std::to_string(1000 + i) + ".txt");
    if (AppTestDir::read(f) == "abc") ++unchanged;
    else backups.push_back(f + ".0.snr_bak");
  }
  EXPECT_EQ(unchanged, skipped);
  std::vector<std::string> listed = lines(data("backup.dat"));
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, backups);
}
