// Millisecond tick source behind an interface so time-dependent logic can be
// tested with a manual clock.
#pragma once
#include <windows.h>

namespace win {

class Clock {
public:
  virtual ~Clock() = default;
  virtual DWORD tickCount() const = 0;   // milliseconds, wraps like GetTickCount
};

class SystemClock : public Clock {
public:
  DWORD tickCount() const override { return ::GetTickCount(); }
};

class ManualClock : public Clock {
public:
  DWORD now = 0;
  DWORD tickCount() const override { return now; }
  void advance(DWORD ms) { now += ms; }
};

const Clock& currentClock();
void setClock(const Clock* c);   // not owned; nullptr goes back to the system clock

class ScopedClock {
public:
  explicit ScopedClock(const Clock& c);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;
private:
  const Clock* previous_;
};

}  // namespace win
