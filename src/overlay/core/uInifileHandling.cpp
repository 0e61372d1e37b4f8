#include "uInifileHandling.h"
#include <memory>
#include <vector>

static std::vector<std::unique_ptr<TBufferedIniFile>> registry;

TBufferedIniFile& GetBufferedIniFile(const std::string& fileName) {
  registry.push_back(std::make_unique<TBufferedIniFile>(fileName));
  return *registry.back();
}
void CloseBufferedIniFiles() { registry.clear(); }
std::string IniFileReadString(const std::string&, const std::string&, const std::string&,
                              const std::string& def) {
  return def;
}
bool IniFileWriteString(const std::string&, const std::string&, const std::string&,
                        const std::string&) {
  return true;
}
void WriteIniString(const std::string&, const std::string&, const std::string&, const std::string&) {}
void WriteIniBool(const std::string&, const std::string&, const std::string&, bool) {}
void WriteIniInteger(const std::string&, const std::string&, const std::string&, int32_t) {}
std::string ReadIniString(const std::string&, const std::string&, const std::string&,
                          const std::string& def) {
  return def;
}
bool ReadIniBool(const std::string&, const std::string&, const std::string&, bool def) { return def; }
int32_t ReadIniInteger(const std::string&, const std::string&, const std::string&, int32_t def) {
  return def;
}
bool TryStrToInt32(const std::string&, int32_t&) { return false; }
std::string EscapeIniValue(const std::string& text) { return text; }
std::string UnescapeIniValue(const std::string& text) { return text; }
