#include "uQzPlaneTools.h"
#include <algorithm>
#include <cmath>
#include "win/DesktopMetrics.h"

int32_t Clamp32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

int32_t ClampGdi(int64_t v) {
  return static_cast<int32_t>(std::min<int64_t>(kGdiCoordinateLimit, std::max<int64_t>(-kGdiCoordinateLimit, v)));
}

static int32_t saturate(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

int32_t RoundSat(double v) {
  if (std::isnan(v)) return 0;
  // Ties to even, independent of the current rounding mode.
  double f = std::floor(v);
  double diff = v - f;
  double r;
  if (diff > 0.5) r = f + 1;
  else if (diff < 0.5) r = f;
  else r = std::fmod(f, 2.0) == 0 ? f : f + 1;
  return saturate(r);
}

int32_t TruncSat(double v) { return saturate(std::trunc(v)); }

BYTE TransparencyAlpha(int percent) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  return static_cast<BYTE>((100 - percent) * 255 / 100);
}

bool SetLayeredTransparency(HWND window, int percent, bool clickThrough) {
  using SetAttr = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  HMODULE user32 = ::GetModuleHandleA("USER32.DLL");   // already loaded; not loaded here
  if (!user32) return false;
  auto fn = reinterpret_cast<SetAttr>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "SetLayeredWindowAttributes")));
  if (!fn) return false;
  LONG ex = ::GetWindowLongA(window, GWL_EXSTYLE);
  ex |= WS_EX_LAYERED;
  if (clickThrough) ex |= WS_EX_TRANSPARENT;
  else ex &= ~WS_EX_TRANSPARENT;
  ::SetWindowLongA(window, GWL_EXSTYLE, ex);
  fn(window, 0, TransparencyAlpha(percent), LWA_ALPHA);
  return true;
}

int TwipsPerPixelX() {
  int ppi = win::desktopMetrics().pixelsPerInchX();
  return ppi > 0 ? 1440 / ppi : 15;
}

int TwipsPerPixelY() {
  int ppi = win::desktopMetrics().pixelsPerInchY();
  return ppi > 0 ? 1440 / ppi : 15;
}

double TwipsPerPixel = (TwipsPerPixelX() + TwipsPerPixelY()) / 2.0;

void InitTwipsPerPixel() { TwipsPerPixel = (TwipsPerPixelX() + TwipsPerPixelY()) / 2.0; }

double VectorAngle(int32_t dx, int32_t dy) {
  const double pi = 3.1415926535897932385;
  if (dx == 0) return dy > 0 ? 1.5707963267948966 : 4.71238898038469;
  double a = std::atan(static_cast<double>(dy) / static_cast<double>(dx));
  if (dy > 0) return dx < 0 ? -a : pi - a;
  return dx < 0 ? 6.283185307179586477 - a : pi - a;
}

void ReplaceAll(const std::string& text, const std::string& pattern, const std::string& value,
                std::string& result) {
  result = text;
  if (pattern.empty() || value.find(pattern) != std::string::npos) return;
  // The text left of an occurrence holds none, so a new leftmost occurrence
  // can start at most pattern.size() - 1 bytes before the last one: searching
  // from there finds exactly what a rescan from the start would.
  const size_t back = pattern.size() - 1;
  const size_t limit = 64u << 20;   // guards against runaway growth
  for (size_t pos = result.find(pattern); pos != std::string::npos && result.size() < limit;
       pos = result.find(pattern, pos > back ? pos - back : 0)) {
    result.replace(pos, pattern.size(), value);
  }
}

void NormalizeRect(const RECT& source, RECT& target) {
  RECT r;
  r.left = source.left < source.right ? source.left : source.right;
  r.right = source.left < source.right ? source.right : source.left;
  r.top = source.top < source.bottom ? source.top : source.bottom;
  r.bottom = source.top < source.bottom ? source.bottom : source.top;
  target = r;
}
