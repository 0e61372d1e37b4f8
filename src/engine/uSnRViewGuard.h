// Reading a mapped view can fault: a network share drops, a removable disk is
// pulled, the file is cut short by another program. Such a read raises a
// structured exception, which C++ cannot catch. RunReadingView runs a piece of code
// so that a read fault inside the given range, on the calling thread, ends that code
// early instead of the process.
#pragma once
#include <cstddef>
#include <stdexcept>

namespace snr {

// Runs Fn(Arg). Returns false when a read inside [Begin, Begin + Size) faulted on
// this thread meanwhile: Fn was left at the faulting read, so whatever it had built
// on the stack is abandoned without its destructors (objects Fn must not leave
// inconsistent belong outside it, and Fn must take no lock it could be left holding).
// C++ exceptions of Fn pass through unchanged.
bool RunReadingView(const void* Begin, size_t Size, void (*Fn)(void*), void* Arg);

template <class F>
bool RunReadingView(const void* Begin, size_t Size, F& fn) {
  return RunReadingView(Begin, Size, [](void* f) { (*static_cast<F*>(f))(); }, &fn);
}

// True when every byte of [Begin, Begin + Size) can be read now.
bool CanReadView(const void* Begin, size_t Size);

// Raised when the input's view cannot be read (a fault inside it, or a write from
// it that the system refused for that reason).
struct ViewReadError : std::runtime_error {
  ViewReadError() : std::runtime_error("cannot read the file") {}
};

}  // namespace snr
