#include "uDecodedPicture.h"

#include <cstdio>
#include <new>

bool ReadWholeFile(const std::string& FileName, std::vector<uint8_t>& Data, std::string& Error) {
  Data.clear();
  std::FILE* F = std::fopen(FileName.c_str(), "rb");
  if (!F) {
    Error = "file cannot be opened";
    return false;
  }
  bool Ok = true;
  if (std::fseek(F, 0, SEEK_END) != 0) Ok = false;
  long long Size = Ok ? static_cast<long long>(std::ftell(F)) : -1;
  if (Size < 0 || Size > kMaxPictureFileBytes) {
    Error = Size < 0 ? "file cannot be read" : "file too large";
    Ok = false;
  }
  if (Ok) {
    std::rewind(F);
    try {
      Data.resize(static_cast<size_t>(Size));
    } catch (const std::bad_alloc&) {
      Error = "out of memory for the file";
      Ok = false;
    }
  }
  if (Ok && Size > 0 && std::fread(Data.data(), 1, Data.size(), F) != Data.size()) {
    Error = "file cannot be read";
    Ok = false;
  }
  std::fclose(F);
  if (!Ok) Data.clear();
  return Ok;
}
