// A drawing surface over a device context: current pen, brush, font and
// background mode, realised into the DC lazily before each drawing call.
// The canvas does not own the DC; it owns the GDI objects it creates and puts
// the DC's original objects back when it is destroyed.
#pragma once
#include <windows.h>
#include <string>
#include "win/Handles.h"

namespace win {

enum class BrushStyle { Solid, Clear };
enum class BackgroundMode { Transparent, Opaque };

// Font description. size is in points (converted with the DC's logical pixels
// per inch); height, when not 0, is the LOGFONT height in pixels and wins.
struct Font {
  std::string name = "Arial";
  int size = 10;
  int height = 0;
  COLORREF color = RGB(0, 0, 0);
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  BYTE charset = DEFAULT_CHARSET;
  bool operator==(const Font& o) const;
  bool operator!=(const Font& o) const { return !(*this == o); }
};

class Canvas {
public:
  explicit Canvas(HDC dc);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC handle() const { return dc_; }

  // Pen (solid). Width below 1 is taken as 1.
  void setPenColor(COLORREF c);
  COLORREF penColor() const { return penColor_; }
  void setPenWidth(int w);
  int penWidth() const { return penWidth_; }

  void setBrushColor(COLORREF c);
  COLORREF brushColor() const { return brushColor_; }
  void setBrushStyle(BrushStyle s);
  BrushStyle brushStyle() const { return brushStyle_; }

  void setFont(const Font& f);
  const Font& font() const { return font_; }
  void setFontColor(COLORREF c);

  void setBackgroundMode(BackgroundMode m);
  BackgroundMode backgroundMode() const { return bkMode_; }

  void moveTo(int x, int y);
  void lineTo(int x, int y);
  void line(int x1, int y1, int x2, int y2);           // moveTo + lineTo
  // GDI rectangle/ellipse: right and bottom excluded, outline with the pen,
  // interior with the brush.
  void rectangle(int left, int top, int right, int bottom);
  void rectangle(const RECT& r) { rectangle(r.left, r.top, r.right, r.bottom); }
  void ellipse(int left, int top, int right, int bottom);
  void polygon(const POINT* pts, int count);
  void frameRect(const RECT& r);                        // one-pixel frame in the brush colour
  void fillRect(const RECT& r);                         // interior in the brush colour
  void textOut(int x, int y, const std::string& text);  // font colour, background mode
  SIZE textExtent(const std::string& text);
  int textWidth(const std::string& text) { return textExtent(text).cx; }
  int textHeight(const std::string& text) { return textExtent(text).cy; }

  // Copies from another DC; the whole-rectangle forms use SRCCOPY by default.
  bool blit(int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop = SRCCOPY);
  bool stretchBlit(int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                   DWORD rop = SRCCOPY);
  void drawIcon(int x, int y, HICON icon);

  void setPixel(int x, int y, COLORREF c);
  COLORREF pixel(int x, int y) const;                   // CLR_INVALID outside

private:
  void realisePen();
  void realiseBrush();
  void realiseFont();

  HDC dc_;
  int saved_;
  COLORREF penColor_ = RGB(0, 0, 0);
  int penWidth_ = 1;
  COLORREF brushColor_ = RGB(255, 255, 255);
  BrushStyle brushStyle_ = BrushStyle::Solid;
  Font font_;
  BackgroundMode bkMode_ = BackgroundMode::Opaque;
  bool penDirty_ = true, brushDirty_ = true, fontDirty_ = true;
  GdiObject pen_, brush_, fontObj_;
};

}  // namespace win
