// A 32-bpp top-down DIB section with its own memory DC and canvas. Pixels are
// BGRX in memory (the COLORREF byte order reversed); row r starts at
// bits() + r * width(). A bitmap of size 0 x 0 has no DC and no canvas.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include "win/Canvas.h"
#include "win/Handles.h"

namespace win {

class DibBitmap {
public:
  DibBitmap() = default;
  DibBitmap(int width, int height);
  ~DibBitmap();
  DibBitmap(const DibBitmap&) = delete;
  DibBitmap& operator=(const DibBitmap&) = delete;

  // New size; contents are cleared to black (0). False when GDI refuses.
  bool setSize(int width, int height);
  int width() const { return w_; }
  int height() const { return h_; }
  bool empty() const { return w_ <= 0 || h_ <= 0; }

  HDC dc() const { return dc_.get(); }             // nullptr when empty
  HBITMAP handle() const { return static_cast<HBITMAP>(bmp_.get()); }
  Canvas* canvas() { return canvas_.get(); }        // nullptr when empty

  uint32_t* bits() { return bits_; }
  const uint32_t* bits() const { return bits_; }
  // COLORREF of a pixel; CLR_INVALID outside. Flushes pending GDI drawing.
  COLORREF pixel(int x, int y) const;
  void setPixel(int x, int y, COLORREF c);
  void fill(COLORREF c);

private:
  void release();
  int w_ = 0, h_ = 0;
  uint32_t* bits_ = nullptr;
  MemDc dc_;
  GdiObject bmp_;
  HGDIOBJ oldBmp_ = nullptr;
  std::unique_ptr<Canvas> canvas_;
};

}  // namespace win
