#include "uSnRTaskPool.h"

TSnRTaskPool::~TSnRTaskPool() {
  {
    std::lock_guard<SlimLock> lock(mutex_);
    stop_ = true;
  }
  work_.notifyAll();
  for (auto& t : threads_) t.join();
}

std::shared_ptr<TSnRTaskPool::Ticket> TSnRTaskPool::run(std::function<void()> task) {
  auto ticket = std::make_shared<Ticket>();
  {
    std::lock_guard<SlimLock> lock(mutex_);
    queue_.push_back(Task{std::move(task), ticket});
    if (threads_.size() < threadCount_ && queue_.size() + busy_ > threads_.size())
      threads_.emplace_back([this] { loop(); });
  }
  work_.notifyOne();
  return ticket;
}

bool TSnRTaskPool::done(const Ticket& t) {
  std::lock_guard<SlimLock> lock(mutex_);
  return t.done;
}

void TSnRTaskPool::wait(const Ticket& t) {
  std::unique_lock<SlimLock> lock(mutex_);
  finished_.wait(lock, [&] { return t.done; });
}

bool TSnRTaskPool::waitFor(const Ticket& t, DWORD ms) {
  std::unique_lock<SlimLock> lock(mutex_);
  return finished_.waitFor(lock, ms, [&] { return t.done; });
}

void TSnRTaskPool::waitAll() {
  std::unique_lock<SlimLock> lock(mutex_);
  finished_.wait(lock, [&] { return queue_.empty() && !busy_; });
}

void TSnRTaskPool::loop() {
  ::SetThreadPriority(::GetCurrentThread(), priority_);
  std::unique_lock<SlimLock> lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return !queue_.empty() || stop_; });
    if (queue_.empty()) return;
    Task t = std::move(queue_.front());
    queue_.pop_front();
    ++busy_;
    lock.unlock();
    try {
      t.work();
    } catch (...) {
      // No exception leaves the thread; the task's owner sees what it recorded.
    }
    t.work = nullptr;  // what it holds goes before the ticket says done
    lock.lock();
    --busy_;
    t.ticket->done = true;
    finished_.notifyAll();
  }
}
