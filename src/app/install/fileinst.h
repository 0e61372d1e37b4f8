// The install package appended to the program file: its directory, read once
// at start, and copying entries out next to the program.
#pragma once
#include "install/uInstallFormat.h"
#include <cstdint>
#include <string>

extern TInstallEntry InstallEntries[kInstallMaxEntries];
extern uint8_t InstallEntryCount;   // entries read, or 1 without a (sound) package

// Reads the directory of the running program file.
void ReadInstallDirectory();
// Reads the directory of the file given; a missing, cut or damaged package
// counts as none (InstallEntryCount 1). Returns the number of entries read.
int ReadInstallDirectoryFrom(const std::string& fileName);
// Entries after entry 0 (the program itself).
int GetInstallEntryCount();
// Copies entry Index of the package file into Dir under Name (the entry's own
// name when empty). True when the file there then has the stored checksum. An
// existing file with that checksum is left alone; otherwise the entry is
// written under a temporary name, checked and only then put in place, so a
// failed copy never destroys a good file.
bool ExtractInstallEntry(uint8_t index, const std::string& dir, const std::string& name);
// The file whose package was read (the program file by default).
const std::string& InstallPackageFile();
