// Expected texts are written in UTF-8 in the tests; the program's are Western
// European ANSI (code page 1252). Also a pump for the application's timers.
#pragma once
#include <windows.h>
#include <string>
#include "QzTestWait.h"
#include "win/Gui.h"

inline std::string ansi(const char* utf8) {
  const int wideLen = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (wideLen <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(wideLen), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], wideLen);
  const int len = ::WideCharToMultiByte(1252, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (len <= 0) return std::string();
  std::string out(static_cast<size_t>(len), '\0');
  ::WideCharToMultiByte(1252, 0, wide.c_str(), -1, &out[0], len, nullptr, nullptr);
  out.resize(static_cast<size_t>(len) - 1);   // the terminating NUL
  return out;
}

// Serves the application's messages for ms milliseconds, so that timers fire.
inline void pumpFor(DWORD ms) {
  qztest::WaitUntil([] { return false; }, ms, [] { win::app().processMessages(); });
}
