#include "uBmpDecoder.h"

#include <algorithm>
#include <new>

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

// Little-endian values at a place the caller has checked to lie in the buffer.
uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

bool Fail(std::string& error, const char* why) {
  error = why;
  return false;
}

// One colour channel of a 16- or 32-bit pixel.
struct TChannel {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;
};

// False for a mask whose bits are not one run.
bool MakeChannel(uint32_t mask, TChannel& c) {
  c = TChannel{mask, 0, 0};
  if (!mask) return true;
  while (!(mask >> c.shift & 1)) ++c.shift;
  const uint32_t bits = mask >> c.shift;
  if (bits & (bits + 1)) return false;
  while (c.width < 32 && (bits >> c.width & 1)) ++c.width;
  return true;
}

// The channel as 8 bits; a narrower one repeats its bits downwards, as GDI does.
uint32_t Channel(uint32_t pixel, const TChannel& c) {
  if (!c.width) return 0;
  const uint32_t v = (pixel & c.mask) >> c.shift;
  if (c.width >= 8) return v >> (c.width - 8);
  uint32_t r = 0;
  for (int pos = 8 - c.width; pos > -c.width; pos -= c.width) r |= pos >= 0 ? v << pos : v >> -pos;
  return r & 0xFF;
}

struct TDib {
  int width = 0;
  int height = 0;   // rows, whatever their order
  bool topDown = false;
  int bpp = 0;
  uint32_t compression = kRgb;
  uint32_t sizeImage = 0;
  TChannel channels[3];            // red, green, blue
  std::vector<uint32_t> palette;   // 0x00RRGGBB
  uint64_t headerBytes = 0;        // info header, masks and colour table

  uint32_t Color(uint32_t index) const { return index < palette.size() ? palette[index] : 0; }
  uint32_t FromMasks(uint32_t pixel) const {
    return Channel(pixel, channels[0]) << 16 | Channel(pixel, channels[1]) << 8 | Channel(pixel, channels[2]);
  }
  uint64_t Stride() const { return (uint64_t(width) * bpp + 31) / 32 * 4; }
};

// The info header, the colour masks and the colour table at p, n bytes there.
bool ReadHeader(const uint8_t* p, uint64_t n, TDib& dib, std::string& error) {
  if (n < 4) return Fail(error, "bitmap header cut short");
  const uint32_t size = U32(p);
  const bool core = size == 12;
  if (!core && size != 40 && size != 52 && size != 56 && size != 108 && size != 124)
    return Fail(error, "unknown bitmap header");
  if (n < size) return Fail(error, "bitmap header cut short");
  int64_t w, h;
  uint32_t planes, colorsUsed = 0;
  if (core) {
    w = U16(p + 4);
    h = U16(p + 6);
    planes = U16(p + 8);
    dib.bpp = static_cast<int>(U16(p + 10));
  } else {
    w = static_cast<int32_t>(U32(p + 4));
    h = static_cast<int32_t>(U32(p + 8));
    planes = U16(p + 12);
    dib.bpp = static_cast<int>(U16(p + 14));
    dib.compression = U32(p + 16);
    dib.sizeImage = U32(p + 20);
    colorsUsed = U32(p + 32);
  }
  const int bpp = dib.bpp;
  const uint32_t c = dib.compression;
  if (planes != 1) return Fail(error, "bitmap of more than one plane");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    return Fail(error, "unsupported bit count");
  const bool rle = c == kRle8 || c == kRle4;
  if (!(c == kRgb || (c == kRle8 && bpp == 8) || (c == kRle4 && bpp == 4) ||
        (c == kBitFields && (bpp == 16 || bpp == 32))))
    return Fail(error, "unsupported compression");
  dib.topDown = h < 0;
  if (dib.topDown) h = -h;
  if (dib.topDown && rle) return Fail(error, "top-down bitmap with RLE");
  if (!PictureSizeAllowed(w, h)) return Fail(error, "picture dimensions out of range");
  dib.width = static_cast<int>(w);
  dib.height = static_cast<int>(h);

  uint64_t at = size;
  uint32_t masks[3] = {0, 0, 0};
  if (c == kBitFields) {
    const uint64_t from = size == 40 ? at : 40;   // after a plain info header, else inside it
    if (n < from + 12) return Fail(error, "colour masks cut short");
    for (int i = 0; i < 3; ++i) masks[i] = U32(p + from + 4 * i);
    if (size == 40) at += 12;
  } else if (bpp == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bpp == 32) {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }
  for (int i = 0; i < 3; ++i)
    if (!MakeChannel(masks[i], dib.channels[i])) return Fail(error, "bad colour mask");

  // The table: entries of 3 bytes after a core header, else 4; deeper pictures
  // may carry one they do not index.
  const uint64_t entry = core ? 3 : 4;
  uint64_t stored = colorsUsed;
  if (bpp <= 8 && (core || stored == 0)) stored = uint64_t(1) << bpp;
  if (stored > 256) return Fail(error, "colour table too large");
  if (n < at + stored * entry) return Fail(error, "colour table cut short");
  if (bpp <= 8) {
    const uint64_t used = std::min<uint64_t>(stored, uint64_t(1) << bpp);
    for (uint64_t k = 0; k < used; ++k) {
      const uint8_t* q = p + at + k * entry;
      dib.palette.push_back(uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0]);
    }
  }
  dib.headerBytes = at + stored * entry;
  return true;
}

