#include "test_batch_tools.h"
#include "commandline/uSnRCommandLine.h"
#include "win/FileNames.h"
#include "win/Handles.h"
#include <gtest/gtest.h>

using batchtest::Folder;
using batchtest::writeFile;
using Strings = std::vector<std::string>;

TEST(CommandLineSplit, BlanksSeparateQuotesGroupAndAreDropped) {
  struct Case { const char* line; Strings params; } cases[] = {
      {"", {}},
      {"   ", {}},
      {"prog -Fa.txt  -B", {"prog", "-Fa.txt", "-B"}},
      {"\"C:\\Program Files\\Qz.exe\" -F\"c:\\my data\\*.txt\"", {"C:\\Program Files\\Qz.exe", "-Fc:\\my data\\*.txt"}},
      {"p \"-Oca b\"c\t-Nc\"x  y", {"p", "-Oca bc", "-Ncx  y"}},   // an open quote runs to the end
      {"p \"\" -B \"\"", {"p", "-B"}},                            // empty pairs make no parameter
      {"p -Oc\"\"x", {"p", "-Ocx"}},
      {"p \xE4\xF6 -G", {"p", "\xE4\xF6", "-G"}},                   // bytes above 127 are text
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.params) << c.line;
}

struct CommandLineTest : ::testing::Test {
  Folder dir{"cmdline"};
  std::string file(const std::string& name, const std::string& bytes = "x") {
    writeFile(dir / name, bytes);
    return dir / name;
  }
};

TEST_F(CommandLineTest, KeysAndWholeParameterOptionsIgnoreCase) {
  struct Case {
    Strings params;
    bool backup, close;
    int32_t log;
    std::vector<TSnRSwitch> switches;
  } cases[] = {
      {{}, false, false, llNone, {}},
      {{"-b", "-G"}, true, false, llAllFiles, {}},
      {{"-g1"}, false, false, llChangedFiles, {}},
      {{"-G2", "-g0"}, false, false, llNone, {}},
      {{"-G1", "-Gx"}, false, false, llAllFiles, {}},   // any other -G is the key alone
      {{"-Bogus", "-c"}, true, true, llNone, {}},
      {{"-cs1", "-CS0", "-re1", "-Re0"}, false, false, llNone,
       {TSnRSwitch::CaseOn, TSnRSwitch::CaseOff, TSnRSwitch::RegExpOn, TSnRSwitch::RegExpOff}},
      {{"-CS2"}, false, true, llNone, {}},              // not a switch, so the key -C
      {{"-X", "B", "", "-"}, false, false, llNone, {}}, // matches nothing: ignored
  };
  for (const auto& c : cases) {
    const TSnRCommandLine cl = ParseSnRCommandLine(c.params);
    SCOPED_TRACE(::testing::PrintToString(c.params));
    EXPECT_EQ(cl.Backup, c.backup);
    EXPECT_EQ(cl.CloseWhenDone, c.close);
    EXPECT_EQ(cl.LogLevel, c.log);
    EXPECT_EQ(cl.Switches, c.switches);
    EXPECT_EQ(cl.Files.count(), 0);   // -RE1 and -CS1 add no files
  }
}

TEST_F(CommandLineTest, SwitchesActLikeClicksOnTheCoupledBoxes) {
  struct Case { std::vector<TSnRSwitch> s; TSnRMode mode; } cases[] = {
      {{}, smCaseSensitive},
      {{TSnRSwitch::RegExpOn}, smRegExpr},
      {{TSnRSwitch::CaseOff}, smIgnoreCase},
      {{TSnRSwitch::RegExpOn, TSnRSwitch::CaseOn}, smCaseSensitive},
      {{TSnRSwitch::CaseOn, TSnRSwitch::RegExpOn, TSnRSwitch::RegExpOff}, smIgnoreCase},
  };
  for (const auto& c : cases) {
    bool cs = true, re = false;
    for (TSnRSwitch s : c.s) ApplySnRSwitch(s, cs, re);
    EXPECT_EQ(SnRModeFor(cs, re), c.mode);
  }
}

