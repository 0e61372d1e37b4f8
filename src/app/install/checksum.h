// The 8-digit checksum of install package entries: two sums modulo 65535 over
// the bytes, the second weighted by each byte's 1-based position within its
// 60000-byte block. Portable: the build machine's packer uses it too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

constexpr size_t kChecksumBlockSize = 60000;

// 4 uppercase hex digits, most significant first.
std::string WordToHex4(uint16_t value);

class TChecksum {
public:
  void Add(const uint8_t* data, size_t size);
  std::string Result() const { return WordToHex4(s1_) + WordToHex4(s2_); }
private:
  uint32_t s1_ = 0, s2_ = 0;
  size_t posInBlock_ = 0;
};

// Checksum of a stream's remaining bytes; false when reading fails.
bool CalcStreamChecksum(std::istream& in, std::string& result);
// Checksum of a file; for a file that cannot be read a text that no checksum equals.
std::string CalcFileChecksum(const std::string& fileName);
