// Overlay library benchmark: reading a script file of free text through the
// real library, and reading every key of a buffered INI file, each against the
// floor of reading the same file's bytes; the INI at two sizes, so that a cost
// per key that grows with the file shows as a ratio above 1.
// Usage: overlay_bench [script lines, default 100000] [INI keys, default 100000] [runs, default 5]
// Runs are interleaved; each row is the median of its runs with min and max.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "uBufferedIniFile.h"
#include "win/Handles.h"

namespace {

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

bool WriteAll(const std::string& name, const std::string& data) {
  win::FileHandle f(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD n = 0;
  return f && ::WriteFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &n, nullptr) && n == data.size();
}

// The floor: the file's bytes into memory, each one looked at.
unsigned ReadFloor(const std::string& name) {
  win::FileHandle f(::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::vector<char> buf(1 << 16);
  unsigned sum = 0;
  DWORD got = 0;
  while (f && ::ReadFile(f.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got)
    for (DWORD i = 0; i < got; ++i) sum += static_cast<unsigned char>(buf[i]);
  return sum;
}

std::string Words(unsigned& seed, int count) {
  static const char* words[] = {"alpha", "brown", "fox", "jumps", "over", "lazy", "dog", "quartz", "sphinx", "of"};
  std::string s;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    s += (i ? " " : "") + std::string(words[(seed >> 16) % 10]);
  }
  return s;
}

struct Row {
  Row(std::string n, double b, std::function<bool()> r) : name(std::move(n)), bytes(b), run(std::move(r)) {}
  std::string name;
  double bytes;
  std::function<bool()> run;   // false: wrong result, the row's times do not count
  std::vector<double> times;
  bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int keys = argc > 2 ? std::atoi(argv[2]) : 100000;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "qz_overlay_bench_" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(dir.c_str(), nullptr);

  // Beside the benchmark, or in the build folder above it.
  HMODULE dll = ::LoadLibraryA("Qz-DarariRuzoriv.dll");
  if (!dll) {
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string up = self;
    up = up.substr(0, up.find_last_of("\\/"));
    dll = ::LoadLibraryA((up.substr(0, up.find_last_of("\\/") + 1) + "Qz-DarariRuzoriv.dll").c_str());
  }
  auto runFile = dll ? reinterpret_cast<int(__stdcall*)(const char*)>(
                           reinterpret_cast<void*>(::GetProcAddress(dll, "QzScreenOverlay_ScriptCommandFile")))
                     : nullptr;
  auto clear = dll ? reinterpret_cast<int(__stdcall*)()>(reinterpret_cast<void*>(::GetProcAddress(dll, "QzScreenOverlay_Clear")))
                   : nullptr;
  if (!runFile || !clear) {
    std::printf("Qz-DarariRuzoriv.dll not found beside the benchmark\n");
    return 1;
  }
  clear();

  unsigned seed = 1;
  std::string script;
  for (int i = 0; i < lines; ++i) script += Words(seed, 6) + "\r\n";
  const std::string scriptFile = dir + "\\free.script";
  WriteAll(scriptFile, script);

  // keys spread over sections of 100 keys; the small file has a tenth of them.
  auto makeIni = [&](int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
      if (i % 100 == 0) text += "[Section" + std::to_string(i / 100) + "]\r\n";
      text += "Key" + std::to_string(i) + "=" + std::to_string(i * 7) + "\r\n";
    }
    return text;
  };
  const std::string iniSmall = dir + "\\small.ini", iniLarge = dir + "\\large.ini";
  const std::string smallText = makeIni(keys / 10), largeText = makeIni(keys);
  WriteAll(iniSmall, smallText);
  WriteAll(iniLarge, largeText);
  auto readAll = [](const std::string& file, int n) {
    TBufferedIniFile ini(file);
    for (int i = 0; i < n; ++i)
      if (ini.ReadString("Section" + std::to_string(i / 100), "Key" + std::to_string(i), "") != std::to_string(i * 7))
        return false;
    return true;
  };

  const unsigned scriptSum = ReadFloor(scriptFile);
  std::vector<Row> rows = {
      {"script file: read its bytes", double(script.size()), [&] { return ReadFloor(scriptFile) == scriptSum; }},
      {"script file: run it", double(script.size()), [&] { return runFile(scriptFile.c_str()) == 0 && clear() == 0; }},
      {"INI " + std::to_string(keys / 10) + " keys: read its bytes", double(smallText.size()),
       [&] { return ReadFloor(iniSmall) != 0; }},
      {"INI " + std::to_string(keys / 10) + " keys: read every key", double(smallText.size()),
       [&] { return readAll(iniSmall, keys / 10); }},
      {"INI " + std::to_string(keys) + " keys: read its bytes", double(largeText.size()),
       [&] { return ReadFloor(iniLarge) != 0; }},
      {"INI " + std::to_string(keys) + " keys: read every key", double(largeText.size()),
       [&] { return readAll(iniLarge, keys); }},
  };
  // One warm-up round checks every result; then the rounds are timed, rows interleaved.
  for (Row& r : rows) r.failed = !r.run();
  for (int k = 0; k < runs; ++k)
    for (Row& r : rows) {
      const double t0 = Now();
      const bool ok = r.run();
      r.times.push_back(Now() - t0);
      r.failed = r.failed || !ok;
    }

  std::printf("%-40s %10s %10s %10s %10s\n", "row", "median ms", "min ms", "max ms", "MiB/s");
  std::vector<double> medians;
  for (Row& r : rows) {
    std::sort(r.times.begin(), r.times.end());
    const double median = r.times[r.times.size() / 2];
    medians.push_back(median);
    if (r.failed) {
      std::printf("%-40s  wrong result: not timed\n", r.name.c_str());
      continue;
    }
    std::printf("%-40s %10.1f %10.1f %10.1f %10.1f\n", r.name.c_str(), median * 1e3, r.times.front() * 1e3,
                r.times.back() * 1e3, r.bytes / median / (1 << 20));
  }
  std::printf("script file: run / read bytes = %.2f\n", medians[1] / medians[0]);
  std::printf("INI per key, %d keys / %d keys = %.2f (1.00: linear)\n", keys, keys / 10,
              (medians[5] / keys) / (medians[3] / (keys / 10)));
  for (const std::string& f : {scriptFile, iniSmall, iniLarge}) ::DeleteFileA(f.c_str());
  ::RemoveDirectoryA(dir.c_str());
  ::FreeLibrary(dll);
  return 0;
}
