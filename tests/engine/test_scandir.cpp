#include "EngineTest.h"
#include "MailTools.h"
#include "uScanDirThread.h"
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

// root: a.txt, b.dat, sub\c.txt, sub\deep\d.txt, sub2\e.txt, and a folder x.txt
class ScanTest : public ::testing::Test {
protected:
  void SetUp() override {
    ::CreateDirectoryA(dir.file("sub").c_str(), nullptr);
    ::CreateDirectoryA(dir.file("sub\\deep").c_str(), nullptr);
    ::CreateDirectoryA(dir.file("sub2").c_str(), nullptr);
    ::CreateDirectoryA(dir.file("x.txt").c_str(), nullptr);
    for (const char* f : {"a.txt", "b.dat", "sub\\c.txt", "sub\\deep\\d.txt", "sub2\\e.txt"}) {
      writeFile(dir.file(f), "x");
      ::SetFileAttributesA(dir.file(f).c_str(), FILE_ATTRIBUTE_ARCHIVE);
    }
  }
  std::vector<std::string> scan(const std::string& path, const std::string& mask, int attr, bool recursive) {
    TScanDirThread t;
    win::StringList found;
    t.SetParams(path, mask, attr, recursive, &found);
    EXPECT_EQ(t.priority(), THREAD_PRIORITY_LOWEST);
    t.resume();
    t.waitFor();  // serves the hand-overs meanwhile
    EXPECT_TRUE(t.Finished);
    return found.items();
  }
  TempDir dir;
};

}  // namespace

TEST_F(ScanTest, SubfoldersComeFirstDepthFirst) {
  auto found = scan(dir.path(), "*.txt", 47, true);
  ASSERT_EQ(found.size(), 4u);
  // Each folder's own files come after those of all its subfolders.
  auto pos = [&](const std::string& f) {
    return std::find(found.begin(), found.end(), dir.file(f)) - found.begin();
  };
  EXPECT_LT(pos("sub\\deep\\d.txt"), pos("sub\\c.txt"));
  EXPECT_LT(pos("sub\\c.txt"), pos("a.txt"));
  EXPECT_LT(pos("sub2\\e.txt"), pos("a.txt"));
  EXPECT_EQ(found.back(), dir.file("a.txt"));

  EXPECT_EQ(scan(dir.path(), "*.txt", 47, false), std::vector<std::string>{dir.file("a.txt")});
  EXPECT_EQ(scan(dir.path() + "\\", "?.dat", 47, false), std::vector<std::string>{dir.file("b.dat")});
}

TEST_F(ScanTest, AttributeFilter) {
  // 63 = 47 + the directory bit: only folders that match the mask.
  EXPECT_EQ(scan(dir.path(), "*.txt", 63, true), std::vector<std::string>{dir.file("x.txt")});

  struct Case { DWORD attr; int wanted; bool taken; };
  const Case cases[] = {
      {FILE_ATTRIBUTE_ARCHIVE, 47, true},
      {FILE_ATTRIBUTE_NORMAL, 47, false},  // only the normal bit: not listed
      {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NORMAL, 47, true},
      {FILE_ATTRIBUTE_DIRECTORY, 47, false},
      {FILE_ATTRIBUTE_DIRECTORY, 63, true},
      {FILE_ATTRIBUTE_ARCHIVE, 63, false},
      {FILE_ATTRIBUTE_READONLY, 1, true},
      {FILE_ATTRIBUTE_ARCHIVE, 1, false},
  };
  for (const auto& c : cases) EXPECT_EQ(WalkAttrMatches(c.attr, c.wanted), c.taken) << c.attr << "/" << c.wanted;
}

TEST_F(ScanTest, MissingFolderGivesNothingAndTheThreadStillFinishes) {
  EXPECT_TRUE(scan(dir.file("nope"), "*", 47, true).empty());
  TDirStringList list;
  list.add("old");
  list.AddFiles(dir.file("nope"), "*", 47, true, true);
  EXPECT_EQ(list.items(), std::vector<std::string>{"old"});  // Append keeps it
  list.AddFiles(dir.file("nope"), "*", 47, true, false);
  EXPECT_EQ(list.count(), 0);  // emptied even when nothing is found
}

TEST_F(ScanTest, CurrentFolderIsTheDefaultAndStaysUnchanged) {
  char old[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, old);
  ASSERT_TRUE(::SetCurrentDirectoryA(dir.file("sub").c_str()));
  auto found = scan("", "*.txt", 47, true);
  TDirStringList list;
  list.AddFiles("", "*.txt", 47, true, false);
  char now[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, now);
  ::SetCurrentDirectoryA(old);
  EXPECT_EQ(std::string(now), dir.file("sub"));
  EXPECT_EQ(found, (std::vector<std::string>{dir.file("sub\\deep\\d.txt"), dir.file("sub\\c.txt")}));
  EXPECT_EQ(list.items(), found);
}

