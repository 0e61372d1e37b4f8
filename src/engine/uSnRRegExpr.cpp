#include "uSnRRegExpr.h"
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <stdexcept>
#include "uSnRMatchers.h"

namespace {

const int kMaxGroup = 14;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool oneOf(char c, const char* set) { return c && std::strchr(set, c); }

// ---- Modifiers the library does not have ----------------------------------------
//
// "g" switches greedy repetition and "r" changes nothing under a Western code page;
// the library knows neither. Inline settings of them are taken out of the expression
// text, and where greedy repetition is off every quantifier without a suffix gets the
// lazy "?" (a lazy or possessive one stays as written). Scopes follow the
// library's: a setting holds to the end of its group. The
// walk knows where text is not syntax: escapes, \Q..\E, character classes, comments
// (also "#" comments while "x" is on) and verb names.
class ModifierTranslation {
public:
  explicit ModifierTranslation(const std::string& expr) : in_(expr), n_(expr.size()) {}

  std::string run() {
    scopes_.push_back({true, false});
    while (i_ < n_) step();
    return out_;
  }

private:
  struct Scope {
    bool greedy;
    bool extended;  // "x": white space and "#" comments
  };

  void step() {
    const char c = in_[i_];
    if (c == '\\') {
      escape();
    } else if (c == '[') {
      characterClass();
    } else if (c == '(') {
      group();
    } else if (c == ')') {
      copy(1);
      if (scopes_.size() > 1) scopes_.pop_back();
    } else if (c == '#' && scopes_.back().extended) {
      size_t e = i_;
      while (e < n_ && in_[e] != '\n' && in_[e] != '\r') ++e;
      copy(e - i_);
    } else if (c == '*' || c == '+' || c == '?') {
      quantifier(1);
    } else if (c == '{' && countedRepeatLength()) {
      quantifier(countedRepeatLength());
    } else {
      copy(1);
    }
  }

  void copy(size_t count) {
    count = std::min(count, n_ - i_);
    out_.append(in_, i_, count);
    i_ += count;
  }
  // Copies up to and including the first of chars from i_ on (to the end without one).
  void copyThrough(const char* chars) {
    const size_t e = in_.find_first_of(chars, i_);
    copy(e == std::string::npos ? n_ - i_ : e - i_ + 1);
  }

  // "\Q..\E" is literal text; "\x{..}" and the like take their braces along.
  void escape() {
    if (i_ + 1 >= n_) return copy(1);
    const char e = in_[i_ + 1];
    if (e == 'Q') {
      const size_t end = in_.find("\\E", i_ + 2);
      return copy(end == std::string::npos ? n_ - i_ : end + 2 - i_);
    }
    if (e == 'c') return copy(3);  // a control character: \c and any character
    if (oneOf(e, "xogkpPN") && i_ + 2 < n_ && in_[i_ + 2] == '{') {
      copy(2);
      return copyThrough("}");
    }
    copy(2);
  }

  void characterClass() {
    copy(1);
    if (i_ < n_ && in_[i_] == '^') copy(1);
    if (i_ < n_ && in_[i_] == ']') copy(1);  // a "]" first is literal
    while (i_ < n_) {
      const char c = in_[i_];
      if (c == ']') return copy(1);
      if (c == '\\') {
        escape();
      } else if (c == '[' && i_ + 1 < n_ && oneOf(in_[i_ + 1], ":.=") && posixClassLength()) {
        copy(posixClassLength());
      } else {
        copy(1);
      }
    }
  }
  // "[:alpha:]" and the like inside a class, as the library recognises them; 0 if none.
  size_t posixClassLength() const {
    const char term = in_[i_ + 1];
    for (size_t p = i_ + 2; p + 1 < n_; ++p) {
      if (in_[p] == '\\' && (in_[p + 1] == ']' || in_[p + 1] == '\\')) {
        ++p;
      } else if ((in_[p] == '[' && in_[p + 1] == term) || in_[p] == ']') {
        return 0;
      } else if (in_[p] == term && in_[p + 1] == ']') {
        return p + 2 - i_;
      }
    }
    return 0;
  }

