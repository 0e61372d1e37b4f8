#include "win/Gui.h"
#include "win/GuiForm.h"
#include <commctrl.h>
#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace win {

namespace {
const char kContainerClass[] = "QzWinContainer";
int g_nextId = 1000;   // clear of IDOK, IDCANCEL and friends

// Our windows: the control each belongs to and the procedure it had before we
// subclassed it (none for windows of our own class). Kept here rather than in
// window properties: under wine every property read is a round trip to the
// window server, and one happened on every message.
struct OurWindow {
  Control* control;
  WNDPROC oldProc;
};
std::mutex g_windowsLock;
std::unordered_map<HWND, OurWindow> g_windows;

void rememberWindow(HWND h, Control* c, WNDPROC oldProc) {
  std::lock_guard<std::mutex> hold(g_windowsLock);
  g_windows[h] = OurWindow{c, oldProc};
}
void forgetWindow(HWND h) {
  std::lock_guard<std::mutex> hold(g_windowsLock);
  g_windows.erase(h);
}
bool findWindow(HWND h, OurWindow& w) {
  std::lock_guard<std::mutex> hold(g_windowsLock);
  auto it = g_windows.find(h);
  if (it == g_windows.end()) return false;
  w = it->second;
  return true;
}

// Messages that reach the parent on behalf of a child control.
HWND notifySource(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: return reinterpret_cast<HWND>(lp);
    case WM_NOTIFY: return reinterpret_cast<NMHDR*>(lp)->hwndFrom;
    case WM_DRAWITEM: return reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
    case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: return reinterpret_cast<HWND>(lp);
    default: (void)wp; return nullptr;
  }
}
}  // namespace

// ---------------------------------------------------------------- Component

Component::Component(Component* owner, const std::string& name) : owner_(owner), name_(name) {
  if (owner_) owner_->components_.push_back(this);
}

Component::~Component() {
  while (!components_.empty()) {
    Component* c = components_.back();
    c->owner_ = nullptr;
    components_.pop_back();
    delete c;
  }
  if (owner_) {
    auto& v = owner_->components_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
}

// ---------------------------------------------------------------- window procedures

LRESULT CALLBACK containerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    auto* c = static_cast<Control*>(cs->lpCreateParams);
    ::SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
    if (c) rememberWindow(h, c, nullptr);
    if (c) c->handle_ = h;
  }
  auto* c = reinterpret_cast<Control*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
  if (!c) return ::DefWindowProcA(h, msg, wp, lp);
  LRESULT r = 0;
  try {
    r = c->wndProc(msg, wp, lp);
  } catch (...) {
    ::OutputDebugStringA("QzWin: exception in a window procedure swallowed\n");
  }
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(h, GWLP_USERDATA, 0);
    forgetWindow(h);
    c->handle_ = nullptr;
  }
  return r;
}

LRESULT CALLBACK subclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  OurWindow w{};
  if (!findWindow(h, w) || !w.oldProc) return ::DefWindowProcA(h, msg, wp, lp);
  Control* c = w.control;
  const WNDPROC old = w.oldProc;
  if (!c) return ::CallWindowProcA(old, h, msg, wp, lp);
  LRESULT r = 0;
  try {
    r = (h == c->handle_) ? c->wndProc(msg, wp, lp) : c->satelliteProc(h, old, msg, wp, lp);
  } catch (...) {
    ::OutputDebugStringA("QzWin: exception in a window procedure swallowed\n");
  }
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    forgetWindow(h);
    if (h == c->handle_) c->handle_ = nullptr;
  }
  return r;
}

// ---------------------------------------------------------------- Control

Control::Control(Component* owner, Control* parent, const std::string& name)
    : Component(owner, name), id_(g_nextId++), parent_(parent) {
  app().initialize();
  if (parent_) {
    parent_->controls_.push_back(this);
    font_ = parent_->font_;
    hfont_ = parent_->hfont_;
  }
}

