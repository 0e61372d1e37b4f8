#include "uQzTransparentAbout.h"

#include <commctrl.h>
#include <shellapi.h>

const char* const DEMO_BITMAP_FILE = "ruler.bmp";
const char* const QZSCREENOVERLAY_HOMEPAGE = "https://example.org/qz-darariruzoriv";

namespace {

const char* const kFormClass = "QzTransparentAboutForm";
const char* const kPageClass = "QzTransparentAboutPage";
const char* const kCaption = "About Qz-DarariRuzoriv SDK (Qz-DarariRuzoriv.dll)";
const int kClientWidth = 717, kClientHeight = 417, kFootHeight = 41;

enum : int {
  kPointId = 101, kLineId, kRectangleId, kPolylineId, kTextId, kBitmapId, kEllipseId, kClearId,
  kHomepageId = 120, kCloseId
};

int g_classUsers = 0;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

HFONT MakeFont(const char* face, int points, bool bold) {
  win::WindowDc screen(nullptr);
  const int height = -::MulDiv(points, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
  return ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

void SetFont(HWND wnd, const win::GdiObject& font) {
  ::SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
}

bool FileExists(const char* name) {
  const DWORD attributes = ::GetFileAttributesA(name);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

POINT RandomPosition(TDemoRandom& random, int width, int height) {
  POINT p;
  p.x = random.Random(width);
  p.y = random.Random(height);
  return p;
}

// Each component 0 .. 254, drawn red, green, blue.
COLORREF RandomColor(TDemoRandom& random) {
  const int r = random.Random(255);
  const int g = random.Random(255);
  const int b = random.Random(255);
  return RGB(r, g, b);
}

}  // namespace

void TDemoRandom::Randomize() {
  LARGE_INTEGER counter;
  if (::QueryPerformanceCounter(&counter))
    seed_ = static_cast<uint32_t>(counter.QuadPart) ^ static_cast<uint32_t>(counter.QuadPart >> 32);
  else
    seed_ = ::GetTickCount();
}

int TDemoRandom::Random(int n) {
  seed_ = seed_ * 0x08088405u + 1;
  if (n <= 0) return 0;
  return static_cast<int>((static_cast<uint64_t>(seed_) * static_cast<uint32_t>(n)) >> 32);
}

int CreateDemoObject(TDemoKind kind, TAboutOverlay& overlay, TDemoRandom& random, int width,
                     int height) {
  switch (kind) {
    case TDemoKind::Point: {
      const POINT p = RandomPosition(random, width, height);
      const int style = random.Random(3);  // cross, circle or square, never the arrow head
      return overlay.NewDemoPoint(p.x, p.y, style, RandomColor(random));
    }
    case TDemoKind::Line: {
      const POINT a = RandomPosition(random, width, height);
      const POINT b = RandomPosition(random, width, height);
      const int lineWidth = random.Random(6) + 1;
      return overlay.NewDemoLine(a, b, RandomColor(random), lineWidth);
    }
    case TDemoKind::Rectangle:
    case TDemoKind::Ellipse: {
      RECT r;
      r.left = random.Random(width);
      r.top = random.Random(height);
      r.right = random.Random(width);
      r.bottom = random.Random(height);
      const int lineWidth = random.Random(6) + 1;
      const COLORREF color = RandomColor(random);
      return kind == TDemoKind::Rectangle ? overlay.NewDemoRectangle(r, false, color, lineWidth)
                                          : overlay.NewDemoEllipse(r, false, color, lineWidth);
    }
    case TDemoKind::Polyline: {
      POINT points[5];
      for (POINT& p : points) p = RandomPosition(random, width, height);
      const int lineWidth = random.Random(6) + 1;
      return overlay.NewDemoPolyline(points, 5, RandomColor(random), lineWidth);
    }
    case TDemoKind::Text: {
      const POINT p = RandomPosition(random, width, height);
      const int size = random.Random(30) + 8;
      const bool bold = random.Random(10) % 4 == 0;
      const bool italic = random.Random(10) % 3 == 0;
      return overlay.NewDemoText(p, "Test", "Arial", size, bold, italic, RandomColor(random));
    }
    case TDemoKind::Bitmap: {
      if (!FileExists(DEMO_BITMAP_FILE)) return 0;
      const POINT p = RandomPosition(random, width, height);
      return overlay.NewDemoBitmapFromFile(p, DEMO_BITMAP_FILE, RGB(255, 0, 255));
    }
  }
  return 0;
}

// ---------------------------------------------------------------------------
// The window

TQzTransparentAboutForm::TQzTransparentAboutForm(TAboutOverlay& overlay) : overlay_(overlay) {}

std::unique_ptr<TQzTransparentAboutForm> TQzTransparentAboutForm::Create(TAboutOverlay& overlay,
                                                                         HWND owner) {
  std::unique_ptr<TQzTransparentAboutForm> form(new TQzTransparentAboutForm(overlay));
  if (!form->CreateWindows(owner)) return nullptr;
  return form;
}

TQzTransparentAboutForm::~TQzTransparentAboutForm() {
  window_.reset();  // the controls go with it, before their fonts
  if (classRegistered_ && --g_classUsers == 0) {
    ::UnregisterClassA(kFormClass, ThisModule());
    ::UnregisterClassA(kPageClass, ThisModule());
  }
}

bool TQzTransparentAboutForm::CreateWindows(HWND owner) {
  const HINSTANCE instance = ThisModule();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);
  if (g_classUsers == 0) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    if (!::RegisterClassExA(&wc)) return false;
    wc.lpszClassName = kPageClass;
    if (!::RegisterClassExA(&wc)) {
      ::UnregisterClassA(kFormClass, instance);
      return false;
    }
  }
  ++g_classUsers;
  classRegistered_ = true;

  formFont_.reset(MakeFont("MS Sans Serif", 8, false));
  memoFont_.reset(MakeFont("Courier New", 8, false));
  exampleFont_.reset(MakeFont("Arial", 12, true));
  footFont_.reset(MakeFont("Arial", 8, false));

  // A fixed tool window with a small caption, above other windows, in the screen's centre.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  window_.reset(::CreateWindowExA(exStyle, kFormClass, kCaption, style, x, y, w, h, owner, nullptr,
                                  instance, this));
  if (!window_) return false;
  SetFont(window_.get(), formFont_);

  auto child = [&](HWND parent, const char* cls, const char* text, DWORD childStyle, int l, int t,
                   int cw, int ch, int id, const win::GdiObject& font, DWORD childEx = 0) {
    HWND wnd = ::CreateWindowExA(childEx, cls, text, WS_CHILD | WS_VISIBLE | childStyle, l, t, cw,
                                 ch, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 instance, this);
    if (wnd) SetFont(wnd, font);
    return wnd;
  };

  PageControl = child(window_.get(), WC_TABCONTROLA, "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                      0, 0, kClientWidth, kClientHeight - kFootHeight, 0, formFont_);
  if (!PageControl) return false;
  const char* const tabs[] = {"About", "Documentation", "Example"};
  for (int i = 0; i < 3; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(tabs[i]);
    ::SendMessageA(PageControl, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  RECT page;
  ::GetClientRect(PageControl, &page);
  ::SendMessageA(PageControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
  const int pw = page.right - page.left, ph = page.bottom - page.top;
  HWND* sheets[] = {&AboutTabSheet, &DokuTabSheet, &ExampleTabSheet};
  for (HWND* sheet : sheets) {
    *sheet = child(PageControl, kPageClass, "", WS_CLIPCHILDREN, page.left, page.top, pw, ph, 0,
                   formFont_);
    if (!*sheet) return false;
  }

  const DWORD memoStyle = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
  AboutMemo = child(AboutTabSheet, "EDIT", "", memoStyle, 5, 5, pw - 10, ph - 10, 0, formFont_,
                    WS_EX_CLIENTEDGE);
  InterfaceDokuMemo = child(DokuTabSheet, "EDIT", "", memoStyle, 0, 0, pw, ph, 0, memoFont_,
                            WS_EX_CLIENTEDGE);
  if (!AboutMemo || !InterfaceDokuMemo) return false;
  ::SendMessageA(AboutMemo, EM_SETLIMITTEXT, 0, 0);
  ::SendMessageA(InterfaceDokuMemo, EM_SETLIMITTEXT, 0, 0);
  ::SetWindowTextA(AboutMemo, AboutText());
  ::SetWindowTextA(InterfaceDokuMemo, InterfaceDokuText());

  struct ButtonDef {
    HWND* wnd;
    const char* caption;
    int id;
  } const buttons[] = {
      {&PointButton, "create point", kPointId},         {&LineButton, "create line", kLineId},
      {&RectangleButton, "create rectangle", kRectangleId},
      {&PolylineButton, "create polyline", kPolylineId}, {&TextButton, "create text", kTextId},
      {&BitmapButton, "create bitmap", kBitmapId},       {&EllipseButton, "create ellipse", kEllipseId},
      {&ClearButton, "clear all objects", kClearId},
  };
  for (const ButtonDef& b : buttons) {
    *b.wnd = child(ExampleTabSheet, "BUTTON", b.caption, BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 10, 10,
                   b.id, exampleFont_);
    if (!*b.wnd) return false;
  }

  FootPanel = child(window_.get(), kPageClass, "", WS_CLIPCHILDREN, 0, kClientHeight - kFootHeight,
                    kClientWidth, kFootHeight, 0, formFont_);
  if (!FootPanel) return false;
  HomepageButton = child(FootPanel, "BUTTON", "Qz-DarariRuzoriv SDK Homepage",
                         BS_PUSHBUTTON | WS_TABSTOP, 8, 8, 233, 25, kHomepageId, footFont_);
  CloseButton = child(FootPanel, "BUTTON", "&Close", BS_PUSHBUTTON | WS_TABSTOP, 632, 8, 75, 25,
                      kCloseId, footFont_);
  if (!HomepageButton || !CloseButton) return false;

  FormCreate();
  SelectPage(0);
  return true;
}

void TQzTransparentAboutForm::FormCreate() {
  // Two columns and four rows that fill the "Example" tab as it is at creation.
  RECT tab;
  ::GetClientRect(ExampleTabSheet, &tab);
  const int w = tab.right, h = tab.bottom;
  const HWND grid[4][2] = {{PointButton, LineButton},
                           {RectangleButton, PolylineButton},
                           {TextButton, BitmapButton},
                           {EllipseButton, ClearButton}};
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 2; ++column)
      ::MoveWindow(grid[row][column], column * (w / 2), (row * h) / 4, w / 2, h / 4, TRUE);
}

void TQzTransparentAboutForm::SelectPage(int index) {
  ::SendMessageA(PageControl, TCM_SETCURSEL, index, 0);
  const HWND sheets[] = {AboutTabSheet, DokuTabSheet, ExampleTabSheet};
  for (int i = 0; i < 3; ++i) ::ShowWindow(sheets[i], i == index ? SW_SHOW : SW_HIDE);
}

void TQzTransparentAboutForm::FormShow() { SelectPage(0); }

void TQzTransparentAboutForm::Show() {
  FormShow();
  // Brought to the front without taking the keyboard from the host: the timer shows it
  // every few seconds while the user may be typing elsewhere.
  ::SetWindowPos(window_.get(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

bool TQzTransparentAboutForm::IsShowing() const {
  return window_ && ::IsWindowVisible(window_.get());
}

void TQzTransparentAboutForm::HideWindow() {
  if (!::IsWindowVisible(window_.get())) return;
  ::ShowWindow(window_.get(), SW_HIDE);
  overlay_.InfoWindowHidden();
}

void TQzTransparentAboutForm::AddDemo(TDemoKind kind) {
  if (kind != TDemoKind::Bitmap) random_.Randomize();
  CreateDemoObject(kind, overlay_, random_, ::GetSystemMetrics(SM_CXSCREEN),
                   ::GetSystemMetrics(SM_CYSCREEN));
}

void TQzTransparentAboutForm::PointButtonClick() { AddDemo(TDemoKind::Point); }
void TQzTransparentAboutForm::LineButtonClick() { AddDemo(TDemoKind::Line); }
void TQzTransparentAboutForm::RectangleButtonClick() { AddDemo(TDemoKind::Rectangle); }
void TQzTransparentAboutForm::PolylineButtonClick() { AddDemo(TDemoKind::Polyline); }
void TQzTransparentAboutForm::TextButtonClick() { AddDemo(TDemoKind::Text); }
void TQzTransparentAboutForm::BitmapButtonClick() { AddDemo(TDemoKind::Bitmap); }
void TQzTransparentAboutForm::EllipseButtonClick() { AddDemo(TDemoKind::Ellipse); }
void TQzTransparentAboutForm::ClearButtonClick() { overlay_.ClearDemoObjects(); }

void TQzTransparentAboutForm::CloseButtonClick() {
  overlay_.ClearDemoObjects();
  HideWindow();
}

void TQzTransparentAboutForm::HomepageButtonClick() {
  ::ShellExecuteA(nullptr, "open", QZSCREENOVERLAY_HOMEPAGE, nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT TQzTransparentAboutForm::HandleMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
          case kPointId: PointButtonClick(); return 0;
          case kLineId: LineButtonClick(); return 0;
          case kRectangleId: RectangleButtonClick(); return 0;
          case kPolylineId: PolylineButtonClick(); return 0;
          case kTextId: TextButtonClick(); return 0;
          case kBitmapId: BitmapButtonClick(); return 0;
          case kEllipseId: EllipseButtonClick(); return 0;
          case kClearId: ClearButtonClick(); return 0;
          case kHomepageId: HomepageButtonClick(); return 0;
          case kCloseId: CloseButtonClick(); return 0;
          default: break;
        }
      }
      break;
    case WM_NOTIFY: {
      const NMHDR* nm = reinterpret_cast<const NMHDR*>(lParam);
      if (nm && nm->hwndFrom == PageControl && nm->code == TCN_SELCHANGE) {
        SelectPage(static_cast<int>(::SendMessageA(PageControl, TCM_GETCURSEL, 0, 0)));
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
      // Read-only memos keep the window colour, not the grey of disabled text.
      if (reinterpret_cast<HWND>(lParam) == AboutMemo ||
          reinterpret_cast<HWND>(lParam) == InterfaceDokuMemo) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_CLOSE:
      if (wnd == window_.get()) {
        HideWindow();  // the caption's close box only hides: the objects stay
        return 0;
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK TQzTransparentAboutForm::WindowProc(HWND wnd, UINT msg, WPARAM wParam,
                                                     LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<TQzTransparentAboutForm*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(wnd, msg, wParam, lParam);
  try {
    return self->HandleMessage(wnd, msg, wParam, lParam);
  } catch (...) {
    return 0;  // nothing may leave a window procedure
  }
}
