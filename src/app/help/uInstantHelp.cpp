#include "help/uInstantHelp.h"
#include "mainwindow/uSearchAndReplace.h"

TInstantHelpForm* InstantHelpForm = nullptr;

namespace {
const int kItemPadding = 5;   // text inset at left, right and top of an entry
}  // namespace

const char* InstantHelpCaption(int32_t language) {
  return language == 0 ? "Hilfe" : language == 1 || language == -1 ? "Help" : nullptr;
}

const char* GuidingHelpCaption(int32_t language) {
  return language == 0 ? "gef\xFC" "hrte Hilfe" : language == 1 || language == -1 ? "guiding help" : nullptr;
}

// ---------------------------------------------------------------- THelpListBox

THelpListBox::THelpListBox(win::Component* owner, win::Control* parent, const std::string& name, int l, int t,
                           int w, int h)
    : win::ListBox(owner, parent, name, LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, l, t, w, h, false) {}

void THelpListBox::drawItem(DRAWITEMSTRUCT* di) {
  if (static_cast<int>(di->itemID) < 0 || !onDrawItem) return;
  onDrawItem(static_cast<int>(di->itemID), di->rcItem, di->hDC);
}

// ---------------------------------------------------------------- TInstantHelpForm

TInstantHelpForm::TInstantHelpForm(win::Component* owner) : TQzSnRMainForm(owner, "InstantHelpForm") {
  win::Font font;
  font.height = -12;
  setFont(font);
  setBorderStyle(win::BorderStyle::SizeToolWindow);
  setCaption("Help");
  setBounds(left(), top(), 196, 441);

  HelpListBox = new THelpListBox(this, this, "HelpListBox", 0, 0, clientWidth(), clientHeight() - 32);
  GuidingHelpCheckBox = new win::CheckBox(this, this, "GuidingHelpCheckBox", "guiding help", 0,
                                          clientHeight() - 22, 150, 17);
  GuidingHelpCheckBox->setChecked(true);
  setFont(font);

  UpdatePositionTimer.setInterval(200);
  UpdatePositionTimer.onTimer = [this] { UpdatePositionTimerTimer(); };
  InitTimer.setInterval(1500);
  InitTimer.onTimer = [this] { InitTimerTimer(); };

  HelpListBox->onDrawItem = [this](int index, const RECT& r, HDC dc) { HelpListBoxDrawItem(index, r, dc); };
  GuidingHelpCheckBox->onClick = [this](win::Control&) { GuidingHelpCheckBoxClick(); };
  onCreate = [this](win::Control&) { FormCreate(); };
  onShow = [this](win::Control&) { FormShow(); };
  onHide = [this](win::Control&) { FormHide(); };
  onCloseQuery = [this](win::Form&, bool&) { FormClose(); };
  onResize = [this](win::Control&) { FormResize(); };
  UpdatePositionTimer.setEnabled(true);
}

win::Form* TInstantHelpForm::dockTarget() const {
  if (DockTo) return DockTo;
  if (SnRForm) return SnRForm;
  win::Form* main = win::app().mainForm();
  return main != this ? main : nullptr;
}

void TInstantHelpForm::updateHelp() {
  if (OnUpdateHelp) OnUpdateHelp();
  else if (SnRForm) SnRForm->UpdateHelp();
}

void TInstantHelpForm::ShowSteps(const std::vector<std::string>& texts) {
  HelpItemRects.Reset();
  HelpListBox->clearItems();
  for (const std::string& t : texts) HelpListBox->addItem(t);
}

void TInstantHelpForm::SetCurrentLanguage() {
  const int32_t language = GetLanguage();
  if (const char* c = InstantHelpCaption(language)) setCaption(c);
  if (const char* c = GuidingHelpCaption(language)) GuidingHelpCheckBox->setCaption(c);
  updateHelp();
}

