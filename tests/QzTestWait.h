// Waiting in tests: until a condition holds or the time is up, with the caller's
// way of serving messages in between (the thread's pump, the application's, none).
#pragma once
#include <windows.h>

namespace qztest {

template <class Done, class Pump>
bool WaitUntil(Done done, DWORD timeoutMs, Pump pump) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;   // unsigned: wraps safely
    pump();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

}  // namespace qztest
