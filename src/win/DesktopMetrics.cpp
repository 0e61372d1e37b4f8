#include "win/DesktopMetrics.h"
#include <vector>

namespace win {

int SystemDesktopMetrics::virtualWidth() const { return ::GetSystemMetrics(SM_CXVIRTUALSCREEN); }
int SystemDesktopMetrics::virtualHeight() const { return ::GetSystemMetrics(SM_CYVIRTUALSCREEN); }

static BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (::GetMonitorInfoA(monitor, &mi)) {
    auto* list = reinterpret_cast<std::vector<POINT>*>(data);
    // The primary monitor comes first, as the class library's screen lists it.
    POINT p{mi.rcMonitor.left, mi.rcMonitor.top};
    if (mi.dwFlags & MONITORINFOF_PRIMARY) list->insert(list->begin(), p);
    else list->push_back(p);
  }
  return TRUE;
}

POINT SystemDesktopMetrics::monitorOrigin(int index) const {
  std::vector<POINT> list;
  ::EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&list));
  if (index < 0 || index >= static_cast<int>(list.size())) return POINT{0, 0};
  return list[index];
}

static int screenCaps(int what) {
  HDC dc = ::GetDC(nullptr);
  int v = dc ? ::GetDeviceCaps(dc, what) : 96;
  if (dc) ::ReleaseDC(nullptr, dc);
  return v > 0 ? v : 96;
}

int SystemDesktopMetrics::pixelsPerInchX() const { return screenCaps(LOGPIXELSX); }
int SystemDesktopMetrics::pixelsPerInchY() const { return screenCaps(LOGPIXELSY); }

static const DesktopMetrics*& installed() {
  static const DesktopMetrics* m = nullptr;
  return m;
}

const DesktopMetrics& desktopMetrics() {
  static const SystemDesktopMetrics system;
  const DesktopMetrics* m = installed();
  return m ? *m : system;
}

void setDesktopMetrics(const DesktopMetrics* m) { installed() = m; }

ScopedDesktopMetrics::ScopedDesktopMetrics(const DesktopMetrics& m) : previous_(installed()) {
  installed() = &m;
}
ScopedDesktopMetrics::~ScopedDesktopMetrics() { installed() = previous_; }

}  // namespace win
