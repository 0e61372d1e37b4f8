#include "win/Timer.h"
#include "QzTestWait.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

// Pumps the thread's messages until done() or the time is up.
template <class Pred>
bool pumpUntil(Pred done, DWORD ms = 3000) {
  return qztest::WaitUntil(done, ms, win::processMessages);
}

void pumpFor(DWORD ms) {
  pumpUntil([] { return false; }, ms);
}

}  // namespace

TEST(Timer, FiresOnItsThreadOnlyWhileEnabled) {
  win::Timer t;
  EXPECT_FALSE(t.enabled());
  EXPECT_EQ(t.interval(), 1000u);
  int ticks = 0;
  DWORD thread = 0;
  t.onTimer = [&] { ++ticks; thread = ::GetCurrentThreadId(); };
  t.setInterval(20);
  pumpFor(100);
  EXPECT_EQ(ticks, 0);  // a new timer is disabled

  t.setEnabled(true);
  ASSERT_TRUE(pumpUntil([&] { return ticks >= 3; }));
  EXPECT_EQ(thread, ::GetCurrentThreadId());

  t.setEnabled(false);
  int seen = ticks;
  pumpFor(100);
  EXPECT_EQ(ticks, seen);
}

TEST(Timer, OneShotReArmedFromItsOwnEvent) {
  win::Timer t(15);
  int ticks = 0;
  t.onTimer = [&] {
    t.setEnabled(false);  // one-shot
    if (++ticks < 3) t.setEnabled(true);
  };
  t.setEnabled(true);
  ASSERT_TRUE(pumpUntil([&] { return ticks == 3; }));
  pumpFor(80);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(t.enabled());
}

TEST(Timer, EventMayDestroyOtherTimersAndItself) {
  auto other = std::make_unique<win::Timer>(10);
  int otherTicks = 0;
  other->onTimer = [&] { ++otherTicks; };

  auto self = std::make_unique<win::Timer>(10);
  int selfTicks = 0;
  self->onTimer = [&] {
    ++selfTicks;
    other.reset();
    self.reset();  // destroys the timer whose event is running
  };
  // Both due in the same loop pass.
  other->setEnabled(true);
  self->setEnabled(true);
  ASSERT_TRUE(pumpUntil([&] { return !self; }));
  int afterwards = otherTicks;
  pumpFor(80);
  EXPECT_EQ(selfTicks, 1);
  EXPECT_EQ(otherTicks, afterwards);
}

TEST(Timer, DestroyingStopsIt) {
  int ticks = 0;
  {
    win::Timer t(10, [&] { ++ticks; }, true);
    ASSERT_TRUE(pumpUntil([&] { return ticks > 0; }));
  }
  int seen = ticks;
  pumpFor(60);
  EXPECT_EQ(ticks, seen);
}
