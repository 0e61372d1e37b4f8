// The flushes of the worker's temporary files and folders, on threads of their own.
#pragma once
#include <windows.h>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "uSnRFileOps.h"
#include "win/Handles.h"

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
  void notifyOne() { ::WakeConditionVariable(&cond_); }
  void notifyAll() { ::WakeAllConditionVariable(&cond_); }

private:
  CONDITION_VARIABLE cond_ = CONDITION_VARIABLE_INIT;
};

// Flushes files on threads of their own, so that the flushes of consecutive jobs
// overlap: a file system commits flushes that wait at the same time together, and
// the worker reads and writes the next files meanwhile. Folders are flushed the same
// way, once for all the renames made in one while a flush of it is queued.
class TSnRFlushPool {
public:
  struct Ticket {
    win::FileHandle file;  // closed once flushed
    bool done = false, ok = false;
  };

  explicit TSnRFlushPool(size_t threads) : threadCount_(threads) {}
  ~TSnRFlushPool() {
    {
      std::lock_guard<SlimLock> lock(mutex_);
      stop_ = true;
    }
    work_.notifyAll();
    for (auto& t : threads_) t.join();
  }
  TSnRFlushPool(const TSnRFlushPool&) = delete;
  TSnRFlushPool& operator=(const TSnRFlushPool&) = delete;

  std::shared_ptr<Ticket> flushFile(TSnRFileOps& ops, win::FileHandle file) {
    auto ticket = std::make_shared<Ticket>();
    ticket->file = std::move(file);
    push(Task{&ops, ticket, std::wstring()});
    return ticket;
  }
  void flushFolder(TSnRFileOps& ops, const std::wstring& folder) {
    {
      std::lock_guard<SlimLock> lock(mutex_);
      for (const Task& t : queue_)
        if (!t.ticket && t.folder == folder) return;  // not started yet: it covers this rename too
    }
    push(Task{&ops, nullptr, folder});
  }
  bool done(const Ticket& t) {
    std::lock_guard<SlimLock> lock(mutex_);
    return t.done;
  }
  void wait(const Ticket& t) {
    std::unique_lock<SlimLock> lock(mutex_);
    finished_.wait(lock, [&] { return t.done; });
  }
  void waitAll() {
    std::unique_lock<SlimLock> lock(mutex_);
    finished_.wait(lock, [&] { return queue_.empty() && !busy_; });
  }

private:
  struct Task {
    TSnRFileOps* ops;
    std::shared_ptr<Ticket> ticket;  // a file, or none for a folder
    std::wstring folder;
  };
  void push(Task t) {
    {
      std::lock_guard<SlimLock> lock(mutex_);
      queue_.push_back(std::move(t));
      while (threads_.size() < threadCount_) threads_.emplace_back([this] { run(); });
    }
    work_.notifyOne();
  }
  void run() {
    std::unique_lock<SlimLock> lock(mutex_);
    for (;;) {
      work_.wait(lock, [this] { return !queue_.empty() || stop_; });
      if (queue_.empty()) return;
      Task t = std::move(queue_.front());
      queue_.pop_front();
      ++busy_;
      lock.unlock();
      bool ok = false;
      try {
        if (t.ticket) {
          ok = t.ops->Flush(t.ticket->file.get());
          t.ticket->file.reset();
        } else {
          t.ops->FlushFolder(t.folder);
        }
      } catch (...) {
        ok = false;  // no exception leaves the thread
      }
      lock.lock();
      --busy_;
      if (t.ticket) {
        t.ticket->ok = ok;
        t.ticket->done = true;
      }
      finished_.notifyAll();
    }
  }

  const size_t threadCount_;
  SlimLock mutex_;
  SlimCondition work_, finished_;  // a task waits; a task ended
  std::deque<Task> queue_;
  size_t busy_ = 0;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};