Control::~Control() {
  app().forget(this);
  for (Control* child : controls_) child->parent_ = nullptr;
  if (parent_) {
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  destroyHandle();
}

void Control::detach() {
  if (!handle_) return;
  for (HWND s : satellites_) {
    OurWindow w{};
    if (findWindow(s, w) && w.oldProc && ::IsWindow(s))
      ::SetWindowLongPtrA(s, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(w.oldProc));
    forgetWindow(s);
  }
  satellites_.clear();
  if (oldProc_) {
    ::SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
  } else {
    ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
  }
  forgetWindow(handle_);
}

void Control::destroyHandle() {
  if (!handle_) return;
  HWND h = handle_;
  detach();   // no more messages reach this object while the window dies
  handle_ = nullptr;
  oldProc_ = nullptr;
  ::DestroyWindow(h);
}

void Control::createHandle(const char* cls, DWORD style, DWORD exStyle, int l, int t, int w, int h) {
  HWND parentWnd = parent_ ? parent_->handle_ : nullptr;
  if (parentWnd) style |= WS_CHILD | WS_CLIPSIBLINGS;
  HMENU idOrMenu = parentWnd ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)) : nullptr;
  if (!cls) {
    handle_ = ::CreateWindowExA(exStyle, kContainerClass, "", style, l, t, w, h, parentWnd, idOrMenu,
                                ::GetModuleHandleA(nullptr), this);
  } else {
    handle_ = ::CreateWindowExA(exStyle, cls, "", style, l, t, w, h, parentWnd, idOrMenu,
                                ::GetModuleHandleA(nullptr), nullptr);
    if (handle_) {
      oldProc_ = reinterpret_cast<WNDPROC>(
          ::SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&subclassProc)));
      rememberWindow(handle_, this, oldProc_);
    }
  }
  applyFont();
  recordAnchorMargins();
  if (!hint_.empty()) registerHint(handle_);
}

void Control::adoptChild(HWND child) {
  OurWindow known{};
  if (!child || findWindow(child, known)) return;
  auto old = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&subclassProc)));
  rememberWindow(child, this, old);
  satellites_.push_back(child);
  if (!hint_.empty()) registerHint(child);
}

Control* Control::fromHandle(HWND h) {
  OurWindow w{};
  return h && findWindow(h, w) ? w.control : nullptr;
}

Form* Control::parentForm() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<Form*>(const_cast<Control*>(c));
}

