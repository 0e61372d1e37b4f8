#include "win/Canvas.h"

namespace win {

bool Font::operator==(const Font& o) const {
  return name == o.name && size == o.size && height == o.height && color == o.color &&
         bold == o.bold && italic == o.italic && underline == o.underline &&
         strikeOut == o.strikeOut && charset == o.charset;
}

Canvas::Canvas(HDC dc) : dc_(dc), saved_(dc ? ::SaveDC(dc) : 0) {}

Canvas::~Canvas() {
  // Put the DC's own objects back before ours are deleted.
  if (dc_ && saved_) ::RestoreDC(dc_, saved_);
}

void Canvas::setPenColor(COLORREF c) {
  if (c != penColor_) { penColor_ = c; penDirty_ = true; }
}
void Canvas::setPenWidth(int w) {
  if (w < 1) w = 1;
  if (w != penWidth_) { penWidth_ = w; penDirty_ = true; }
}
void Canvas::setBrushColor(COLORREF c) {
  if (c != brushColor_) { brushColor_ = c; brushDirty_ = true; }
}
void Canvas::setBrushStyle(BrushStyle s) {
  if (s != brushStyle_) { brushStyle_ = s; brushDirty_ = true; }
}
void Canvas::setFont(const Font& f) {
  if (f != font_) { font_ = f; fontDirty_ = true; }
}
void Canvas::setFontColor(COLORREF c) { font_.color = c; }
void Canvas::setBackgroundMode(BackgroundMode m) { bkMode_ = m; }

void Canvas::realisePen() {
  if (!penDirty_ || !dc_) return;
  GdiObject pen(::CreatePen(PS_SOLID, penWidth_, penColor_));
  if (!pen) return;
  ::SelectObject(dc_, pen.get());
  pen_ = std::move(pen);   // the old pen is deselected before it is deleted
  penDirty_ = false;
}

void Canvas::realiseBrush() {
  if (!brushDirty_ || !dc_) return;
  GdiObject brush(brushStyle_ == BrushStyle::Solid ? ::CreateSolidBrush(brushColor_)
                                                   : ::GetStockObject(NULL_BRUSH));
  if (!brush) return;
  ::SelectObject(dc_, brush.get());
  if (brushStyle_ == BrushStyle::Clear) brush.release();   // stock objects are not deleted
  brush_ = std::move(brush);
  brushDirty_ = false;
}

void Canvas::realiseFont() {
  if (!dc_) return;
  if (fontDirty_) {
    LOGFONTA lf{};
    int height = font_.height;
    if (height == 0) height = -::MulDiv(font_.size, ::GetDeviceCaps(dc_, LOGPIXELSY), 72);
    lf.lfHeight = height;
    lf.lfWeight = font_.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font_.italic;
    lf.lfUnderline = font_.underline;
    lf.lfStrikeOut = font_.strikeOut;
    lf.lfCharSet = font_.charset;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, font_.name.c_str(), LF_FACESIZE);
    GdiObject f(::CreateFontIndirectA(&lf));
    if (f) {
      ::SelectObject(dc_, f.get());
      fontObj_ = std::move(f);
      fontDirty_ = false;
    }
  }
  ::SetTextColor(dc_, font_.color);
  ::SetBkMode(dc_, bkMode_ == BackgroundMode::Transparent ? TRANSPARENT : OPAQUE);
  ::SetBkColor(dc_, brushColor_);
}

void Canvas::moveTo(int x, int y) {
  if (dc_) ::MoveToEx(dc_, x, y, nullptr);
}
void Canvas::lineTo(int x, int y) {
  if (!dc_) return;
  realisePen();
  ::LineTo(dc_, x, y);
}
void Canvas::line(int x1, int y1, int x2, int y2) {
  moveTo(x1, y1);
  lineTo(x2, y2);
}
void Canvas::rectangle(int left, int top, int right, int bottom) {
  if (!dc_) return;
  realisePen();
  realiseBrush();
  ::Rectangle(dc_, left, top, right, bottom);
}
void Canvas::ellipse(int left, int top, int right, int bottom) {
  if (!dc_) return;
  realisePen();
  realiseBrush();
  ::Ellipse(dc_, left, top, right, bottom);
}
void Canvas::polygon(const POINT* pts, int count) {
  if (!dc_ || !pts || count < 2) return;
  realisePen();
  realiseBrush();
  ::Polygon(dc_, pts, count);
}
void Canvas::frameRect(const RECT& r) {
  if (!dc_) return;
  GdiObject b(::CreateSolidBrush(brushColor_));
  if (b) ::FrameRect(dc_, &r, static_cast<HBRUSH>(b.get()));
}
void Canvas::fillRect(const RECT& r) {
  if (!dc_) return;
  GdiObject b(::CreateSolidBrush(brushColor_));
  if (b) ::FillRect(dc_, &r, static_cast<HBRUSH>(b.get()));
}
void Canvas::textOut(int x, int y, const std::string& text) {
  if (!dc_) return;
  realiseFont();
  ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}
SIZE Canvas::textExtent(const std::string& text) {
  SIZE s{0, 0};
  if (!dc_) return s;
  realiseFont();
  ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &s);
  return s;
}
bool Canvas::blit(int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  return dc_ && ::BitBlt(dc_, x, y, w, h, src, sx, sy, rop);
}
bool Canvas::stretchBlit(int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                         DWORD rop) {
  if (!dc_) return false;
  ::SetStretchBltMode(dc_, COLORONCOLOR);
  return ::StretchBlt(dc_, x, y, w, h, src, sx, sy, sw, sh, rop);
}
void Canvas::drawIcon(int x, int y, HICON icon) {
  if (dc_ && icon) ::DrawIconEx(dc_, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}
void Canvas::setPixel(int x, int y, COLORREF c) {
  if (dc_) ::SetPixelV(dc_, x, y, c);
}
COLORREF Canvas::pixel(int x, int y) const {
  return dc_ ? ::GetPixel(dc_, x, y) : CLR_INVALID;
}

}  // namespace win
