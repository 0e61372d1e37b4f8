#include "uDurableFile.h"

#include <windows.h>

#include <algorithm>

#include "win/Handles.h"

namespace {

TReplaceStepHook& stepHook() {
  static TReplaceStepHook hook;
  return hook;
}

bool step(const char* name) { return !stepHook() || stepHook()(name); }

bool writeAll(HANDLE file, const std::string& content) {
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(left, 1u << 20));
    if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    left -= written;
  }
  return true;
}

// The new content in the temporary file, on the disk, the file closed.
bool writeTemporary(const std::string& name, const std::string& content) {
  win::FileHandle file(::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !writeAll(file.get(), content) || !step("written")) return false;
  return ::FlushFileBuffers(file.get()) && step("flushed");
}

}  // namespace

std::string TemporaryFileFor(const std::string& fileName) { return fileName + ".qztmp"; }

void SetReplaceStepHook(TReplaceStepHook hook) { stepHook() = std::move(hook); }

bool ReplaceFileContent(const std::string& fileName, const std::string& content) {
  const std::string temporary = TemporaryFileFor(fileName);
  // The temporary file lies in the file's own folder, so the rename that puts it
  // in place never copies and replaces the name in one step.
  if (writeTemporary(temporary, content) &&
      ::MoveFileExA(temporary.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    step("replaced");
    return true;
  }
  ::DeleteFileA(temporary.c_str());
  return false;
}
