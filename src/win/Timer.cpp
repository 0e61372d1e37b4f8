#include "win/Timer.h"

namespace win {

namespace { const UINT_PTR kTimerId = 1; }

Timer::Timer() = default;

Timer::Timer(UINT intervalMs, std::function<void()> handler, bool enabled) : Timer() {
  onTimer = std::move(handler);
  interval_ = intervalMs;
  setEnabled(enabled);
}

Timer::~Timer() {
  if (wnd_) ::KillTimer(wnd_->handle(), kTimerId);
}

void Timer::setInterval(UINT ms) {
  interval_ = ms;
  arm();
}

void Timer::setEnabled(bool on) {
  enabled_ = on;
  arm();
}

void Timer::arm() {
  const bool ticking = enabled_ && interval_ > 0;
  if (!wnd_ && !ticking) return;
  if (!wnd_) {
    wnd_ = std::make_unique<MessageWindow>([this](UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
      if (msg != WM_TIMER || wParam != kTimerId) return false;
      result = 0;
      if (!enabled_ || !onTimer) return true;
      // A copy, since the handler may destroy this timer while it runs.
      auto handler = onTimer;
      handler();
      return true;
    });
  }
  ::KillTimer(wnd_->handle(), kTimerId);  // also drops a tick already waiting in the queue
  if (ticking) ::SetTimer(wnd_->handle(), kTimerId, interval_, nullptr);
}

}  // namespace win
