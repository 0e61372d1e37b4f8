#include "EngineTest.h"
#include "QzTestUnix.h"
#include "uSnRInput.h"
#include "uSnRRegExpr.h"
#include "win/FileNames.h"
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

struct Outcome {
  int result;
  std::string content;
};

// Rewrites one file holding content with a worker that never runs (ProcessFile is
// called directly, on this thread).
class ProcessFileTest : public ::testing::Test {
protected:
  Outcome run(const std::string& content, const std::string& search, const std::string& repl, uint8_t mode,
              bool backup = false, int searchLen = -2) {
    const std::string name = dir.file("a.txt");
    writeFile(name, content);
    int r = worker.ProcessFile(name, search.data(), searchLen == -2 ? static_cast<int>(search.size()) : searchLen,
                               mode, repl.data(), static_cast<int>(repl.size()), backup, llAllFiles);
    return {r, readFile(name)};
  }
  // Only the named files are left in the folder (no temporary file behind).
  void expectOnly(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    EXPECT_EQ(dir.names(), names);
  }
  TempDir dir;
  TSearchAndReplaceThread worker;
};

// Fails the chosen operations; everything else goes to the real file system.
class FailingOps : public TSnRFileOps {
public:
  bool failTemp = false, failWrite = false;
  std::function<bool(const std::string& from, const std::string& to)> refuseRename;
  win::FileHandle CreateTempFile(const std::wstring& f, const std::wstring& p, std::wstring& n) override {
    if (failTemp) return win::FileHandle();  // as in a folder without write access
    return TSnRFileOps::CreateTempFile(f, p, n);
  }
  bool Write(HANDLE h, const void* d, DWORD s) override { return !failWrite && TSnRFileOps::Write(h, d, s); }
  bool Rename(const std::wstring& from, const std::wstring& to, bool replace, win::FileHandle* open) override {
    if (refuseRename && refuseRename(win::WideToAnsi(from), win::WideToAnsi(to))) return false;
    return TSnRFileOps::Rename(from, to, replace, open);
  }
  DWORD linkError = 0;  // not 0: links fail with this error
  bool Link(const std::wstring& existing, const std::wstring& name) override {
    if (!linkError) return TSnRFileOps::Link(existing, name);
    ::SetLastError(linkError);
    return false;
  }
  bool failRights = false;  // as on a file system without access rights to give
  bool CarryRights(HANDLE from, HANDLE to) override { return !failRights && TSnRFileOps::CarryRights(from, to); }
};

std::string s(const char* p, size_t n) { return std::string(p, n); }

}  // namespace

TEST_F(ProcessFileTest, PlainMatching) {
  struct Case { std::string content, search, repl; uint8_t mode; int count; std::string out; };
  const Case cases[] = {
      {"abc abc ab", "abc", "xyz", smCaseSensitive, 2, "xyz xyz ab"},  // a tail prefix stays
      {"aaaa", "aa", "b", smCaseSensitive, 2, "bb"},
      {"aaa", "aa", "b", smCaseSensitive, 1, "ba"},                  // leftmost, not overlapping
      {"abcABC", "abc", "-", smCaseSensitive, 1, "-ABC"},
      {"abcABCaBc", "abc", "-", smIgnoreCase, 3, "---"},
      {"xabx", "ab", "", smCaseSensitive, 1, "xx"},                  // replaced by nothing
      {s("\0\x01\0\x01", 4), s("\0\x01", 2), "Z", smCaseSensitive, 2, "ZZ"},
      {"ab", "abc", "x", smCaseSensitive, 0, "ab"},                  // search longer than the file
      {"aab", "ab", "ab", smCaseSensitive, 1, "aab"},
  };
  for (const auto& c : cases) {
    Outcome o = run(c.content, c.search, c.repl, c.mode);
    EXPECT_EQ(o.result, c.count) << c.content << " / " << c.search;
    EXPECT_EQ(o.content, c.out) << c.content << " / " << c.search;
  }
  expectOnly({"a.txt"});
}

TEST_F(ProcessFileTest, IgnoreCaseUsesTheAnsiCodePage) {
  if (::GetACP() != 1252) GTEST_SKIP() << "needs the Western European code page, have " << ::GetACP();
  EXPECT_TRUE(SameByteIgnoreCase(0xE4, 0xC4));
  EXPECT_TRUE(SameByteIgnoreCase('a', 'A'));
  EXPECT_FALSE(SameByteIgnoreCase(0xE4, 0xE5));
  EXPECT_FALSE(SameByte('a', 'A'));
  Outcome o = run("\xE4 \xC4 \xE5", "\xC4", "ae", smIgnoreCase);
  EXPECT_EQ(o.result, 2);
  EXPECT_EQ(o.content, "ae ae \xE5");
}

