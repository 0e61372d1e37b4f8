#include "install/checksum.h"
#include <algorithm>
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
  // Sums taken modulo once per stretch of a block rather than per byte: within
  // one block they stay far below 2^64, and the result is the same.
  while (size > 0) {
    const size_t n = std::min(size, kChecksumBlockSize - posInBlock_);
    uint64_t a = s1_, b = s2_;
    uint64_t i = posInBlock_;
    for (size_t k = 0; k < n; ++k) {
      a += data[k];
      b += ++i * data[k];
    }
    s1_ = static_cast<uint32_t>(a % 65535);
    s2_ = static_cast<uint32_t>(b % 65535);
    posInBlock_ = (posInBlock_ + n) % kChecksumBlockSize;
    data += n;
    size -= n;
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
