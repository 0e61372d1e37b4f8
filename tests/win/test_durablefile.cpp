// The program's and the overlay library's own files: replaced whole and in one
// step, keeping what the old file had (attributes, rights), never a read-only one,
// and what killed writes leave is removed unless a writer still holds it.
#include "QzTestFiles.h"
#include "QzTestUnix.h"
#include "win/DurableFile.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

struct DurableFileTest : ::testing::Test {
  ~DurableFileTest() override { win::SetDurableStepHook(nullptr); }
  static std::string read(const std::string& f) {
    std::ifstream in(f, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void write(const std::string& f, const std::string& bytes) {
    std::ofstream(f, std::ios::binary | std::ios::trunc) << bytes;
  }
  Strings files() const { return qztest::NamesIn(dir); }
  // What another program reads under the name and in the new file beside it.
  std::string seen(const std::string& f) const {
    std::string beside;
    for (const std::string& n : files())
      if (n.size() > 6 && n.compare(n.size() - 6, 6, ".qznew") == 0) beside += read(dir + n);
    return read(f) + "|" + beside;
  }
  qztest::TempFolder folder{"durable"};
  std::string dir = folder.path() + "\\";
};

}  // namespace

TEST_F(DurableFileTest, AWriteReplacesTheFileWholeInOneStep) {
  const std::string f = dir + "result.log";
  ASSERT_TRUE(win::WriteFileDurably(f, "old\r\n"));
  // Up to the rename the name holds the old content, afterwards the new one.
  Strings steps;
  win::SetDurableStepHook([&](const char* step) {
    steps.push_back(std::string(step) + ": " + seen(f));
    return true;
  });
  ASSERT_TRUE(win::WriteFileDurably(f, "new"));
  EXPECT_EQ(steps, (Strings{"written: old\r\n|new", "flushed: old\r\n|new", "replaced: new|"}));
  win::SetDurableStepHook(nullptr);
  ASSERT_TRUE(win::WriteFileDurably(f, ""));
  EXPECT_EQ(read(f), "");
  EXPECT_EQ(files(), Strings{"result.log"});

  // A disk that fails before the new content is safe leaves the old file whole.
  for (const char* failAt : {"written", "flushed"}) {
    win::SetDurableStepHook([&](const char* step) { return std::string(step) != failAt; });
    EXPECT_FALSE(win::WriteFileDurably(f, "lost")) << failAt;
    EXPECT_EQ(read(f), "") << failAt;
    EXPECT_EQ(files(), Strings{"result.log"}) << failAt;
  }
  win::SetDurableStepHook(nullptr);

  // A name that cannot be replaced (here a folder) keeps what it had, and no new file stays.
  ::CreateDirectoryA((dir + "taken").c_str(), nullptr);
  EXPECT_FALSE(win::WriteFileDurably(dir + "taken", "x"));
  EXPECT_FALSE(win::WriteFileDurably(dir + "no folder\\x.log", "x"));
  EXPECT_EQ(files().size(), 2u);

  // An unchanged file is not written again.
  WIN32_FILE_ATTRIBUTE_DATA before, after;
  ::GetFileAttributesExA(f.c_str(), GetFileExInfoStandard, &before);
  ::Sleep(20);
  ASSERT_TRUE(win::UpdateFileDurably(f, ""));
  ::GetFileAttributesExA(f.c_str(), GetFileExInfoStandard, &after);
  EXPECT_EQ(::CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
}

TEST_F(DurableFileTest, TheNewFileKeepsTheOldOnesAttributesAndRightsAndAReadOnlyFileIsNotReplaced) {
  const std::string hidden = dir + "history.ini";
  write(hidden, "old");
  ASSERT_TRUE(::SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(win::WriteFileDurably(hidden, "new"));
  EXPECT_EQ(read(hidden), "new");
  EXPECT_EQ(::GetFileAttributesA(hidden.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));

  const bool wine = qztest::UnderWineOnLinux();
  if (wine) {
    for (const char* mode : {"600", "640", "755"}) {
      const std::string f = dir + "m" + mode;
      write(f, "old");
      ASSERT_TRUE(qztest::Chmod(f, mode));
      ASSERT_TRUE(win::WriteFileDurably(f, "new"));
      EXPECT_EQ(qztest::UnixMode(f), mode);
    }
  }

  // Read-only by its attribute, or under wine by a mode without write bits: the
  // system would refuse the rename, so nothing is written at all.
  Strings readOnly = {dir + "readonly.ini"};
  write(readOnly[0], "old");
  ASSERT_TRUE(::SetFileAttributesA(readOnly[0].c_str(), FILE_ATTRIBUTE_READONLY));
  if (wine) {
    readOnly.push_back(dir + "m444");
    write(readOnly[1], "old");
    ASSERT_TRUE(qztest::Chmod(readOnly[1], "444"));
  }
  const size_t count = files().size();
  for (const std::string& f : readOnly) {
    int steps = 0;
    win::SetDurableStepHook([&](const char*) { return ++steps > 0; });
    EXPECT_FALSE(win::WriteFileDurably(f, "new")) << f;
    EXPECT_EQ(steps, 0) << f;
    EXPECT_EQ(read(f), "old") << f;
    EXPECT_TRUE(win::UpdateFileDurably(f, "old")) << f;  // nothing to write
  }
  EXPECT_EQ(files().size(), count);
}

TEST_F(DurableFileTest, LeftoversOfKilledWritesGoUnlessAWriterHoldsThem) {
  write(dir + "history.ini.1f-1.qznew", "of a killed run");
  write(dir + "backup.dat.1f-2.qznew", "of a killed run");
  win::NewFileBeside writing(dir + "backup.dat");
  ASSERT_TRUE(writing);
  write(dir + "user.txt", "not ours");
  EXPECT_EQ(win::RemoveDurableLeftoversOf(dir + "history.ini"), 1);
  EXPECT_EQ(win::RemoveDurableLeftovers(dir), 1);
  Strings left = files();
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (Strings{writing.name().substr(dir.size()), "user.txt"}));
}
