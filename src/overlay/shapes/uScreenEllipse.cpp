#include "uScreenEllipse.h"

#include <cmath>

#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"

TScreenEllipse::TScreenEllipse() {
  Type = 5;
  SetPointSize(8);
}

RECT TScreenEllipse::GetEllipseRect() const {
  const RECT r = GetRect();
  const int32_t hw = Clamp32((int64_t(r.right) - r.left) / 2);
  const int32_t hh = Clamp32((int64_t(r.bottom) - r.top) / 2);
  const int32_t cx = Clamp32((int64_t(r.left) + r.right) / 2);
  const int32_t cy = Clamp32((int64_t(r.top) + r.bottom) / 2);
  const int32_t c = TruncSat(hw * std::sqrt(2.0));
  const int32_t e = TruncSat(hh * std::sqrt(2.0));
  return RECT{Clamp32(int64_t(cx) - c), Clamp32(int64_t(cy) - e), Clamp32(int64_t(cx) + c),
              Clamp32(int64_t(cy) + e)};
}

void TScreenEllipse::UpdateBounds() {
  if (PointCount <= 0 || static_cast<int32_t>(Points.size()) < 2) {
    Bounds = RECT{0, 0, -10, -10};
    return;
  }
  const RECT e = GetEllipseRect();
  Bounds = RECT{Clamp32(int64_t(e.left) - 10), Clamp32(int64_t(e.top) - 10), Clamp32(int64_t(e.right) + 10),
                Clamp32(int64_t(e.bottom) + 10)};
}

const char* TScreenEllipse::HintDeleteLine(int language) const {
  return language == 0 ? "Click mit der rechten Maustaste um die tempor\xE4re Ellipse zu l\xF6schen."
                       : "Right mouse button to delete ellipse.";
}

const char* TScreenEllipse::HintMoveShapeLine(int language) const {
  return language == 0 ? "Click mit der linken Maustaste + <STRG>-Taste(gedr\xFC"
                         "ckt halten) um die Position der Ellipse zu ver\xE4ndern."
                       : "Left mouse button + <Ctrl> key (keep pressed) to change position of ellipse";
}

const char* TScreenEllipse::PromptLine(int language, int32_t step) const {
  if (step == 1)
    return language == 0 ? "Klicken Sie auf einen Eckpunkt der Ellipse."
                         : "Click on the first point of your ellipse.";
  return language == 0 ? "Klicken Sie auf den zweiten Eckpunkt der Ellipse."
                       : "Click on the second point of your ellipse.";
}

void TScreenEllipse::GetScriptCommand(TStringVector& list) {
  // Replaying takes the box's half sizes divided by sqrt(2), truncated; the
  // half sizes rounded up from hw * sqrt(2) give hw back.
  const RECT r = GetRect();
  const int64_t cx = (int64_t(r.left) + r.right) / 2, cy = (int64_t(r.top) + r.bottom) / 2;
  const int64_t hw = (int64_t(r.right) - r.left) / 2, hh = (int64_t(r.bottom) - r.top) / 2;
  const int64_t bw = static_cast<int64_t>(std::ceil(double(hw) * std::sqrt(2.0)));
  const int64_t bh = static_cast<int64_t>(std::ceil(double(hh) * std::sqrt(2.0)));
  list.push_back("ELLIPSE " + std::to_string(Clamp32(cx - bw)) + " " + std::to_string(Clamp32(cy - bh)) +
                 " " + std::to_string(Clamp32(cx + bw)) + " " + std::to_string(Clamp32(cy + bh)) + " " +
                 std::to_string(LineColor));
  AppendScriptOptions(list);
}

std::string TScreenEllipse::GetDeleteCaption(int language) {
  return language == 0 ? "Ellipse l\xF6schen" : "delete ellipse";
}

std::string TScreenEllipse::GetMeasureText() {
  const RECT e = GetEllipseRect();
  const double a = (double(e.right) - e.left) / 2;
  const double b = (double(e.bottom) - e.top) / 2;
  const double s = GetScale();
  const double pi = 3.1415926535897932385;
  return FormatLength("a", a / s) + QZ_TEXT_SEP + FormatLength("b", b / s) + QZ_TEXT_SEP +
         FormatLength("U", pi * (3 * (a + b) - std::sqrt((a + 3 * b) * (3 * a + b))) / s) +
         QZ_TEXT_SEP + FormatArea("A", pi * a * b / s / s);
}

HRGN TScreenEllipse::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) {
  if (!Visible) return region;
  NewRegion(nullptr);
  HRGN rgn = Region.get();
  const RECT r = GetRect();
  if (drawFlag) {
    const RECT e = GetEllipseRect();
    rgn = DrawSegment(canvas, clip, rgn, e.left, e.top, e.right, e.bottom, 1, 0);
    rgn = DrawSegment(canvas, clip, rgn, e.left, e.bottom, e.right, e.top, 1, 0);
    for (const RECT& q : {r, e}) {
      rgn = DrawSegment(canvas, clip, rgn, q.left, q.top, q.left, q.bottom, 1, 0);
      rgn = DrawSegment(canvas, clip, rgn, q.right, q.top, q.right, q.bottom, 1, 0);
      rgn = DrawSegment(canvas, clip, rgn, q.left, q.top, q.right, q.top, 1, 0);
      rgn = DrawSegment(canvas, clip, rgn, q.left, q.bottom, q.right, q.bottom, 1, 0);
    }
  }
  if (!Dragging && !drawFlag) rgn = DrawCornerMarkers(canvas, clip, rgn);
  rgn = EllipseRgn(canvas, clip, rgn, r, PolygonFilled && !Dragging && !drawFlag, 1, LineColor);
  if (!drawFlag)
    rgn = DrawPointMarker(canvas, clip, rgn, POINT{Points[1].ScreenX, Points[1].ScreenY}, PointType,
                          LineColor, PointSize, 0, 0);
  return AddRegionTo(region);
}
