#include "uSnRViewGuard.h"
#include <windows.h>

namespace snr {
namespace {

struct Guard {
  const char* begin;
  const char* end;
  void* jump[5];  // __builtin_setjmp's buffer
  Guard* outer;
};

DWORD tlsSlot() {
  static const DWORD slot = ::TlsAlloc();
  return slot;
}

Guard* current() { return static_cast<Guard*>(::TlsGetValue(tlsSlot())); }

// Reached in place of the faulting read: back to RunReadingView.
__attribute__((noreturn, noinline)) void leaveAtFault() { __builtin_longjmp(current()->jump, 1); }

LONG CALLBACK onException(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* rec = info->ExceptionRecord;
  if (rec->ExceptionCode != EXCEPTION_IN_PAGE_ERROR && rec->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
    return EXCEPTION_CONTINUE_SEARCH;
  if (rec->NumberParameters < 2 || rec->ExceptionInformation[0] != 0)  // 0: a read
    return EXCEPTION_CONTINUE_SEARCH;
  const Guard* g = tlsSlot() == TLS_OUT_OF_INDEXES ? nullptr : current();
  const char* at = reinterpret_cast<const char*>(rec->ExceptionInformation[1]);
  if (!g || at < g->begin || at >= g->end) return EXCEPTION_CONTINUE_SEARCH;
  // Go on in leaveAtFault on the faulting thread's own stack, below its frame; the
  // system's dispatch is left behind normally.
  CONTEXT* c = info->ContextRecord;
#if defined(_M_IX86) || defined(__i386__)
  c->Esp = ((c->Esp - 256) & ~static_cast<DWORD>(15)) - 4;
  c->Eip = reinterpret_cast<DWORD>(&leaveAtFault);
#else
  c->Rsp = ((c->Rsp - 256) & ~static_cast<DWORD64>(15)) - 8;
  c->Rip = reinterpret_cast<DWORD64>(&leaveAtFault);
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

void installHandler() {
  static const bool installed = ::AddVectoredExceptionHandler(1, onException) != nullptr;
  (void)installed;
}

struct Scope {
  explicit Scope(Guard& g) {
    g.outer = current();
    ::TlsSetValue(tlsSlot(), &g);
    outer = g.outer;
  }
  ~Scope() { ::TlsSetValue(tlsSlot(), outer); }
  Guard* outer;
};

}  // namespace

bool RunReadingView(const void* Begin, size_t Size, void (*Fn)(void*), void* Arg) {
  if (tlsSlot() == TLS_OUT_OF_INDEXES) {  // no guard possible: run unguarded
    Fn(Arg);
    return true;
  }
  installHandler();
  Guard g;
  g.begin = static_cast<const char*>(Begin);
  g.end = g.begin + Size;
  Scope scope(g);
  if (__builtin_setjmp(g.jump)) return false;
  Fn(Arg);
  return true;
}

bool CanReadView(const void* Begin, size_t Size) {
  struct Touch {
    const volatile char* p;
    size_t n;
    void operator()() const {
      if (!n) return;
      for (size_t i = 0; i < n; i += 4096) (void)p[i];
      (void)p[n - 1];
    }
  } touch{static_cast<const volatile char*>(Begin), Size};
  return RunReadingView(Begin, Size, touch);
}

}  // namespace snr
