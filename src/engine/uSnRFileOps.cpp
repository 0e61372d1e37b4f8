#include "uSnRFileOps.h"
#include <vector>
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

namespace {

// Makes a new name by Make, given the form of the name to make it under: the one
// that spares a look-up through the whole folder where there is one, else (or
// when that one fails for another reason than a name taken) the usual one.
// Returns ERROR_SUCCESS, or the last error of the attempt that counted.
template <class Make>
DWORD OnNewName(const std::wstring& name, Make make) {
  const std::wstring fast = win::NewFilePath(name);
  if (make(fast)) return ERROR_SUCCESS;
  DWORD error = ::GetLastError();  // before LongPath, which may set its own
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return error;
  const std::wstring usual = LongPath(name);
  if (fast == usual) return error;
  if (make(usual)) return ERROR_SUCCESS;
  error = ::GetLastError();
  return error;
}

}  // namespace

win::FileHandle TSnRFileOps::CreateTempFile(const std::wstring& Folder, const std::wstring& Prefix,
                                            std::wstring& Name) {
  // A new file under a name not yet taken, made in one step (CREATE_NEW), so no
  // existing file is ever overwritten and two runs in one folder never collide.
  // The name is the prefix, eight hex digits and ".tmp": longer than a short (8.3)
  // name, since one that could be a short name makes the system work out the
  // short names of the folder's entries.
  static LONG counter = static_cast<LONG>(::GetTickCount());
  std::wstring folder = Folder;
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/' && folder.back() != L':') folder += L'\\';
  win::FileHandle f;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    unsigned number = static_cast<unsigned>(::InterlockedIncrement(&counter)) * 2654435761u;
    std::wstring digits(8, L'0');
    for (size_t i = digits.size(); i-- > 0; number >>= 4) digits[i] = L"0123456789ABCDEF"[number & 15];
    const std::wstring name = folder + Prefix + digits + L".tmp";
    const DWORD error = OnNewName(name, [&](const std::wstring& path) {
      f.reset(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE | win::kCarryRightsAccess, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
      return static_cast<bool>(f);
    });
    if (f) {
      Name = name;
      return f;
    }
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return win::FileHandle();
}

bool TSnRFileOps::Write(HANDLE File, const void* Data, DWORD Size) {
  DWORD written = 0;
  return ::WriteFile(File, Data, Size, &written, nullptr) && written == Size;
}

bool TSnRFileOps::Flush(HANDLE File) { return ::FlushFileBuffers(File) != 0; }

bool TSnRFileOps::Rename(const std::wstring& From, const std::wstring& To, bool ReplaceExisting,
                         win::FileHandle* Open) {
  if (Open && *Open) {
    // Closed at once, renamed or not: until then no one may open the new content
    // without sharing its deletion.
    const win::FileHandle file = std::move(*Open);
    const std::wstring to = LongPath(To);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + (to.size() + 1) * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = ReplaceExisting;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::copy(to.begin(), to.end(), info->FileName);
    info->FileName[to.size()] = 0;
    if (::SetFileInformationByHandle(file.get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size()))) return true;
    const DWORD error = ::GetLastError();
    // A system without renames through a handle does it by name.
    if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION)
      return false;
  }
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (ReplaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  return ::MoveFileExW(LongPath(From).c_str(), LongPath(To).c_str(), flags) != 0;
}

bool TSnRFileOps::Delete(const std::wstring& Name) { return ::DeleteFileW(LongPath(Name).c_str()) != 0; }

bool TSnRFileOps::Link(const std::wstring& Existing, const std::wstring& NewName) {
  const std::wstring existing = LongPath(Existing);
  const DWORD error = OnNewName(NewName, [&](const std::wstring& path) {
    return ::CreateHardLinkW(path.c_str(), existing.c_str(), nullptr) != 0;
  });
  ::SetLastError(error);
  return error == ERROR_SUCCESS;
}

bool TSnRFileOps::FlushFolder(const std::wstring& Folder) {
  // A folder opened for writing can be flushed (on Windows and under wine, where it
  // becomes an fsync of the directory).
  win::FileHandle dir(::CreateFileW(LongPath(Folder).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return dir && ::FlushFileBuffers(dir.get());
}

const void* TSnRFileOps::MapViewAt(HANDLE Mapping, uint64_t Offset, size_t Size) {
  return ::MapViewOfFile(Mapping, FILE_MAP_READ, static_cast<DWORD>(Offset >> 32), static_cast<DWORD>(Offset), Size);
}

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
