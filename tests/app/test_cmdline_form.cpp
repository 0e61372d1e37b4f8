// The main window driven by a command line and exporting its job as a batch
// file, in this process, with a data folder of its own.
#include "SnRFormTest.h"
#include "test_batch_tools.h"
#include "settings/uQzSnRMainForm.h"
#include "mainwindow/uSearchAndReplace.h"
#include "mainwindow/uSnRFormCommandLine.h"
#include <gtest/gtest.h>
#include "QzTestWait.h"
#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

using batchtest::exists;
using batchtest::Folder;
using batchtest::readFile;
using batchtest::writeFile;
using Strings = std::vector<std::string>;

namespace {

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000) {
  return qztest::WaitUntil(done, timeoutMs, [] { win::app().processMessages(); });
}

// Presses a button of the dialog boxes this process shows, until it is told
// to stop, and keeps the texts of their controls.
class DialogAnswer {
public:
  explicit DialogAnswer(int button) : thread_([this, button] {
      const DWORD pid = ::GetCurrentProcessId();
      while (!stop_) {
        HWND box = nullptr;
        while ((box = ::FindWindowExA(nullptr, box, "#32770", nullptr))) {
          DWORD owner = 0;
          ::GetWindowThreadProcessId(box, &owner);
          if (owner != pid || !::IsWindowVisible(box)) continue;
          ::Sleep(200);   // let the dialog finish its start
          ::EnumChildWindows(box, collect, reinterpret_cast<LPARAM>(this));
          ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        }
        ::Sleep(50);
      }
    }) {}
  ~DialogAnswer() { finish(); }
  // Stops answering; the texts seen, one control a line.
  std::string finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return texts_;
  }

private:
  static BOOL CALLBACK collect(HWND h, LPARAM self) {
    char text[1024] = {};
    ::GetWindowTextA(h, text, sizeof text);
    reinterpret_cast<DialogAnswer*>(self)->texts_ += std::string(text) + "\n";
    return TRUE;
  }
  std::atomic<bool> stop_{false};
  std::string texts_;
  std::thread thread_;
};

// A folder under the working folder, whose name the batch files can carry.
struct CommandLineFolder : Folder {
  CommandLineFolder() : Folder("cmdlinewin") {}
};

class CommandLineWindow : public SnRFormTest<CommandLineFolder> {
protected:
  bool queueDone() { return f->SnRThread->TaskCount() == 0; }
  Strings results() {
    Strings r;
    for (int i = 0; i < f->ResultListBox->count(); ++i) r.push_back(f->ResultListBox->item(i));
    return r;
  }
};

}  // namespace

TEST_F(CommandLineWindow, HexJobsForEveryMatchingFileWithBackupAndLogLevel) {
  const std::string a = file("a.txt", "xxABxxAB"), b = file("b.txt", "AB"), c = file("c.dat", "AB");
  ::CreateDirectoryA((dir / "files\\sub").c_str(), nullptr);
  const std::string deep = file("sub\\d.txt", "AB");
  ProcessSnRCommandLine(*f, {"-F" + dir / "files\\*.txt", "-oh4142", "-Nh4344", "-B", "-G1"});
  EXPECT_EQ(f->BatchMode, 1);
  EXPECT_EQ(f->CloseWhenDone, 0);
  ASSERT_TRUE(pumpUntil([&] { return queueDone() && f->BackupFileCheckListBox->count() == 2; }));
  EXPECT_EQ(readFile(a), "xxCDxxCD");
  EXPECT_EQ(readFile(b), "CD");
  EXPECT_EQ(readFile(c), "AB");       // not matched by the mask
  EXPECT_EQ(readFile(deep), "AB");    // no subfolders
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(exists(f->BackupFileCheckListBox->item(i)));
  const Strings r = results();
  EXPECT_EQ(std::count(r.begin(), r.end(), "AB [4142] --> CD [4344] :"), 2);
  EXPECT_EQ(std::count(r.begin(), r.end(), "2 replacements"), 1);
  EXPECT_EQ(std::count(r.begin(), r.end(), "1 replacements"), 1);
}

TEST_F(CommandLineWindow, TextJobsFillTheMemosAndTakeTheWindowsSettings) {
  f->CreateBackups = 0;
  const std::string a = file("a.txt", "one\r\ntwo|ONE\ntwo|one\rTwo|one two");
  ProcessSnRCommandLine(*f, {"-F" + a, "-Ocone", "-Octwo", "-Ncx", "-B", "-G0", "-CS0"});
  EXPECT_EQ(f->BatchMode, 1);
  EXPECT_EQ(f->MemoFromStr->lines(), (Strings{"one", "two"}));
  EXPECT_EQ(f->MemoToStr->lines(), (Strings{"x"}));
  EXPECT_FALSE(f->CaseSensitivSingleLineCheckBox->checked());
  EXPECT_FALSE(f->CaseSensitivMultiLineCheckBox->checked());
  ASSERT_TRUE(pumpUntil([&] { return queueDone() && readFile(a) == "x|x|x|one two"; })) << readFile(a);
  win::app().processMessages();
  EXPECT_EQ(f->BackupFileCheckListBox->count(), 0);   // the window's "no backups", not -B
  EXPECT_FALSE(results().empty());                     // the window's log level, not -G0
}

TEST_F(CommandLineWindow, SwitchesClickTheCoupledBoxes) {
  ProcessSnRCommandLine(*f, {"-re1"});
  EXPECT_TRUE(f->RegExpSingleLineCheckBox->checked());
  EXPECT_TRUE(f->RegExpMultiLineCheckBox->checked());
  EXPECT_FALSE(f->CaseSensitivMultiLineCheckBox->checked());
  ProcessSnRCommandLine(*f, {"-CS1"});
  EXPECT_TRUE(f->CaseSensitivMultiLineCheckBox->checked());
  EXPECT_FALSE(f->RegExpSingleLineCheckBox->checked());
  EXPECT_EQ(f->CloseWhenDone, 0);
}

