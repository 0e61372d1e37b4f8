// Where a matcher writes the rewritten bytes: the temporary file of a job, or a
// buffer in memory (the matchers themselves touch no file).
#pragma once
#include <cstddef>
#include <cstdint>

class TSnROutput {
public:
  virtual ~TSnROutput() = default;
  // Appends Size bytes.
  virtual void put(const void* Data, size_t Size) = 0;
  // Writes the text from From up to each hit (ascending, not overlapping) followed
  // by the replacement, and returns the end of the last hit, Len bytes past it. The
  // text may be read up to Readable.
  virtual const uint8_t* putHits(const uint8_t* From, const uint8_t* const* Hits, size_t N, size_t Len,
                                 const uint8_t* Repl, size_t ReplLen, const uint8_t* Readable) = 0;
};
