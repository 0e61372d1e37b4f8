#include "EngineTest.h"
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

std::unique_ptr<TSnRTast> job(const std::string& file, const std::string& search, const std::string& repl,
                              int logLevel = llAllFiles, bool backup = false, uint8_t mode = smCaseSensitive,
                              int replLen = -2) {
  auto t = std::make_unique<TSnRTast>();
  t->Init(file, search.data(), static_cast<int>(search.size()), mode, repl.data(),
          replLen == -2 ? static_cast<int>(repl.size()) : replLen, backup, logLevel);
  return t;
}

// A running worker reporting to a real window on this (the main) thread.
class WorkerTest : public ::testing::Test {
protected:
  void SetUp() override {
    worker = std::make_unique<TSearchAndReplaceThread>();
    worker->Init(report.handle());
    worker->setPriority(win::tpLower);
  }
  // Runs the queued jobs and pumps until every one of them has sent "UPDATE".
  void runJobs(int n) {
    worker->resume();
    ASSERT_TRUE(pumpUntil([&] { return report.updates() >= n; }));
  }
  TempDir dir;
  ReportWindow report;
  std::unique_ptr<TSearchAndReplaceThread> worker;
};

}  // namespace

TEST(SnRTast, DisplayTextsAndCopies) {
  struct Case { std::string bytes; std::string display; };
  const Case cases[] = {
      {"abc", "abc [616263]"},
      {"\r\n", ".. [0D0A]"},
      {std::string("\0ab", 3), ""},     // starts with NUL: no display text, all bytes kept
      {std::string("a\0b", 3), "a [61]"},
      {"", ""},
  };
  for (const auto& c : cases) {
    std::string copy;
    EXPECT_EQ(SnRTaskDisplayText(static_cast<int>(c.bytes.size()), c.bytes.data(), copy), c.display);
    EXPECT_EQ(copy, c.bytes);
  }
  TSnRTast t;
  t.Init("f", "ab", 2, smRegExpr, "zz", -1, true, llChangedFiles);  // -1: an unset replacement
  EXPECT_EQ(t.SearchLen, 2);
  EXPECT_EQ(t.ReplaceLen, 0);
  EXPECT_EQ(t.ReplaceDisplay, "");
  EXPECT_EQ(t.Mode, smRegExpr);
  EXPECT_TRUE(t.Backup);
  EXPECT_EQ(t.LogLevel, llChangedFiles);

  EXPECT_EQ(ShortenText("abcdef", 6), "abcdef");
  EXPECT_EQ(ShortenText("abcdefg", 6), "abc...");
}