TEST_F(ScanTest, DriveRootPathsFromTheThreadAndTheList) {
  // Z: is the Unix root under wine; its folder tmp always exists.
  if (::GetFileAttributesA("Z:\\tmp") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no Z:\\tmp";
  EXPECT_EQ(scan("Z:\\", "tmp", 63, false), std::vector<std::string>{"Z:\\tmp"});
  TDirStringList list;
  list.AddFiles("Z:\\", "tmp", 63, false, false);
  EXPECT_EQ(list.items(), std::vector<std::string>{"Z:\\\\tmp"});  // as formed
}

TEST(ScanDir, ReduceDoubledBackslashes) {
  struct Case { const char* in; const char* out; };
  const Case cases[] = {
      {"C:\\\\a.txt", "C:\\a.txt"},
      {"C:\\x\\\\\\\\y", "C:\\x\\y"},
      {"\\\\server\\share\\\\f", "\\\\server\\share\\f"},  // a network path keeps its leading pair
      {"\\\\\\server\\f", "\\\\server\\f"},
      {"\\a", "\\a"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ReduceDoubledBackslashes(c.in), c.out) << c.in;
}

TEST_F(ScanTest, DirStringListGetName) {
  TDirStringList list;
  list.AddFiles(dir.path(), "*.txt", 47, false, false);
  list.add("C:name.txt");
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.GetName(0, true), dir.file("a.txt"));
  EXPECT_EQ(list.GetName(0, false), "a.txt");
  EXPECT_EQ(list.GetName(1, false), "name.txt");
  EXPECT_EQ(list.GetName(2, true), "");
  EXPECT_EQ(list.GetName(-1, false), "");
}

TEST_F(ScanTest, TerminatedScanStopsEarlyAndIsFreedWithoutHanging) {
  for (int i = 0; i < 30; ++i) {
    std::string sub = dir.file("t" + std::to_string(i));
    ::CreateDirectoryA(sub.c_str(), nullptr);
    for (int j = 0; j < 20; ++j) writeFile(sub + "\\f" + std::to_string(j) + ".txt", "");
  }
  win::StringList found;
  {
    TScanDirThread t;
    t.SetParams(dir.path(), "*.txt", 47, true, &found);
    t.resume();
    while (found.count() < 5) win::checkSynchronize();
    t.terminate();
  }  // the destructor waits, serving the hand-over in progress
  EXPECT_LT(found.count(), 600);
  EXPECT_GE(found.count(), 5);
}

namespace {

// The walk as the system's two listings give it: subfolders from a listing of
// every entry, the folder's own entries from a listing with the mask.
void referenceWalk(const std::string& folder, const std::string& mask, int attr, std::vector<std::string>& out) {
  WIN32_FIND_DATAA fd;
  std::vector<std::string> subs;
  HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string n = fd.cFileName;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && n != "." && n != "..") subs.push_back(folder + "\\" + n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
  }
  for (const auto& s : subs) referenceWalk(s, mask, attr, out);
  h = ::FindFirstFileA((folder + "\\" + mask).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::string n = fd.cFileName;
    if (n != "." && n != ".." && WalkAttrMatches(fd.dwFileAttributes, attr)) out.push_back(folder + "\\" + n);
  } while (::FindNextFileA(h, &fd));
  ::FindClose(h);
}

// Counts the batches a scan hands over.
class CountingList : public win::StringList {
public:
  int batches = 0;
  void beginUpdate() override { ++batches; }
};

}  // namespace

TEST_F(ScanTest, OneListingAFolderGivesWhatTheSystemsMaskGives) {
  // Names whose short (8.3) names match where the long ones do not, other cases,
  // hidden files, a name beyond ASCII, and nesting.
  const char* names[] = {"long name.txtx", "UPPER.TXT", "mixed.TxT", "noext", "a.txt.bak", "dot.", ".hidden.txt",
                         "x.tx", "longextension.text", "\xE4rger.txt", "sub\\deep\\z.TXT", "sub2\\w.txtx"};
  for (const char* n : names) {
    writeFile(dir.file(n), "x");
    ::SetFileAttributesA(dir.file(n).c_str(), FILE_ATTRIBUTE_ARCHIVE | (n[0] == '.' ? FILE_ATTRIBUTE_HIDDEN : 0));
  }
  for (const char* mask : {"*", "*.*", "*.txt", "*.TXT", "*.tx", "*.text", "*.dat", "?.dat", "a*", "*.tx?"}) {
    for (int attr : {47, 63}) {
      std::vector<std::string> expected;
      referenceWalk(dir.path(), mask, attr, expected);
      EXPECT_EQ(scan(dir.path(), mask, attr, true), expected) << mask << " " << attr;
      TDirStringList list;
      list.AddFiles(dir.path(), mask, attr, true, false);
      EXPECT_EQ(list.items(), expected) << mask << " " << attr;
    }
  }
}

TEST_F(ScanTest, FoundFilesAreHandedOverInBatchesInTheirOrder) {
  for (int i = 0; i < 450; ++i) writeFile(dir.file("n" + std::to_string(i) + ".txt"), "");
  CountingList found;
  TScanDirThread t;
  t.SetParams(dir.path(), "*.txt", 47, true, &found);
  t.resume();
  t.waitFor();
  EXPECT_TRUE(t.Finished);
  TDirStringList list;
  list.AddFiles(dir.path(), "*.txt", 47, true, false);
  EXPECT_EQ(found.items(), list.items());
  EXPECT_EQ(found.count(), 454);
  EXPECT_GE(found.batches, 5);   // at most 100 a batch
  EXPECT_LE(found.batches, 60);  // and not one a file
}
