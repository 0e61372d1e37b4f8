// A hidden message-only window whose messages go to a handler: the receiver for
// timers, for cross-thread wake-ups and for reports sent by worker threads.
// It belongs to the thread that creates it and must be destroyed on that thread.
#pragma once
#include <windows.h>
#include <functional>

namespace win {

class MessageWindow {
public:
  // Return true when the message was handled and result is the answer;
  // false passes it on to DefWindowProc.
  using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

  explicit MessageWindow(Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND handle() const noexcept { return wnd_; }

private:
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  Handler handler_;
  HWND wnd_ = nullptr;
};

// Dispatches the calling thread's pending messages without waiting.
// Returns false when WM_QUIT was seen (it is posted again for the real loop).
bool processMessages();

}  // namespace win
