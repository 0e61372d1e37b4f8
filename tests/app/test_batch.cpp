#include "test_batch_tools.h"
#include "commandline/uSnRBatchFile.h"
#include "texts/uSnRTexts.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>

using batchtest::exists;
using batchtest::Folder;
using batchtest::readFile;
using batchtest::writeFile;
using Strings = std::vector<std::string>;

namespace {

// The golden copies lie beside this source file.
std::string goldenDir() {
  std::string here = __FILE__;
  return here.substr(0, here.find_last_of("/\\") + 1) + "golden";
}

// Compares a saved batch file with its golden copy; QZ_UPDATE_GOLDEN=1 writes
// the golden copy instead.
void expectGolden(const TSnRBatchRequest& r, const std::string& name) {
  Folder dir("batch");
  ASSERT_TRUE(SaveSnRBatchFile(dir / name, r));
  const std::string actual = readFile(dir / name);
  const std::string golden = goldenDir() + "/" + name;
  const char* update = std::getenv("QZ_UPDATE_GOLDEN");
  if (update && *update == '1') writeFile(golden, actual);
  EXPECT_EQ(actual, readFile(golden)) << name;
}

TSnRBatchRequest request() {
  TSnRBatchRequest r;
  r.ProgramFile = L"C:\\Program Files\\Qz\\QzSearchAndReplace.exe";
  r.Files = {L"C:\\data\\a.txt", L"C:\\data\\not checked.txt"};
  return r;
}

std::string crlfLines(const Strings& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

// A stand-in for the program: keeps what the batch file handed over.
const char kFakeProgram[] =
    "@echo off\r\n"
    "copy tmpfilelist.snr seen-list.snr >nul\r\n"
    "if exist tmpfileOldtext.snr copy tmpfileOldtext.snr seen-old.snr >nul\r\n"
    "if exist tmpfileNewtext.snr copy tmpfileNewtext.snr seen-new.snr >nul\r\n"
    "echo %*> seen-args.txt\r\n";

}  // namespace

TEST(BatchFileText, SingleLineJob) {
  TSnRBatchRequest r = request();
  r.OldHex = "616263";
  r.NewHex = "78797A";
  expectGolden(r, "single-line.bat");

  // The switches follow the two boxes; -G -B -C are always there.
  r.CaseSensitive = false;
  r.RegExpr = true;
  const Strings lines = BuildSnRBatchLines(r);
  EXPECT_EQ(lines[13],
            "\"C:\\Program Files\\Qz\\QzSearchAndReplace.exe\" -Ltmpfilelist.snr -Oh616263 -Nh78797A -CS0 -RE1 -G -B -C ");
}

TEST(BatchFileText, MultiLineJobs) {
  TSnRBatchRequest r = request();
  r.MultiLine = true;
  r.OldLines = {"first", "", "third"};
  r.NewLines = {"x"};
  expectGolden(r, "multi-line.bat");

  // An empty new text still makes a text file, so the call deletes what it finds.
  r.NewLines.clear();
  r.Files.clear();
  expectGolden(r, "multi-line-empty-new.bat");
}

// A name outside the code page makes the whole list UTF-8, between lines that
// have the interpreter pass its bytes through and put the console's code page
// back; names beyond ASCII that have an 8-bit form leave it as it was.
TEST(BatchFileText, NamesOutsideTheCodePageMakeTheListUtf8) {
  TSnRBatchRequest r = request();
  r.OldHex = "41";
  r.NewHex = "42";
  const Strings ascii = BuildSnRBatchLines(r);
  r.Files = {L"C:\\data\\\u00E4.txt"};
  Strings eightBit = ascii;
  eightBit.erase(eightBit.begin() + 11, eightBit.begin() + 13);
  eightBit.insert(eightBit.begin() + 11, "echo C:\\data\\\xE4.txt>> tmpfilelist.snr");
  EXPECT_EQ(BuildSnRBatchLines(r), eightBit);

  r.Files = {L"C:\\data\\\u4E2D\u6587.txt", L"C:\\\u00E4 2", L"on", L"C:\\\U0001F600 %x%"};
  Strings expected(ascii.begin(), ascii.begin() + 11);
  const Strings utf8 = {
      "setlocal",
      "set QzCodePage=",
      "for /f \"tokens=2 delims=:.\" %%c in ('chcp') do set \"QzCodePage=%%c\"",
      "if defined QzCodePage chcp 65001 >nul",
      "set \"QzProbe=\xC3\xA9\"",
      "if defined QzCodePage if not \"%QzProbe:~1%\"==\"\" chcp " + std::to_string(::GetOEMCP()) + " >nul",
      "echo C:\\data\\\xE4\xB8\xAD\xE6\x96\x87.txt>> tmpfilelist.snr",
      "echo C:\\\xC3\xA4 ^2>> tmpfilelist.snr",
      "<nul set /p \"=on\">> tmpfilelist.snr",
      "echo.>> tmpfilelist.snr",
      "echo C:\\\xF0\x9F\x98\x80 %%x%%>> tmpfilelist.snr",
      "if defined QzCodePage chcp %QzCodePage% >nul",
  };
  expected.insert(expected.end(), utf8.begin(), utf8.end());
  expected.insert(expected.end(), ascii.begin() + 13, ascii.end());
  EXPECT_EQ(BuildSnRBatchLines(r), expected);
}

TEST(BatchFileText, EscapingOfSpecialCharactersAndWords) {
  struct Case { const char* text; Strings lines; } cases[] = {
      {"C:\\a b\\c.txt", {"echo C:\\a b\\c.txt>> f"}},
      {"a&b|c<d>e^f\"g", {"echo a^&b^|c^<d^>e^^f^\"g>> f"}},
      {"100%", {"echo 100%%>> f"}},
      {"file 2", {"echo file ^2>> f"}},
      {"", {"echo.>> f"}},
      {"   ", {"echo.   >> f"}},
      {"/?", {"echo./?>> f"}},
      {"On", {"<nul set /p \"=On\">> f", "echo.>> f"}},
      {" off\t", {"<nul set /p \"= off\t\">> f", "echo.>> f"}},
      {"online", {"echo online>> f"}},
  };
  for (const auto& c : cases) EXPECT_EQ(BatchAppendLines(c.text, "f"), c.lines) << c.text;

  TSnRBatchRequest r = request();
  r.ProgramFile = L"C:\\100% sure\\QzSearchAndReplace.exe";
  r.Files = {L"C:\\data\\R&D <new>.txt"};
  r.MultiLine = true;
  r.OldLines = {"on", "/?"};
  r.NewLines = {"off", "   "};
  expectGolden(r, "special.bat");
}

// Every name and line must arrive in the temporary files exactly as it was.
TEST(BatchFileRun, NamesAndLinesArriveExactly) {
  Folder dir("batchrun");
  const std::string program = dir / "fake pr\xF6gram %x%.cmd";   // beyond ASCII and with %
  writeFile(program, kFakeProgram);

  TSnRBatchRequest r;
  r.ProgramFile = qztest::Wide(program);
  const Strings files = {dir / "R&D (1).txt", "C:\\x|y<z>w^v.txt", "C:\\100% %OS% !x!.txt", "C:\\a \"b\" c",
                         "C:\\data\\file 2", "on", "C:\\\xE4\xF6\xFC.txt"};
  for (const std::string& f : files) r.Files.push_back(qztest::Wide(f));
  r.MultiLine = true;
  r.OldLines = {"on", "OFF", " on ", "/?", "", "   ", "echo", "a \"quoted & odd", "x 2", "%OS%", "!x!",
                "tab\there", ":label", "=eq", ";semi", "(paren)", "\\..\\x", "tail blanks  "};
  r.NewLines = {"off", "a^b", ""};
  r.CaseSensitive = false;
  r.RegExpr = true;
  ASSERT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));

  ASSERT_TRUE(batchtest::runAndWait("cmd.exe /c \"job.bat < nul > out.txt 2>&1\"", dir.path(), 60000));
  EXPECT_EQ(readFile(dir / "seen-list.snr"), crlfLines(files)) << readFile(dir / "out.txt");
  EXPECT_EQ(readFile(dir / "seen-old.snr"), crlfLines(r.OldLines));
  EXPECT_EQ(readFile(dir / "seen-new.snr"), crlfLines(r.NewLines));
  EXPECT_NE(readFile(dir / "seen-args.txt").find("-Ltmpfilelist.snr -OFtmpfileOldtext.snr -NFtmpfileNewtext.snr "
                                                 "-CS0 -RE1 -G -B -C"),
            std::string::npos);

  // An empty new text arrives as an empty file.
  writeFile(dir / "seen-new.snr", "stale");
  r.NewLines.clear();
  ASSERT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));
  ASSERT_TRUE(batchtest::runAndWait("cmd.exe /c \"job.bat < nul > out.txt 2>&1\"", dir.path(), 60000));
  EXPECT_EQ(readFile(dir / "seen-new.snr"), "");
  EXPECT_TRUE(exists(dir / "seen-new.snr"));
}

