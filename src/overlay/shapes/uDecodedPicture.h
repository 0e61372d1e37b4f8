// A picture as the decoders deliver it, and the whole-file read every picture
// file starts with: decoders work on bounded buffers only.
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

// Whole file into memory, refusing files above kMaxPictureFileBytes.
bool ReadWholeFile(const std::string& FileName, std::vector<uint8_t>& Data, std::string& Error);
