#include "FileRights.h"
#include <cstring>
#include <vector>

namespace win {

namespace {

// Attributes a file that takes another's place keeps of it. Read-only is not among
// them: a read-only file is not replaced at all.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool carryAttributes(HANDLE from, HANDLE to) {
  FILE_BASIC_INFO info;
  if (!::GetFileInformationByHandleEx(from, FileBasicInfo, &info, sizeof info)) return false;
  const DWORD kept = info.FileAttributes & kKeptAttributes;
  if (!kept) return true;  // a new file has the archive bit and nothing else already
  FILE_BASIC_INFO set = {};  // times 0: left as they are
  set.FileAttributes = kept | FILE_ATTRIBUTE_ARCHIVE;
  return ::SetFileInformationByHandle(to, FileBasicInfo, &set, sizeof set) != 0;
}

bool carrySecurity(HANDLE from, HANDLE to) {
  const SECURITY_INFORMATION all = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  std::vector<BYTE> sd(512);
  DWORD needed = 0;
  while (!::GetKernelObjectSecurity(from, all, sd.data(), static_cast<DWORD>(sd.size()), &needed)) {
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= sd.size()) return false;
    sd.resize(needed);
  }
  // Another user's file keeps its DACL; its owner only where this process may give
  // a file away (a new file belongs to whoever made it).
  return ::SetKernelObjectSecurity(to, all, sd.data()) || ::SetKernelObjectSecurity(to, DACL_SECURITY_INFORMATION, sd.data());
}

// Under wine on Linux a file's rights are its owner and mode. The security calls
// map them only in part (the mode's group bits are in no descriptor, and execute
// comes with read), so they are carried on the Linux side: through the file
// descriptors behind the two handles, with the system's own calls.
class LinuxRights {
public:
  // The one instance when running under wine on Linux, else null.
  static const LinuxRights* get() {
    static const LinuxRights* rights = make();
    return rights;
  }

  bool carry(HANDLE from, HANDLE to) const {
    Fd in(*this, from), out(*this, to);
    Stat was, now;
    if (!in.valid() || !out.valid() || !in.stat(was) || !out.stat(now)) return false;
    if (was.st_uid != now.st_uid || was.st_gid != now.st_gid) {
      // The owner where permitted, else at least the group, else neither: the mode
      // is carried all the same.
      if (call(kFchown32, out.fd, static_cast<long>(was.st_uid), static_cast<long>(was.st_gid)) != 0)
        call(kFchown32, out.fd, -1, static_cast<long>(was.st_gid));
      if (!out.stat(now)) return false;  // a new owner clears the set-id bits
    }
    const unsigned mode = was.st_mode & 07777;
    return (now.st_mode & 07777) == mode || call(kFchmod, out.fd, static_cast<long>(mode)) == 0;
  }

private:
  // i386 Linux system calls and their struct stat64 (4-byte alignment throughout).
  static constexpr long kClose = 6, kFchmod = 94, kFstat64 = 197, kFchown32 = 207;
  struct __attribute__((packed)) Stat {
    unsigned long long st_dev;
    unsigned char pad0[4];
    unsigned long st_ino32;
    unsigned int st_mode;
    unsigned int st_nlink;
    unsigned long st_uid;
    unsigned long st_gid;
    unsigned long long st_rdev;
    unsigned char pad3[4];
    long long st_size;
    unsigned long st_blksize;
    unsigned long long st_blocks;
    unsigned long times[6];
    unsigned long long st_ino;
  };
  static_assert(sizeof(Stat) == 96, "the i386 struct stat64");

  static long call(long number, long a, long b = 0, long c = 0) {
    long result;
    __asm__ volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c) : "memory");
    return result;  // a negative error number on failure
  }

  // The Linux file descriptor of a handle, a copy of the process's own.
  using HandleToFd = LONG(CDECL*)(HANDLE handle, unsigned access, int* fd, unsigned* options);
  struct Fd {
    Fd(const LinuxRights& r, HANDLE h) {
      unsigned options = 0;
      if (r.toFd_(h, 0, &fd, &options) != 0) fd = -1;
    }
    ~Fd() {
      if (fd >= 0) call(kClose, fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    bool valid() const { return fd >= 0; }
    bool stat(Stat& s) const { return call(kFstat64, fd, reinterpret_cast<long>(&s)) == 0; }
    int fd = -1;
  };

  static const LinuxRights* make() {
#if defined(__i386__)
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    using HostVersion = void(CDECL*)(const char** sysname, const char** release);
    const auto host = reinterpret_cast<HostVersion>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "wine_get_host_version")));
    const auto toFd = reinterpret_cast<HandleToFd>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "wine_server_handle_to_fd")));
    if (!host || !toFd) return nullptr;
    const char* sysname = nullptr;
    const char* release = nullptr;
    host(&sysname, &release);
    if (!sysname || std::strcmp(sysname, "Linux") != 0) return nullptr;
    static const LinuxRights rights(toFd);
    return &rights;
#else
    return nullptr;
#endif
  }

  explicit LinuxRights(HandleToFd toFd) : toFd_(toFd) {}
  const HandleToFd toFd_;
};

}  // namespace

bool CarryFileRights(HANDLE From, HANDLE To) {
  // The attributes first: under wine, setting them may add write bits to the mode.
  if (!carryAttributes(From, To)) return false;
  if (const LinuxRights* host = LinuxRights::get()) return host->carry(From, To);
  return carrySecurity(From, To);
}

DWORD FileAttributesOf(HANDLE File) {
  FILE_BASIC_INFO info;
  return ::GetFileInformationByHandleEx(File, FileBasicInfo, &info, sizeof info) ? info.FileAttributes
                                                                                  : INVALID_FILE_ATTRIBUTES;
}

}  // namespace win