TEST_F(CommandLineTest, FilesByNameByMaskRecursivelyAndFromAList) {
  file("a.txt");
  file("b.TXT");
  file("c.dat");
  ::CreateDirectoryA((dir / "sub").c_str(), nullptr);
  file("sub\\d.txt");

  // A name without wildcards is taken as it is, even when it does not exist.
  EXPECT_EQ(ParseSnRCommandLine({"-Fq:\\nowhere\\x.txt", "-f" + dir / "a.txt"}).Files.items(),
            (Strings{"q:\\nowhere\\x.txt", dir / "a.txt"}));

  Strings flat = ParseSnRCommandLine({"-F" + dir / "*.txt"}).Files.items();
  std::sort(flat.begin(), flat.end());
  EXPECT_EQ(flat, (Strings{dir / "a.txt", dir / "b.TXT"}));

  Strings deep = ParseSnRCommandLine({"-r" + dir / "?.txt"}).Files.items();
  std::sort(deep.begin(), deep.end());
  EXPECT_EQ(deep, (Strings{dir / "a.txt", dir / "b.TXT", dir / "sub\\d.txt"}));

  // Trimmed, one pair of quotes removed, empty lines skipped without ending the list.
  const std::string list = file("list.txt",
                                "  \"c:\\with blanks\\a.txt\"  \r\n"
                                "\tplain.txt\r\n"
                                "\r\n"
                                "   \r\n"
                                "\"\r\n"
                                "\"\"\r\n"
                                "\"only leading\n"
                                "only trailing\"\r\n"
                                "last");
  EXPECT_EQ(ParseSnRCommandLine({"-L" + list, "-Lq:\\missing.lst", "-L"}).Files.items(),
            (Strings{"c:\\with blanks\\a.txt", "plain.txt", "only leading", "only trailing", "last"}));

  // Files from several options add up in order, duplicates included.
  EXPECT_EQ(ParseSnRCommandLine({"-Fx", "-L" + list, "-Fx"}).Files.count(), 7);
}

// Names come from the wide parameters: a name outside the code page names its
// file, and only a "*" or "?" the user typed is a wildcard.
TEST_F(CommandLineTest, FileNamesOfAnyCharactersFromTheWideParameters) {
  const std::wstring folder = qztest::Wide(dir.path()) + L"\\\u4E2D";
  ASSERT_TRUE(qztest::MakeFolder(folder));
  const std::wstring chinese = folder + L"\\\u4E2D\u6587.txt", emoji = folder + L"\\\U0001F600.txt";
  for (const std::wstring& n : {chinese, emoji, folder + L"\\ab.txt"}) ASSERT_TRUE(qztest::WriteWideFile(n, "x"));
  const std::wstring list = folder + L"\\list \u4E2D.lst";   // its lines are 8-bit text
  ASSERT_TRUE(qztest::WriteWideFile(list, "c:\\a\xE4.txt\r\n"));

  const TSnRCommandLine c = ParseSnRCommandLine(
      std::vector<std::wstring>{L"-F" + chinese, L"-R" + folder + L"\\*.txt", L"-L" + list, L"-Oc\u00E4\u4E2D", L"-Nhx"});
  std::vector<std::wstring> deep(c.Files.Names().begin() + 1, c.Files.Names().begin() + 4);
  std::sort(deep.begin(), deep.end());
  std::vector<std::wstring> all = {chinese, emoji, folder + L"\\ab.txt"};
  std::sort(all.begin(), all.end());
  EXPECT_EQ(c.Files.Names().front(), chinese);
  EXPECT_EQ(deep, all);
  EXPECT_EQ(c.Files.Names().back(), L"c:\\a\u00E4.txt");
  EXPECT_EQ(c.Files.count(), 5);
  EXPECT_EQ(c.Files[0], win::WideToAnsi(chinese));
  // Other values keep the 8-bit form the 8-bit command line gives them.
  EXPECT_EQ(c.OldLines, Strings{"\xE4?"});
  ASSERT_EQ(c.RefusedHex.size(), 1u);
  EXPECT_EQ(c.RefusedHex[0].Param, "-Nhx");

  EXPECT_EQ(SplitCommandLine(std::wstring(L"p \"-F\u4E2D a\" \uFF02x")),
            (std::vector<std::wstring>{L"p", L"-F\u4E2D a", L"\uFF02x"}));   // a look-alike quote is no quote
  EXPECT_EQ(SnRParamText(L"-Oc\u4E2D"), "-Oc?");
}

