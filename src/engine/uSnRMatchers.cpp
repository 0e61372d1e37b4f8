#include "uSnRMatchers.h"
#include <windows.h>
#include <emmintrin.h>
#include <algorithm>
#include <stdexcept>
#include <vector>
#include "uSnRBytes.h"

namespace {

// The ANSI upper-case form of every byte in the system code page, built once: the
// code page does not change while the program runs.
struct UpperTable {
  uint8_t up[256];
  UpperTable() {
    for (int i = 0; i < 256; ++i) {
      char c = static_cast<char>(i);
      if (i) ::CharUpperBuffA(&c, 1);
      up[i] = static_cast<uint8_t>(c);
    }
  }
};

const uint8_t* upperTable() {
  static const UpperTable table;
  return table.up;
}

// Calls onMatch for every leftmost, non-overlapping place where the pattern (already
// mapped) equals the mapped text bytes, the scan going on after each match; never
// reads past End. Where the processor has SSE2, 64 start positions at a time are
// filtered by three pattern bytes that have at most two case forms each; the few
// that pass are compared whole. Otherwise one position at a time.
class PatternSearch {
public:
  PatternSearch(const uint8_t* pattern, size_t len, const uint8_t* map, bool exact)
      : pat_(pattern, pattern + len), map_(map), exact_(exact) {
    // Filter positions: the first, the next and the last pattern byte that have at
    // most two forms (the next is the first again in a pattern of two bytes or less).
    std::vector<size_t> usable;
    for (size_t i = 0; i < len; ++i) {
      uint8_t f[2];
      if (forms(pat_[i], f)) usable.push_back(i);
    }
    if (!usable.empty()) {
      at_[0] = usable.front();
      at_[1] = usable.size() > 2 ? usable[1] : usable.front();
      at_[2] = usable.back();
      for (int k = 0; k < 3; ++k) forms(pat_[at_[k]], forms_[k]);
    }
    wholeInOne_ = len <= 16 && usable.size() == len;
    for (size_t i = 0; wholeInOne_ && i < len; ++i) {
      uint8_t f[2];
      forms(pat_[i], f);
      whole_[0][i] = f[0];
      whole_[1][i] = f[1];
    }
    useSimd_ = !usable.empty() && snr::hasSse2();
  }
  template <class OnMatch>
  void forEach(const uint8_t* p, const uint8_t* end, OnMatch onMatch) const {
    if (static_cast<size_t>(end - p) < pat_.size()) return;
    if (useSimd_ && exact_)
      forEachSimd<false>(p, end, onMatch);
    else if (useSimd_)
      forEachSimd<true>(p, end, onMatch);
    else if (exact_)
      forEachScalar<false>(p, end, onMatch);
    else
      forEachScalar<true>(p, end, onMatch);
  }

private:
  // The bytes whose mapped form is m, two at most (the one repeated when alone).
  bool forms(uint8_t m, uint8_t (&out)[2]) const {
    int n = 0;
    for (int b = 0; b < 256; ++b) {
      if (map_[b] != m) continue;
      if (n == 2) return false;
      out[n++] = static_cast<uint8_t>(b);
    }
    if (n == 1) out[1] = out[0];
    return n > 0;
  }
  template <bool Mapped>
  bool matchesAt(const uint8_t* q) const {
    const uint8_t* pat = pat_.data();
    const size_t len = pat_.size();
    for (size_t i = 0; i < len; ++i)
      if ((Mapped ? map_[q[i]] : q[i]) != pat[i]) return false;
    return true;
  }
  template <bool Mapped, class OnMatch>
  void forEachScalar(const uint8_t* p, const uint8_t* end, OnMatch& onMatch) const {
    for (const uint8_t* lastStart = end - pat_.size(); p <= lastStart;) {
      if (matchesAt<Mapped>(p)) {
        onMatch(p);
        p += pat_.size();
      } else {
        ++p;
      }
    }
  }
  // One bit for each of the 16 starts from p whose filter bytes pass.
  template <bool TwoForms>
  __attribute__((target("sse2"), always_inline)) inline uint32_t filter(const uint8_t* p, const __m128i (&f)[6]) const {
    __m128i m = _mm_set1_epi8(-1);
    for (int k = 0; k < 3; ++k) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at_[k]));
      __m128i mk = _mm_cmpeq_epi8(a, f[2 * k]);
      if (TwoForms) mk = _mm_or_si128(mk, _mm_cmpeq_epi8(a, f[2 * k + 1]));
      m = _mm_and_si128(m, mk);
    }
    return static_cast<uint32_t>(_mm_movemask_epi8(m));
  }
  template <bool TwoForms>
  static __attribute__((target("sse2"), always_inline)) inline bool matchesInOne(const uint8_t* q, __m128i w0,
                                                                                __m128i w1, uint32_t lenMask) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    __m128i m = _mm_cmpeq_epi8(a, w0);
    if (TwoForms) m = _mm_or_si128(m, _mm_cmpeq_epi8(a, w1));
    return (static_cast<uint32_t>(_mm_movemask_epi8(m)) & lenMask) == lenMask;
  }
  template <bool TwoForms, class OnMatch>
  __attribute__((target("sse2"))) void forEachSimd(const uint8_t* p, const uint8_t* end, OnMatch& onMatch) const {
    const size_t len = pat_.size();
    const uint8_t* lastStart = end - len;
    __m128i f[6];
    for (int k = 0; k < 6; ++k) f[k] = _mm_set1_epi8(static_cast<char>(forms_[k / 2][k % 2]));
    // A pattern of up to 16 bytes, each with at most two forms, is compared in one
    // step where 16 bytes can be read; a byte loop would cost a misprediction a match.
    const __m128i w0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(whole_[0]));
    const __m128i w1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(whole_[1]));
    const uint32_t lenMask = len < 16 ? (1u << len) - 1 : 0xFFFFu;
    const uint8_t* wholeEnd = wholeInOne_ ? end - 16 : p - 1;  // last start for it
    const uint8_t* resume = p;  // matches do not overlap: no start before this
    // A block of starts p..p+63 reads up to p+63+len-1, which stays before End. One
    // test for all 64 starts: the branch on it is hard to predict where matches are
    // dense, and longer blocks take it fewer times.
    for (; lastStart - p >= 63; p += 64) {
      uint32_t masks[2] = {filter<TwoForms>(p, f) | filter<TwoForms>(p + 16, f) << 16,
                           filter<TwoForms>(p + 32, f) | filter<TwoForms>(p + 48, f) << 16};
      if (!(masks[0] | masks[1])) continue;
      for (int half = 0; half < 2; ++half) {
        const uint8_t* base = p + 32 * half;
        for (uint32_t mask = masks[half]; mask; mask &= mask - 1) {
          const uint8_t* q = base + __builtin_ctz(mask);
          if (q >= resume &&
              (q <= wholeEnd ? matchesInOne<TwoForms>(q, w0, w1, lenMask) : matchesAt<TwoForms>(q))) {
            onMatch(q);
            resume = q + len;
          }
        }
      }
    }
    forEachScalar<TwoForms>(std::max(p, resume), end, onMatch);
  }

  std::vector<uint8_t> pat_;
  const uint8_t* map_;
  bool exact_;
  size_t at_[3] = {};  // the filter bytes' indexes
  uint8_t forms_[3][2] = {};
  bool wholeInOne_ = false;
  uint8_t whole_[2][16] = {};  // the pattern's two forms of each byte, when wholeInOne_
  bool useSimd_ = false;
};

