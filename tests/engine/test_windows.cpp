// The input seen through sliding windows: each matcher at small window sizes gives
// what it gives with the whole input in one window, with matches and runs of text
// bytes straddling every window boundary; a window's bytes are only read while it
// is the window; offsets past 4 GiB reach the file's bytes.
#include "EngineTest.h"
#include <winioctl.h>
#include <cstring>
#include <stdexcept>
#include "uSnRInput.h"
#include "uSnRMatchers.h"
#include <gtest/gtest.h>

using namespace enginetest;

namespace {

// Each window a fresh copy that ends where an unreadable page begins and that is
// freed when the window moves on: a read past the window's end, or of a window
// left behind, ends the test program.
class GuardedInput : public TSnRInput {
public:
  GuardedInput(const std::string& bytes, size_t window) : TSnRInput(bytes.size(), window), bytes_(bytes) {}
  int maps = 0;

protected:
  struct Pages : View {
    void* base = nullptr;
    ~Pages() override { ::VirtualFree(base, 0, MEM_RELEASE); }
  };
  std::unique_ptr<View> Map(uint64_t offset, size_t size) override {
    ++maps;
    const size_t page = 4096, pages = (size + page - 1) / page;
    auto v = std::make_unique<Pages>();
    v->base = ::VirtualAlloc(nullptr, (pages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!v->base) return nullptr;
    char* data = static_cast<char*>(v->base) + pages * page - size;
    std::memset(v->base, 0xA5, pages * page);  // what a read before the window would see
    std::memcpy(data, bytes_.data() + offset, size);
    DWORD old = 0;
    ::VirtualProtect(v->base, pages * page, PAGE_READONLY, &old);
    ::VirtualProtect(static_cast<char*>(v->base) + pages * page, page, PAGE_NOACCESS, &old);
    v->Data = reinterpret_cast<const uint8_t*>(data);
    return v;
  }

private:
  const std::string bytes_;
};

class StringOutput : public TSnROutput {
public:
  std::string text;
  void put(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
  const uint8_t* putHits(const uint8_t* from, const uint8_t* const* hits, size_t n, size_t len, const uint8_t* repl,
                         size_t replLen, const uint8_t*) override {
    for (size_t i = 0; i < n; ++i) {
      put(from, static_cast<size_t>(hits[i] - from));
      put(repl, replLen);
      from = hits[i] + len;
    }
    return from;
  }
};

struct Result {
  int count;
  std::string out;
  bool operator==(const Result& o) const { return count == o.count && out == o.out; }
};

Result plain(const std::string& in, size_t window, const std::string& search, const std::string& repl, bool icase) {
  GuardedInput input(in, window);
  StringOutput out;
  const int count = ReplacePlain(input, reinterpret_cast<const uint8_t*>(search.data()), search.size(),
                                 reinterpret_cast<const uint8_t*>(repl.data()), repl.size(), icase, out);
  return {count, out.text};
}

Result regex(const std::string& in, size_t window, const TSnRRegExpr& re, const std::string& repl) {
  GuardedInput input(in, window);
  StringOutput out;
  const int count = ReplaceRegExprRuns(input, re, TSnRRegExpr::Template(repl, true), out);
  return {count, out.text};
}

std::string s(const char* p, size_t n) { return std::string(p, n); }

const size_t kWindows[] = {1, 2, 3, 4, 5, 6, 7, 8, 11, 13, 16, 17, 24, 31, 32, 47, 64, 100, 257};

}  // namespace

TEST(Windows, PlainMatchesAcrossWindowBoundariesAreFoundOnce) {
  // A match at every place relative to a boundary: the search string every 7 bytes,
  // and windows of every size up to past the file's.
  std::string periodic;
  while (periodic.size() < 300) periodic += "needle-";
  struct Case { std::string content, search, repl; bool icase; };
  std::vector<Case> cases = {
      {periodic, "needle", "pin", false},
      {periodic, "NEEDLE", "", true},
      {periodic, "e-n", "[e-n]", false},
      {std::string(301, 'a'), "aa", "b", false},     // overlapping candidates: leftmost, not overlapping
      {std::string(300, 'a') + "aab", "aab", "x", false},  // a match only at the very end
      {"ab" + std::string(298, 'x'), "ab", "y", false},    // only at the very start
  };
  // Random files over a small alphabet: matches dense, runs of candidates that
  // overlap, a file's tail a prefix of the search string.
  unsigned seed = 5;
  auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  const char alphabet[] = "aAb\xE4\xC4\n";
  for (int round = 0; round < 24; ++round) {
    Case c;
    for (size_t i = 0, n = 100 + next() % 400; i < n; ++i) c.content += alphabet[next() % 6];
    for (size_t i = 0, n = 1 + next() % 6; i < n; ++i) c.search += alphabet[next() % 3];
    for (size_t i = next() % 4; i > 0; --i) c.repl += "xyz"[next() % 3];
    c.icase = round % 2;
    cases.push_back(c);
  }
  for (const Case& c : cases) {
    const Result whole = plain(c.content, c.content.size(), c.search, c.repl, c.icase);
    for (size_t w : kWindows)
      ASSERT_TRUE(plain(c.content, w, c.search, c.repl, c.icase) == whole) << c.search << " window " << w;
  }
}

TEST(Windows, RegularExpressionsAcrossWindowBoundariesKeepTheirRules) {
  // Runs of text bytes split by the other bytes, line breaks and digits: matches,
  // runs, anchors and look-arounds fall on every side of the boundaries.
  unsigned seed = 9;
  auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  const char alphabet[] = "aaabbcx012 \n\r\t";
  const char others[] = {'\0', '\x01', '\x85', '\x1F'};
  std::vector<std::string> contents;
  for (int round = 0; round < 6; ++round) {
    std::string c;
    for (size_t i = 0, n = 200 + next() % 300; i < n; ++i)
      c += next() % 40 == 0 ? others[next() % 4] : alphabet[next() % (sizeof alphabet - 1)];
    contents.push_back(c);
  }
  contents.push_back(std::string(300, 'a'));  // one run
  contents.push_back(s("\0a\0", 3) + std::string(200, 'b') + s("\0", 1));
  struct Case { const char* expr; const char* repl; };
  const Case cases[] = {
      {"[0-9]+", "#"},
      {"a.c", "<$&>"},            // "." over line breaks
      {"^a|a$", "A"},             // anchors at the ends of every run, nowhere else
      {"\\Aa|b\\z", "Z"},
      {"x*", "-"},                // empty matches step one byte on
      {"b*", ""},
      {"(?<=a)b", "B"},           // look-behind across a boundary
      {"\\bab", "AB"},
      {"b(?=c)", "_"},            // look-ahead across a boundary
      {"(a)(b+)", "$2$1"},        // groups in the template
      {"(?m)^b|c$", "L"},
      {"ab|abcx", "="},           // the first alternative that matches wins
      {"(?-g)a+", "1"},
      {"a{2,3}", "2"},
  };
  for (const Case& c : cases) {
    const TSnRRegExpr re(c.expr);
    for (size_t i = 0; i < contents.size(); ++i) {
      const std::string& content = contents[i];
      const Result whole = regex(content, content.size(), re, c.repl);
      // Windows that hold every match (and attempt) from its start complete: in
      // the random files all are short, in the long runs they may be the run.
      const size_t enough = i < 6 ? 8 : 257;
      for (size_t w : kWindows) {
        try {
          ASSERT_TRUE(regex(content, w, re, c.repl) == whole) << c.expr << " window " << w;
        } catch (const std::runtime_error& e) {
          ASSERT_LT(w, enough) << c.expr << " window " << w << ": " << e.what();
        }
      }
    }
  }
}

TEST(Windows, AMatchLongerThanAWindowFailsAndOneWithinCompletes) {
  const std::string content = "x" + std::string(100, 'a') + "b" + s("\0", 1) + "ab";
  const TSnRRegExpr re("a+b");
  EXPECT_THROW(regex(content, 50, re, "#"), std::runtime_error);
  EXPECT_TRUE(regex(content, 120, re, "#") == (Result{2, "x#" + s("\0", 1) + "#"}));
  // A failing attempt that would need more than the window is no match either way.
  EXPECT_THROW(regex(std::string(200, 'a'), 50, TSnRRegExpr("a+c"), "#"), std::runtime_error);
  // Between runs, any length: the other bytes are only copied.
  const std::string binary = "ab" + std::string(500, '\0') + "ab";
  EXPECT_TRUE(regex(binary, 4, re, "#") == (Result{2, "#" + std::string(500, '\0') + "#"}));
}

TEST(Windows, TheInputIsReadWindowByWindow) {
  const std::string bytes = "0123456789";
  GuardedInput in(bytes, 4);
  const TSnRInput::Window& w = in.Move(3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(w.Data), w.Size), "3456");
  EXPECT_FALSE(in.AtEnd());
  in.Move(8, 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(w.Data), w.Size), "89");  // cut at the end
  EXPECT_TRUE(in.AtEnd());
  const int maps = in.maps;
  in.Move(9);  // within the last window: no new view
  EXPECT_EQ(in.maps, maps);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(w.Data), w.Size), "9");
  in.Move(2, 6);  // more than a window when asked for
  EXPECT_EQ(w.Size, 6u);
  // Bytes of windows left behind are read again; the window stays.
  in.Move(6);
  std::string copied;
  in.Copy(1, 8, [&](const uint8_t* p, size_t n) {
    EXPECT_TRUE(in.Holds(p, n));
    copied.append(reinterpret_cast<const char*>(p), n);
  });
  EXPECT_EQ(copied, "1234567");
  EXPECT_EQ(in.Current().Offset, 6u);
}