TEST_F(WorkerTest, ReportLinesPerLogLevel) {
  writeFile(dir.file("a.txt"), "abc abc abc");
  writeFile(dir.file("b.txt"), "nothing");
  const std::string missing = dir.file("missing.txt");
  {
    auto hold = worker->LockTasks();
    worker->AddTask(job(dir.file("a.txt"), "abc", "xyz", llChangedFiles));
    worker->AddTask(job(dir.file("b.txt"), "abc", "xyz", llChangedFiles));  // 0 replacements: silent
    worker->AddTask(job(dir.file("b.txt"), "abc", "xyz", llAllFiles));
    worker->AddTask(job(dir.file("b.txt"), "abc", "xyz", llNone));
    worker->AddTask(job(missing, "abc", "xyz", llChangedFiles));
    worker->AddTask(job(missing, "abc", "xyz", llNone));
  }
  std::vector<int> counts;  // the queue count seen on each "UPDATE", as the caption shows it
  report.onReport = [&](const ReportWindow::Report& r) {
    if (r.second == "UPDATE") counts.push_back(worker->TaskCount());
  };
  runJobs(6);
  EXPECT_EQ(report.lines(), (std::vector<std::string>{
                                dir.file("a.txt"), "abc [616263] --> xyz [78797A] : 3 replacements", "",
                                dir.file("b.txt"), "abc [616263] --> xyz [78797A] : 0 replacements", "",
                                missing, "abc [616263] --> xyz [78797A] : FAILED", ""}));
  EXPECT_EQ(counts, (std::vector<int>{5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(readFile(dir.file("a.txt")), "xyz xyz xyz");
}

TEST_F(WorkerTest, LongDisplayTextsAreShortenedAndNulStartsAreEmpty) {
  writeFile(dir.file("a.txt"), "aaa");
  const std::string longSearch(100, 'a');  // display text: 100 + 2 + 200 + 1 characters
  worker->AddTask(job(dir.file("a.txt"), longSearch, "b"));
  worker->AddTask(job(dir.file("a.txt"), std::string("\0a", 2), "b"));
  worker->AddTask(job(dir.file("a.txt"), "a", "zz", llAllFiles, false, smCaseSensitive, -1));
  runJobs(3);
  const auto lines = report.lines();
  ASSERT_EQ(lines.size(), 9u);
  // Hex digits of 'a' are "61": the first 197 characters end inside the pairs.
  std::string expected = std::string(100, 'a') + " [";
  while (expected.size() < 197) expected += expected.size() % 2 ? "1" : "6";
  expected = expected.substr(0, 197) + "...";
  EXPECT_EQ(lines[1], expected + " --> b [62] : 0 replacements");
  EXPECT_EQ(lines[4], " --> b [62] : 0 replacements");
  EXPECT_EQ(lines[7], "a [61] -->  : 3 replacements");  // an unset replacement is empty
  EXPECT_EQ(readFile(dir.file("a.txt")), "");
}

TEST_F(WorkerTest, BackupNameComesBeforeTheJobsLines) {
  writeFile(dir.file("a.txt"), "abc");
  worker->AddTask(job(dir.file("a.txt"), "b", "x", llAllFiles, true));
  runJobs(1);
  ASSERT_EQ(report.reports.size(), 5u);
  EXPECT_EQ(report.reports[0], ReportWindow::Report(SNRTHREAD_BACKUPFILE, dir.file("a.txt.0.snr_bak")));
  EXPECT_EQ(report.reports[1], ReportWindow::Report(SNRTHREAD_LOGLINE, dir.file("a.txt")));
  EXPECT_EQ(report.reports[4], ReportWindow::Report(SNRTHREAD_LOGLINE, "UPDATE"));
}

TEST_F(WorkerTest, TerminateReportsTheRestAsSkipped) {
  writeFile(dir.file("a.txt"), "abc");
  const std::string longName = dir.file(std::string(150, 'n'));
  const std::string longSearch(1400, 's');  // its skipped line is far over 4095 bytes
  bool terminated = false;
  report.onReport = [&](const ReportWindow::Report& r) {
    // While the first job reports, the other three are still queued.
    if (!terminated && r.first == SNRTHREAD_LOGLINE && r.second == dir.file("a.txt")) {
      worker->terminate();
      terminated = true;
    }
  };
  {
    auto hold = worker->LockTasks();
    worker->AddTask(job(dir.file("a.txt"), "b", "x", llNone + 1));
    worker->AddTask(job(dir.file("a.txt"), "c", "y", llNone));  // skipped lines come whatever the level
    worker->AddTask(job(dir.file("a.txt"), "a", "z"));
    worker->AddTask(job(longName, longSearch, "q"));
  }
  worker->resume();
  worker->waitFor();  // serves the reports while it waits
  EXPECT_TRUE(worker->finished());
  EXPECT_EQ(worker->TaskCount(), 0);
  EXPECT_EQ(report.updates(), 4);
  const auto lines = report.lines();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[1], "b [62] --> x [78] : 1 replacements");
  EXPECT_EQ(lines[4], "c [63] --> y [79] : SKIPPED");
  EXPECT_EQ(lines[7], "a [61] --> z [7A] : SKIPPED");
  EXPECT_EQ(lines[9], longName);
  std::string hex;
  for (int i = 0; i < 1400; ++i) hex += "73";
  const std::string full = std::string(1400, 's') + " [" + hex + "] --> q [71] : SKIPPED";
  const std::string cut = full.substr(0, 4095);
  EXPECT_EQ(lines[10].size(), 4095u);
  EXPECT_EQ(lines[10], cut);
  EXPECT_EQ(readFile(dir.file("a.txt")), "axc");  // only the first job ran
}

TEST_F(WorkerTest, ABatchEntersTheQueueWhole) {
  writeFile(dir.file("a.txt"), "aaaa");
  worker->resume();
  {
    auto hold = worker->LockTasks();
    for (int i = 0; i < 3; ++i) worker->AddTask(job(dir.file("a.txt"), "a", "b"));
    ::Sleep(60);  // the worker polls every 10 ms but cannot take a job meanwhile
    EXPECT_EQ(worker->TaskCount(), 3);
    EXPECT_EQ(report.updates(), 0);
  }
  ASSERT_TRUE(pumpUntil([&] { return report.updates() >= 3; }));
  EXPECT_EQ(readFile(dir.file("a.txt")), "bbbb");
}

TEST_F(WorkerTest, DestroyingTheWorkerWithQueuedJobsDoesNotHang) {
  writeFile(dir.file("a.txt"), "a");
  for (int i = 0; i < 20; ++i) worker->AddTask(job(dir.file("a.txt"), "a", "a"));
  worker->resume();
  worker.reset();  // terminates, serves the reports, frees what is left
  EXPECT_EQ(report.updates(), 20);
}