void Put(TDecodedPicture& out, int64_t x, int64_t row, uint32_t rgb) {
  uint8_t* px = out.Rgb.data() + (static_cast<size_t>(row) * out.Width + static_cast<size_t>(x)) * 3;
  px[0] = static_cast<uint8_t>(rgb >> 16);
  px[1] = static_cast<uint8_t>(rgb >> 8);
  px[2] = static_cast<uint8_t>(rgb);
}

void DecodeRows(const uint8_t* bits, const TDib& dib, TDecodedPicture& out) {
  const uint64_t stride = dib.Stride();
  for (int y = 0; y < dib.height; ++y) {
    const uint8_t* row = bits + stride * y;
    const int top = dib.topDown ? y : dib.height - 1 - y;
    for (int x = 0; x < dib.width; ++x) {
      uint32_t rgb;
      switch (dib.bpp) {
        case 1: rgb = dib.Color(row[x >> 3] >> (7 - (x & 7)) & 1); break;
        case 4: rgb = dib.Color(x & 1 ? row[x >> 1] & 15 : row[x >> 1] >> 4); break;
        case 8: rgb = dib.Color(row[x]); break;
        case 16: rgb = dib.FromMasks(U16(row + 2 * x)); break;
        case 24: rgb = uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x]; break;
        default: rgb = dib.FromMasks(U32(row + 4 * x)); break;
      }
      Put(out, x, top, rgb);
    }
  }
}