struct IdentityTable {
  uint8_t map[256];
  IdentityTable() {
    for (int i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i);
  }
};

}  // namespace

int ReplacePlain(TSnRInput& In, const uint8_t* Search, size_t SearchLen, const uint8_t* Replace, size_t ReplaceLen,
                 bool IgnoreCase, TSnROutput& Out) {
  static const IdentityTable identity;
  const uint8_t* map = IgnoreCase ? upperTable() : identity.map;
  std::vector<uint8_t> pattern(SearchLen);
  for (size_t i = 0; i < SearchLen; ++i) pattern[i] = map[Search[i]];

  int64_t count = 0;
  const PatternSearch search(pattern.data(), SearchLen, map, !IgnoreCase);
  // Each window is searched for the matches that lie in it whole; a start whose
  // match would reach past the window's end is looked at again in the next
  // window, which begins there. Everything before that start has been written.
  uint64_t next = 0;
  for (;;) {
    const TSnRInput::Window& w = In.Move(next, SearchLen);
    const uint8_t* const begin = w.Data;
    const uint8_t* const end = begin + w.Size;
    const bool last = In.AtEnd();
    const uint8_t* from = begin;  // start of the bytes not yet written
    // Hits are written in batches: the scan's loop then stays small, and so does
    // the cost of its mispredicted branches.
    const uint8_t* hits[64];
    size_t n = 0;
    auto scan = [&] {
      search.forEach(begin, end, [&](const uint8_t* q) {
        hits[n++] = q;
        if (n == 64) {
          from = Out.putHits(from, hits, n, SearchLen, Replace, ReplaceLen, end);
          count += n;
          n = 0;
        }
      });
      from = Out.putHits(from, hits, n, SearchLen, Replace, ReplaceLen, end);
      count += n;
      n = 0;
      const uint8_t* rest = last ? end : std::max(from, end - (SearchLen - 1));
      Out.put(from, static_cast<size_t>(rest - from));
      from = rest;
    };
    In.Read(scan);
    if (last) break;
    next = w.Offset + static_cast<size_t>(from - begin);
  }
  return static_cast<int>(std::min<int64_t>(count, INT32_MAX));
}

