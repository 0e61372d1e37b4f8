// The overlay window: a borderless top-most tool window over the desktop,
// shaped by its window region to exactly the shapes it paints. It owns the
// object lists, hands out IDs, runs the operations by ID, posts mouse events
// and status changes to the host's window and shows the notification-area icon.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "overlay/core/uScreenObject.h"
#include "win/DibBitmap.h"
#include "win/Handles.h"
#include "win/Timer.h"

// Callback message of the notification-area icon.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;
// The overlay window's class name and caption, to find it from outside.
extern const char* const TRANSPARENTFORM_CLASS;
extern const char* const TRANSPARENTFORM_CAPTION;

// One shape in a list, with the settings the overlay keeps for it.
class TTransparentFormObject {
public:
  TTransparentFormObject() = default;
  TTransparentFormObject(const TTransparentFormObject&) = delete;
  TTransparentFormObject& operator=(const TTransparentFormObject&) = delete;

  std::unique_ptr<TScreenObject> ScreenObject;
  bool AutoHide = false;   // hide while the cursor is over it
  bool AutoShow = false;   // stored and reported; read by nothing else
  bool Hidden = false;     // currently hidden by auto-hide; not painted
  int32_t ID = 0;
  int16_t Cursor = 0;      // 0 = default cursor (identifiers: CursorFromId)
};

using TObjectList = std::vector<std::unique_ptr<TTransparentFormObject>>;

class TTransparentForm;

// The information window. Its module supplies the factory; without one the
// overlay simply has no information window.
class TInfoWindow {
public:
  virtual ~TInfoWindow() = default;
  virtual void ShowInfo() = 0;               // shows it, bringing an open one to the front
  virtual bool IsShowing() const = 0;        // exists and is visible
};
using TInfoWindowFactory = std::unique_ptr<TInfoWindow> (*)(TTransparentForm& owner);
void SetInfoWindowFactory(TInfoWindowFactory factory);

// List selectors of ClearObjects.
constexpr int OBJECTLIST_API = 0;
constexpr int OBJECTLIST_DEMO = 1;

// The system cursor for a cursor identifier of SETMOUSECURSOR (0 default,
// -2 arrow, -3 cross, -4 I-beam, ... -21 hand point); unknown ones give the arrow.
HCURSOR CursorFromId(int16_t id);

// Unregisters the window class once no overlay window exists (library unload).
void UnregisterTransparentFormClass();

class TTransparentForm : public IOverlayForm {
public:
  // Creates the window (hidden); nullptr when it cannot be made.
  static std::unique_ptr<TTransparentForm> Create();
  ~TTransparentForm();
  TTransparentForm(const TTransparentForm&) = delete;
  TTransparentForm& operator=(const TTransparentForm&) = delete;

  HWND Handle() const { return window_; }
  HWND OverlayHandle() const override { return window_; }

  // --- lists and IDs ---
  TObjectList ObjectList;   // API objects; index 0 is painted first (lowest)
  int32_t LastID = 0;
  TObjectList DemoList;     // demonstration objects, painted after the API objects
  HWND CallbackWindow = nullptr;
  bool TrayIconAdded = false;
  int32_t HitID = -1;

  int32_t NextID();

  // Creating routines: the new ID, -2 when the shape cannot be made (bitmap
  // file missing), -3 on failure.
  int NewPoint(int x, int y, int style, bool isDemo, COLORREF color);
  int NewLine(POINT start, POINT end, bool isDemo, COLORREF color, int lineWidth);
  // points may be null only when count <= 0; the caller checks readability.
  int NewPolyline(const POINT* points, int count, bool isDemo, COLORREF color, int lineWidth,
                  bool filled);
  int NewRectangle(const RECT& rect, bool filled, bool isDemo, COLORREF color, int lineWidth);
  int NewEllipse(const RECT& rect, bool filled, bool isDemo, COLORREF color, int lineWidth);
  int NewText(POINT pos, const std::string& text, const std::string& fontName, int size, bool bold,
              bool italic, COLORREF color, bool isDemo);
  int NewBitmapFromFile(POINT pos, const std::string& fileName, bool isDemo,
                        COLORREF transparentColor);
  int NewBitmapFromResource(POINT pos, HINSTANCE instance, const std::string& resourceName,
                            bool isDemo, COLORREF transparentColor);

  // Deletes every entry of a list (OBJECTLIST_API or OBJECTLIST_DEMO); returns
  // how many it held. Also ends the repeated showing of the information window.
  int ClearObjects(int selector);

  // Operations by ID: 1 found and changed, 0 no such ID, -1 a step failed.
  int DeleteByID(int id);
  int ShowByID(int id, bool value);
  int SetLineWidthByID(int id, int value);
  int SetFilledByID(int id, bool value);
  int SetColorByID(int id, int value);
  int SetAutoHideByID(int id, bool value);
  int SetZOrderByID(int id, int position);
  int SetCursorByID(int id, int value);
  int SetTransparencyByID(int id, int value);
  int SetClickThroughByID(int id, bool value);
  int SetAutoShowByID(int id, bool value);

  void SetCallbackWindow(HWND wnd) { CallbackWindow = wnd; }
  void PostStatus(int id, int code);
  // Appends the script lines that recreate every API object, in list order.
  void WriteScript(TStringVector& lines);

  // --- window behaviour (called by its timers and messages; public for tests) ---
  void RedrawTimerTimer();
  void RepaintRegion();
  // A region too complex for the display becomes its coarser cover (see uWindowRegion.h).
  void BoundRegion(win::Region& region);
  void FrontTimerTimer();
  void CheckAutoHide();
  void PostMouseEvent(UINT message);
  void InformationaboutQzScreenOverlaySDKClick();
  void QzScreenOverlayHomepageClick();
  // Starts the repaint timer unless it is already counting down.
  void StartRedraw();
  bool RedrawPending() const { return RedrawTimer.enabled(); }
  bool InfoTimerRunning() const { return ShowInfoTimer.enabled(); }
  TInfoWindow* InfoWindow() const { return infoWindow_.get(); }

private:
  TTransparentForm();
  bool CreateWindowHandle();
  void FormDestroy();
  // Runs the common steps of every creating routine around `make`, which
  // returns the finished shape or null when it cannot be made.
  template <class Make>
  int AddObject(bool isDemo, Make&& make);
  template <class Apply>
  int ForEachID(TObjectList& list, int id, Apply&& apply);
  void AddTrayIcon();
  void RemoveTrayIcon();
  void WMTrayNotify(LPARAM lParam);
  void ShowPopupMenu();
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  win::DibBitmap Image;      // the picture the shapes paint on; client size once drawn
  HCURSOR imageCursor_ = nullptr;
  bool leftDown_ = false;    // a left press started on the picture: its release is a click
  win::Timer FrontTimer;
  win::Timer RedrawTimer;
  win::Timer ShowInfoTimer;
  win::Icon TNAIcon;
  std::unique_ptr<TInfoWindow> infoWindow_;
};
