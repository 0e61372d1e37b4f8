#include "DurableFile.h"
#include <windows.h>
#include <algorithm>
#include <atomic>
#include "FileRights.h"

namespace win {

const char kDurableTempSuffix[] = ".qznew";

namespace {

DurableStepHook& stepHook() {
  static DurableStepHook hook;
  return hook;
}

bool step(const char* name) { return !stepHook() || stepHook()(name); }

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
void stampNewerThan(HANDLE f, HANDLE old) {
  FILE_BASIC_INFO was, now;
  if (!::GetFileInformationByHandleEx(old, FileBasicInfo, &was, sizeof was) ||
      !::GetFileInformationByHandleEx(f, FileBasicInfo, &now, sizeof now) ||
      now.LastWriteTime.QuadPart > was.LastWriteTime.QuadPart)
    return;
  FILE_BASIC_INFO later = {};  // zero fields stay as they are
  later.LastWriteTime.QuadPart = was.LastWriteTime.QuadPart + 10;  // one microsecond
  ::SetFileInformationByHandle(f, FileBasicInfo, &later, sizeof later);
}

std::string folderPart(const std::string& fileName) {
  const size_t cut = fileName.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : fileName.substr(0, cut + 1);
}

// Removes the files in Folder that match Pattern and end in the suffix, unless held.
int removeLeftovers(std::string folder, const std::string& pattern) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/' && folder.back() != ':') folder += '\\';
  WIN32_FIND_DATAA fd;
  FindHandle find(::FindFirstFileA((folder + pattern).c_str(), &fd));
  if (!find) return 0;
  int removed = 0;
  do {
    const std::string name = fd.cFileName;
    const size_t n = sizeof kDurableTempSuffix - 1;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() < n ||
        lstrcmpiA(name.c_str() + name.size() - n, kDurableTempSuffix) != 0)
      continue;
    // A file that another run still writes is open without delete sharing:
    // deleting it fails.
    if (::DeleteFileA((folder + name).c_str())) ++removed;
  } while (::FindNextFileA(find.get(), &fd));
  return removed;
}

}  // namespace

NewFileBeside::NewFileBeside(const std::string& Target) : target_(Target) {
  // The file it replaces, looked at now so that no new file is written in vain: the
  // system refuses to replace a read-only file.
  old_.reset(::CreateFileA(Target.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!old_) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return;
  } else if (FileAttributesOf(old_.get()) & FILE_ATTRIBUTE_READONLY) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return;
  }
  static std::atomic<unsigned long> counter{0};
  const std::string stem = Target + "." + hex(::GetCurrentProcessId()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = stem + hex(++counter) + kDurableTempSuffix;
    file_.reset(::CreateFileA(name.c_str(), GENERIC_WRITE | kCarryRightsAccess, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file_) {
      name_ = name;
      return;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

NewFileBeside::~NewFileBeside() {
  file_.reset();
  if (!placed_ && !name_.empty()) ::DeleteFileA(name_.c_str());
}

bool NewFileBeside::replaceTarget() {
  if (!file_) return false;
  bool ok = !old_ || CarryFileRights(old_.get(), file_.get());
  ok = ok && ::FlushFileBuffers(file_.get()) && step("flushed");
  if (ok && old_) stampNewerThan(file_.get(), old_.get());
  file_.reset();
  old_.reset();  // the system replaces no file that is open
  // The new file lies in the target's folder, so the rename never copies and
  // replaces the name in one step.
  ok = ok && ::MoveFileExA(name_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  placed_ = ok;
  if (ok) step("replaced");
  return ok;
}

bool WriteFileDurably(const std::string& FileName, const std::string& Data) {
  NewFileBeside f(FileName);
  return f && writeAll(f.handle(), Data) && step("written") && f.replaceTarget();
}

bool UpdateFileDurably(const std::string& FileName, const std::string& Data) {
  std::string old;
  if (ReadWholeFile(FileName, old, Data.size()) && old == Data) return true;
  return WriteFileDurably(FileName, Data);
}

bool ReadWholeFile(const std::string& FileName, std::string& Data, uint64_t MaxSize) {
  FileHandle f(::CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
  return removeLeftovers(Folder, std::string("*") + kDurableTempSuffix);
}

int RemoveDurableLeftoversOf(const std::string& FileName) {
  const std::string folder = folderPart(FileName);
  return removeLeftovers(folder, FileName.substr(folder.size()) + ".*" + kDurableTempSuffix);
}

void SetDurableStepHook(DurableStepHook Hook) { stepHook() = std::move(Hook); }

}  // namespace win