TEST_F(ProcessFileTest, RegularExpressions) {
  struct Case { std::string content, expr, repl; int count; std::string out; };
  const Case cases[] = {
      {s("foo\0foo", 7), "o+$", "0", 2, s("f0\0f0", 5)},     // anchors at every run's ends
      {"a1 b22", "[0-9]+", "($&)", 2, "a(1) b(22)"},
      {"a1", "[0-9]", "\\$0=$0", 1, "a$0=1"},                 // backslash makes "$" literal
      {"k=v", "(\\w)=(\\w)", "$2=${1}", 1, "v=k"},
      {"ab", "(a)", "[$15|${15}|$2|$]", 1, "[|||$]b"},        // no such group: nothing
      {"aaa", "^a", "b", 1, "baa"},                           // "^" only at the start
      {"a\na\n", "a$", "b", 0, "a\na\n"},                     // "$" only at the very end
      {"a\nb", "a.b", "c", 1, "c"},                           // "." matches a line break
      {"ab", "x*", "-", 3, "-a-b-"},                          // empty matches step one on
      {"baaac", "a*", "-", 4, "-b--c-"},
      {"AbC", "(?i)abc", "ok", 1, "ok"},                      // inline modifiers
      {"\x80\x81", "x", "y", 0, "\x80\x81"},                  // no text bytes at all
      {"\xE4\x85\xE4", "\xE4", "e", 2, "e\x85" "e"},          // 160..255 are text bytes
  };
  for (const auto& c : cases) {
    Outcome o = run(c.content, c.expr, c.repl, smRegExpr);
    EXPECT_EQ(o.result, c.count) << c.expr << " on " << c.content;
    EXPECT_EQ(o.content, c.out) << c.expr << " on " << c.content;
  }
  expectOnly({"a.txt"});
}

TEST_F(ProcessFileTest, ReplaceRegExprCountCountsAcrossCalls) {
  int count = 5;
  EXPECT_EQ(ReplaceRegExprCount("b", "abcb", "[$&]", true, count), "a[b]c[b]");
  EXPECT_EQ(count, 7);
  EXPECT_EQ(ReplaceRegExprCount("b", "abcb", "[$&]", false, count), "a[$&]c[$&]");
  EXPECT_THROW(ReplaceRegExprCount("(", "x", "", true, count), std::exception);
}

TEST_F(ProcessFileTest, FailuresLeaveTheFileAsItWas) {
  struct Case { const char* what; std::string search; uint8_t mode; int searchLen; int result; };
  const Case cases[] = {
      {"empty search", "", smCaseSensitive, -2, srReplaceFailed},
      {"unset search length", "abc", smCaseSensitive, -1, srReplaceFailed},
      {"empty expression", "", smRegExpr, -2, srReplaceFailed},
      {"expression empty before its NUL", s("\0a", 2), smRegExpr, -2, srReplaceFailed},
      {"invalid expression", "a(", smRegExpr, -2, srReplaceFailed},
      {"unknown mode", "abc", 3, -2, srReplaceFailed},
  };
  for (const auto& c : cases) {
    Outcome o = run("abc", c.search, "x", c.mode, false, c.searchLen);
    EXPECT_EQ(o.result, c.result) << c.what;
    EXPECT_EQ(o.content, "abc") << c.what;
  }
  expectOnly({"a.txt"});
}

