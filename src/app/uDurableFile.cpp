#include "uDurableFile.h"
#include "win/Handles.h"
#include <windows.h>
#include <atomic>

const char kDurableTempSuffix[] = ".qznew";

namespace {

std::string hex(unsigned long v) {
  char buf[16];
  wsprintfA(buf, "%lx", v);
  return buf;
}

bool writeAll(HANDLE f, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
    DWORD put = 0;
    if (!::WriteFile(f, data.data() + done, chunk, &put, nullptr) || put != chunk) return false;
    done += chunk;
  }
  return true;
}

// Readers that cache a file by its time stamp (the profile functions do) must
// see the new file as newer even when both were written within one clock tick.
void stampNewerThan(HANDLE f, const std::string& oldFile) {
  WIN32_FILE_ATTRIBUTE_DATA old;
  if (!::GetFileAttributesExA(oldFile.c_str(), GetFileExInfoStandard, &old)) return;
  FILETIME now;
  ::GetFileTime(f, nullptr, nullptr, &now);
  if (::CompareFileTime(&now, &old.ftLastWriteTime) > 0) return;
  ULARGE_INTEGER t;
  t.LowPart = old.ftLastWriteTime.dwLowDateTime;
  t.HighPart = old.ftLastWriteTime.dwHighDateTime;
  t.QuadPart += 10;   // one microsecond
  FILETIME later = {t.LowPart, t.HighPart};
  ::SetFileTime(f, nullptr, nullptr, &later);
}

}  // namespace

void* CreateNewFileBeside(const std::string& Target, std::string& Name) {
  static std::atomic<unsigned long> counter{0};
  const std::string stem = Target + "." + hex(::GetCurrentProcessId()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = stem + hex(++counter) + kDurableTempSuffix;
    // No sharing: a cleanup by another run cannot delete it while it is written.
    HANDLE f = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      Name = name;
      return f;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

bool WriteFileDurably(const std::string& FileName, const std::string& Data) {
  std::string temp;
  bool ok;
  {
    win::FileHandle f(CreateNewFileBeside(FileName, temp));
    if (!f) return false;
    ok = writeAll(f.get(), Data) && ::FlushFileBuffers(f.get());
    if (ok) stampNewerThan(f.get(), FileName);
  }
  ok = ok && ::MoveFileExA(temp.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) ::DeleteFileA(temp.c_str());
  return ok;
}

bool UpdateFileDurably(const std::string& FileName, const std::string& Data) {
  std::string old;
  if (ReadWholeFile(FileName, old, Data.size()) && old == Data) return true;
  return WriteFileDurably(FileName, Data);
}

bool ReadWholeFile(const std::string& FileName, std::string& Data, uint64_t MaxSize) {
  win::FileHandle f(::CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(f.get(), &size) || static_cast<uint64_t>(size.QuadPart) > MaxSize ||
      size.QuadPart > 0x7FFFFFFF)
    return false;
  std::string data(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
    if (!::ReadFile(f.get(), &data[done], chunk, &got, nullptr) || got == 0) return false;
    done += got;
  }
  Data.swap(data);
  return true;
}

int RemoveDurableLeftovers(const std::string& Folder) {
  std::string folder = Folder;
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  WIN32_FIND_DATAA fd;
  HANDLE find = ::FindFirstFileA((folder + "*" + kDurableTempSuffix).c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int removed = 0;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // A file that another run still writes is open without sharing: deleting it fails.
    if (::DeleteFileA((folder + fd.cFileName).c_str())) ++removed;
  } while (::FindNextFileA(find, &fd));
  ::FindClose(find);
  return removed;
}
