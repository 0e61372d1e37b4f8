#include "uSnRFileOps.h"
#include "win/FileNames.h"
#include "win/FileRights.h"

using win::LongPath;

bool SnRFileNumber(HANDLE File, uint64_t& Number) {
  using Query = LONG(NTAPI*)(HANDLE, void* status, void* info, ULONG size, int infoClass);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
  const int fileInternalInformation = 6;
  ULONG_PTR status[2];
  LARGE_INTEGER number;
  if (query && query(File, status, &number, sizeof number, fileInternalInformation) >= 0) {
    Number = static_cast<uint64_t>(number.QuadPart);
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(File, &info)) return false;
  Number = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  return true;
}

win::FileHandle TSnRFileOps::CreateTempFile(const std::wstring& Folder, const std::wstring& Prefix,
                                            std::wstring& Name) {
  // A new file under a name not yet taken, made in one step (CREATE_NEW), so no
  // existing file is ever overwritten and two runs in one folder never collide.
  // The name is the prefix, eight hex digits and ".tmp": longer than a short (8.3)
  // name, because under wine every name that does not exist yet costs a walk
  // through the whole folder, and one that could be a short name costs a short
  // name worked out for every entry on top.
  static LONG counter = static_cast<LONG>(::GetTickCount());
  std::wstring folder = Folder;
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/' && folder.back() != L':') folder += L'\\';
  for (int attempt = 0; attempt < 1000; ++attempt) {
    unsigned number = static_cast<unsigned>(::InterlockedIncrement(&counter)) * 2654435761u;
    std::wstring digits(8, L'0');
    for (size_t i = digits.size(); i-- > 0; number >>= 4) digits[i] = L"0123456789ABCDEF"[number & 15];
    const std::wstring name = folder + Prefix + digits + L".tmp";
    win::FileHandle f(::CreateFileW(LongPath(name).c_str(), GENERIC_WRITE | win::kCarryRightsAccess, 0, nullptr, CREATE_NEW,
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

bool TSnRFileOps::Rename(const std::wstring& From, const std::wstring& To, bool ReplaceExisting) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (ReplaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  return ::MoveFileExW(LongPath(From).c_str(), LongPath(To).c_str(), flags) != 0;
}

bool TSnRFileOps::Delete(const std::wstring& Name) { return ::DeleteFileW(LongPath(Name).c_str()) != 0; }

bool TSnRFileOps::Link(const std::wstring& Existing, const std::wstring& NewName) {
  return ::CreateHardLinkW(LongPath(NewName).c_str(), LongPath(Existing).c_str(), nullptr) != 0;
}

bool TSnRFileOps::FlushFolder(const std::wstring& Folder) {
  // A folder opened for writing can be flushed (on Windows and under wine, where it
  // becomes an fsync of the directory).
  win::FileHandle dir(::CreateFileW(LongPath(Folder).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return dir && ::FlushFileBuffers(dir.get());
}

const void* TSnRFileOps::MapView(HANDLE Mapping) { return ::MapViewOfFile(Mapping, FILE_MAP_READ, 0, 0, 0); }

bool TSnRFileOps::QueryState(HANDLE File, TSnRFileState& State) {
  FILE_BASIC_INFO info;
  LARGE_INTEGER size;
  if (!::GetFileInformationByHandleEx(File, FileBasicInfo, &info, sizeof info) || !::GetFileSizeEx(File, &size))
    return false;
  State.Size = static_cast<uint64_t>(size.QuadPart);
  State.LastWrite = info.LastWriteTime.QuadPart;
  State.Attributes = info.FileAttributes;
  return true;
}

bool TSnRFileOps::ChangedSince(const std::wstring& Name, const TSnRFileState& State) {
  // By name: a writer that put another file in its place counts too.
  WIN32_FILE_ATTRIBUTE_DATA now;
  if (!::GetFileAttributesExW(LongPath(Name).c_str(), GetFileExInfoStandard, &now)) return true;
  const uint64_t size = static_cast<uint64_t>(now.nFileSizeHigh) << 32 | now.nFileSizeLow;
  const int64_t lastWrite =
      static_cast<int64_t>(static_cast<uint64_t>(now.ftLastWriteTime.dwHighDateTime) << 32 | now.ftLastWriteTime.dwLowDateTime);
  return size != State.Size || lastWrite != State.LastWrite || (now.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
}

bool TSnRFileOps::CarryRights(HANDLE From, HANDLE To) { return win::CarryFileRights(From, To); }

TSnRFileOps& TSnRFileOps::System() {
  static TSnRFileOps ops;
  return ops;
}