  // "{n}", "{n,}" or "{n,m}" at i_: its length; 0 when the brace is a literal one.
  size_t countedRepeatLength() const {
    size_t p = i_ + 1;
    if (p >= n_ || !isDigit(in_[p])) return 0;
    while (p < n_ && isDigit(in_[p])) ++p;
    if (p < n_ && in_[p] == ',') {
      ++p;
      while (p < n_ && isDigit(in_[p])) ++p;
    }
    return p < n_ && in_[p] == '}' ? p + 1 - i_ : 0;
  }

  void quantifier(size_t length) {
    copy(length);
    const bool suffixed = i_ < n_ && (in_[i_] == '?' || in_[i_] == '+');
    if (suffixed) {
      copy(1);
    } else if (!scopes_.back().greedy) {
      out_ += '?';
    }
  }

  void group() {
    if (in_.compare(i_, 3, "(?#") == 0) return copyThrough(")");  // a comment
    if (in_.compare(i_, 2, "(*") == 0) {
      const size_t e = in_.find_first_of(":)", i_ + 2);
      const bool assertion = i_ + 2 < n_ && in_[i_ + 2] >= 'a' && in_[i_ + 2] <= 'z';
      if (assertion && e != std::string::npos && in_[e] == ':') {  // (*pla: and the like
        scopes_.push_back(scopes_.back());
        return copy(e + 1 - i_);
      }
      return copyThrough(")");  // a verb, its name taken as it is
    }
    if (in_.compare(i_, 2, "(?") != 0) {
      scopes_.push_back(scopes_.back());
      return copy(1);
    }
    const char next = i_ + 2 < n_ ? in_[i_ + 2] : '\0';
    if (next == 'C' && i_ + 3 < n_ && oneOf(in_[i_ + 3], "`'\"^%#${")) return callout();
    if (settings()) return;
    if (next == '+' || next == '-' || (next == 'C' && i_ + 3 < n_ && isDigit(in_[i_ + 3])))
      return copyThrough(")");  // a relative recursion or a numbered callout: no group
    // Any other group; its header's "*" (non-atomic look-around) is no quantifier.
    scopes_.push_back(scopes_.back());
    if (next == '*') return copy(3);
    if (next == '<' && i_ + 3 < n_ && in_[i_ + 3] == '*') return copy(4);
    copy(2);
  }

  // A callout with a text argument; its delimiter doubled stands for itself.
  void callout() {
    const char open = in_[i_ + 3], close = open == '{' ? '}' : open;
    size_t p = i_ + 4;
    for (; p < n_; ++p) {
      if (in_[p] != close) continue;
      if (p + 1 < n_ && in_[p + 1] == close) {
        ++p;
        continue;
      }
      break;
    }
    copy(p + 1 - i_);
    copyThrough(")");
  }

  // "(?flags)" or "(?flags:" at i_: rewritten without g and r, true; false when the
  // text is something else (the library judges what it is).
  bool settings() {
    size_t p = i_ + 2;
    const bool reset = p < n_ && in_[p] == '^';
    if (reset) ++p;
    std::string on, off;
    bool hyphen = false;
    for (; p < n_ && (isLetter(in_[p]) || (in_[p] == '-' && !hyphen && !reset)); ++p) {
      if (in_[p] == '-')
        hyphen = true;
      else
        (hyphen ? off : on) += in_[p];
    }
    if (p >= n_ || (in_[p] != ')' && in_[p] != ':')) return false;
    const bool opensGroup = in_[p] == ':';
    const size_t letters = on.size() + off.size();
    Scope s = scopes_.back();
    if (reset) s.extended = false;
    auto apply = [&s](std::string& letters, bool value) {
      std::string kept;
      for (char c : letters) {
        if (c == 'g') {
          s.greedy = value;
        } else if (c != 'r') {
          if (c == 'x') s.extended = value;
          kept += c;
        }
      }
      letters = kept;
    };
    apply(on, true);
    apply(off, false);
    if (opensGroup) {
      scopes_.push_back(s);
    } else {
      scopes_.back() = s;
    }
    if (on.size() + off.size() == letters) {
      copy(p + 1 - i_);  // neither g nor r: left as written
      return true;
    }
    if (reset || !on.empty() || !off.empty() || opensGroup) {
      out_ += "(?";
      if (reset) out_ += '^';
      out_ += on;
      if (!off.empty()) out_ += '-' + off;
      out_ += in_[p];
    }
    i_ = p + 1;
    return true;
  }