TEST(Windows, OffsetsPast4GiBReachTheFilesBytes) {
  // A sparse file of 4 GiB and a little, with bytes of its own past 4 GiB: a 32-bit
  // offset would read the start of the file.
  TempDir dir;
  const std::string name = dir.file("big.bin");
  win::FileHandle f(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  0, nullptr));
  ASSERT_TRUE(f);
  DWORD bytes = 0;
  ::DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &bytes, nullptr);
  const uint64_t at = (1ULL << 32) + 70000;
  LARGE_INTEGER pos;
  pos.QuadPart = static_cast<LONGLONG>(at);
  ASSERT_TRUE(::SetFilePointerEx(f.get(), pos, nullptr, FILE_BEGIN));
  DWORD n = 0;
  ASSERT_TRUE(::WriteFile(f.get(), "needle", 6, &n, nullptr));
  const uint64_t size = at + 6;

  std::unique_ptr<TSnRInput> in = TSnRInput::OpenFile(TSnRFileOps::System(), f.get(), size);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), size);
  const TSnRInput::Window& w = in->Move(at - 2);
  ASSERT_EQ(w.Size, 8u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(w.Data), w.Size), s("\0\0needle", 8));
  std::string tail;
  in->Move(0, 16);
  in->Copy(at, size, [&](const uint8_t* p, size_t k) { tail.append(reinterpret_cast<const char*>(p), k); });
  EXPECT_EQ(tail, "needle");
}
