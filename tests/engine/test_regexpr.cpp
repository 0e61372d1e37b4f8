// The regular-expression mode: syntax and modifiers, the template forms, empty
// matches, runs of text bytes, and expressions whose backtracking could run away.
#include "EngineTest.h"
#include "uSnRRegExpr.h"
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

struct Case {
  const char* expr;
  std::string input, repl;
  int count;
  std::string out;
};

// Each case with the compiled matcher and with the interpreter it falls back to.
void expectCases(const Case* begin, const Case* end) {
  for (bool jit : {true, false}) {
    for (const Case* c = begin; c != end; ++c) {
      int count = 0;
      std::string out;
      try {
        out = TSnRRegExpr(c->expr, jit).Replace(c->input, c->repl, true, count);
      } catch (const std::exception& e) {
        ADD_FAILURE() << c->expr << " on " << c->input << " (jit " << jit << "): " << e.what();
        continue;
      }
      EXPECT_EQ(count, c->count) << c->expr << " on " << c->input << " (jit " << jit << ")";
      EXPECT_EQ(out, c->out) << c->expr << " on " << c->input << " (jit " << jit << ")";
    }
  }
}

std::string s(const char* p, size_t n) { return std::string(p, n); }

}  // namespace

TEST(RegExpr, Modifiers) {
  const Case cases[] = {
      // g: greedy repetition, switched inline, for the rest of the group.
      {"(?-g)a+", "aaa", "x", 3, "xxx"},
      {"(?-g)a+?", "aaa", "x", 3, "xxx"},              // lazy stays lazy
      {"(?-g)a{2,}", "aaaaa", "x", 2, "xxa"},
      {"(?-g)a*+", "aaa", "x", 2, "xx"},               // possessive stays possessive
      {"(?-g)(a+)(?g)(a+)", "aaaa", "$1|$2", 1, "a|aaa"},
      {"(?g)a+", "aaa", "x", 1, "x"},
      {"(?-g:(a+))(a*)", "aaa", "$1|$2", 1, "a|aa"},
      {"((?-g)a+)(a+)", "aaaa", "$1|$2", 1, "a|aaa"},  // the setting ends with its group
      {"(?i-g)A+", "aaa", "x", 3, "xxx"},
      {"(?-gi)A+", "aaa", "x", 0, "aaa"},
      {"(?-g)(?<n>a+)\\k<n>", "aaaa", "x", 2, "xx"},
      {"(?-g)(?:a|b){2}", "abab", "x", 2, "xx"},
      // Nothing is rewritten inside a class, after a backslash, in \Q..\E or a comment.
      {"[(?-g)]+", "(?g)", "x", 1, "x"},  // "?-g" a range
      {"\\Q(?-g)\\E+", "(?-g))", "x", 1, "x"},
      {"\\(?-g\\)", "(-g)-g)", "x", 2, "xx"},
      {"(?x) a+ # [ comment\n (?-g) b+", "aabbb", "x", 1, "xbb"},
      {"(?#[)(?-g)a+", "aa", "x", 2, "xx"},
      {"[[:alpha:]](?-g)\\d+", "a123", "x", 1, "x23"},
      // r: accepted, nothing changes under a Western code page.
      {"(?r)b", "abc", "x", 1, "axc"},
      {"(?-r)b", "abc", "x", 1, "axc"},
      {"(?ir:B)", "abc", "x", 1, "axc"},
      // m: "^" and "$" at line breaks (CR, LF, CR LF); otherwise only at the ends.
      {"(?m)^a", "a\na\r\na", "x", 3, "x\nx\r\nx"},
      {"(?m)a$", "a\na\r\na", "x", 3, "x\nx\r\nx"},
      {"^a", "a\na", "x", 1, "x\na"},
      {"a$", "a\na\n", "x", 0, "a\na\n"},  // not before a final line break
      {"a$", "a\na", "x", 1, "a\nx"},
      {"a\\Z", "a\n", "x", 1, "x\n"},     // that is \Z
      // s: on by default.
      {"a.b", "a\nb a\rb", "x", 2, "x x"},
      {"(?-s)a.b", "a\nb a\rb axb", "x", 1, "a\nb a\rb x"},
      // x: white space and comments.
      {"(?x) a b # c", "ab", "x", 1, "x"},
      {"(?x)a\\ b", "a b", "x", 1, "x"},
      {"(?i)abc", "AbC", "x", 1, "x"},
  };
  expectCases(std::begin(cases), std::end(cases));
}

