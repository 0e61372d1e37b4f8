#include "EngineTest.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>

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

namespace {

// The folder's names and contents.
std::vector<std::pair<std::string, std::string>> folderState(const TempDir& d) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const std::string& n : d.names()) out.emplace_back(n, readFile(d.file(n)));
  return out;
}

// The reports with the folder's path taken out.
std::vector<ReportWindow::Report> relative(std::vector<ReportWindow::Report> reports, const TempDir& d) {
  for (auto& r : reports)
    for (size_t at; (at = r.second.find(d.path())) != std::string::npos;) r.second.replace(at, d.path().size(), "DIR");
  return reports;
}

}  // namespace

TEST_F(WorkerTest, JobsInProgressTogetherGiveWhatOneAfterTheOtherGives) {
  // Jobs on a few files, some on the same file in a row (as the three line-break
  // variants are), some on a backup that an earlier job makes, with and without
  // backups, missing files and files without a match: once run one job at a time,
  // once queued all at once in another folder.
  struct Spec { std::string file, search, repl; bool backup; };
  std::vector<Spec> specs;
  unsigned seed = 3;
  auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  const char* files[] = {"a.txt", "b.txt", "c.txt", "a.txt.0.snr_bak", "missing.txt"};
  const char* words[] = {"ab", "ba", "a", "b", "abab", "zz"};
  for (int i = 0; i < 150; ++i)
    specs.push_back({files[next() % 5], words[next() % 6], words[next() % 6], next() % 3 == 0});
  auto runAll = [&](const TempDir& d, bool oneByOne, bool batched = false) {
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) writeFile(d.file(f), "abababbaab");
    ReportWindow r;
    TSearchAndReplaceThread w;
    w.Init(r.handle());
    w.SetBatchedReports(batched);
    // A batch's jobs have left the queue: what is counted is what is not yet reported.
    r.onBatch = [&] { EXPECT_EQ(w.TaskCount(), static_cast<int>(specs.size()) - r.updates()); };
    w.resume();
    int n = 0;
    auto add = [&](const Spec& s) { w.AddTask(job(d.file(s.file), s.search, s.repl, llAllFiles, s.backup)); };
    if (oneByOne) {
      for (const Spec& s : specs) {
        add(s);
        EXPECT_TRUE(pumpUntil([&] { return r.updates() > n; }));
        ++n;
      }
    } else {
      auto hold = w.LockTasks();
      for (const Spec& s : specs) add(s);
    }
    EXPECT_TRUE(pumpUntil([&] { return r.updates() == static_cast<int>(specs.size()); }, 60000));
    if (batched) {
      EXPECT_LT(r.messages, static_cast<int>(specs.size()) / 4);
    }
    return relative(r.reports, d);
  };
  TempDir other, third;
  const auto alone = runAll(dir, true);
  const auto together = runAll(other, false);
  EXPECT_EQ(alone, together);
  EXPECT_EQ(folderState(dir), folderState(other));
  const auto batched = runAll(third, false, true);
  EXPECT_EQ(alone, batched);
  EXPECT_EQ(folderState(dir), folderState(third));
}

