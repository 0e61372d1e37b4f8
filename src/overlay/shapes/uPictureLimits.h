// Limits on the pictures the shapes hold. Larger ones are refused before any
// pixel memory is taken: a hostile file or a giant font must not exhaust the
// 32-bit process.
#pragma once

constexpr int kMaxPictureSide = 16384;
constexpr long long kMaxPicturePixels = 64LL * 1024 * 1024;
// Whole-file cap for encoded pictures read into memory.
constexpr long long kMaxPictureFileBytes = 256LL * 1024 * 1024;

inline bool PictureSizeAllowed(long long w, long long h) {
  return w > 0 && h > 0 && w <= kMaxPictureSide && h <= kMaxPictureSide &&
         w * h <= kMaxPicturePixels;
}
