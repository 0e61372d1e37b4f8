// The program file of this build carries its install package.
#include "AppTestDir.h"
#include "install/checksum.h"
#include "install/fileinst.h"
#include <gtest/gtest.h>

TEST(ShippedPackage, EveryEntryIsSoundAndExtractsWithItsChecksum) {
  const std::string build = QZ_BINARY_DIR;
  std::string program = build + "/QzSearchAndReplace.exe";
  ASSERT_EQ(ReadInstallDirectoryFrom(program), 3);
  EXPECT_EQ(EntryName(InstallEntries[0]), "QzSearchAndReplace.exe");
  EXPECT_EQ(InstallEntries[0].Offset, 0);
  EXPECT_EQ(EntryName(InstallEntries[1]), "Qz-DarariRuzoriv.dll");
  EXPECT_EQ(EntryName(InstallEntries[2]), "Qz-Rudize&DarozadEdo.chm");

  AppTestDir dir;
  std::string file = AppTestDir::read(program);
  for (uint8_t i = 0; i < InstallEntryCount; ++i) {
    const TInstallEntry& e = InstallEntries[i];
    std::string name = EntryName(e);
    ASSERT_TRUE(ExtractInstallEntry(i, dir.path(), "")) << name;
    EXPECT_EQ(CalcFileChecksum(dir / name), EntryChecksum(e)) << name;
    EXPECT_EQ(AppTestDir::read(dir / name), file.substr(static_cast<size_t>(e.Offset), static_cast<size_t>(e.Size))) << name;
  }
  // Entries 1 and 2 are the library and the help file of this build.
  EXPECT_EQ(AppTestDir::read(dir / "Qz-DarariRuzoriv.dll"), AppTestDir::read(build + "/Qz-DarariRuzoriv.dll"));
  EXPECT_EQ(AppTestDir::read(dir / "Qz-Rudize&DarozadEdo.chm"), AppTestDir::read(build + "/Qz-Rudize&DarozadEdo.chm"));
  // The package sits right after the program image.
  EXPECT_EQ(InstallEntries[1].Offset, InstallEntries[0].Size);
}