TEST_F(ProcessFileTest, MissingEmptyAndLockedFiles) {
  EXPECT_EQ(worker.ProcessFile(dir.file("none.txt"), "a", 1, smCaseSensitive, "b", 1, false, 2), srFileMissing);
  EXPECT_EQ(worker.ProcessFile(dir.path(), "a", 1, smCaseSensitive, "b", 1, false, 2), srFileMissing);  // a folder

  writeFile(dir.file("empty.txt"), "");
  EXPECT_EQ(worker.ProcessFile(dir.file("empty.txt"), "a", 1, smCaseSensitive, "b", 1, false, 2), srMapFailed);

  writeFile(dir.file("locked.txt"), "a");
  HANDLE lock = ::CreateFileA(dir.file("locked.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(worker.ProcessFile(dir.file("locked.txt"), "a", 1, smCaseSensitive, "b", 1, false, 2), srMapFailed);
  ::CloseHandle(lock);
  EXPECT_EQ(readFile(dir.file("locked.txt")), "a");
  expectOnly({"empty.txt", "locked.txt"});
}

TEST_F(ProcessFileTest, TemporaryFileThatCannotBeCreatedOrWritten) {
  FailingOps ops;
  worker.SetFileOps(&ops);
  ops.failTemp = true;  // a read-only folder
  EXPECT_EQ(run("abc", "b", "x", smCaseSensitive).result, srReplaceFailed);
  EXPECT_EQ(run("abc", "b", "x", smRegExpr).result, srReplaceFailed);
  ops.failTemp = false;
  ops.failWrite = true;  // a full disk
  Outcome o = run("abc", "b", "x", smCaseSensitive, true);
  EXPECT_EQ(o.result, srReplaceFailed);
  EXPECT_EQ(o.content, "abc");
  expectOnly({"a.txt"});
  ops.failWrite = false;
  ops.failRights = true;  // a new file that cannot have the old one's rights does not replace it
  o = run("abc", "b", "x", smCaseSensitive, true);
  EXPECT_EQ(o.result, srReplaceFailed);
  EXPECT_EQ(o.content, "abc");
  expectOnly({"a.txt"});
}

TEST_F(ProcessFileTest, BackupsAreNumberedAndReported) {
  ReportWindow report;
  worker.Init(report.handle());
  EXPECT_EQ(run("abc", "b", "x", smCaseSensitive, true).content, "axc");
  writeFile(dir.file("a.txt"), "abc2");
  Outcome o{worker.ProcessFile(dir.file("a.txt"), "c", 1, smCaseSensitive, "y", 1, true, 2), ""};
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(readFile(dir.file("a.txt")), "aby2");
  EXPECT_EQ(readFile(dir.file("a.txt.0.snr_bak")), "abc");
  EXPECT_EQ(readFile(dir.file("a.txt.1.snr_bak")), "abc2");
  ASSERT_EQ(report.reports.size(), 2u);  // sent synchronously, on this thread
  EXPECT_EQ(report.reports[0], ReportWindow::Report(SNRTHREAD_BACKUPFILE, dir.file("a.txt.0.snr_bak")));
  EXPECT_EQ(report.reports[1], ReportWindow::Report(SNRTHREAD_BACKUPFILE, dir.file("a.txt.1.snr_bak")));
  // No replacement: no backup either.
  EXPECT_EQ(run("abc", "q", "x", smCaseSensitive, true).result, 0);
  expectOnly({"a.txt", "a.txt.0.snr_bak", "a.txt.1.snr_bak"});
}

TEST_F(ProcessFileTest, NoMatchLeavesTheFileUntouched) {
  const std::string name = dir.file("a.txt");
  writeFile(name, "abc");
  FILETIME old = {0x12345600, 0x01C00000};  // long ago
  HANDLE h = ::CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(::SetFileTime(h, &old, nullptr, &old));
  ::CloseHandle(h);
  EXPECT_EQ(worker.ProcessFile(name, "q", 1, smCaseSensitive, "x", 1, false, 2), 0);
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(::GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, old.dwLowDateTime);
  EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, old.dwHighDateTime);
  expectOnly({"a.txt"});
}

TEST_F(ProcessFileTest, AFileNamedLikeTheOldFixedTemporaryNameSurvives) {
  writeFile(dir.file("snr4.TMP"), "keep me");
  EXPECT_EQ(run("abc", "b", "x", smCaseSensitive).result, 1);
  EXPECT_EQ(readFile(dir.file("snr4.TMP")), "keep me");
  expectOnly({"a.txt", "snr4.TMP"});
}

TEST_F(ProcessFileTest, FailedRenameReportsFailureAndLosesNothing) {
  FailingOps ops;
  worker.SetFileOps(&ops);
  ReportWindow report;
  worker.Init(report.handle());
  const std::string name = dir.file("a.txt");
  auto isTemp = [](const std::string& f) { return f.find("\\snr") != std::string::npos && f.size() > 4 &&
                                                  _stricmp(f.c_str() + f.size() - 4, ".tmp") == 0; };

  ops.refuseRename = [&](const std::string& from, const std::string&) { return isTemp(from); };
  for (bool backup : {false, true}) {  // with a backup, its second name goes again
    Outcome o = run("abc", "b", "x", smCaseSensitive, backup);
    EXPECT_EQ(o.result, srFinishFailed) << backup;
    EXPECT_EQ(o.content, "abc") << backup;
    expectOnly({"a.txt"});
  }
  EXPECT_TRUE(report.reports.empty());

  // No links on this file system: the backup is a flushed copy, put in place by a
  // rename, and reported as usual.
  ops.refuseRename = nullptr;
  ops.linkError = ERROR_NOT_SUPPORTED;
  Outcome o = run("abc", "b", "x", smCaseSensitive, true);
  EXPECT_EQ(o.result, 1);
  EXPECT_EQ(o.content, "axc");
  EXPECT_EQ(readFile(name + ".0.snr_bak"), "abc");
  ASSERT_EQ(report.reports.size(), 1u);
  EXPECT_EQ(report.reports[0].second, name + ".0.snr_bak");
  ::DeleteFileA((name + ".0.snr_bak").c_str());

  // The copy cannot take the backup's name: nothing changes, nothing is reported.
  ops.refuseRename = [&](const std::string&, const std::string& to) { return to == name + ".0.snr_bak"; };
  o = run("abc", "b", "x", smCaseSensitive, true);
  EXPECT_EQ(o.result, srFinishFailed);
  EXPECT_EQ(o.content, "abc");
  EXPECT_EQ(report.reports.size(), 1u);
  expectOnly({"a.txt"});
}

// The window size of new inputs while it lives.
struct SmallWindows {
  explicit SmallWindows(size_t bytes) { TSnRInput::SetDefaultWindow(bytes); }
  ~SmallWindows() { TSnRInput::SetDefaultWindow(0); }
};

TEST_F(ProcessFileTest, SmallWindowsGiveTheFilesOneWindowGives) {
  // Files read through a mapping and small ones read at once, in each mode; the
  // first change far behind many windows, so that the bytes before it are read
  // again from windows left behind; an output equal to the input, written whole
  // from them at the end.
  std::string text;
  for (unsigned i = 0; text.size() < 150000; ++i)
    text += i % 7 ? "needle " : (i % 3 ? "neeedle 12 " : "x\r\n" + std::to_string(i * 7919u) + "\x01");
  const std::string late = std::string(200000, 'q') + "needle" + std::string(1000, 'q');
  struct Case { std::string content, search, repl; uint8_t mode; };
  const Case cases[] = {
      {text, "needle", "pin", smCaseSensitive},
      {text, "NEEDLE", "pin", smIgnoreCase},
      {text, "[0-9]+", "#", smRegExpr},
      {text, "(ne+)dle(?= 1)", "$1DLE", smRegExpr},
      {text.substr(0, 5000), "e n", "_", smCaseSensitive},
      {text.substr(0, 5000), "^x|[0-9]$", "", smRegExpr},
      {late, "needle", "pin", smCaseSensitive},
      {late, "ne+dle", "pin", smRegExpr},
      {late, "q", "q", smCaseSensitive},
  };
  for (const Case& c : cases) {
    const Outcome whole = run(c.content, c.search, c.repl, c.mode);
    ASSERT_GT(whole.result, 0) << c.search;
    for (size_t window : {997u, 4096u, 65536u}) {
      SmallWindows small(window);
      const Outcome o = run(c.content, c.search, c.repl, c.mode);
      EXPECT_EQ(o.result, whole.result) << c.search << " window " << window;
      EXPECT_TRUE(o.content == whole.content) << c.search << " window " << window;
    }
  }
  expectOnly({"a.txt"});
}

TEST_F(ProcessFileTest, AMatchLongerThanTheWindowFailsItsJobAlone) {
  SmallWindows small(4096);
  for (size_t length : {10000u, 100000u}) {  // read at once, and mapped
    const std::string content = "x" + std::string(length, 'a') + "y";
    Outcome o = run(content, "xa+y", "z", smRegExpr);
    EXPECT_EQ(o.result, srReplaceFailed) << length;
    EXPECT_TRUE(o.content == content) << length;
    expectOnly({"a.txt"});
    o = run(content, "a{1000}y", "z", smRegExpr);  // within the window: found
    EXPECT_EQ(o.result, 1) << length;
    EXPECT_TRUE(o.content == "x" + std::string(length - 1000, 'a') + "z") << length;
  }
}

TEST_F(ProcessFileTest, PlainMatchingAgreesWithTheSimpleScan) {
  // Random files over a small alphabet, so that matches fall on every offset, at the
  // ends, and in runs that overlap; compared with the byte-by-byte scan.
  std::vector<uint8_t> upper(256);
  for (int i = 0; i < 256; ++i) {
    char c = static_cast<char>(i);
    if (i) ::CharUpperBuffA(&c, 1);
    upper[i] = static_cast<uint8_t>(c);
  }
  auto reference = [&](const std::string& in, const std::string& search, const std::string& repl, bool icase,
                       int& count) {
    auto same = [&](char a, char b) {
      return icase ? upper[static_cast<uint8_t>(a)] == upper[static_cast<uint8_t>(b)] : a == b;
    };
    std::string out;
    count = 0;
    size_t p = 0;
    while (p < in.size()) {
      bool match = p + search.size() <= in.size();
      for (size_t i = 0; match && i < search.size(); ++i) match = same(in[p + i], search[i]);
      if (match) {
        out += repl;
        p += search.size();
        ++count;
      } else {
        out += in[p++];
      }
    }
    return out;
  };
  unsigned seed = 7;
  auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  const char alphabet[] = "aAb\xE4\xC4\n";
  for (int round = 0; round < 190; ++round) {
    // The later rounds: files long enough for the vector scan and for batches of
    // many hits, patterns beyond one vector, and stretches without a match written
    // straight from the view.
    const bool large = round >= 150;
    std::string content, search, repl;
    const size_t size = 1 + next() % (large ? 6000 : 300);
    for (size_t i = 0; i < size; ++i) content += alphabet[next() % 6];
    if (round % 10 == 9) content.insert(next() % content.size(), 70000, 'b');
    const size_t len = 1 + next() % (large ? 20 : 5);
    for (size_t i = 0; i < len; ++i) search += alphabet[next() % (large ? 6 : 3)];
    for (size_t i = next() % 4; i > 0; --i) repl += "xyz"[next() % 3];
    const bool icase = round % 2;
    int count = 0;
    const std::string expected = reference(content, search, repl, icase, count);
    Outcome o = run(content, search, repl, icase ? smIgnoreCase : smCaseSensitive);
    ASSERT_EQ(o.result, count) << "round " << round;
    ASSERT_EQ(o.content, count ? expected : content) << "round " << round;
  }
  expectOnly({"a.txt"});
}

TEST_F(ProcessFileTest, RegularExpressionRunsAgreeWithTheSimpleSplit) {
  // "^" matches once at the start of every run of text bytes; random files of bytes
  // on both sides of each text-byte boundary, compared with a byte-by-byte split.
  const unsigned char bytes[] = {0, 8, 9, 10, 11, 12, 13, 14, 31, 32, 'a', 127, 128, 0x89, 0x8A, 0x8D, 159, 160, 255};
  auto isText = [](unsigned char c) { return c == 9 || c == 10 || c == 13 || (c >= 32 && c <= 127) || c >= 160; };
  unsigned seed = 11;
  auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 60; ++round) {
    std::string content;
    const size_t size = 1 + next() % (round < 30 ? 40 : 400);
    const unsigned textShare = next() % 4;  // long text runs in some files, short ones in others
    for (size_t i = 0; i < size; ++i)
      content += static_cast<char>(next() % 4 < textShare ? 'a' : bytes[next() % sizeof bytes]);
    std::string expected;
    int runs = 0;
    for (size_t p = 0; p < content.size() || runs == 0;) {
      expected += '[';
      ++runs;
      for (; p < content.size() && isText(content[p]); ++p) expected += content[p];
      for (; p < content.size() && !isText(content[p]); ++p) expected += content[p];
    }
    Outcome o = run(content, "^", "[", smRegExpr);
    ASSERT_EQ(o.result, runs) << "round " << round;
    ASSERT_EQ(o.content, expected) << "round " << round;
  }
  expectOnly({"a.txt"});
}

