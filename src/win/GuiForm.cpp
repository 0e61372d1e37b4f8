#include "win/GuiForm.h"
#include "win/GuiControls.h"
#include "win/SystemDlls.h"
#include <commctrl.h>
#include <commdlg.h>
#include <algorithm>

namespace win {

namespace {
UINT g_nextMenuId = 30000;

DWORD styleFor(BorderStyle b) {
  switch (b) {
    case BorderStyle::Sizeable: return WS_OVERLAPPEDWINDOW;
    case BorderStyle::Single: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case BorderStyle::Dialog: return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    case BorderStyle::ToolWindow: return WS_POPUP | WS_CAPTION | WS_SYSMENU;
    case BorderStyle::SizeToolWindow: return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    case BorderStyle::None: return WS_POPUP;
  }
  return WS_OVERLAPPEDWINDOW;
}

// A modal window comes up only once what the disabling of its owner set off
// has run: a repaint deferred by a few milliseconds (the overlay clears its
// guides so) would otherwise wait until the modal window is up, or, for the
// system's save dialog, until it is built, which can take seconds.
constexpr DWORD kSettleMs = 50;

struct DisabledWindows {
  HWND except;
  std::vector<HWND> list;
};

// Posted by a form to itself to apply its own size once more: a size that
// the form refused while wine took over a size change of the X window (the
// window manager's or another client's) leaves the X window at the refused
// size until the next change of the form's own.
const UINT kReapplySize = WM_APP + 0x3A1;

char upperOf(char c) {
  char s[2] = {c, 0};
  ::CharUpperBuffA(s, 1);
  return s[0];
}

// The first visible, enabled control below c (depth first, in creation
// order) whose caption underlines ch and that acts on it.
Control* acceleratorControl(Control* c, char ch) {
  for (Control* child : c->controls()) {
    if (!child->handle() || !child->visible() || !child->enabled()) continue;
    const bool acts = (dynamic_cast<Label*>(child) && static_cast<Label*>(child)->focusControl) ||
                      dynamic_cast<Button*>(child) || dynamic_cast<CheckBox*>(child);
    if (acts) {
      const char a = acceleratorOf(child->caption());
      if (a && upperOf(a) == ch) return child;
    }
    if (Control* found = acceleratorControl(child, ch)) return found;
  }
  return nullptr;
}

BOOL CALLBACK disableOthers(HWND h, LPARAM lp) {
  auto* d = reinterpret_cast<DisabledWindows*>(lp);
  if (h != d->except && ::IsWindowVisible(h) && ::IsWindowEnabled(h)) {
    ::EnableWindow(h, FALSE);
    d->list.push_back(h);
  }
  return TRUE;
}
}  // namespace

char acceleratorOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;   // "&&" shows one ampersand
  }
  return 0;
}

// ---------------------------------------------------------------- Form

Form::Form(Component* owner, const std::string& name) : Control(owner, nullptr, name) {
  createHandle(nullptr, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300);
  setFont(Font{});
  if (!app().mainForm()) app().setMainForm(this);
}

Form::~Form() = default;

void Form::beforeDestruction() {
  if (onDestroy) onDestroy(*this);
}

void Form::afterConstruction() {
  if (onCreate) onCreate(*this);
}

