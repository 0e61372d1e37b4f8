// A search or replacement string of the single-line mode: up to 1024 arbitrary bytes
// (NUL and control bytes included) with an explicit length, set from text or from
// hex digits and read back as display text or hex digits.
#pragma once
#include <cstdint>
#include <string>

class TExtPChar {
public:
  static constexpr int MaxLen = 1024;

  TExtPChar();

  uint8_t Buffer[MaxLen];  // bytes from Len on are always 0
  int32_t Len;             // 0..1024, or -1 while unset

  const uint8_t* GetBuffer() const { return Buffer; }
  uint8_t* GetBuffer() { return Buffer; }
  void SetText(const std::string& s);
  std::string GetText() const;  // bytes below 32 shown as "."
  void SetHex(const std::string& s);
  std::string GetHex() const;   // two upper-case digits per byte
  bool HasControlChars() const;
};
