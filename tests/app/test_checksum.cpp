#include "AppTestDir.h"
#include "install/checksum.h"
#include <gtest/gtest.h>

TEST(Checksum, KnownVectors) {
  AppTestDir dir;
  AppTestDir::write(dir / "abc", "abc");
  AppTestDir::write(dir / "empty", "");
  EXPECT_EQ(CalcFileChecksum(dir / "abc"), "0126024E");
  EXPECT_EQ(CalcFileChecksum(dir / "empty"), "00000000");
  EXPECT_EQ(WordToHex4(0xFFFF), "FFFF");
  EXPECT_EQ(WordToHex4(0x0A1B), "0A1B");
  // Sums run modulo 65535: 257 bytes of 255 give 65535 -> 0 for s1.
  TChecksum sum;
  std::string ff(257, '\xFF');
  sum.Add(reinterpret_cast<const uint8_t*>(ff.data()), ff.size());
  EXPECT_EQ(sum.Result().substr(0, 4), "0000");
}

TEST(Checksum, PositionsRestartInEveryBlockOf60000Bytes) {
  AppTestDir dir;
  std::string block(60000, '\0');
  block[59999] = 1;                       // weight 60000
  AppTestDir::write(dir / "one", block);
  EXPECT_EQ(CalcFileChecksum(dir / "one"), WordToHex4(1) + WordToHex4(60000));
  AppTestDir::write(dir / "two", block + "\x01");   // the next byte has weight 1 again
  EXPECT_EQ(CalcFileChecksum(dir / "two"), WordToHex4(2) + WordToHex4(60001 % 65535));

  AppTestDir::write(dir / "ab", "ab");
  AppTestDir::write(dir / "ba", "ba");
  std::string ab = CalcFileChecksum(dir / "ab"), ba = CalcFileChecksum(dir / "ba");
  EXPECT_EQ(ab.substr(0, 4), ba.substr(0, 4));
  EXPECT_NE(ab.substr(4), ba.substr(4));
}

TEST(Checksum, UnreadableFileMatchesNoChecksum) {
  std::string r = CalcFileChecksum("Z:\\qz\\no\\such\\file");
  EXPECT_NE(r.size(), 8u);
  EXPECT_NE(r.find("no\\such\\file"), std::string::npos);
}