TEST_F(CommandLineWindow, AnIncompleteCommandLineIsListedAndTheWindowStaysOrdinary) {
  ProcessSnRCommandLine(*f, std::vector<std::string>{});
  EXPECT_TRUE(results().empty());
  EXPECT_EQ(f->MainPageControl->activePageIndex(), 0);

  const std::string a = file("a.txt", "AB");
  ProcessSnRCommandLine(*f, {"-F" + a, "-Oh41", "-Ncx", "-C"});
  EXPECT_EQ(results(), (Strings{"Error using command line parameters:", " -F" + a + " -Oh41 -Ncx -C", "", ""}));
  EXPECT_EQ(f->MainPageControl->activePageIndex(), 1);
  EXPECT_EQ(f->BatchMode, 0);
  EXPECT_EQ(f->CloseWhenDone, 0);
  EXPECT_EQ(f->MemoToStr->lines(), (Strings{"x"}));
  EXPECT_EQ(f->SnRThread->TaskCount(), 0);
  EXPECT_EQ(readFile(a), "AB");

  f->ClearResults();
  SetLanguage(0);
  ProcessSnRCommandLine(*f, {"-Oc"});
  EXPECT_EQ(results(), (Strings{"Fehler beim Verwenden der Kommandozeilenparamter:", " -Oc", "",
                                "keine Dateien gefunden - bitte verwenden Sie die Paramter -F, -R oder -L um die "
                                "Dateinamen festzulegen",
                                "kein Such-String definiert - bitte verwenden Sie Parameter -O", ""}));
}

TEST_F(CommandLineWindow, TheBatchFileTakesEveryListedFileAndTheActivePage) {
  addFile("C:\\a.txt", true);
  addFile("C:\\b & c.txt");
  f->AddFile(L"C:\\\u4E2D\u6587.txt");   // shown in 8-bit form, named by its real name
  f->SetFileChecked(2, true);
  f->CombiEditCharHexFrameFromStr->Value.SetText("abc");
  f->CombiEditCharHexFrameToStr->Value.SetHex("00");
  f->MemoFromStr->setLines({"one", ""});
  f->MemoToStr->setLines({});
  f->RegExpSingleLineCheckBox->setChecked(true);

  TSnRBatchRequest r = SnRBatchRequestFor(*f, L"C:\\Qz\\QzSearchAndReplace.exe");
  // Unchecked ones too, each by its real name.
  EXPECT_EQ(r.Files, (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\b & c.txt", L"C:\\\u4E2D\u6587.txt"}));
  EXPECT_FALSE(r.MultiLine);
  EXPECT_EQ(r.OldHex, "616263");
  EXPECT_EQ(r.NewHex, "00");
  EXPECT_FALSE(r.CaseSensitive);
  EXPECT_TRUE(r.RegExpr);

  f->PageControlLineMode->setActivePageIndex(1);
  r = SnRBatchRequestFor(*f, L"C:\\Qz\\QzSearchAndReplace.exe");
  EXPECT_TRUE(r.MultiLine);
  EXPECT_EQ(r.OldLines, (Strings{"one", ""}));
  EXPECT_TRUE(r.NewLines.empty());
}

TEST_F(CommandLineWindow, SaveAsBatchFileWritesTheJobForThisProgram) {
  addFile("C:\\a&b.txt");
  f->CombiEditCharHexFrameFromStr->Value.SetHex("4142");
  f->CombiEditCharHexFrameToStr->Value.SetHex("43");
  const std::string bat = dir / "job.bat";
  f->BATFileSaveDialog.fileName = bat;
  {
    DialogAnswer cancel(IDCANCEL);
    f->SaveasBatchFile1Click();
  }
  EXPECT_FALSE(exists(bat));
  {
    DialogAnswer ok(IDOK);
    f->SaveasBatchFile1Click();
  }
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string expected;
  for (const std::string& line : BuildSnRBatchLines(SnRBatchRequestFor(*f, self))) expected += line + "\r\n";
  EXPECT_EQ(readFile(bat), expected);
  EXPECT_NE(expected.find("echo C:\\a^&b.txt>> tmpfilelist.snr"), std::string::npos);
  EXPECT_NE(expected.find("-Oh4142 -Nh43 -CS1 -RE0 -G -B -C "), std::string::npos);
}

TEST_F(CommandLineWindow, SaveAsBatchFileRefusesALineTheInterpreterCannotReadWhole) {
  // The window's job leaves a file holding A, CR LF, B alone; a batch that cmd
  // read without its long line would search for "A\r\nB" and rewrite it.
  addFile(dir / "ab.txt");
  f->PageControlLineMode->setActivePageIndex(1);
  f->MemoFromStr->setLines({"A", std::string(9000, 'x'), "B"});
  f->MemoToStr->setLines({"Z"});
  const std::string bat = dir / "job.bat";
  f->BATFileSaveDialog.fileName = bat;
  std::string shown;
  {
    DialogAnswer answer(IDOK);
    f->SaveasBatchFile1Click();
    shown = answer.finish();
  }
  EXPECT_FALSE(exists(bat));
  EXPECT_NE(shown.find("The batch file was not saved: its line 15 (made of line 2 of the old text) would be 9,026 "
                       "characters long, and the command interpreter reads at most 8,191 characters a line."),
            std::string::npos)
      << shown;
}
