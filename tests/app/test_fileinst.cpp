#include "AppTestDir.h"
#include "install/checksum.h"
#include "install/fileinst.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {
std::string sumOf(const std::string& bytes) {
  TChecksum s;
  s.Add(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return s.Result();
}

// Builds a package file the way the packer does; damage() may alter the
// directory before it is written.
struct Package {
  std::vector<std::pair<std::string, std::string>> parts{
      {"Host.exe", std::string(1000, 'P')}, {"Lib.dll", "library bytes"}, {"Help.chm", std::string(70000, 'h')}};
  std::string build(const std::function<void(std::vector<TInstallEntry>&, std::string&)>& damage = {}) const {
    std::string data;
    std::vector<TInstallEntry> dir;
    for (const auto& p : parts) {
      dir.push_back(MakeInstallEntry(p.first, static_cast<int32_t>(p.second.size()), static_cast<int32_t>(data.size()),
                                     sumOf(p.second)));
      data += p.second;
    }
    if (damage) damage(dir, data);
    std::string out = data;
    out.append(reinterpret_cast<const char*>(dir.data()), dir.size() * sizeof(TInstallEntry));
    uint8_t trailer[kInstallTrailerSize];
    MakeTrailer(static_cast<int>(dir.size()), trailer);
    out.append(reinterpret_cast<const char*>(trailer), sizeof(trailer));
    return out;
  }
};

struct FileInstTest : ::testing::Test {
  AppTestDir dir;
  std::string exe = dir / "Host.exe";
  std::string target = dir.path() + "out\\";
  void SetUp() override { ::CreateDirectoryA(target.c_str(), nullptr); }
};
}  // namespace

TEST_F(FileInstTest, ReadsTheDirectoryAndExtractsEveryEntry) {
  Package pkg;
  AppTestDir::write(exe, pkg.build());
  ASSERT_EQ(ReadInstallDirectoryFrom(exe), 3);
  EXPECT_EQ(GetInstallEntryCount(), 2);
  EXPECT_EQ(EntryName(InstallEntries[2]), "Help.chm");
  EXPECT_TRUE(ExtractInstallEntry(1, target, ""));
  EXPECT_TRUE(ExtractInstallEntry(2, target.substr(0, target.size() - 1), ""));   // no trailing backslash
  EXPECT_EQ(AppTestDir::read(target + "Lib.dll"), "library bytes");
  EXPECT_EQ(AppTestDir::read(target + "Help.chm"), pkg.parts[2].second);
  EXPECT_TRUE(ExtractInstallEntry(1, target, "Renamed.dll"));
  EXPECT_TRUE(AppTestDir::exists(target + "Renamed.dll"));
  EXPECT_FALSE(ExtractInstallEntry(3, target, ""));
  EXPECT_FALSE(ExtractInstallEntry(1, target, "..\\escape.dll"));
  EXPECT_FALSE(AppTestDir::exists(dir / "escape.dll"));
}

TEST_F(FileInstTest, NoOrCutPackageCountsAsNone) {
  Package pkg;
  std::string full = pkg.build();
  AppTestDir::write(exe, full.substr(0, 1000));   // cut before the package starts
  EXPECT_EQ(ReadInstallDirectoryFrom(exe), 1);
  EXPECT_EQ(GetInstallEntryCount(), 0);
  AppTestDir::write(exe, full.substr(0, full.size() - 1));
  EXPECT_EQ(ReadInstallDirectoryFrom(exe), 1);
  AppTestDir::write(exe, "tiny");
  EXPECT_EQ(ReadInstallDirectoryFrom(exe), 1);
  EXPECT_EQ(ReadInstallDirectoryFrom(dir / "missing.exe"), 1);
  EXPECT_FALSE(ExtractInstallEntry(1, target, ""));
}

TEST_F(FileInstTest, DamagedDirectoriesAreRejected) {
  using Damage = std::function<void(std::vector<TInstallEntry>&, std::string&)>;
  struct Case { const char* what; Damage damage; } cases[] = {
      {"size beyond the data", [](auto& d, auto&) { d[2].Size += 1; }},
      {"negative size", [](auto& d, auto&) { d[1].Size = -1; }},
      {"negative offset", [](auto& d, auto&) { d[1].Offset = -5; }},
      {"offset into the directory", [](auto& d, auto&) { d[1].Offset = 71001; }},
      {"huge offset", [](auto& d, auto&) { d[1].Offset = 0x7FFFFFF0; }},
      {"name with a folder", [](auto& d, auto&) { d[1] = MakeInstallEntry("..\\evil.dll", d[1].Size, d[1].Offset, "00000000"); }},
      {"name with a slash", [](auto& d, auto&) { d[1] = MakeInstallEntry("a/b", d[1].Size, d[1].Offset, "00000000"); }},
      {"dot-dot name", [](auto& d, auto&) { d[1] = MakeInstallEntry("..", d[1].Size, d[1].Offset, "00000000"); }},
      {"empty name", [](auto& d, auto&) { d[1].Name[0] = 0; }},
      {"name length beyond its field", [](auto& d, auto&) { d[1].Name[0] = 200; }},
      {"short checksum", [](auto& d, auto&) { d[1].Checksum[0] = 4; }},
      {"checksum not hex", [](auto& d, auto&) { d[1].Checksum[3] = 'x'; }},
  };
  Package pkg;
  for (const auto& c : cases) {
    AppTestDir::write(exe, pkg.build(c.damage));
    EXPECT_EQ(ReadInstallDirectoryFrom(exe), 1) << c.what;
  }
  // A count larger than the file holds.
  std::string bytes = pkg.build();
  bytes[bytes.size() - 2] = static_cast<char>(200);
  AppTestDir::write(exe, bytes);
  EXPECT_EQ(ReadInstallDirectoryFrom(exe), 1);
  bytes[bytes.size() - 2] = 0;   // zero entries
  AppTestDir::write(exe, bytes);
  EXPECT_EQ(ReadInstallDirectoryFrom(exe), 1);
}

TEST_F(FileInstTest, AGoodFileIsNeverReplacedByABadCopy) {
  Package pkg;
  // Entry 1's bytes do not match its stored checksum.
  AppTestDir::write(exe, pkg.build([](auto&, std::string& data) { data[1000] = 'X'; }));
  ASSERT_EQ(ReadInstallDirectoryFrom(exe), 3);
  AppTestDir::write(target + "Lib.dll", "the working library");
  EXPECT_FALSE(ExtractInstallEntry(1, target, ""));
  EXPECT_EQ(AppTestDir::read(target + "Lib.dll"), "the working library");
  // No temporary file is left behind.
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((target + "*.tmp").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) ::FindClose(h);
}

TEST_F(FileInstTest, AFileInPlaceWithTheRightChecksumIsLeftAlone) {
  Package pkg;
  AppTestDir::write(exe, pkg.build());
  ASSERT_EQ(ReadInstallDirectoryFrom(exe), 3);
  AppTestDir::write(target + "Lib.dll", "library bytes");
  // Held open without sharing, as a loaded library is: no write is needed.
  HANDLE held = ::CreateFileA((target + "Lib.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(ExtractInstallEntry(1, target, ""));
  ::CloseHandle(held);
  // A stale file is replaced.
  AppTestDir::write(target + "Lib.dll", "old library");
  EXPECT_TRUE(ExtractInstallEntry(1, target, ""));
  EXPECT_EQ(AppTestDir::read(target + "Lib.dll"), "library bytes");
}
