#include "uScreenRectangle.h"

#include <algorithm>
#include <cstdlib>

#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"
#include "uScreenObjectForm.h"

TScreenRectangle::TScreenRectangle() {
  Type = 3;
  SetPointSize(8);
}

RECT TScreenRectangle::GetRect() const {
  const int32_t x1 = Points[0].ScreenX, y1 = Points[0].ScreenY;
  const int32_t x2 = Points[1].ScreenX, y2 = Points[1].ScreenY;
  return RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

bool TScreenRectangle::NearestCorner(POINT pt, int32_t& distance, POINT* vertex) const {
  const int32_t x1 = Points[0].ScreenX, y1 = Points[0].ScreenY;
  const int32_t x2 = Points[1].ScreenX, y2 = Points[1].ScreenY;
  const POINT corners[4] = {{x1, y2}, {x2, y1}, {x1, y1}, {x2, y2}};
  bool result = false;
  for (const POINT& c : corners) {
    double d = DistanceBetween(pt.x, pt.y, c.x, c.y);
    if (d < distance) {
      distance = TruncSat(d);
      if (vertex) *vertex = c;
      result = true;
    }
  }
  return result;
}

bool TScreenRectangle::IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) {
  distance = tolerance;
  POINT from;
  return HitTestOrigin(pt, from) && NearestCorner(from, distance, nullptr);
}

bool TScreenRectangle::HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance,
                                     POINT& vertex) {
  distance = tolerance;
  return NearestCorner(pt, distance, &vertex);
}

bool TScreenRectangle::BeginDrag(uint8_t mode, int32_t x, int32_t y) {
  bool result = TScreenLine::BeginDrag(mode, x, y);
  const int32_t x1 = Points[0].ScreenX, y1 = Points[0].ScreenY;
  const int32_t x2 = Points[1].ScreenX, y2 = Points[1].ScreenY;
  // The grabbed corner becomes point 2, the opposite one point 1; a later
  // match wins.
  const POINT arrangements[4][2] = {{{x2, y1}, {x1, y2}},
                                    {{x1, y2}, {x2, y1}},
                                    {{x2, y2}, {x1, y1}},
                                    {{x1, y1}, {x2, y2}}};
  POINT p1{x1, y1}, p2{x2, y2};
  for (const auto& a : arrangements) {
    if (DistanceBetween(x, y, a[1].x, a[1].y) < 20.0) {
      p1 = a[0];
      p2 = a[1];
    }
  }
  WritePoints(p1, p2);
  BackupPoints();
  return result;
}

const char* TScreenRectangle::HintDeleteLine(int language) const {
  return language == 0 ? "Click mit der rechten Maustaste um das tempor\xE4re Rechteck zu l\xF6schen."
                       : "Right mouse button to delete rectangle.";
}

const char* TScreenRectangle::HintMoveShapeLine(int language) const {
  return language == 0 ? "Click mit der linken Maustaste + <STRG>-Taste(gedr\xFC"
                         "ckt halten) um die Position des Rechtecks zu ver\xE4ndern."
                       : "Left mouse button + <Ctrl> key (keep pressed) to change position of rectangle";
}

const char* TScreenRectangle::PromptLine(int language, int32_t step) const {
  if (step == 1)
    return language == 0 ? "Klicken Sie auf einen Eckpunkt des Rechtecks."
                         : "Click on the first point of your rectangle.";
  return language == 0 ? "Klicken Sie auf den zweiten Eckpunkt des Rechtecks."
                       : "Click on the second point of your rectangle.";
}

const char* TScreenRectangle::ScriptWord() const { return "RECTANGLE"; }

std::string TScreenRectangle::GetDeleteCaption(int language) {
  return language == 0 ? "Rechteck l\xF6schen" : "delete rectangle";
}

std::string TScreenRectangle::GetMeasureText() {
  const int64_t dx = std::llabs(int64_t(Points[0].StoredX) - Points[1].StoredX);
  const int64_t dy = std::llabs(int64_t(Points[0].StoredY) - Points[1].StoredY);
  return FormatLength("dx", double(dx)) + QZ_TEXT_SEP + FormatLength("dy", double(dy)) +
         QZ_TEXT_SEP + FormatLength("U", double(2 * dx + 2 * dy)) + QZ_TEXT_SEP +
         FormatArea("A", double(dx * dy));
}

HRGN TScreenRectangle::DrawCornerMarkers(win::Canvas* canvas, const RECT& clip, HRGN rgn) {
  const int32_t x1 = Points[0].ScreenX, y1 = Points[0].ScreenY;
  const int32_t x2 = Points[1].ScreenX, y2 = Points[1].ScreenY;
  rgn = DrawPointMarker(canvas, clip, rgn, POINT{x1, y1}, PointType, LineColor, PointSize, 0, 0);
  rgn = DrawPointMarkerAt(canvas, clip, rgn, x1, y2, PointType, LineColor, PointSize);
  rgn = DrawPointMarkerAt(canvas, clip, rgn, x2, y1, PointType, LineColor, PointSize);
  return rgn;
}

HRGN TScreenRectangle::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) {
  if (!Visible) return region;
  NewRegion(nullptr);
  HRGN rgn = Region.get();
  const int32_t x1 = Points[0].ScreenX, y1 = Points[0].ScreenY;
  const int32_t x2 = Points[1].ScreenX, y2 = Points[1].ScreenY;
  if (drawFlag) {
    for (int i = 1; i <= 2; ++i) {
      const double t = i / 3.0;
      const int32_t x = x1 + TruncSat(t * (double(x2) - x1));
      const int32_t y = y1 + TruncSat(t * (double(y2) - y1));
      rgn = DrawSegment(canvas, clip, rgn, x, y1, x, y2, 1, 0);
      rgn = DrawSegment(canvas, clip, rgn, x1, y, x2, y, 1, 0);
    }
  }
  if (!Dragging && !drawFlag) rgn = DrawCornerMarkers(canvas, clip, rgn);
  if (PolygonFilled && !Dragging && !drawFlag) {
    rgn = RectRgn(canvas, clip, rgn, RECT{x1, y1, x2, y2}, true, LineColor);
  } else {
    rgn = DrawSegment(canvas, clip, rgn, x1, y1, x1, y2, 1, LineColor);
    rgn = DrawSegment(canvas, clip, rgn, x1, y1, x2, y1, 1, LineColor);
    rgn = DrawSegment(canvas, clip, rgn, x1, y2, x2, y2, 1, LineColor);
    rgn = DrawSegment(canvas, clip, rgn, x2, y1, x2, y2, 1, LineColor);
  }
  if (!drawFlag)
    rgn = DrawPointMarker(canvas, clip, rgn, POINT{x2, y2}, PointType, LineColor, PointSize, 0, 0);
  return AddRegionTo(region);
}
