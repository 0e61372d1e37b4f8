// Job building from a snapshot of the main window, memo joining, result-line
// splitting and the texts built at run time.
#include "model/uSnRJobBuilding.h"
#include <gtest/gtest.h>

namespace {

TSnRJobRequest singleLine(const std::string& from, const std::string& to) {
  TSnRJobRequest r;
  r.CheckedFiles = {L"c:\\a.txt", L"c:\\b.txt"};
  r.FromBytes = from;
  r.ToBytes = to;
  return r;
}

TSnRJobRequest multiLine(std::vector<std::string> from, std::vector<std::string> to) {
  TSnRJobRequest r;
  r.CheckedFiles = {L"c:\\a.txt"};
  r.LineModePage = 1;
  r.MemoFrom = std::move(from);
  r.MemoTo = std::move(to);
  return r;
}

}  // namespace

TEST(SnRJobs, JoinsMemoLinesWithoutTrailingBreak) {
  EXPECT_EQ(JoinMemoLines({}, "\r\n"), "");
  EXPECT_EQ(JoinMemoLines({""}, "\r\n"), "");
  EXPECT_EQ(JoinMemoLines({"a", "", "b"}, "\r\n"), "a\r\n\r\nb");
  EXPECT_EQ(JoinMemoLines({"a", "b"}, "\n"), "a\nb");
  EXPECT_EQ(JoinMemoLines({"a", "b"}, "\r"), "a\rb");
  // No fixed buffer: a text far beyond 32000 bytes stays whole.
  const std::string big(40000, 'x');
  EXPECT_EQ(JoinMemoLines({big, big}, "\r\n").size(), 80002u);
}

TEST(SnRJobs, SingleLineGivesOneJobPerCheckedFileWithAllSettings) {
  TSnRJobRequest r = singleLine(std::string("a\0b", 3), "xyz");
  r.Backups = false;
  r.LogLevel = llChangedFiles;
  auto jobs = BuildSnRJobs(r);
  ASSERT_EQ(jobs.size(), 2u);
  EXPECT_EQ(jobs[0]->FileName, "c:\\a.txt");
  EXPECT_EQ(jobs[1]->FileName, "c:\\b.txt");
  EXPECT_EQ(jobs[0]->SearchBuf, std::string("a\0b", 3));   // every byte, NUL included
  EXPECT_EQ(jobs[0]->ReplaceBuf, "xyz");
  EXPECT_FALSE(jobs[0]->Backup);
  EXPECT_EQ(jobs[0]->LogLevel, llChangedFiles);
  EXPECT_EQ(jobs[0]->Mode, smCaseSensitive);
}

TEST(SnRJobs, EmptyNewStringDeletesAndEmptyOldStringGivesNoJob) {
  auto del = BuildSnRJobs(singleLine("abc", ""));
  ASSERT_EQ(del.size(), 2u);
  EXPECT_EQ(del[0]->ReplaceLen, 0);
  EXPECT_TRUE(BuildSnRJobs(singleLine("", "x")).empty());
  // A memo holding one empty line is an empty old string too.
  EXPECT_TRUE(BuildSnRJobs(multiLine({""}, {"x"})).empty());
  EXPECT_TRUE(BuildSnRJobs(multiLine({}, {"x"})).empty());
}

TEST(SnRJobs, ModeFromTheTwoBoxes) {
  EXPECT_EQ(SnRModeFor(true, false), smCaseSensitive);
  EXPECT_EQ(SnRModeFor(false, false), smIgnoreCase);
  EXPECT_EQ(SnRModeFor(true, true), smRegExpr);
  EXPECT_EQ(SnRModeFor(false, true), smRegExpr);
  TSnRJobRequest r = singleLine("a", "b");
  r.CaseSensitive = false;
  EXPECT_EQ(BuildSnRJobs(r)[0]->Mode, smIgnoreCase);
}

