// An icon loaded from a file or a module resource, owned and destroyed here.
#pragma once
#include <windows.h>
#include <string>
#include "win/Handles.h"

namespace win {

class IconImage {
public:
  IconImage() = default;
  bool loadFromFile(const std::string& fileName);              // .ico file
  bool loadFromModule(HMODULE module, const std::string& name);
  bool loadFromModule(HMODULE module, int id);                 // by number
  void reset() { icon_.reset(); w_ = h_ = 0; }
  void adopt(HICON icon);                                      // takes ownership
  bool empty() const { return !icon_; }
  HICON handle() const { return icon_.get(); }
  int width() const { return w_; }
  int height() const { return h_; }
  bool draw(HDC dc, int x, int y) const;                       // at natural size

private:
  void measure();
  Icon icon_;
  int w_ = 0, h_ = 0;
};

}  // namespace win
