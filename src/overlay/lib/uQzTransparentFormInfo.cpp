#include "overlay/lib/uQzTransparentFormInfo.h"

#include "overlay/lib/uQzTransparentAbout.h"

namespace {

class TAboutLink : public TInfoWindow, public TAboutOverlay {
public:
  explicit TAboutLink(TTransparentForm& overlay) : overlay_(overlay) {}
  bool Open() {
    window_ = TQzTransparentAboutForm::Create(*this, overlay_.Handle());
    return window_ != nullptr;
  }

  // TInfoWindow
  void ShowInfo() override { window_->Show(); }
  bool IsShowing() const override { return window_->IsShowing(); }

  // TAboutOverlay: everything goes into the demonstration list.
  int NewDemoPoint(int x, int y, int style, COLORREF color) override {
    return overlay_.NewPoint(x, y, style, true, color);
  }
  int NewDemoLine(POINT start, POINT end, COLORREF color, int lineWidth) override {
    return overlay_.NewLine(start, end, true, color, lineWidth);
  }
  int NewDemoPolyline(const POINT* points, int count, COLORREF color, int lineWidth) override {
    return overlay_.NewPolyline(points, count, true, color, lineWidth, false);
  }
  int NewDemoRectangle(const RECT& rect, bool filled, COLORREF color, int lineWidth) override {
    return overlay_.NewRectangle(rect, filled, true, color, lineWidth);
  }
  int NewDemoEllipse(const RECT& rect, bool filled, COLORREF color, int lineWidth) override {
    return overlay_.NewEllipse(rect, filled, true, color, lineWidth);
  }
  int NewDemoText(POINT pos, const std::string& text, const std::string& fontName, int size, bool bold,
                  bool italic, COLORREF color) override {
    return overlay_.NewText(pos, text, fontName, size, bold, italic, color, true);
  }
  int NewDemoBitmapFromFile(POINT pos, const std::string& fileName, COLORREF transparentColor) override {
    return overlay_.NewBitmapFromFile(pos, fileName, true, transparentColor);
  }
  int ClearDemoObjects() override { return overlay_.ClearObjects(OBJECTLIST_DEMO); }
  void InfoWindowHidden() override { overlay_.StartRedraw(); }

private:
  TTransparentForm& overlay_;
  std::unique_ptr<TQzTransparentAboutForm> window_;
};

}  // namespace

std::unique_ptr<TInfoWindow> CreateQzTransparentAboutForm(TTransparentForm& overlay) {
  auto link = std::make_unique<TAboutLink>(overlay);
  if (!link->Open()) return nullptr;
  return link;
}