// A list in UTF-8, with the byte-order mark or without, gives the real names; a
// list in 8-bit text reads as it always did. The line rules are the same for both.
TEST_F(CommandLineTest, ListFilesInUtf8OrIn8BitText) {
  using Names = std::vector<std::wstring>;
  const std::string bom = "\xEF\xBB\xBF", chinese = "\xE4\xB8\xAD\xE6\x96\x87";
  struct Case { const char* what; std::string bytes; Names names; } cases[] = {
      {"UTF-8 with the mark", bom + "  \"c:\\" + chinese + ".txt\"  \r\n\r\nc:\\\xC3\xA4.txt\r\n",
       {L"c:\\\u4E2D\u6587.txt", L"c:\\\u00E4.txt"}},
      {"UTF-8 without it", "\t\xD0\x9F\xD1\x80\xD0\xB8\r\n\"\n\xF0\x9F\x98\x80\"", {L"\u041F\u0440\u0438", L"\U0001F600"}},
      {"the mark on a line of its own", bom + "\r\nx\r\n", {L"x"}},
      {"marked, with a line that is not UTF-8", bom + chinese + "\r\n\xE4", {L"\u4E2D\u6587", win::AnsiToWide("\xE4")}},
      // One line that is not UTF-8 makes the whole list 8-bit text, also the
      // line that would be.
      {"8-bit text", "c:\\a\xE4.txt\r\n\"c:\\\xC3\xA9\"\r\n",
       {win::AnsiToWide("c:\\a\xE4.txt"), win::AnsiToWide("c:\\\xC3\xA9")}},
      {"ASCII only", "a.txt\r\nb.txt", {L"a.txt", L"b.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TSnRCommandLine cl = ParseSnRCommandLine({"-L" + file("list.lst", c.bytes)});
    EXPECT_EQ(cl.Files.Names(), c.names);
    Strings shown;
    for (const std::wstring& n : c.names) shown.push_back(win::WideToAnsi(n));
    EXPECT_EQ(cl.Files.items(), shown);
  }
}

// A hex value is taken as given or refused: never read as far as it goes.
TEST_F(CommandLineTest, HexValuesOfAnythingButPairsOfHexDigitsAreRefused) {
  const std::string f = file("a.txt");
  const std::string huge = std::string(16000, 'A') + "6";   // 16,000 bytes and a half
  struct Case { std::string param; TSnRHexProblem problem; std::string en, de; } cases[] = {
      {"-Oh616", TSnRHexProblem::OddDigits, "an odd number of hex digits", "ungerade Anzahl von Hex-Ziffern"},
      {"-Oh61zz63", TSnRHexProblem::NotHexDigits, "only the hex digits 0-9 and A-F may be given, without blanks",
       "nur die Hex-Ziffern 0-9 und A-F sind erlaubt, ohne Leerzeichen"},
      {"-Oh0x61", TSnRHexProblem::NotHexDigits, "", ""},
      {"-Oh61 62", TSnRHexProblem::NotHexDigits, "", ""},   // blanks too: the batch files never write them
      {"-Nhqq", TSnRHexProblem::NotHexDigits, "", ""},
      {"-OH" + std::string(32000, 'a'), TSnRHexProblem::TooLong, "more than 1024 bytes", "mehr als 1024 Bytes"},
      {"-Oh" + huge, TSnRHexProblem::OddDigits, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.param.substr(0, 20));
    const Strings params = {"-F" + f, c.param[1] == 'N' ? "-Oh41" : c.param, c.param[1] == 'N' ? c.param : "-Nh42"};
    const TSnRCommandLine cl = ParseSnRCommandLine(params);
    EXPECT_FALSE(cl.Complete());
    ASSERT_EQ(cl.RefusedHex.size(), 1u);
    EXPECT_EQ(cl.RefusedHex[0].Problem, c.problem);
    EXPECT_TRUE(c.param[1] == 'N' ? cl.NewValue.Len == -1 && !cl.NewHex : cl.OldValue.Len == -1 && !cl.OldHex);
    if (c.en.empty()) continue;
    const std::string named = c.param.size() > 60 ? c.param.substr(0, 57) + "..." : c.param;
    for (int language : {0, 1}) {
      const Strings lines = SnRCommandLineErrorLines(cl, params, language);
      ASSERT_GE(lines.size(), 5u);
      EXPECT_EQ(lines.end()[-2], (language ? "hex value refused: " : "Hex-Wert abgelehnt: ") + named + " - " +
                                     (language ? c.en : c.de));
      EXPECT_EQ(lines.back(), "");
    }
  }
  // As many digits as a byte string holds, in either case: taken.
  for (const std::string& ok : {std::string(2048, 'f'), std::string("00aAfF"), std::string()}) {
    EXPECT_EQ(SnRHexProblem(ok), TSnRHexProblem::None);
    EXPECT_TRUE(ParseSnRCommandLine({"-Oh" + ok}).RefusedHex.empty());
  }
  EXPECT_TRUE(ParseSnRCommandLine({"-F" + f, "-Oh" + std::string(2048, 'f'), "-Nh"}).Complete());
}

TEST_F(CommandLineTest, OldAndNewStrings) {
  const std::string lines = file("old.txt", "first\r\n\r\n  third  \r\n");

  TSnRCommandLine c = ParseSnRCommandLine({"-Oh4142", "-oH43", "-Nh4445", "-nHaBcD"});
  EXPECT_TRUE(c.OldHex && !c.OldText && c.NewHex && !c.NewText);
  EXPECT_EQ(c.OldValue.GetHex(), "43");   // the last hex string counts
  EXPECT_EQ(c.NewValue.GetHex(), "ABCD");
  EXPECT_TRUE(c.OldLines.empty());

  c = ParseSnRCommandLine({"-Ocabc", "-OxSecond Line", "-OF" + lines, "-Nt", "-OFq:\\missing.txt"});
  EXPECT_TRUE(c.OldText && !c.OldHex && c.NewText && !c.NewHex);
  EXPECT_EQ(c.OldLines, (Strings{"abc", "Second Line", "first", "", "  third  "}));
  EXPECT_EQ(c.NewLines, (Strings{""}));
  EXPECT_EQ(c.OldValue.GetText(), "Second Line");

  // A missing file sets nothing; so does a bare -O or -N.
  c = ParseSnRCommandLine({"-NFq:\\missing.txt", "-O", "-N"});
  EXPECT_FALSE(c.OldText || c.OldHex || c.NewText || c.NewHex);

  // An empty file is an empty text.
  c = ParseSnRCommandLine({"-nf" + file("empty.txt", "")});
  EXPECT_TRUE(c.NewText);
  EXPECT_TRUE(c.NewLines.empty());
}

TEST_F(CommandLineTest, CompletenessAndTheErrorLinesInBothLanguages) {
  const std::string f = file("a.txt");
  const std::string header[] = {"Fehler beim Verwenden der Kommandozeilenparamter:",
                                "Error using command line parameters:"};
  const std::string noFiles[] = {
      "keine Dateien gefunden - bitte verwenden Sie die Paramter -F, -R oder -L um die Dateinamen festzulegen",
      "no files found - please use parameters -F, -R or -L to define file names"};
  const std::string noOld[] = {"kein Such-String definiert - bitte verwenden Sie Parameter -O",
                               "no source string defined - please use paramter -O"};
  struct Case {
    Strings params;
    bool complete, files, old;
  } cases[] = {
      {{"-F" + f, "-Oh41", "-Nh"}, true, true, true},
      {{"-F" + f, "-Ocabc", "-Ncxyz"}, true, true, true},
      {{"-F" + f, "-Ocabc", "-Nc"}, true, true, true},     // an empty new text deletes
      {{"-F" + f, "-Oh41", "-Ncx"}, false, true, true},    // mixed kinds: no message of its own
      {{"-F" + f, "-Oh41", "-Nh42", "-Ocx"}, false, true, true},
      {{"-F" + f, "-Oh41"}, false, true, true},
      {{"-F" + f, "-Oh", "-Nh42"}, false, true, false},
      {{"-F" + f, "-Oc", "-Ncx"}, false, true, false},     // an option without a value is no old string
      {{"-F" + f, "-Oc", "-Oc", "-Ncx"}, true, true, true},  // two empty lines: a line break
      {{"-Ocabc", "-Ncx"}, false, false, true},
      {{"-F" + dir / "*.none", "-B"}, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.params));
    const TSnRCommandLine cl = ParseSnRCommandLine(c.params);
    EXPECT_EQ(cl.Complete(), c.complete);
    EXPECT_EQ(cl.HasOldString(), c.old);
    std::string all;
    for (const auto& p : c.params) all += " " + p;
    for (int language : {0, 1, -1}) {
      const int en = language == 0 ? 0 : 1;
      Strings expected = {header[en], all, ""};
      if (!c.files) expected.push_back(noFiles[en]);
      if (!c.old) expected.push_back(noOld[en]);
      expected.push_back("");
      EXPECT_EQ(SnRCommandLineErrorLines(cl, c.params, language), expected) << language;
    }
  }
}

TEST_F(CommandLineTest, JobsOfHexAndTextCommandLines) {
  const std::string a = file("a.txt"), b = file("b.txt");

  // Hex: one job per file with -B and -G; without them no backup and no log.
  TSnRCommandLine c = ParseSnRCommandLine({"-F" + a, "-F" + b, "-Oh4142", "-Nh4344", "-B", "-G1"});
  auto jobs = BuildSnRJobs(SnRCommandLineJobRequest(c, true, false, false, llAllFiles));
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0]->FileName, a);
  EXPECT_EQ(jobs[1]->FileName, b);
  EXPECT_EQ(jobs[0]->SearchBuf, "AB");
  EXPECT_EQ(jobs[0]->ReplaceBuf, "CD");
  EXPECT_TRUE(jobs[0]->Backup);
  EXPECT_EQ(jobs[0]->LogLevel, llChangedFiles);
  EXPECT_EQ(jobs[0]->Mode, smCaseSensitive);

  c = ParseSnRCommandLine({"-F" + a, "-Oh00FF", "-Nh"});
  jobs = BuildSnRJobs(SnRCommandLineJobRequest(c, false, true, true, llAllFiles));
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0]->SearchBuf, std::string("\0\xFF", 2));   // bytes, NUL included
  EXPECT_EQ(jobs[0]->ReplaceLen, 0);
  EXPECT_FALSE(jobs[0]->Backup);
  EXPECT_EQ(jobs[0]->LogLevel, llNone);
  EXPECT_EQ(jobs[0]->Mode, smRegExpr);

  // Text: the lines joined by CR LF, LF and CR, with the window's backup and
  // log settings in place of -B and -G.
  c = ParseSnRCommandLine({"-F" + a, "-Ocone", "-Octwo", "-Ncx", "-B", "-G0"});
  jobs = BuildSnRJobs(SnRCommandLineJobRequest(c, false, false, true, llChangedFiles));
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[0]->SearchBuf, "one\r\ntwo");
  EXPECT_EQ(jobs[1]->SearchBuf, "one\ntwo");
  EXPECT_EQ(jobs[2]->SearchBuf, "one\rtwo");
  EXPECT_EQ(jobs[2]->ReplaceBuf, "x");
  EXPECT_TRUE(jobs[0]->Backup);
  EXPECT_EQ(jobs[0]->LogLevel, llChangedFiles);
  EXPECT_EQ(jobs[0]->Mode, smIgnoreCase);

  // One line of text needs one job: two more would replace again what it put in.
  c = ParseSnRCommandLine({"-F" + a, "-Ocabc", "-Ncxabc"});
  EXPECT_EQ(BuildSnRJobs(SnRCommandLineJobRequest(c, true, false, true, llAllFiles)).size(), 1u);
}

