#include "uSearchAndReplaceThread.h"
#include "MailTools.h"
#include "uSnRRegExpr.h"
#include "uSnRViewGuard.h"
#include <emmintrin.h>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Copies the pieces between matches without a call into the runtime's memcpy (slow
// for pieces under a few KiB), with overlapping moves of fixed size. Plain code on purpose: inlined into the SSE2
// scan below, the compiler makes the 16- and 8-byte moves single vector moves.
inline __attribute__((always_inline)) void copyBytes(char* dest, const char* src, size_t n) {
  if (n >= 4096) {
    std::memcpy(dest, src, n);
  } else if (n >= 16) {
    char tail[16];
    __builtin_memcpy(tail, src + n - 16, 16);
    for (size_t i = 0; i + 16 <= n; i += 16) __builtin_memcpy(dest + i, src + i, 16);
    __builtin_memcpy(dest + n - 16, tail, 16);
  } else if (n >= 8) {
    uint64_t a, b;
    __builtin_memcpy(&a, src, 8);
    __builtin_memcpy(&b, src + n - 8, 8);
    __builtin_memcpy(dest, &a, 8);
    __builtin_memcpy(dest + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    __builtin_memcpy(&a, src, 4);
    __builtin_memcpy(&b, src + n - 4, 4);
    __builtin_memcpy(dest, &a, 4);
    __builtin_memcpy(dest + n - 4, &b, 4);
  } else {
    for (size_t i = 0; i < n; ++i) dest[i] = src[i];
  }
}

bool hasSse2() {
  static const bool yes = ::IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != 0;
  return yes;
}

// Writes blocks to a file on a thread of its own, one block at a time, so that the
// write calls (copying into the system's file cache) overlap the scan. Raises
// std::runtime_error from submit or wait once a write has failed; later blocks are
// then not written.
class BackgroundWriter {
public:
  // At most MaxPending blocks are queued or being written at a time.
  BackgroundWriter(TSnRFileOps& ops, HANDLE file, size_t maxPending)
      : ops_(ops), file_(file), maxPending_(maxPending), thread_([this] { run(); }) {}
  ~BackgroundWriter() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // Waits for room in the queue, then queues the block, which must stay valid until
  // it is written: until MaxPending more blocks are submitted or wait returns.
  void submit(const char* data, size_t size) {
    std::unique_lock<std::mutex> lock(mutex_);
    waitUntil(lock, maxPending_ - 1);
    queue_.emplace_back(data, size);
    lock.unlock();
    changed_.notify_all();
  }
  // Waits until every block is written.
  void wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    waitUntil(lock, 0);
  }

private:
  void waitUntil(std::unique_lock<std::mutex>& lock, size_t pending) {
    changed_.wait(lock, [&] { return queue_.size() + writing_ <= pending; });
    if (failed_) throw std::runtime_error("cannot write the temporary file");
  }
  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return !queue_.empty() || stop_; });
      if (queue_.empty()) return;
      const std::pair<const char*, size_t> block = queue_.front();
      queue_.pop_front();
      writing_ = 1;
      const bool skip = failed_;
      lock.unlock();
      bool ok = skip;
      try {
        ok = ok || ops_.Write(file_, block.first, static_cast<DWORD>(block.second));
        // The file is flushed before it takes the input's name; flushing as it
        // grows lets the disk write it while the scan goes on, instead of all
        // after it.
        unflushed_ += block.second;
        if (ok && !skip && unflushed_ >= kFlushEvery) {
          ok = ops_.Flush(file_);
          unflushed_ = 0;
        }
      } catch (...) {
        ok = false;  // no exception leaves the thread
      }
      lock.lock();
      failed_ = failed_ || !ok;
      writing_ = 0;
      changed_.notify_all();
    }
  }

  static constexpr size_t kFlushEvery = 8 << 20;

  TSnRFileOps& ops_;
  const HANDLE file_;
  const size_t maxPending_;
  size_t unflushed_ = 0;  // written since the last flush (writer thread only)
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<const char*, size_t>> queue_;
  size_t writing_ = 0;  // 1 while a block is being written
  bool failed_ = false, stop_ = false;
  std::thread thread_;  // last: starts once the rest is set up
};

// Raised when the input's view cannot be read (a fault inside it, or a write from
// it that the system refused for that reason).
struct ViewReadError : std::runtime_error {
  ViewReadError() : std::runtime_error("cannot read the file") {}
};

