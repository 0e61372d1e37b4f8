#include "settings/Iniregi.h"
#include "settings/uIniFile.h"
#include "win/Handles.h"
#include <limits>
#include <vector>

namespace {
bool fits(const std::string& s) { return s.size() <= kIniMaxArgument; }
}  // namespace

bool WriteIniString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value) {
  if (!fits(fileName) || !fits(section) || !fits(key) || !fits(value)) return false;
  TIniEdit edit(fileName);
  edit.Set(section, key, value);
  return edit.Commit();
}

void WriteIniBool(const std::string& fileName, const std::string& section, const std::string& key, bool value) {
  WriteIniString(fileName, section, key, value ? "1" : "0");
}

void WriteIniInteger(const std::string& fileName, const std::string& section, const std::string& key,
                     int32_t value) {
  WriteIniString(fileName, section, key, std::to_string(value));
}

std::string ReadIniStringMax(const std::string& fileName, const std::string& section, const std::string& key,
                             const std::string& defaultValue, size_t maxChars) {
  if (!fits(fileName) || !fits(section) || !fits(key) || !fits(defaultValue))
    return defaultValue.substr(0, maxChars);
  std::vector<char> buf(maxChars + 1, '\0');
  DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buf.data(),
                                       static_cast<DWORD>(buf.size()), fileName.c_str());
  return std::string(buf.data(), std::min<size_t>(n, maxChars));
}

std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& key,
                          const std::string& defaultValue) {
  return ReadIniStringMax(fileName, section, key, defaultValue, kIniMaxValue);
}

bool ReadIniBool(const std::string& fileName, const std::string& section, const std::string& key, bool defaultValue) {
  return ReadIniString(fileName, section, key, defaultValue ? "1" : "0") == "1";
}

bool ParseInt32(const std::string& text, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

int32_t ReadIniInteger(const std::string& fileName, const std::string& section, const std::string& key,
                       int32_t defaultValue) {
  int32_t v = 0;
  return ParseInt32(ReadIniString(fileName, section, key, std::to_string(defaultValue)), v) ? v : defaultValue;
}

std::string ReadRegistryString(HKEY rootKey, const std::string& key, const std::string& name,
                               const std::string& defaultValue) {
  std::string path = key;
  if (!path.empty() && path[0] == '\\') path.erase(0, 1);
  HKEY raw = nullptr;
  if (::RegOpenKeyExA(rootKey, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return defaultValue;
  win::RegKey owner(raw);
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(raw, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return {};
  std::vector<char> buf(size + 1, '\0');
  if (::RegQueryValueExA(raw, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
    return {};
  return std::string(buf.data());   // cut at the first NUL
}
