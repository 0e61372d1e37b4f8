#include "win/Clock.h"

namespace win {

static const Clock*& installed() {
  static const Clock* c = nullptr;
  return c;
}

const Clock& currentClock() {
  static const SystemClock system;
  const Clock* c = installed();
  return c ? *c : system;
}

void setClock(const Clock* c) { installed() = c; }

ScopedClock::ScopedClock(const Clock& c) : previous_(installed()) { installed() = &c; }
ScopedClock::~ScopedClock() { installed() = previous_; }

}  // namespace win
