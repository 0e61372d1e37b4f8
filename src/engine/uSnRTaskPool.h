// A few threads of the worker's own that run its tasks (a job's reading, writing
// and flush; a folder's flush) beside it. Under wine the slow part of a small job
// is waiting: for the wine server, for a folder's case-insensitive look-up (made
// in the calling thread), for the disk; tasks on several threads wait together.
#pragma once
#include <windows.h>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A lock and a condition of the system's own (slim reader/writer lock, condition
// variable): under wine they wait inside the process, while the C++ library's wait
// through the wine server, which every thread of every program there shares.
class SlimLock {
public:
  void lock() { ::AcquireSRWLockExclusive(&lock_); }
  void unlock() { ::ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* get() { return &lock_; }

private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
public:
  template <class Pred>
  void wait(std::unique_lock<SlimLock>& held, Pred ready) {
    while (!ready()) ::SleepConditionVariableSRW(&cond_, held.mutex()->get(), INFINITE, 0);
  }
  // False when Ms passed and the condition still does not hold.
  template <class Pred>
  bool waitFor(std::unique_lock<SlimLock>& held, DWORD ms, Pred ready) {
    const DWORD start = ::GetTickCount();
    while (!ready()) {
      const DWORD waited = ::GetTickCount() - start;
      if (waited >= ms) return false;
      ::SleepConditionVariableSRW(&cond_, held.mutex()->get(), ms - waited, 0);
    }
    return true;
  }
  void notifyOne() { ::WakeConditionVariable(&cond_); }
  void notifyAll() { ::WakeAllConditionVariable(&cond_); }

private:
  CONDITION_VARIABLE cond_ = CONDITION_VARIABLE_INIT;
};

class TSnRTaskPool {
public:
  struct Ticket {
    bool done = false;
  };

  // Threads are started as tasks arrive, up to Threads, at the given priority.
  TSnRTaskPool(size_t threads, int priority) : threadCount_(threads), priority_(priority) {}
  // Runs what is queued, then ends the threads.
  ~TSnRTaskPool();
  TSnRTaskPool(const TSnRTaskPool&) = delete;
  TSnRTaskPool& operator=(const TSnRTaskPool&) = delete;

  // Queues Task; tasks start in the order they were queued. A task must raise no
  // exception (one that does is stopped there).
  std::shared_ptr<Ticket> run(std::function<void()> task);
  bool done(const Ticket& t);
  void wait(const Ticket& t);
  // False when Ms passed first.
  bool waitFor(const Ticket& t, DWORD ms);
  // Until every task queued so far has ended.
  void waitAll();

private:
  struct Task {
    std::function<void()> work;
    std::shared_ptr<Ticket> ticket;
  };
  void loop();

  const size_t threadCount_;
  const int priority_;
  SlimLock mutex_;
  SlimCondition work_, finished_;  // a task waits; a task ended
  std::deque<Task> queue_;
  size_t busy_ = 0;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};