namespace {

// Logs every file operation (names relative to the folder, the temporary file as
// "TEMP") and calls Check before and after each one.
class RecordingOps : public TSnRFileOps {
public:
  explicit RecordingOps(const TempDir& dir) : dir_(dir) {}
  std::vector<std::string> log;
  std::function<void()> check = [] {};
  int creates = 0;

  win::FileHandle CreateTempFile(const std::wstring& f, const std::wstring& p, std::wstring& n) override {
    check();
    win::FileHandle h = TSnRFileOps::CreateTempFile(f, p, n);
    ++creates;
    temp_ = n;
    handle_ = h.get();
    log.push_back("create " + shortName(n));
    return h;
  }
  bool Flush(HANDLE h) override {
    check();
    log.push_back("flush " + std::string(h == handle_ ? "TEMP" : "?"));
    return TSnRFileOps::Flush(h);
  }
  bool Rename(const std::wstring& from, const std::wstring& to, bool replace, win::FileHandle* open) override {
    return step("rename " + shortName(from) + " " + shortName(to), [&] { return TSnRFileOps::Rename(from, to, replace, open); });
  }
  bool Link(const std::wstring& existing, const std::wstring& name) override {
    return step("link " + shortName(existing) + " " + shortName(name), [&] { return TSnRFileOps::Link(existing, name); });
  }
  bool Delete(const std::wstring& name) override {
    return step("delete " + shortName(name), [&] { return TSnRFileOps::Delete(name); });
  }
  bool FlushFolder(const std::wstring& folder) override {
    log.push_back("flush folder");
    return TSnRFileOps::FlushFolder(folder);
  }

private:
  template <class Op>
  bool step(const std::string& what, Op op) {
    check();
    log.push_back(what);
    const DWORD keep = ::GetLastError();
    const bool ok = op();
    const DWORD error = ::GetLastError();
    check();
    ::SetLastError(ok ? keep : error);
    return ok;
  }
  std::string shortName(const std::wstring& wide) const {
    if (!temp_.empty() && wide == temp_) return "TEMP";
    const std::string n = win::WideToAnsi(wide);
    return n.compare(0, dir_.path().size() + 1, dir_.path() + "\\") == 0 ? n.substr(dir_.path().size() + 1) : n;
  }
  const TempDir& dir_;
  std::wstring temp_;
  HANDLE handle_ = nullptr;
};

// Makes one page in the middle of every view unreadable, as a dropped network
// share or a pulled disk would.
class FaultyViewOps : public TSnRFileOps {
public:
  const void* MapViewAt(HANDLE mapping, uint64_t offset, size_t size) override {
    const void* view = TSnRFileOps::MapViewAt(mapping, offset, size);
    MEMORY_BASIC_INFORMATION info;
    if (view && ::VirtualQuery(view, &info, sizeof info) && info.RegionSize >= 3 * 4096) {
      DWORD old = 0;
      char* page = static_cast<char*>(const_cast<void*>(view)) + (info.RegionSize / 4096 / 2) * 4096;
      EXPECT_TRUE(::VirtualProtect(page, 4096, PAGE_NOACCESS, &old));
    }
    return view;
  }
};

}  // namespace

