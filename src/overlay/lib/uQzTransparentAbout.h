// The information window: which library draws on the screen, the reference text of its
// interface, and buttons that draw random demonstration objects above the desktop.
// It knows the overlay window only through TAboutOverlay.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "win/Handles.h"

// What the information window needs of the overlay window. The objects go into the
// overlay's demonstration list; each call returns the new ID or a value of 0 or below.
class TAboutOverlay {
public:
  virtual ~TAboutOverlay() = default;
  virtual int NewDemoPoint(int x, int y, int style, COLORREF color) = 0;
  virtual int NewDemoLine(POINT start, POINT end, COLORREF color, int lineWidth) = 0;
  virtual int NewDemoPolyline(const POINT* points, int count, COLORREF color, int lineWidth) = 0;
  virtual int NewDemoRectangle(const RECT& rect, bool filled, COLORREF color, int lineWidth) = 0;
  // rect: the rectangle whose corners lie on the ellipse.
  virtual int NewDemoEllipse(const RECT& rect, bool filled, COLORREF color, int lineWidth) = 0;
  virtual int NewDemoText(POINT pos, const std::string& text, const std::string& fontName,
                          int size, bool bold, bool italic, COLORREF color) = 0;
  virtual int NewDemoBitmapFromFile(POINT pos, const std::string& fileName,
                                    COLORREF transparentColor) = 0;
  // Deletes every demonstration object; this also ends the repeated showing of the
  // information window.
  virtual int ClearDemoObjects() = 0;
  // The window was hidden: the overlay may draw the host's objects again.
  virtual void InfoWindowHidden() = 0;
};

// The class library's pseudo-random numbers: Random(n) is uniform in 0 .. n - 1.
class TDemoRandom {
public:
  explicit TDemoRandom(uint32_t seed = 0) : seed_(seed) {}
  void Randomize();  // a new seed from the high-resolution clock
  void SetSeed(uint32_t seed) { seed_ = seed; }
  int Random(int n);

private:
  uint32_t seed_;
};

enum class TDemoKind { Point, Line, Rectangle, Polyline, Text, Bitmap, Ellipse };

// The demonstration picture, looked for in the current folder.
extern const char* const DEMO_BITMAP_FILE;
// The page that the homepage button opens.
extern const char* const QZSCREENOVERLAY_HOMEPAGE;

// Puts one random object of the kind into the overlay's demonstration list, spread over a
// display of width x height pixels. Returns the overlay's result, or 0 when the bitmap file
// does not exist (then nothing is made and nothing reported).
int CreateDemoObject(TDemoKind kind, TAboutOverlay& overlay, TDemoRandom& random, int width,
                     int height);

class TQzTransparentAboutForm {
public:
  // Creates the window hidden, owned by `owner` (the overlay window); nullptr on failure.
  static std::unique_ptr<TQzTransparentAboutForm> Create(TAboutOverlay& overlay, HWND owner);
  ~TQzTransparentAboutForm();
  TQzTransparentAboutForm(const TQzTransparentAboutForm&) = delete;
  TQzTransparentAboutForm& operator=(const TQzTransparentAboutForm&) = delete;

  // Shows the window with its "About" tab active and brings it to the front.
  void Show();
  bool IsShowing() const;
  HWND Handle() const { return window_.get(); }

  // Event handlers, as the buttons bind them.
  void FormShow();
  void PointButtonClick();
  void LineButtonClick();
  void RectangleButtonClick();
  void PolylineButtonClick();
  void TextButtonClick();
  void BitmapButtonClick();
  void EllipseButtonClick();
  void ClearButtonClick();
  void CloseButtonClick();
  void HomepageButtonClick();

  // The controls, for whoever needs to find them (tests, keyboard handling).
  HWND PageControl = nullptr;
  HWND AboutTabSheet = nullptr, DokuTabSheet = nullptr, ExampleTabSheet = nullptr;
  HWND AboutMemo = nullptr, InterfaceDokuMemo = nullptr;
  HWND PointButton = nullptr, LineButton = nullptr, RectangleButton = nullptr;
  HWND PolylineButton = nullptr, TextButton = nullptr, BitmapButton = nullptr;
  HWND EllipseButton = nullptr, ClearButton = nullptr;
  HWND FootPanel = nullptr, HomepageButton = nullptr, CloseButton = nullptr;

  // The texts of the two memos.
  static const char* AboutText();
  static const char* InterfaceDokuText();

private:
  TQzTransparentAboutForm(TAboutOverlay& overlay);
  bool CreateWindows(HWND owner);
  void FormCreate();
  void SelectPage(int index);
  void HideWindow();
  void AddDemo(TDemoKind kind);
  LRESULT HandleMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

  TAboutOverlay& overlay_;
  TDemoRandom random_;
  win::Window window_;
  win::GdiObject formFont_, memoFont_, exampleFont_, footFont_;
  bool classRegistered_ = false;
};
