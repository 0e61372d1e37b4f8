// Library-wide state and helpers shared by the export module and the script
// interpreter. Not part of the public interface (that is QzScreenOverlay.h).
#pragma once
#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

class TTransparentForm;

// The overlay window; null before creation and after QzScreenOverlay_Finalize.
extern TTransparentForm* OverlayForm;
extern bool OverlayFormCreated;

// Runs once while the library is loaded / unloaded (called by DllMain).
void QzScreenOverlayLibraryStart();
void QzScreenOverlayLibraryStop();

// Debug mode is on while the in-memory log exists (marker file found at load).
bool DebugMode();
// Writes one log line to the debugger output and the in-memory log; no-op when
// debug mode is off. Never throws.
void DebugLog(const std::string& text);
// Creates the overlay window when there is none; false when that failed.
bool EnsureOverlayWindow();

// Full file name of the host program (the process's main module), and its folder
// with a trailing backslash.
std::string HostProgramFileName();
std::string HostProgramFolder();

// Writes lines, each followed by CR LF, replacing the file in one step (the old
// file stays whole until the new one is on the disk). False on any failure.
bool SaveLinesToFile(const std::string& fileName, const std::vector<std::string>& lines);

// Reading what a caller passes across the library boundary without trusting it
// (IsReadableRange of uReadableMemory.h for arrays).
// The NUL-terminated text at p, read no further than readable memory and
// kMaxBoundaryString bytes; a null or unreadable pointer reads as empty.
constexpr std::size_t kMaxBoundaryString = 1u << 20;
std::string ReadBoundaryString(const char* p);
// A resource name as a string: names below 65536 are ordinals ("#123").
std::string ReadResourceName(const char* p);
