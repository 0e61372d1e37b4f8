// The registry of buffered INI files (one per file name, compared without
// regard to case, for the life of the library) and the string, boolean and
// integer helpers the shapes load and save their settings with.
#pragma once
#include <cstdint>
#include <string>
#include "uBufferedIniFile.h"

TBufferedIniFile& GetBufferedIniFile(const std::string& fileName);
// Frees every registered file, saving pending changes (library unload; tests).
void CloseBufferedIniFiles();

std::string IniFileReadString(const std::string& fileName, const std::string& section,
                              const std::string& key, const std::string& def);
bool IniFileWriteString(const std::string& fileName, const std::string& section,
                        const std::string& key, const std::string& value);

// INI values are single trimmed lines. A text that would not survive that
// (a byte below 32 such as CR or LF, a trailing blank) or that starts with
// the marker \: is stored as \: followed by the text with each backslash
// doubled and each such byte as \xHH; ReadIniString undoes it. Every other text, paths with
// backslashes included, is stored as it is, so existing files read unchanged.
void WriteIniString(const std::string& fileName, const std::string& section,
                    const std::string& key, const std::string& value);
void WriteIniBool(const std::string& fileName, const std::string& section, const std::string& key,
                  bool value);
void WriteIniInteger(const std::string& fileName, const std::string& section,
                     const std::string& key, int32_t value);
std::string ReadIniString(const std::string& fileName, const std::string& section,
                          const std::string& key, const std::string& def);
bool ReadIniBool(const std::string& fileName, const std::string& section, const std::string& key,
                 bool def);
int32_t ReadIniInteger(const std::string& fileName, const std::string& section,
                       const std::string& key, int32_t def);

// Integer syntax of the INI values: optional sign, then decimal digits or
// hexadecimal after "$", "x" or "0x"; the whole text must be used and fit
// 32 bits (hexadecimal up to FFFFFFFF, read as its two's complement).
bool TryStrToInt32(const std::string& text, int32_t& value);

// Escaping used for INI values (see WriteIniString).
std::string EscapeIniValue(const std::string& text);
std::string UnescapeIniValue(const std::string& text);