// The temporary file of one job, written through a buffer so that unmatched bytes
// never cost a write call each. Once a first buffer is full, full buffers are
// written in the background while the other one fills. Raises std::runtime_error
// when a write fails.
// The file is made only when it is needed: as long as every piece handed over is
// the input's own bytes at the place reached so far, the pieces are only counted,
// so a file without a match is read and nothing is written. The first other piece
// makes the file and writes the input's bytes before it from the view.
class TempOutput {
public:
  // Input: the view being rewritten; its size also sizes the buffer, since a small
  // file's time is mostly that of setting its output up.
  TempOutput(TSnRFileOps& ops, const std::string& folder, const uint8_t* input, size_t inputSize)
      : ops_(ops), folder_(folder), input_(input), inputSize_(inputSize) {}
  ~TempOutput() {
    writer_.reset();
    file_.reset();
    if (!kept_ && !name_.empty()) ops_.Delete(name_);
  }
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;

  // Inline for the usual short piece; long ones go past the buffer.
  void put(const void* data, size_t size) {
    if (!file_) {
      if (data == input_ + same_ || !size) {
        same_ += size;
        return;
      }
      open();
    }
    if (size <= buffer_.size() - used_ && size < kDirect) {
      copyBytes(buffer_.data() + used_, static_cast<const char*>(data), size);
      used_ += size;
    } else {
      putLong(static_cast<const char*>(data), size);
    }
  }
  // Writes the text from From up to each hit (ascending, not overlapping) followed
  // by the replacement, and returns the end of the last hit, Len bytes past it. The
  // text may be read up to Readable: a short piece is copied as one block of fixed
  // size, with no branch on its length (the bytes past its end are overwritten by
  // the next piece, or never written). The buffer's place is kept in a local
  // pointer: stores through it may alias anything, which would otherwise reload the
  // members after every piece.
  __attribute__((always_inline)) const uint8_t* putHits(const uint8_t* from, const uint8_t* const* hits, size_t n,
                                                        size_t len, const uint8_t* repl, size_t replLen,
                                                        const uint8_t* readable) {
    if (!n) return from;
    if (!file_) open();
    char* d = buffer_.data() + used_;
    char* const limit = buffer_.data() + buffer_.size();
    for (size_t i = 0; i < n; ++i) {
      const size_t gap = static_cast<size_t>(hits[i] - from);
      if (gap < kDirect && gap + replLen <= static_cast<size_t>(limit - d)) {
        if (gap <= kBlock && kBlock <= static_cast<size_t>(limit - d) &&
            kBlock <= static_cast<size_t>(readable - from)) {
          for (size_t k = 0; k < kBlock; k += 16) __builtin_memcpy(d + k, from + k, 16);
        } else {
          copyBytes(d, reinterpret_cast<const char*>(from), gap);
        }
        d += gap;
        copyBytes(d, reinterpret_cast<const char*>(repl), replLen);
        d += replLen;
      } else {
        used_ = static_cast<size_t>(d - buffer_.data());
        put(from, gap);
        put(repl, replLen);
        d = buffer_.data() + used_;
      }
      from = hits[i] + len;
    }
    used_ = static_cast<size_t>(d - buffer_.data());
    return from;
  }
  // Needed: the job made replacements, so the file must exist even when its bytes
  // equal the input's. Writes what is left and hands over the file, open for its
  // flush, with its name; an invalid handle when no file is needed.
  win::FileHandle finish(bool needed, std::string& name) {
    if (!file_) {
      if (!needed) return win::FileHandle();
      open();
    }
    if (writer_) {
      flush();
      writer_->wait();
      writer_.reset();
    } else if (used_) {
      write(buffer_.data(), used_);  // a small file: no thread for it
    }
    kept_ = true;
    name = name_;
    return std::move(file_);
  }

private:
  static constexpr size_t kBufferSize = 1 << 20, kMinBuffer = 64 << 10;
  static constexpr size_t kBuffers = 16;  // besides the one being filled: room for the scan while a flush waits
  // Pieces this long (the unmatched stretches of a file with few matches) are written
  // straight from the view: copying them through the buffer would only add a pass.
  static constexpr size_t kDirect = 64 << 10;
  static constexpr size_t kBlock = 128;

