// Screen facts the overlay depends on, behind an interface so tests can
// substitute fixed values. desktopMetrics() returns the installed source,
// the real screen unless a test has installed another.
#pragma once
#include <windows.h>

namespace win {

class DesktopMetrics {
public:
  virtual ~DesktopMetrics() = default;
  virtual int virtualWidth() const = 0;             // SM_CXVIRTUALSCREEN
  virtual int virtualHeight() const = 0;            // SM_CYVIRTUALSCREEN
  virtual POINT monitorOrigin(int index) const = 0; // top-left of monitor index (0 = first)
  virtual int pixelsPerInchX() const = 0;           // LOGPIXELSX of the screen DC
  virtual int pixelsPerInchY() const = 0;           // LOGPIXELSY
};

class SystemDesktopMetrics : public DesktopMetrics {
public:
  int virtualWidth() const override;
  int virtualHeight() const override;
  POINT monitorOrigin(int index) const override;
  int pixelsPerInchX() const override;
  int pixelsPerInchY() const override;
};

// Plain values, for tests.
class FixedDesktopMetrics : public DesktopMetrics {
public:
  int width = 1024, height = 768;
  POINT origin{0, 0};
  int ppiX = 96, ppiY = 96;
  int virtualWidth() const override { return width; }
  int virtualHeight() const override { return height; }
  POINT monitorOrigin(int) const override { return origin; }
  int pixelsPerInchX() const override { return ppiX; }
  int pixelsPerInchY() const override { return ppiY; }
};

const DesktopMetrics& desktopMetrics();
// Installs a source (not owned; nullptr goes back to the real screen).
void setDesktopMetrics(const DesktopMetrics* m);

// Installs a source for one scope, restoring the previous one after.
class ScopedDesktopMetrics {
public:
  explicit ScopedDesktopMetrics(const DesktopMetrics& m);
  ~ScopedDesktopMetrics();
  ScopedDesktopMetrics(const ScopedDesktopMetrics&) = delete;
  ScopedDesktopMetrics& operator=(const ScopedDesktopMetrics&) = delete;
private:
  const DesktopMetrics* previous_;
};

}  // namespace win
