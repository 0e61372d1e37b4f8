#include "uScreenObject.h"
#include "uScreenObjectForm.h"

const char* const QZ_TEXT_SEP = "\n\r";
int32_t MeasureUnit = 0;

TScreenObject::TScreenObject() {}
TScreenObject::~TScreenObject() = default;
void TScreenObject::UpdatePosition() {}
void TScreenObject::SetVisible(bool value) { Visible = value; }
HRGN TScreenObject::Paint(win::Canvas*, const RECT&, bool, HRGN region) { return region; }
bool TScreenObject::IsOverObject(POINT, int32_t, int32_t&) { return false; }
bool TScreenObject::HitTest(POINT) { return false; }
bool TScreenObject::HitTestVertex(POINT, int32_t, int32_t&, POINT&) { return false; }
bool TScreenObject::BeginDrag(uint8_t, int32_t, int32_t) { return false; }
bool TScreenObject::EndDrag() { return false; }
bool TScreenObject::AddPoint(int32_t, int32_t) { return false; }
bool TScreenObject::DragTo(int32_t, int32_t) { return false; }
void TScreenObject::SetPoint(int32_t, const TPointRec&) {}
std::string TScreenObject::GetHint(int) { return {}; }
std::string TScreenObject::GetDeleteCaption(int) { return {}; }
std::string TScreenObject::GetCreatePrompt(int, int32_t) { return {}; }
std::string TScreenObject::GetMeasureText() { return {}; }
void TScreenObject::UpdateBounds() {}
bool TScreenObject::InBounds(POINT) { return false; }
bool TScreenObject::LoadFromIni(const std::string&, const std::string&, IOverlayForm*) {
  return false;
}
void TScreenObject::SaveToIni(const std::string&, const std::string&, TStringVector*) {}
void TScreenObject::GetScriptCommand(TStringVector&) {}
void TScreenObject::SetBackColor(COLORREF c) { BackColor = c; }
void TScreenObject::SetOwnWindow(bool value) { HasOwnWindow = value; }
void TScreenObject::MoveBy(double, double) {}
void TScreenObject::ScaleAbout(double, double, double) {}
void TScreenObject::BeginDraw(win::Canvas*&, const RECT&, bool, HRGN) {}
HRGN TScreenObject::Draw(win::Canvas*&, const RECT&, bool, HRGN region) { return region; }
void TScreenObject::EndDraw(win::Canvas*&, const RECT&, bool, HRGN) {}
void TScreenObject::SetCapacity(int32_t) {}
void TScreenObject::SetPointCount(int32_t) {}
TPointRec* TScreenObject::GetPointRec(int32_t) { return nullptr; }
void TScreenObject::BackupPoints() {}
HRGN TScreenObject::NewRegion(HRGN) { return Region.get(); }
HRGN TScreenObject::AddRegionTo(HRGN region) { return region; }
void TScreenObject::GetOwnCanvas(win::Canvas*&) {}
void TScreenObject::PlaceOwnWindow() {}
std::string TScreenObject::AppendUserHint(const std::string& text) const { return text; }
void TScreenObject::SetPointType(int32_t v) { PointType = v; }
void TScreenObject::SetPointColor(COLORREF c) { PointColor = c; }
void TScreenObject::SetLineColor(COLORREF c) { LineColor = c; }
void TScreenObject::SetPointSize(int32_t v) { PointSize = v; }
void TScreenObject::SetAutoShow(bool v) { AutoShow = v; }
void TScreenObject::SetAutoHide(bool v) { AutoHide = v; }
void TScreenObject::SetTransparentFactor(int32_t p) { TransparentFactor = p; }
void TScreenObject::SetClickThrough(bool v) { ClickThrough = v; }
void TScreenObject::SetOverlayForm(IOverlayForm* o) { OverlayForm = o; }
std::string TScreenObject::FormatLength(const std::string&, double) const { return {}; }
std::string TScreenObject::FormatArea(const std::string&, double) const { return {}; }
void TScreenObject::AppendScriptOptions(TStringVector&) const {}
float GetScale() { return 1.0f; }
int32_t PolygonArea(int32_t, const TPointRec*) { return 0; }
void SetMeasureSettings(int32_t unit, int32_t, int32_t, int32_t, int32_t, const std::string&) {
  MeasureUnit = unit;
}
void SetMeasureDecimalSeparator(char) {}
char MeasureDecimalSeparator() { return '.'; }
std::string FormatMeasureValue(const std::string&, int32_t, double) { return {}; }
std::string FormatMeasureArea(const std::string&, int32_t, double) { return {}; }
std::string FormatFixed(double, int, int, char) { return {}; }
