// A save timer driven by a virtual clock: Advance(ms) fires every enabled
// timer whose interval has run out since it was last enabled.
#pragma once
#include <algorithm>
#include <vector>
#include "uBufferedIniFile.h"

class FakeTimers {
public:
  class Timer : public TIniSaveTimer {
  public:
    Timer(FakeTimers& owner, unsigned interval) : owner_(owner), interval_(interval) {
      owner_.timers_.push_back(this);
    }
    ~Timer() override {
      auto& t = owner_.timers_;
      t.erase(std::remove(t.begin(), t.end(), this), t.end());
    }
    void SetEnabled(bool on) override {
      if (on) armedAt_ = owner_.now_;   // enabling restarts the count
      enabled_ = on;
    }
    bool Enabled() const override { return enabled_; }
    void SetOnTimer(std::function<void()> h) override { handler_ = std::move(h); }
    unsigned interval() const { return interval_; }

  private:
    friend class FakeTimers;
    FakeTimers& owner_;
    unsigned interval_;
    bool enabled_ = false;
    unsigned long long armedAt_ = 0;
    std::function<void()> handler_;
  };

  FakeTimers() {
    SetIniSaveTimerFactory([this](unsigned interval) {
      return std::unique_ptr<TIniSaveTimer>(new Timer(*this, interval));
    });
  }
  ~FakeTimers() { SetIniSaveTimerFactory({}); }

  void Advance(unsigned ms) {
    for (unsigned i = 0; i < ms; ++i) {
      ++now_;
      auto copy = timers_;
      for (Timer* t : copy) {
        if (t->enabled_ && now_ - t->armedAt_ >= t->interval_) {
          t->armedAt_ = now_;
          if (t->handler_) t->handler_();
        }
      }
    }
  }
  size_t count() const { return timers_.size(); }

private:
  unsigned long long now_ = 0;
  std::vector<Timer*> timers_;
};