namespace {
RECT boundsInParent(HWND h) {
  RECT r{};
  if (!h) return r;
  ::GetWindowRect(h, &r);
  HWND p = ::GetParent(h);
  if (p && (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) ::MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
}  // namespace

int Control::left() const { return boundsInParent(handle_).left; }
int Control::top() const { return boundsInParent(handle_).top; }
int Control::width() const { RECT r = boundsInParent(handle_); return r.right - r.left; }
int Control::height() const { RECT r = boundsInParent(handle_); return r.bottom - r.top; }
int Control::clientWidth() const { RECT r{}; if (handle_) ::GetClientRect(handle_, &r); return r.right; }
int Control::clientHeight() const { RECT r{}; if (handle_) ::GetClientRect(handle_, &r); return r.bottom; }

void Control::setBounds(int l, int t, int w, int h) {
  if (handle_) ::MoveWindow(handle_, l, t, std::max(0, w), std::max(0, h), TRUE);
  recordAnchorMargins();
}

bool Control::visible() const { return handle_ && (::GetWindowLongA(handle_, GWL_STYLE) & WS_VISIBLE); }
void Control::setVisible(bool v) { if (handle_) ::ShowWindow(handle_, v ? SW_SHOWNA : SW_HIDE); }
bool Control::enabled() const { return handle_ && ::IsWindowEnabled(handle_); }
void Control::setEnabled(bool e) { if (handle_) ::EnableWindow(handle_, e); }
void Control::setFocus() { if (handle_) ::SetFocus(handle_); }
bool Control::focused() const {
  HWND f = ::GetFocus();
  return handle_ && f && (f == handle_ || ::IsChild(handle_, f));
}
void Control::setTabStop(bool t) {
  if (!handle_) return;
  const LONG style = ::GetWindowLongA(handle_, GWL_STYLE);
  ::SetWindowLongA(handle_, GWL_STYLE, t ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

void Control::setAnchors(unsigned a) { anchors_ = a; recordAnchorMargins(); }
void Control::setAlign(Align a) { align_ = a; if (parent_) parent_->realign(); }

void Control::recordAnchorMargins() {
  if (!parent_ || !handle_) return;
  marginRight_ = parent_->clientWidth() - (left() + width());
  marginBottom_ = parent_->clientHeight() - (top() + height());
}

void Control::realign() {
  RECT area{0, 0, clientWidth(), clientHeight()};
  for (Control* c : controls_) {
    if (!c->handle_ || c->align_ == Align::None || !c->visible()) continue;
    int w = c->width(), h = c->height();
    switch (c->align_) {
      case Align::Top: ::MoveWindow(c->handle_, area.left, area.top, area.right - area.left, h, TRUE); area.top += h; break;
      case Align::Bottom: ::MoveWindow(c->handle_, area.left, area.bottom - h, area.right - area.left, h, TRUE); area.bottom -= h; break;
      case Align::Left: ::MoveWindow(c->handle_, area.left, area.top, w, area.bottom - area.top, TRUE); area.left += w; break;
      case Align::Right: ::MoveWindow(c->handle_, area.right - w, area.top, w, area.bottom - area.top, TRUE); area.right -= w; break;
      default: break;
    }
  }
  for (Control* c : controls_) {
    if (!c->handle_) continue;
    if (c->align_ == Align::Client) {
      ::MoveWindow(c->handle_, area.left, area.top, std::max(0L, area.right - area.left),
                   std::max(0L, area.bottom - area.top), TRUE);
    } else if (c->align_ == Align::None && (c->anchors_ & (akRight | akBottom))) {
      int l = c->left(), t = c->top(), w = c->width(), h = c->height();
      int pw = clientWidth(), ph = clientHeight();
      if (c->anchors_ & akRight) {
        if (c->anchors_ & akLeft) w = pw - l - c->marginRight_; else l = pw - w - c->marginRight_;
      }
      if (c->anchors_ & akBottom) {
        if (c->anchors_ & akTop) h = ph - t - c->marginBottom_; else t = ph - h - c->marginBottom_;
      }
      c->setBounds(l, t, w, h);   // keeps the margins it had
    }
  }
}

void Control::setFont(const Font& f) {
  font_ = f;
  ownFont_ = true;
  LOGFONTA lf{};
  lf.lfHeight = f.height;
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = f.italic;
  lf.lfUnderline = f.underline;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, f.name.c_str(), LF_FACESIZE);
  hfont_ = std::make_shared<GdiObject>(::CreateFontIndirectA(&lf));
  applyFont();
  fontChanged();
  // Children that never got a font of their own follow their parent.
  for (Control* c : controls_) {
    if (!c->ownFont_) { c->setFont(f); c->ownFont_ = false; }
  }
}

void Control::applyFont() {
  if (!handle_ || !hfont_ || !hfont_->valid()) return;
  HFONT hf = static_cast<HFONT>(hfont_->get());
  ::SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(hf), TRUE);
  for (HWND s : satellites_) ::SendMessageA(s, WM_SETFONT, reinterpret_cast<WPARAM>(hf), TRUE);
}

void Control::setColor(COLORREF c) {
  color_ = c;
  brush_.reset(c == CLR_DEFAULT ? nullptr : ::CreateSolidBrush(c));
  if (handle_) ::InvalidateRect(handle_, nullptr, TRUE);
}

HBRUSH Control::backgroundBrush() {
  for (Control* c = this; c; c = c->parent_) {
    if (c->brush_) return static_cast<HBRUSH>(c->brush_.get());
  }
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH Control::ctlColor(UINT msg, HDC dc) {
  if (font_.color != CLR_DEFAULT) ::SetTextColor(dc, font_.color);
  if (brush_) {
    ::SetBkColor(dc, color_);
    return static_cast<HBRUSH>(brush_.get());
  }
  if (transparentBackground()) {
    if (font_.color == CLR_DEFAULT) ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkMode(dc, TRANSPARENT);
    Control* p = parent_ ? parent_ : this;
    return p->backgroundBrush();
  }
  if (font_.color == CLR_DEFAULT) return nullptr;
  // The system's background, but our text colour (the default handling would reset it).
  int sys = msg == WM_CTLCOLORSTATIC ? COLOR_BTNFACE : COLOR_WINDOW;
  ::SetBkColor(dc, ::GetSysColor(sys));
  return ::GetSysColorBrush(sys);
}

std::string Control::caption() const {
  if (!handle_) return {};
  int n = ::GetWindowTextLengthA(handle_);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = ::GetWindowTextA(handle_, &s[0], n + 1);
  s.resize(static_cast<size_t>(std::max(0, n)));
  return s;
}

void Control::setCaption(const std::string& s) {
  if (handle_) ::SetWindowTextA(handle_, s.c_str());
}

void Control::setHint(const std::string& h) {
  bool first = hint_.empty();
  hint_ = h;
  if (first && !h.empty() && handle_) {
    registerHint(handle_);
    for (HWND s : satellites_) registerHint(s);
  }
}

void Control::registerHint(HWND h) {
  if (Form* f = parentForm()) f->addHintTool(h);
}

bool Control::handleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Control::defaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  return oldProc_ ? ::CallWindowProcA(oldProc_, handle_, msg, wp, lp) : ::DefWindowProcA(handle_, msg, wp, lp);
}

bool Control::keyMessage(UINT msg, WPARAM& wp) {
  if (msg == WM_CHAR && onKeyPress) {
    char key = static_cast<char>(wp);
    onKeyPress(*this, key);
    if (key == 0) return true;
    wp = static_cast<unsigned char>(key);
    return false;
  }
  KeyEvent* ev = msg == WM_KEYDOWN ? &onKeyDown : msg == WM_KEYUP ? &onKeyUp : nullptr;
  if (!ev || !*ev) return false;
  WORD key = static_cast<WORD>(wp);
  (*ev)(*this, key);
  if (key == 0) return true;   // the handler swallowed the key
  wp = key;
  return false;
}

LRESULT Control::satelliteProc(HWND h, WNDPROC old, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  if (handleMessage(msg, wp, lp, r)) return r;
  if (keyMessage(msg, wp)) return 0;
  if (msg == WM_SETCURSOR && cursor_) { ::SetCursor(::LoadCursorA(nullptr, cursor_)); return TRUE; }
  if (msg == WM_SETFOCUS)
    if (Form* f = parentForm()) f->focusMoved(h);
  return ::CallWindowProcA(old, h, msg, wp, lp);
}

LRESULT Control::wndProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  if (handleMessage(msg, wp, lp, r)) return r;
  if (HWND src = notifySource(msg, wp, lp)) {
    Control* child = fromHandle(src);
    if (child && child != this) {
      switch (msg) {
        case WM_COMMAND: child->command(HIWORD(wp)); return 0;
        case WM_NOTIFY: if (child->notify(reinterpret_cast<NMHDR*>(lp), r)) return r; break;
        case WM_DRAWITEM: child->drawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp)); return TRUE;
        default:   // WM_CTLCOLOR*
          if (HBRUSH b = child->ctlColor(msg, reinterpret_cast<HDC>(wp))) return reinterpret_cast<LRESULT>(b);
          break;
      }
    }
  }
  if (keyMessage(msg, wp)) return 0;
  switch (msg) {
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mi->CtlType == ODT_LISTBOX) { mi->itemHeight = 16; return TRUE; }
      break;
    }
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) {
        LRESULT res = defaultProc(msg, wp, lp);
        realign();
        if (onResize) onResize(*this);
        return res;
      }
      break;
    case WM_SETFOCUS:
      if (Form* f = parentForm()) f->focusMoved(handle_);
      if (onEnter) onEnter(*this);
      break;
    case WM_KILLFOCUS: if (onExit) onExit(*this); break;
    case WM_SETCURSOR:
      if (cursor_ && reinterpret_cast<HWND>(wp) == handle_) { ::SetCursor(::LoadCursorA(nullptr, cursor_)); return TRUE; }
      break;
    case WM_GETFONT:
      if (!oldProc_) return reinterpret_cast<LRESULT>(fontHandle());
      break;
    case WM_ERASEBKGND:
      if (!oldProc_) {
        RECT rc; ::GetClientRect(handle_, &rc);
        ::FillRect(reinterpret_cast<HDC>(wp), &rc, backgroundBrush());
        return 1;
      }
      break;
    default: break;
  }
  return defaultProc(msg, wp, lp);
}