TEST_F(ProcessFileTest, NewContentIsFlushedBeforeItTakesTheNameAndTheNameIsNeverEmpty) {
  RecordingOps ops(dir);
  worker.SetFileOps(&ops);
  const std::string name = dir.file("a.txt");
  // At every step the name holds the whole old or the whole new content.
  ops.check = [&] {
    const std::string now = readFile(name);
    EXPECT_TRUE(now == "abc" || now == "axc") << now;
  };
  EXPECT_EQ(run("abc", "b", "x", smCaseSensitive, true).result, 1);
  EXPECT_EQ(ops.log, (std::vector<std::string>{"create TEMP", "flush TEMP", "link a.txt a.txt.0.snr_bak",
                                               "rename TEMP a.txt", "flush folder"}));
  EXPECT_EQ(readFile(name + ".0.snr_bak"), "abc");
  ops.log.clear();
  EXPECT_EQ(run("abc", "b", "x", smCaseSensitive, true).result, 1);  // the next free number
  EXPECT_EQ(ops.log, (std::vector<std::string>{"create TEMP", "flush TEMP", "link a.txt a.txt.0.snr_bak",
                                               "link a.txt a.txt.1.snr_bak", "rename TEMP a.txt", "flush folder"}));
  ops.log.clear();
  EXPECT_EQ(run("abc", "b", "x", smCaseSensitive, false).result, 1);
  EXPECT_EQ(ops.log, (std::vector<std::string>{"create TEMP", "flush TEMP", "rename TEMP a.txt", "flush folder"}));
}

