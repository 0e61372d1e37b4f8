// The floor for many files under wine: the least serial Win32 program that does
// the program's steps for each file of a folder. It opens, reads whole and closes
// every file; where the old bytes occur it writes the replaced content to a new
// file "snr%08x.tmp" beside it (CREATE_NEW), flushes and closes that, and renames
// it over the file (replacing, written through); at the end it flushes the
// folder. No threads, no window, no backups, no journal, no reports.
// Usage: qz_floor FOLDER MASK OLD NEW [-r: subfolders too] [-noflush] [-list: only
// list the files, as a scan does]
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool flushes = true, listOnly = false;
unsigned tempNumber = 0;
long files = 0, changed = 0;

void flushFolder(const std::string& folder) {
  HANDLE dir = ::CreateFileA(folder.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (dir == INVALID_HANDLE_VALUE) return;
  ::FlushFileBuffers(dir);
  ::CloseHandle(dir);
}

// Leftmost, non-overlapping matches, as the program's exact mode makes them.
bool replace(const std::string& in, const std::string& from, const std::string& to, std::string& out) {
  size_t at = in.find(from);
  if (at == std::string::npos) return false;
  out.clear();
  size_t done = 0;
  for (; at != std::string::npos; at = in.find(from, done)) {
    out.append(in, done, at - done);
    out += to;
    done = at + from.size();
  }
  out.append(in, done, std::string::npos);
  return true;
}

void processFile(const std::string& folder, const std::string& name, const std::string& from,
                 const std::string& to) {
  const std::string path = folder + "\\" + name;
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  ++files;
  LARGE_INTEGER size;
  std::string in;
  DWORD got = 0;
  bool ok = ::GetFileSizeEx(f, &size) && size.QuadPart < (1 << 30);
  if (ok) {
    in.resize(static_cast<size_t>(size.QuadPart));
    ok = in.empty() || (::ReadFile(f, &in[0], static_cast<DWORD>(in.size()), &got, nullptr) && got == in.size());
  }
  ::CloseHandle(f);
  std::string out;
  if (!ok || !replace(in, from, to, out)) return;
  char temp[MAX_PATH + 32];
  HANDLE t = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && t == INVALID_HANDLE_VALUE; ++attempt) {
    std::snprintf(temp, sizeof temp, "%s\\snr%08x.tmp", folder.c_str(), ++tempNumber * 2654435761u);
    t = ::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (t == INVALID_HANDLE_VALUE) return;
  DWORD put = 0;
  ok = ::WriteFile(t, out.data(), static_cast<DWORD>(out.size()), &put, nullptr) && put == out.size();
  if (ok && flushes) ok = ::FlushFileBuffers(t) != 0;
  ::CloseHandle(t);
  if (ok && ::MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    ++changed;
  else
    ::DeleteFileA(temp);
}

void processFolder(const std::string& folder, const std::string& mask, const std::string& from,
                   const std::string& to, bool recursive) {
  WIN32_FIND_DATAA fd;
  if (recursive) {
    HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::strcmp(fd.cFileName, ".") &&
            std::strcmp(fd.cFileName, ".."))
          processFolder(folder + "\\" + fd.cFileName, mask, from, to, true);
      } while (::FindNextFileA(h, &fd));
      ::FindClose(h);
    }
  }
  std::vector<std::string> names;
  HANDLE h = ::FindFirstFileA((folder + "\\" + mask).c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
  }
  if (listOnly) {
    files += static_cast<long>(names.size());
    return;
  }
  for (const std::string& name : names) processFile(folder, name, from, to);
  if (flushes && !names.empty()) flushFolder(folder);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: qz_floor FOLDER MASK OLD NEW [-r] [-noflush] [-list]\n");
    return 2;
  }
  bool recursive = false;
  for (int i = 5; i < argc; ++i) {
    if (!std::strcmp(argv[i], "-r")) recursive = true;
    if (!std::strcmp(argv[i], "-noflush")) flushes = false;
    if (!std::strcmp(argv[i], "-list")) listOnly = true;
  }
  tempNumber = ::GetTickCount();
  processFolder(argv[1], argv[2], argv[3], argv[4], recursive);
  std::printf("%ld files, %ld changed\n", files, changed);
  return 0;
}