TEST(BatchFileRun, WithoutTheProgramItShowsTheBoxAndChangesNothing) {
  Folder dir("batchrun");
  TSnRBatchRequest r;
  r.ProgramFile = qztest::Wide(dir / "gone\\QzSearchAndReplace.exe");
  r.Files = {L"C:\\a.txt"};
  r.OldHex = "41";
  r.NewHex = "42";
  ASSERT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));
  ASSERT_TRUE(batchtest::runAndWait("cmd.exe /c \"job.bat < nul > out.txt 2>&1\"", dir.path(), 60000));
  const std::string out = readFile(dir / "out.txt");
  EXPECT_NE(out.find("* Rudize&Darozad Edo is not installed any more                          *"), std::string::npos)
      << out;
  EXPECT_NE(out.find(std::string("* ") + ProductHomepage(1) + " "), std::string::npos) << out;
  EXPECT_FALSE(exists(dir / "tmpfilelist.snr"));
}

// A line longer than the interpreter reads whole is refused and the batch goes
// on with the lines after it: such a batch would run another job than the
// window's, so it is never written.
TEST(BatchFileText, LinesAndTextsABatchRunCannotTakeWholeAreRefused) {
  // "echo " + text + ">> tmpfileOldtext.snr": 26 characters besides the text.
  const size_t longest = kBatchLineMax - 26;
  struct Case {
    const char* what;
    std::function<void(TSnRBatchRequest&)> make;
    const char* english;   // empty: accepted
    const char* german;
  } cases[] = {
      {"a line at the limit", [&](TSnRBatchRequest& r) { r.OldLines = {"A", std::string(longest, 'x'), "B"}; }, "", ""},
      {"one character more",
       [&](TSnRBatchRequest& r) { r.OldLines = {"A", std::string(longest + 1, 'x'), "B"}; },
       "its line 16 (made of line 2 of the old text) would be 8,192 characters long, and the command interpreter "
       "reads at most 8,191 characters a line.",
       "Zeile 16 (aus der 2. Zeile des alten Textes) w\xE4re 8.192 Zeichen lang, der Kommandointerpreter liest "
       "h\xF6" "chstens 8.191 Zeichen je Zeile."},
      {"a new text line",
       [&](TSnRBatchRequest& r) { r.NewLines = {std::string(9000, 'z')}; },
       "(made of line 1 of the new text) would be 9,026", "(aus der 1. Zeile des neuen Textes) w\xE4re 9.026"},
      {"a file name that escaping makes long",
       [&](TSnRBatchRequest& r) { r.Files = {L"C:\\" + std::wstring(4100, L'%') + L".txt"}; },
       "(made of file name 1) would be 8,230", "(aus dem 1. Dateinamen) w\xE4re 8.230"},
      // In UTF-8 each of these characters takes three bytes, and the
      // interpreter may read the line byte by byte.
      {"a file name in UTF-8, at the limit",
       [&](TSnRBatchRequest& r) { r.Files = {L"C:\\ab" + std::wstring(2721, L'\u4E2D')}; }, "", ""},
      {"a file name in UTF-8, one byte more",
       [&](TSnRBatchRequest& r) { r.Files = {L"C:\\abc" + std::wstring(2721, L'\u4E2D')}; },
       "its line 18 (made of file name 1) would be 8,192 characters long",
       "Zeile 18 (aus dem 1. Dateinamen) w\xE4re 8.192 Zeichen lang"},
      {"an old text too long for a batch run",
       [&](TSnRBatchRequest& r) { r.OldLines = Strings(5, std::string(6400, 'o')); },
       "The old text is 32,008 bytes long with its line breaks, and a batch run takes at most 31,999 bytes.",
       "Der alte Text ist mit seinen Zeilenumbr\xFC" "chen 32.008 Bytes lang, ein Batch-Lauf nimmt h\xF6" "chstens "
       "31.999 Bytes."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TSnRBatchRequest r = request();
    r.MultiLine = true;
    r.OldLines = {"old"};
    r.NewLines = {"new"};
    c.make(r);
    const std::string english = SnRBatchFileProblem(r, 1), german = SnRBatchFileProblem(r, 0);
    Folder dir("batch");
    writeFile(dir / "job.bat", "the user's old file");
    if (!*c.english) {
      EXPECT_EQ(english, "");
      EXPECT_TRUE(SaveSnRBatchFile(dir / "job.bat", r));
      continue;
    }
    EXPECT_NE(english.find(c.english), std::string::npos) << english;
    EXPECT_EQ(english.rfind("The batch file was not saved: ", 0), 0u) << english;
    EXPECT_NE(german.find(c.german), std::string::npos) << german;
    EXPECT_EQ(german.rfind("Die Batch-Datei wurde nicht gespeichert: ", 0), 0u) << german;
    EXPECT_FALSE(SaveSnRBatchFile(dir / "job.bat", r));
    EXPECT_EQ(readFile(dir / "job.bat"), "the user's old file");
  }
  // The longest single-line job, 1024 bytes each way, stays well inside.
  TSnRBatchRequest r = request();
  r.OldHex = r.NewHex = std::string(2048, 'A');
  EXPECT_EQ(SnRBatchFileProblem(r, 1), "");
}
