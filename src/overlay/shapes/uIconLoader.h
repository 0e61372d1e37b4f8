// Icons from bounded bytes: an icon file's directory and images, or a module's
// icon resources, are checked against their real size before the system builds
// the icon, and the system is handed the chosen image's own bytes only.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>

// The image of an icon file that suits an icon of cx by cy pixels (chosen as the
// system chooses), as an icon of that size that the caller owns; null, with the
// reason in Error, for a file that is no sound icon file.
HICON CreateIconFromIcoData(const uint8_t* Data, size_t Size, int cx, int cy, std::string& Error);
// The icon resource Name (an icon group) of the module, likewise; null when the
// module holds no such sound resource.
HICON CreateIconFromModule(HMODULE Module, LPCSTR Name, int cx, int cy);
