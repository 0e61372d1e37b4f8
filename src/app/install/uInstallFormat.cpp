#include "install/uInstallFormat.h"
#include <cstring>

std::string EntryName(const TInstallEntry& e) {
  size_t n = e.Name[0];
  if (n > kInstallNameMax) n = kInstallNameMax;
  return std::string(reinterpret_cast<const char*>(e.Name + 1), n);
}

std::string EntryChecksum(const TInstallEntry& e) {
  size_t n = e.Checksum[0];
  if (n > 11) n = 11;
  return std::string(reinterpret_cast<const char*>(e.Checksum + 1), n);
}

TInstallEntry MakeInstallEntry(const std::string& name, int32_t size, int32_t offset, const std::string& checksum) {
  TInstallEntry e;
  std::memset(&e, 0, sizeof(e));
  size_t n = name.size() > kInstallNameMax ? kInstallNameMax : name.size();
  e.Name[0] = static_cast<uint8_t>(n);
  std::memcpy(e.Name + 1, name.data(), n);
  e.Size = size;
  e.Offset = offset;
  size_t c = checksum.size() > 11 ? 11 : checksum.size();
  e.Checksum[0] = static_cast<uint8_t>(c);
  std::memcpy(e.Checksum + 1, checksum.data(), c);
  return e;
}

bool IsSafeEntryName(const std::string& name) {
  if (name.empty() || name.size() > kInstallNameMax || name == "." || name == "..") return false;
  for (unsigned char ch : name) {
    if (ch < 32 || ch == '\\' || ch == '/' || ch == ':') return false;
  }
  return true;
}

int TrailerEntryCount(const uint8_t* trailer) {
  if (std::memcmp(trailer, kInstallMarker, kInstallMarkerSize) != 0) return 0;
  return trailer[9];   // the high byte is not used
}

void MakeTrailer(int count, uint8_t* trailer) {
  std::memcpy(trailer, kInstallMarker, kInstallMarkerSize);
  trailer[9] = static_cast<uint8_t>(count);
  trailer[10] = 0;
}

bool ValidateInstallDirectory(const std::vector<TInstallEntry>& entries, uint64_t fileSize) {
  if (entries.empty() || entries.size() > static_cast<size_t>(kInstallMaxEntries)) return false;
  uint64_t tail = kInstallTrailerSize + entries.size() * kInstallEntrySize;
  if (fileSize < tail) return false;
  uint64_t dataEnd = fileSize - tail;
  for (const TInstallEntry& e : entries) {
    if (e.Name[0] > kInstallNameMax || !IsSafeEntryName(EntryName(e))) return false;
    if (e.Size < 0 || e.Offset < 0) return false;
    if (static_cast<uint64_t>(e.Offset) + static_cast<uint64_t>(e.Size) > dataEnd) return false;
    std::string sum = EntryChecksum(e);
    if (sum.size() != 8) return false;
    for (char ch : sum)
      if (!((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'))) return false;
  }
  return true;
}
