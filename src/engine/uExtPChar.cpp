#include "uExtPChar.h"
#include "MailTools.h"
#include <algorithm>
#include <cstring>

TExtPChar::TExtPChar() : Len(-1) { std::memset(Buffer, 0, sizeof Buffer); }

void TExtPChar::SetText(const std::string& s) {
  std::memset(Buffer, 0, sizeof Buffer);
  const size_t n = std::min<size_t>(s.size(), MaxLen);
  // Bytes after a NUL stay 0, while Len still counts them.
  const size_t copy = std::min(n, std::strlen(s.c_str()));
  std::memcpy(Buffer, s.data(), copy);
  Len = static_cast<int32_t>(n);
}

std::string TExtPChar::GetText() const {
  std::string t;
  for (int i = 0; i < Len; ++i) t += Buffer[i] < 32 ? '.' : static_cast<char>(Buffer[i]);
  return t;
}

std::string TExtPChar::GetHex() const {
  static const char digits[] = "0123456789ABCDEF";
  std::string t;
  for (int i = 0; i < Len; ++i) {
    t += digits[Buffer[i] >> 4];
    t += digits[Buffer[i] & 15];
  }
  return t;
}

void TExtPChar::SetHex(const std::string& s) {
  std::string digits;
  for (char c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) digits += c;
  }
  std::memset(Buffer, 0, sizeof Buffer);
  HexTextToBuffer(digits, Buffer, MaxLen);
  Len = static_cast<int32_t>(std::min<size_t>(digits.size() / 2, MaxLen));
}

bool TExtPChar::HasControlChars() const {
  return std::any_of(Buffer, Buffer + std::max(Len, 0), [](uint8_t b) { return b < 32; });
}
