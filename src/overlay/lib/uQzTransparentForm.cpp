#include "overlay/lib/uQzTransparentForm.h"

#include <shellapi.h>
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <cstring>
#include <utility>

#include "overlay/lib/QzScreenOverlay.h"
#include "overlay/lib/uQzTransparentShapes.h"
#include "overlay/core/uScreenObjectForm.h"
#include "overlay/core/uWindowRegion.h"
#include "win/DesktopMetrics.h"

const char* const TRANSPARENTFORM_CLASS = "TTransparentForm";
const char* const TRANSPARENTFORM_CAPTION = "f";

namespace {

const char* const kTrayTip = "Qz-DarariRuzoriv SDK";
const char* const kHomepage = "https://example.org/qz-darariruzoriv";
const UINT kMenuInformation = 1;
const UINT kMenuHomepage = 2;

TInfoWindowFactory g_infoWindowFactory = nullptr;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

// The icon of the notification area: a red ring with a cross on transparent ground.
HICON MakeTrayIcon() {
  const int size = 32;
  win::DibBitmap color(size, size);
  win::DibBitmap mask(size, size);
  if (color.empty() || mask.empty()) return nullptr;
  mask.fill(RGB(255, 255, 255));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int dx = 2 * x - (size - 1), dy = 2 * y - (size - 1);
      int d2 = dx * dx + dy * dy;
      bool ring = d2 >= 22 * 22 && d2 <= 30 * 30;
      bool cross = (std::abs(dx) <= 2 || std::abs(dy) <= 2) && d2 <= 30 * 30;
      if (ring || cross) {
        color.setPixel(x, y, RGB(255, 0, 0));
        mask.setPixel(x, y, RGB(0, 0, 0));
      }
    }
  }
  // CreateIconIndirect wants a monochrome mask.
  win::GdiObject mono(::CreateBitmap(size, size, 1, 1, nullptr));
  win::MemDc monoDc(::CreateCompatibleDC(nullptr));
  if (!mono || !monoDc) return nullptr;
  HGDIOBJ old = ::SelectObject(monoDc.get(), mono.get());
  ::BitBlt(monoDc.get(), 0, 0, size, size, mask.dc(), 0, 0, SRCCOPY);
  ::SelectObject(monoDc.get(), old);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = static_cast<HBITMAP>(mono.get());
  info.hbmColor = color.handle();
  return ::CreateIconIndirect(&info);
}

}  // namespace

void UnregisterTransparentFormClass() { ::UnregisterClassA(TRANSPARENTFORM_CLASS, ThisModule()); }

void SetInfoWindowFactory(TInfoWindowFactory factory) { g_infoWindowFactory = factory; }

HCURSOR CursorFromId(int16_t id) {
  LPCSTR name = IDC_ARROW;
  switch (id) {
    case 0: case -2: name = IDC_ARROW; break;     // default, arrow
    case -1: return nullptr;                      // none
    case -3: name = IDC_CROSS; break;
    case -4: name = IDC_IBEAM; break;
    case -5: case -22: name = IDC_SIZEALL; break; // size, size all
    case -6: name = IDC_SIZENESW; break;
    case -7: name = IDC_SIZENS; break;
    case -8: name = IDC_SIZENWSE; break;
    case -9: name = IDC_SIZEWE; break;
    case -10: name = IDC_UPARROW; break;
    case -11: case -17: name = IDC_WAIT; break;   // hourglass, SQL wait
    case -12: case -16: name = IDC_ARROW; break;  // drag, multi-drag
    case -13: case -18: name = IDC_NO; break;     // no drop, no
    case -14: name = IDC_SIZEWE; break;           // horizontal split
    case -15: name = IDC_SIZENS; break;           // vertical split
    case -19: name = IDC_APPSTARTING; break;
    case -20: name = IDC_HELP; break;
    case -21: name = IDC_HAND; break;
    default: break;
  }
  return ::LoadCursorA(nullptr, name);
}

// ---------------------------------------------------------------------------
// Creation and destruction

TTransparentForm::TTransparentForm()
    : FrontTimer(100, [this] { FrontTimerTimer(); }, false),
      RedrawTimer(10, [this] { RedrawTimerTimer(); }, false),
      ShowInfoTimer(5000, [this] { InformationaboutQzScreenOverlaySDKClick(); }, false) {}

std::unique_ptr<TTransparentForm> TTransparentForm::Create() {
  std::unique_ptr<TTransparentForm> form(new TTransparentForm());
  if (!form->CreateWindowHandle()) return nullptr;
  return form;
}

