#include "MailTools.h"
#include "uExtPChar.h"
#include <gtest/gtest.h>

namespace {
std::string bytes(const TExtPChar& v) {
  return std::string(reinterpret_cast<const char*>(v.GetBuffer()), v.Len > 0 ? v.Len : 0);
}
}  // namespace

TEST(ExtPChar, NewValueIsUnset) {
  TExtPChar v;
  EXPECT_EQ(v.Len, -1);
  EXPECT_EQ(v.GetText(), "");
  EXPECT_EQ(v.GetHex(), "");
  EXPECT_FALSE(v.HasControlChars());
  v.SetText("");
  EXPECT_EQ(v.Len, 0);  // set, but empty
}

TEST(ExtPChar, SetHexCases) {
  struct Case { std::string hex; std::string bytes; std::string text; std::string hexOut; bool control; };
  const Case cases[] = {
      {"41 0a 42", "A\nB", "A.B", "410A42", true},
      {"ABC", "\xAB", "\xAB", "AB", false},           // odd last digit dropped
      {"xyz GHI", "", "", "", false},                 // no digit at all
      {"00ff", std::string("\0\xFF", 2), ".\xFF", "00FF", true},
      {"4-1:4 2", "AB", "AB", "4142", false},         // separators anywhere
  };
  for (const auto& c : cases) {
    TExtPChar v;
    v.SetHex(c.hex);
    EXPECT_EQ(v.Len, static_cast<int>(c.bytes.size())) << c.hex;
    EXPECT_EQ(bytes(v), c.bytes) << c.hex;
    EXPECT_EQ(v.GetText(), c.text) << c.hex;
    EXPECT_EQ(v.GetHex(), c.hexOut) << c.hex;
    EXPECT_EQ(v.HasControlChars(), c.control) << c.hex;
  }
}

TEST(ExtPChar, LongInputStopsAt1024Bytes) {
  TExtPChar v;
  v.SetHex(std::string(2050, '7'));
  EXPECT_EQ(v.Len, 1024);
  EXPECT_EQ(bytes(v), std::string(1024, '\x77'));

  v.SetText(std::string(1500, 'q'));
  EXPECT_EQ(v.Len, 1024);
  EXPECT_EQ(v.GetText(), std::string(1024, 'q'));
}

TEST(ExtPChar, EverySetClearsTheOldContent) {
  TExtPChar v;
  v.SetHex("4142");
  v.SetText("C");
  EXPECT_EQ(v.Len, 1);
  EXPECT_EQ(v.Buffer[0], 'C');
  EXPECT_EQ(v.Buffer[1], 0);

  // A NUL in the text leaves it and every later byte 0, but Len counts them.
  v.SetText(std::string("ab\0cd", 5));
  EXPECT_EQ(v.Len, 5);
  EXPECT_EQ(bytes(v), std::string("ab\0\0\0", 5));
  EXPECT_EQ(v.GetText(), "ab...");
}

TEST(ExtPChar, HexTextToBufferStopsAtTheFirstNonPairOrAtSize) {
  uint8_t buf[4] = {9, 9, 9, 9};
  EXPECT_EQ(HexTextToBuffer("a1B2zz33", buf, 4), buf);
  EXPECT_EQ(buf[0], 0xA1);
  EXPECT_EQ(buf[1], 0xB2);
  EXPECT_EQ(buf[2], 9);  // "zz" stops it
  HexTextToBuffer("0102030405", buf, 3);
  EXPECT_EQ(buf[2], 3);
  EXPECT_EQ(buf[3], 9);  // size respected
  HexTextToBuffer("7", buf, 4);  // a single digit is no pair
  EXPECT_EQ(buf[0], 1);
}