namespace {

// Bytes the regular expressions see: tab, LF, CR, 32..127 and 160..255.
struct TextBytes {
  bool text[256];
  TextBytes() {
    for (int i = 0; i < 256; ++i)
      text[i] = i == 9 || i == 10 || i == 13 || (i >= 32 && i <= 127) || i >= 160;
  }
};

// The first byte from P on that is a text byte (Text) or not (!Text), or End. Sixteen
// bytes at a time with SSE2: a byte is a non-text byte when its low seven bits are
// below 32, except tab, LF and CR.
template <bool Text>
__attribute__((target("sse2"))) const uint8_t* findTextSse2(const uint8_t* p, const uint8_t* end, const bool* text) {
  const __m128i low7 = _mm_set1_epi8(0x7F), below = _mm_set1_epi8(32);
  const __m128i tab = _mm_set1_epi8(9), lf = _mm_set1_epi8(10), cr = _mm_set1_epi8(13);
  for (; end - p >= 16; p += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i control = _mm_cmplt_epi8(_mm_and_si128(b, low7), below);
    const __m128i kept = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, tab), _mm_cmpeq_epi8(b, lf)), _mm_cmpeq_epi8(b, cr));
    const unsigned nonText = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(kept, control)));
    const unsigned hit = Text ? ~nonText & 0xFFFFu : nonText;
    if (hit) return p + __builtin_ctz(hit);
  }
  while (p < end && text[*p] != Text) ++p;
  return p;
}

template <bool Text>
const uint8_t* findText(const uint8_t* p, const uint8_t* end, const bool* text) {
  if (snr::hasSse2()) return findTextSse2<Text>(p, end, text);
  while (p < end && text[*p] != Text) ++p;
  return p;
}

// The length of [P, End) up to and including its last byte that Stops marks; 0
// when there is none.
size_t lastStop(const char* p, const char* end, const bool* stops) {
  for (const char* q = end; q > p; --q)
    if (stops[static_cast<uint8_t>(q[-1])]) return static_cast<size_t>(q - p);
  return 0;
}

}  // namespace