TEST_F(ProcessFileTest, AFileWithoutMatchIsOnlyRead) {
  RecordingOps ops(dir);
  worker.SetFileOps(&ops);
  const std::string big = std::string(200000, 'q') + "tail";  // also past the direct-write size
  struct Case { std::string content, search, repl; uint8_t mode; int count, creates; std::string out; };
  const Case cases[] = {
      {"abc", "q", "x", smCaseSensitive, 0, 0, "abc"},
      {big, "z", "x", smIgnoreCase, 0, 0, big},
      {s("a\0b", 3), "[0-9]", "x", smRegExpr, 0, 0, s("a\0b", 3)},
      {"abc", "b", "b", smCaseSensitive, 1, 1, "abc"},    // a match that changes nothing is still written
      {"ab", "x*", "", smRegExpr, 3, 1, "ab"},            // empty matches replaced by nothing, likewise
      {big, "tail", "end", smCaseSensitive, 1, 1, std::string(200000, 'q') + "end"},  // the prefix from the view
  };
  for (const auto& c : cases) {
    ops.creates = 0;
    Outcome o = run(c.content, c.search, c.repl, c.mode);
    EXPECT_EQ(o.result, c.count) << c.search;
    EXPECT_EQ(ops.creates, c.creates) << c.search;
    EXPECT_TRUE(o.content == c.out) << c.search;
  }
  expectOnly({"a.txt"});
}

