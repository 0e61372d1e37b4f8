// Appends the install package to the program file, on the build machine:
//   qz-packer <program.exe> <entry file>...
// Entry 0 is the program image itself, the files follow in the order given.
// A package already on the program file is replaced, so the step can rerun.
//   qz-packer --check <program.exe>   lists the entries and verifies their checksums.
#include "install/checksum.h"
#include "install/uInstallFormat.h"
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace {

bool readFile(const std::string& name, std::string& data) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  data = s.str();
  return !in.bad();
}

std::string baseName(const std::string& path) {
  size_t p = path.find_last_of("/\\");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string checksumOf(const std::string& bytes) {
  TChecksum sum;
  sum.Add(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return sum.Result();
}

// The directory of a file's package; false when it carries none that is sound.
bool readDirectory(const std::string& file, std::vector<TInstallEntry>& entries) {
  if (file.size() < kInstallTrailerSize) return false;
  int count = TrailerEntryCount(reinterpret_cast<const uint8_t*>(file.data() + file.size() - kInstallTrailerSize));
  size_t dirSize = static_cast<size_t>(count) * kInstallEntrySize;
  if (count <= 0 || file.size() < kInstallTrailerSize + dirSize) return false;
  entries.resize(static_cast<size_t>(count));
  std::memcpy(entries.data(), file.data() + file.size() - kInstallTrailerSize - dirSize, dirSize);
  return ValidateInstallDirectory(entries, file.size());
}

int check(const std::string& program) {
  std::string file;
  std::vector<TInstallEntry> entries;
  if (!readFile(program, file) || !readDirectory(file, entries)) {
    std::cerr << program << ": no sound install package\n";
    return 1;
  }
  int bad = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const TInstallEntry& e = entries[i];
    std::string sum = checksumOf(file.substr(static_cast<size_t>(e.Offset), static_cast<size_t>(e.Size)));
    bool ok = sum == EntryChecksum(e);
    bad += !ok;
    std::cout << i << " " << EntryName(e) << " " << e.Size << " @" << e.Offset << " " << EntryChecksum(e)
              << (ok ? "" : " MISMATCH " + sum) << "\n";
  }
  return bad ? 1 : 0;
}

int pack(const std::string& program, const std::vector<std::string>& parts) {
  std::string image;
  if (!readFile(program, image)) {
    std::cerr << "cannot read " << program << "\n";
    return 1;
  }
  std::vector<TInstallEntry> old;
  if (readDirectory(image, old) && old[0].Offset == 0) image.resize(static_cast<size_t>(old[0].Size));

  std::vector<std::string> names{baseName(program)};
  std::vector<std::string> datas{image};
  for (const auto& p : parts) {
    std::string d;
    if (!readFile(p, d)) {
      std::cerr << "cannot read " << p << "\n";
      return 1;
    }
    names.push_back(baseName(p));
    datas.push_back(d);
  }
  if (names.size() > static_cast<size_t>(kInstallMaxEntries)) {
    std::cerr << "too many entries\n";
    return 1;
  }
  std::string out;
  std::vector<TInstallEntry> dir;
  for (size_t i = 0; i < names.size(); ++i) {
    if (!IsSafeEntryName(names[i])) {
      std::cerr << "unusable entry name: " << names[i] << "\n";
      return 1;
    }
    if (out.size() + datas[i].size() > 0x7FFFFFFFu) {
      std::cerr << "package too large\n";
      return 1;
    }
    dir.push_back(MakeInstallEntry(names[i], static_cast<int32_t>(datas[i].size()), static_cast<int32_t>(out.size()),
                                   checksumOf(datas[i])));
    out += datas[i];
  }
  out.append(reinterpret_cast<const char*>(dir.data()), dir.size() * kInstallEntrySize);
  uint8_t trailer[kInstallTrailerSize];
  MakeTrailer(static_cast<int>(dir.size()), trailer);
  out.append(reinterpret_cast<const char*>(trailer), sizeof(trailer));

  // Written beside the program and renamed, so a failed write leaves it intact.
  std::string temp = program + ".packing";
  {
    std::ofstream o(temp, std::ios::binary | std::ios::trunc);
    o.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!o.good()) {
      std::cerr << "cannot write " << temp << "\n";
      std::remove(temp.c_str());
      return 1;
    }
  }
  if (std::rename(temp.c_str(), program.c_str()) != 0) {
    std::cerr << "cannot replace " << program << "\n";
    std::remove(temp.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--check") return check(argv[2]);
  if (argc < 2) {
    std::cerr << "usage: qz-packer <program.exe> <entry file>...\n       qz-packer --check <program.exe>\n";
    return 2;
  }
  return pack(argv[1], std::vector<std::string>(argv + 2, argv + argc));
}