  const std::string& in_;
  const size_t n_;
  size_t i_ = 0;
  std::string out_;
  std::vector<Scope> scopes_;
};

std::string translateModifiers(const std::string& expr) {
  if (expr.find("(?") == std::string::npos) return expr;  // no inline settings at all
  return ModifierTranslation(expr).run();
}

// ---- Character tables ----------------------------------------------------------
//
// The classes (\w, \d, \s, [:alpha:]) are those of the C locale, ASCII only; case
// folding follows the system's ANSI code page as the ignore-case mode does: two bytes
// are one letter in two cases when their upper-case forms are equal. The library
// keeps one other case per byte, so a byte whose upper-case form is shared by more
// than two bytes (no such byte in the Western code pages) folds to nothing.
class CodePageTables {
public:
  CodePageTables() {
    const uint8_t* made = pcre2_maketables(nullptr);
    if (!made) return;
    // The library's table layout: lower-case forms, then the other case, then the
    // classes. Both case tables name, for every byte, one byte of its case class.
    std::memcpy(tables_, made, sizeof tables_);
    pcre2_maketables_free(nullptr, made);
    uint8_t* lower = tables_;
    uint8_t* flip = tables_ + 256;
    for (int a = 0; a < 256; ++a) {
      int other = -1, members = 1;
      for (int b = 0; b < 256; ++b) {
        if (b == a || !SameByteIgnoreCase(static_cast<uint8_t>(a), static_cast<uint8_t>(b))) continue;
        other = b;
        ++members;
      }
      const bool pair = members == 2;
      flip[a] = static_cast<uint8_t>(pair ? other : a);
      lower[a] = static_cast<uint8_t>(pair ? std::min(a, other) : a);
    }
    ok_ = true;
  }
  const uint8_t* get() const { return ok_ ? tables_ : nullptr; }

private:
  uint8_t tables_[1088];  // the library's TABLES_LENGTH
  bool ok_ = false;
};

const uint8_t* codePageTables() {
  static const CodePageTables tables;
  return tables.get();
}

// ---- Bytes no match can pass --------------------------------------------------------
//
// A superset of the bytes a match can consume, its look-arounds included: a byte
// outside it ends every attempt that reaches it, so a long text can be searched as
// a whole input up to such a byte. Literal characters, escapes and classes add
// their bytes; every other character of the expression (group headers, verbs,
// comments, quantifiers in braces) is taken as a literal too, which adds bytes and
// never leaves one out. Where the text could mean more than it is read as here
// (".", an escape not known here, POSIX classes, the extended syntax, whose
// comments may hide syntax), every byte counts.
class ConsumedBytes {
public:
  ConsumedBytes(const std::string& expr, const uint8_t* tables) : e_(expr), n_(expr.size()), cbits_(tables + 512) {}

