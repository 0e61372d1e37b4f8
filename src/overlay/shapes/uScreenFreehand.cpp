#include "uScreenFreehand.h"

#include <cmath>

#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"
#include "uScreenObjectForm.h"

namespace {
// A new position that keeps the stroke's direction within this angle is
// skipped until the stroke has gone StraightReach beyond the last point.
constexpr double StraightAngle = 0.0872664625997;   // 5 degrees
constexpr double StraightReach = 100.0;
constexpr double MinStep = 4.0;
}  // namespace

TScreenFreehand::TScreenFreehand() {
  Type = 6;
  SetCapacity(MaxPoints);
  SetPointSize(4);
}

bool TScreenFreehand::AddPoint(int32_t x, int32_t y) {
  const int32_t n = PointCount;
  if (n >= Capacity) return false;
  if (n > 0) {
    const TPointRec& last = Points[n - 1];
    const double d = DistanceBetween(x, y, last.ScreenX, last.ScreenY);
    if (d <= MinStep) return false;
    if (n > 2) {
      const TPointRec& before = Points[n - 2];
      const double a1 = VectorAngle(Clamp32(int64_t(x) - last.ScreenX), Clamp32(int64_t(y) - last.ScreenY));
      const double a2 = VectorAngle(Clamp32(int64_t(x) - before.ScreenX),
                                    Clamp32(int64_t(y) - before.ScreenY));
      if (std::fabs(a1 - a2) <= StraightAngle && !(d > StraightReach)) return false;
    }
  }
  return TScreenObject::AddPoint(x, y);
}

bool TScreenFreehand::IsOverObject(POINT pt, int32_t, int32_t& distance) {
  POINT from;
  // The distance argument brings the threshold in.
  return HitTestOrigin(pt, from) && NearestRecord(from, PointCount, distance, nullptr);
}

bool TScreenFreehand::HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) {
  distance = tolerance;
  return NearestRecord(pt, PointCount, distance, &vertex);
}

bool TScreenFreehand::BeginDrag(uint8_t mode, int32_t x, int32_t y) {
  bool result = TScreenObject::BeginDrag(mode, x, y);
  double best = QZ_MAXINT;
  for (int32_t i = 0; i < PointCount; ++i) {
    double d = DistanceBetween(x, y, Points[i].ScreenX, Points[i].ScreenY);
    if (d < best) {
      best = RoundSat(d);
      EditIndex = i + 1;
    }
  }
  return result;
}

std::string TScreenFreehand::GetHint(int language) {
  std::string text;
  if (ShowMouseHelp) {
    if (language == 0)
      text = std::string("Click mit der rechten Maustaste um den Linienzug zu l\xF6schen.") +
             QZ_TEXT_SEP +
             "Click mit der linken Maustaste (gedr\xFC"
             "ckt halten) um die Position des Punktes zu ver\xE4ndern." +
             QZ_TEXT_SEP +
             "Click mit der linken Maustaste + <STRG>-Taste(gedr\xFC"
             "ckt halten) um die Position des Linienzugs zu ver\xE4ndern." +
             QZ_TEXT_SEP;
    else
      text = std::string("Right mouse button to delete polyline.") + QZ_TEXT_SEP +
             "Left mouse button (keep pressed) to change position of point" + QZ_TEXT_SEP +
             "Left mouse button + <Ctrl> key (keep pressed) to change position of polyline" +
             QZ_TEXT_SEP;
  }
  return AppendUserHint(text + GetMeasureText());
}

std::string TScreenFreehand::GetDeleteCaption(int language) {
  return language == 0 ? "Linienzug l\xF6schen" : "delete polyline";
}

std::string TScreenFreehand::GetCreatePrompt(int language, int32_t step) {
  if (!ShowMouseHelp || (step != 1 && step != 2)) return std::string();
  if (language == 0)
    return std::string("Zeichnen Sie bei gedr\xFC"
                       "ckter linker Maustaste den Linienzug auf den Bildschirm.") +
           QZ_TEXT_SEP + "Abbruch mit der rechten Maustaste.";
  return std::string("Draw the polyline on the screen while the left mouse button is pressed.") +
         QZ_TEXT_SEP + "Right mouse button to cancel.";
}

std::string TScreenFreehand::GetMeasureText() {
  int64_t length = 0;
  for (int32_t s = 1; s < PointCount; ++s) {
    const TPointRec& a = Points[s - 1];
    const TPointRec& b = Points[s];
    length += TruncSat(DistanceBetween(a.StoredX, a.StoredY, b.StoredX, b.StoredY));
  }
  const int32_t area = PointCount > 0 ? PolygonArea(PointCount, Points.data()) : 0;
  return FormatLength("l", double(length)) + QZ_TEXT_SEP +
         FormatArea("A", std::fabs(double(area)));
}

void TScreenFreehand::GetScriptCommand(TStringVector& list) {
  std::string line = "POLYLINE " + std::to_string(PointCount) + " ";
  for (int32_t i = 0; i < PointCount; ++i)
    line += std::to_string(Points[i].ScreenX) + " " + std::to_string(Points[i].ScreenY) + " ";
  line += std::to_string(LineColor);
  list.push_back(line);
  AppendScriptOptions(list);
}

HRGN TScreenFreehand::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) {
  if (!Visible) return region;
  TScreenObject::Draw(canvas, clip, drawFlag, region);
  NewRegion(nullptr);
  HRGN rgn = Region.get();
  for (int32_t s = 1; s < PointCount; ++s)
    rgn = DrawSegmentPts(canvas, clip, rgn, Points[s - 1], Points[s], 1, LineColor);
  if (!Dragging && !drawFlag) {
    for (int32_t i = 1; i <= PointCount; ++i) {
      if (i == EditIndex) continue;
      rgn = DrawPointMarker(canvas, clip, rgn, POINT{Points[i - 1].ScreenX, Points[i - 1].ScreenY},
                            PointType, LineColor, PointSize, 0, 0);
    }
  }
  return AddRegionTo(region);
}
