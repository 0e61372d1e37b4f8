#include "uSnRFileOps.h"

win::FileHandle TSnRFileOps::CreateTempFile(const std::string& Folder, const std::string& Prefix,
                                            std::string& Name) {
  char name[MAX_PATH + 1];
  // Unique number 0: the system picks a free name and creates the file, so no
  // existing file is ever overwritten and two runs in one folder never collide.
  if (!::GetTempFileNameA(Folder.c_str(), Prefix.c_str(), 0, name)) return win::FileHandle();
  // The file is new and empty: truncating it would only make some file systems
  // flush it at close.
  win::FileHandle f(::CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!f) {
    ::DeleteFileA(name);
    return f;
  }
  Name = name;
  return f;
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

const void* TSnRFileOps::MapView(HANDLE Mapping) { return ::MapViewOfFile(Mapping, FILE_MAP_READ, 0, 0, 0); }

TSnRFileOps& TSnRFileOps::System() {
  static TSnRFileOps ops;
  return ops;
}
