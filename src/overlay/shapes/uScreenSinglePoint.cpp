#include "uScreenSinglePoint.h"

#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"
#include "uScreenObjectForm.h"

TScreenSinglePoint::TScreenSinglePoint() {
  SetCapacity(1);
  SetPointCount(1);
  SetPointSize(8);
  Type = 1;
}

bool TScreenSinglePoint::IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) {
  const TPointRec& p1 = Points[0];
  if (HasOwnWindow && OwnForm) {
    if (pt.x != OwnForm->MouseX || pt.y != OwnForm->MouseY) return false;
    RECT wr = OwnForm->WindowRect();
    double d = DistanceBetween(pt.x + wr.left, pt.y + wr.top, p1.ScreenX, p1.ScreenY);
    if (!(tolerance > d)) return false;
    distance = RoundSat(d);
    return true;
  }
  double d = DistanceBetween(pt.x, pt.y, p1.ScreenX, p1.ScreenY);
  if (!(tolerance > d)) return false;
  distance = RoundSat(d);
  return true;
}

bool TScreenSinglePoint::HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance,
                                       POINT& vertex) {
  const TPointRec& p1 = Points[0];
  double d = DistanceBetween(pt.x, pt.y, p1.ScreenX, p1.ScreenY);
  if (!(d < tolerance)) return false;
  distance = TruncSat(d);
  vertex = POINT{p1.ScreenX, p1.ScreenY};
  return true;
}

std::string TScreenSinglePoint::GetHint(int language) {
  std::string text;
  if (ShowMouseHelp) {
    if (language == 0)
      text = std::string("Click mit der rechten Maustaste um den Punkt zu l\xF6schen.") + QZ_TEXT_SEP +
             "Click mit der linken Maustaste (gedr\xFC" "ckt halten) um die Position zu ver\xE4ndern." +
             QZ_TEXT_SEP;
    else
      text = std::string("Right mouse button to delete point.") + QZ_TEXT_SEP +
             "Left mouse button (keep pressed) to change position" + QZ_TEXT_SEP;
  }
  return AppendUserHint(text + GetMeasureText());
}

std::string TScreenSinglePoint::GetDeleteCaption(int language) {
  return language == 0 ? "Punkt l\xF6schen" : "delete point";
}

std::string TScreenSinglePoint::GetCreatePrompt(int language, int32_t step) {
  if (step != 1 && step != 2) return std::string();
  if (language == 0)
    return std::string("Klicken Sie auf die Stelle, an die Sie den Punkt setzen wollen.") + QZ_TEXT_SEP +
           "Abbruch mit der rechten Maustaste.";
  return std::string("Click on the position, where you want to place your point.") + QZ_TEXT_SEP +
         "Right mouse button to cancel.";
}

std::string TScreenSinglePoint::GetMeasureText() {
  const TPointRec& p1 = Points[0];
  return "(" + std::to_string(p1.StoredX) + "/" + std::to_string(p1.StoredY) + ")";
}

void TScreenSinglePoint::GetScriptCommand(TStringVector& list) {
  const TPointRec& p1 = Points[0];
  list.push_back("POINT " + std::to_string(p1.ScreenX) + " " + std::to_string(p1.ScreenY) + " " +
                 std::to_string(PointType) + " " + std::to_string(PointColor));
  AppendScriptOptions(list);
}

void TScreenSinglePoint::SetOwnWindow(bool value) {
  TScreenObject::SetOwnWindow(value);
  if (value && OwnForm) OwnForm->SetColor(PointColor);
}

HRGN TScreenSinglePoint::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) {
  if (!Visible) return region;
  TScreenObject::Draw(canvas, clip, drawFlag, region);
  NewRegion(nullptr);
  const TPointRec& p1 = Points[0];
  DrawPointMarker(canvas, clip, Region.get(), POINT{p1.ScreenX, p1.ScreenY}, PointType, PointColor,
                  PointSize, 0, 0);
  return AddRegionTo(region);
}
