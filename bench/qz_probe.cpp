// Times the pieces of a rewrite in isolation, on the benchmark's kind of file: reading
// (ReadFile, the mapped view), writing at several block sizes, copies, the costs of
// closing and renaming a new file, and ProcessFile with each file operation timed
// (writes on the writer thread included, flushes apart) and once with the writes and
// flushes discarded, which leaves the engine's own work.
// Usage: qz_probe [file MiB, default 256] [runs, default 3] [only the cases whose name
// holds this text]; QZ_DISCARD=1 times ProcessFile with discarded writes only.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>
#include <functional>
#include "uSearchAndReplaceThread.h"
#include "win/Handles.h"

static double now() {
  static LARGE_INTEGER freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
  LARGE_INTEGER t; ::QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(freq.QuadPart);
}
static bool writeAll(HANDLE f, const void* d, size_t s) { DWORD n = 0; return ::WriteFile(f, d, DWORD(s), &n, nullptr) && n == s; }

static size_t makeFile(const std::string& name, size_t mib) {
  static const char* words[] = {"alpha", "brown", "fox", "jumps", "over", "lazy", "dog", "quartz", "sphinx",
                                "of", "black", "judge", "my", "vow", "noodle", "needs", "nee", "dle"};
  std::string block; unsigned seed = 12345;
  while (block.size() < (1u << 20)) {
    seed = seed * 1103515245u + 12345u; unsigned r = (seed >> 16) % 300;
    if (r < 18) block += "needle"; else block += words[r % 18];
    block += (r % 11 == 0) ? "\r\n" : " ";
  }
  block.resize(block.find_last_of(' ', (1u << 20) - 1) + 1);
  win::FileHandle f(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  size_t written = 0;
  while (written + block.size() <= mib << 20) { writeAll(f.get(), block.data(), block.size()); written += block.size(); }
  ::FlushFileBuffers(f.get());
  return written;
}

struct TimingOps : TSnRFileOps {
  bool discard = false;
  double create = 0, write = 0, rename = 0, del = 0, flush = 0; long writes = 0;
  win::FileHandle CreateTempFile(const std::wstring& F, const std::wstring& P, std::wstring& N) override {
    double s = now(); auto h = TSnRFileOps::CreateTempFile(F, P, N); create += now() - s; return h; }
  bool Write(HANDLE f, const void* d, DWORD n) override {
    ++writes; if (discard) return true; double s = now(); bool ok = TSnRFileOps::Write(f, d, n); write += now() - s; return ok; }
  bool Rename(const std::wstring& a, const std::wstring& b, bool r) override {
    if (discard) { TSnRFileOps::Delete(a); return true; }
    double s = now(); bool ok = TSnRFileOps::Rename(a, b, r); rename += now() - s; return ok; }
  bool Delete(const std::wstring& n) override { double s = now(); bool ok = TSnRFileOps::Delete(n); del += now() - s; return ok; }
  bool Flush(HANDLE f) override { if (discard) return true; double s = now(); bool ok = TSnRFileOps::Flush(f); flush += now() - s; return ok; }
  bool FlushFolder(const std::wstring& d) override { if (discard) return true; double s = now(); bool ok = TSnRFileOps::FlushFolder(d); flush += now() - s; return ok; }
  void print(const char* what, double total, int runs) {
    std::printf("  %-24s total %.3f  create %.4f  write %.3f (%ld calls)  flush %.3f  rename %.4f  delete %.4f  rest %.3f (per run)\n", what,
                total / runs, create / runs, write / runs, writes / runs, flush / runs, rename / runs, del / runs,
                (total - create - write - flush - rename - del) / runs);
    create = write = rename = del = flush = 0; writes = 0;
  }
};

int main(int argc, char** argv) {
  const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  const char* only = argc > 3 ? argv[3] : "";
  char tmp[MAX_PATH]; ::GetTempPathA(MAX_PATH, tmp);
  const std::string dir = std::string(tmp) + "qz_probe";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  const std::string file = dir + "\\data.txt", out = dir + "\\out.txt", keep = dir + "\\data.keep";
  const size_t size = makeFile(file, mib);
  const double M = double(size) / 1048576.0;
  std::vector<char> buf(1 << 20);
  auto time = [&](const char* name, std::function<void()> op, std::function<void()> after = [] {}) {
    if (*only && !std::strstr(name, only)) return;
    double best = 1e30, sum = 0;
    for (int i = 0; i < runs; ++i) { double s = now(); op(); double t = now() - s; best = std::min(best, t); sum += t; after(); }
    std::printf("%-40s %8.1f MiB/s  best %.3f s  mean %.3f s\n", name, M / best, best, sum / runs);
    std::fflush(stdout);
  };
  auto delOut = [&] { ::DeleteFileA(out.c_str()); };
  auto openIn = [&] { return win::FileHandle(::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)); };
  auto openOut = [&] { return win::FileHandle(::CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); };
  volatile unsigned sink = 0;

  time("read 1MiB ReadFile", [&] { auto in = openIn(); DWORD got; while (::ReadFile(in.get(), buf.data(), DWORD(buf.size()), &got, nullptr) && got) sink += buf[0]; });
  auto mapped = [&](std::function<void(const char*, size_t)> body) {
    auto in = openIn(); win::KernelHandle m(::CreateFileMappingA(in.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    win::MappedView v(::MapViewOfFile(m.get(), FILE_MAP_READ, 0, 0, 0));
    body(static_cast<const char*>(v.get()), size);
  };
  time("map + touch pages", [&] { mapped([&](const char* p, size_t n) { unsigned s = 0; for (size_t i = 0; i < n; i += 4096) s += p[i]; sink += s; }); });
  time("map only", [&] { mapped([&](const char* p, size_t) { sink += p[0]; }); });
  time("map + memcpy to 1MiB buf", [&] { mapped([&](const char* p, size_t n) { for (size_t i = 0; i < n; i += buf.size()) std::memcpy(buf.data(), p + i, std::min(buf.size(), n - i)); sink += buf[7]; }); });
  time("write 1MiB blocks (new file)", [&] { auto o = openOut(); for (size_t i = 0; i < size; i += buf.size()) writeAll(o.get(), buf.data(), std::min(buf.size(), size - i)); }, delOut);
  time("write 4MiB blocks (new file)", [&] { std::vector<char> b(4 << 20); auto o = openOut(); for (size_t i = 0; i < size; i += b.size()) writeAll(o.get(), b.data(), std::min(b.size(), size - i)); }, delOut);
  time("write 256KiB blocks (new file)", [&] { std::vector<char> b(256 << 10); auto o = openOut(); for (size_t i = 0; i < size; i += b.size()) writeAll(o.get(), b.data(), std::min(b.size(), size - i)); }, delOut);
  time("write 64KiB blocks (new file)", [&] { std::vector<char> b(64 << 10); auto o = openOut(); for (size_t i = 0; i < size; i += b.size()) writeAll(o.get(), b.data(), std::min(b.size(), size - i)); }, delOut);
  time("copy ReadFile/WriteFile 1MiB", [&] { auto in = openIn(); auto o = openOut(); DWORD got; while (::ReadFile(in.get(), buf.data(), DWORD(buf.size()), &got, nullptr) && got) writeAll(o.get(), buf.data(), got); }, delOut);
  // The copy made durable, as the engine makes its output before the rename.
  time("copy 1MiB, flushed", [&] { auto in = openIn(); auto o = openOut(); DWORD got; while (::ReadFile(in.get(), buf.data(), DWORD(buf.size()), &got, nullptr) && got) writeAll(o.get(), buf.data(), got); ::FlushFileBuffers(o.get()); }, delOut);
  time("copy map -> WriteFile from view 1MiB", [&] { auto o = openOut(); mapped([&](const char* p, size_t n) { for (size_t i = 0; i < n; i += buf.size()) writeAll(o.get(), p + i, std::min(buf.size(), n - i)); }); }, delOut);
  time("copy map -> WriteFile whole view", [&] { auto o = openOut(); mapped([&](const char* p, size_t n) { writeAll(o.get(), p, n); }); }, delOut);
  time("copy map -> memcpy buf -> WriteFile", [&] { auto o = openOut(); mapped([&](const char* p, size_t n) { for (size_t i = 0; i < n; i += buf.size()) { size_t k = std::min(buf.size(), n - i); std::memcpy(buf.data(), p + i, k); writeAll(o.get(), buf.data(), k); } }); }, delOut);
  // Rename costs of a fresh 256 MiB file
  auto fresh = [&] { auto in = openIn(); auto o = openOut(); DWORD got; while (::ReadFile(in.get(), buf.data(), DWORD(buf.size()), &got, nullptr) && got) writeAll(o.get(), buf.data(), got); };
  {
    const std::string tgt = dir + "\\target.txt";
    if (!*only || std::strstr("rename", only)) {
      for (int i = 0; i < runs; ++i) {
        fresh(); ::CopyFileA(file.c_str(), tgt.c_str(), FALSE); ::CreateHardLinkA(keep.c_str(), tgt.c_str(), nullptr);
        double s = now(); ::MoveFileExA(out.c_str(), tgt.c_str(), MOVEFILE_REPLACE_EXISTING); double t1 = now() - s;
        ::DeleteFileA(keep.c_str());
        fresh(); s = now(); ::MoveFileExA(out.c_str(), (tgt + ".new").c_str(), 0); double t2 = now() - s;
        ::DeleteFileA((tgt + ".new").c_str());
        fresh(); s = now(); ::DeleteFileA(out.c_str()); double t3 = now() - s;
        std::printf("rename-replace %.4f s, rename-new %.4f s, delete fresh %.4f s\n", t1, t2, t3);
      }
      ::DeleteFileA(tgt.c_str());
    }
  }
  if (!*only || std::strstr("smallfiles", only)) {
    // The fixed cost of a job: a 1 KiB file with one match, many times.
    const std::string small = dir + "\\small.txt";
    std::string text(1024, 'x');
    text.replace(500, 6, "needle");
    { win::FileHandle f(::CreateFileA(small.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)); writeAll(f.get(), text.data(), text.size()); }
    TSearchAndReplaceThread sw;
    for (int r = 0; r < 3; ++r) {
      const double s0 = now();
      for (int i = 0; i < 300; ++i) sw.ProcessFile(small, "needle", 6, 0, "needle", 6, false, 0);
      std::printf("small file job %.3f ms\n", (now() - s0) / 300 * 1000);
    }
    ::DeleteFileA(small.c_str());
  }
  if (!*only || std::strstr("copytimes", only)) {
    for (int i = 0; i < runs; ++i) {
      ::DeleteFileA(out.c_str());
      double s0 = now();
      auto in = openIn();
      HANDLE o = ::CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      double s1 = now();
      DWORD got; double rd = 0, wr = 0;
      for (;;) { double a = now(); BOOL ok = ::ReadFile(in.get(), buf.data(), DWORD(buf.size()), &got, nullptr); double b = now(); rd += b - a; if (!ok || !got) break; writeAll(o, buf.data(), got); wr += now() - b; }
      double s2 = now();
      ::CloseHandle(o);
      double s3 = now();
      std::printf("copy run %d: open %.4f read %.4f write %.4f close %.4f total %.4f\n", i, s1 - s0, rd, wr, s3 - s2, s3 - s0);
      if (getenv("QZ_SETTLE")) { HANDLE h = ::CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr); ::FlushFileBuffers(h); ::CloseHandle(h); }
    }
    ::DeleteFileA(out.c_str());
  }
  if (!*only || std::strstr("renametest", only)) {
    const std::string tgt = dir + "\\target.txt";
    for (int variant = 0; variant < 4; ++variant) {
      for (int i = 0; i < runs; ++i) {
        ::CopyFileA(file.c_str(), tgt.c_str(), FALSE);
        ::CreateHardLinkA(keep.c_str(), tgt.c_str(), nullptr);
        char name[MAX_PATH + 1];
        HANDLE h;
        if (variant & 1) {
          ::GetTempFileNameA((dir + "\\").c_str(), "snr", 0, name);
          h = ::CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        } else {
          std::strcpy(name, out.c_str());
          h = ::CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        }
        double w0 = now();
        for (size_t k = 0; k < size; k += buf.size()) writeAll(h, buf.data(), std::min(buf.size(), size - k));
        double w1 = now();
        ::CloseHandle(h);
        std::printf("  write %.4f close %.4f\n", w1 - w0, now() - w1);
        if (variant & 2) ::Sleep(2000);
        double s = now();
        ::MoveFileExA(name, tgt.c_str(), MOVEFILE_REPLACE_EXISTING);
        double t = now() - s;
        ::DeleteFileA(keep.c_str());
        std::printf("rename variant %d (%s%s): %.4f s\n", variant, variant & 1 ? "GetTempFileName" : "CREATE_ALWAYS", variant & 2 ? ", after 2 s" : "", t);
      }
    }
    ::DeleteFileA(tgt.c_str());
  }
  TSearchAndReplaceThread w;
  auto pf = [&](const char* s, const char* r, uint8_t mode) {
    return [&, s, r, mode] { ::CreateHardLinkA(keep.c_str(), file.c_str(), nullptr); w.ProcessFile(file, s, int(std::strlen(s)), mode, r, int(std::strlen(r)), false, 0); ::DeleteFileA(keep.c_str()); };
  };
  time("ProcessFile exact", pf("needle", "needle", 0));
  time("ProcessFile exact 0 hits", pf("zqxjkv", "needle", 0));
  time("ProcessFile icase", pf("NEEDLE", "needle", 1));
  {
    TimingOps ops; w.SetFileOps(&ops);
    for (int d = getenv("QZ_DISCARD") ? 1 : 0; d < 2; ++d) {
      ops.discard = d;
      const char* cases[][3] = {{"needle", "needle", "0"}, {"zqxjkv", "needle", "0"}, {"NEEDLE", "needle", "1"}, {"ne+dle", "needle", "2"}};
      for (auto& c : cases) {
        if (*only && !std::strstr(c[0], only)) continue;
        double total = 0;
        for (int i = 0; i < runs; ++i) {
          ::CreateHardLinkA(keep.c_str(), file.c_str(), nullptr);
          double s = now();
          w.ProcessFile(file, c[0], int(std::strlen(c[0])), uint8_t(c[2][0] - '0'), c[1], int(std::strlen(c[1])), false, 0);
          total += now() - s;
          ::DeleteFileA(keep.c_str());
        }
        char label[64]; std::snprintf(label, sizeof label, "%s mode %s%s", c[0], c[2], d ? " discard" : "");
        ops.print(label, total, runs);
      }
    }
    w.SetFileOps(nullptr);
  }
  std::printf("%u\n", unsigned(sink));
  ::DeleteFileA(file.c_str()); ::RemoveDirectoryA(dir.c_str());
}