TEST(RegExpr, CaseFoldingFollowsTheAnsiCodePage) {
  if (::GetACP() != 1252) GTEST_SKIP() << "needs the Western European code page, have " << ::GetACP();
  const Case cases[] = {
      {"(?i)\xE4", "\xC4\xE4", "x", 2, "xx"},
      {"(?i)[\xE4]+", "\xC4\xE4", "x", 1, "x"},
      {"(?i)[\xE0-\xE5]", "\xC2", "x", 1, "x"},
      {"(?i)\xFF", "\xFF\x9F", "x", 2, "xx"},
      {"(?i)a\xFF", "a\x9F", "x", 1, "x"},     // 255 as the byte every match holds
      {"(?i)[\xFF]", "\x9F", "x", 1, "x"},
      {"(?i)(\xE4)\\1", "\xE4\xC4", "x", 1, "x"},
      {"(?i)a.*\xC4", "aaa\xE4", "x", 1, "x"},   // the required byte in its other case
      {"\xE4", "\xC4", "x", 0, "\xC4"},
      {"(?i)\xE4", "\xE5", "x", 0, "\xE5"},
      {"(?i)\xD7", "\xF7", "x", 0, "\xF7"},      // multiplication and division sign
      {"\\w+", "\xE4" "b", "x", 1, "\xE4x"},      // the classes stay ASCII
  };
  expectCases(std::begin(cases), std::end(cases));
  // The same pairs as the ignore-case mode's, with either matcher.
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  for (int a = 0; a < 256; ++a) {
    int expected = 0;
    for (int b = 1; b < 256; ++b) expected += SameByteIgnoreCase(static_cast<uint8_t>(a), static_cast<uint8_t>(b));
    const std::string expr = std::string("(?i)\\x") + "0123456789ABCDEF"[a >> 4] + "0123456789ABCDEF"[a & 15];
    for (bool jit : {true, false}) {
      int count = 0;
      TSnRRegExpr(expr, jit).Replace(all, "", true, count);
      EXPECT_EQ(count, expected) << "byte " << a << " (jit " << jit << ")";
    }
  }
}

TEST(RegExpr, TemplateForms) {
  const Case cases[] = {
      {"b", "abcb", "[$&]", 2, "a[b]c[b]"},
      {"b", "ab", "$0$0", 1, "abb"},
      {"(\\w)=(\\w)", "k=v", "$2=${1}", 1, "v=k"},
      {"(a)|(b)", "ab", "[$1$2]", 2, "[a][b]"},    // a group not taking part gives nothing
      {"(a)", "ab", "[$15|${15}|$2|$]", 1, "[|||$]b"},
      {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)(o)", "abcdefghijklmno", "$14${14}$15", 1, "nn"},
      {"(a)", "a", "$10", 1, ""},                  // group 10 and not group 1 then "0"
      {"(a)", "a", "$01", 1, "a"},
      {"a", "a", "\\$0=$0\\\\", 1, "$0=a\\"},
      {"a", "a", "${1", 1, "${1"},
      {"a", "a", "${x}$x\\", 1, "${x}$x\\"},
  };
  expectCases(std::begin(cases), std::end(cases));
  int count = 0;
  EXPECT_EQ(ReplaceRegExprCount("b", "abcb", "[$&]", false, count), "a[$&]c[$&]");  // no substitution
  EXPECT_EQ(count, 2);
}

TEST(RegExpr, EmptyMatchesStepOneCharacterOn) {
  const Case cases[] = {
      {"x*", "ab", "-", 3, "-a-b-"},
      {"a*", "baaac", "-", 4, "-b--c-"},
      {"\\b", "ab cd", "|", 4, "|ab| |cd|"},
      {"(?=a)|a", "aa", "-", 2, "-a-a"},  // no second try at the place of an empty match
      {"$", "abc", "-", 1, "abc-"},
      {"^", "", "-", 1, "-"},
      {"", "ab", "-", 3, "-a-b-"},
      {"(?<=a)", "aab", "-", 2, "a-a-b"},
  };
  expectCases(std::begin(cases), std::end(cases));
}