  // False when every byte may be consumed.
  bool run(std::bitset<256>& out) {
    bool fold = false;
    while (i_ < n_) {
      const char c = e_[i_];
      if (c == '\\') {
        if (!escapeOutside()) return false;
      } else if (c == '[') {
        if (!characterClass()) return false;
      } else if (c == '.') {
        return false;
      } else if (c == '(' && e_.compare(i_, 2, "(?") == 0) {
        if (!groupHeader(fold)) return false;
      } else {
        if (!oneOf(c, "()|*+?^$")) set_.set(static_cast<uint8_t>(c));
        ++i_;
      }
    }
    if (fold) {
      const std::bitset<256> plain = set_;
      for (int a = 0; a < 256; ++a)
        for (int b = 0; plain[a] && b < 256; ++b)
          if (SameByteIgnoreCase(static_cast<uint8_t>(a), static_cast<uint8_t>(b))) set_.set(b);
    }
    out = set_;
    return true;
  }

private:
  std::bitset<256> table(int offset) const {  // one of the library's class bit maps
    std::bitset<256> s;
    for (int b = 0; b < 256; ++b)
      if (cbits_[offset + b / 8] & (1 << (b % 8))) s.set(b);
    return s;
  }
  // The escape at i_: a single byte (0..255), Set when it added a class to Into
  // or is an assertion, Unknown when it is not judged here.
  static const int kSet = -1, kUnknown = -2;
  int escape(bool inClass, std::bitset<256>& into) {
    if (i_ + 1 >= n_) return kUnknown;
    const char x = e_[i_ + 1];
    i_ += 2;
    switch (x) {
      case 'd': into |= table(64); return kSet;
      case 'D': into |= ~table(64); return kSet;
      case 'w': into |= table(160); return kSet;
      case 'W': into |= ~table(160); return kSet;
      case 's': into |= table(0); return kSet;
      case 'S': into |= ~table(0); return kSet;
      case 't': return 9;
      case 'n': return 10;
      case 'r': return 13;
      case 'f': return 12;
      case 'e': return 27;
      case 'a': return 7;
      case 'b': return inClass ? 8 : kSet;
      case 'B': case 'A': case 'z': case 'Z': case 'G':
        return inClass ? kUnknown : kSet;
      case 'x': return hexEscape();
      default: break;
    }
    if (x >= '1' && x <= '9' && !inClass && !(i_ < n_ && isDigit(e_[i_]))) return kSet;  // a back reference
    if (isLetter(x) || isDigit(x)) return kUnknown;
    return static_cast<uint8_t>(x);  // an escaped sign stands for itself
  }
  // After "\x": up to two hex digits, or digits in braces.
  int hexEscape() {
    auto digit = [](char c) { return isDigit(c) ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1; };
    int v = 0;
    if (i_ < n_ && e_[i_] == '{') {
      size_t j = i_ + 1;
      for (; j < n_ && digit(e_[j]) >= 0; ++j) v = v * 16 + digit(e_[j]);
      if (j == i_ + 1 || j >= n_ || e_[j] != '}' || v > 255) return kUnknown;
      i_ = j + 1;
      return v;
    }
    for (int k = 0; k < 2 && i_ < n_ && digit(e_[i_]) >= 0; ++k) v = v * 16 + digit(e_[i_++]);
    return v;
  }
  bool escapeOutside() {
    if (e_.compare(i_, 2, "\\Q") == 0) {  // literal up to "\E"
      const size_t end = e_.find("\\E", i_ + 2);
      const size_t stop = end == std::string::npos ? n_ : end;
      for (size_t j = i_ + 2; j < stop; ++j) set_.set(static_cast<uint8_t>(e_[j]));
      i_ = end == std::string::npos ? n_ : end + 2;
      return true;
    }
    if (e_.compare(i_, 2, "\\E") == 0) {
      i_ += 2;
      return true;
    }
    const int v = escape(false, set_);
    if (v == kUnknown) return false;
    if (v >= 0) set_.set(v);
    return true;
  }
  bool characterClass() {
    ++i_;
    const bool negate = i_ < n_ && e_[i_] == '^';
    if (negate) ++i_;
    std::bitset<256> s;
    for (bool first = true; i_ < n_; first = false) {
      const char c = e_[i_];
      if (c == ']' && !first) {
        ++i_;
        set_ |= negate ? ~s : s;
        return true;
      }
      if (c == '[' && i_ + 1 < n_ && oneOf(e_[i_ + 1], ":.=")) return false;
      int lo = static_cast<uint8_t>(c);
      if (c == '\\') {
        lo = escape(true, s);
        if (lo == kUnknown) return false;
      } else {
        ++i_;
      }
      if (lo < 0) continue;
      int hi = lo;
      if (i_ + 1 < n_ && e_[i_] == '-' && e_[i_ + 1] != ']') {
        ++i_;
        hi = static_cast<uint8_t>(e_[i_]);
        if (e_[i_] == '\\') {
          hi = escape(true, s);
          if (hi < 0) return false;
        } else if (e_[i_] == '[') {
          return false;
        } else {
          ++i_;
        }
        if (hi < lo) return false;
      }
      for (int b = lo; b <= hi; ++b) s.set(b);
    }
    return false;  // not closed: the library refuses it
  }
  // "(?" at i_: settings are read for "i" (folding) and "x" (not judged here);
  // a comment adds nothing; any other header goes on as literals.
  bool groupHeader(bool& fold) {
    if (e_.compare(i_, 3, "(?#") == 0) {
      const size_t end = e_.find(')', i_);
      i_ = end == std::string::npos ? n_ : end + 1;
      return true;
    }
    size_t p = i_ + 2;
    while (p < n_ && (isLetter(e_[p]) || e_[p] == '-' || e_[p] == '^')) ++p;
    if (p < n_ && (e_[p] == ')' || e_[p] == ':')) {
      for (size_t j = i_ + 2; j < p; ++j) {
        if (e_[j] == 'x') return false;
        if (e_[j] == 'i') fold = true;  // on or off: counted as on
      }
      i_ = p + 1;
      return true;
    }
    i_ += 2;
    return true;
  }

