#include "uScreenLine.h"
// Stub bodies; replaced by the implementation.
#pragma GCC diagnostic ignored "-Wunused-parameter"
TScreenTwoPoint::TScreenTwoPoint() {}
TScreenLine::TScreenLine() {}
bool TScreenLine::IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) { return false; }
bool TScreenLine::HitTestVertex(POINT pt, int32_t tolerance, int32_t& distance, POINT& vertex) { return false; }
bool TScreenLine::BeginDrag(uint8_t mode, int32_t x, int32_t y) { return false; }
bool TScreenLine::EndDrag() { return false; }
bool TScreenLine::AddPoint(int32_t x, int32_t y) { return false; }
std::string TScreenLine::GetHint(int language) { return std::string(); }
std::string TScreenLine::GetDeleteCaption(int language) { return std::string(); }
std::string TScreenLine::GetCreatePrompt(int language, int32_t step) { return std::string(); }
std::string TScreenLine::GetMeasureText() { return std::string(); }
bool TScreenLine::LoadFromIni(const std::string& iniFile, const std::string& section, IOverlayForm* overlay) { return false; }
void TScreenLine::SaveToIni(const std::string& iniFile, const std::string& section, TStringVector* fileList) {}
void TScreenLine::GetScriptCommand(TStringVector& list) {}
HRGN TScreenLine::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) { return region; }
void TScreenLine::SetInfiniteLine(bool value) {}
void TScreenLine::SetArrow(bool value) {}
void TScreenLine::ExtendToDesktop() {}
const char* TScreenLine::HintDeleteLine(int language) const { return ""; }
const char* TScreenLine::HintMoveShapeLine(int language) const { return ""; }
const char* TScreenLine::PromptLine(int language, int32_t step) const { return ""; }
const char* TScreenLine::ScriptWord() const { return ""; }
void TScreenLine::WritePoints(POINT p1, POINT p2) {}