  // Makes the file and writes the input's bytes counted so far.
  __attribute__((noinline)) void open() {
    file_ = ops_.CreateTempFile(folder_, "snr", name_);
    if (!file_) throw std::runtime_error("cannot create the temporary file");
    buffer_.resize(std::min(kBufferSize, std::max(inputSize_, kMinBuffer)));
    const size_t same = same_;
    same_ = 0;
    if (same) put(input_, same);
  }
  __attribute__((noinline)) void putLong(const char* p, size_t size) {
    if (size >= kDirect) {
      // Written on this thread: there is no scan to overlap, and handing each block
      // over to the writer would only add waits.
      flush();
      if (writer_) writer_->wait();
      while (size) {
        const size_t n = std::min(size, kBufferSize);
        if (!ops_.Write(file_.get(), p, static_cast<DWORD>(n))) {
          // The system reads the view itself here, so a fault in it arrives as a
          // failed write.
          if (fromInput(p, n) && !snr::CanReadView(p, n)) throw ViewReadError();
          throw std::runtime_error("cannot write the temporary file");
        }
        p += n;
        size -= n;
      }
      return;
    }
    while (size) {
      if (used_ == buffer_.size()) flush();
      const size_t n = std::min(size, buffer_.size() - used_);
      std::memcpy(buffer_.data() + used_, p, n);
      used_ += n;
      p += n;
      size -= n;
    }
  }
  bool fromInput(const char* p, size_t n) const {
    const char* in = reinterpret_cast<const char*>(input_);
    return p >= in && n <= inputSize_ && static_cast<size_t>(p - in) <= inputSize_ - n;
  }
  // Hands the buffer to the writer and goes on with the oldest of the others, which
  // the writer is done with once submit returns.
  void flush() {
    if (!used_) return;
    writer().submit(buffer_.data(), used_);
    std::swap(buffer_, ring_[next_]);  // the oldest: written by now
    next_ = (next_ + 1) % kBuffers;
    used_ = 0;
  }
  BackgroundWriter& writer() {
    if (!writer_) {  // the output outgrew one buffer: a large file
      ring_.assign(kBuffers, std::vector<char>(buffer_.size()));
      writer_.reset(new BackgroundWriter(ops_, file_.get(), kBuffers));
    }
    return *writer_;
  }
  void write(const void* data, size_t size) {
    if (!ops_.Write(file_.get(), data, static_cast<DWORD>(size)))
      throw std::runtime_error("cannot write the temporary file");
  }

  TSnRFileOps& ops_;
  const std::string folder_;
  const uint8_t* const input_;
  const size_t inputSize_;
  size_t same_ = 0;  // input bytes handed over unchanged before the file exists
  std::string name_;
  win::FileHandle file_;
  std::vector<char> buffer_;
  std::vector<std::vector<char>> ring_;  // the buffers handed to the writer, oldest at next_
  size_t next_ = 0;
  size_t used_ = 0;
  bool kept_ = false;
  std::unique_ptr<BackgroundWriter> writer_;
};

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
    useSimd_ = !usable.empty() && hasSse2();
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

// The batch writers of the plain matcher, out of the scan's loop: one with SSE2
// moves, one for processors without.
__attribute__((noinline, target("sse2"))) const uint8_t* putHitsSse2(TempOutput& out, const uint8_t* from,
                                                                    const uint8_t* const* hits, size_t n, size_t len,
                                                                    const uint8_t* repl, size_t replLen,
                                                                    const uint8_t* readable) {
  return out.putHits(from, hits, n, len, repl, replLen, readable);
}
__attribute__((noinline)) const uint8_t* putHitsPlain(TempOutput& out, const uint8_t* from, const uint8_t* const* hits,
                                                      size_t n, size_t len, const uint8_t* repl, size_t replLen,
                                                      const uint8_t* readable) {
  return out.putHits(from, hits, n, len, repl, replLen, readable);
}

// Modes 0 and 1: leftmost, non-overlapping matches; never reads past End. Mode 1
// compares the ANSI upper-case forms.
int ReplacePlain(const uint8_t* Begin, const uint8_t* End, const uint8_t* Search, size_t SearchLen,
                 const uint8_t* Replace, size_t ReplaceLen, bool IgnoreCase, TempOutput& Out) {
  static const IdentityTable identity;
  const uint8_t* map = IgnoreCase ? upperTable() : identity.map;
  std::vector<uint8_t> pattern(SearchLen);
  for (size_t i = 0; i < SearchLen; ++i) pattern[i] = map[Search[i]];

  int64_t count = 0;
  const uint8_t* from = Begin;  // start of the bytes not yet written
  const PatternSearch search(pattern.data(), SearchLen, map, !IgnoreCase);
  // Hits are written in batches: the scan's loop then stays small, and so does the
  // cost of its mispredicted branches.
  const uint8_t* hits[64];
  size_t n = 0;
  const auto putHits = hasSse2() ? putHitsSse2 : putHitsPlain;
  auto scan = [&] {
    search.forEach(Begin, End, [&](const uint8_t* q) {
      hits[n++] = q;
      if (n == 64) {
        from = putHits(Out, from, hits, n, SearchLen, Replace, ReplaceLen, End);
        count += n;
        n = 0;
      }
    });
    from = putHits(Out, from, hits, n, SearchLen, Replace, ReplaceLen, End);
    count += n;
    Out.put(from, static_cast<size_t>(End - from));
  };
  if (!snr::RunReadingView(Begin, static_cast<size_t>(End - Begin), scan)) throw ViewReadError();
  return static_cast<int>(std::min<int64_t>(count, INT32_MAX));
}