  const std::string& e_;
  const size_t n_;
  const uint8_t* const cbits_;
  size_t i_ = 0;
  std::bitset<256> set_;
};

// ---- Limits ----------------------------------------------------------------------
//
// The library's limits count backtracking steps and memory for one start position.
// An expression that does work in proportion to the rest of its run from one start
// (".*" to the run's end and back) must never hit them, even on runs of many MiB;
// one that needs more than a few steps per byte (nested repetition that fails) is
// stopped there, and only its job fails.
const uint32_t kMinMatchLimit = 10000000;
const uint32_t kStepsPerByte = 8;
const uint32_t kHeapLimitKiB = 256 * 1024;  // the interpreter's backtracking frames
const size_t kSmallJitStack = 1u << 20;
const size_t kJitStackSizes[] = {256u << 20, 64u << 20, 16u << 20};
// More look-behind than any real expression needs; it keeps the bytes held for one
// bounded.
const uint64_t kMaxLookbehind = 16u << 20;

uint32_t matchLimitFor(size_t length) {
  const uint64_t steps = static_cast<uint64_t>(length) * kStepsPerByte;
  return static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(steps, kMinMatchLimit), UINT32_MAX));
}

std::string errorText(int code) {
  PCRE2_UCHAR text[256];
  if (pcre2_get_error_message(code, text, sizeof text) < 0) return "error " + std::to_string(code);
  return reinterpret_cast<const char*>(text);
}

// The first byte in [P, End) that is A or B, or End. Sixteen bytes at a time with
// SSE2: this runs over whole runs of many MiB, and the C runtime's byte loop would
// cost more than the matching.
__attribute__((target("sse2"))) const char* findEitherSse2(const char* p, const char* end, char a, char b) {
  const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b);
  for (; end - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const unsigned hit =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
    if (hit) return p + __builtin_ctz(hit);
  }
  while (p < end && *p != a && *p != b) ++p;
  return p;
}

const char* findEither(const char* p, const char* end, char a, char b) {
  static const bool sse2 = __builtin_cpu_supports("sse2");
  if (sse2) return findEitherSse2(p, end, a, b);
  while (p < end && *p != a && *p != b) ++p;
  return p;
}

// The byte that every match begins with (FIRSTCODE...) or holds (LASTCODE...), or -1.
int codeUnit(const pcre2_code* code, uint32_t typeInfo, uint32_t unitInfo) {
  uint32_t type = 0, unit = 0;
  if (pcre2_pattern_info(code, typeInfo, &type) != 0 || type != 1) return -1;
  if (pcre2_pattern_info(code, unitInfo, &unit) != 0 || unit > 255) return -1;
  return static_cast<int>(unit);
}

// The bytes before a search's start that a match may look at. The library tells
// the longest single look-behind; nested ones can reach further, by at most one
// such length each, so every group that could be one counts. At least one byte: a
// word boundary looks at the byte before.
size_t lookbehindBytes(const pcre2_code* code, const std::string& expr) {
  uint32_t longest = 0;
  if (pcre2_pattern_info(code, PCRE2_INFO_MAXLOOKBEHIND, &longest) != 0) longest = 0;
  if (!longest) return 1;
  const size_t groups = static_cast<size_t>(std::count(expr.begin(), expr.end(), '('));
  const uint64_t bytes = (static_cast<uint64_t>(longest) + 1) * (groups + 1);
  return static_cast<size_t>(std::min<uint64_t>(bytes, kMaxLookbehind));
}

}  // namespace

