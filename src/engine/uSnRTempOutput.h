// The temporary file of one job, written through a buffer so that unmatched bytes
// never cost a write call each. Once a first buffer is full, full buffers are
// written in the background while the other one fills. Raises std::runtime_error
// when a write fails.
// The file is made only when it is needed: as long as every piece handed over is
// the input's own bytes at the place reached so far, the pieces are only counted,
// so a file without a match is read and nothing is written. The first other piece
// makes the file and writes the input's bytes before it from the view.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "uSnRBytes.h"
#include "uSnRFileOps.h"
#include "uSnROutput.h"
#include "win/Handles.h"

class TSnRBackgroundWriter;

class TSnRTempOutput : public TSnROutput {
public:
  // Input: the view being rewritten; its size also sizes the buffer, since a small
  // file's time is mostly that of setting its output up.
  TSnRTempOutput(TSnRFileOps& ops, const std::wstring& folder, const uint8_t* input, size_t inputSize);
  ~TSnRTempOutput() override;
  TSnRTempOutput(const TSnRTempOutput&) = delete;
  TSnRTempOutput& operator=(const TSnRTempOutput&) = delete;

  // Inline for the usual short piece; long ones go past the buffer.
  void put(const void* data, size_t size) override {
    if (!file_) {
      if (data == input_ + same_ || !size) {
        same_ += size;
        return;
      }
      open();
    }
    if (size <= buffer_.size() - used_ && size < kDirect) {
      snr::copyBytes(buffer_.data() + used_, static_cast<const char*>(data), size);
      used_ += size;
    } else {
      putLong(static_cast<const char*>(data), size);
    }
  }
  // A short piece is copied as one block of fixed size, with no branch on its
  // length (the bytes past its end are overwritten by the next piece, or never
  // written).
  const uint8_t* putHits(const uint8_t* from, const uint8_t* const* hits, size_t n, size_t len,
                         const uint8_t* repl, size_t replLen, const uint8_t* readable) override;
  // Needed: the job made replacements, so the file must exist even when its bytes
  // equal the input's. Writes what is left and hands over the file, open for its
  // flush, with its name; an invalid handle when no file is needed.
  win::FileHandle finish(bool needed, std::wstring& name);

private:
  static constexpr size_t kBufferSize = 1 << 20, kMinBuffer = 64 << 10;
  static constexpr size_t kBuffers = 16;  // besides the one being filled: room for the scan while a flush waits
  // Pieces this long (the unmatched stretches of a file with few matches) are written
  // straight from the view: copying them through the buffer would only add a pass.
  static constexpr size_t kDirect = 64 << 10;
  static constexpr size_t kBlock = 128;

  // The buffer's place is kept in a local pointer: stores through it may alias
  // anything, which would otherwise reload the members after every piece.
  __attribute__((always_inline)) const uint8_t* putHitsInline(const uint8_t* from, const uint8_t* const* hits,
                                                              size_t n, size_t len, const uint8_t* repl,
                                                              size_t replLen, const uint8_t* readable);
  // The batch writers, one with SSE2 moves, one for processors without.
  const uint8_t* putHitsSse2(const uint8_t* from, const uint8_t* const* hits, size_t n, size_t len,
                             const uint8_t* repl, size_t replLen, const uint8_t* readable);
  const uint8_t* putHitsPlain(const uint8_t* from, const uint8_t* const* hits, size_t n, size_t len,
                              const uint8_t* repl, size_t replLen, const uint8_t* readable);
  // Makes the file and writes the input's bytes counted so far.
  void open();
  void putLong(const char* p, size_t size);
  bool fromInput(const char* p, size_t n) const;
  void flush();
  TSnRBackgroundWriter& writer();
  void write(const void* data, size_t size);

  TSnRFileOps& ops_;
  const std::wstring folder_;
  const uint8_t* const input_;
  const size_t inputSize_;
  size_t same_ = 0;  // input bytes handed over unchanged before the file exists
  std::wstring name_;
  win::FileHandle file_;
  std::vector<char> buffer_;
  std::vector<std::vector<char>> ring_;  // the buffers handed to the writer, oldest at next_
  size_t next_ = 0;
  size_t used_ = 0;
  bool kept_ = false;
  std::unique_ptr<TSnRBackgroundWriter> writer_;
};
