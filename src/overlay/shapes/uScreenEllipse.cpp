#include "uScreenEllipse.h"
// Stub bodies; replaced by the implementation.
#pragma GCC diagnostic ignored "-Wunused-parameter"
TScreenEllipse::TScreenEllipse() {}
std::string TScreenEllipse::GetDeleteCaption(int language) { return std::string(); }
std::string TScreenEllipse::GetMeasureText() { return std::string(); }
void TScreenEllipse::UpdateBounds() {}
HRGN TScreenEllipse::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) { return region; }
RECT TScreenEllipse::GetEllipseRect() const { return RECT{0, 0, 0, 0}; }
const char* TScreenEllipse::HintDeleteLine(int language) const { return ""; }
const char* TScreenEllipse::HintMoveShapeLine(int language) const { return ""; }
const char* TScreenEllipse::PromptLine(int language, int32_t step) const { return ""; }
const char* TScreenEllipse::ScriptWord() const { return ""; }
