// A picture anchored at its point, drawn with one colour treated as
// transparent; its region follows the non-transparent pixels. The common base
// of the text and the bitmap shapes.
#pragma once
#include <memory>
#include <stdexcept>
#include "uScreenSinglePoint.h"
#include "win/DibBitmap.h"

// A picture that cannot be had: an existing picture file that cannot be
// decoded (corrupt, truncated, too large) or a picture the system has no
// memory for. The shape keeps its previous picture.
class EPictureError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TScreenImage : public TScreenSinglePoint {
public:
  TScreenImage();
  ~TScreenImage() override;

  COLORREF TransparentColor = RGB(255, 0, 255);
  bool UseTransparentColor = false;
  uint8_t HorzAlign = 1;   // 0: point is the left edge, 1: the centre, 2: the right edge
  uint8_t VertAlign = 1;   // 0: top edge, 1: centre, 2: bottom edge
  std::unique_ptr<win::DibBitmap> Bitmap;   // none until a picture is set; may be 0 x 0
  int32_t DragOffsetX = 0;
  int32_t DragOffsetY = 0;

  bool IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) override;
  bool HitTest(POINT pt) override;
  bool BeginDrag(uint8_t mode, int32_t x, int32_t y) override;
  bool EndDrag() override;
  bool AddPoint(int32_t x, int32_t y) override;   // clamped to the desktop
  bool DragTo(int32_t x, int32_t y) override;
  std::string GetMeasureText() override;          // empty
  void UpdateBounds() override;                   // the picture rectangle grown by 10
  bool LoadFromIni(const std::string& iniFile, const std::string& section,
                   IOverlayForm* overlay) override;
  void SaveToIni(const std::string& iniFile, const std::string& section,
                 TStringVector* fileList) override;
  void SetOwnWindow(bool value) override;
  void MoveBy(double dx, double dy) override;
  HRGN Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) override;

  // The shape keeps its own copy; the caller keeps the source. Throws
  // EPictureError when the copy cannot be made (the old picture stays).
  void SetBitmap(const win::DibBitmap& source);
  void SetTransparentColor(COLORREF color);   // also sets UseTransparentColor
  // Keep the picture where it is while the anchor changes.
  void SetHorzAlign(uint8_t value);
  void SetVertAlign(uint8_t value);
  void ClampToDesktop(int32_t& x, int32_t& y) const;
  void DropRegionCache();
  // Top-left corner of the picture on the overlay for the current anchor.
  POINT PictureOrigin() const;

private:
  // Pixel region of the picture in overlay coordinates with the picture's
  // top-left corner at PixelCacheOrigin, kept until the picture or its colour
  // key changes and moved along when the picture moves by any means. Region
  // gets a copy at every Draw, so an own window's shifting of Region never
  // reaches it.
  win::Region PixelCache;
  POINT PixelCacheOrigin{0, 0};
};
