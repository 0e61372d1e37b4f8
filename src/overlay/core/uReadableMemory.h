// Memory this library did not allocate (a caller's arguments, a module's
// resources) is checked before it is read, so a bad pointer or a damaged module
// gives a failure instead of an access violation.
#pragma once
#include <cstddef>
#include <cstdint>

// True when all `bytes` bytes from p are committed, readable memory.
bool IsReadableRange(const void* p, std::size_t bytes);
// The end of the run of readable memory that holds address a; a itself when a
// is not readable.
uintptr_t ReadableEnd(uintptr_t a);