// Old and new texts must fit the 32000-byte buffers of a text job: a larger
// "-OF" file is refused at once, unread, and so is a longer joined text.
TEST_F(CommandLineTest, TextsTooLargeForTheirJobAreRefusedWithTheLimit) {
  const std::string a = file("a.txt");
  const std::string huge = dir / "huge.txt";
  {
    win::FileHandle h(::CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER size;
    size.QuadPart = 100LL << 20;
    ASSERT_TRUE(::SetFilePointerEx(h.get(), size, nullptr, FILE_BEGIN) && ::SetEndOfFile(h.get()));
  }
  const std::string fits = file("fits.txt", std::string(kSnRTextMax, 'f') + "\r\n");
  const std::string halves = std::string(16000, 'h');
  const std::string limit = std::to_string(kSnRTextMax);
  struct Case {
    Strings params;
    bool complete;
    Strings extra;   // error lines besides those of the incomplete command line
  } cases[] = {
      {{"-F" + a, "-OF" + fits, "-Ncx"}, true, {}},
      {{"-F" + a, "-OF" + huge, "-Ncx"}, false,
       {"no source string defined - please use paramter -O",
        "text file too large: " + huge + " - old and new texts may hold at most " + limit +
            " bytes with their line breaks"}},
      {{"-F" + a, "-Ocx", "-NF" + huge}, false,
       {"text file too large: " + huge + " - old and new texts may hold at most " + limit +
            " bytes with their line breaks"}},
      {{"-F" + a, "-Oc" + halves, "-Oc" + halves, "-Ncx"}, false,
       {"old text too long - at most " + limit + " bytes with its line breaks"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params[1]);
    const DWORD start = ::GetTickCount();
    const TSnRCommandLine cl = ParseSnRCommandLine(c.params);
    EXPECT_LT(::GetTickCount() - start, 2000u);   // the large file is not read
    EXPECT_EQ(cl.Complete(), c.complete);
    if (c.complete) continue;
    Strings lines = SnRCommandLineErrorLines(cl, c.params, 1);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(Strings(lines.begin() + 3, lines.end() - 1), c.extra);
    EXPECT_NE(SnRCommandLineErrorLines(cl, c.params, 0)[3 + c.extra.size() - 1].find(limit + " Bytes"),
              std::string::npos);
  }
}
