#include "uScreenLine.h"

#include <cmath>
#include <utility>

#include "uInifileHandling.h"
#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"
#include "uScreenObjectForm.h"
#include "win/DesktopMetrics.h"

TScreenTwoPoint::TScreenTwoPoint() {
  SetCapacity(2);
  Type = 0;
  SetPointSize(8);
}

TScreenLine::TScreenLine() {
  Type = 2;
  SetPointSize(8);
  InfiniteLine = false;
  Arrow = false;
}

void TScreenLine::SetInfiniteLine(bool value) {
  InfiniteLine = value;
  if (value) ExtendToDesktop();
  if (InfiniteLine) SetArrow(false);
}

void TScreenLine::SetArrow(bool value) {
  Arrow = value;
  if (value) SetInfiniteLine(false);
}

void TScreenLine::ExtendToDesktop() {
  const win::DesktopMetrics& desk = win::desktopMetrics();
  const int32_t W = desk.virtualWidth(), H = desk.virtualHeight();
  const TPointRec& p1 = Points[0];
  const TPointRec& p2 = Points[1];
  const POINT p{p1.ScreenX, p1.ScreenY};
  const POINT d{Clamp32(int64_t(p2.ScreenX) - p1.ScreenX), Clamp32(int64_t(p2.ScreenY) - p1.ScreenY)};
  const POINT edges[4][2] = {{{0, 0}, {1, 0}}, {{0, H}, {1, 0}}, {{0, 0}, {0, 1}}, {{W, 0}, {0, 1}}};
  POINT found[2];
  int count = 0;
  for (const auto& edge : edges) {
    POINT hit;
    IntersectLines(p, d, edge[0], edge[1], hit);
    if (hit.x == QZ_MAXINT) continue;
    if (hit.x < 0 || hit.x > W || hit.y < 0 || hit.y > H) continue;
    found[count++] = hit;
    if (count == 2) break;
  }
  if (count == 2) {
    ExtendedStart = found[0];
    ExtendedEnd = found[1];
  } else {
    // Misses the desktop, or the two points coincide: keep the plain segment.
    ExtendedStart = p;
    ExtendedEnd = POINT{p2.ScreenX, p2.ScreenY};
  }
}

bool TScreenLine::IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) {
  distance = tolerance;
  POINT from;
  return HitTestOrigin(pt, from) && NearestRecord(from, 2, distance, nullptr);
}

bool TScreenLine::HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) {
  distance = tolerance;
  return NearestRecord(pt, 2, distance, &vertex);
}

void TScreenLine::WritePoints(POINT p1, POINT p2) {
  Points[0].ScreenX = p1.x;
  Points[0].ScreenY = p1.y;
  StorePosition(Points[0]);
  Points[1].ScreenX = p2.x;
  Points[1].ScreenY = p2.y;
  StorePosition(Points[1]);
}

bool TScreenLine::BeginDrag(uint8_t mode, int32_t x, int32_t y) {
  bool result = TScreenTwoPoint::BeginDrag(mode, x, y);
  PointsSwapped = false;
  const POINT a{Points[0].ScreenX, Points[0].ScreenY};
  const POINT b{Points[1].ScreenX, Points[1].ScreenY};
  if (DistanceBetween(x, y, a.x, a.y) < 20.0) PointsSwapped = true;
  if (DistanceBetween(x, y, b.x, b.y) < 20.0) PointsSwapped = false;
  if (PointsSwapped) WritePoints(b, a);
  else WritePoints(a, b);
  BackupPoints();
  return result;
}

bool TScreenLine::EndDrag() {
  if (DragMode == 1 && PointsSwapped) {
    PointsSwapped = false;
    std::swap(Points[0], Points[1]);
  }
  return TScreenTwoPoint::EndDrag();
}

bool TScreenLine::AddPoint(int32_t x, int32_t y) {
  bool result = TScreenTwoPoint::AddPoint(x, y);
  if (InfiniteLine) ExtendToDesktop();
  return result;
}

const char* TScreenLine::HintDeleteLine(int language) const {
  return language == 0 ? "Click mit der rechten Maustaste um die Linie zu l\xF6schen."
                       : "Right mouse button to delete line.";
}

const char* TScreenLine::HintMoveShapeLine(int language) const {
  return language == 0 ? "Click mit der linken Maustaste + <STRG>-Taste(gedr\xFC"
                         "ckt halten) um die Position der Linie zu ver\xE4ndern."
                       : "Left mouse button + <Ctrl> key (keep pressed) to change position of line";
}

const char* TScreenLine::PromptLine(int language, int32_t step) const {
  if (step == 1)
    return language == 0 ? "Klicken Sie auf den Anfangspunkt Ihrer Linie."
                         : "Click on the start point of your line.";
  return language == 0 ? "Klicken Sie auf den Endpunkt Ihrer Linie."
                       : "Click on the end point of your line.";
}

const char* TScreenLine::ScriptWord() const { return "LINE"; }

