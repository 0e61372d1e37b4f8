#include "uScreenSinglePoint.h"
// Stub bodies; replaced by the implementation.
#pragma GCC diagnostic ignored "-Wunused-parameter"
TScreenSinglePoint::TScreenSinglePoint() {}
bool TScreenSinglePoint::IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) { return false; }
bool TScreenSinglePoint::HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) { return false; }
std::string TScreenSinglePoint::GetHint(int language) { return std::string(); }
std::string TScreenSinglePoint::GetDeleteCaption(int language) { return std::string(); }
std::string TScreenSinglePoint::GetCreatePrompt(int language, int32_t step) { return std::string(); }
std::string TScreenSinglePoint::GetMeasureText() { return std::string(); }
void TScreenSinglePoint::GetScriptCommand(TStringVector& list) {}
void TScreenSinglePoint::SetOwnWindow(bool value) {}
HRGN TScreenSinglePoint::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) { return region; }
