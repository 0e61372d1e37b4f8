#include "uSnRFileOps.h"
#include <cstdio>

win::FileHandle TSnRFileOps::CreateTempFile(const std::string& Folder, const std::string& Prefix,
                                            std::string& Name) {
  // A new file under a name not yet taken, made in one step (CREATE_NEW), so no
  // existing file is ever overwritten and two runs in one folder never collide.
  // The name is the prefix, eight hex digits and ".tmp": longer than a short (8.3)
  // name, because under wine every name that does not exist yet costs a walk
  // through the whole folder, and one that could be a short name costs a short
  // name worked out for every entry on top.
  static LONG counter = static_cast<LONG>(::GetTickCount());
  std::string folder = Folder;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/' && folder.back() != ':') folder += '\\';
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const unsigned number = static_cast<unsigned>(::InterlockedIncrement(&counter)) * 2654435761u;
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", number);
    const std::string name = folder + Prefix + digits + ".tmp";
    win::FileHandle f(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (f) {
      Name = name;
      return f;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return win::FileHandle();
}

bool TSnRFileOps::Write(HANDLE File, const void* Data, DWORD Size) {
  DWORD written = 0;
  return ::WriteFile(File, Data, Size, &written, nullptr) && written == Size;
}

bool TSnRFileOps::Flush(HANDLE File) { return ::FlushFileBuffers(File) != 0; }

bool TSnRFileOps::Rename(const std::string& From, const std::string& To, bool ReplaceExisting) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (ReplaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  return ::MoveFileExA(From.c_str(), To.c_str(), flags) != 0;
}

bool TSnRFileOps::Delete(const std::string& Name) { return ::DeleteFileA(Name.c_str()) != 0; }

bool TSnRFileOps::Link(const std::string& Existing, const std::string& NewName) {
  return ::CreateHardLinkA(NewName.c_str(), Existing.c_str(), nullptr) != 0;
}

bool TSnRFileOps::FlushFolder(const std::string& Folder) {
  // A folder opened for writing can be flushed (on Windows and under wine, where it
  // becomes an fsync of the directory).
  win::FileHandle dir(::CreateFileA(Folder.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return dir && ::FlushFileBuffers(dir.get());
}

const void* TSnRFileOps::MapViewAt(HANDLE Mapping, uint64_t Offset, size_t Size) {
  return ::MapViewOfFile(Mapping, FILE_MAP_READ, static_cast<DWORD>(Offset >> 32), static_cast<DWORD>(Offset), Size);
}

TSnRFileOps& TSnRFileOps::System() {
  static TSnRFileOps ops;
  return ops;
}
