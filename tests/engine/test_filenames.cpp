// Files as users name them: characters outside the ANSI code page, and paths
// longer than the system's old limit, through the rewriting, the worker's
// reports and the walk of both scans.
#include "EngineTest.h"
#include "MailTools.h"
#include "uScanDirThread.h"
#include "win/FileNames.h"
#include <gtest/gtest.h>

using namespace enginetest;
using qztest::ReadWideFile;
using qztest::WideExists;
using qztest::WriteWideFile;

namespace {

const std::wstring kChinese = L"\u4E2D\u6587";   // shown as "??"
const std::wstring kEmoji = L"\U0001F600";        // two UTF-16 units, also "??"

// A folder beside names that the 8-bit form of a name would match as a mask:
// ab.txt and xy.txt for "??.txt".
class NamesTest : public ::testing::Test {
protected:
  void SetUp() override {
    root = qztest::Wide(dir.path());
    for (const wchar_t* n : {L"ab.txt", L"xy.txt"}) WriteWideFile(at(n), "abc");
  }
  std::wstring at(const std::wstring& name) const { return root + L"\\" + name; }
  // A folder path of exactly Length characters under the root, made.
  std::wstring longFolder(size_t length) const {
    std::wstring p = root;
    while (p.size() < length) {
      p += L"\\" + std::wstring(std::min<size_t>(100, length - p.size() - 1), L'd');
      EXPECT_TRUE(qztest::MakeFolder(p));
    }
    return p;
  }
  TempDir dir;
  std::wstring root;
};

struct FoundNames : win::Strings {
  std::vector<std::string> texts;
  std::vector<std::wstring> names;
  int count() const override { return static_cast<int>(texts.size()); }
  std::string get(int i) const override { return texts.at(static_cast<size_t>(i)); }
  int add(const std::string& s) override {
    texts.push_back(s);
    names.push_back(L"(text only)");
    return count() - 1;
  }
  int addFileName(const std::wstring& name) override {
    texts.push_back(win::WideToAnsi(name));
    names.push_back(name);
    return count() - 1;
  }
  void clear() override { texts.clear(), names.clear(); }
};

std::vector<std::wstring> sorted(std::vector<std::wstring> v) {
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace

TEST_F(NamesTest, AFileNamedOutsideTheCodePageIsRewrittenAndNothingElse) {
  TSearchAndReplaceThread worker;
  ReportWindow report;
  worker.Init(report.handle());
  std::vector<std::wstring> realNames;
  report.onReport = [&](const ReportWindow::Report& r) {
    if (r.first == SNRTHREAD_BACKUPFILE) realNames.push_back(worker.ReportedBackup());
  };
  for (const std::wstring& stem : {kChinese, kEmoji, L"\u00E4" + kChinese}) {
    SCOPED_TRACE(win::WideToAnsi(stem));
    const std::wstring name = at(stem + L".txt");
    ASSERT_TRUE(WriteWideFile(name, "abc"));
    EXPECT_EQ(worker.ProcessFile(name, "b", 1, smCaseSensitive, "x", 1, true, llAllFiles), 1);
    EXPECT_EQ(ReadWideFile(name), "axc");
    EXPECT_EQ(ReadWideFile(name + L".0.snr_bak"), "abc");
    ASSERT_FALSE(report.reports.empty());
    EXPECT_EQ(report.reports.back().second, win::WideToAnsi(name + L".0.snr_bak"));
    ASSERT_FALSE(realNames.empty());
    EXPECT_EQ(realNames.back(), name + L".0.snr_bak");
  }
  EXPECT_TRUE(worker.ReportedBackup().empty());   // only during the report

  // Its 8-bit form names no file: the "?" is no wildcard.
  const std::string shown = win::WideToAnsi(at(kChinese + L".txt"));
  EXPECT_EQ(worker.ProcessFile(shown, "b", 1, smCaseSensitive, "x", 1, true, llAllFiles), srFileMissing);
  EXPECT_EQ(ReadWideFile(at(L"ab.txt")), "abc");
  EXPECT_EQ(ReadWideFile(at(L"xy.txt")), "abc");
  EXPECT_EQ(dir.names().size(), 8u);   // the three files, their backups, ab and xy: no temporary file left

  // A job carries the real name; its report line shows the 8-bit form.
  TSnRTast job;
  job.Init(at(kChinese + L".txt"), "x", 1, smCaseSensitive, "y", 1, false, llAllFiles);
  EXPECT_EQ(job.FileName, shown);
  TSnRTast old;
  old.Init(std::string("C:\\a\xE4.txt"), "x", 1, smCaseSensitive, "y", 1, false, llAllFiles);
  EXPECT_EQ(old.Name, L"C:\\a\u00E4.txt");
}

TEST_F(NamesTest, AFileAtAPathLongerThanTheOldLimitIsRewrittenWithItsBackupBesideIt) {
  const std::wstring folder = longFolder(310);
  const std::wstring name = folder + L"\\" + kChinese + L"-long-name.txt";
  ASSERT_GE(name.size(), 320u);
  ASSERT_TRUE(WriteWideFile(name, "abcabc"));
  TSearchAndReplaceThread worker;
  EXPECT_EQ(worker.ProcessFile(name, "b", 1, smCaseSensitive, "xy", 2, true, llAllFiles), 2);
  EXPECT_EQ(ReadWideFile(name), "axycaxyc");
  EXPECT_EQ(ReadWideFile(name + L".0.snr_bak"), "abcabc");
  EXPECT_EQ(worker.ProcessFile(name, "y", 1, smCaseSensitive, "", 0, false, llAllFiles), 2);
  EXPECT_EQ(ReadWideFile(name), "axcaxc");
  // Through the queue as well, where jobs on one file meet by their full names.
  ReportWindow report;
  {
    TSearchAndReplaceThread queued;
    queued.Init(report.handle());
    auto job = std::make_unique<TSnRTast>();
    job->Init(name, "x", 1, smCaseSensitive, "b", 1, true, llAllFiles);
    queued.AddTask(std::move(job));
    queued.resume();
    ASSERT_TRUE(pumpUntil([&] { return report.updates() == 1; }));
  }
  EXPECT_EQ(ReadWideFile(name), "abcabc");
  EXPECT_EQ(ReadWideFile(name + L".1.snr_bak"), "axcaxc");
  EXPECT_EQ(report.lines()[0], win::WideToAnsi(name));
  // Nothing else in the folder: no temporary file left behind.
  TDirStringList all;
  all.AddFiles(folder, L"*", faAnyFile & ~faDirectory, false, false);
  EXPECT_EQ(sorted(all.Names()), sorted({name, name + L".0.snr_bak", name + L".1.snr_bak"}));
}

TEST_F(NamesTest, BothScansFindEveryNameAndPathAndHandOverTheRealNames) {
  const std::wstring sub = at(kChinese);             // a folder named outside the code page
  ASSERT_TRUE(qztest::MakeFolder(sub));
  const std::wstring deep = longFolder(300) + L"\\" + kEmoji + L".txt";
  const std::vector<std::wstring> made = {at(kChinese + L".txt"), at(kEmoji + L".txt"), sub + L"\\a.txt",
                                          sub + L"\\" + kChinese + L".txt", deep};
  for (const std::wstring& n : made) ASSERT_TRUE(WriteWideFile(n, "x"));
  std::vector<std::wstring> all = made;
  all.push_back(at(L"ab.txt"));
  all.push_back(at(L"xy.txt"));

  // The command line's list, from a wide and from an 8-bit start.
  TDirStringList list;
  list.AddFiles(root, L"*.txt", 47, true, false);
  EXPECT_EQ(sorted(list.Names()), sorted(all));
  ASSERT_EQ(list.count(), static_cast<int>(all.size()));
  for (int i = 0; i < list.count(); ++i) EXPECT_EQ(list[i], win::WideToAnsi(list.Names()[static_cast<size_t>(i)]));
  list.AddFiles(dir.path(), "*.txt", 47, true, false);
  EXPECT_EQ(sorted(list.Names()), sorted(all));

  // The mask is matched against the real names by the system: "?" the user
  // typed stands for one UTF-16 unit of them (the emoji takes two).
  list.AddFiles(root, L"??.txt", 47, false, false);
  EXPECT_EQ(sorted(list.Names()), sorted({at(kChinese + L".txt"), at(kEmoji + L".txt"), at(L"ab.txt"), at(L"xy.txt")}));
  list.AddFiles(root, kChinese + L".txt", 47, true, false);
  EXPECT_EQ(sorted(list.Names()), sorted({at(kChinese + L".txt"), sub + L"\\" + kChinese + L".txt"}));

  // The main window's scan, through the hand-over to the main thread.
  TScanDirThread t;
  FoundNames found;
  t.SetParams(dir.path(), "*.txt", 47, true, &found);
  t.resume();
  t.waitFor();
  EXPECT_EQ(sorted(found.names), sorted(all));
  for (size_t i = 0; i < found.names.size(); ++i) EXPECT_EQ(found.texts[i], win::WideToAnsi(found.names[i]));

  // A start folder in 8-bit form, "?" standing for a character, names no folder.
  win::StringList texts;
  TScanDirThread shown;
  shown.SetParams(dir.path() + "\\" + win::WideToAnsi(kChinese), "*", 47, false, &texts);
  shown.resume();
  shown.waitFor();
  EXPECT_EQ(texts.count(), 0);
}
