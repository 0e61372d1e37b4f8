#include "checksum.h"
#include <fstream>
#include <vector>

std::string WordToHex4(uint16_t value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string s(4, '0');
  s[0] = digits[value / 4096];
  s[1] = digits[(value >> 8) & 15];
  s[2] = digits[(value >> 4) & 15];
  s[3] = digits[value & 15];
  return s;
}

void TChecksum::Add(const uint8_t* data, size_t size) {
  for (size_t k = 0; k < size; ++k) {
    uint32_t b = data[k];
    uint32_t i = static_cast<uint32_t>(posInBlock_) + 1;
    s1_ = (s1_ + b) % 65535;
    s2_ = (s2_ + i * b) % 65535;
    if (++posInBlock_ == kChecksumBlockSize) posInBlock_ = 0;
  }
}

bool CalcStreamChecksum(std::istream& in, std::string& result) {
  TChecksum sum;
  std::vector<char> block(kChecksumBlockSize);
  while (in) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    std::streamsize got = in.gcount();
    if (got > 0) sum.Add(reinterpret_cast<const uint8_t*>(block.data()), static_cast<size_t>(got));
  }
  if (in.bad()) return false;
  result = sum.Result();
  return true;
}

std::string CalcFileChecksum(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::string result;
  if (!in || !CalcStreamChecksum(in, result)) return "Fehler beim Erstellen der CHECKSUMME von : " + fileName;
  return result;
}
