#include "win/GuiControls.h"
#include "win/FileNames.h"
#include "win/GuiForm.h"
#include "win/SystemDlls.h"
#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>

namespace win {

namespace {
std::string listText(HWND h, UINT lenMsg, UINT textMsg, int i) {
  LRESULT n = ::SendMessageA(h, lenMsg, static_cast<WPARAM>(i), 0);
  if (n < 0) return {};
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = ::SendMessageA(h, textMsg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&s[0]));
  s.resize(static_cast<size_t>(std::max<LRESULT>(0, n)));
  return s;
}
}  // namespace

// ---------------------------------------------------------------- Panel, GroupBox

Panel::Panel(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h)
    : Control(owner, parent, name) {
  createHandle(nullptr, WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, l, t, w, h);
}

void Panel::setCaption(const std::string& s) {
  caption_ = s;
  if (handle_) ::InvalidateRect(handle_, nullptr, TRUE);
}

bool Panel::handleMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg != WM_PAINT) return false;
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(handle_, &ps);
  paint(dc);
  ::EndPaint(handle_, &ps);
  result = 0;
  return true;
}

void Panel::paint(HDC dc) {
  RECT rc;
  ::GetClientRect(handle_, &rc);
  if (bevel_) ::DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
  if (caption_.empty()) return;
  ::SetBkMode(dc, TRANSPARENT);
  if (font().color != CLR_DEFAULT) ::SetTextColor(dc, font().color);
  SelectScope sel(dc, fontHandle());
  ::DrawTextA(dc, caption_.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void GroupBox::paint(HDC dc) {
  RECT rc;
  ::GetClientRect(handle_, &rc);
  SelectScope sel(dc, fontHandle());
  TEXTMETRICA tm{};
  ::GetTextMetricsA(dc, &tm);
  RECT frame = rc;
  frame.top += tm.tmHeight / 2;
  ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (caption_.empty()) return;
  SIZE sz{};
  ::GetTextExtentPoint32A(dc, caption_.c_str(), static_cast<int>(caption_.size()), &sz);
  RECT text{8, 0, 8 + sz.cx, tm.tmHeight};
  ::SetBkMode(dc, OPAQUE);
  ::SetBkColor(dc, color() != CLR_DEFAULT ? color() : ::GetSysColor(COLOR_BTNFACE));
  if (font().color != CLR_DEFAULT) ::SetTextColor(dc, font().color);
  ::DrawTextA(dc, caption_.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE);
}

// ---------------------------------------------------------------- Label

Label::Label(Component* owner, Control* parent, const std::string& name, const std::string& caption, int l, int t,
             int w, int h)
    : Control(owner, parent, name) {
  createHandle("STATIC", WS_VISIBLE | SS_LEFT | SS_NOTIFY, 0, l, t, w, h);
  autoSize_ = (w == 0 && h == 0);
  setCaption(caption);
}

void Label::setCaption(const std::string& s) {
  Control::setCaption(s);
  adjustSize();
  if (handle_) ::InvalidateRect(handle_, nullptr, TRUE);
}

void Label::adjustSize() {
  if (!autoSize_ || !handle_) return;
  WindowDc wdc(handle_);
  HFONT hf = reinterpret_cast<HFONT>(::SendMessageA(handle_, WM_GETFONT, 0, 0));
  SelectScope sel(wdc.get(), hf);
  std::string s = caption();
  RECT r{0, 0, 0, 0};
  ::DrawTextA(wdc.get(), s.empty() ? " " : s.c_str(), -1, &r, DT_CALCRECT | DT_LEFT);
  ::SetWindowPos(handle_, nullptr, 0, 0, s.empty() ? 0 : r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::command(WORD code) {
  if (code == STN_CLICKED) click();
  else if (code == STN_DBLCLK && onDblClick) onDblClick(*this);
}

// ---------------------------------------------------------------- Button

Button::Button(Component* owner, Control* parent, const std::string& name, const std::string& caption, int l, int t,
               int w, int h)
    : Control(owner, parent, name) {
  createHandle("BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, l, t, w, h);
  setCaption(caption);
}

void Button::setDefault(bool d) {
  ::SendMessageA(handle_, BM_SETSTYLE, d ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  if (Form* f = parentForm()) f->setDefaultButton(d ? this : nullptr);
}

void Button::setCancel(bool c) {
  if (Form* f = parentForm()) f->setCancelButton(c ? this : nullptr);
}

void Button::click() {
  Control::click();
  if (modalResult != 0)
    if (Form* f = parentForm()) f->setModalResult(modalResult);
}

void Button::command(WORD code) {
  if (code == BN_CLICKED) click();
}

SpeedButton::SpeedButton(Component* owner, Control* parent, const std::string& name, const std::string& caption, int l,
                         int t, int w, int h)
    : Button(owner, parent, name, caption, l, t, w, h) {
  ::SetWindowLongA(handle_, GWL_STYLE, ::GetWindowLongA(handle_, GWL_STYLE) & ~WS_TABSTOP);
}

// ---------------------------------------------------------------- CheckBox

CheckBox::CheckBox(Component* owner, Control* parent, const std::string& name, const std::string& caption, int l,
                   int t, int w, int h)
    : Control(owner, parent, name) {
  createHandle("BUTTON", WS_VISIBLE | WS_TABSTOP | BS_3STATE, 0, l, t, w, h);
  setCaption(caption);
}

void CheckBox::setState(CheckState s) {
  if (s == state_) return;
  state_ = s;
  WPARAM v = s == CheckState::Checked ? BST_CHECKED : s == CheckState::Grayed ? BST_INDETERMINATE : BST_UNCHECKED;
  if (handle_) ::SendMessageA(handle_, BM_SETCHECK, v, 0);
  click();
}

void CheckBox::toggle() {
  switch (state_) {
    case CheckState::Unchecked: setState(allowGrayed_ ? CheckState::Grayed : CheckState::Checked); break;
    case CheckState::Checked: setState(CheckState::Unchecked); break;
    case CheckState::Grayed: setState(CheckState::Checked); break;
  }
}

void CheckBox::command(WORD code) {
  if (code == BN_CLICKED) toggle();
}

// ---------------------------------------------------------------- Edit, Memo

Edit::Edit(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h)
    : Edit(owner, parent, name, ES_AUTOHSCROLL, l, t, w, h) {}

Edit::Edit(Component* owner, Control* parent, const std::string& name, DWORD style, int l, int t, int w, int h)
    : Control(owner, parent, name) {
  createHandle("EDIT", WS_VISIBLE | WS_TABSTOP | style, WS_EX_CLIENTEDGE, l, t, w, h);
}

void Edit::setReadOnly(bool r) { ::SendMessageA(handle_, EM_SETREADONLY, r, 0); }

int Edit::selStart() const {
  DWORD s = 0, e = 0;
  ::SendMessageA(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<int>(s);
}
int Edit::selLength() const {
  DWORD s = 0, e = 0;
  ::SendMessageA(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<int>(e - s);
}
void Edit::setSel(int start, int length) { ::SendMessageA(handle_, EM_SETSEL, start, start + length); }

void Edit::command(WORD code) {
  if (code == EN_CHANGE && onChange) onChange(*this);
}

Memo::Memo(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h, ScrollBars sb,
           bool wordWrap)
    : Edit(owner, parent, name,
           ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | (wordWrap ? 0 : ES_AUTOHSCROLL) |
               ((sb == ScrollBars::Vertical || sb == ScrollBars::Both) ? WS_VSCROLL : 0) |
               ((sb == ScrollBars::Horizontal || sb == ScrollBars::Both) ? WS_HSCROLL : 0),
           l, t, w, h) {}

std::vector<std::string> Memo::lines() const {
  std::vector<std::string> out;
  std::string t = text();
  if (t.empty()) return out;
  size_t pos = 0;
  for (;;) {
    size_t e = t.find("\r\n", pos);
    if (e == std::string::npos) { out.push_back(t.substr(pos)); break; }
    out.push_back(t.substr(pos, e - pos));
    pos = e + 2;
    if (pos == t.size()) break;   // a final line break ends the last line
  }
  return out;
}

void Memo::setLines(const std::vector<std::string>& lines) {
  std::string t;
  for (const auto& l : lines) t += l + "\r\n";
  setText(t);
}

int Memo::lineCount() const { return static_cast<int>(::SendMessageA(handle_, EM_GETLINECOUNT, 0, 0)); }
int Memo::firstVisibleLine() const { return static_cast<int>(::SendMessageA(handle_, EM_GETFIRSTVISIBLELINE, 0, 0)); }

bool Memo::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != WM_GETDLGCODE) return Edit::handleMessage(msg, wp, lp, result);
  result = defaultProc(msg, wp, lp);
  const MSG* m = reinterpret_cast<const MSG*>(lp);
  if (m && m->message == WM_KEYDOWN && m->wParam == VK_TAB) result &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  return true;
}

void Memo::addLine(const std::string& line) {
  std::string t = text();
  if (!t.empty() && (t.size() < 2 || t.compare(t.size() - 2, 2, "\r\n") != 0)) t += "\r\n";
  setText(t + line + "\r\n");
}

// ---------------------------------------------------------------- ComboBox

ComboBox::ComboBox(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h,
                   ComboStyle style)
    : Control(owner, parent, name), style_(style) {
  build(l, t, w, h);
}

void ComboBox::build(int l, int t, int w, int h) {
  // A drop-down list draws its own items, so that its field can show a text
  // that no item has.
  DWORD st = style_ == ComboStyle::DropDownList ? CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS
             : style_ == ComboStyle::Simple     ? CBS_SIMPLE
                                                : CBS_DROPDOWN;
  createHandle("COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL | st, 0, l, t, w,
               style_ == ComboStyle::Simple ? h : h + 18 * dropDownCount_);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  edit_ = nullptr;
  if (::GetComboBoxInfo(handle_, &info) && info.hwndItem && info.hwndItem != handle_) {
    edit_ = info.hwndItem;
    adoptChild(edit_);
  }
  if (style_ == ComboStyle::DropDownList) {
    // Items as high as the font; the closed box as high as it was before.
    WindowDc wdc(handle_);
    SelectScope sel(wdc.get(), reinterpret_cast<HFONT>(::SendMessageA(handle_, WM_GETFONT, 0, 0)));
    TEXTMETRICA tm{};
    ::GetTextMetricsA(wdc.get(), &tm);
    ::SendMessageA(handle_, CB_SETITEMHEIGHT, 0, tm.tmHeight + 2);
    const int field = static_cast<int>(::SendMessageA(handle_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    if (h > 0 && height() != h)
      ::SendMessageA(handle_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, field + h - height()));
  }
}

void ComboBox::setBounds(int l, int t, int w, int h) {
  if (handle_) ::MoveWindow(handle_, l, t, std::max(0, w), style_ == ComboStyle::Simple ? h : h + 18 * dropDownCount_, TRUE);
  recordAnchorMargins();
}

void ComboBox::setStyle(ComboStyle s) {
  if (s == style_) return;
  std::vector<std::string> list = items();
  int index = itemIndex();
  std::string txt = text();
  int l = left(), t = top(), w = width(), h = height();
  bool vis = visible(), en = enabled(), hadFocus = focused();
  // The new window takes the old one's place: its id and its place in the
  // tab order.
  const LONG_PTR id = ::GetWindowLongPtrA(handle_, GWLP_ID);
  HWND before = ::GetWindow(handle_, GW_HWNDPREV);
  destroyHandle();
  style_ = s;
  listText_.clear();
  build(l, t, w, h);
  ::SetWindowLongPtrA(handle_, GWLP_ID, id);
  ::SetWindowPos(handle_, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (const auto& it : list) addItem(it);
  // The text shown stays; the selection only while it still names that text
  // (a drop-down box keeps its selection when its text is set).
  if (index >= 0 && index < static_cast<int>(list.size()) && list[static_cast<size_t>(index)] == txt)
    setItemIndex(index);
  else
    setText(txt);
  setVisible(vis);
  setEnabled(en);
  if (hadFocus) setFocus();
}

std::string ComboBox::text() const {
  if (style_ == ComboStyle::DropDownList && itemIndex() < 0) return listText_;
  return caption();
}

void ComboBox::setText(const std::string& s) {
  if (style_ == ComboStyle::DropDownList) {
    // The system's search ignores case; the text shown must be the one given.
    int i = 0;
    for (const int n = count(); i < n && item(i) != s;) ++i;
    if (i == count()) i = -1;
    setItemIndex(i);
    if (i < 0) listText_ = s;
    ::InvalidateRect(handle_, nullptr, TRUE);
  } else {
    setCaption(s);
  }
}

void ComboBox::drawItem(DRAWITEMSTRUCT* di) {
  const bool field = di->itemState & ODS_COMBOBOXEDIT;
  const int i = static_cast<int>(di->itemID);
  std::string s = i >= 0 ? item(i) : field ? listText_ : std::string();
  const bool sel = di->itemState & ODS_SELECTED;
  ::FillRect(di->hDC, &di->rcItem, ::GetSysColorBrush(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  ::SetBkMode(di->hDC, TRANSPARENT);
  ::SetTextColor(di->hDC, ::GetSysColor(!enabled() ? COLOR_GRAYTEXT : sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = di->rcItem;
  text.left += 2;
  SelectScope font(di->hDC, reinterpret_cast<HFONT>(::SendMessageA(handle_, WM_GETFONT, 0, 0)));
  ::DrawTextA(di->hDC, s.c_str(), static_cast<int>(s.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (di->itemState & ODS_FOCUS) ::DrawFocusRect(di->hDC, &di->rcItem);
}

bool ComboBox::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if ((msg != WM_GETTEXT && msg != WM_GETTEXTLENGTH) || style_ != ComboStyle::DropDownList || listText_.empty() ||
      itemIndex() >= 0)
    return false;
  if (msg == WM_GETTEXTLENGTH) {
    result = static_cast<LRESULT>(listText_.size());
  } else {
    const size_t n = wp ? std::min(static_cast<size_t>(wp) - 1, listText_.size()) : 0;
    if (wp) {
      char* out = reinterpret_cast<char*>(lp);
      listText_.copy(out, n);
      out[n] = '\0';
    }
    result = static_cast<LRESULT>(n);
  }
  return true;
}

int ComboBox::count() const { return static_cast<int>(::SendMessageA(handle_, CB_GETCOUNT, 0, 0)); }
std::string ComboBox::item(int i) const { return listText(handle_, CB_GETLBTEXTLEN, CB_GETLBTEXT, i); }
std::vector<std::string> ComboBox::items() const {
  std::vector<std::string> v;
  for (int i = 0, n = count(); i < n; ++i) v.push_back(item(i));
  return v;
}
void ComboBox::addItem(const std::string& s) { ::SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())); }
void ComboBox::insertItem(int i, const std::string& s) {
  ::SendMessageA(handle_, CB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.c_str()));
}
void ComboBox::deleteItem(int i) { ::SendMessageA(handle_, CB_DELETESTRING, static_cast<WPARAM>(i), 0); }
void ComboBox::clearItems() {
  // Keep the edit text: the class library empties the list, not the text.
  std::string t = style_ == ComboStyle::DropDownList ? std::string() : text();
  ::SendMessageA(handle_, CB_RESETCONTENT, 0, 0);
  if (!t.empty()) setCaption(t);
}
int ComboBox::itemIndex() const { return static_cast<int>(::SendMessageA(handle_, CB_GETCURSEL, 0, 0)); }
void ComboBox::setItemIndex(int i) {
  listText_.clear();
  ::SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

void ComboBox::setItemText(int i, const std::string& s) {
  if (i < 0 || i >= count()) return;
  bool sel = itemIndex() == i;
  deleteItem(i);
  insertItem(i, s);
  if (sel) setItemIndex(i);
}

int ComboBox::selStart() const {
  DWORD s = 0, e = 0;
  ::SendMessageA(handle_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<int>(s);
}
int ComboBox::selLength() const {
  DWORD s = 0, e = 0;
  ::SendMessageA(handle_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return static_cast<int>(e - s);
}
void ComboBox::setSel(int start, int length) {
  ::SendMessageA(handle_, CB_SETEDITSEL, 0, MAKELPARAM(start, start + length));
}

void ComboBox::command(WORD code) {
  if (code == CBN_EDITCHANGE) {
    if (onChange) onChange(*this);
  } else if (code == CBN_SELCHANGE) {
    // The list's pick is the new text before the handlers see it.
    int i = itemIndex();
    if (i >= 0 && style_ != ComboStyle::DropDownList) setCaption(item(i));
    click();
    if (onChange) onChange(*this);
  } else if (code == CBN_DBLCLK && onDblClick) {
    onDblClick(*this);
  }
}

// ---------------------------------------------------------------- ListBox, CheckListBox

ListBox::ListBox(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h, bool multiSelect)
    : ListBox(owner, parent, name, 0, l, t, w, h, multiSelect) {}

ListBox::ListBox(Component* owner, Control* parent, const std::string& name, DWORD extraStyle, int l, int t, int w,
                 int h, bool multiSelect)
    : Control(owner, parent, name), multiSelect_(multiSelect) {
  createHandle("LISTBOX",
               WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                   (multiSelect ? LBS_EXTENDEDSEL : 0) | extraStyle,
               WS_EX_CLIENTEDGE, l, t, w, h);
}

int ListBox::count() const { return static_cast<int>(::SendMessageA(handle_, LB_GETCOUNT, 0, 0)); }
std::string ListBox::item(int i) const { return listText(handle_, LB_GETTEXTLEN, LB_GETTEXT, i); }
std::vector<std::string> ListBox::items() const {
  std::vector<std::string> v;
  for (int i = 0, n = count(); i < n; ++i) v.push_back(item(i));
  return v;
}
void ListBox::noteAdded(LRESULT index) {
  if (index < 0) return;   // not added
  const size_t at = std::min(static_cast<size_t>(index), names_.size());
  names_.insert(names_.begin() + static_cast<std::ptrdiff_t>(at), std::wstring());
}
void ListBox::addItem(const std::string& s) {
  noteAdded(::SendMessageA(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())));
}
void ListBox::insertItem(int i, const std::string& s) {
  noteAdded(::SendMessageA(handle_, LB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.c_str())));
}
void ListBox::addItems(const std::vector<std::string>& items) {
  if (items.empty()) return;
  // Without this a list box redraws and resizes its scroll bar after every item.
  ::SendMessageA(handle_, WM_SETREDRAW, FALSE, 0);
  size_t bytes = 0;
  for (const std::string& s : items) bytes += s.size() + 1;
  ::SendMessageA(handle_, LB_INITSTORAGE, items.size(), static_cast<LPARAM>(bytes));
  for (const std::string& s : items) noteAdded(::SendMessageA(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str())));
  ::SendMessageA(handle_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(handle_, nullptr, TRUE);
}
void ListBox::deleteItem(int i) {
  if (::SendMessageA(handle_, LB_DELETESTRING, static_cast<WPARAM>(i), 0) != LB_ERR && i >= 0 &&
      static_cast<size_t>(i) < names_.size())
    names_.erase(names_.begin() + i);
}
void ListBox::clearItems() {
  ::SendMessageA(handle_, LB_RESETCONTENT, 0, 0);
  names_.clear();
}
int ListBox::itemIndex() const {
  return static_cast<int>(::SendMessageA(handle_, multiSelect_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}
void ListBox::setItemIndex(int i) {
  if (multiSelect_) {
    ::SendMessageA(handle_, LB_SETSEL, FALSE, -1);
    if (i >= 0) ::SendMessageA(handle_, LB_SETSEL, TRUE, i);
    ::SendMessageA(handle_, LB_SETCARETINDEX, static_cast<WPARAM>(i), FALSE);
  } else {
    ::SendMessageA(handle_, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
  }
}
bool ListBox::selected(int i) const {
  if (!multiSelect_) return i >= 0 && itemIndex() == i;
  return ::SendMessageA(handle_, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0;
}
void ListBox::setSelected(int i, bool s) {
  if (multiSelect_) ::SendMessageA(handle_, LB_SETSEL, s, i);
  else if (s) setItemIndex(i);
  else if (itemIndex() == i) setItemIndex(-1);
}
int ListBox::topIndex() const { return static_cast<int>(::SendMessageA(handle_, LB_GETTOPINDEX, 0, 0)); }

void ListBox::setItemText(int i, const std::string& s) {
  if (i < 0 || i >= count()) return;
  LRESULT data = ::SendMessageA(handle_, LB_GETITEMDATA, static_cast<WPARAM>(i), 0);
  bool sel = selected(i);
  deleteItem(i);
  ListBox::insertItem(i, s);
  ::SendMessageA(handle_, LB_SETITEMDATA, static_cast<WPARAM>(i), data);
  if (sel) setSelected(i, true);
}

void ListBox::addFileItem(const std::wstring& name) {
  const int before = count();
  addItem(WideToAnsi(name));
  if (count() > before) setItemName(before, name);
}

void ListBox::addFileItems(const std::vector<std::wstring>& names) {
  std::vector<std::string> texts;
  for (const std::wstring& n : names) texts.push_back(WideToAnsi(n));
  const int before = count();
  addItems(texts);
  for (int i = before, n = count(); i < n && static_cast<size_t>(i - before) < names.size(); ++i)
    setItemName(i, names[static_cast<size_t>(i - before)]);
}

void ListBox::setItemName(int i, const std::wstring& name) {
  if (i >= 0 && static_cast<size_t>(i) < names_.size()) names_[static_cast<size_t>(i)] = name;
}

std::wstring ListBox::itemName(int i) const {
  if (i >= 0 && static_cast<size_t>(i) < names_.size() && !names_[static_cast<size_t>(i)].empty())
    return names_[static_cast<size_t>(i)];
  return AnsiToWide(item(i));
}

std::vector<std::wstring> ListBox::itemNames() const {
  std::vector<std::wstring> v;
  for (int i = 0, n = count(); i < n; ++i) v.push_back(itemName(i));
  return v;
}

void ListBox::command(WORD code) {
  if (code == LBN_SELCHANGE) click();
  else if (code == LBN_DBLCLK && onDblClick) onDblClick(*this);
}

CheckListBox::CheckListBox(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h,
                           bool multiSelect)
    : ListBox(owner, parent, name, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, l, t, w, h, multiSelect) {
  updateItemHeight();
}

void CheckListBox::updateItemHeight() {
  WindowDc wdc(handle_);
  HFONT hf = reinterpret_cast<HFONT>(::SendMessageA(handle_, WM_GETFONT, 0, 0));
  SelectScope sel(wdc.get(), hf);
  TEXTMETRICA tm{};
  ::GetTextMetricsA(wdc.get(), &tm);
  ::SendMessageA(handle_, LB_SETITEMHEIGHT, 0, std::max<LONG>(14, tm.tmHeight + 2));
}

bool CheckListBox::checked(int i) const { return ::SendMessageA(handle_, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == 1; }

void CheckListBox::setChecked(int i, bool c) {
  if (i < 0 || i >= count()) return;
  ::SendMessageA(handle_, LB_SETITEMDATA, static_cast<WPARAM>(i), c ? 1 : 0);
  RECT r;
  if (::SendMessageA(handle_, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    ::InvalidateRect(handle_, &r, TRUE);
}

void CheckListBox::addItem(const std::string& s) { addItem(s, false); }
void CheckListBox::addItem(const std::string& s, bool c) {
  ListBox::addItem(s);
  setChecked(count() - 1, c);
}
void CheckListBox::insertItem(int i, const std::string& s) {
  ListBox::insertItem(i, s);
  ::SendMessageA(handle_, LB_SETITEMDATA, static_cast<WPARAM>(i), 0);
}
void CheckListBox::setItemText(int i, const std::string& s) { ListBox::setItemText(i, s); }

bool CheckListBox::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_SETFONT) {
    result = defaultProc(msg, wp, lp);
    updateItemHeight();
    return true;
  }
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    LRESULT hit = ::SendMessageA(handle_, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    int index = LOWORD(hit);
    int boxWidth = static_cast<int>(::SendMessageA(handle_, LB_GETITEMHEIGHT, 0, 0));
    if (!HIWORD(hit) && x < boxWidth && index < count()) {
      result = defaultProc(msg, wp, lp);
      setChecked(index, !checked(index));
      toggled_ = index;
      if (onClickCheck) onClickCheck(*this);
      return true;
    }
  }
  if (msg == WM_CHAR && wp == ' ') {
    int i = itemIndex();
    if (i >= 0 && i < count()) {
      setChecked(i, !checked(i));
      toggled_ = i;
      if (onClickCheck) onClickCheck(*this);
    }
    result = 0;
    return true;
  }
  return false;
}

void CheckListBox::drawItem(DRAWITEMSTRUCT* di) {
  if (di->itemID == static_cast<UINT>(-1)) return;
  int i = static_cast<int>(di->itemID);
  RECT r = di->rcItem;
  int box = r.bottom - r.top;
  RECT boxRect{r.left + 1, r.top + 1, r.left + box - 1, r.bottom - 1};
  ::FillRect(di->hDC, &r, ::GetSysColorBrush(COLOR_WINDOW));
  ::DrawFrameControl(di->hDC, &boxRect, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked(i) ? DFCS_CHECKED : 0));
  RECT text{r.left + box + 1, r.top, r.right, r.bottom};
  bool sel = di->itemState & ODS_SELECTED;
  ::FillRect(di->hDC, &text, ::GetSysColorBrush(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  ::SetBkMode(di->hDC, TRANSPARENT);
  ::SetTextColor(di->hDC, ::GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  std::string s = item(i);
  text.left += 2;
  ::DrawTextA(di->hDC, s.c_str(), static_cast<int>(s.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (di->itemState & ODS_FOCUS) ::DrawFocusRect(di->hDC, &text);
}

// ---------------------------------------------------------------- PageControl, TabSheet

PageControl::PageControl(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h)
    : Control(owner, parent, name) {
  EnsureCommonControls();
  createHandle(WC_TABCONTROLA, WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, l, t, w, h);
}

void PageControl::addPage(TabSheet* p) {
  pages_.push_back(p);
  if (active_ < 0) active_ = 0;
  rebuildTabs();
}

void PageControl::removePage(TabSheet* p) {
  auto it = std::find(pages_.begin(), pages_.end(), p);
  if (it == pages_.end()) return;
  int i = static_cast<int>(it - pages_.begin());
  pages_.erase(it);
  if (active_ >= pageCount()) active_ = pageCount() - 1;
  else if (i < active_) --active_;
  if (handle_) rebuildTabs();
}

void PageControl::rebuildTabs() {
  if (!handle_) return;
  TabCtrl_DeleteAllItems(handle_);
  int tab = 0, activeTab = -1;
  for (int i = 0; i < pageCount(); ++i) {
    if (!pages_[static_cast<size_t>(i)]->tabVisible()) continue;
    std::string c = pages_[static_cast<size_t>(i)]->caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = &c[0];
    item.lParam = i;
    ::SendMessageA(handle_, TCM_INSERTITEMA, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
    if (i == active_) activeTab = tab;
    ++tab;
  }
  if (activeTab < 0 && active_ >= 0 && !pages_[static_cast<size_t>(active_)]->tabVisible()) {
    // The shown page lost its tab: show the first page that has one.
    active_ = -1;
    for (int i = 0; i < pageCount(); ++i)
      if (pages_[static_cast<size_t>(i)]->tabVisible()) { active_ = i; activeTab = 0; break; }
  }
  TabCtrl_SetCurSel(handle_, activeTab);
  layoutPages();
}

void PageControl::layoutPages() {
  RECT rc;
  ::GetClientRect(handle_, &rc);
  TabCtrl_AdjustRect(handle_, FALSE, &rc);
  for (int i = 0; i < pageCount(); ++i) {
    TabSheet* p = pages_[static_cast<size_t>(i)];
    if (!p->handle()) continue;
    ::MoveWindow(p->handle(), rc.left, rc.top, std::max(0L, rc.right - rc.left), std::max(0L, rc.bottom - rc.top), TRUE);
    ::ShowWindow(p->handle(), i == active_ ? SW_SHOWNA : SW_HIDE);
  }
}

void PageControl::setActivePageIndex(int i) {
  if (i < 0 || i >= pageCount()) return;
  active_ = i;
  rebuildTabs();
}

bool PageControl::notify(NMHDR* nm, LRESULT& result) {
  if (nm->code != TCN_SELCHANGE) return false;
  int tab = TabCtrl_GetCurSel(handle_);
  TCITEMA item{};
  item.mask = TCIF_PARAM;
  if (tab >= 0 && ::SendMessageA(handle_, TCM_GETITEMA, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item))) {
    // A disabled page can be shown; its controls just take no input.
    active_ = static_cast<int>(item.lParam);
    layoutPages();
    if (onChange) onChange(*this);
  }
  result = 0;
  return true;
}

bool PageControl::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_SIZE) {
    result = defaultProc(msg, wp, lp);
    layoutPages();
    if (onResize) onResize(*this);
    return true;
  }
  return false;
}

TabSheet::TabSheet(Component* owner, PageControl* pages, const std::string& name, const std::string& caption)
    : Panel(owner, pages, name, 0, 0, 10, 10), pages_(pages) {
  caption_ = caption;
  setVisible(false);
  pages_->addPage(this);
}

void TabSheet::setCaption(const std::string& s) {
  caption_ = s;
  if (pages_) pages_->rebuildTabs();
}

void TabSheet::setTabVisible(bool v) {
  if (v == tabVisible_) return;
  tabVisible_ = v;
  if (pages_) pages_->rebuildTabs();
}

int TabSheet::pageIndex() const {
  if (!pages_) return -1;
  for (int i = 0; i < pages_->pageCount(); ++i)
    if (pages_->page(i) == this) return i;
  return -1;
}

// ---------------------------------------------------------------- folder and drive lists

DirectoryListBox::DirectoryListBox(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h)
    : ListBox(owner, parent, name, l, t, w, h, false) {
  char cur[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cur);
  setDirectory(cur);
}

void DirectoryListBox::setDirectory(const std::string& dir) {
  std::string d = dir;
  while (d.size() > 3 && (d.back() == '\\' || d.back() == '/')) d.pop_back();
  if (d.size() == 2 && d[1] == ':') d += '\\';
  DWORD attr = ::GetFileAttributesA(d.c_str());
  if (d.empty() || attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return;
  dir_ = d;
  clearItems();
  paths_.clear();
  // The chain of folders from the root down to dir_.
  std::string path;
  int level = 0, current = 0;
  size_t pos = 0;
  while (pos <= dir_.size()) {
    size_t e = dir_.find('\\', pos);
    std::string part = dir_.substr(pos, e == std::string::npos ? std::string::npos : e - pos);
    if (!part.empty()) {
      path += part;
      if (path.size() == 2) path += '\\';
      std::string p = path;
      if (p.size() > 3 && p.back() == '\\') p.pop_back();
      ListBox::addItem(std::string(static_cast<size_t>(level) * 2, ' ') + part);
      paths_.push_back(p);
      current = static_cast<int>(paths_.size()) - 1;
      ++level;
      if (path.back() != '\\') path += '\\';
    }
    if (e == std::string::npos) break;
    pos = e + 1;
  }
  std::string base = dir_;
  if (base.back() != '\\') base += '\\';
  std::vector<std::string> subs;
  WIN32_FIND_DATAA fd;
  FindHandle find(::FindFirstFileA((base + "*").c_str(), &fd));
  if (find) {
    do {
      std::string n = fd.cFileName;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && n != "." && n != "..") subs.push_back(n);
    } while (::FindNextFileA(find.get(), &fd));
  }
  std::sort(subs.begin(), subs.end(), [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  for (const auto& n : subs) {
    ListBox::addItem(std::string(static_cast<size_t>(level) * 2, ' ') + n);
    paths_.push_back(base + n);
  }
  setItemIndex(current);
}

std::string DirectoryListBox::selectedDirectory() const {
  int i = itemIndex();
  return i >= 0 && i < static_cast<int>(paths_.size()) ? paths_[static_cast<size_t>(i)] : dir_;
}

void DirectoryListBox::command(WORD code) {
  if (code == LBN_DBLCLK) {
    setDirectory(selectedDirectory());
    if (onChange) onChange(*this);
  } else {
    ListBox::command(code);
  }
}

DriveComboBox::DriveComboBox(Component* owner, Control* parent, const std::string& name, int l, int t, int w, int h)
    : ComboBox(owner, parent, name, l, t, w, h, ComboStyle::DropDownList) {
  DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) addItem(std::string(1, static_cast<char>('a' + i)) + ":");
  char cur[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cur);
  setDrive(cur[0]);
}

char DriveComboBox::drive() const {
  std::string t = text();
  return t.empty() ? '\0' : static_cast<char>(::toupper(static_cast<unsigned char>(t[0])));
}

void DriveComboBox::setDrive(char letter) {
  std::string want(1, static_cast<char>(::tolower(static_cast<unsigned char>(letter))));
  for (int i = 0; i < count(); ++i)
    if (item(i).compare(0, 1, want) == 0) { setItemIndex(i); break; }
}

void DriveComboBox::command(WORD code) {
  if (code == CBN_SELCHANGE && dirList) {
    char d = drive();
    if (d && dirList->directory().empty() == false && ::toupper(static_cast<unsigned char>(dirList->directory()[0])) != d)
      dirList->setDirectory(std::string(1, d) + ":\\");
  }
  ComboBox::command(code);
}

// ---------------------------------------------------------------- StatusBar

StatusBar::StatusBar(Component* owner, Control* parent, const std::string& name) : Control(owner, parent, name) {
  EnsureCommonControls();
  createHandle(STATUSCLASSNAMEA, WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP, 0, 0, 0, 0, 0);
  setAlign(Align::Bottom);
}

void StatusBar::setCaption(const std::string& s) {
  text_ = s;
  ::SendMessageA(handle_, SB_SIMPLE, TRUE, 0);
  ::SendMessageA(handle_, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text_.c_str()));
}

void StatusBar::setPanels(const std::vector<int>& widths) {
  std::vector<int> edges;
  int x = 0;
  for (int w : widths) { x = w < 0 ? -1 : x + w; edges.push_back(x); }
  ::SendMessageA(handle_, SB_SIMPLE, FALSE, 0);
  ::SendMessageA(handle_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void StatusBar::setPanelText(int i, const std::string& s) {
  ::SendMessageA(handle_, SB_SETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.c_str()));
}

bool StatusBar::handleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

}  // namespace win
