// The class library's thread: created suspended, started by resume(), asked to stop
// by terminate() (a flag that execute() polls), never suspended while it runs.
// synchronize() runs a callable on the main (GUI) thread and waits for it; the main
// thread serves those calls in checkSynchronize(), which its message loop reaches
// through a hidden window and which waitFor() calls while it waits.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include "win/Handles.h"

namespace win {

// Thread priorities under the class library's names.
enum ThreadPriority : int {
  tpIdle = THREAD_PRIORITY_IDLE,
  tpLowest = THREAD_PRIORITY_LOWEST,
  tpLower = THREAD_PRIORITY_BELOW_NORMAL,
  tpNormal = THREAD_PRIORITY_NORMAL,
  tpHigher = THREAD_PRIORITY_ABOVE_NORMAL,
  tpHighest = THREAD_PRIORITY_HIGHEST,
  tpTimeCritical = THREAD_PRIORITY_TIME_CRITICAL,
};

class Thread {
public:
  // A derived class overrides execute(); the thread waits for resume(), since
  // execute() may not run before the derived object is fully built.
  Thread();
  // A thread that runs body; it may start at once.
  explicit Thread(std::function<void(Thread&)> body, bool createSuspended = false);
  // Terminates the thread and waits for it. A derived class whose execute() uses its
  // own members must call terminateAndWait() in its own destructor.
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  void resume();                     // starts the thread; later calls do nothing
  void terminate() noexcept { terminated_ = true; }
  bool terminated() const noexcept { return terminated_; }
  bool suspended() const noexcept { return !started_; }
  bool finished() const noexcept { return finished_; }
  // Waits until the thread has ended (at once when it never started) and returns its
  // return value. On the main thread it serves synchronize() calls and sent messages
  // meanwhile, so a thread that reports to the GUI cannot block it.
  DWORD waitFor();
  void terminateAndWait();

  void setPriority(int priority);    // a ThreadPriority or any Win32 thread priority
  int priority() const;
  HANDLE handle() const noexcept { return handle_.get(); }
  DWORD threadId() const noexcept { return id_; }
  // The text of an exception that ended execute() (empty when none did).
  std::string fatalError() const;
  DWORD returnValue() const noexcept { return returnValue_; }

  // Runs fn on the main thread and waits for it; an exception of fn is raised again
  // here. Called on the main thread, fn just runs.
  static void synchronize(const std::function<void()>& fn);

protected:
  virtual void execute();
  void setReturnValue(DWORD value) noexcept { returnValue_ = value; }

private:
  static unsigned __stdcall entry(void* self);
  void create();

  std::function<void(Thread&)> body_;
  KernelHandle handle_;
  DWORD id_ = 0;
  std::atomic<bool> started_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> skipExecute_{false};
  std::string fatalError_;
  DWORD returnValue_ = 0;
};

// The thread that synchronize() runs calls on: the one that initialised the program
// (or loaded the library), unless setMainThread() named another.
DWORD mainThreadId() noexcept;
bool isMainThread() noexcept;
void setMainThread() noexcept;
// Creates the main thread's hidden wake-up window; called by the first Thread made on
// the main thread, or by the program before its message loop.
void initSynchronize();
// Runs every synchronize() call waiting now; main thread only. True when any ran.
bool checkSynchronize();
// Signalled while synchronize() calls wait, for loops that wait on handles.
HANDLE synchronizeEvent() noexcept;
// Waits on the main thread until h is signalled or timeoutMs passes, serving
// synchronize() calls and sent messages meanwhile. True when h was signalled.
bool waitServingSynchronize(HANDLE h, DWORD timeoutMs = INFINITE);

}  // namespace win