// ---------------------------------------------------------------- Application

Application& Application::instance() {
  static Application a;
  return a;
}

void Application::initialize() {
  if (initialized_) return;
  initialized_ = true;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &containerProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = ::LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
  if (!wc.hIcon) wc.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
  wc.lpszClassName = kContainerClass;
  ::RegisterClassExA(&wc);
  ::SetTimer(nullptr, 0, 50, &Application::mouseTimer);
}

HWND Application::handle() const { return mainForm_ ? mainForm_->handle() : nullptr; }

void CALLBACK Application::mouseTimer(HWND, UINT, UINT_PTR, DWORD) {
  POINT pt;
  if (::GetCursorPos(&pt)) instance().trackMouseAt(pt);
}

void Application::trackMouseAt(POINT screen) { trackMouseOver(::WindowFromPoint(screen), &screen); }

namespace {
bool pointInside(Control* c, POINT screen) {
  RECT r;
  return c->handle() && ::IsWindowVisible(c->handle()) && ::GetWindowRect(c->handle(), &r) && ::PtInRect(&r, screen);
}
}  // namespace

void Application::trackMouseOver(HWND window, const POINT* screen) {
  std::vector<Control*> now;
  for (HWND h = window; h; h = ::GetAncestor(h, GA_PARENT)) {
    Control* c = Control::fromHandle(h);
    if (c && std::find(now.begin(), now.end(), c) == now.end()) now.push_back(c);
    if (h == ::GetDesktopWindow()) break;
  }
  if (screen && now.empty()) {
    // Still inside: a popup over the control is no leave (typing there must
    // not count as leaving it).
    for (Control* c : underMouse_)
      if (pointInside(c, *screen)) now.push_back(c);
  }
  // Leaving runs deepest first, entering outermost first, as the pointer moves.
  // A handler may free controls: forget() drops them from both lists.
  pendingLeave_.clear();
  for (Control* c : underMouse_)
    if (std::find(now.begin(), now.end(), c) == now.end()) pendingLeave_.push_back(c);
  std::vector<Control*> old = underMouse_;
  underMouse_ = now;
  while (!pendingLeave_.empty()) {
    Control* c = pendingLeave_.front();
    pendingLeave_.erase(pendingLeave_.begin());
    c->mouseLeave();
  }
  for (auto it = now.rbegin(); it != now.rend(); ++it) {
    if (std::find(old.begin(), old.end(), *it) != old.end()) continue;
    if (std::find(underMouse_.begin(), underMouse_.end(), *it) == underMouse_.end()) continue;  // freed meanwhile
    (*it)->mouseEnter();
  }
}

