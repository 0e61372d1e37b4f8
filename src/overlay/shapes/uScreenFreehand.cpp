#include "uScreenFreehand.h"
// Stub bodies; replaced by the implementation.
#pragma GCC diagnostic ignored "-Wunused-parameter"
TScreenFreehand::TScreenFreehand() {}
bool TScreenFreehand::IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) { return false; }
bool TScreenFreehand::HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) { return false; }
bool TScreenFreehand::BeginDrag(uint8_t mode, int32_t x, int32_t y) { return false; }
bool TScreenFreehand::AddPoint(int32_t x, int32_t y) { return false; }
std::string TScreenFreehand::GetHint(int language) { return std::string(); }
std::string TScreenFreehand::GetDeleteCaption(int language) { return std::string(); }
std::string TScreenFreehand::GetCreatePrompt(int language, int32_t step) { return std::string(); }
std::string TScreenFreehand::GetMeasureText() { return std::string(); }
void TScreenFreehand::GetScriptCommand(TStringVector& list) {}
HRGN TScreenFreehand::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) { return region; }
