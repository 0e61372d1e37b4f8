#include "uInifileHandling.h"
#include <windows.h>
#include <memory>
#include <vector>

namespace {

// Frees the files at module finalisation if the library did not close them.
struct Registry {
  std::vector<std::unique_ptr<TBufferedIniFile>> files;
  ~Registry() { close(); }
  void close() {
    while (!files.empty()) files.erase(files.begin());   // each flushes a pending save
  }
};

Registry& registry() {
  static Registry r;
  return r;
}

const char kMarker[] = "\\:";

const char* hexDigits = "0123456789ABCDEF";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TBufferedIniFile& GetBufferedIniFile(const std::string& fileName) {
  auto& files = registry().files;
  for (auto& f : files)
    if (::lstrcmpiA(f->FileName().c_str(), fileName.c_str()) == 0) return *f;
  files.push_back(std::make_unique<TBufferedIniFile>(fileName));
  return *files.back();
}

void CloseBufferedIniFiles() { registry().close(); }

std::string IniFileReadString(const std::string& fileName, const std::string& section,
                              const std::string& key, const std::string& def) {
  return GetBufferedIniFile(fileName).ReadString(section, key, def);
}

bool IniFileWriteString(const std::string& fileName, const std::string& section,
                        const std::string& key, const std::string& value) {
  GetBufferedIniFile(fileName).WriteString(section, key, value);
  return true;
}

std::string EscapeIniValue(const std::string& text) {
  bool needed = text.compare(0, 2, kMarker) == 0 || (!text.empty() && text.back() == ' ');
  for (char c : text)
    if (static_cast<unsigned char>(c) < 32) needed = true;
  if (!needed) return text;
  std::string r = kMarker;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\') r += "\\\\";
    else if (c < 32 || (c == ' ' && i + 1 == text.size())) {
      r += "\\x";
      r += hexDigits[c >> 4];
      r += hexDigits[c & 15];
    } else r += static_cast<char>(c);
  }
  return r;
}

std::string UnescapeIniValue(const std::string& text) {
  if (text.compare(0, 2, kMarker) != 0) return text;
  std::string r;
  for (size_t i = 2; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      r += '\\';
      ++i;
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
               hexValue(text[i + 2]) >= 0 && hexValue(text[i + 3]) >= 0) {
      r += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
      i += 3;
    } else r += text[i];
  }
  return r;
}

void WriteIniString(const std::string& fileName, const std::string& section,
                    const std::string& key, const std::string& value) {
  IniFileWriteString(fileName, section, key, EscapeIniValue(value));
}

void WriteIniBool(const std::string& fileName, const std::string& section, const std::string& key,
                  bool value) {
  WriteIniString(fileName, section, key, value ? "1" : "0");
}

void WriteIniInteger(const std::string& fileName, const std::string& section,
                     const std::string& key, int32_t value) {
  WriteIniString(fileName, section, key, std::to_string(value));
}

std::string ReadIniString(const std::string& fileName, const std::string& section,
                          const std::string& key, const std::string& def) {
  std::string value;
  if (!GetBufferedIniFile(fileName).FindValue(section, key, value)) return def;
  return UnescapeIniValue(value);
}

bool ReadIniBool(const std::string& fileName, const std::string& section, const std::string& key,
                 bool def) {
  return ReadIniString(fileName, section, key, def ? "1" : "0") == "1";
}

int32_t ReadIniInteger(const std::string& fileName, const std::string& section,
                       const std::string& key, int32_t def) {
  try {
    int32_t v = 0;
    return TryStrToInt32(ReadIniString(fileName, section, key, std::to_string(def)), v) ? v : def;
  } catch (...) {
    return def;
  }
}

bool TryStrToInt32(const std::string& text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= text.size()) return false;
  uint64_t v = 0;
  for (; i < text.size(); ++i) {
    int d = hex ? hexValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return false;
    v = v * (hex ? 16 : 10) + static_cast<unsigned>(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  if (hex) {
    uint32_t u = static_cast<uint32_t>(v);
    value = static_cast<int32_t>(negative ? 0u - u : u);
    return true;
  }
  if (negative ? v > 2147483648ull : v > 2147483647ull) return false;
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
  return true;
}