void Application::forget(Control* c) {
  underMouse_.erase(std::remove(underMouse_.begin(), underMouse_.end(), c), underMouse_.end());
  pendingLeave_.erase(std::remove(pendingLeave_.begin(), pendingLeave_.end(), c), pendingLeave_.end());
  if (mainForm_ == c) mainForm_ = nullptr;
}

namespace {
struct ShownForms {
  HWND except;
  std::vector<HWND> forms;
};

BOOL CALLBACK collectShownForm(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<ShownForms*>(lp);
  // A modal form stays: hiding it would end its run.
  auto* f = dynamic_cast<Form*>(Control::fromHandle(h));
  if (h != s->except && f && !f->modal() && ::IsWindowVisible(h)) s->forms.push_back(h);
  return TRUE;
}
}  // namespace

void Application::mainFormIconic(bool iconic) {
  if (!iconic) {
    std::vector<HWND> back;
    back.swap(hiddenWithMain_);
    for (HWND h : back)
      if (::IsWindow(h)) ::ShowWindow(h, SW_SHOWNOACTIVATE);
    return;
  }
  if (!hiddenWithMain_.empty() || !mainForm_) return;   // down already
  ShownForms shown{mainForm_->handle(), {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), &collectShownForm, reinterpret_cast<LPARAM>(&shown));
  for (HWND h : shown.forms) ::ShowWindow(h, SW_HIDE);
  hiddenWithMain_ = shown.forms;
}

void Application::activeChanged(bool active) {
  if (active == active_) return;
  active_ = active;
  FormNotify& ev = active ? onActivate : onDeactivate;
  if (ev && mainForm_) ev(*mainForm_);
}

void Application::dispatch(MSG& msg) {
  HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  Form* f = dynamic_cast<Form*>(Control::fromHandle(root));
  if (f && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && f->isShortCut(msg)) return;
  // Alt with a letter, or a letter where the focused control takes no
  // characters, may be a caption's underlined letter.
  if (f && (msg.message == WM_SYSCHAR ||
            (msg.message == WM_CHAR && !(::SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
                                         (DLGC_WANTCHARS | DLGC_WANTALLKEYS)))) &&
      f->dialogChar(static_cast<char>(msg.wParam)))
    return;
  if (f && ::IsDialogMessageA(root, &msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageA(&msg);
}

void Application::processMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) { terminated_ = true; break; }
    dispatch(msg);
  }
}

bool Application::processMessagesFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) { terminated_ = true; return false; }
      dispatch(msg);
    }
    if (::GetTickCount() - start >= ms) return true;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void Application::run() {
  if (mainForm_ && !mainForm_->visible() && mainForm_->windowState() != WindowState::Minimized) mainForm_->show();
  MSG msg;
  while (!terminated_) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) { terminated_ = true; break; }
    dispatch(msg);
  }
}

void Application::terminate() {
  terminated_ = true;
  ::PostQuitMessage(0);
}

}  // namespace win
