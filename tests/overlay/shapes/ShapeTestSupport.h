// Shared helpers of the shape tests: desktop sizes, INI files in a folder of
// the test's own, and region checks on a shape's last drawing.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "overlay/core/FakeSaveTimer.h"
#include "overlay/core/RegionTestUtil.h"
#include "overlay/core/TempDir.h"
#include "uInifileHandling.h"
#include "uScreenObject.h"
#include "win/DesktopMetrics.h"

// Line separator of the shapes' multi-line texts.
#define SEP "\n\r"

// Installs a desktop of the given size for one scope.
class TestDesktop {
public:
  TestDesktop(int width, int height) {
    metrics_.width = width;
    metrics_.height = height;
    scope_ = std::make_unique<win::ScopedDesktopMetrics>(metrics_);
  }

private:
  win::FixedDesktopMetrics metrics_;
  std::unique_ptr<win::ScopedDesktopMetrics> scope_;
};

// An INI file in a temporary folder; the buffered files are closed (and the
// folder removed) when the scope ends.
class TestIni {
public:
  TestIni() : file_(dir_.file("shapes.ini")) {}
  ~TestIni() { CloseBufferedIniFiles(); }
  const std::string& file() const { return file_; }
  const TempDir& dir() const { return dir_; }

private:
  FakeTimers timers_;
  TempDir dir_;
  std::string file_;
};

// The shape's region after a paint without canvas on the full desktop clip.
inline HRGN PaintRegion(TScreenObject& shape, int width = 2000, int height = 2000) {
  win::Region overlay(::CreateRectRgn(0, 0, 0, 0));
  win::Canvas* none = nullptr;
  shape.Paint(none, RECT{0, 0, width, height}, false, overlay.get());
  return shape.Region.get();
}

// The folder of the test program, where the resource modules are built.
inline std::string ExeFolderOfTest() {
  char path[MAX_PATH];
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p = path;
  return p.substr(0, p.find_last_of("\\/") + 1);
}

inline std::string Lines(const TStringVector& list) {
  std::string all;
  for (const std::string& l : list) all += l + "|";
  return all;
}
