#include "win/StringList.h"
#include <gtest/gtest.h>
#include <windows.h>

TEST(StringList, TextJoinsWithCrLfAndSplitsAnyLineBreak) {
  win::StringList l;
  EXPECT_EQ(l.text(), "");
  l.add("a");
  l.add("");
  l.add("c");
  EXPECT_EQ(l.text(), "a\r\n\r\nc\r\n");

  struct Case { const char* text; std::vector<std::string> items; };
  const Case cases[] = {
      {"", {}},
      {"x", {"x"}},
      {"x\r\n", {"x"}},
      {"x\r\ny\nz\rw", {"x", "y", "z", "w"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
  };
  for (const auto& c : cases) {
    l.setText(c.text);
    EXPECT_EQ(l.items(), c.items) << c.text;
  }
}

TEST(StringList, EditsAndLookups) {
  win::StringList l{"b", "d"};
  l.insert(0, "a");
  l.insert(2, "c");
  EXPECT_EQ(l.add("e"), 4);
  l.remove(3);
  EXPECT_EQ(l.items(), (std::vector<std::string>{"a", "b", "c", "e"}));
  EXPECT_EQ(l.indexOf("c"), 2);
  EXPECT_EQ(l.indexOf("C"), -1);
  EXPECT_THROW(l.get(4), std::out_of_range);
  EXPECT_THROW(l.remove(-1), std::out_of_range);
}

TEST(StringList, SaveAndLoadFile) {
  // In the working folder (the build folder), never the user's profile.
  std::string name = "qz_stringlist_test_" + std::to_string(::GetCurrentProcessId()) + ".txt";
  win::StringList out{"first", std::string("bytes \xE4\x01", 8), ""};
  ASSERT_TRUE(out.saveToFile(name));
  win::StringList in{"old"};
  ASSERT_TRUE(in.loadFromFile(name));
  EXPECT_EQ(in.items(), out.items());
  ::DeleteFileA(name.c_str());

  EXPECT_FALSE(in.loadFromFile(name));  // gone: the list stays as it was
  EXPECT_EQ(in.count(), 3);
}
