// What a new file that takes another file's place must keep of it: its attributes
// and its access rights, so that rewriting a file neither shows a hidden one nor
// opens a private one to others.
#pragma once
#include <windows.h>

namespace win {

// The access a new file's handle needs for CarryFileRights (besides GENERIC_WRITE).
constexpr DWORD kCarryRightsAccess = WRITE_DAC | WRITE_OWNER;

// Gives the new file To the attributes and the access rights of the file From.
// Attributes: hidden, system and not-content-indexed as From has them; archive set,
// as on every file whose content is new. Rights: From's security descriptor (its
// DACL, and its owner and group where the system lets this process set them); under
// wine on Linux, where a file's rights are its owner and mode and a descriptor
// holds only part of them, the owner (where permitted) and the mode themselves.
// From needs READ_CONTROL and FILE_READ_ATTRIBUTES (GENERIC_READ has both), To
// FILE_WRITE_ATTRIBUTES and kCarryRightsAccess. False when the attributes, the DACL
// or the mode could not be given; the owner is given where it can be.
bool CarryFileRights(HANDLE From, HANDLE To);

// The attributes of an open file; INVALID_FILE_ATTRIBUTES when they cannot be read.
DWORD FileAttributesOf(HANDLE File);

}  // namespace win
