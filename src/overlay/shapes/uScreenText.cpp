#include "uScreenText.h"
// Stub bodies; replaced by the implementation.
#pragma GCC diagnostic ignored "-Wunused-parameter"
TScreenText::TScreenText() {}
std::string TScreenText::GetHint(int language) { return std::string(); }
std::string TScreenText::GetDeleteCaption(int language) { return std::string(); }
std::string TScreenText::GetCreatePrompt(int language, int32_t step) { return std::string(); }
bool TScreenText::LoadFromIni(const std::string& iniFile, const std::string& section, IOverlayForm* overlay) { return false; }
void TScreenText::SaveToIni(const std::string& iniFile, const std::string& section, TStringVector* fileList) {}
void TScreenText::GetScriptCommand(TStringVector& list) {}
void TScreenText::SetCaption(const std::string& text) {}
void TScreenText::SetFont(const win::Font& font) {}
void TScreenText::SetFrameColor(COLORREF color) {}
void TScreenText::RenderText() {}