// Bytes the regular expressions see: tab, LF, CR, 32..127 and 160..255.
struct TextBytes {
  bool text[256];
  TextBytes() {
    for (int i = 0; i < 256; ++i)
      text[i] = i == 9 || i == 10 || i == 13 || (i >= 32 && i <= 127) || i >= 160;
  }
};

// Mode 2: the expression replaces within each run of text bytes; the other bytes
// are copied unchanged, so a match never spans them.
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
  if (hasSse2()) return findTextSse2<Text>(p, end, text);
  while (p < end && text[*p] != Text) ++p;
  return p;
}

int ReplaceRegExprRuns(const uint8_t* Begin, const uint8_t* End, const TSnRRegExpr& Expr,
                       const TSnRRegExpr::Template& Repl, TempOutput& Out) {
  static const TextBytes bytes;
  const bool* text = bytes.text;
  int count = 0;
  const TSnRRegExpr::Sink sink = [&Out](const char* d, size_t n) { Out.put(d, n); };
  auto scan = [&] {
    const uint8_t* p = Begin;
    do {
      const uint8_t* runEnd = findText<false>(p, End, text);
      Expr.Replace(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(runEnd), Repl, count, sink);
      const uint8_t* next = findText<true>(runEnd, End, text);
      Out.put(runEnd, static_cast<size_t>(next - runEnd));
      p = next;
    } while (p < End);
  };
  // A fault leaves the matcher's own small state behind (it is not freed).
  if (!snr::RunReadingView(Begin, static_cast<size_t>(End - Begin), scan)) throw ViewReadError();
  return count;
}

std::string folderOf(const std::string& fileName) {
  size_t cut = fileName.find_last_of("\\/:");
  return cut == std::string::npos ? std::string(".") : fileName.substr(0, cut + 1);
}