void TInstantHelpForm::UpdatePositionTimerTimer() {
  win::Form* main = dockTarget();
  // A minimised window's position is the system's parking place, not a place to dock to.
  if (!main || main->windowState() == win::WindowState::Minimized) return;
  const int dockLeft = main->left() + main->width();
  if (left() != dockLeft || top() != main->top() || height() != main->height()) {
    setBounds(dockLeft, main->top(), width(), main->height());
    updateHelp();
  }
  if (left() != LastPos.x && top() != LastPos.y) {
    updateHelp();
    LastPos = {left(), top()};
  }
}

void TInstantHelpForm::HelpListBoxMeasureItem(int Index, int& Height) {
  if (Index < 0) return;
  win::WindowDc dc(HelpListBox->handle());
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(HelpListBox->handle(), WM_GETFONT, 0, 0));
  win::SelectScope keep(dc.get(), font);
  const std::string text = HelpListBox->item(Index);
  RECT r = {0, 0, HelpListBox->clientWidth() - 2 * kItemPadding, 0};
  ::DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  Height = (r.bottom - r.top) + 10;
}

void TInstantHelpForm::HelpListBoxDrawItem(int Index, const RECT& Rect, HDC dc) {
  win::GdiObject brush(::CreateSolidBrush(Index % 2 == 1 ? RGB(230, 230, 230) : RGB(255, 255, 255)));
  ::FillRect(dc, &Rect, static_cast<HBRUSH>(brush.get()));

  if (Index == 0 || Index == 1) {
    POINT origin = {0, 0};
    ::ClientToScreen(HelpListBox->handle(), &origin);
    POINT lowerEdge = {0, HelpListBox->height()};
    ::ClientToScreen(HelpListBox->handle(), &lowerEdge);
    SetHelpItemRect(HelpItemRects, Index, Rect, origin, lowerEdge.y);
  }

  RECT text = Rect;
  text.left += kItemPadding;
  text.right -= kItemPadding;
  text.top += kItemPadding;
  HFONT font = reinterpret_cast<HFONT>(::SendMessageA(HelpListBox->handle(), WM_GETFONT, 0, 0));
  win::SelectScope keep(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  const std::string s = HelpListBox->item(Index);
  ::DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &text, DT_WORDBREAK | DT_NOPREFIX);
}

void TInstantHelpForm::FormShow() {
  updateHelp();
  InitTimer.setEnabled(true);
}

void TInstantHelpForm::FormHide() { updateHelp(); }

void TInstantHelpForm::GuidingHelpCheckBoxClick() { updateHelp(); }

void TInstantHelpForm::FormClose() { updateHelp(); }

void TInstantHelpForm::InitTimerTimer() {
  InitTimer.setEnabled(false);
  updateHelp();
}

void TInstantHelpForm::FormCreate() {
  LastPos = {left(), top()};
  HelpListBox->setAnchors(win::akLeft | win::akTop);
  GuidingHelpCheckBox->setAnchors(win::akLeft | win::akTop);
  FormResize();
}

void TInstantHelpForm::FormResize() {
  if (!HelpListBox || !GuidingHelpCheckBox) return;
  const int boxHeight = GuidingHelpCheckBox->height();
  GuidingHelpCheckBox->setTop(clientHeight() - boxHeight - 5);
  HelpListBox->setBounds(0, 0, clientWidth(), clientHeight() - boxHeight - 15);
  updateHelp();
}

bool TInstantHelpForm::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_MEASUREITEM && HelpListBox) {
    auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
    if (mi->CtlType == ODT_LISTBOX && static_cast<int>(mi->CtlID) == ::GetDlgCtrlID(HelpListBox->handle())) {
      int h = static_cast<int>(mi->itemHeight);
      HelpListBoxMeasureItem(static_cast<int>(mi->itemID), h);
      mi->itemHeight = static_cast<UINT>(h);
      result = TRUE;
      return true;
    }
  }
  return TQzSnRMainForm::handleMessage(msg, wp, lp, result);
}
