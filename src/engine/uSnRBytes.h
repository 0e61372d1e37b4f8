// Small byte helpers the engine's hot loops share.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace snr {

// Copies the pieces between matches without a call into the runtime's memcpy (slow
// for pieces under a few KiB), with overlapping moves of fixed size. Plain code on
// purpose: inlined into the SSE2 loops that call it, the compiler makes the 16- and
// 8-byte moves single vector moves.
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

inline bool hasSse2() {
  static const bool yes = ::IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != 0;
  return yes;
}

}  // namespace snr
