#include "uScreenBitmap.h"
// Stub bodies; replaced by the implementation.
#pragma GCC diagnostic ignored "-Wunused-parameter"
TScreenBitmap::TScreenBitmap() {}
std::string TScreenBitmap::GetHint(int language) { return std::string(); }
std::string TScreenBitmap::GetDeleteCaption(int language) { return std::string(); }
std::string TScreenBitmap::GetCreatePrompt(int language, int32_t step) { return std::string(); }
std::string TScreenBitmap::GetMeasureText() { return std::string(); }
bool TScreenBitmap::LoadFromIni(const std::string& iniFile, const std::string& section, IOverlayForm* overlay) { return false; }
void TScreenBitmap::SaveToIni(const std::string& iniFile, const std::string& section, TStringVector* fileList) {}
void TScreenBitmap::GetScriptCommand(TStringVector& list) {}
bool TScreenBitmap::LoadFromFile(const std::string& name) { return false; }
void TScreenBitmap::LoadFromResource(HINSTANCE instance, const std::string& name) {}
HICON TScreenBitmap::LoadModuleIcon(HMODULE module) { return nullptr; }
const char* const QZ_RESOURCE_PREFIX = "::RES::";
