#include "uScreenImage.h"
// Stub bodies; replaced by the implementation.
#pragma GCC diagnostic ignored "-Wunused-parameter"
TScreenImage::TScreenImage() {}
TScreenImage::~TScreenImage() {}
bool TScreenImage::IsOverObject(POINT pt, int32_t tolerance, int32_t& distance) { return false; }
bool TScreenImage::HitTest(POINT pt) { return false; }
bool TScreenImage::BeginDrag(uint8_t mode, int32_t x, int32_t y) { return false; }
bool TScreenImage::EndDrag() { return false; }
bool TScreenImage::AddPoint(int32_t x, int32_t y) { return false; }
bool TScreenImage::DragTo(int32_t x, int32_t y) { return false; }
std::string TScreenImage::GetMeasureText() { return std::string(); }
void TScreenImage::UpdateBounds() {}
bool TScreenImage::LoadFromIni(const std::string& iniFile, const std::string& section, IOverlayForm* overlay) { return false; }
void TScreenImage::SaveToIni(const std::string& iniFile, const std::string& section, TStringVector* fileList) {}
void TScreenImage::SetOwnWindow(bool value) {}
void TScreenImage::MoveBy(double dx, double dy) {}
HRGN TScreenImage::Draw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) { return region; }
void TScreenImage::SetBitmap(const win::DibBitmap& source) {}
void TScreenImage::SetTransparentColor(COLORREF color) {}
void TScreenImage::SetHorzAlign(uint8_t value) {}
void TScreenImage::SetVertAlign(uint8_t value) {}
void TScreenImage::ClampToDesktop(int32_t& x, int32_t& y) const {}
void TScreenImage::DropRegionCache() {}
POINT TScreenImage::PictureOrigin() const { return POINT{0, 0}; }
