// The main window's state without a window: what the help and the start button
// make of it, the jobs it gives, the options as clicks and the result lines.
#include "model/uSnRModel.h"
#include <gtest/gtest.h>

namespace {

TSnRModel withFiles(std::initializer_list<bool> checked) {
  TSnRModel m;
  m.Path = "c:\\data";
  m.Mask = "*.txt";
  int i = 0;
  for (bool c : checked) m.Files.push_back({L"c:\\data\\f" + std::to_wstring(i++) + L".txt", c});
  return m;
}

}  // namespace

TEST(SnRModel, TheHelpAndTheStartButtonGoByTheModel) {
  TSnRModel m;
  EXPECT_EQ(OpenHelpSteps(m.HelpState(true)),
            (std::vector<THelpStep>{THelpStep::hsPath, THelpStep::hsMask, THelpStep::hsOldString,
                                    THelpStep::hsNewString}));
  m = withFiles({false, true});
  EXPECT_FALSE(m.StartAllowed(true));   // no old string yet
  m.FromValue.SetText("abc");
  EXPECT_TRUE(m.StartAllowed(true));
  EXPECT_FALSE(m.StartAllowed(false));   // a scan still running
  EXPECT_EQ(m.HelpState(true).CheckedFileCount, 1);
  EXPECT_EQ(OpenHelpSteps(m.HelpState(true)), (std::vector<THelpStep>{THelpStep::hsNewString, THelpStep::hsStart}));

  // The multi-line page asks the memos, not the frames.
  m.LineModePage = 1;
  EXPECT_FALSE(m.StartAllowed(true));
  m.MemoFrom = {"one", "two"};
  EXPECT_TRUE(m.StartAllowed(true));
  EXPECT_EQ(m.HelpState(true).MemoFromStrLines, 2);
}

TEST(SnRModel, TheJobsTakeTheCheckedFilesTheStringsAndTheOptions) {
  TSnRModel m = withFiles({true, false, true});
  m.FromValue.SetHex("4142");
  m.ToValue.SetHex("");   // set, but empty: the matches are deleted
  TSnRJobRequest r = m.JobRequest(false, llChangedFiles);
  EXPECT_EQ(r.CheckedFiles, (std::vector<std::wstring>{L"c:\\data\\f0.txt", L"c:\\data\\f2.txt"}));
  EXPECT_EQ(r.FromBytes, "AB");
  EXPECT_EQ(r.ToBytes, "");
  EXPECT_FALSE(r.Backups);
  EXPECT_EQ(r.LogLevel, llChangedFiles);
  EXPECT_EQ(SnRModeFor(r.CaseSensitive, r.RegExpr), smCaseSensitive);

  m.ClickMatchBox(TMatchBox::RegMulti, true);
  r = m.JobRequest(true, llAllFiles);
  EXPECT_EQ(SnRModeFor(r.CaseSensitive, r.RegExpr), smRegExpr);
  m.ClickMatchBox(TMatchBox::RegSingle, false);   // neither box: ignore case
  EXPECT_EQ(SnRModeFor(m.CaseSensitive(), m.RegExpr()), smIgnoreCase);
  EXPECT_FALSE(m.Match.RegMulti);   // the twin follows
}

TEST(SnRModel, AReportLineBecomesTheResultListsLines) {
  TSnRModel m;
  for (const char* line : {"c:\\a.txt", "a:b [613A62] --> x [78] : 2 replacements", ""}) m.AddReportLine(line);
  EXPECT_EQ(m.Results, (std::vector<std::string>{"c:\\a.txt", "a:", "b [613A62] --> x [78] : 2 replacements", ""}));
}
