#include "AppTestDir.h"
#include "settings/Iniregi.h"
#include <gtest/gtest.h>

namespace {
struct IniTest : ::testing::Test {
  AppTestDir dir;
  std::string ini = dir / "t.ini";
};
}  // namespace

TEST_F(IniTest, IntegersReadBackOrGiveTheDefault) {
  struct Case { const char* stored; int32_t expected; } cases[] = {
      {"-5", -5}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"+7", 7},
      {"12abc", 99}, {"", 99}, {"2147483648", 99}, {"-2147483649", 99}, {"99999999999999999999", 99},
      {"word", 99}, {"-", 99},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteIniString(ini, "S", "K", c.stored));
    EXPECT_EQ(ReadIniInteger(ini, "S", "K", 99), c.expected) << "stored: " << c.stored;
  }
  EXPECT_EQ(ReadIniInteger(ini, "S", "Missing", -3), -3);
  WriteIniInteger(ini, "S", "N", -42);
  EXPECT_EQ(ReadIniString(ini, "S", "N", ""), "-42");
}

TEST_F(IniTest, BooleansAreOneAndZero) {
  WriteIniBool(ini, "S", "B", false);
  EXPECT_FALSE(ReadIniBool(ini, "S", "B", true));
  EXPECT_EQ(ReadIniString(ini, "S", "B", ""), "0");
  WriteIniBool(ini, "S", "B", true);
  EXPECT_TRUE(ReadIniBool(ini, "S", "B", false));
  WriteIniString(ini, "S", "W", "yes");
  EXPECT_FALSE(ReadIniBool(ini, "S", "W", true));
  EXPECT_TRUE(ReadIniBool(ini, "S", "Missing", true));
  EXPECT_FALSE(ReadIniBool(ini, "Nope", "Missing", false));
}

TEST_F(IniTest, EmptyValueIsNotTheDefaultAndLongValuesComeBackCut) {
  ASSERT_TRUE(WriteIniString(ini, "S", "E", ""));
  EXPECT_EQ(ReadIniString(ini, "S", "E", "default"), "");
  EXPECT_EQ(ReadIniString(dir / "missing.ini", "S", "E", "default"), "default");

  std::string v300(300, 'x');
  v300[297] = 'y';
  ASSERT_TRUE(WriteIniString(ini, "S", "L", v300));
  EXPECT_EQ(ReadIniString(ini, "S", "L", ""), v300.substr(0, 298));
  EXPECT_EQ(ReadIniStringMax(ini, "S", "L", "", 400), v300);
}

TEST_F(IniTest, ArgumentsBeyondTheBuffersAreRefused) {
  EXPECT_TRUE(WriteIniString(ini, "S", "K", std::string(400, 'a')));
  EXPECT_FALSE(WriteIniString(ini, "S", "K", std::string(401, 'b')));
  EXPECT_EQ(ReadIniStringMax(ini, "S", "K", "", 400), std::string(400, 'a'));   // not overwritten
  EXPECT_EQ(ReadIniString(ini, "S", std::string(401, 'k'), "dflt"), "dflt");
}

TEST(Registry, MissingKeyGivesDefaultMissingValueGivesEmpty) {
  // Read-only look-ups in keys every Windows has.
  const char* key = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", "dflt").empty());
  EXPECT_NE(ReadRegistryString(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir", "dflt"), "dflt");
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, key, "QzNoSuchValue", "dflt"), "");
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\QzNoSuchKey\\Sub", "X", "dflt"), "dflt");
}