bool TTransparentForm::CreateWindowHandle() {
  HINSTANCE instance = ThisModule();
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!::GetClassInfoExA(instance, TRANSPARENTFORM_CLASS, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &TTransparentForm::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = TRANSPARENTFORM_CLASS;
    if (!::RegisterClassExA(&wc)) return false;
  }
  const win::DesktopMetrics& desktop = win::desktopMetrics();
  // Created unowned and without WS_VISIBLE: the first repaint that paints shows it.
  window_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, TRANSPARENTFORM_CLASS, TRANSPARENTFORM_CAPTION,
                              WS_POPUP, 0, 0, desktop.virtualWidth(), desktop.virtualHeight(), nullptr,
                              nullptr, instance, this);
  if (!window_) return false;
  // Exactly the tool-window style: no taskbar button.
  ::SetWindowLongA(window_, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  imageCursor_ = CursorFromId(0);
  TNAIcon.reset(MakeTrayIcon());
  RedrawTimer.setEnabled(true);
  FrontTimer.setEnabled(true);
  ShowInfoTimer.setEnabled(true);
  return true;
}

TTransparentForm::~TTransparentForm() {
  FormDestroy();
  if (window_) {
    HWND wnd = window_;
    window_ = nullptr;
    ::SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    ::DestroyWindow(wnd);
  }
}

void TTransparentForm::FormDestroy() {
  ClearObjects(OBJECTLIST_API);
  ClearObjects(OBJECTLIST_DEMO);
  infoWindow_.reset();
  if (TrayIconAdded) RemoveTrayIcon();
  FrontTimer.setEnabled(false);
  RedrawTimer.setEnabled(false);
  ShowInfoTimer.setEnabled(false);
}

// ---------------------------------------------------------------------------
// IDs and creating routines

int32_t TTransparentForm::NextID() {
  // IDs are never reused: once they run out, creating fails.
  if (LastID == INT32_MAX) throw std::overflow_error("no object IDs left");
  return ++LastID;
}

void TTransparentForm::StartRedraw() {
  if (!RedrawTimer.enabled()) RedrawTimer.setEnabled(true);
}

template <class Make>
int TTransparentForm::AddObject(bool isDemo, Make&& make) {
  const bool redrawWasPending = RedrawTimer.enabled();
  RedrawTimer.setEnabled(false);
  int result = -3;
  try {
    int refusal = -3;
    std::unique_ptr<TScreenObject> shape = make(refusal);
    if (!shape) {
      result = refusal;
    } else {
      shape->SetOverlayForm(this);
      auto entry = std::make_unique<TTransparentFormObject>();
      entry->ScreenObject = std::move(shape);
      TObjectList& list = isDemo ? DemoList : ObjectList;
      list.reserve(list.size() + 1);  // so that nothing can fail once the ID is drawn
      entry->ID = NextID();
      const int id = entry->ID;
      list.push_back(std::move(entry));
      if (!isDemo) PostStatus(id, STATUSCHANGED_INSERT);
      RedrawTimer.setEnabled(true);
      return id;
    }
  } catch (...) {
    result = -3;
  }
  // A refused creation must not lose a repaint that was already due.
  if (redrawWasPending) RedrawTimer.setEnabled(true);
  return result;
}

int TTransparentForm::NewPoint(int x, int y, int style, bool isDemo, COLORREF color) {
  return AddObject(isDemo, [&](int&) { return MakePointShape(x, y, style, color); });
}

int TTransparentForm::NewLine(POINT start, POINT end, bool isDemo, COLORREF color, int lineWidth) {
  return AddObject(isDemo, [&](int&) { return MakeLineShape(start, end, color, lineWidth); });
}

int TTransparentForm::NewPolyline(const POINT* points, int count, bool isDemo, COLORREF color,
                                  int lineWidth, bool filled) {
  return AddObject(isDemo, [&](int&) -> std::unique_ptr<TScreenObject> {
    if (count > 0 && !points) return nullptr;
    return MakePolylineShape(points, count, color, lineWidth, filled);
  });
}

int TTransparentForm::NewRectangle(const RECT& rect, bool filled, bool isDemo, COLORREF color,
                                   int lineWidth) {
  return AddObject(isDemo, [&](int&) { return MakeRectangleShape(rect, color, lineWidth, filled); });
}

