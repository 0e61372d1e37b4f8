#include "uScreenImage.h"

#include "uInifileHandling.h"
#include "uPictureLimits.h"
#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"
#include "uScreenObjectForm.h"
#include "win/DesktopMetrics.h"

TScreenImage::TScreenImage() {
  SetCapacity(1);
  SetPointCount(1);
  SetHorzAlign(1);
  SetVertAlign(1);
  TransparentColor = RGB(255, 0, 255);
  UseTransparentColor = false;
  UpdateBounds();
}

TScreenImage::~TScreenImage() = default;

void TScreenImage::DropRegionCache() {
  PixelCache.reset();
  Region.reset();
}

// The picture's centre on one axis from its anchor.
static int64_t Centre(int32_t anchor, uint8_t align, int size) {
  if (align == 0) return int64_t(anchor) + size / 2;
  if (align == 2) return int64_t(anchor) - size / 2;
  return anchor;
}

POINT TScreenImage::PictureOrigin() const {
  const int w = Bitmap ? Bitmap->width() : 0;
  const int h = Bitmap ? Bitmap->height() : 0;
  const TPointRec& p1 = Points[0];
  return POINT{Clamp32(Centre(p1.ScreenX, HorzAlign, w) - w / 2), Clamp32(Centre(p1.ScreenY, VertAlign, h) - h / 2)};
}

void TScreenImage::SetBitmap(const win::DibBitmap& source) {
  auto copy = std::make_unique<win::DibBitmap>();
  if (!source.empty()) {
    if (!PictureSizeAllowed(source.width(), source.height()))
      throw EPictureError("picture dimensions out of range");
    if (!copy->setSize(source.width(), source.height()))
      throw EPictureError("out of memory for the picture");
    ::BitBlt(copy->dc(), 0, 0, source.width(), source.height(), source.dc(), 0, 0, SRCCOPY);
    ::GdiFlush();
  }
  Bitmap = std::move(copy);
  DropRegionCache();
}

void TScreenImage::SetTransparentColor(COLORREF color) {
  TransparentColor = color;
  UseTransparentColor = true;
  DropRegionCache();
}

// The anchor moves between the picture's edge and centre; the picture stays.
static void Realign(int32_t& coord, uint8_t oldValue, uint8_t newValue, int size) {
  int64_t c = coord;
  if (oldValue == 0) c += size / 2;
  else if (oldValue == 2) c -= size / 2;
  if (newValue == 0) c -= size / 2;
  else if (newValue == 2) c += size / 2;
  coord = Clamp32(c);
}

void TScreenImage::SetHorzAlign(uint8_t value) {
  if (Bitmap && PointCount > 0) Realign(Points[0].ScreenX, HorzAlign, value, Bitmap->width());
  HorzAlign = value;
  DropRegionCache();
}

void TScreenImage::SetVertAlign(uint8_t value) {
  if (Bitmap && PointCount > 0) Realign(Points[0].ScreenY, VertAlign, value, Bitmap->height());
  VertAlign = value;
  DropRegionCache();
}

// In 64 bits: an anchor near the end of the 32-bit range plus the picture's
// size must not wrap around to the other side of the desktop.
static void ClampAxis(int32_t& coord, uint8_t align, int size, int desktop) {
  const int64_t half = size / 2;
  int64_t v = coord;
  switch (align) {
    case 0:
      if (v < 0) v = 0;
      if (v + size > desktop) v = int64_t(desktop) - size;
      break;
    case 2:
      if (v - size < 0) v = size;
      if (v > desktop) v = desktop;
      break;
    default:
      if (v + half < 0) v = -half;
      if (v - half > desktop) v = desktop + half;
      break;
  }
  coord = Clamp32(v);
}

void TScreenImage::ClampToDesktop(int32_t& x, int32_t& y) const {
  if (!Bitmap) return;
  const win::DesktopMetrics& desk = win::desktopMetrics();
  ClampAxis(x, HorzAlign, Bitmap->width(), desk.virtualWidth());
  ClampAxis(y, VertAlign, Bitmap->height(), desk.virtualHeight());
}

bool TScreenImage::AddPoint(int32_t x, int32_t y) {
  ClampToDesktop(x, y);
  bool result = TScreenSinglePoint::AddPoint(x, y);
  DropRegionCache();
  return result;
}

bool TScreenImage::BeginDrag(uint8_t mode, int32_t x, int32_t y) {
  bool result = TScreenSinglePoint::BeginDrag(mode, x, y);
  DragOffsetX = Clamp32(int64_t(x) - Points[0].ScreenX);
  DragOffsetY = Clamp32(int64_t(y) - Points[0].ScreenY);
  return result;
}

bool TScreenImage::DragTo(int32_t x, int32_t y) {
  int32_t ax = Clamp32(int64_t(x) - DragOffsetX), ay = Clamp32(int64_t(y) - DragOffsetY);
  ClampToDesktop(ax, ay);
  bool result = TScreenSinglePoint::DragTo(ax, ay);
  DropRegionCache();
  return result;
}

