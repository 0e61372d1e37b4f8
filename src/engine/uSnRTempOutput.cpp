#include "uSnRTempOutput.h"
#include "uSnRViewGuard.h"
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

// Writes blocks to a file on a thread of its own, one block at a time, so that the
// write calls (copying into the system's file cache) overlap the scan. Raises
// std::runtime_error from submit or wait once a write has failed; later blocks are
// then not written.
class TSnRBackgroundWriter {
public:
  // At most MaxPending blocks are queued or being written at a time.
  TSnRBackgroundWriter(TSnRFileOps& ops, HANDLE file, size_t maxPending)
      : ops_(ops), file_(file), maxPending_(maxPending), thread_([this] { run(); }) {}
  ~TSnRBackgroundWriter() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  TSnRBackgroundWriter(const TSnRBackgroundWriter&) = delete;
  TSnRBackgroundWriter& operator=(const TSnRBackgroundWriter&) = delete;

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

TSnRTempOutput::TSnRTempOutput(TSnRFileOps& ops, const std::wstring& folder, const uint8_t* input, size_t inputSize)
    : ops_(ops), folder_(folder), input_(input), inputSize_(inputSize) {}

TSnRTempOutput::~TSnRTempOutput() {
  writer_.reset();
  file_.reset();
  if (!kept_ && !name_.empty()) ops_.Delete(name_);
}

inline const uint8_t* TSnRTempOutput::putHitsInline(const uint8_t* from, const uint8_t* const* hits, size_t n,
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
        snr::copyBytes(d, reinterpret_cast<const char*>(from), gap);
      }
      d += gap;
      snr::copyBytes(d, reinterpret_cast<const char*>(repl), replLen);
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

__attribute__((noinline, target("sse2"))) const uint8_t* TSnRTempOutput::putHitsSse2(
    const uint8_t* from, const uint8_t* const* hits, size_t n, size_t len, const uint8_t* repl, size_t replLen,
    const uint8_t* readable) {
  return putHitsInline(from, hits, n, len, repl, replLen, readable);
}

__attribute__((noinline)) const uint8_t* TSnRTempOutput::putHitsPlain(const uint8_t* from,
                                                                      const uint8_t* const* hits, size_t n,
                                                                      size_t len, const uint8_t* repl,
                                                                      size_t replLen, const uint8_t* readable) {
  return putHitsInline(from, hits, n, len, repl, replLen, readable);
}

const uint8_t* TSnRTempOutput::putHits(const uint8_t* from, const uint8_t* const* hits, size_t n, size_t len,
                                       const uint8_t* repl, size_t replLen, const uint8_t* readable) {
  static const bool sse2 = snr::hasSse2();
  return sse2 ? putHitsSse2(from, hits, n, len, repl, replLen, readable)
              : putHitsPlain(from, hits, n, len, repl, replLen, readable);
}

win::FileHandle TSnRTempOutput::finish(bool needed, std::wstring& name) {
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

__attribute__((noinline)) void TSnRTempOutput::open() {
  file_ = ops_.CreateTempFile(folder_, L"snr", name_);
  if (!file_) throw std::runtime_error("cannot create the temporary file");
  buffer_.resize(std::min(kBufferSize, std::max(inputSize_, kMinBuffer)));
  const size_t same = same_;
  same_ = 0;
  if (same) put(input_, same);
}

__attribute__((noinline)) void TSnRTempOutput::putLong(const char* p, size_t size) {
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
        if (fromInput(p, n) && !snr::CanReadView(p, n)) throw snr::ViewReadError();
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

bool TSnRTempOutput::fromInput(const char* p, size_t n) const {
  const char* in = reinterpret_cast<const char*>(input_);
  return p >= in && n <= inputSize_ && static_cast<size_t>(p - in) <= inputSize_ - n;
}

// Hands the buffer to the writer and goes on with the oldest of the others, which
// the writer is done with once submit returns.
void TSnRTempOutput::flush() {
  if (!used_) return;
  writer().submit(buffer_.data(), used_);
  std::swap(buffer_, ring_[next_]);  // the oldest: written by now
  next_ = (next_ + 1) % kBuffers;
  used_ = 0;
}

TSnRBackgroundWriter& TSnRTempOutput::writer() {
  if (!writer_) {  // the output outgrew one buffer: a large file
    ring_.assign(kBuffers, std::vector<char>(buffer_.size()));
    writer_.reset(new TSnRBackgroundWriter(ops_, file_.get(), kBuffers));
  }
  return *writer_;
}

void TSnRTempOutput::write(const void* data, size_t size) {
  if (!ops_.Write(file_.get(), data, static_cast<DWORD>(size)))
    throw std::runtime_error("cannot write the temporary file");
}