TEST(RegExpr, InvalidExpressionsRaise) {
  for (const char* expr : {"(", "a)", "[a", "a{2,1}", "(?q)", "(?-g", "\\", "(*UTF)a", "\\p{L}"}) {
    int count = 0;
    EXPECT_THROW(ReplaceRegExprCount(expr, "a", "", true, count), std::exception) << expr;
  }
}

// The bytes that end every attempt: those no literal, escape or class of the
// expression (its look-arounds too) can consume; none where the expression holds
// what is not judged byte by byte.
TEST(RegExpr, BytesThatNoMatchCanPass) {
  struct Case { const char* expr; std::string stops, passes; };
  const Case cases[] = {
      {"[0-9]+", " a\n\x01", "0123456789"},
      {"ne+dle", " a\r\nx", "nedl"},
      {"(?i)ne", " x", "nNeE"},
      {"a(?-i:b)", "c", "ab"},                      // a setting of i counts as on: B too
      {"[^x]", "x", "ay \n"},
      {"\\d\\s", "a_", "0 \t\n\r"},
      {"\\Q.[\\d\\E", "a0", ".[\\d"},
      {"a\\x41\\x{42}\\t", "C", "aAB\t"},
      {"(?<=q)r(?=s)", "t", "qrs"},                 // look-arounds consume too
      {"a{2,3}|(b)\\1", "c", "ab"},
      {"[a-c\\]]", "d", "abc]"},
      {"\\bw\\B$", "x", "w"},
      {"(?#[.)z", ".", "z"},                         // a comment hides nothing
  };
  for (const Case& c : cases) {
    const TSnRRegExpr re(c.expr);
    const bool* stops = re.Stops();
    ASSERT_TRUE(stops) << c.expr;
    for (unsigned char b : c.stops) EXPECT_TRUE(stops[b]) << c.expr << " byte " << int(b);
    for (unsigned char b : c.passes) EXPECT_FALSE(stops[b]) << c.expr << " byte " << int(b);
  }
  if (::GetACP() == 1252) {
    EXPECT_FALSE(TSnRRegExpr("(?i)\xE4").Stops()[0xC4]);  // folded by the code page
  }
  for (const char* expr : {"a.c", "(?x)a b # [", "[[:alpha:]]", "a\\Rb", "\\Nx", "[^a]|a"})
    EXPECT_EQ(TSnRRegExpr(expr).Stops(), nullptr) << expr;
}

// Rewrites one file holding content (ProcessFile on this thread).
class RegExprFileTest : public ::testing::Test {
protected:
  int run(const std::string& content, const std::string& expr, const std::string& repl) {
    writeFile(name, content);
    return worker.ProcessFile(name, expr.data(), static_cast<int>(expr.size()), smRegExpr, repl.data(),
                              static_cast<int>(repl.size()), false, llAllFiles);
  }
  // The file's content is Expected (without printing megabytes when it is not).
  bool holds(const std::string& expected) const { return readFile(name) == expected; }
  TempDir dir;
  const std::string name = dir.file("a.txt");
  TSearchAndReplaceThread worker;
};

