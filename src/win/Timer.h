// The class library's timer: calls onTimer every interval milliseconds on the
// thread that first enabled it, through that thread's message loop. A new timer
// is disabled, with an interval of 1000 ms, and has no window yet: each window
// costs about a millisecond under wine, and many timers are never enabled in a
// run. Destroying it stops it.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include "win/MessageWindow.h"

namespace win {

class Timer {
public:
  Timer();
  explicit Timer(UINT intervalMs, std::function<void()> handler = {}, bool enabled = false);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Changing the interval of an enabled timer restarts its count.
  void setInterval(UINT ms);
  UINT interval() const noexcept { return interval_; }
  // Enabling an enabled timer restarts its count (the usual way to re-arm a one-shot).
  void setEnabled(bool on);
  bool enabled() const noexcept { return enabled_; }

  // Runs on the timer's thread. It may disable, re-arm or destroy this timer or others.
  std::function<void()> onTimer;

private:
  void arm();
  std::unique_ptr<MessageWindow> wnd_;   // the receiver of its ticks, made when first armed
  UINT interval_ = 1000;
  bool enabled_ = false;
};

}  // namespace win
