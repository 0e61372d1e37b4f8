#include "win/MessageWindow.h"
#include <stdexcept>

namespace win {
namespace {

const char kClassName[] = "QzMessageWindow";

HINSTANCE thisModule() {
  HMODULE m = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &m);
  return m;
}

// Registered once per module. A library that was unloaded leaves its class behind
// with a stale window procedure, so an existing class is replaced.
struct ClassRegistration {
  explicit ClassRegistration(WNDPROC proc) : instance(thisModule()) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExA(&wc) && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
      ::UnregisterClassA(kClassName, instance);
      ::RegisterClassExA(&wc);
    }
  }
  ~ClassRegistration() { ::UnregisterClassA(kClassName, instance); }
  HINSTANCE instance;
};

}  // namespace

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)) {
  static ClassRegistration registration(&MessageWindow::WndProc);
  wnd_ = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           registration.instance, nullptr);
  if (!wnd_) throw std::runtime_error("cannot create a message window");
  ::SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageWindow::~MessageWindow() {
  ::SetWindowLongPtrA(wnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(wnd_);
}

LRESULT CALLBACK MessageWindow::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (self && self->handler_) {
    LRESULT result = 0;
    // The handler may destroy this object (a timer freed in its own event):
    // nothing here touches self after the call.
    if (self->handler_(msg, wParam, lParam, result)) return result;
  }
  return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

bool processMessages() {
  MSG m;
  while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(m.wParam));
      return false;
    }
    ::TranslateMessage(&m);
    ::DispatchMessageA(&m);
  }
  return true;
}

}  // namespace win
