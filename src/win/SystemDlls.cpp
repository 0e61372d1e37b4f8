#include "win/SystemDlls.h"
#include <commctrl.h>

namespace win {

namespace {

// A function of a system library, looked up when first called. The library is
// loaded then and stays for the process's life.
template <class F>
F systemFunction(const char* dll, const char* name) {
  HMODULE module = ::LoadLibraryA(dll);
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace

void EnsureCommonControls() {
  static const bool done = [] {
    using Init = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = systemFunction<Init>("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    return init && init(&icc);
  }();
  (void)done;
}

bool ShellOpen(HWND owner, const std::string& target) {
  using Execute = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  static const auto execute = systemFunction<Execute>("shell32.dll", "ShellExecuteA");
  return execute &&
         reinterpret_cast<INT_PTR>(execute(owner, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

void AcceptDroppedFiles(HWND window, bool accept) {
  // All the shell's DragAcceptFiles does: the style that makes drops arrive.
  const LONG ex = ::GetWindowLongA(window, GWL_EXSTYLE);
  ::SetWindowLongA(window, GWL_EXSTYLE, accept ? ex | WS_EX_ACCEPTFILES : ex & ~WS_EX_ACCEPTFILES);
}

std::vector<std::wstring> TakeDroppedFiles(HDROP drop) {
  using Query = UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT);
  using Finish = void(WINAPI*)(HDROP);
  static const auto query = systemFunction<Query>("shell32.dll", "DragQueryFileW");
  static const auto finish = systemFunction<Finish>("shell32.dll", "DragFinish");
  std::vector<std::wstring> names;
  if (!query || !finish) return names;
  const UINT n = query(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    const UINT len = query(drop, i, nullptr, 0);
    std::wstring name(len + 1, L'\0');
    const UINT got = query(drop, i, &name[0], len + 1);
    if (got == 0) continue;
    name.resize(got);
    names.push_back(std::move(name));
  }
  finish(drop);
  return names;
}

bool GetSaveFileName(OPENFILENAMEA& dialog) {
  using Save = BOOL(WINAPI*)(LPOPENFILENAMEA);
  static const auto save = systemFunction<Save>("comdlg32.dll", "GetSaveFileNameA");
  return save && save(&dialog);
}

}  // namespace win
