// Input to the program as the user gives it: keys and clicks through the
// system's input queue, which hands them to the active window of the display
// (so a test using them needs the display to itself), and what the program's
// windows hold: the focus, a control's text, the help list's entries.
#pragma once
#include <windows.h>
#include <initializer_list>
#include <string>
#include <vector>
#include "AppProgram.h"

namespace apptest {

inline INPUT KeyInput(WORD vk, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

// A chord such as {VK_MENU, 'P'}: the keys go down in order and up in reverse.
inline void PressKeys(std::initializer_list<WORD> chord) {
  std::vector<INPUT> in;
  for (WORD vk : chord) in.push_back(KeyInput(vk, false));
  for (auto it = chord.end(); it != chord.begin();) in.push_back(KeyInput(*--it, true));
  ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// The keys of a text in one go, as fast as typing gets.
inline void TypeText(const std::string& text) {
  std::vector<INPUT> in;
  for (char c : text) {
    const SHORT scan = ::VkKeyScanA(c);
    const WORD vk = LOBYTE(scan);
    const bool shift = (HIBYTE(scan) & 1) != 0;
    if (shift) in.push_back(KeyInput(VK_SHIFT, false));
    in.push_back(KeyInput(vk, false));
    in.push_back(KeyInput(vk, true));
    if (shift) in.push_back(KeyInput(VK_SHIFT, true));
  }
  ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// A real click at a screen point: it reaches whatever window the display shows there.
inline void ClickAt(POINT p, bool right = false) {
  ::SetCursorPos(p.x, p.y);
  ::Sleep(100);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  ::SendInput(2, in, sizeof(INPUT));
}

inline POINT Centre(HWND h) {
  const RECT r = WindowRect(h);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The window that has the keyboard focus in the thread that owns `window`.
inline HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// The control that the focus is in: a combo box for the edit field inside it.
inline HWND FocusedControl(HWND window) {
  HWND f = FocusOf(window);
  HWND parent = f ? ::GetParent(f) : nullptr;
  return parent && className(parent) == "ComboBox" ? parent : f;
}

// A control's text as the control itself gives it.
inline std::string ControlText(HWND h) {
  char buf[1024] = {};
  ::SendMessageTimeoutA(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, nullptr);
  return buf;
}

// Gives a combo box of the program a text, with the notification that the
// user's typing sends (for steps that are not what a test is about).
inline void SetComboText(HWND combo, const std::string& text) {
  ::SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  ::SendMessageA(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

// The entries of a list box. (Asked for in UTF-16: wine hands another
// process's ANSI request the UTF-16 text.)
inline std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const int n = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t wide[1024] = {};
    ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
    char buf[1024] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, buf, sizeof buf, nullptr, nullptr);
    items.push_back(buf);
  }
  return items;
}

// Makes the program's window the one that takes the keys, as a click on it would.
inline bool Activate(HWND main) {
  return waitFor(
      [&] {
        if (::GetForegroundWindow() == main) return true;
        ::SetForegroundWindow(main);
        return false;
      },
      8000);
}

// Starts the program with a data folder of the test's and waits until its
// windows show and the main window takes the keys.
inline bool StartActive(Program& program, const std::string& appData, Windows& w) {
  return program.start(appData) && findWindows(program, w) && Activate(w.main);
}

}  // namespace apptest