TEST_F(ProcessFileTest, AReadFaultInTheViewFailsTheJobAndLeavesTheFile) {
  FaultyViewOps ops;
  worker.SetFileOps(&ops);
  std::string dense;  // matches on every page; mapped, as files above 64 KiB are
  while (dense.size() < 25 * 4096) dense += "abc ";
  const std::string sparse = "abc" + std::string(300000, '-') + "abc";  // written straight from the view
  struct Case { const char* what; std::string content, search, repl; uint8_t mode; };
  const Case cases[] = {
      {"plain", dense, "abc", "x", smCaseSensitive},
      {"ignore case", dense, "ABC", "x", smIgnoreCase},
      {"no match", dense, "zzz", "x", smCaseSensitive},
      {"regular expression", dense, "a.c", "x", smRegExpr},
      {"output equal to the input", dense, "q*", "", smRegExpr},  // all of it written from the view at the end
      {"long piece", sparse, "abc", "x", smCaseSensitive},
  };
  for (size_t window : {size_t(0), size_t(20000)}) {  // one window, and many
    SmallWindows small(window);
    for (const auto& c : cases) {
      Outcome o = run(c.content, c.search, c.repl, c.mode, true);
      EXPECT_EQ(o.result, srMapFailed) << c.what << " window " << window;
      EXPECT_TRUE(o.content == c.content) << c.what << " window " << window;
      expectOnly({"a.txt"});
    }
  }
  worker.SetFileOps(nullptr);  // the same worker goes on as before
  EXPECT_EQ(run(dense, "abc", "x", smCaseSensitive).result, static_cast<int>(dense.size() / 4));
}

