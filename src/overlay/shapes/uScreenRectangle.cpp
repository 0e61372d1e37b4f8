#include "uScreenRectangle.h"
// Stub bodies; replaced by the implementation.
#pragma GCC diagnostic ignored "-Wunused-parameter"
TScreenRectangle::TScreenRectangle() {}
bool TScreenRectangle::IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) { return false; }
bool TScreenRectangle::HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) { return false; }
bool TScreenRectangle::BeginDrag(uint8_t mode, int32_t x, int32_t y) { return false; }
std::string TScreenRectangle::GetDeleteCaption(int language) { return std::string(); }
std::string TScreenRectangle::GetMeasureText() { return std::string(); }
HRGN TScreenRectangle::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) { return region; }
RECT TScreenRectangle::GetRect() const { return RECT{0, 0, 0, 0}; }
const char* TScreenRectangle::HintDeleteLine(int language) const { return ""; }
const char* TScreenRectangle::HintMoveShapeLine(int language) const { return ""; }
const char* TScreenRectangle::PromptLine(int language, int32_t step) const { return ""; }
const char* TScreenRectangle::ScriptWord() const { return ""; }
bool TScreenRectangle::NearestCorner(POINT pt, int32_t& distance, POINT* vertex) const { return false; }
HRGN TScreenRectangle::DrawCornerMarkers(win::Canvas* canvas, const RECT& clip, HRGN region) { return region; }
