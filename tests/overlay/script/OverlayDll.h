// The real overlay library, loaded from the build folder, with its exports by name.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct TOverlayDll {
  HMODULE module = nullptr;
  int(__stdcall* ScriptCommandFile)(const char*) = nullptr;
  int(__stdcall* ScriptCommand)(const char*) = nullptr;
  int(__stdcall* Point)(int, int, int, COLORREF) = nullptr;
  int(__stdcall* Operation)(int, int, int, int, int) = nullptr;
  int(__stdcall* SetCallBackWindowHandle)(HWND) = nullptr;
  int(__stdcall* Finalize)() = nullptr;
  int(__stdcall* Clear)() = nullptr;

  // The tests run in the build folder, where the library is built.
  bool Load() {
    char dir[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, dir);
    module = ::LoadLibraryA((std::string(dir) + "\\Qz-DarariRuzoriv.dll").c_str());
    if (!module) return false;
    Resolve(ScriptCommandFile, "QzScreenOverlay_ScriptCommandFile");
    Resolve(ScriptCommand, "QzScreenOverlay_ScriptCommand");
    Resolve(Point, "QzScreenOverlay_Point");
    Resolve(Operation, "QzScreenOverlay_Operation");
    Resolve(SetCallBackWindowHandle, "QzScreenOverlay_SetCallBackWindowHandle");
    Resolve(Finalize, "QzScreenOverlay_Finalize");
    Resolve(Clear, "QzScreenOverlay_Clear");
    return ScriptCommandFile && ScriptCommand && Point && Operation && SetCallBackWindowHandle &&
           Finalize && Clear;
  }
  void Unload() {
    if (module) ::FreeLibrary(module);
    module = nullptr;
  }
  int Run(const std::string& line) const { return ScriptCommand(line.c_str()); }

private:
  template <class F>
  void Resolve(F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  }
};

inline void PumpFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  do {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (::GetTickCount() - start < ms);
}

// Pumps until pred holds or ms have passed; whether it held.
template <class Pred>
bool PumpUntil(Pred pred, DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (!pred()) {
    if (::GetTickCount() - start >= ms) return false;
    PumpFor(10);
  }
  return true;
}

// A top-level window of this process with the class name. Other programs on the same
// desktop may have overlay windows of their own.
inline HWND OwnWindow(const char* className) {
  HWND wnd = nullptr;
  while ((wnd = ::FindWindowExA(nullptr, wnd, className, nullptr)) != nullptr) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(wnd, &process);
    if (process == ::GetCurrentProcessId()) return wnd;
  }
  return nullptr;
}

inline HWND OverlayWindow() { return OwnWindow("TTransparentForm"); }

// Whether the overlay window's region holds a pixel within 1 of (x, y).
inline bool OverlayDrawsNear(int x, int y) {
  HWND wnd = OverlayWindow();
  if (!wnd || !::IsWindowVisible(wnd)) return false;
  HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
  bool hit = false;
  if (::GetWindowRgn(wnd, rgn) != ERROR)
    for (int dy = -1; dy <= 1 && !hit; ++dy)
      for (int dx = -1; dx <= 1 && !hit; ++dx) hit = ::PtInRegion(rgn, x + dx, y + dy) != 0;
  ::DeleteObject(rgn);
  return hit;
}

// The overlay window's visibility and region bounds, for failure messages.
inline std::string OverlayState() {
  HWND wnd = OverlayWindow();
  HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
  RECT box{};
  const int kind = ::GetWindowRgn(wnd, rgn);
  ::GetRgnBox(rgn, &box);
  ::DeleteObject(rgn);
  return "overlay visible " + std::to_string(::IsWindowVisible(wnd)) + ", region " +
         std::to_string(kind) + " (" + std::to_string(box.left) + "," + std::to_string(box.top) +
         ")-(" + std::to_string(box.right) + "," + std::to_string(box.bottom) + ")";
}

// A folder of the test's own in the temporary folder, removed with its files.
class TTempFolder {
public:
  TTempFolder() {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "qz-dll-script-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::GetTickCount());
    ::CreateDirectoryA(path.c_str(), nullptr);
  }
  ~TTempFolder() {
    for (const std::string& f : files_) ::DeleteFileA(f.c_str());
    ::RemoveDirectoryA(path.c_str());
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string file = path + "\\" + name;
    HANDLE h = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
    files_.push_back(file);
    return file;
  }
  std::string path;

private:
  std::vector<std::string> files_;
};

// A 4 x 4 24-bit bitmap file.
inline std::string SmallBitmap() {
  std::string bmp(54 + 4 * 4 * 3, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 4);
  put32(22, 4);
  bmp[26] = 1;
  bmp[28] = 24;
  for (size_t i = 54; i < bmp.size(); ++i) bmp[i] = static_cast<char>(0x40 + i % 7);
  return bmp;
}

inline std::string ReadFileBytes(const std::string& name) {
  std::string text;
  HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (h == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  ::CloseHandle(h);
  return text;
}
