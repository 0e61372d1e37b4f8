// File names as the system holds them (wide strings) and as the program's 8-bit
// texts show them (the ANSI code page), and the form of a path that the file
// functions take at any length.
#pragma once
#include <string>

namespace win {

// 8-bit text of the ANSI code page in wide form.
std::wstring AnsiToWide(const std::string& text);

// The 8-bit form a name is shown in: every character the code page cannot hold
// becomes "?" (no look-alike stands in for it). Only for display: such a "?"
// names no file and matches none.
std::string WideToAnsi(const std::wstring& text);

// The system's own 8-bit form of a wide text, as the 8-bit command line has it:
// a character the code page cannot hold may become a look-alike.
std::string WideToAnsiAsSystem(const std::wstring& text);

// True when the name comes back unchanged from its 8-bit form.
bool HasAnsiForm(const std::wstring& text);

// The command interpreter's 8-bit form (the OEM code page), in which it reads
// batch files: every character that code page cannot hold becomes "?".
std::string WideToOem(const std::wstring& text);
bool HasOemForm(const std::wstring& text);

std::string WideToUtf8(const std::wstring& text);
// False (Text untouched) when Utf8 is not valid UTF-8.
bool Utf8ToWide(const std::string& utf8, std::wstring& text);
// Text in UTF-8 if it is valid UTF-8, else as 8-bit text of the ANSI code page
// (as older files and reports hold names).
std::wstring Utf8OrAnsiToWide(const std::string& text);

// The system's full form of Path (relative to the current folder); empty when it
// has none.
std::wstring FullPath(const std::wstring& path);

// The system's short (8.3) form of an existing Path; empty when it has none.
std::wstring ShortPath(const std::wstring& path);

// The form of Path that the wide file functions take whatever its length: a path
// whose full form could pass the system's old limit (MAX_PATH, less room for a
// name made beside it) becomes that full path with the long-path prefix
// ("\\?\C:\..." or "\\?\UNC\server\share\..."); shorter paths, and paths that
// already are in a device or long form, stay as they are.
std::wstring LongPath(const std::wstring& path);

// True when Path names an existing file, not a folder; looked up through
// LongPath, so at any length.
bool IsExistingFile(const std::wstring& path);

// The form of Path to make a file under a name that does not exist yet. Under
// wine a name that is not there is looked up by reading its whole folder (the
// host's file system tells names apart by case, the system's names do not), so
// every new file costs time in the size of its folder; wine's own namespace for
// host paths ("\\?\unix\...") takes the name as it is. Elsewhere, or when
// the host path is not known, LongPath(Path). The file made is the same either
// way; later calls name it by Path.
std::wstring NewFilePath(const std::wstring& path);

}  // namespace win