TEST(SnRJobs, MultiLineBuildsOneJobPerLineBreakInOrder) {
  TSnRJobRequest r = multiLine({"a", "b"}, {"c"});
  r.CheckedFiles = {L"c:\\1", L"c:\\2"};
  auto jobs = BuildSnRJobs(r);
  ASSERT_EQ(jobs.size(), 6u);
  EXPECT_EQ(jobs[0]->SearchBuf, "a\r\nb");
  EXPECT_EQ(jobs[1]->SearchBuf, "a\nb");
  EXPECT_EQ(jobs[2]->SearchBuf, "a\rb");
  EXPECT_EQ(jobs[2]->ReplaceBuf, "c");
  EXPECT_EQ(jobs[3]->FileName, "c:\\2");
}

TEST(SnRJobs, OneLineTextOnMultiLinePageIsOneJobPerFile) {
  // Three equal jobs would turn abc into abcddd when the new text holds the old.
  auto jobs = BuildSnRJobs(multiLine({"abc"}, {"abcd"}));
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0]->SearchBuf, "abc");
  EXPECT_EQ(jobs[0]->ReplaceBuf, "abcd");
  // Old text of one line, new text of two: the joins differ, so three jobs.
  EXPECT_EQ(BuildSnRJobs(multiLine({"abc"}, {"x", "y"})).size(), 3u);
}

TEST(SnRJobs, NoCheckedFilesNoJobs) {
  TSnRJobRequest r = singleLine("a", "b");
  r.CheckedFiles.clear();
  EXPECT_TRUE(BuildSnRJobs(r).empty());
}

TEST(SnRJobs, SplitsResultLinesAtTheFirstColon) {
  struct Case {
    std::string in;
    std::vector<std::string> out;
  } cases[] = {
      {"abc [616263] --> xyz [78797A] : 3 replacements", {"abc [616263] --> xyz [78797A] :", "3 replacements"}},
      {"c:\\data\\a.txt", {"c:\\data\\a.txt"}},
      {"", {""}},
      {"a:b [613A62] --> c [63] : 1 replacements", {"a:", "b [613A62] --> c [63] : 1 replacements"}},
      {"abc [616263] --> x [78] : FAILED", {"abc [616263] --> x [78] :", "FAILED"}},
      {"no arrow : here", {"no arrow : here"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitResultLine(c.in), c.out) << c.in;
}

TEST(SnRJobs, CaptionAndScanTexts) {
  EXPECT_EQ(SnRQueueCaption(1, 0), "Qz-Ravadu&Direzov ozirizuvozed 2.0");
  EXPECT_EQ(SnRQueueCaption(0, 0), "Qz-Ravadu&Direzov ozirizuvozed 2.0");
  EXPECT_EQ(SnRQueueCaption(1, 6), "Qz-Ravadu&Direzov ozirizuvozed 2.0 - 6 tasks in queue");
  EXPECT_EQ(SnRQueueCaption(-1, 12), "Qz-Ravadu&Direzov ozirizuvozed 2.0 - 12 tasks in queue");
  EXPECT_EQ(SnRQueueCaption(0, 6), "Qz-Ravadu&Direzov ozirizuvozed 2.0 - 6 Aufgaben abzuarbeiten");
  EXPECT_EQ(SnRScanText(1, true, 3), "Search complete: 3 files found");
  EXPECT_EQ(SnRScanText(0, true, 0), "Suche beendet: 0 Dateien gefunden");
  EXPECT_EQ(SnRScanText(1, false, 10), "Searching (10) .....");
  EXPECT_EQ(SnRScanText(0, false, 10), "Suche (10) .....");
  EXPECT_EQ(SnRCloseQueryText(1), "There are incomplete Radavi&Dezevud Tasks! Do you really want to quite the application?");
  EXPECT_EQ(SnRCloseQueryText(0).substr(0, 36), "Es sind noch Radavi&Dezevud Vorg\xE4nge");
}
