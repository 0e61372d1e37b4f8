#include "install/fileinst.h"
#include "install/checksum.h"
#include "win/DurableFile.h"
#include "win/Handles.h"
#include <windows.h>
#include <cstring>
#include <vector>

TInstallEntry InstallEntries[kInstallMaxEntries];
uint8_t InstallEntryCount = 1;

namespace {
std::string g_packageFile;

bool readAt(HANDLE f, uint64_t pos, void* buf, DWORD size) {
  LARGE_INTEGER li;
  li.QuadPart = static_cast<LONGLONG>(pos);
  if (!::SetFilePointerEx(f, li, nullptr, FILE_BEGIN)) return false;
  DWORD got = 0;
  return ::ReadFile(f, buf, size, &got, nullptr) && got == size;
}

std::string programFile() {
  char path[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  return std::string(path, n);
}
}  // namespace

const std::string& InstallPackageFile() { return g_packageFile; }

int ReadInstallDirectoryFrom(const std::string& fileName) {
  g_packageFile = fileName;
  InstallEntryCount = 1;
  std::memset(InstallEntries, 0, sizeof(InstallEntries));
  win::FileHandle f(::CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  if (!f) return 1;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(f.get(), &size) || size.QuadPart < static_cast<LONGLONG>(kInstallTrailerSize)) return 1;
  uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
  uint8_t trailer[kInstallTrailerSize];
  if (!readAt(f.get(), fileSize - kInstallTrailerSize, trailer, sizeof(trailer))) return 1;
  int count = TrailerEntryCount(trailer);
  if (count <= 0) return 1;
  uint64_t dirSize = static_cast<uint64_t>(count) * kInstallEntrySize;
  if (fileSize < kInstallTrailerSize + dirSize) return 1;
  std::vector<TInstallEntry> entries(static_cast<size_t>(count));
  if (!readAt(f.get(), fileSize - kInstallTrailerSize - dirSize, entries.data(), static_cast<DWORD>(dirSize))) return 1;
  if (!ValidateInstallDirectory(entries, fileSize)) return 1;
  std::memcpy(InstallEntries, entries.data(), dirSize);
  InstallEntryCount = static_cast<uint8_t>(count);
  return count;
}

void ReadInstallDirectory() { ReadInstallDirectoryFrom(programFile()); }

int GetInstallEntryCount() { return InstallEntryCount - 1; }

namespace {
bool copyEntry(const TInstallEntry& e, HANDLE dst) {
  win::FileHandle src(::CreateFileA(g_packageFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
  if (!src) return false;
  LARGE_INTEGER li;
  li.QuadPart = e.Offset;
  if (!::SetFilePointerEx(src.get(), li, nullptr, FILE_BEGIN)) return false;
  std::vector<char> buf(64 * 1024);
  uint32_t left = static_cast<uint32_t>(e.Size);
  while (left > 0) {
    DWORD chunk = left < buf.size() ? left : static_cast<DWORD>(buf.size());
    DWORD got = 0, put = 0;
    if (!::ReadFile(src.get(), buf.data(), chunk, &got, nullptr) || got != chunk) return false;
    if (!::WriteFile(dst, buf.data(), got, &put, nullptr) || put != got) return false;
    left -= got;
  }
  return true;
}
}  // namespace

bool ExtractInstallEntry(uint8_t index, const std::string& dir, const std::string& name) {
  if (index >= InstallEntryCount || dir.empty() || g_packageFile.empty()) return false;
  const TInstallEntry& e = InstallEntries[index];
  std::string fileName = name.empty() ? EntryName(e) : name;
  if (!IsSafeEntryName(fileName)) return false;
  std::string folder = dir;
  if (folder.back() != '\\') folder += '\\';
  std::string target = folder + fileName;
  std::string expected = EntryChecksum(e);
  if (::GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES && CalcFileChecksum(target) == expected)
    return true;   // already in place
  // The copy is checked before it replaces anything; a kill leaves the old file
  // and a new file that the next start removes (win/DurableFile).
  win::NewFileBeside dst(target);
  return dst && copyEntry(e, dst.handle()) && CalcFileChecksum(dst.name()) == expected && dst.replaceTarget();
}