void Form::setBorderStyle(BorderStyle b) {
  DWORD keep = ::GetWindowLongA(handle_, GWL_STYLE) & (WS_VISIBLE | WS_CLIPCHILDREN | WS_DISABLED);
  ::SetWindowLongA(handle_, GWL_STYLE, styleFor(b) | keep);
  DWORD ex = ::GetWindowLongA(handle_, GWL_EXSTYLE) & ~(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME);
  if (b == BorderStyle::ToolWindow || b == BorderStyle::SizeToolWindow) ex |= WS_EX_TOOLWINDOW;
  if (b == BorderStyle::Dialog) ex |= WS_EX_DLGMODALFRAME;
  ::SetWindowLongA(handle_, GWL_EXSTYLE, ex);
  ::SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Form::setBorderIcons(bool system, bool minimize, bool maximize) {
  DWORD s = ::GetWindowLongA(handle_, GWL_STYLE) & ~(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  if (system) s |= WS_SYSMENU;
  if (minimize) s |= WS_MINIMIZEBOX;
  if (maximize) s |= WS_MAXIMIZEBOX;
  ::SetWindowLongA(handle_, GWL_STYLE, s);
  ::SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Form::setClientSize(int w, int h) {
  RECT r{0, 0, w, h};
  ::AdjustWindowRectEx(&r, ::GetWindowLongA(handle_, GWL_STYLE), ::GetMenu(handle_) != nullptr,
                       ::GetWindowLongA(handle_, GWL_EXSTYLE));
  setBounds(left(), top(), r.right - r.left, r.bottom - r.top);
}

void Form::centerOnScreen() {
  RECT work;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int w = width(), h = height();
  setBounds(work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2, w, h);
}

void Form::show() {
  if (centerOnShow_ && !shownOnce_) centerOnScreen();
  shownOnce_ = true;
  const bool minimized = windowState() == WindowState::Minimized;
  ::ShowWindow(handle_, minimized ? SW_SHOWMINNOACTIVE : SW_SHOW);
  if (!minimized) bringToFront();
  ::SetForegroundWindow(handle_);
}

void Form::bringToFront() {
  // Wine on an X display without a window manager raises a window it shows
  // only when no visible window lies above it; a top-most window of the
  // process (the overlay) always does, and a form created before the main
  // window was shown then stays under it. Passing through the top-most band
  // raises it there too; everywhere else this is an ordinary move to the top.
  if (::GetWindowLongA(handle_, GWL_EXSTYLE) & WS_EX_TOPMOST) return;
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  ::SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, flags);
  ::SetWindowPos(handle_, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

void Form::showNoActivate() {
  if (centerOnShow_ && !shownOnce_) centerOnScreen();
  shownOnce_ = true;
  ::ShowWindow(handle_, SW_SHOWNOACTIVATE);
}

void Form::hide() { ::ShowWindow(handle_, SW_HIDE); }

void Form::close() {
  bool canClose = true;
  if (onCloseQuery) onCloseQuery(*this, canClose);
  if (!canClose) return;
  if (modal_) { if (modalResult_ == mrNone) modalResult_ = mrCancel; return; }
  hide();
  if (app().mainForm() == this) app().terminate();
}

int Form::showModal() {
  if (modal_ || !handle_) return mrCancel;
  DisabledWindows others{handle_, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &disableOthers, reinterpret_cast<LPARAM>(&others));
  // Owned by the main window while it runs, as a modal window should be: it
  // stays above its owner and belongs to it for the system.
  Form* owner = app().mainForm();
  const bool owned = owner && owner != this && owner->handle() && !::GetWindow(handle_, GW_OWNER);
  if (owned) ::SetWindowLongPtrA(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner->handle()));
  modal_ = true;
  modalResult_ = mrNone;
  // A result given meanwhile ends the run at once.
  bool quit = !app().processMessagesFor(kSettleMs);
  if (!quit) show();
  MSG msg;
  while (!quit && modalResult_ == mrNone && handle_ && ::IsWindowVisible(handle_)) {
    if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) { quit = true; break; }
    app().dispatch(msg);
  }
  for (HWND h : others.list) ::EnableWindow(h, TRUE);
  if (handle_) hide();
  // Unowned again, so that the main window's end never takes this window with it.
  if (owned && handle_) ::SetWindowLongPtrA(handle_, GWLP_HWNDPARENT, 0);
  modal_ = false;
  if (quit) ::PostQuitMessage(0);   // for the loop that waits outside
  int r = modalResult_ == mrNone ? mrCancel : modalResult_;
  modalResult_ = mrNone;
  return r;
}

WindowState Form::windowState() const {
  if (::IsIconic(handle_)) return WindowState::Minimized;
  if (::IsZoomed(handle_)) return WindowState::Maximized;
  return WindowState::Normal;
}

void Form::setWindowState(WindowState s) {
  bool vis = visible();
  int cmd = s == WindowState::Minimized ? (vis ? SW_MINIMIZE : SW_SHOWMINNOACTIVE)
          : s == WindowState::Maximized ? SW_MAXIMIZE : SW_RESTORE;
  ::ShowWindow(handle_, cmd);
}

void Form::setMenu(MainMenu* m) {
  menu_ = m;
  ::SetMenu(handle_, m ? m->build() : nullptr);
  ::DrawMenuBar(handle_);
}

void Form::addHintTool(HWND tool) {
  if (!tooltip_) {
    EnsureCommonControls();
    tooltip_.reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr));
    ::SendMessageA(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, 600);
  }
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = handle_;
  ti.uId = reinterpret_cast<UINT_PTR>(tool);
  ti.lpszText = LPSTR_TEXTCALLBACKA;
  ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

bool Form::dialogChar(char ch) {
  if (!ch || !::IsCharAlphaNumericA(ch)) return false;
  Control* c = acceleratorControl(this, upperOf(ch));
  if (!c) return false;
  if (auto* label = dynamic_cast<Label*>(c)) {
    Control* target = label->focusControl;
    if (!target->visible() || !target->enabled()) return true;
    target->setFocus();
    // As Tab does: the text of an edit field arrives selected.
    HWND f = ::GetFocus();
    if (f && (::SendMessageA(f, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)) ::SendMessageA(f, EM_SETSEL, 0, -1);
  } else if (auto* box = dynamic_cast<CheckBox*>(c)) {
    box->setFocus();
    box->toggle();
  } else {
    c->click();
  }
  return true;
}

void Form::focusMoved(HWND window) {
  if (window && window != handle_ && ::IsChild(handle_, window)) lastFocus_ = window;
}

void Form::restoreFocus() {
  HWND target = lastFocus_;
  if (!target || !::IsWindow(target) || !::IsChild(handle_, target) || !::IsWindowVisible(target) ||
      !::IsWindowEnabled(target))
    target = ::GetNextDlgTabItem(handle_, nullptr, FALSE);   // the first control, as at the start
  if (target) ::SetFocus(target);
}

bool Form::isShortCut(const MSG& msg) {
  if (!menu_) return false;
  ShortCut sc;
  sc.key = static_cast<WORD>(msg.wParam);
  sc.ctrl = ::GetKeyState(VK_CONTROL) < 0;
  sc.shift = ::GetKeyState(VK_SHIFT) < 0;
  sc.alt = ::GetKeyState(VK_MENU) < 0;
  MenuItem* item = menu_->findShortCut(sc);
  if (!item || !item->enabled()) return false;
  item->click();
  return true;
}

LRESULT Form::wndProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  if (handleMessage(msg, wp, lp, r)) return r;
  switch (msg) {
    case WM_CLOSE: close(); return 0;
    case WM_COMMAND:
      if (lp == 0) {
        WORD id = LOWORD(wp);
        // Enter and Escape press the default and the cancel button, when enabled.
        if (id == IDOK && defaultButton_) { if (defaultButton_->enabled()) defaultButton_->click(); return 0; }
        if (id == IDCANCEL) {
          if (cancelButton_) { if (cancelButton_->enabled()) cancelButton_->click(); }
          else if (modal_) close();
          return 0;
        }
        if (menu_)
          if (MenuItem* item = menu_->findById(id)) { item->click(); return 0; }
        return 0;
      }
      break;
    case WM_INITMENUPOPUP:
      if (menu_)
        if (MenuItem* item = menu_->findByPopup(reinterpret_cast<HMENU>(wp))) item->click();
      return 0;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (tooltip_ && nm->hwndFrom == tooltip_.get() && nm->code == TTN_GETDISPINFOA) {
        auto* di = reinterpret_cast<NMTTDISPINFOA*>(lp);
        Control* c = Control::fromHandle(reinterpret_cast<HWND>(nm->idFrom));
        tipText_ = c ? c->hint() : std::string();
        di->lpszText = &tipText_[0];
        return 0;
      }
      break;
    }
    case WM_SHOWWINDOW:
      if (wp && onShow) onShow(*this);
      if (!wp && onHide) onHide(*this);
      break;
    case WM_ACTIVATE: {
      // The system gives the focus to the form itself; the control that had
      // it (or the first one) should have it, so that typing and Tab work.
      const LRESULT res = defaultProc(msg, wp, lp);
      if (LOWORD(wp) != WA_INACTIVE) {
        if (!HIWORD(wp)) restoreFocus();
        if (onActivate) onActivate(*this);
      } else if (onDeactivate) {
        onDeactivate(*this);
      }
      return res;
    }
    case WM_SIZE:
      if (app().mainForm() == this) app().mainFormIconic(wp == SIZE_MINIMIZED);
      break;
    case WM_GETMINMAXINFO:
      if (onCanResize) {
        // The smallest size the form allows, for the window manager too.
        int w = 0, h = 0;
        onCanResize(*this, w, h);
        auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
        mmi->ptMinTrackSize.x = std::max<LONG>(mmi->ptMinTrackSize.x, w);
        mmi->ptMinTrackSize.y = std::max<LONG>(mmi->ptMinTrackSize.y, h);
        return 0;
      }
      break;
    case kReapplySize:
      ::SetWindowPos(handle_, nullptr, 0, 0, width(), height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    case WM_ACTIVATEAPP:
      app().activeChanged(wp != FALSE);
      break;
    case WM_WINDOWPOSCHANGING:
      if (onCanResize) {
        auto* wpos = reinterpret_cast<WINDOWPOS*>(lp);
        if (!(wpos->flags & SWP_NOSIZE) && !::IsIconic(handle_)) {
          const int w = wpos->cx, h = wpos->cy;
          onCanResize(*this, wpos->cx, wpos->cy);
          if (wpos->cx != w || wpos->cy != h) ::PostMessageA(handle_, kReapplySize, 0, 0);
        }
      }
      break;
    case WM_SIZING:
      if (onCanResize) {
        auto* rc = reinterpret_cast<RECT*>(lp);
        int w = rc->right - rc->left, h = rc->bottom - rc->top;
        onCanResize(*this, w, h);
        if (wp == WMSZ_LEFT || wp == WMSZ_TOPLEFT || wp == WMSZ_BOTTOMLEFT) rc->left = rc->right - w; else rc->right = rc->left + w;
        if (wp == WMSZ_TOP || wp == WMSZ_TOPLEFT || wp == WMSZ_TOPRIGHT) rc->top = rc->bottom - h; else rc->bottom = rc->top + h;
        return TRUE;
      }
      break;
    default: break;
  }
  return Control::wndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- menus

MenuItem::MenuItem(Component* owner, MenuItem* parent, const std::string& name, const std::string& caption,
                   ShortCut shortcut)
    : Component(owner, name), caption_(caption), shortcut_(shortcut), id_(g_nextMenuId++) {
  if (parent) parent->items_.push_back(this);
}

MenuItem::MenuItem(Component* owner, MainMenu* menu, const std::string& name, const std::string& caption)
    : Component(owner, name), caption_(caption), id_(g_nextMenuId++) {
  if (menu) menu->items_.push_back(this);
}

std::string MenuItem::itemText() const {
  std::string t = caption_;
  if (!shortcut_.key) return t;
  t += '\t';
  if (shortcut_.ctrl) t += "Ctrl+";
  if (shortcut_.shift) t += "Shift+";
  if (shortcut_.alt) t += "Alt+";
  if (shortcut_.key >= VK_F1 && shortcut_.key <= VK_F24) t += "F" + std::to_string(shortcut_.key - VK_F1 + 1);
  else t += static_cast<char>(shortcut_.key);
  return t;
}

HMENU MenuItem::build() {
  if (items_.empty()) return nullptr;
  popup_ = ::CreatePopupMenu();
  int pos = 0;
  for (MenuItem* it : items_) {
    it->parentMenu_ = popup_;
    it->position_ = pos++;
    HMENU sub = it->build();
    std::string text = it->itemText();
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING | (sub ? MIIM_SUBMENU : 0);
    mi.fType = it->caption_ == "-" ? MFT_SEPARATOR : (it->radio_ ? MFT_RADIOCHECK : 0);
    mi.fState = (it->checked_ ? MFS_CHECKED : 0) | (it->enabled_ ? 0 : MFS_DISABLED);
    mi.wID = it->id_;
    mi.hSubMenu = sub;
    mi.dwTypeData = &text[0];
    ::InsertMenuItemA(popup_, static_cast<UINT>(it->position_), TRUE, &mi);
  }
  return popup_;
}

void MenuItem::update() {
  if (!parentMenu_) return;
  std::string text = itemText();
  MENUITEMINFOA mi{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | (caption_ == "-" ? 0 : MIIM_STRING);
  mi.fType = caption_ == "-" ? MFT_SEPARATOR : (radio_ ? MFT_RADIOCHECK : 0);
  mi.fState = (checked_ ? MFS_CHECKED : 0) | (enabled_ ? 0 : MFS_DISABLED);
  mi.wID = id_;
  mi.dwTypeData = &text[0];
  ::SetMenuItemInfoA(parentMenu_, static_cast<UINT>(position_), TRUE, &mi);
  // Captions of the menu bar itself need a redraw.
  if (Form* f = dynamic_cast<Form*>(owner()))
    if (::GetMenu(f->handle()) == parentMenu_) ::DrawMenuBar(f->handle());
}

void MenuItem::setCaption(const std::string& c) { caption_ = c; update(); }
void MenuItem::setChecked(bool c) { checked_ = c; update(); }
void MenuItem::setRadioItem(bool r) { radio_ = r; update(); }
void MenuItem::setEnabled(bool e) { enabled_ = e; update(); }

MainMenu::MainMenu(Form* owner, const std::string& name) : Component(owner, name) {}

MainMenu::~MainMenu() {
  if (menu_ && !::GetMenu(owner() ? static_cast<Form*>(owner())->handle() : nullptr)) ::DestroyMenu(menu_);
}

HMENU MainMenu::build() {
  if (menu_) return menu_;
  menu_ = ::CreateMenu();
  int pos = 0;
  for (MenuItem* it : items_) {
    it->parentMenu_ = menu_;
    it->position_ = pos++;
    HMENU sub = it->build();
    std::string text = it->itemText();
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof(mi);
    mi.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | (sub ? MIIM_SUBMENU : 0);
    mi.fState = it->enabled_ ? 0 : MFS_DISABLED;
    mi.wID = it->id_;
    mi.hSubMenu = sub;
    mi.dwTypeData = &text[0];
    ::InsertMenuItemA(menu_, static_cast<UINT>(it->position_), TRUE, &mi);
  }
  return menu_;
}

namespace {
template <class Pred>
MenuItem* findIn(const std::vector<MenuItem*>& items, Pred pred) {
  for (MenuItem* it : items) {
    if (pred(it)) return it;
    if (MenuItem* sub = findIn(it->items(), pred)) return sub;
  }
  return nullptr;
}
}  // namespace

MenuItem* MainMenu::findById(UINT id) const {
  return findIn(items_, [id](MenuItem* m) { return m->id() == id; });
}
MenuItem* MainMenu::findByPopup(HMENU popup) const {
  return findIn(items_, [popup](MenuItem* m) { return m->popup_ == popup; });
}
MenuItem* MainMenu::findShortCut(const ShortCut& sc) const {
  return findIn(items_, [&sc](MenuItem* m) {
    const ShortCut& s = m->shortcut();
    return s.key && s.key == sc.key && s.ctrl == sc.ctrl && s.shift == sc.shift && s.alt == sc.alt;
  });
}

// ---------------------------------------------------------------- SaveDialog

bool SaveDialog::execute(HWND owner) {
  std::string filt = filter;
  std::replace(filt.begin(), filt.end(), '|', '\0');
  filt.push_back('\0');
  filt.push_back('\0');
  char buf[MAX_PATH * 4] = {};
  lstrcpynA(buf, fileName.c_str(), sizeof(buf));
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filt.c_str();
  ofn.lpstrFile = buf;
  ofn.nMaxFile = sizeof(buf);
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (overwritePrompt ? OFN_OVERWRITEPROMPT : 0);
  // The owner takes no input from the dialog's first moment on: the system
  // disables it only once the dialog is built, which can take seconds while
  // the dialog already shows.
  const bool disable = owner && ::IsWindowEnabled(owner);
  if (disable) ::EnableWindow(owner, FALSE);
  const bool quit = !app().processMessagesFor(kSettleMs);
  const bool chosen = !quit && win::GetSaveFileName(ofn);
  if (disable) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);   // the system found it disabled when the dialog closed
  }
  if (quit) ::PostQuitMessage(0);   // for the loop that waits outside
  if (!chosen) return false;
  fileName = buf;
  return true;
}

}  // namespace win
