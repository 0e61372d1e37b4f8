// INI and registry helpers of the program. Every INI file it keeps goes through
// these; all texts are 8-bit strings. Reads use the system's profile functions;
// a write replaces the file whole and durably (uIniFile), and only when it changes.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// Longest argument the INI functions take; longer ones are refused (a write
// returns false, a read returns its default) rather than cut.
constexpr size_t kIniMaxArgument = 400;
// Longest value a read returns; longer values come back cut.
constexpr size_t kIniMaxValue = 298;

bool WriteIniString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value);
void WriteIniBool(const std::string& fileName, const std::string& section, const std::string& key, bool value);
void WriteIniInteger(const std::string& fileName, const std::string& section, const std::string& key,
                     int32_t value);
std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& key,
                          const std::string& defaultValue);
// As ReadIniString, with room for maxChars characters (histories read back
// everything a write can store).
std::string ReadIniStringMax(const std::string& fileName, const std::string& section, const std::string& key,
                             const std::string& defaultValue, size_t maxChars);
bool ReadIniBool(const std::string& fileName, const std::string& section, const std::string& key, bool defaultValue);
int32_t ReadIniInteger(const std::string& fileName, const std::string& section, const std::string& key,
                       int32_t defaultValue);
// A text value of the registry: Default when the key cannot be opened, empty
// when the value is missing, empty or not text.
std::string ReadRegistryString(HKEY rootKey, const std::string& key, const std::string& name,
                               const std::string& defaultValue);

// Decimal text to a 32-bit integer: an optional sign and digits only.
bool ParseInt32(const std::string& text, int32_t& value);
