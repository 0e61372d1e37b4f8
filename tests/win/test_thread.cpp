#include "win/Thread.h"
#include "win/MessageWindow.h"
#include <gtest/gtest.h>
#include <atomic>
#include <stdexcept>

namespace {

class CountingThread : public win::Thread {
public:
  std::atomic<int> loops{0};
  ~CountingThread() override { terminateAndWait(); }

protected:
  void execute() override {
    while (!terminated()) {
      ++loops;
      ::Sleep(1);
    }
    setReturnValue(7);
  }
};

}  // namespace

TEST(Thread, StartsOnResumeAndStopsOnTerminate) {
  CountingThread t;
  EXPECT_TRUE(t.suspended());
  ::Sleep(30);
  EXPECT_EQ(t.loops, 0);
  t.setPriority(win::tpLower);
  EXPECT_EQ(t.priority(), THREAD_PRIORITY_BELOW_NORMAL);
  t.resume();
  while (t.loops < 3) ::Sleep(1);
  EXPECT_FALSE(t.finished());
  t.terminate();
  EXPECT_EQ(t.waitFor(), 7u);
  EXPECT_TRUE(t.finished());
  EXPECT_EQ(t.fatalError(), "");
}

TEST(Thread, NeverStartedThreadIsFreedWithoutRunning) {
  bool ran = false;
  {
    win::Thread t([&](win::Thread&) { ran = true; }, true);
    EXPECT_EQ(t.waitFor(), 0u);  // returns at once
  }
  EXPECT_FALSE(ran);
}

TEST(Thread, ExceptionIsCaughtAtTheEntry) {
  win::Thread t([](win::Thread&) { throw std::runtime_error("boom"); });
  t.waitFor();
  EXPECT_TRUE(t.finished());
  EXPECT_EQ(t.fatalError(), "boom");
}

TEST(Thread, SynchronizeRunsOnMainThreadWhileItWaits) {
  // The main thread only waits (no message loop): waitFor must serve the calls.
  std::vector<DWORD> ranOn;
  win::Thread t([&](win::Thread&) {
    for (int i = 0; i < 50; ++i)
      win::Thread::synchronize([&] { ranOn.push_back(::GetCurrentThreadId()); });
  });
  t.waitFor();
  ASSERT_EQ(ranOn.size(), 50u);
  for (DWORD id : ranOn) EXPECT_EQ(id, ::GetCurrentThreadId());
}

TEST(Thread, SynchronizeIsServedByTheMessageLoop) {
  std::atomic<bool> done{false};
  int value = 0;
  win::Thread t([&](win::Thread&) {
    win::Thread::synchronize([&] { value = 42; });
    done = true;
  });
  // The wake-up message arrives here. The thread sets done only after its call
  // has run, so the loop waits with a limit: a blocking GetMessage after the
  // last message would wait for ever.
  const DWORD start = ::GetTickCount();
  while (!done && ::GetTickCount() - start < 3000) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&m);
  }
  EXPECT_TRUE(done);
  EXPECT_EQ(value, 42);
  t.waitFor();
}

TEST(Thread, ExceptionOfSynchronizedCallReachesTheThread) {
  std::string caught;
  win::Thread t([&](win::Thread&) {
    try {
      win::Thread::synchronize([] { throw std::runtime_error("in gui"); });
    } catch (const std::exception& e) {
      caught = e.what();
    }
  });
  t.waitFor();
  EXPECT_EQ(caught, "in gui");
}

TEST(Thread, WaitForDeliversMessagesSentByTheThread) {
  int received = 0;
  win::MessageWindow wnd([&](UINT msg, WPARAM wParam, LPARAM, LRESULT& r) {
    if (msg != WM_APP + 1) return false;
    received += static_cast<int>(wParam);
    r = 0;
    return true;
  });
  HWND h = wnd.handle();
  win::Thread t([h](win::Thread&) {
    for (int i = 0; i < 10; ++i) ::SendMessageA(h, WM_APP + 1, 1, 0);
  });
  t.waitFor();
  EXPECT_EQ(received, 10);
}

TEST(Thread, DestructorWaitsWhileTheThreadSynchronizes) {
  std::atomic<int> calls{0};
  {
    CountingThread* t = nullptr;
    struct Syncing : CountingThread {
      std::atomic<int>* calls;
      void execute() override {
        while (!terminated()) synchronize([this] { ++*calls; });
      }
    };
    auto* s = new Syncing;
    s->calls = &calls;
    t = s;
    t->resume();
    while (calls < 5) win::checkSynchronize();
    delete t;  // terminate + wait while the thread is inside synchronize
  }
  EXPECT_GE(calls, 5);
}