bool TScreenImage::EndDrag() {
  bool result = TScreenSinglePoint::EndDrag();
  DropRegionCache();
  DragOffsetX = DragOffsetY = 0;
  return result;
}

void TScreenImage::MoveBy(double dx, double dy) {
  TScreenSinglePoint::MoveBy(dx, dy);
  DropRegionCache();
}

std::string TScreenImage::GetMeasureText() { return std::string(); }

void TScreenImage::UpdateBounds() {
  Bounds = RECT{0, 0, -10, -10};
  if (PointCount <= 0 || !Bitmap) return;
  const POINT o = PictureOrigin();
  const int w = Bitmap->width(), h = Bitmap->height();
  // The centre and half sizes as the picture position uses them.
  const int64_t cx = int64_t(o.x) + w / 2, cy = int64_t(o.y) + h / 2;
  Bounds = RECT{Clamp32(cx - w / 2 - 10), Clamp32(cy - h / 2 - 10), Clamp32(cx + w / 2 + 10),
                Clamp32(cy + h / 2 + 10)};
}

bool TScreenImage::IsOverObject(POINT pt, int32_t, int32_t& distance) {
  bool over;
  if (HasOwnWindow && OwnForm)
    over = pt.x == OwnForm->MouseX && pt.y == OwnForm->MouseY;
  else
    over = Region && ::PtInRegion(Region.get(), pt.x, pt.y);
  if (over) distance = 0;
  return over;
}

bool TScreenImage::HitTest(POINT pt) {
  if (!InBounds(pt)) return false;
  if (HasOwnWindow && OwnForm) {
    RECT wr = OwnForm->WindowRect();
    return pt.x - wr.left == OwnForm->MouseX && pt.y - wr.top == OwnForm->MouseY;
  }
  return Region && ::PtInRegion(Region.get(), pt.x, pt.y);
}

bool TScreenImage::LoadFromIni(const std::string& iniFile, const std::string& section,
                               IOverlayForm* overlay) {
  bool result = TScreenSinglePoint::LoadFromIni(iniFile, section, overlay);
  if (result) {
    TransparentColor = static_cast<COLORREF>(ReadIniInteger(
        iniFile, section, "TransparentColor", static_cast<int32_t>(TransparentColor)));
    DropRegionCache();
  }
  return result;
}

void TScreenImage::SaveToIni(const std::string& iniFile, const std::string& section,
                             TStringVector* fileList) {
  TScreenSinglePoint::SaveToIni(iniFile, section, fileList);
  WriteIniInteger(iniFile, section, "TransparentColor", static_cast<int32_t>(TransparentColor));
}

void TScreenImage::SetOwnWindow(bool value) {
  TScreenSinglePoint::SetOwnWindow(value);
  if (HasOwnWindow && OwnForm) OwnForm->CreateImage();
  DropRegionCache();
}

HRGN TScreenImage::Draw(win::Canvas*& canvas, const RECT&, bool, HRGN region) {
  if (!Bitmap || !Visible) return region;
  const int w = Bitmap->width(), h = Bitmap->height();
  const POINT o = PictureOrigin();
  const bool ownWindow = HasOwnWindow && OwnForm;
  // The own window lies 20 px left of and above the picture.
  const int x = ownWindow ? 20 : o.x;
  const int y = ownWindow ? 20 : o.y;
  // A picture beyond what GDI takes lies far off every display: it is not drawn.
  const bool drawable = -kGdiCoordinateLimit < x && x < kGdiCoordinateLimit && -kGdiCoordinateLimit < y &&
                        y < kGdiCoordinateLimit;
  if (canvas && !Bitmap->empty() && drawable) {
    if (DragMode != 0)
      canvas->blit(x, y, w, h, Bitmap->dc(), 0, 0);
    else
      TransparentBlit(canvas->handle(), x, y, w, h, Bitmap->dc(), 0, 0, w, h, TransparentColor);
  }
  UpdateBounds();
  if (DragMode != 0 && UseTransparentColor) {
    const int64_t cx = int64_t(o.x) + w / 2, cy = int64_t(o.y) + h / 2;
    Region.reset(::CreateRectRgn(ClampGdi(cx - w / 2), ClampGdi(cy - h / 2), ClampGdi(cx + w / 2),
                                 ClampGdi(cy + h / 2)));
  } else {
    if (!PixelCache) {
      PixelCache.reset(Bitmap->empty() ? ::CreateRectRgn(0, 0, 0, 0)
                                       : PixelRegion(*Bitmap, o.x, o.y, TransparentColor));
      PixelCacheOrigin = o;
    } else if (o.x != PixelCacheOrigin.x || o.y != PixelCacheOrigin.y) {
      // Moved without dropping the cache (SetPoint, ScaleAbout, restored
      // positions): the same pixels, somewhere else.
      ::OffsetRgn(PixelCache.get(), o.x - PixelCacheOrigin.x, o.y - PixelCacheOrigin.y);
      PixelCacheOrigin = o;
    }
    NewRegion(PixelCache.get());
  }
  return AddRegionTo(region);
}