std::string TScreenLine::GetHint(int language) {
  std::string text;
  if (ShowMouseHelp) {
    text = std::string(HintDeleteLine(language)) + QZ_TEXT_SEP +
           (language == 0 ? "Click mit der linken Maustaste (gedr\xFC"
                            "ckt halten) um die Position des Punktes zu ver\xE4ndern."
                          : "Left mouse button (keep pressed) to change position of point") +
           QZ_TEXT_SEP + HintMoveShapeLine(language) + QZ_TEXT_SEP;
  }
  return AppendUserHint(text + GetMeasureText());
}

std::string TScreenLine::GetDeleteCaption(int language) {
  return language == 0 ? "Linie l\xF6schen" : "delete line";
}

std::string TScreenLine::GetCreatePrompt(int language, int32_t step) {
  if (!ShowMouseHelp || (step != 1 && step != 2)) return std::string();
  return std::string(PromptLine(language, step)) + QZ_TEXT_SEP +
         (language == 0 ? "Abbruch mit der rechten Maustaste." : "Right mouse button to cancel.");
}

std::string TScreenLine::GetMeasureText() {
  const TPointRec& a = Points[0];
  const TPointRec& b = Points[1];
  return "(" + std::to_string(a.StoredX) + "/" + std::to_string(a.StoredY) + ")-->(" +
         std::to_string(b.StoredX) + "/" + std::to_string(b.StoredY) + ")" + QZ_TEXT_SEP +
         FormatLength("d", DistanceBetween(a.StoredX, a.StoredY, b.StoredX, b.StoredY)) +
         QZ_TEXT_SEP + FormatLength("dx", std::fabs(double(a.StoredX) - b.StoredX)) + QZ_TEXT_SEP +
         FormatLength("dy", std::fabs(double(a.StoredY) - b.StoredY));
}

bool TScreenLine::LoadFromIni(const std::string& iniFile, const std::string& section,
                              IOverlayForm* overlay) {
  bool result = TScreenTwoPoint::LoadFromIni(iniFile, section, overlay);
  SetInfiniteLine(ReadIniBool(iniFile, section, "InfiniteLine", InfiniteLine));
  SetArrow(ReadIniBool(iniFile, section, "Arrow", Arrow));
  return result;
}

void TScreenLine::SaveToIni(const std::string& iniFile, const std::string& section,
                            TStringVector* fileList) {
  TScreenTwoPoint::SaveToIni(iniFile, section, fileList);
  WriteIniBool(iniFile, section, "InfiniteLine", InfiniteLine);
  WriteIniBool(iniFile, section, "Arrow", Arrow);
}

void TScreenLine::GetScriptCommand(TStringVector& list) {
  const TPointRec& a = Points[0];
  const TPointRec& b = Points[1];
  list.push_back(std::string(ScriptWord()) + " " + std::to_string(a.ScreenX) + " " +
                 std::to_string(a.ScreenY) + " " + std::to_string(b.ScreenX) + " " +
                 std::to_string(b.ScreenY) + " " + std::to_string(LineColor));
  AppendScriptOptions(list);
}

HRGN TScreenLine::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) {
  if (!Visible) return region;
  TScreenTwoPoint::Draw(canvas, clip, drawFlag, region);
  NewRegion(nullptr);
  HRGN rgn = Region.get();
  const int32_t x1 = Points[0].ScreenX, y1 = Points[0].ScreenY;
  const int32_t x2 = Points[1].ScreenX, y2 = Points[1].ScreenY;
  if (drawFlag) {
    rgn = DrawSegment(canvas, clip, rgn, x1, y1, x1, y2, 1, 0);
    rgn = DrawSegment(canvas, clip, rgn, x1, y1, x2, y1, 1, 0);
    rgn = DrawSegment(canvas, clip, rgn, x1, y2, x2, y2, 1, 0);
    rgn = DrawSegment(canvas, clip, rgn, x2, y1, x2, y2, 1, 0);
  }
  if (!Dragging && !drawFlag) {
    // The arrow's direction arguments are crossed on purpose: the tip sits
    // on point 1 and the head opens toward point 2.
    if (Arrow)
      rgn = DrawPointMarker(canvas, clip, rgn, POINT{x1, y1}, 3, LineColor, 3 * PointSize,
                            Clamp32(int64_t(x2) - x1), Clamp32(int64_t(y2) - y1));
    else
      rgn = DrawPointMarker(canvas, clip, rgn, POINT{x1, y1}, PointType, LineColor, PointSize, 0, 0);
  }
  if (InfiniteLine) {
    if (Dragging || drawFlag) ExtendToDesktop();
    rgn = DrawSegment(canvas, clip, rgn, ExtendedStart.x, ExtendedStart.y, ExtendedEnd.x,
                      ExtendedEnd.y, 1, LineColor);
  } else {
    rgn = DrawSegmentPts(canvas, clip, rgn, Points[0], Points[1], 1, LineColor);
  }
  if (!drawFlag)
    rgn = DrawPointMarker(canvas, clip, rgn, POINT{x2, y2}, PointType, LineColor, PointSize, 0, 0);
  return AddRegionTo(region);
}