TSnRRegExpr::Template::Template(const std::string& t, bool UseSubstitution) {
  if (!UseSubstitution) {
    pieces_.push_back({-1, t});
    return;
  }
  auto literal = [&](char c) {
    if (pieces_.empty() || pieces_.back().group != -1) pieces_.push_back({-1, std::string()});
    pieces_.back().text += c;
  };
  size_t i = 0;
  const size_t n = t.size();
  while (i < n) {
    const char c = t[i];
    if (c == '\\' && i + 1 < n) {
      literal(t[i + 1]);
      i += 2;
    } else if (c == '$' && i + 1 < n && t[i + 1] == '&') {
      pieces_.push_back({0, std::string()});
      i += 2;
    } else if (c == '$' && i + 1 < n && isDigit(t[i + 1])) {
      int g = 0;
      for (++i; i < n && isDigit(t[i]); ++i) g = g > kMaxGroup ? g : g * 10 + (t[i] - '0');
      pieces_.push_back({g, std::string()});
    } else if (c == '$' && i + 2 < n && t[i + 1] == '{' && isDigit(t[i + 2])) {
      size_t j = i + 2;
      int g = 0;
      for (; j < n && isDigit(t[j]); ++j) g = g > kMaxGroup ? g : g * 10 + (t[j] - '0');
      if (j < n && t[j] == '}') {
        pieces_.push_back({g, std::string()});
        i = j + 1;
      } else {
        literal(c);
        ++i;
      }
    } else {
      literal(c);
      ++i;
    }
  }
  // Groups that can never take part give nothing: drop them now.
  pieces_.erase(std::remove_if(pieces_.begin(), pieces_.end(), [](const Piece& p) { return p.group > kMaxGroup; }),
                pieces_.end());
}

struct TSnRRegExpr::Impl {
  pcre2_compile_context* compileContext = nullptr;
  pcre2_code* code = nullptr;
  pcre2_match_context* matchContext = nullptr;
  pcre2_match_data* matchData = nullptr;
  bool jit = false;
  // The compiled code's backtracking stack: a small one (without one, every match
  // would set one up on the thread's stack, which costs more than many a match),
  // replaced by a large one when a match first needs it.
  mutable pcre2_jit_stack* jitStack = nullptr;
  mutable bool jitStackGrown = false;
  size_t minLength = 0;
  size_t lookbehind = 1;
  bool hasStops = false;
  bool stops[256] = {};
  // The compiled code for searches that more of the input may follow, made when
  // first needed (most inputs fit into one window).
  mutable bool partialTried = false;
  mutable bool partialJit = false;
  // A byte that every match holds (in one of its cases): no match starts where
  // neither form follows. The library looks for it only so far into a long run.
  bool hasRequired = false;
  char required[2] = {};

  ~Impl() {
    pcre2_match_data_free(matchData);
    pcre2_jit_stack_free(jitStack);
    pcre2_match_context_free(matchContext);
    pcre2_code_free(code);
    pcre2_compile_context_free(compileContext);
  }

  // Gives the compiled code a stack of Size bytes at most; false when there is none.
  bool setJitStack(size_t size) const {
    pcre2_jit_stack* stack = pcre2_jit_stack_create(32 << 10, size, nullptr);  // reserved, committed as used
    if (!stack) return false;
    pcre2_jit_stack_assign(matchContext, nullptr, stack);
    pcre2_jit_stack_free(jitStack);
    jitStack = stack;
    return true;
  }
  // A large stack, as large as the address space allows; false when there is none.
  bool growJitStack() const {
    if (jitStackGrown) return false;
    jitStackGrown = true;
    for (size_t size : kJitStackSizes)
      if (setJitStack(size)) return true;
    return false;
  }

