// RAII owners for the Win32 handles the system uses. Each closes its handle
// exactly once; none can be copied, all can be moved.
#pragma once
#include <windows.h>
#include <utility>

namespace win {

// Generic owner: Traits gives the invalid value and the close call.
template <class Traits>
class UniqueHandle {
public:
  using Handle = typename Traits::Handle;
  UniqueHandle() noexcept : h_(Traits::invalid()) {}
  explicit UniqueHandle(Handle h) noexcept : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return h_; }
  bool valid() const noexcept { return h_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }
  Handle release() noexcept { return std::exchange(h_, Traits::invalid()); }
  void reset(Handle h = Traits::invalid()) noexcept {
    if (h_ != Traits::invalid()) Traits::close(h_);
    h_ = h;
  }

private:
  Handle h_;
};

struct KernelTraits {            // events, threads, mappings, processes
  using Handle = HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::CloseHandle(h); }
};
struct FileTraits {              // CreateFile returns INVALID_HANDLE_VALUE on failure
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Handle h) { ::CloseHandle(h); }
};
struct FindTraits {
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Handle h) { ::FindClose(h); }
};
struct ViewTraits {              // MapViewOfFile
  using Handle = const void*;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::UnmapViewOfFile(h); }
};
struct GdiTraits {               // pens, brushes, fonts, bitmaps, regions, palettes
  using Handle = HGDIOBJ;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::DeleteObject(h); }
};
struct RegionTraits {
  using Handle = HRGN;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::DeleteObject(h); }
};
struct MemDcTraits {             // CreateCompatibleDC
  using Handle = HDC;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::DeleteDC(h); }
};
struct WindowTraits {
  using Handle = HWND;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { if (::IsWindow(h)) ::DestroyWindow(h); }
};
struct ModuleTraits {            // LoadLibrary / LoadLibraryEx
  using Handle = HMODULE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::FreeLibrary(h); }
};
struct IconTraits {
  using Handle = HICON;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::DestroyIcon(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { ::RegCloseKey(h); }
};

using KernelHandle = UniqueHandle<KernelTraits>;
using FileHandle = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using MappedView = UniqueHandle<ViewTraits>;
using GdiObject = UniqueHandle<GdiTraits>;
using Region = UniqueHandle<RegionTraits>;
using MemDc = UniqueHandle<MemDcTraits>;
using Window = UniqueHandle<WindowTraits>;
using Module = UniqueHandle<ModuleTraits>;
using Icon = UniqueHandle<IconTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;

// Window DC from GetDC, released to its window.
class WindowDc {
public:
  explicit WindowDc(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
  ~WindowDc() { if (dc_) ::ReleaseDC(wnd_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const noexcept { return dc_; }
private:
  HWND wnd_;
  HDC dc_;
};

// Selects an object into a DC for one scope and puts the old one back.
class SelectScope {
public:
  SelectScope(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
  ~SelectScope() { if (old_) ::SelectObject(dc_, old_); }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;
private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace win
