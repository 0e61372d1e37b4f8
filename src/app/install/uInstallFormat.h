// Layout of the install package appended to the program file: the entries'
// bytes, then one 124-byte directory record per entry, then an 11-byte trailer
// ("Qzinstall" and the entry count). Portable: the packer writes what the
// program reads, with the same checks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr char kInstallMarker[] = "Qzinstall";
constexpr size_t kInstallMarkerSize = 9;
constexpr size_t kInstallTrailerSize = 11;
constexpr size_t kInstallEntrySize = 124;
constexpr size_t kInstallNameMax = 103;
constexpr int kInstallMaxEntries = 255;

#pragma pack(push, 1)
struct TInstallEntry {
  uint8_t Name[104];      // length byte, then the characters
  int32_t Size;
  int32_t Offset;
  uint8_t Checksum[12];   // length byte (8), then 8 hex digits
};
#pragma pack(pop)
static_assert(sizeof(TInstallEntry) == kInstallEntrySize, "directory record size");

std::string EntryName(const TInstallEntry& e);
std::string EntryChecksum(const TInstallEntry& e);
// A record for a file; the name must pass IsSafeEntryName.
TInstallEntry MakeInstallEntry(const std::string& name, int32_t size, int32_t offset, const std::string& checksum);

// A bare file name: not empty, at most 103 characters, no folder part, no
// drive, not "." or "..", no control characters.
bool IsSafeEntryName(const std::string& name);

// Reads the count from a trailer; 0 when the marker is missing.
int TrailerEntryCount(const uint8_t* trailer);
void MakeTrailer(int count, uint8_t* trailer);

// Checks a directory read from a file of fileSize bytes: every name safe,
// sizes and offsets inside the data part, checksums of 8 hex digits.
bool ValidateInstallDirectory(const std::vector<TInstallEntry>& entries, uint64_t fileSize);