// The new content and the backup keep the file's attributes and rights: a second
// name shares them, a copy (where links are not) is given them.
TEST_F(ProcessFileTest, TheNewContentAndItsBackupKeepTheFilesAttributesAndRights) {
  FailingOps ops;
  worker.SetFileOps(&ops);
  const std::string name = dir.file("a.txt"), backup = name + ".0.snr_bak";
  const bool wine = qztest::UnderWineOnLinux();
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  for (DWORD linkError : {0ul, static_cast<unsigned long>(ERROR_NOT_SUPPORTED)}) {
    writeFile(name, "abc");
    ASSERT_TRUE(::SetFileAttributesA(name.c_str(), kept));
    if (wine) {
      ASSERT_TRUE(qztest::Chmod(name, "640"));
    }
    ops.linkError = linkError;
    EXPECT_EQ(worker.ProcessFile(name, "b", 1, smCaseSensitive, "x", 1, true, 2), 1);
    EXPECT_EQ(readFile(name), "axc");
    EXPECT_EQ(readFile(backup), "abc");
    for (const std::string& f : {name, backup}) {
      EXPECT_EQ(::GetFileAttributesA(f.c_str()) & kept, kept) << f << " " << linkError;
      if (wine) {
        EXPECT_EQ(qztest::UnixMode(f), "640") << f << " " << linkError;
      }
      ::SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    ::DeleteFileA(backup.c_str());
  }
}

// Read-only by its attribute, or under wine by a mode without write bits: the
// system refuses to replace such a file, so a job with matches fails as its rename
// would, and nothing is written, linked or renamed for it.
TEST_F(ProcessFileTest, AReadOnlyFileIsLeftAsItIs) {
  RecordingOps ops(dir);
  worker.SetFileOps(&ops);
  const std::string name = dir.file("a.txt");
  const std::string big = "abc" + std::string(300000, '-');  // mapped; its match ends the scan
  struct Case { std::string content, search; uint8_t mode; int result; };
  const Case cases[] = {
      {"abc", "b", smCaseSensitive, srFinishFailed}, {big, "B", smIgnoreCase, srFinishFailed},
      {"abc", "b+", smRegExpr, srFinishFailed},      {"abc", "q", smCaseSensitive, 0},
      {"abc", "a(", smRegExpr, srReplaceFailed},
  };
  for (bool byMode : {false, true}) {
    if (byMode && !qztest::UnderWineOnLinux()) continue;
    for (const Case& c : cases) {
      writeFile(name, c.content);
      if (byMode)
        ASSERT_TRUE(qztest::Chmod(name, "444"));
      else
        ASSERT_TRUE(::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY));
      ops.log.clear();
      EXPECT_EQ(worker.ProcessFile(name, c.search.data(), static_cast<int>(c.search.size()), c.mode, "x", 1, true, 2),
                c.result)
          << c.search << " " << byMode;
      EXPECT_TRUE(readFile(name) == c.content) << c.search << " " << byMode;
      EXPECT_TRUE(ops.log.empty()) << ops.log.front();
      expectOnly({"a.txt"});
      ::SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
  }
}

namespace {

// Lets another writer act once at a moment of the job: while the temporary file is
// flushed (after the reading), or once the backup's second name is made.
class WriterOps : public TSnRFileOps {
public:
  std::function<void()> atFlush, atLink;
  bool Flush(HANDLE h) override {
    once(atFlush);
    return TSnRFileOps::Flush(h);
  }
  bool Link(const std::wstring& existing, const std::wstring& name) override {
    const bool ok = TSnRFileOps::Link(existing, name);
    once(atLink);
    return ok;
  }

private:
  static void once(std::function<void()>& act) {
    if (!act) return;
    const auto run = std::move(act);
    act = nullptr;
    run();
  }
};

}  // namespace

TEST_F(ProcessFileTest, WhatAnotherWriterMadeOfTheFileStaysAndTheJobFails) {
  WriterOps ops;
  worker.SetFileOps(&ops);
  const std::string name = dir.file("a.txt"), moved = dir.file("moved.txt");
  // A Windows program cannot write the file while the job has it...
  auto heldOff = [&] {
    win::FileHandle w(::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(w);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  };
  // ...but it can move it away and put another file in its place; a Linux program
  // under wine is not held off at all.
  auto replace = [&] {
    heldOff();
    EXPECT_TRUE(::MoveFileExA(name.c_str(), moved.c_str(), 0));
    writeFile(name, "theirs");
  };
  auto append = [&] {
    heldOff();
    EXPECT_TRUE(qztest::RunUnix("printf theirs >> '" + qztest::UnixPath(name) + "'"));
  };
  struct Case { const char* what; std::function<void()> writer; bool onLinux, backup, atLink; std::string left; };
  const Case cases[] = {
      {"replaced while flushed", replace, false, false, false, "theirs"},
      {"replaced once backed up", replace, false, true, true, "theirs"},
      {"appended to while flushed", append, true, true, false, "abctheirs"},
      {"appended to once backed up", append, true, true, true, "abctheirs"},
  };
  for (const Case& c : cases) {
    if (c.onLinux && !qztest::UnderWineOnLinux()) continue;
    writeFile(name, "abc");
    (c.atLink ? ops.atLink : ops.atFlush) = c.writer;
    EXPECT_EQ(worker.ProcessFile(name, "b", 1, smCaseSensitive, "x", 1, c.backup, 2), srFinishFailed) << c.what;
    EXPECT_EQ(readFile(name), c.left) << c.what;
    EXPECT_FALSE(ops.atFlush || ops.atLink) << c.what << ": the writer never came";
    if (exists(moved)) {
      EXPECT_EQ(readFile(moved), "abc") << c.what;
      ::DeleteFileA(moved.c_str());
    }
    expectOnly({"a.txt"});  // neither the temporary file nor a backup
  }
}
