// The information window against a recording overlay: layout, showing, the demonstration
// buttons and the three ways of closing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <vector>

#include "uQzTransparentAbout.h"

namespace {

struct Call {
  explicit Call(const char* k) : kind(k) {}
  std::string kind;
  POINT a{}, b{};
  RECT rect{};
  int style = 0, lineWidth = 0, count = 0, size = 0;
  bool filled = false, bold = false, italic = false;
  std::string text, font;
  COLORREF color = 0;
};

class TRecordingOverlay : public TAboutOverlay {
public:
  std::vector<Call> calls;
  int clears = 0, hides = 0, nextID = 1;

  int NewDemoPoint(int x, int y, int style, COLORREF color) override {
    Call c("point");
    c.a = {x, y};
    c.style = style;
    c.color = color;
    return Add(c);
  }
  int NewDemoLine(POINT start, POINT end, COLORREF color, int lineWidth) override {
    Call c("line");
    c.a = start;
    c.b = end;
    c.color = color;
    c.lineWidth = lineWidth;
    return Add(c);
  }
  int NewDemoPolyline(const POINT* points, int count, COLORREF color, int lineWidth) override {
    Call c("polyline");
    c.count = count;
    c.a = points[0];
    c.b = points[count - 1];
    c.color = color;
    c.lineWidth = lineWidth;
    return Add(c);
  }
  int NewDemoRectangle(const RECT& rect, bool filled, COLORREF color, int lineWidth) override {
    return Box("rectangle", rect, filled, color, lineWidth);
  }
  int NewDemoEllipse(const RECT& rect, bool filled, COLORREF color, int lineWidth) override {
    return Box("ellipse", rect, filled, color, lineWidth);
  }
  int NewDemoText(POINT pos, const std::string& text, const std::string& font, int size, bool bold,
                  bool italic, COLORREF color) override {
    Call c("text");
    c.a = pos;
    c.text = text;
    c.font = font;
    c.size = size;
    c.bold = bold;
    c.italic = italic;
    c.color = color;
    return Add(c);
  }
  int NewDemoBitmapFromFile(POINT pos, const std::string& file, COLORREF transparent) override {
    Call c("bitmap");
    c.a = pos;
    c.text = file;
    c.color = transparent;
    return Add(c);
  }
  int ClearDemoObjects() override {
    calls.push_back(Call("clear"));
    ++clears;
    return 0;
  }
  void InfoWindowHidden() override { ++hides; }

private:
  int Box(const char* kind, const RECT& rect, bool filled, COLORREF color, int lineWidth) {
    Call c(kind);
    c.rect = rect;
    c.filled = filled;
    c.color = color;
    c.lineWidth = lineWidth;
    return Add(c);
  }
  int Add(const Call& c) {
    calls.push_back(c);
    return nextID++;
  }
};

std::string TextOf(HWND wnd) {
  std::string s(static_cast<size_t>(::GetWindowTextLengthA(wnd)) + 1, '\0');
  s.resize(static_cast<size_t>(::GetWindowTextA(wnd, &s[0], static_cast<int>(s.size()))));
  return s;
}

RECT RectIn(HWND wnd, HWND parent) {
  RECT r;
  ::GetWindowRect(wnd, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool InScreen(POINT p) {
  return p.x >= 0 && p.y >= 0 && p.x < ::GetSystemMetrics(SM_CXSCREEN) &&
         p.y < ::GetSystemMetrics(SM_CYSCREEN);
}

bool ComponentsBelow255(COLORREF c) {
  return GetRValue(c) <= 254 && GetGValue(c) <= 254 && GetBValue(c) <= 254 && (c >> 24) == 0;
}

class AboutForm : public ::testing::Test {
protected:
  void SetUp() override {
    form_ = TQzTransparentAboutForm::Create(overlay_, nullptr);
    ASSERT_TRUE(form_);
  }
  void Click(HWND button) {
    ::SendMessageA(button, BM_CLICK, 0, 0);
    Pump();
  }
  TRecordingOverlay overlay_;
  std::unique_ptr<TQzTransparentAboutForm> form_;
};

TEST_F(AboutForm, LaidOutAsDescribed) {
  HWND wnd = form_->Handle();
  EXPECT_EQ(TextOf(wnd), "About Qz-DarariRuzoriv SDK (Qz-DarariRuzoriv.dll)");
  RECT client;
  ::GetClientRect(wnd, &client);
  EXPECT_EQ(client.right, 717);
  EXPECT_EQ(client.bottom, 417);
  const LONG_PTR ex = ::GetWindowLongPtrA(wnd, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_FALSE(::GetWindowLongPtrA(wnd, GWL_STYLE) & WS_THICKFRAME);
  RECT frame;
  ::GetWindowRect(wnd, &frame);
  EXPECT_LE(std::abs((frame.left + frame.right) / 2 - ::GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs((frame.top + frame.bottom) / 2 - ::GetSystemMetrics(SM_CYSCREEN) / 2), 1);

  // Three tabs over the foot panel.
  EXPECT_EQ(::SendMessageA(form_->PageControl, TCM_GETITEMCOUNT, 0, 0), 3);
  const char* const captions[] = {"About", "Documentation", "Example"};
  for (int i = 0; i < 3; ++i) {
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(form_->PageControl, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, captions[i]);
  }
  RECT pages = RectIn(form_->PageControl, wnd), foot = RectIn(form_->FootPanel, wnd);
  EXPECT_EQ(pages.right - pages.left, 717);
  EXPECT_EQ(pages.bottom - pages.top, 376);
  EXPECT_EQ(foot.top, 376);
  EXPECT_EQ(foot.bottom - foot.top, 41);
  const RECT home = RectIn(form_->HomepageButton, form_->FootPanel);
  const RECT close = RectIn(form_->CloseButton, form_->FootPanel);
  EXPECT_EQ(home.left, 8);
  EXPECT_EQ(home.right - home.left, 233);
  EXPECT_EQ(close.left, 632);
  EXPECT_EQ(close.bottom - close.top, 25);
  EXPECT_EQ(TextOf(form_->HomepageButton), "Qz-DarariRuzoriv SDK Homepage");
  EXPECT_EQ(TextOf(form_->CloseButton), "&Close");

  // Eight buttons filling the example tab in two columns and four rows.
  RECT tab;
  ::GetClientRect(form_->ExampleTabSheet, &tab);
  const int w = tab.right, h = tab.bottom;
  const struct {
    HWND wnd;
    const char* caption;
    int column, row;
  } buttons[] = {
      {form_->PointButton, "create point", 0, 0},     {form_->LineButton, "create line", 1, 0},
      {form_->RectangleButton, "create rectangle", 0, 1},
      {form_->PolylineButton, "create polyline", 1, 1}, {form_->TextButton, "create text", 0, 2},
      {form_->BitmapButton, "create bitmap", 1, 2},   {form_->EllipseButton, "create ellipse", 0, 3},
      {form_->ClearButton, "clear all objects", 1, 3},
  };
  for (const auto& b : buttons) {
    EXPECT_EQ(TextOf(b.wnd), b.caption);
    const RECT r = RectIn(b.wnd, form_->ExampleTabSheet);
    EXPECT_EQ(r.left, b.column * (w / 2)) << b.caption;
    EXPECT_EQ(r.top, (b.row * h) / 4) << b.caption;
    EXPECT_EQ(r.right - r.left, w / 2) << b.caption;
    EXPECT_EQ(r.bottom - r.top, h / 4) << b.caption;
  }

  // The memos: read-only, the about text names the library, the reference covers every
  // function of the interface.
  EXPECT_TRUE(::GetWindowLongPtrA(form_->AboutMemo, GWL_STYLE) & ES_READONLY);
  EXPECT_NE(TextOf(form_->AboutMemo).find("Qz-DarariRuzoriv SDK (Qz-DarariRuzoriv.dll)"),
            std::string::npos);
  const std::string doku = TextOf(form_->InterfaceDokuMemo);
  for (const char* name :
       {"QzScreenOverlay_Clear", "QzScreenOverlay_SetCallBackWindowHandle",
        "QzScreenOverlay_Operation", "QzScreenOverlay_Point", "QzScreenOverlay_Line",
        "QzScreenOverlay_Polyline", "QzScreenOverlay_Rectangle", "QzScreenOverlay_Ellipse",
        "QzScreenOverlay_Text", "QzScreenOverlay_BitmapByFile", "QzScreenOverlay_BitmapByResource",
        ".debug", "Qz-DarariRuzoriv.log", "WM_USER + 7005"})
    EXPECT_NE(doku.find(name), std::string::npos) << name;
  // Pictures and texts are placed as the library places them: centred on their point.
  const size_t bitmap = doku.find("QzScreenOverlay_BitmapByFile");
  ASSERT_NE(bitmap, std::string::npos);
  EXPECT_NE(doku.find("centred on (X, Y)", bitmap), std::string::npos);
  EXPECT_EQ(doku.find("top left"), std::string::npos);
}

TEST_F(AboutForm, ShowsHiddenCreatedAndAlwaysOnTheAboutTab) {
  EXPECT_FALSE(form_->IsShowing());
  form_->Show();
  EXPECT_TRUE(form_->IsShowing());
  EXPECT_TRUE(::IsWindowVisible(form_->AboutMemo));

  // The user picks "Example"; the next showing starts at "About" again.
  ::SendMessageA(form_->PageControl, TCM_SETCURSEL, 2, 0);
  NMHDR nm{form_->PageControl, 0, static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageA(form_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
  EXPECT_TRUE(::IsWindowVisible(form_->PointButton));
  EXPECT_FALSE(::IsWindowVisible(form_->AboutMemo));
  form_->Show();
  EXPECT_EQ(::SendMessageA(form_->PageControl, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(::IsWindowVisible(form_->AboutMemo));
  EXPECT_FALSE(::IsWindowVisible(form_->PointButton));
}

TEST_F(AboutForm, ButtonsMakeRandomDemonstrationObjects) {
  form_->Show();
  for (int i = 0; i < 30; ++i) {
    Click(form_->PointButton);
    Click(form_->TextButton);
    Click(form_->LineButton);
    Click(form_->RectangleButton);
    Click(form_->EllipseButton);
    Click(form_->PolylineButton);
  }
  ASSERT_EQ(overlay_.calls.size(), 180u);
  bool styles[3] = {}, sizes[2] = {};
  for (const Call& c : overlay_.calls) {
    EXPECT_TRUE(ComponentsBelow255(c.color)) << c.kind;
    if (c.kind == "point") {
      EXPECT_TRUE(c.style >= 0 && c.style <= 2) << "never the arrow head";
      if (c.style >= 0 && c.style <= 2) styles[c.style] = true;
      EXPECT_TRUE(InScreen(c.a));
    } else if (c.kind == "text") {
      EXPECT_GE(c.size, 8);
      EXPECT_LE(c.size, 37);
      sizes[c.size < 23] = true;
      EXPECT_EQ(c.text, "Test");
      EXPECT_EQ(c.font, "Arial");
    } else if (c.kind == "rectangle" || c.kind == "ellipse") {
      EXPECT_FALSE(c.filled);
      EXPECT_TRUE(InScreen({c.rect.left, c.rect.top}) && InScreen({c.rect.right, c.rect.bottom}));
    } else if (c.kind == "polyline") {
      EXPECT_EQ(c.count, 5);
    }
    if (c.kind != "point" && c.kind != "text") {
      EXPECT_GE(c.lineWidth, 1) << c.kind;
      EXPECT_LE(c.lineWidth, 6) << c.kind;
    }
  }
  // Reseeded per click, the objects still differ.
  EXPECT_TRUE(styles[0] && styles[1] && styles[2]);
  EXPECT_TRUE(sizes[0] && sizes[1]);
}

TEST_F(AboutForm, BitmapButtonNeedsTheRulerInTheCurrentFolder) {
  char temp[MAX_PATH], old[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "qz-about-" + std::to_string(::GetCurrentProcessId());
  ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr));
  ::GetCurrentDirectoryA(MAX_PATH, old);
  ::SetCurrentDirectoryA(dir.c_str());
  form_->Show();
  Click(form_->BitmapButton);
  const size_t without = overlay_.calls.size();
  std::ofstream(dir + "\\ruler.bmp", std::ios::binary) << "BM";
  Click(form_->BitmapButton);
  ::SetCurrentDirectoryA(old);
  ::DeleteFileA((dir + "\\ruler.bmp").c_str());
  ::RemoveDirectoryA(dir.c_str());

  EXPECT_EQ(without, 0u);
  ASSERT_EQ(overlay_.calls.size(), 1u);
  EXPECT_EQ(overlay_.calls[0].kind, "bitmap");
  EXPECT_EQ(overlay_.calls[0].text, "ruler.bmp");
  EXPECT_EQ(overlay_.calls[0].color, RGB(255, 0, 255));
  EXPECT_TRUE(InScreen(overlay_.calls[0].a));
}

TEST_F(AboutForm, ClearCloseAndTheCloseBox) {
  form_->Show();
  Click(form_->ClearButton);  // clears, stays open
  EXPECT_EQ(overlay_.clears, 1);
  EXPECT_TRUE(form_->IsShowing());

  // The caption's close box only hides: nothing is cleared.
  ::SendMessageA(form_->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form_->IsShowing());
  EXPECT_EQ(overlay_.clears, 1);
  EXPECT_EQ(overlay_.hides, 1);
  ASSERT_TRUE(::IsWindow(form_->Handle()));

  // "&Close" clears first, then hides.
  form_->Show();
  Click(form_->CloseButton);
  EXPECT_FALSE(form_->IsShowing());
  EXPECT_EQ(overlay_.clears, 2);
  EXPECT_EQ(overlay_.hides, 2);
}

TEST(DemoRandom, StaysInRange) {
  TDemoRandom random(12345);
  int seen[6] = {};
  for (int i = 0; i < 600; ++i) {
    const int v = random.Random(6);
    ASSERT_TRUE(v >= 0 && v < 6);
    ++seen[v];
  }
  for (int count : seen) EXPECT_GT(count, 50);
  EXPECT_EQ(random.Random(0), 0);
}

}  // namespace
