// Picture files made at test time: BMP files of every layout the library reads,
// icon files, and damaged variants of both.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qztest {

inline void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
inline void Patch32(std::string& s, size_t at, uint32_t v) {
  std::string four;
  Put32(four, v);
  s.replace(at, 4, four);
}

// Bytes that look random and are the same in every run.
inline std::string Noise(size_t n, uint32_t seed) {
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    s += static_cast<char>(seed >> 16);
  }
  return s;
}

struct BmpSpec {
  int headerSize = 40;   // 12 (core), 40, 52, 56, 108, 124
  int width = 0;
  int height = 0;        // negative: top-down
  int bpp = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> masks;   // red, green, blue: after a 40-byte header, else inside it
  std::string palette;           // the colour table as stored
  uint32_t colorsUsed = 0;
  std::string bits;              // empty: noise rows of the right size
  uint32_t gap = 0;              // bytes between the colour table and the pixels
};

inline uint32_t BmpStride(int width, int bpp) { return (static_cast<uint32_t>(width) * bpp + 31) / 32 * 4; }

// A packed DIB: info header, masks, colour table, pixels.
inline std::string PackedDib(const BmpSpec& b, std::string* headerOut = nullptr) {
  const int rows = b.height < 0 ? -b.height : b.height;
  const std::string bits = !b.bits.empty() ? b.bits : Noise(BmpStride(b.width, b.bpp) * rows, b.width * 31 + b.bpp);
  std::string h;
  if (b.headerSize == 12) {
    Put32(h, 12); Put16(h, b.width); Put16(h, b.height); Put16(h, 1); Put16(h, b.bpp);
  } else {
    Put32(h, b.headerSize); Put32(h, b.width); Put32(h, static_cast<uint32_t>(b.height)); Put16(h, 1);
    Put16(h, b.bpp); Put32(h, b.compression); Put32(h, static_cast<uint32_t>(bits.size()));
    Put32(h, 2835); Put32(h, 2835); Put32(h, b.colorsUsed); Put32(h, 0);
    if (b.headerSize > 40) {
      for (size_t i = 0; i < 3; ++i) Put32(h, i < b.masks.size() ? b.masks[i] : 0);
      h.resize(b.headerSize, '\0');
    } else {
      for (uint32_t m : b.masks) Put32(h, m);
    }
  }
  h += b.palette;
  if (headerOut) *headerOut = h;
  return h + std::string(b.gap, '\0') + bits;
}

// A BMP file; its pixel offset points at the pixels.
inline std::string BmpFile(const BmpSpec& b) {
  std::string header;
  const std::string dib = PackedDib(b, &header);
  std::string s = "BM";
  Put32(s, 14 + static_cast<uint32_t>(dib.size())); Put32(s, 0);
  Put32(s, 14 + static_cast<uint32_t>(header.size()) + b.gap);
  return s + dib;
}

inline std::string Bmp24(int width, int height) {
  BmpSpec b;
  b.width = width;
  b.height = height;
  return BmpFile(b);
}

// An icon file of one 32-bpp image; entryBytes and entryOffset replace what the
// directory says of it when not 0.
inline std::string IcoFile(int size, uint32_t entryBytes = 0, uint32_t entryOffset = 0) {
  std::string img;
  Put32(img, 40); Put32(img, size); Put32(img, 2 * size); Put16(img, 1); Put16(img, 32);
  Put32(img, 0); Put32(img, 0); Put32(img, 0); Put32(img, 0); Put32(img, 0); Put32(img, 0);
  img += Noise(static_cast<size_t>(size) * size * 4, 7);
  img += std::string(BmpStride(size, 1) * size, '\0');
  std::string s;
  Put16(s, 0); Put16(s, 1); Put16(s, 1);
  s += static_cast<char>(size & 0xFF); s += static_cast<char>(size & 0xFF); s += '\0'; s += '\0';
  Put16(s, 1); Put16(s, 32);
  Put32(s, entryBytes ? entryBytes : static_cast<uint32_t>(img.size()));
  Put32(s, entryOffset ? entryOffset : 22);
  return s + img;
}

struct NamedBytes {
  std::string name;
  std::string bytes;
};

// Files that exist but cannot be read as pictures of their kind.
inline std::vector<NamedBytes> DamagedPictures() {
  std::vector<NamedBytes> files;
  files.push_back({"cut-download.bmp", Bmp24(400, 300).substr(0, 8192)});
  files.push_back({"cut-short.bmp", Bmp24(64, 64).substr(0, 100)});
  std::string offset = Bmp24(64, 64);
  Patch32(offset, 10, 1000000);
  files.push_back({"offset-past-end.bmp", offset});
  BmpSpec palette;
  palette.width = 16, palette.height = 16, palette.bpp = 8, palette.colorsUsed = 256;
  palette.palette = Noise(256 * 4, 3);
  files.push_back({"palette-cut.bmp", BmpFile(palette).substr(0, 14 + 40 + 500)});
  std::string bitCount = Bmp24(8, 8);
  bitCount[28] = 7;
  files.push_back({"bit-count-7.bmp", bitCount});
  for (uint32_t compression : {1u, 4u, 5u, 99u}) {   // RLE8 of 24 bpp, JPEG, PNG, unknown
    std::string c = Bmp24(8, 8);
    Patch32(c, 30, compression);
    files.push_back({"compression-" + std::to_string(compression) + ".bmp", c});
  }
  std::string header = Bmp24(8, 8);
  Patch32(header, 14, 20);
  files.push_back({"header-size-20.bmp", header});
  std::string huge = Bmp24(8, 8);
  Patch32(huge, 18, 100000);
  files.push_back({"width-100000.bmp", huge});
  std::string zero = Bmp24(8, 8);
  Patch32(zero, 22, 0);
  files.push_back({"height-0.bmp", zero});
  BmpSpec rle;
  rle.width = 8, rle.height = 8, rle.bpp = 8, rle.compression = 1, rle.palette = Noise(1024, 5);
  rle.bits = std::string("\x00\x05\x01\x02", 4);   // a literal run of five with one byte there
  files.push_back({"rle-cut.bmp", BmpFile(rle)});
  files.push_back({"header-only.bmp", Bmp24(8, 8).substr(0, 30)});
  files.push_back({"icon-past-end.ico", IcoFile(32, 0, 5000)});
  files.push_back({"icon-cut.ico", IcoFile(32).substr(0, 300)});
  files.push_back({"icon-too-long.ico", IcoFile(32, 100000)});
  return files;
}

}  // namespace qztest
