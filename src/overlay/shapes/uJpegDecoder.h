// JPEG decoding for picture shapes. A corrupt, truncated or oversized file
// fails that one picture and never ends the process.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "uPictureLimits.h"


struct TDecodedPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;   // top-down rows, 3 bytes R, G, B per pixel, no padding
};

// True and Out filled on success; false with a reason in Error otherwise
// (Out is then left empty).
bool DecodeJpegMemory(const uint8_t* Data, size_t Size, TDecodedPicture& Out, std::string& Error);
bool DecodeJpegFile(const std::string& FileName, TDecodedPicture& Out, std::string& Error);

// Whole file into memory, refusing files above kMaxPictureFileBytes.
bool ReadWholeFile(const std::string& FileName, std::vector<uint8_t>& Data, std::string& Error);