TEST_F(RegExprFileTest, RunsOfTextBytesAreMatchedEachOnItsOwn) {
  const Case cases[] = {
      {"a.*b", "a\x01" "b", "x", 0, "a\x01" "b"},
      {"[^x]+", s("ab\0cd", 5), "#", 2, s("#\0#", 3)},
      {"\\x01|\\x85", "a\x01\x85" "b", "x", 0, "a\x01\x85" "b"},  // never seen
      {"\\Aa|a\\z", "aa\x1F" "aa", "x", 4, "xx\x1F" "xx"},
      {"(?<=a)b", "a\x02" "b", "x", 0, "a\x02" "b"},
      {"\\t\\r\\n \xA0\xFF", "\t\r\n \xA0\xFF", "x", 1, "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(run(c.input, c.expr, c.repl), c.count) << c.expr;
    EXPECT_EQ(readFile(name), c.out) << c.expr;
  }
}

// Valid expressions on ordinary files complete, however long the run; an expression
// whose backtracking runs away fails its job alone and leaves the file as it was.
TEST_F(RegExprFileTest, BacktrackingLimits) {
  const std::string as(1 << 20, 'a');
  EXPECT_EQ(run(as, "a.*x", "y"), 0);
  EXPECT_EQ(run(as, "(a*)*b", "y"), 0);
  EXPECT_EQ(run(std::string(40, 'a'), "(a*)*b", "y"), 0);
  EXPECT_EQ(run(as + "x", "a.*x", "y"), 1);
  EXPECT_TRUE(holds("y"));
  // Long runs with repeated groups: backtracking that grows with the run.
  std::string ab;
  for (int i = 0; i < (1 << 19); ++i) ab += "ab";
  EXPECT_EQ(run(ab + "c", "(a|b)*c", "y"), 1);
  EXPECT_TRUE(holds("y"));
  EXPECT_EQ(run(ab + "c", "(?-g)(a|b)*c", "y"), 1);
  // One start that walks a run of 16 MiB step by step.
  const std::string big(16 << 20, 'a');
  EXPECT_EQ(run(big + "\r\n" + big, "(?-g)^.*$", "y"), 1);
  EXPECT_TRUE(holds("y"));

  const std::string pathological = std::string(40, 'a') + "cb";
  EXPECT_EQ(run(pathological, "(a*)*b", "y"), srReplaceFailed);
  EXPECT_TRUE(holds(pathological));
  EXPECT_EQ(dir.names(), std::vector<std::string>{"a.txt"});
}

// The interpreter, which takes over when the compiled code cannot be made, copes
// with the same long runs.
TEST(RegExpr, TheInterpreterCompletesLongRuns) {
  auto count = [](const char* expr, const std::string& input) {
    int n = 0;
    int& total = n;
    TSnRRegExpr(expr, false).Replace(input.data(), input.data() + input.size(), TSnRRegExpr::Template("", true),
                                     total, [](const char*, size_t) {});
    return n;
  };
  const std::string as(1 << 20, 'a');
  EXPECT_EQ(count("a.*x", as), 0);
  EXPECT_EQ(count("(a*)*b", as), 0);
  std::string ab;
  for (int i = 0; i < (1 << 19); ++i) ab += "ab";
  EXPECT_EQ(count("(a|b)*c", ab + "c"), 1);
  EXPECT_EQ(count("(?-g)^.*$", std::string(16 << 20, 'a') + "\n"), 1);
  EXPECT_THROW(count("(a*)*b", std::string(40, 'a') + "cb"), std::runtime_error);
}

TEST(RegExprWorker, FailedJobsReportAndTheQueueGoesOn) {
  TempDir dir;
  ReportWindow report;
  TSearchAndReplaceThread worker;
  worker.Init(report.handle());
  writeFile(dir.file("a.txt"), std::string(40, 'a') + "cb");
  writeFile(dir.file("b.txt"), "aaa");
  auto add = [&](const std::string& file, const std::string& expr) {
    auto t = std::make_unique<TSnRTast>();
    t->Init(file, expr.data(), static_cast<int>(expr.size()), smRegExpr, "x", 1, false, llAllFiles);
    worker.AddTask(std::move(t));
  };
  add(dir.file("a.txt"), "(a*)*b");
  add(dir.file("b.txt"), "a(");
  add(dir.file("b.txt"), "(?-g)a+");
  worker.resume();
  ASSERT_TRUE(pumpUntil([&] { return report.updates() >= 3; }, 60000));
  EXPECT_EQ(report.lines(),
            (std::vector<std::string>{dir.file("a.txt"), "(a*)*b [28612A292A62] --> x [78] : FAILED", "",
                                      dir.file("b.txt"), "a( [6128] --> x [78] : FAILED", "",
                                      dir.file("b.txt"), "(?-g)a+ [283F2D6729612B] --> x [78] : 3 replacements", ""}));
  EXPECT_EQ(readFile(dir.file("a.txt")), std::string(40, 'a') + "cb");
  EXPECT_EQ(readFile(dir.file("b.txt")), "xxx");
}
