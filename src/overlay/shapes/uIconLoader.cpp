#include "uIconLoader.h"

#include <cstring>
#include <vector>

#include "uBmpDecoder.h"
#include "uReadableMemory.h"

namespace {

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

// An entry of an icon directory as resources hold it: an ID in place of the offset.
#pragma pack(push, 2)
struct TGroupIconEntry {
  BYTE Width, Height, Colors, Reserved;
  WORD Planes, BitCount;
  DWORD Bytes;
  WORD Id;
};
#pragma pack(pop)
static_assert(sizeof(TGroupIconEntry) == 14, "resource icon directory entries are 14 bytes");

constexpr size_t kFileEntry = 16;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool Refuse(std::string& error, const char* why) {
  error = why;
  return false;
}

HICON Fail(std::string& error, const char* why) {
  Refuse(error, why);
  return nullptr;
}

// True for an icon directory header of count entries of entryBytes within size bytes.
bool DirectoryFits(const uint8_t* data, size_t size, size_t entryBytes, std::string& error) {
  if (!data || size < 6 || U16(data) != 0 || U16(data + 2) != 1) return Refuse(error, "no icon directory");
  if (U16(data + 4) == 0) return Refuse(error, "icon without images");
  if (6 + uint64_t(U16(data + 4)) * entryBytes > size) return Refuse(error, "icon directory cut short");
  return true;
}

// An image is a PNG stream, which its decoder reads within the bytes it is
// given, or a DIB whose colour rows and mask must all be there.
bool ImageFits(const uint8_t* image, size_t size, std::string& error) {
  if (size >= sizeof kPngSignature && std::memcmp(image, kPngSignature, sizeof kPngSignature) == 0) return true;
  return IconDibFits(image, size, error);
}

// The chosen image of a resource directory (a copy: the system reads only that).
int ChooseImage(const uint8_t* group, size_t size, int cx, int cy) {
  std::vector<uint8_t> copy(group, group + size);
  return ::LookupIconIdFromDirectoryEx(copy.data(), TRUE, cx, cy, LR_DEFAULTCOLOR);
}

HICON IconFromImage(const uint8_t* image, size_t size, int cx, int cy, std::string& error) {
  if (!ImageFits(image, size, error)) return nullptr;
  std::vector<uint8_t> copy(image, image + size);
  HICON icon = ::CreateIconFromResourceEx(copy.data(), static_cast<DWORD>(copy.size()), TRUE, 0x00030000, cx,
                                          cy, LR_DEFAULTCOLOR);
  return icon ? icon : Fail(error, "icon cannot be decoded");
}

// A resource's own bytes, when the module's memory really holds them all.
bool ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type, const uint8_t*& bytes, DWORD& size) {
  HRSRC info = ::FindResourceA(module, name, type);
  if (!info) return false;
  size = ::SizeofResource(module, info);
  HGLOBAL handle = ::LoadResource(module, info);
  bytes = handle ? static_cast<const uint8_t*>(::LockResource(handle)) : nullptr;
  return bytes && IsReadableRange(bytes, size);
}

}  // namespace

HICON CreateIconFromIcoData(const uint8_t* Data, size_t Size, int cx, int cy, std::string& Error) {
  if (!DirectoryFits(Data, Size, kFileEntry, Error)) return nullptr;
  const uint32_t count = U16(Data + 4);
  // The file's directory as a resource directory, for the system's choice of image;
  // every image it lists must lie within the file.
  std::vector<uint8_t> group(6 + count * sizeof(TGroupIconEntry));
  std::memcpy(group.data(), Data, 6);
  for (uint32_t k = 0; k < count; ++k) {
    const uint8_t* e = Data + 6 + k * kFileEntry;
    const uint32_t bytes = U32(e + 8), offset = U32(e + 12);
    if (uint64_t(offset) + bytes > Size) return Fail(Error, "icon image past the end of the file");
    if (!ImageFits(Data + offset, bytes, Error)) return nullptr;
    const TGroupIconEntry entry{e[0], e[1], e[2], e[3], static_cast<WORD>(U16(e + 4)),
                                static_cast<WORD>(U16(e + 6)), bytes, static_cast<WORD>(k + 1)};
    std::memcpy(group.data() + 6 + k * sizeof entry, &entry, sizeof entry);
  }
  const int id = ChooseImage(group.data(), group.size(), cx, cy);
  if (id < 1 || static_cast<uint32_t>(id) > count) return Fail(Error, "no image of the icon file fits");
  const uint8_t* e = Data + 6 + (id - 1) * kFileEntry;
  return IconFromImage(Data + U32(e + 12), U32(e + 8), cx, cy, Error);
}

HICON CreateIconFromModule(HMODULE Module, LPCSTR Name, int cx, int cy) {
  const uint8_t* group = nullptr;
  DWORD groupSize = 0;
  std::string error;
  if (!ResourceBytes(Module, Name, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, group, groupSize) ||
      !DirectoryFits(group, groupSize, sizeof(TGroupIconEntry), error))
    return nullptr;
  const int id = ChooseImage(group, groupSize, cx, cy);
  const uint8_t* image = nullptr;
  DWORD imageSize = 0;
  if (id <= 0 || !ResourceBytes(Module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3) /* RT_ICON */, image, imageSize))
    return nullptr;
  return IconFromImage(image, imageSize, cx, cy, error);
}