  bool canJit(uint32_t options) const {
    if (!jit) return false;
    if (!(options & PCRE2_PARTIAL_HARD)) return true;
    if (!partialTried) {
      partialTried = true;
      partialJit = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE | PCRE2_JIT_PARTIAL_HARD) == 0;
    }
    return partialJit;
  }

  // The next match in the subject from Start, or the start of a partial one.
  enum class Result { None, Match, Partial };
  Result match(const char* begin, size_t length, size_t start, uint32_t options, size_t& mBegin,
              size_t& mEnd) const {
    pcre2_set_match_limit(matchContext, matchLimitFor(length - start));
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(begin);
    int rc = PCRE2_ERROR_JIT_STACKLIMIT;
    if (canJit(options)) {
      rc = pcre2_jit_match(code, subject, length, start, options, matchData, matchContext);
      if (rc == PCRE2_ERROR_JIT_STACKLIMIT && growJitStack())
        rc = pcre2_jit_match(code, subject, length, start, options, matchData, matchContext);
    }
    // Without the compiled code, or when even its larger stack is too small: the
    // interpreter, whose backtracking lives on the heap.
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
      rc = pcre2_match(code, subject, length, start, options | PCRE2_NO_JIT, matchData, matchContext);
    if (rc == PCRE2_ERROR_NOMATCH) return Result::None;
    if (rc < 0 && rc != PCRE2_ERROR_PARTIAL) throw std::runtime_error("regular expression: " + errorText(rc));
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(matchData);
    if (ov[1] < ov[0]) throw std::runtime_error("regular expression: a match that ends before it starts");
    mBegin = ov[0];
    mEnd = ov[1];
    return rc == PCRE2_ERROR_PARTIAL ? Result::Partial : Result::Match;
  }
};

TSnRRegExpr::TSnRRegExpr(const std::string& Expr, bool AllowJit) : impl_(new Impl) {
  Impl& m = *impl_;
  const std::string expr = translateModifiers(Expr);
  const uint8_t* tables = codePageTables();
  m.compileContext = pcre2_compile_context_create(nullptr);
  if (!m.compileContext) throw std::runtime_error("regular expression: out of memory");
  pcre2_set_character_tables(m.compileContext, tables);
  pcre2_set_newline(m.compileContext, PCRE2_NEWLINE_ANYCRLF);
  auto compile = [&](uint32_t options) {
    pcre2_code_free(m.code);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    m.code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expr.data()), expr.size(),
                           options | PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP, &error,
                           &errorOffset, m.compileContext);
    if (!m.code)
      throw std::runtime_error("regular expression: " + errorText(error) + " at " + std::to_string(errorOffset));
  };
  compile(0);
  uint32_t value = 0;
  if (pcre2_pattern_info(m.code, PCRE2_INFO_MINLENGTH, &value) == 0) m.minLength = value;
  m.lookbehind = lookbehindBytes(m.code, expr);
  std::bitset<256> consumed;
  if (tables && ConsumedBytes(expr, tables).run(consumed)) {
    for (int b = 0; b < 256; ++b) m.stops[b] = !consumed[b];
    m.hasStops = !consumed.all();
  }
  const int required = codeUnit(m.code, PCRE2_INFO_LASTCODETYPE, PCRE2_INFO_LASTCODEUNIT);
  if (required >= 0) {
    m.hasRequired = true;
    m.required[0] = static_cast<char>(required);
    // Whether the library folds it is not told; either form will do.
    m.required[1] = static_cast<char>(tables ? tables[256 + required] : required);
  }
  // The library takes a first or required byte 255 for one without another case and
  // looks for it alone; where it has one (y and Y with diaeresis in code page 1252)
  // the expression goes without those shortcuts. The two facts above stay true.
  const bool foldsFF = tables && tables[256 + 255] != 255;
  if (foldsFF && (required == 255 || codeUnit(m.code, PCRE2_INFO_FIRSTCODETYPE, PCRE2_INFO_FIRSTCODEUNIT) == 255))
    compile(PCRE2_NO_START_OPTIMIZE);

  m.matchContext = pcre2_match_context_create(nullptr);
  m.matchData = pcre2_match_data_create_from_pattern(m.code, nullptr);
  if (!m.matchContext || !m.matchData) throw std::runtime_error("regular expression: out of memory");
  pcre2_set_heap_limit(m.matchContext, kHeapLimitKiB);
  // The compiled code needs executable memory; without it the interpreter does the
  // same work, slower.
  m.jit = AllowJit && pcre2_jit_compile(m.code, PCRE2_JIT_COMPLETE) == 0;
  if (m.jit) m.setJitStack(kSmallJitStack);
}

