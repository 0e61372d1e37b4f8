#include "uReadableMemory.h"

#include <windows.h>

namespace {

bool IsReadableProtection(DWORD protect) {
  if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                     PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

}  // namespace

uintptr_t ReadableEnd(uintptr_t a) {
  MEMORY_BASIC_INFORMATION info{};
  if (!::VirtualQuery(reinterpret_cast<const void*>(a), &info, sizeof info)) return a;
  if (info.State != MEM_COMMIT || !IsReadableProtection(info.Protect)) return a;
  const uintptr_t end = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
  return end > a ? end : a;
}

bool IsReadableRange(const void* p, std::size_t bytes) {
  if (bytes == 0) return true;
  if (!p) return false;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(p);
  const uintptr_t end = begin + bytes;
  if (end < begin) return false;
  for (uintptr_t a = begin; a < end;) {
    const uintptr_t next = ReadableEnd(a);
    if (next <= a) return false;
    a = next;
  }
  return true;
}