int ReplaceRegExprRuns(TSnRInput& In, const TSnRRegExpr& Expr, const TSnRRegExpr::Template& Repl, TSnROutput& Out) {
  static const TextBytes bytes;
  const bool* text = bytes.text;
  const TSnRRegExpr::Sink sink = [&Out](const char* d, size_t n) { Out.put(d, n); };
  const uint64_t size = In.Size();
  // Each window holds, besides the bytes to search, those before a search's start
  // that the expression may look at.
  const size_t history = Expr.Lookbehind();
  const bool* const stops = Expr.Stops();
  int64_t count = 0;
  // Offsets in the input. Every byte before From has been written.
  uint64_t from = 0;
  bool inRun = true;      // in a run of text bytes (the first may be empty), else between runs
  uint64_t runStart = 0;  // where the run begins
  uint64_t textEnd = 0;   // the run's bytes are known up to here
  uint64_t pos = 0;       // where the run's next search starts
  uint64_t next = 0;      // the next window's start; the input's size once all is done
  do {
    const TSnRInput::Window& w = In.Move(next, history + 1);
    const uint8_t* const base = w.Data;
    const uint64_t wEnd = w.End();
    auto at = [&](uint64_t offset) { return base + static_cast<size_t>(offset - w.Offset); };
    auto offsetOf = [&](const uint8_t* p) { return w.Offset + static_cast<size_t>(p - base); };
    auto write = [&](uint64_t until) {
      Out.put(at(from), static_cast<size_t>(until - from));
      from = until;
    };
    auto step = [&] {
      for (;;) {
        if (!inRun) {
          const uint64_t t = offsetOf(findText<true>(at(from), at(wEnd), text));
          write(t);
          if (t == wEnd) {  // the input's end, or more bytes between runs in the next window
            next = wEnd;
            return;
          }
          inRun = true;
          runStart = textEnd = pos = t;
        }
        textEnd = offsetOf(findText<false>(at(textEnd), at(wEnd), text));
        const bool runEnds = textEnd < wEnd || wEnd == size;
        const uint64_t start = std::max(runStart, w.Offset);
        const char* const subject = reinterpret_cast<const char*>(at(start));
        size_t p = static_cast<size_t>(pos - start), f = static_cast<size_t>(from - start);
        if (!runEnds && stops) {
          // Up to the last byte that no match passes, the search needs no more of
          // the run and goes as over a whole input (the library's partial search
          // skips less); only the bytes after it wait for the next window.
          const size_t stop = lastStop(subject + p, subject + (textEnd - start), stops);
          if (stop) {
            const size_t cut = p + stop;
            const TSnRRegExpr::Subject part{subject, cut, start == runStart, false, true};
            Expr.ReplaceFrom(part, p, f, Repl, count, sink);
            p = std::max(p, cut);
          }
        }
        const TSnRRegExpr::Subject s{subject, static_cast<size_t>(textEnd - start), start == runStart, runEnds};
        const TSnRRegExpr::Found found = Expr.ReplaceFrom(s, p, f, Repl, count, sink);
        pos = start + p;
        from = start + f;
        if (runEnds) {
          write(textEnd);
          inRun = false;
          if (textEnd == size) {
            next = size;
            return;
          }
          continue;
        }
        // More of the run follows: the next window begins where a match may still
        // start, with the bytes a match may look back at before it.
        if (found == TSnRRegExpr::Found::None) pos = textEnd;
        write(pos);
        next = std::max(runStart, pos - std::min<uint64_t>(pos, history));
        if (next == w.Offset)
          throw std::runtime_error("regular expression: a match would reach further than the bytes held at once");
        return;
      }
    };
    In.Read(step);
  } while (next < size);
  return static_cast<int>(std::min<int64_t>(count, INT32_MAX));
}

bool SameByte(uint8_t a, uint8_t b) { return a == b; }

bool SameByteIgnoreCase(uint8_t a, uint8_t b) { return upperTable()[a] == upperTable()[b]; }
