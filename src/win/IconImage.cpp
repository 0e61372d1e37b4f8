#include "win/IconImage.h"

namespace win {

void IconImage::adopt(HICON icon) {
  icon_.reset(icon);
  measure();
}

bool IconImage::loadFromFile(const std::string& fileName) {
  adopt(static_cast<HICON>(::LoadImageA(nullptr, fileName.c_str(), IMAGE_ICON, 0, 0,
                                        LR_LOADFROMFILE | LR_DEFAULTSIZE)));
  return !empty();
}

bool IconImage::loadFromModule(HMODULE module, const std::string& name) {
  adopt(static_cast<HICON>(::LoadImageA(module, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  return !empty();
}

bool IconImage::loadFromModule(HMODULE module, int id) {
  adopt(static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0,
                                        LR_DEFAULTSIZE)));
  return !empty();
}

void IconImage::measure() {
  w_ = h_ = 0;
  if (!icon_) return;
  ICONINFO info{};
  if (!::GetIconInfo(icon_.get(), &info)) return;
  BITMAP bm{};
  HBITMAP probe = info.hbmColor ? info.hbmColor : info.hbmMask;
  if (probe && ::GetObjectA(probe, sizeof(bm), &bm)) {
    w_ = bm.bmWidth;
    h_ = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;   // a mask-only icon stacks AND and XOR
  }
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
}

bool IconImage::draw(HDC dc, int x, int y) const {
  return icon_ && ::DrawIconEx(dc, x, y, icon_.get(), w_, h_, 0, nullptr, DI_NORMAL);
}

}  // namespace win