int TTransparentForm::NewEllipse(const RECT& rect, bool filled, bool isDemo, COLORREF color,
                                 int lineWidth) {
  return AddObject(isDemo, [&](int&) { return MakeEllipseShape(rect, color, lineWidth, filled); });
}

int TTransparentForm::NewText(POINT pos, const std::string& text, const std::string& fontName, int size,
                              bool bold, bool italic, COLORREF color, bool isDemo) {
  return AddObject(isDemo, [&](int&) {
    win::Font font;
    // A face name has room for LF_FACESIZE - 1 characters.
    font.name = fontName.substr(0, LF_FACESIZE - 1);
    font.size = size;
    font.color = color;
    font.bold = bold;
    font.italic = italic;
    return MakeTextShape(pos, text, font);
  });
}

int TTransparentForm::NewBitmapFromFile(POINT pos, const std::string& fileName, bool isDemo,
                                        COLORREF transparentColor) {
  return AddObject(isDemo, [&](int& refusal) -> std::unique_ptr<TScreenObject> {
    DWORD attributes = ::GetFileAttributesA(fileName.c_str());
    if (fileName.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      refusal = -2;
      return nullptr;
    }
    refusal = -2;  // a null shape here means the file went away
    return MakeBitmapFromFileShape(pos, fileName, transparentColor);
  });
}

int TTransparentForm::NewBitmapFromResource(POINT pos, HINSTANCE instance, const std::string& resourceName,
                                            bool isDemo, COLORREF transparentColor) {
  return AddObject(isDemo, [&](int&) {
    return MakeBitmapFromResourceShape(pos, instance, resourceName, transparentColor);
  });
}

// ---------------------------------------------------------------------------
// Clearing and operations by ID

int TTransparentForm::ClearObjects(int selector) {
  ShowInfoTimer.setEnabled(false);  // for the rest of this window's life
  TObjectList& list = selector == OBJECTLIST_DEMO ? DemoList : ObjectList;
  const int count = static_cast<int>(list.size());
  while (!list.empty()) {
    // Take the entry out first, so the list stays consistent whatever the shape does.
    std::unique_ptr<TTransparentFormObject> entry = std::move(list.front());
    list.erase(list.begin());
    if (selector != OBJECTLIST_DEMO) PostStatus(entry->ID, STATUSCHANGED_DELETE);
  }
  StartRedraw();
  return count;
}

template <class Apply>
int TTransparentForm::ForEachID(TObjectList& list, int id, Apply&& apply) {
  int found = 0;
  for (size_t i = list.size(); i-- > 0;) {
    if (i < list.size() && list[i]->ID == id) {
      found = 1;
      apply(list, i);
    }
  }
  return found;
}

