#include "win/Thread.h"
#include "win/MessageWindow.h"
#include <process.h>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>

namespace win {
namespace {

std::atomic<DWORD> gMainThread{::GetCurrentThreadId()};

struct SyncCall {
  const std::function<void()>* fn;
  std::exception_ptr error;
  KernelHandle done{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

// Calls waiting for the main thread. The event is set while the queue is not empty;
// both change under the lock, so no wake-up is lost.
struct SyncQueue {
  std::mutex lock;
  std::deque<SyncCall*> calls;
  KernelHandle pending{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<HWND> wakeWnd{nullptr};
};

SyncQueue& syncQueue() {
  static SyncQueue* q = new SyncQueue;  // never freed: threads may outlive static objects
  return *q;
}

const UINT WM_QZ_SYNCHRONIZE = WM_APP + 0x3F00;

}  // namespace

DWORD mainThreadId() noexcept { return gMainThread; }
bool isMainThread() noexcept { return ::GetCurrentThreadId() == gMainThread; }

void setMainThread() noexcept {
  gMainThread = ::GetCurrentThreadId();
  syncQueue().wakeWnd = nullptr;
}

void initSynchronize() {
  if (!isMainThread() || syncQueue().wakeWnd) return;
  // Lives as long as the thread; the process ends with it.
  auto* wnd = new MessageWindow([](UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_QZ_SYNCHRONIZE) return false;
    checkSynchronize();
    result = 0;
    return true;
  });
  syncQueue().wakeWnd = wnd->handle();
}

HANDLE synchronizeEvent() noexcept { return syncQueue().pending.get(); }

bool checkSynchronize() {
  if (!isMainThread()) return false;
  SyncQueue& q = syncQueue();
  std::deque<SyncCall*> batch;
  {
    std::lock_guard<std::mutex> guard(q.lock);
    batch.swap(q.calls);
    ::ResetEvent(q.pending.get());
  }
  for (SyncCall* call : batch) {
    try {
      (*call->fn)();
    } catch (...) {
      call->error = std::current_exception();
    }
    ::SetEvent(call->done.get());
  }
  return !batch.empty();
}

void Thread::synchronize(const std::function<void()>& fn) {
  if (isMainThread()) {
    fn();
    return;
  }
  SyncQueue& q = syncQueue();
  SyncCall call;
  call.fn = &fn;
  if (!call.done) throw std::runtime_error("cannot create an event");
  {
    std::lock_guard<std::mutex> guard(q.lock);
    q.calls.push_back(&call);
    ::SetEvent(q.pending.get());
  }
  if (HWND wnd = q.wakeWnd) ::PostMessageA(wnd, WM_QZ_SYNCHRONIZE, 0, 0);
  ::WaitForSingleObject(call.done.get(), INFINITE);
  if (call.error) std::rethrow_exception(call.error);
}

bool waitServingSynchronize(HANDLE h, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      DWORD spent = ::GetTickCount() - start;
      if (spent >= timeoutMs) return ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
      left = timeoutMs - spent;
    }
    HANDLE handles[2] = {h, synchronizeEvent()};
    DWORD r = ::MsgWaitForMultipleObjects(2, handles, FALSE, left, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r == WAIT_OBJECT_0 + 1) {
      checkSynchronize();
    } else if (r == WAIT_OBJECT_0 + 2) {
      MSG m;  // delivers the messages sent by other threads, removes nothing
      ::PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (r == WAIT_FAILED) {
      return false;
    }
  }
}

Thread::Thread() {
  create();
}

Thread::Thread(std::function<void(Thread&)> body, bool createSuspended) : body_(std::move(body)) {
  create();
  if (!createSuspended) resume();
}

void Thread::create() {
  initSynchronize();
  unsigned id = 0;
  handle_.reset(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &Thread::entry, this, CREATE_SUSPENDED, &id)));
  if (!handle_) throw std::runtime_error("cannot create a thread");
  id_ = id;
}

Thread::~Thread() {
  if (!started_) skipExecute_ = true;  // the derived part is gone: end without running
  terminate();
  resume();
  waitFor();
}

void Thread::resume() {
  if (started_.exchange(true)) return;
  ::ResumeThread(handle_.get());
}

DWORD Thread::waitFor() {
  if (started_ && ::GetCurrentThreadId() != id_) {
    if (isMainThread())
      waitServingSynchronize(handle_.get());
    else
      ::WaitForSingleObject(handle_.get(), INFINITE);
  }
  return returnValue_;
}

void Thread::terminateAndWait() {
  terminate();
  waitFor();
}

void Thread::setPriority(int priority) { ::SetThreadPriority(handle_.get(), priority); }
int Thread::priority() const { return ::GetThreadPriority(handle_.get()); }

std::string Thread::fatalError() const { return finished_ ? fatalError_ : std::string(); }

void Thread::execute() {
  if (body_) body_(*this);
}

unsigned __stdcall Thread::entry(void* p) {
  auto* self = static_cast<Thread*>(p);
  if (!self->skipExecute_) {
    // No exception may leave the thread's entry.
    try {
      self->execute();
    } catch (const std::exception& e) {
      self->fatalError_ = e.what()[0] ? e.what() : "exception";
    } catch (...) {
      self->fatalError_ = "unknown exception";
    }
  }
  self->finished_ = true;
  return self->returnValue_;
}

}  // namespace win