// Runs of one or two colour indexes, literal runs, line ends and jumps, bottom
// row first. A run may reach past its row or a jump past the picture: what
// lies outside is dropped, and every pixel is written once at the most.
bool DecodeRle(const uint8_t* d, uint64_t n, const TDib& dib, TDecodedPicture& out,
               std::string& error) {
  const bool four = dib.compression == kRle4;
  const int64_t w = dib.width, h = dib.height;
  // Pixels no run covers keep colour 0, as in a cleared picture of the format.
  for (int64_t row = 0; row < h; ++row)
    for (int64_t x = 0; x < w; ++x) Put(out, x, row, dib.Color(0));
  int64_t x = 0, y = 0;
  uint64_t i = 0;
  auto run = [&](uint32_t count, auto index) {
    const int64_t visible = y < h && x < w ? std::min<int64_t>(count, w - x) : 0;
    for (int64_t k = 0; k < visible; ++k) Put(out, x + k, h - 1 - y, dib.Color(index(static_cast<uint32_t>(k))));
    x += count;
  };
  while (i + 2 <= n && y < h) {
    const uint32_t count = d[i], value = d[i + 1];
    i += 2;
    if (count > 0) {
      run(count, [&](uint32_t k) { return four ? (k & 1 ? value & 15 : value >> 4) : value; });
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (i + 2 > n) return Fail(error, "pixel data cut short");
      x += d[i];
      y += d[i + 1];
      i += 2;
    } else {
      const uint64_t bytes = four ? (value + 1) / 2 : value;
      if (i + bytes > n) return Fail(error, "pixel data cut short");
      const uint8_t* literal = d + i;
      run(value, [&](uint32_t k) { return four ? (k & 1 ? literal[k / 2] & 15 : literal[k / 2] >> 4) : literal[k]; });
      i += (bytes + 1) & ~uint64_t(1);   // literal runs are padded to whole words
    }
  }
  return true;   // the data ended without its end mark: what came is the picture
}

bool DecodePixels(const uint8_t* bits, uint64_t available, const TDib& dib, TDecodedPicture& out,
                  std::string& error) {
  const bool rle = dib.compression == kRle8 || dib.compression == kRle4;
  uint64_t length = available;
  if (rle) {
    if (dib.sizeImage > available) return Fail(error, "pixel data cut short");
    if (dib.sizeImage) length = dib.sizeImage;
  } else if (dib.Stride() * dib.height > available) {
    return Fail(error, "pixel data cut short");
  }
  try {
    out.Rgb.assign(static_cast<size_t>(dib.width) * dib.height * 3, 0);
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory for the picture");
  }
  out.Width = dib.width;
  out.Height = dib.height;
  if (rle && !DecodeRle(bits, length, dib, out, error)) return false;
  if (!rle) DecodeRows(bits, dib, out);
  return true;
}

bool Decode(const uint8_t* data, uint64_t size, uint64_t header, uint64_t pixelOffset, TDecodedPicture& out,
            std::string& error) {
  TDib dib;
  if (!ReadHeader(data + header, size - header, dib, error)) return false;
  const uint64_t bits = pixelOffset ? pixelOffset : header + dib.headerBytes;
  if (bits > size) return Fail(error, "pixel offset past the end");
  return DecodePixels(data + bits, size - bits, dib, out, error);
}

}  // namespace

bool DecodeBmpFile(const uint8_t* Data, size_t Size, TDecodedPicture& Out, std::string& Error) {
  Out = TDecodedPicture();
  if (!Data || Size < 14 || Data[0] != 'B' || Data[1] != 'M') return Fail(Error, "not a bitmap file");
  // An offset of 0 (written by some programs) means: right after the colour table.
  if (!Decode(Data, Size, 14, U32(Data + 10), Out, Error)) {
    Out = TDecodedPicture();
    return false;
  }
  return true;
}

bool DecodePackedDib(const uint8_t* Data, size_t Size, TDecodedPicture& Out, std::string& Error) {
  Out = TDecodedPicture();
  if (!Data || !Decode(Data, Size, 0, 0, Out, Error)) {
    if (!Data) Error = "no bitmap data";
    Out = TDecodedPicture();
    return false;
  }
  return true;
}

bool IconDibFits(const uint8_t* Data, size_t Size, std::string& Error) {
  TDib dib;
  if (!Data || !ReadHeader(Data, Size, dib, Error)) return false;
  if (dib.compression != kRgb && dib.compression != kBitFields) return Fail(Error, "unsupported compression");
  const uint64_t rows = static_cast<uint64_t>(dib.height) / 2;
  const uint64_t maskStride = (static_cast<uint64_t>(dib.width) + 31) / 32 * 4;
  if (dib.headerBytes + (dib.Stride() + maskStride) * rows > Size) return Fail(Error, "icon image cut short");
  return true;
}
