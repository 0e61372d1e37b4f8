#include "uScreenElementBaseClass.h"
#include <algorithm>
#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"

static std::vector<TScreenElementBaseClass*>& elementList() {
  static std::vector<TScreenElementBaseClass*> list;
  return list;
}

const std::vector<TScreenElementBaseClass*>& ScreenElementList() { return elementList(); }

TScreenElementBaseClass::TScreenElementBaseClass() { elementList().push_back(this); }

TScreenElementBaseClass::~TScreenElementBaseClass() {
  auto& list = elementList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TScreenElementBaseClass::UpdatePosition() {}

void TScreenElementBaseClass::SetVisible(bool value) {
  Visible = value;
  if (value && !AbsolutPosition) UpdatePosition();
}

void TScreenElementBaseClass::SetEnabledFlag(bool value) { EnabledFlag = value; }

bool TScreenElementBaseClass::GetSpecialFlag() { return SpecialFlag; }

void TScreenElementBaseClass::SetAbsolutPosition(bool value) {
  if (value == AbsolutPosition) return;
  AbsolutPosition = value;
  auto& list = elementList();
  if (value) list.erase(std::remove(list.begin(), list.end(), this), list.end());
  else list.push_back(this);
}

void TScreenElementBaseClass::StorePosition(TPointRec& p) {
  p.StoredX = p.ScreenX;
  p.StoredY = p.ScreenY;
}

void TScreenElementBaseClass::RestorePosition(TPointRec& p) {
  p.ScreenX = p.StoredX;
  p.ScreenY = p.StoredY;
}

HRGN TScreenElementBaseClass::DrawSegment(win::Canvas* canvas, const RECT& clip, HRGN region,
                                          double x1, double y1, double x2, double y2,
                                          int32_t width, COLORREF color) {
  return DrawLineRgn(canvas, clip, region, POINT{TruncSat(x1), TruncSat(y1)},
                     POINT{TruncSat(x2), TruncSat(y2)}, width, color);
}

HRGN TScreenElementBaseClass::DrawSegmentPts(win::Canvas* canvas, const RECT& clip, HRGN region,
                                             const TPointRec& p1, const TPointRec& p2,
                                             int32_t width, COLORREF color) {
  return DrawLineRgn(canvas, clip, region, POINT{p1.ScreenX, p1.ScreenY},
                     POINT{p2.ScreenX, p2.ScreenY}, width, color);
}