TEST_F(WorkerTest, EachJobFlushesItsNewContentBeforeTheRename) {
  // Flushes run on threads of their own; each rename still follows its file's flush.
  struct Ops : TSnRFileOps {
    std::mutex m;
    std::map<HANDLE, std::wstring> open;
    std::set<std::wstring> flushed;
    int renames = 0, early = 0;
    win::FileHandle CreateTempFile(const std::wstring& f, const std::wstring& p, std::wstring& n) override {
      win::FileHandle h = TSnRFileOps::CreateTempFile(f, p, n);
      std::lock_guard<std::mutex> lock(m);
      open[h.get()] = n;
      return h;
    }
    bool Flush(HANDLE h) override {
      ::Sleep(5);  // a slow disk: later jobs get ahead meanwhile
      const bool ok = TSnRFileOps::Flush(h);
      std::lock_guard<std::mutex> lock(m);
      flushed.insert(open[h]);
      return ok;
    }
    bool Rename(const std::wstring& from, const std::wstring& to, bool replace) override {
      {
        std::lock_guard<std::mutex> lock(m);
        ++renames;
        early += !flushed.count(from);
      }
      return TSnRFileOps::Rename(from, to, replace);
    }
  } ops;
  worker->SetFileOps(&ops);
  {
    auto hold = worker->LockTasks();
    for (int i = 0; i < 40; ++i) {
      const std::string f = dir.file("f" + std::to_string(i % 10) + ".txt");
      if (i < 10) writeFile(f, "aaaa");
      worker->AddTask(job(f, "a", "b", llChangedFiles, i % 2 == 0));
      worker->AddTask(job(f, "b", "a", llChangedFiles));
    }
  }
  runJobs(80);
  EXPECT_EQ(ops.renames, 80);
  EXPECT_EQ(ops.early, 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(readFile(dir.file("f" + std::to_string(i) + ".txt")), "aaaa");
  worker.reset();  // before the operations go
}

TEST_F(WorkerTest, AReadFaultFailsOneJobAndTheWorkerGoesOn) {
  struct Ops : TSnRFileOps {
    bool faulty = true;
    const void* MapView(HANDLE mapping) override {
      const void* view = TSnRFileOps::MapView(mapping);
      DWORD old = 0;
      if (view && faulty) ::VirtualProtect(static_cast<char*>(const_cast<void*>(view)) + 4096, 4096, PAGE_NOACCESS, &old);
      faulty = false;
      return view;
    }
  } ops;
  worker->SetFileOps(&ops);
  const std::string content(20 * 4096, 'a');  // mapped, as files above 64 KiB are
  writeFile(dir.file("a.txt"), content);
  worker->AddTask(job(dir.file("a.txt"), "a", "b"));
  worker->AddTask(job(dir.file("a.txt"), "aaaa", "b"));
  runJobs(2);
  const auto lines = report.lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "a [61] --> b [62] : FAILED");
  EXPECT_EQ(lines[4], "aaaa [61616161] --> b [62] : 20480 replacements");
  EXPECT_EQ(readFile(dir.file("a.txt")), std::string(20480, 'b'));
  EXPECT_EQ(dir.names(), std::vector<std::string>{"a.txt"});
  worker.reset();
}

class WorkerAnswerTest : public WorkerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WorkerAnswerTest, TheWindowAnswersWithin100msWhileManyJobsRun) {
  // 20,000 jobs, most of them on files without a match (the cheapest jobs, so the
  // reports come fastest, one "UPDATE" each), every tenth rewriting its file and
  // reporting its lines; a message posted to a window of this thread meanwhile
  // waits no longer than that.
  for (int i = 0; i < 50; ++i) writeFile(dir.file("f" + std::to_string(i) + ".txt"), "abab");
  const int jobs = 20000;
  worker->SetBatchedReports(GetParam());
  {
    auto hold = worker->LockTasks();
    for (int i = 0; i < jobs; ++i) {
      const bool rewrite = i % 10 == 0;
      const std::string from = rewrite ? (i / 500 % 2 ? "ba" : "ab") : "zz";
      worker->AddTask(job(dir.file("f" + std::to_string(i / 10 % 50) + ".txt"), from,
                          rewrite ? (i / 500 % 2 ? "ab" : "ba") : "q", llChangedFiles));
    }
  }
  const UINT probe = WM_APP + 7;
  bool answered = false;
  win::MessageWindow target([&](UINT msg, WPARAM, LPARAM, LRESULT& r) {
    if (msg != probe) return false;
    answered = true;
    r = 0;
    return true;
  });
  DWORD worst = 0;
  int probes = 0;
  worker->resume();
  const DWORD start = ::GetTickCount();
  while (report.updates() < jobs && ::GetTickCount() - start < 250000) {
    answered = false;
    const DWORD postedAt = ::GetTickCount();
    ::PostMessageA(target.handle(), probe, 0, 0);
    pumpUntil([&] { return answered; }, 5000);
    worst = std::max(worst, ::GetTickCount() - postedAt);
    ++probes;
    pumpUntil([] { return false; }, 10);
  }
  EXPECT_EQ(report.updates(), jobs);
  EXPECT_GT(probes, 10);
  EXPECT_LT(worst, 100u);
  std::printf("%d jobs in %lu ms, %d probes, slowest answer %lu ms\n", jobs, ::GetTickCount() - start, probes, worst);
}

INSTANTIATE_TEST_SUITE_P(OneByOneAndBatched, WorkerAnswerTest, ::testing::Bool());