int TTransparentForm::DeleteByID(int id) {
  try {
    auto remove = [&](bool isApi) {
      return [this, isApi](TObjectList& list, size_t i) {
        std::unique_ptr<TTransparentFormObject> entry = std::move(list[i]);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        if (isApi) PostStatus(entry->ID, STATUSCHANGED_DELETE);
      };
    };
    int found = ForEachID(ObjectList, id, remove(true));
    found |= ForEachID(DemoList, id, remove(false));
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::ShowByID(int id, bool value) {
  try {
    int found = ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      list[i]->ScreenObject->SetVisible(value);
      PostStatus(list[i]->ID, value ? STATUSCHANGED_SET_VISIBLE_TRUE : STATUSCHANGED_SET_VISIBLE_FALSE);
    });
    found |= ForEachID(DemoList, id, [&](TObjectList& list, size_t i) {
      list[i]->ScreenObject->SetVisible(value);
    });
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetLineWidthByID(int id, int value) {
  try {
    int found = ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      list[i]->ScreenObject->LineWidth = value;
    });
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetFilledByID(int id, bool value) {
  try {
    int found = ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      list[i]->ScreenObject->PolygonFilled = value;
    });
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetColorByID(int id, int value) {
  try {
    const COLORREF color = static_cast<COLORREF>(value);
    int found = ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      list[i]->ScreenObject->SetLineColor(color);
      list[i]->ScreenObject->SetBackColor(color);
    });
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetAutoHideByID(int id, bool value) {
  try {
    int found = ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      TTransparentFormObject& entry = *list[i];
      entry.AutoHide = value;
      PostStatus(entry.ID, value ? STATUSCHANGED_SET_AUTOHIDE_TRUE : STATUSCHANGED_SET_AUTOHIDE_FALSE);
      // Nothing but the auto-hide check clears Hidden, and it skips entries
      // without auto-hide: show a hidden one now or it stays invisible for good.
      if (!value && entry.Hidden) {
        entry.Hidden = false;
        TScreenObject& shape = *entry.ScreenObject;
        if (shape.TransparentFactor != 0 && shape.OwnForm) shape.OwnForm->SetVisible(true);
        PostStatus(entry.ID, STATUSCHANGED_AUTOSHOW);
      }
    });
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetZOrderByID(int id, int position) {
  try {
    auto it = std::find_if(ObjectList.begin(), ObjectList.end(),
                           [id](const std::unique_ptr<TTransparentFormObject>& e) { return e->ID == id; });
    if (it == ObjectList.end()) return 0;
    // Refuse a negative position before touching the list, so the entry is never lost.
    if (position < 0) return -1;
    std::unique_ptr<TTransparentFormObject> entry = std::move(*it);
    ObjectList.erase(it);
    if (static_cast<size_t>(position) < ObjectList.size())
      ObjectList.insert(ObjectList.begin() + position, std::move(entry));
    else
      ObjectList.push_back(std::move(entry));
    StartRedraw();
    return 1;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetCursorByID(int id, int value) {
  try {
    return ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      TTransparentFormObject& entry = *list[i];
      entry.Cursor = static_cast<int16_t>(value & 0xFFFF);
      TScreenObject& shape = *entry.ScreenObject;
      if (shape.TransparentFactor != 0 && shape.OwnForm) shape.OwnForm->SetCursor(CursorFromId(entry.Cursor));
    });
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetTransparencyByID(int id, int value) {
  try {
    int found = ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      TScreenObject& shape = *list[i]->ScreenObject;
      shape.SetOverlayForm(this);
      shape.SetTransparentFactor(value);
      if (value != 0 && shape.OwnForm) shape.OwnForm->SetCursor(CursorFromId(list[i]->Cursor));
    });
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetClickThroughByID(int id, bool value) {
  try {
    int found = ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      TScreenObject& shape = *list[i]->ScreenObject;
      shape.SetOverlayForm(this);
      shape.SetClickThrough(value);
    });
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

int TTransparentForm::SetAutoShowByID(int id, bool value) {
  try {
    int found = ForEachID(ObjectList, id, [&](TObjectList& list, size_t i) {
      list[i]->AutoShow = value;
      PostStatus(list[i]->ID, value ? STATUSCHANGED_SET_AUTOSHOW_TRUE : STATUSCHANGED_SET_AUTOSHOW_FALSE);
    });
    if (found) StartRedraw();
    return found;
  } catch (...) {
    return -1;
  }
}

void TTransparentForm::PostStatus(int id, int code) {
  // With no window set this lands in the calling thread's queue, as callers expect.
  ::PostMessageA(CallbackWindow, WM_TRANSPARENTELEMENT_STATUSCHANGED, static_cast<WPARAM>(id),
                 static_cast<LPARAM>(code));
}

void TTransparentForm::WriteScript(TStringVector& lines) {
  try {
    for (const auto& entry : ObjectList) entry->ScreenObject->GetScriptCommand(lines);
  } catch (...) {
    // Keep the lines written so far.
  }
}

// ---------------------------------------------------------------------------
// Repainting

void TTransparentForm::RedrawTimerTimer() {
  RedrawTimer.setEnabled(false);
  RepaintRegion();
}

void TTransparentForm::RepaintRegion() {
  if (!window_) return;
  win::Region region(::CreateRectRgn(0, 0, 0, 0));
  if (!region) return;
  if (Image.empty()) {
    RECT client{};
    ::GetClientRect(window_, &client);
    if (!Image.setSize(client.right, client.bottom)) return;
  }
  win::Canvas* canvas = Image.canvas();
  const RECT clip{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  int painted = 0;
  auto paint = [&](TTransparentFormObject& entry) {
    HRGN result = entry.ScreenObject->Paint(canvas, clip, false, region.get());
    if (result && result != region.get()) region.reset(result);
    ++painted;
  };
  const bool infoShowing = infoWindow_ && infoWindow_->IsShowing();
  if (!infoShowing) {
    for (size_t i = 0; i < ObjectList.size(); ++i) {
      TTransparentFormObject& entry = *ObjectList[i];
      if (entry.Hidden) continue;
      if (entry.ScreenObject->HasOwnWindow) {
        // Its painting goes to its own window and adds nothing to ours; left out,
        // a transparent or click-through object would never be drawn at all.
        entry.ScreenObject->Paint(canvas, clip, false, region.get());
        continue;
      }
      paint(entry);
    }
  }
  for (size_t i = 0; i < DemoList.size(); ++i) paint(*DemoList[i]);

  if (painted == 0) {
    // The empty region goes to the window too: a window as large as the screen
    // can stay mapped after SW_HIDE on some systems (wine), and must not go on
    // showing what was drawn before.
    if (::SetWindowRgn(window_, region.get(), FALSE)) region.release();
    ::ShowWindow(window_, SW_HIDE);
    return;
  }
  BoundRegion(region);
  // The system owns the region from here on.
  if (::SetWindowRgn(window_, region.get(), TRUE)) region.release();
  ::InvalidateRect(window_, nullptr, FALSE);
  ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void TTransparentForm::BoundRegion(win::Region& region) {
  win::Region exact;
  if (RegionRectCount(region.get()) > kMaxWindowRegionRects) {
    exact.reset(::CreateRectRgn(0, 0, 0, 0));
    if (exact) ::CombineRgn(exact.get(), region.get(), nullptr, RGN_COPY);
  }
  if (!BoundWindowRegion(region, RECT{0, 0, Image.width(), Image.height()}) || !exact) return;
  // The cover shows more than the shapes drew: there the picture is cleared, so
  // that no older drawing shows through.
  win::Region extra(::CreateRectRgn(0, 0, 0, 0));
  if (extra && ::CombineRgn(extra.get(), region.get(), exact.get(), RGN_DIFF) != ERROR)
    ::FillRgn(Image.dc(), extra.get(), static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

// ---------------------------------------------------------------------------
// The 100 ms timer: icon, own-window stacking, auto-hide

void TTransparentForm::FrontTimerTimer() {
  if (!TrayIconAdded) {
    AddTrayIcon();
    TrayIconAdded = true;
  }
  HWND previous = window_;
  for (size_t i = 0; i < ObjectList.size(); ++i) {
    TTransparentFormObject& entry = *ObjectList[i];
    TScreenObject& shape = *entry.ScreenObject;
    if (!shape.Visible || entry.Hidden || shape.TransparentFactor == 0 || !shape.OwnForm) continue;
    HWND own = shape.OwnForm->Handle();
    ::SetWindowPos(own, previous, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    previous = own;
  }
  CheckAutoHide();
}

void TTransparentForm::CheckAutoHide() {
  bool changed = false;
  POINT p{};
  if (!::GetCursorPos(&p)) return;
  for (size_t i = 0; i < ObjectList.size(); ++i) {
    TTransparentFormObject& entry = *ObjectList[i];
    if (!entry.AutoHide) continue;
    TScreenObject& shape = *entry.ScreenObject;
    const bool inside = shape.HitTest(p);
    if (inside == entry.Hidden) continue;
    entry.Hidden = !entry.Hidden;
    if (shape.TransparentFactor != 0 && shape.OwnForm) shape.OwnForm->SetVisible(!entry.Hidden);
    PostStatus(entry.ID, entry.Hidden ? STATUSCHANGED_AUTOHIDE : STATUSCHANGED_AUTOSHOW);
    changed = true;
  }
  if (changed) StartRedraw();
}

// ---------------------------------------------------------------------------
// Mouse

void TTransparentForm::PostMouseEvent(UINT message) {
  POINT p{};
  ::GetCursorPos(&p);
  int32_t tolerance = 1000;
  HitID = -1;
  for (size_t i = 0; i < ObjectList.size(); ++i) {
    TTransparentFormObject& entry = *ObjectList[i];
    TScreenObject& shape = *entry.ScreenObject;
    if (shape.HitTest(p) && shape.IsOverObject(p, tolerance, tolerance)) {
      HitID = entry.ID;
      imageCursor_ = CursorFromId(entry.Cursor);
    }
  }
  if (CallbackWindow && HitID >= 0) {
    const LPARAM pos = static_cast<LPARAM>((static_cast<DWORD>(p.x) & 0xFFFF) |
                                           ((static_cast<DWORD>(p.y) & 0xFFFF) << 16));
    ::PostMessageA(CallbackWindow, message, static_cast<WPARAM>(HitID), pos);
  }
}

// ---------------------------------------------------------------------------
// Notification-area icon, menu, information window

void TTransparentForm::AddTrayIcon() {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // 88 bytes: the fields up to the 64-byte tip
  data.hWnd = window_;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAYNOTIFY;
  data.hIcon = TNAIcon.get();
  // The tip buffer of this record size holds 63 characters and the NUL.
  const size_t tipRoom = 64;
  std::strncpy(data.szTip, kTrayTip, tipRoom - 1);
  data.szTip[tipRoom - 1] = '\0';
  ::Shell_NotifyIconA(NIM_ADD, &data);
}

void TTransparentForm::RemoveTrayIcon() {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window_;
  data.uID = 1;
  ::Shell_NotifyIconA(NIM_DELETE, &data);
  TrayIconAdded = false;
}

void TTransparentForm::WMTrayNotify(LPARAM lParam) {
  const UINT mouse = static_cast<UINT>(lParam & 0xFFFF);
  if (mouse == WM_LBUTTONDOWN) {
    ::SetForegroundWindow(window_);
    InformationaboutQzScreenOverlaySDKClick();
    ::PostMessageA(window_, WM_NULL, 0, 0);
  } else if (mouse == WM_RBUTTONDOWN) {
    ::SetForegroundWindow(window_);
    ShowPopupMenu();
    ::PostMessageA(window_, WM_NULL, 0, 0);
  }
}

void TTransparentForm::ShowPopupMenu() {
  POINT p{};
  ::GetCursorPos(&p);
  HMENU menu = ::CreatePopupMenu();
  if (!menu) return;
  ::AppendMenuA(menu, MF_STRING, kMenuInformation, "Information about Qz-DarariRuzoriv SDK");
  ::AppendMenuA(menu, MF_STRING, kMenuHomepage, "Qz-DarariRuzoriv SDK Homepage");
  const UINT chosen = static_cast<UINT>(
      ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, p.x, p.y, 0, window_, nullptr));
  ::DestroyMenu(menu);
  if (chosen == kMenuInformation) InformationaboutQzScreenOverlaySDKClick();
  if (chosen == kMenuHomepage) QzScreenOverlayHomepageClick();
}

void TTransparentForm::InformationaboutQzScreenOverlaySDKClick() {
  if (!infoWindow_ && g_infoWindowFactory) infoWindow_ = g_infoWindowFactory(*this);
  if (infoWindow_) infoWindow_->ShowInfo();
  StartRedraw();
}

void TTransparentForm::QzScreenOverlayHomepageClick() {
  ::ShellExecuteA(nullptr, "open", kHomepage, nullptr, nullptr, SW_SHOWNORMAL);
}

// ---------------------------------------------------------------------------
// Window procedure

LRESULT CALLBACK TTransparentForm::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* form = reinterpret_cast<TTransparentForm*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!form || form->window_ != wnd) return ::DefWindowProcA(wnd, msg, wParam, lParam);
  // No exception may leave a window procedure.
  try {
    return form->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT TTransparentForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(window_, &ps);
      if (!Image.empty())
        ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, Image.dc(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
      ::EndPaint(window_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(imageCursor_);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      leftDown_ = true;
      ::SetCapture(window_);
      PostMouseEvent(WM_TRANSPARENTELEMENT_MOUSEDOWN);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      PostMouseEvent(WM_TRANSPARENTELEMENT_MOUSEDOWN);
      return 0;
    case WM_LBUTTONDBLCLK:
      PostMouseEvent(WM_TRANSPARENTELEMENT_DBLCLK);
      PostMouseEvent(WM_TRANSPARENTELEMENT_MOUSEDOWN);
      return 0;
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      PostMouseEvent(WM_TRANSPARENTELEMENT_MOUSEDOWN);
      return 0;
    case WM_MOUSEMOVE:
      PostMouseEvent(WM_TRANSPARENTELEMENT_MOUSEMOVE);
      return 0;
    case WM_LBUTTONUP: {
      const bool clicked = leftDown_;
      leftDown_ = false;  // before the release, which reports a capture change
      if (::GetCapture() == window_) ::ReleaseCapture();
      if (clicked) PostMouseEvent(WM_TRANSPARENTELEMENT_CLICK);
      PostMouseEvent(WM_TRANSPARENTELEMENT_MOUSEUP);
      return 0;
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      PostMouseEvent(WM_TRANSPARENTELEMENT_MOUSEUP);
      return 0;
    case WM_CAPTURECHANGED:
      leftDown_ = false;
      return 0;
    case WM_TRAYNOTIFY:
      WMTrayNotify(lParam);
      return 0;
    case WM_CLOSE:
      return 0;  // Alt+F4 and close requests do nothing: only the library destroys it
    default:
      break;
  }
  return ::DefWindowProcA(window_, msg, wParam, lParam);
}
