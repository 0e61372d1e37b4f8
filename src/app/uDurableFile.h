// The program's own files (settings, histories, the backup list, the result
// log, installed package entries) are replaced whole: the new content goes to a
// new file beside the old one, reaches the disk, and then takes the old file's
// name in one step. A crash or a kill at any moment leaves the old or the new
// file under the name, never a cut one.
#pragma once
#include <cstdint>
#include <string>

// Suffix of the new files while they are written; "name.<process>-<n>" + this.
extern const char kDurableTempSuffix[];

// Replaces (or creates) FileName with Data as described above. False when the
// file could not be written; the old file is then untouched and no new file is left.
bool WriteFileDurably(const std::string& FileName, const std::string& Data);

// The same, but nothing is written when the file already holds exactly Data.
bool UpdateFileDurably(const std::string& FileName, const std::string& Data);

// The whole file; false when it cannot be opened or read, or is larger than MaxSize.
bool ReadWholeFile(const std::string& FileName, std::string& Data, uint64_t MaxSize = 0x7FFFFFFF);

// A new file beside Target that nobody else can open until it is closed:
// its name comes back in Name. Invalid handle on failure.
void* CreateNewFileBeside(const std::string& Target, std::string& Name);

// Removes the new files that a killed run of the program left in Folder
// (files with the suffix above that nobody holds open). Returns how many.
int RemoveDurableLeftovers(const std::string& Folder);