TSnRRegExpr::~TSnRRegExpr() = default;

TSnRRegExpr::Found TSnRRegExpr::ReplaceFrom(const Subject& S, size_t& Pos, size_t& From, const Template& T,
                                            int64_t& Count, const Sink& Out) const {
  const Impl& m = *impl_;
  const size_t length = S.Length;
  const bool whole = S.AtEnd || S.AtStop;  // searched as a whole input
  uint32_t options = S.AtStart ? 0 : PCRE2_NOTBOL;
  // Not with PCRE2_NOTEOL: "$" at the subject's end must give a partial match,
  // which more bytes decide, not no match.
  if (!whole) options |= PCRE2_PARTIAL_HARD;
  // Where the next byte that every match holds is (length: nowhere), found anew
  // only once the search has passed it, so that the subject is scanned once.
  size_t required = 0;
  bool searched = false;
  size_t mBegin = 0, mEnd = 0;
  for (;;) {
    if (Pos > length || (S.AtStop && Pos == length)) return Found::None;
    if (whole) {
      // Shortcuts that hold only where no match reaches past the subject (the
      // library drops its own for partial searches).
      if (length - Pos < m.minLength) return Found::None;
      if (m.hasRequired) {
        if (!searched || required < Pos) {
          required = static_cast<size_t>(findEither(S.Begin + Pos, S.Begin + length, m.required[0], m.required[1]) -
                                         S.Begin);
          searched = true;
        }
        if (required == length) return Found::None;
      }
    }
    switch (m.match(S.Begin, length, Pos, options, mBegin, mEnd)) {
      case Impl::Result::None:
        return Found::None;
      case Impl::Result::Partial:
        Pos = mBegin;
        return Found::Partial;
      case Impl::Result::Match:
        break;
    }
    if (S.AtStop && mBegin == length) return Found::None;  // past the stop byte the subject goes on
    if (mBegin > From) Out(S.Begin + From, mBegin - From);
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(m.matchData);
    const uint32_t groups = pcre2_get_ovector_count(m.matchData);
    for (const Template::Piece& p : T.pieces_) {
      if (p.group < 0) {
        if (!p.text.empty()) Out(p.text.data(), p.text.size());
      } else if (static_cast<uint32_t>(p.group) < groups) {
        const PCRE2_SIZE gBegin = ov[2 * p.group], gEnd = ov[2 * p.group + 1];
        if (gBegin != PCRE2_UNSET && gEnd > gBegin) Out(S.Begin + gBegin, gEnd - gBegin);
      }
    }
    From = mEnd;
    ++Count;
    if (mBegin == mEnd) {
      Pos = mEnd + 1;
      if (mEnd >= length) return Found::None;
    } else {
      Pos = mEnd;
    }
  }
}

size_t TSnRRegExpr::Lookbehind() const { return impl_->lookbehind; }

const bool* TSnRRegExpr::Stops() const { return impl_->hasStops ? impl_->stops : nullptr; }

void TSnRRegExpr::Replace(const char* Begin, const char* End, const Template& T, int& Count, const Sink& Out) const {
  const Subject s{Begin, static_cast<size_t>(End - Begin)};
  size_t pos = 0, from = 0;
  int64_t count = 0;
  ReplaceFrom(s, pos, from, T, count, Out);
  Count = static_cast<int>(std::min<int64_t>(Count + count, INT32_MAX));
  if (s.Length > from) Out(Begin + from, s.Length - from);
}

std::string TSnRRegExpr::Replace(const std::string& Input, const std::string& Replacement, bool UseSubstitution,
                                 int& Count) const {
  std::string result;
  Replace(Input.data(), Input.data() + Input.size(), Template(Replacement, UseSubstitution), Count,
          [&](const char* d, size_t n) { result.append(d, n); });
  return result;
}

std::string ReplaceRegExprCount(const std::string& Expr, const std::string& Input, const std::string& Replacement,
                                bool UseSubstitution, int& Count) {
  TSnRRegExpr re(Expr);
  return re.Replace(Input, Replacement, UseSubstitution, Count);
}
