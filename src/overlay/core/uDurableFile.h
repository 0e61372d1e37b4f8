// The files this library writes (buffered INI files, the debug log and script)
// are replaced in one step: the new content goes to a temporary file beside the
// old one, is flushed to the disk, and only then takes the file's name. A kill or
// a power loss at any moment leaves either the old file or the new one, never a
// cut one; at worst a temporary file is left, which the next save of that file
// reuses and removes.
#pragma once
#include <functional>
#include <string>

// False when any step fails; the file is then as it was, and no temporary file
// is left behind.
bool ReplaceFileContent(const std::string& fileName, const std::string& content);

// The temporary file that ReplaceFileContent writes for fileName.
std::string TemporaryFileFor(const std::string& fileName);

// For tests: called after each step ("written", "flushed", "replaced"); a hook
// that returns false at "written" or "flushed" makes the save fail there, as a
// failing disk would. An empty hook removes it.
using TReplaceStepHook = std::function<bool(const char* step)>;
void SetReplaceStepHook(TReplaceStepHook hook);
