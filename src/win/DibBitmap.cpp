#include "win/DibBitmap.h"
#include <algorithm>

namespace win {

DibBitmap::DibBitmap(int width, int height) { setSize(width, height); }

DibBitmap::~DibBitmap() { release(); }

void DibBitmap::release() {
  canvas_.reset();
  if (dc_ && oldBmp_) ::SelectObject(dc_.get(), oldBmp_);
  oldBmp_ = nullptr;
  bmp_.reset();
  dc_.reset();
  bits_ = nullptr;
  w_ = h_ = 0;
}

bool DibBitmap::setSize(int width, int height) {
  release();
  if (width <= 0 || height <= 0) return width == 0 || height == 0;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;   // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject bmp(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemDc dc(::CreateCompatibleDC(nullptr));
  if (!bmp || !dc || !bits) return false;
  oldBmp_ = ::SelectObject(dc.get(), bmp.get());
  bmp_ = std::move(bmp);
  dc_ = std::move(dc);
  bits_ = static_cast<uint32_t*>(bits);
  w_ = width;
  h_ = height;
  std::fill(bits_, bits_ + static_cast<size_t>(w_) * h_, 0u);
  canvas_ = std::make_unique<Canvas>(dc_.get());
  return true;
}

static uint32_t toBgr(COLORREF c) {
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

COLORREF DibBitmap::pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= w_ || y >= h_) return CLR_INVALID;
  ::GdiFlush();
  uint32_t v = bits_[static_cast<size_t>(y) * w_ + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void DibBitmap::setPixel(int x, int y, COLORREF c) {
  if (!bits_ || x < 0 || y < 0 || x >= w_ || y >= h_) return;
  ::GdiFlush();
  bits_[static_cast<size_t>(y) * w_ + x] = toBgr(c);
}

void DibBitmap::fill(COLORREF c) {
  if (!bits_) return;
  ::GdiFlush();
  std::fill(bits_, bits_ + static_cast<size_t>(w_) * h_, toBgr(c));
}

}  // namespace win