bool fileExists(const std::string& name) {
  DWORD attr = ::GetFileAttributesA(name.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool nameExists(const std::string& name) { return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Bytes up to the first NUL among the first len.
std::string textUpToNul(const void* buf, int len) {
  const char* p = static_cast<const char*>(buf);
  if (!p || len <= 0) return std::string();
  const void* nul = std::memchr(p, 0, static_cast<size_t>(len));
  return std::string(p, nul ? static_cast<const char*>(nul) - p : len);
}

}  // namespace

bool SameByte(uint8_t a, uint8_t b) { return a == b; }

bool SameByteIgnoreCase(uint8_t a, uint8_t b) { return upperTable()[a] == upperTable()[b]; }

std::string SnRTaskDisplayText(int Len, const void* Source, std::string& Copy) {
  Copy.clear();
  if (Len <= 0 || !Source) return std::string();
  Copy.assign(static_cast<const char*>(Source), static_cast<size_t>(Len));
  const std::string t = textUpToNul(Source, Len);
  if (t.empty()) return std::string();
  static const char digits[] = "0123456789ABCDEF";
  std::string d = t + " [";
  for (unsigned char c : t) {
    d += digits[c >> 4];
    d += digits[c & 15];
  }
  d += ']';
  for (char& c : d)
    if (static_cast<unsigned char>(c) < 32) c = '.';
  return d;
}

std::string ShortenText(const std::string& Text, int N) {
  if (N < 0) N = 0;
  if (Text.size() <= static_cast<size_t>(N)) return Text;
  if (N < 3) return Text.substr(0, static_cast<size_t>(N));
  return Text.substr(0, static_cast<size_t>(N - 3)) + "...";
}

void TSnRTast::Init(const std::string& AFileName, const void* ASearchBuf, int ASearchLen, uint8_t AMode,
                    const void* AReplaceBuf, int AReplaceLen, bool ABackup, int ALogLevel) {
  FileName = AFileName;
  SearchLen = std::max(ASearchLen, 0);  // -1: an unset string
  SearchDisplay = SnRTaskDisplayText(SearchLen, ASearchBuf, SearchBuf);
  SearchLen = static_cast<int32_t>(SearchBuf.size());
  ReplaceLen = std::max(AReplaceLen, 0);
  ReplaceDisplay = SnRTaskDisplayText(ReplaceLen, AReplaceBuf, ReplaceBuf);
  ReplaceLen = static_cast<int32_t>(ReplaceBuf.size());
  Mode = AMode;
  Backup = ABackup;
  LogLevel = ALogLevel;
}

// A lock and a condition of the system's own (slim reader/writer lock, condition
// variable): under wine they wait inside the process, while the C++ library's wait
// through the wine server, which every thread of every program there shares.
class SlimLock {
public:
  void lock() { ::AcquireSRWLockExclusive(&lock_); }
  void unlock() { ::ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* get() { return &lock_; }

private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
public:
  template <class Pred>
  void wait(std::unique_lock<SlimLock>& held, Pred ready) {
    while (!ready()) ::SleepConditionVariableSRW(&cond_, held.mutex()->get(), INFINITE, 0);
  }
  void notifyOne() { ::WakeConditionVariable(&cond_); }
  void notifyAll() { ::WakeAllConditionVariable(&cond_); }

private:
  CONDITION_VARIABLE cond_ = CONDITION_VARIABLE_INIT;
};

// Flushes files on threads of their own, so that the flushes of consecutive jobs
// overlap: a file system commits flushes that wait at the same time together, and
// the worker reads and writes the next files meanwhile. Folders are flushed the same
// way, once for all the renames made in one while a flush of it is queued.
class TSnRFlushPool {
public:
  struct Ticket {
    win::FileHandle file;  // closed once flushed
    bool done = false, ok = false;
  };

  explicit TSnRFlushPool(size_t threads) : threadCount_(threads) {}
  ~TSnRFlushPool() {
    {
      std::lock_guard<SlimLock> lock(mutex_);
      stop_ = true;
    }
    work_.notifyAll();
    for (auto& t : threads_) t.join();
  }
  TSnRFlushPool(const TSnRFlushPool&) = delete;
  TSnRFlushPool& operator=(const TSnRFlushPool&) = delete;

  std::shared_ptr<Ticket> flushFile(TSnRFileOps& ops, win::FileHandle file) {
    auto ticket = std::make_shared<Ticket>();
    ticket->file = std::move(file);
    push(Task{&ops, ticket, std::string()});
    return ticket;
  }
  void flushFolder(TSnRFileOps& ops, const std::string& folder) {
    {
      std::lock_guard<SlimLock> lock(mutex_);
      for (const Task& t : queue_)
        if (!t.ticket && t.folder == folder) return;  // not started yet: it covers this rename too
    }
    push(Task{&ops, nullptr, folder});
  }
  bool done(const Ticket& t) {
    std::lock_guard<SlimLock> lock(mutex_);
    return t.done;
  }
  void wait(const Ticket& t) {
    std::unique_lock<SlimLock> lock(mutex_);
    finished_.wait(lock, [&] { return t.done; });
  }
  void waitAll() {
    std::unique_lock<SlimLock> lock(mutex_);
    finished_.wait(lock, [&] { return queue_.empty() && !busy_; });
  }

private:
  struct Task {
    TSnRFileOps* ops;
    std::shared_ptr<Ticket> ticket;  // a file, or none for a folder
    std::string folder;
  };
  void push(Task t) {
    {
      std::lock_guard<SlimLock> lock(mutex_);
      queue_.push_back(std::move(t));
      while (threads_.size() < threadCount_) threads_.emplace_back([this] { run(); });
    }
    work_.notifyOne();
  }
  void run() {
    std::unique_lock<SlimLock> lock(mutex_);
    for (;;) {
      work_.wait(lock, [this] { return !queue_.empty() || stop_; });
      if (queue_.empty()) return;
      Task t = std::move(queue_.front());
      queue_.pop_front();
      ++busy_;
      lock.unlock();
      bool ok = false;
      try {
        if (t.ticket) {
          ok = t.ops->Flush(t.ticket->file.get());
          t.ticket->file.reset();
        } else {
          t.ops->FlushFolder(t.folder);
        }
      } catch (...) {
        ok = false;  // no exception leaves the thread
      }
      lock.lock();
      --busy_;
      if (t.ticket) {
        t.ticket->ok = ok;
        t.ticket->done = true;
      }
      finished_.notifyAll();
    }
  }

  const size_t threadCount_;
  SlimLock mutex_;
  SlimCondition work_, finished_;  // a task waits; a task ended
  std::deque<Task> queue_;
  size_t busy_ = 0;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

namespace {

// Jobs whose temporary files may wait for their flushes at one time, and the
// threads flushing them.
constexpr size_t kJobsInFlight = 32;
constexpr size_t kReadWhole = 64 << 10;  // files up to this size are read, not mapped
constexpr size_t kFlushThreads = 16;

// The file's full path in upper case: two jobs on one name meet here.
std::string nameKey(const std::string& fileName) {
  char full[MAX_PATH * 2];
  DWORD n = ::GetFullPathNameA(fileName.c_str(), sizeof full, full, nullptr);
  std::string key = n && n < sizeof full ? std::string(full, n) : fileName;
  ::CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The file's number. The system's queries for whole identities also ask for the
// volume's serial number, which under wine costs more than a small job; the
// number alone is a read of the file's own record.
bool queryFileId(HANDLE file, TSnRFileId& out) {
  using Query = LONG(NTAPI*)(HANDLE, void* status, void* info, ULONG size, int infoClass);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
  const int fileInternalInformation = 6;
  ULONG_PTR status[2];
  LARGE_INTEGER number;
  if (query && query(file, status, &number, sizeof number, fileInternalInformation) >= 0) {
    out.Number = static_cast<uint64_t>(number.QuadPart);
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info)) return false;
  out.Number = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  return true;
}

}  // namespace

TSearchAndReplaceThread::TSearchAndReplaceThread() { reportBuffer_[0] = 0; }

TSearchAndReplaceThread::~TSearchAndReplaceThread() { terminateAndWait(); }

void TSearchAndReplaceThread::Init(HWND Wnd) {
  ReportWnd = Wnd;
  auto lock = LockTasks();
  Tasks.clear();
}

void TSearchAndReplaceThread::AddTask(std::unique_ptr<TSnRTast> Task) {
  if (!Task) return;
  auto lock = LockTasks();
  Tasks.push_back(std::move(Task));
}

std::unique_lock<std::recursive_mutex> TSearchAndReplaceThread::LockTasks() {
  return std::unique_lock<std::recursive_mutex>(tasksLock_);
}

int TSearchAndReplaceThread::TaskCount() {
  auto lock = LockTasks();
  return static_cast<int>(Tasks.size());
}

void TSearchAndReplaceThread::Report(WPARAM Kind, const std::string& Text) {
  if (!ReportWnd) return;
  const size_t n = std::min(Text.size(), sizeof reportBuffer_ - 1);
  std::memcpy(reportBuffer_, Text.data(), n);
  reportBuffer_[n] = 0;
  ::SendMessageA(ReportWnd, WM_SNRTHREAD, Kind, reinterpret_cast<LPARAM>(reportBuffer_));
}

void TSearchAndReplaceThread::ReportResult(const TSnRTast& Job, TSnRJobResult R) {
  if (!ReportWnd || Job.LogLevel <= llNone) return;
  const std::string strings = ShortenText(Job.SearchDisplay, 200) + " --> " + ShortenText(Job.ReplaceDisplay, 200);
  if (R < 0) {
    Report(SNRTHREAD_LOGLINE, Job.FileName);
    Report(SNRTHREAD_LOGLINE, strings + " : FAILED");
    Report(SNRTHREAD_LOGLINE, "");
  } else if (R > 0 || Job.LogLevel == llAllFiles) {
    Report(SNRTHREAD_LOGLINE, Job.FileName);
    Report(SNRTHREAD_LOGLINE, strings + " : " + std::to_string(R) + " replacements");
    Report(SNRTHREAD_LOGLINE, "");
  }
}

void TSearchAndReplaceThread::execute() {
  // Jobs are taken in order and stay in the queue until reported, so the main
  // thread's count includes every job in progress. While one job's temporary file
  // is being flushed, the next ones are read and written; each job's backup, rename
  // and report still follow those of the job before it, so files, backups and
  // result lines come out exactly as one job after the other would make them.
  if (!flushPool_) flushPool_.reset(new TSnRFlushPool(kFlushThreads));
  TSnRFlushPool& pool = *flushPool_;
  struct InFlight {
    TSnRTast* job;
    Rewrite rewrite;
    std::string key;
    std::shared_ptr<TSnRFlushPool::Ticket> flush;  // set while a temporary file waits
  };
  std::deque<InFlight> inFlight;
  auto taskAt = [this](size_t i) -> TSnRTast* {
    auto lock = LockTasks();
    return i < Tasks.size() ? Tasks[i].get() : nullptr;
  };
  auto dropHead = [this] {
    auto lock = LockTasks();
    Tasks.pop_front();
  };
  auto reportSkipped = [this](const TSnRTast& job) {
    Report(SNRTHREAD_LOGLINE, job.FileName);
    Report(SNRTHREAD_LOGLINE, job.SearchDisplay + " --> " + job.ReplaceDisplay + " : SKIPPED");
    Report(SNRTHREAD_LOGLINE, "");
  };
  // Finishes the oldest job in progress (Skip: removes its temporary file instead).
  auto completeOldest = [&](bool skip) {
    InFlight f = std::move(inFlight.front());
    inFlight.pop_front();
    TSnRJobResult r = f.rewrite.Result;
    if (f.flush) {
      pool.wait(*f.flush);
      if (skip || !f.flush->ok) {
        ops_->Delete(f.rewrite.TempName);
        r = srReplaceFailed;  // the new content did not reach the disk
      } else {
        try {
          r = Finish(f.job->FileName, f.rewrite.TempName, f.job->Backup, r);
        } catch (...) {
          r = srMapFailed;
        }
        pool.flushFolder(*ops_, folderOf(f.job->FileName));
      }
    }
    if (skip)
      reportSkipped(*f.job);
    else
      ReportResult(*f.job, r);
    dropHead();
    Report(SNRTHREAD_LOGLINE, "UPDATE");
  };
  auto drain = [&] {
    while (!inFlight.empty() && !terminated()) completeOldest(false);
  };
  // A job must not read a file that a job before it has yet to replace, nor one
  // of its backups.
  auto waitsForEarlier = [&](const std::string& key) {
    for (const InFlight& f : inFlight)
      if (f.flush && (key == f.key || (key.compare(0, f.key.size() + 1, f.key + ".") == 0 && endsWith(key, ".SNR_BAK"))))
        return true;
    return false;
  };
  const std::function<bool(const TSnRFileId&)> busy = [&](const TSnRFileId& id) {
    for (const InFlight& f : inFlight)
      if (f.flush && f.rewrite.Source == id) return true;
    return false;
  };

  while (!terminated()) {
    TSnRTast* job = taskAt(inFlight.size());
    if (!job) {
      if (!inFlight.empty()) {
        completeOldest(false);
      } else {
        pool.waitAll();  // the folders' flushes too, before the worker idles
        ::Sleep(10);
      }
      continue;
    }
    if (inFlight.size() >= kJobsInFlight) {
      completeOldest(false);
      continue;
    }
    std::string key = nameKey(job->FileName);
    if (waitsForEarlier(key)) {
      drain();
      continue;
    }
    InFlight f{job, Rewrite(), std::move(key), nullptr};
    try {
      const bool anyPending = std::any_of(inFlight.begin(), inFlight.end(), [](const InFlight& i) { return !!i.flush; });
      f.rewrite = Read(job->FileName, job->SearchBuf.data(), job->SearchLen, job->Mode, job->ReplaceBuf.data(),
                       job->ReplaceLen, anyPending ? busy : std::function<bool(const TSnRFileId&)>());
    } catch (...) {
      f.rewrite = Rewrite();
      f.rewrite.Result = srMapFailed;
    }
    if (f.rewrite.Busy) {
      drain();
      continue;
    }
    if (f.rewrite.Temp) f.flush = pool.flushFile(*ops_, std::move(f.rewrite.Temp));
    inFlight.push_back(std::move(f));
    while (!inFlight.empty() && !terminated() && (!inFlight.front().flush || pool.done(*inFlight.front().flush)))
      completeOldest(false);
  }
  // The job in progress ends normally; the ones read ahead of their turn count as
  // not begun: their temporary files go and their files stay untouched.
  if (!inFlight.empty()) completeOldest(false);
  while (!inFlight.empty()) completeOldest(true);
  pool.waitAll();
  while (TSnRTast* job = taskAt(0)) {
    reportSkipped(*job);
    dropHead();
    Report(SNRTHREAD_LOGLINE, "UPDATE");
  }
}

TSearchAndReplaceThread::Rewrite TSearchAndReplaceThread::Read(
    const std::string& FileName, const void* SearchBuf, int SearchLen, uint8_t Mode, const void* ReplaceBuf,
    int ReplaceLen, const std::function<bool(const TSnRFileId&)>& Busy) {
  Rewrite out;
  SearchLen = SearchBuf ? std::max(SearchLen, 0) : 0;
  ReplaceLen = ReplaceBuf ? std::max(ReplaceLen, 0) : 0;
  DebugOut(FileName + " Start");
  if (!fileExists(FileName)) {
    out.Result = srFileMissing;
    return out;
  }

  win::FileHandle file;
  win::KernelHandle mapping;
  win::MappedView view;
  std::vector<uint8_t> small;  // the content of a small file, in place of a view
  size_t size = 0;
  out.Result = srMapFailed;
  try {
    file.reset(::CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return out;  // locked against reading, or no access
    LARGE_INTEGER fileSize;
    if (!::GetFileSizeEx(file.get(), &fileSize)) return out;
    if (Busy) {
      if (!queryFileId(file.get(), out.Source)) return out;
      if (Busy(out.Source)) {
        out.Busy = true;
        return out;
      }
    }
    // The file is read through one view; one that cannot fit into the address space
    // fails whole rather than being processed in part.
    if (fileSize.QuadPart <= 0 || static_cast<uint64_t>(fileSize.QuadPart) > SIZE_MAX) return out;
    size = static_cast<size_t>(fileSize.QuadPart);
    if (size <= kReadWhole) {
      // A small file is read with one call: under wine a mapping and its view cost
      // twice the rest of opening and reading a small file.
      small.resize(size);
      DWORD got = 0;
      if (!::ReadFile(file.get(), small.data(), static_cast<DWORD>(size), &got, nullptr) || got == 0) return out;
      size = got;
    } else {
      mapping.reset(::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
      if (!mapping) return out;
      view.reset(ops_->MapView(mapping.get()));
      if (!view) return out;
    }
  } catch (...) {
    out.Result = srOpenFailed;
    return out;
  }

  const auto* begin = view ? static_cast<const uint8_t*>(view.get()) : small.data();
  const auto* end = begin + size;
  const std::string folder = folderOf(FileName);
  out.Result = srReplaceFailed;
  if (SearchLen > 0 && Mode <= smRegExpr) {
    try {
      TempOutput temp(*ops_, folder, begin, size);
      int count = srReplaceFailed;
      if (Mode == smRegExpr) {
        const std::string expr = textUpToNul(SearchBuf, SearchLen);
        if (!expr.empty()) {
          // Compiled and parsed once for all the file's runs.
          const TSnRRegExpr re(expr);
          const TSnRRegExpr::Template repl(textUpToNul(ReplaceBuf, ReplaceLen), true);
          count = ReplaceRegExprRuns(begin, end, re, repl, temp);
        }
      } else {
        count = ReplacePlain(begin, end, static_cast<const uint8_t*>(SearchBuf), static_cast<size_t>(SearchLen),
                             static_cast<const uint8_t*>(ReplaceBuf), static_cast<size_t>(ReplaceLen),
                             Mode == smIgnoreCase, temp);
      }
      // Only a job that replaced something needs its file: 0 matches leave none.
      // Its bytes may still all come from the view here.
      auto keep = [&] { out.Temp = temp.finish(true, out.TempName); };
      if (count > 0 && !snr::RunReadingView(begin, size, keep)) throw ViewReadError();
      out.Result = count;
    } catch (const ViewReadError&) {
      out.Result = srMapFailed;  // the temporary file is gone with its output object
    } catch (...) {
      out.Result = srReplaceFailed;
    }
  }
  return out;
}

TSnRJobResult TSearchAndReplaceThread::ProcessFile(const std::string& FileName, const void* SearchBuf,
                                                   int SearchLen, uint8_t Mode, const void* ReplaceBuf,
                                                   int ReplaceLen, bool Backup, int /*LogLevel*/) {
  Rewrite r;
  try {
    r = Read(FileName, SearchBuf, SearchLen, Mode, ReplaceBuf, ReplaceLen, nullptr);
  } catch (...) {
    return srMapFailed;
  }
  if (r.TempName.empty()) return r.Result;
  // The new content reaches the disk before any name points to it.
  const bool flushed = ops_->Flush(r.Temp.get());
  r.Temp.reset();
  if (!flushed) {
    ops_->Delete(r.TempName);
    return srReplaceFailed;
  }
  const TSnRJobResult result = Finish(FileName, r.TempName, Backup, r.Result);
  ops_->FlushFolder(folderOf(FileName));
  return result;
}

bool TSearchAndReplaceThread::MakeBackup(const std::string& FileName, std::string& Backup) {
  // A second name for the original: complete at once, and the file's own name is
  // never without content. The first free number is found by the link itself.
  for (unsigned n = 0;; ++n) {
    Backup = FileName + "." + std::to_string(n) + ".snr_bak";
    if (ops_->Link(FileName, Backup)) return true;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
  }
  // No links here: a copy, flushed, under a temporary name first, so that a backup
  // name never holds a part of the original.
  for (unsigned n = 0;; ++n) {
    Backup = FileName + "." + std::to_string(n) + ".snr_bak";
    if (!nameExists(Backup)) break;
  }
  std::string copyName;
  win::FileHandle copy = ops_->CreateTempFile(folderOf(FileName), "snr", copyName);
  if (!copy) return false;
  bool ok = true;
  {
    win::FileHandle in(::CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    ok = static_cast<bool>(in);
    std::vector<char> buf(1 << 20);
    DWORD got = 0;
    while (ok && (ok = ::ReadFile(in.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) != 0) && got)
      ok = ops_->Write(copy.get(), buf.data(), got);
  }
  ok = ok && ops_->Flush(copy.get());
  copy.reset();
  if (ok && ops_->Rename(copyName, Backup, false)) return true;
  ops_->Delete(copyName);
  return false;
}

TSnRJobResult TSearchAndReplaceThread::Finish(const std::string& FileName, const std::string& TempName,
                                              bool Backup, int Count) {
  if (Count <= 0) {
    if (!TempName.empty()) ops_->Delete(TempName);
    return Count;
  }
  try {
    std::string backup;
    if (Backup && !MakeBackup(FileName, backup)) {
      ops_->Delete(TempName);
      return srFinishFailed;
    }
    // One step: the name holds the old content up to here and the new one after it.
    if (!ops_->Rename(TempName, FileName, true)) {
      if (Backup) ops_->Delete(backup);  // the original is still in place
      ops_->Delete(TempName);
      return srFinishFailed;
    }
    if (Backup) Report(SNRTHREAD_BACKUPFILE, backup);
  } catch (...) {
    ops_->Delete(TempName);
    return srFinishFailed;
  }
  return Count;
}
