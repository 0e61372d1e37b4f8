#include "controls/uCombiEditCharHexFrame.h"
#include "controls/ComboBoxExt.h"
#include <cctype>

TCombiEditCharHexFrame::TCombiEditCharHexFrame(win::Component* owner, win::Control* parent, const std::string& name,
                                               int l, int t, int w, int h)
    : win::Frame(owner, parent, name, l, t, w, h) {
  win::Font bold = font();
  bold.bold = true;
  TitelLabel = new win::Label(this, this, "TitelLabel", "", 0, 0);
  TitelLabel->setFont(bold);
  StringLabel = new win::Label(this, this, "StringLabel", "String:", 0, 21);
  HexStringLabel = new win::Label(this, this, "HexStringLabel", "Hex String:", 0, 45);
  CharComboBox = new win::ComboBox(this, this, "CharComboBox", 64, 17, w - 67, 21);
  CharComboBox->setHint("text in ASCII format");
  HexStringComboBox = new win::ComboBox(this, this, "HexStringComboBox", 64, 41, w - 67, 21);
  HexStringComboBox->setHint("text in HEX format");
  CharComboBox->setAnchors(win::akLeft | win::akTop);
  HexStringComboBox->setAnchors(win::akLeft | win::akTop);

  CharComboBox->onClick = [this](win::Control&) { CharComboBoxClick(); };
  CharComboBox->onChange = [this](win::Control&) { CharComboBoxChange(); };
  CharComboBox->onKeyUp = [this](win::Control&, WORD&) { CharComboBoxKeyUp(); };
  CharComboBox->onKeyPress = [this](win::Control&, char& key) {
    if (CharComboBoxKeyPress(key)) key = 0;
  };
  HexStringComboBox->onChange = [this](win::Control&) { HexStringEditChange(); };
  HexStringComboBox->onClick = [this](win::Control&) { HexStringComboBoxClick(); };
  onResize = [this](win::Control&) { FrameResize(); };
  FrameResize();   // the layout holds from the start, not only after a resize
}

void TCombiEditCharHexFrame::setCharBoxEditable(bool editable) {
  CharComboBox->setStyle(editable ? win::ComboStyle::DropDown : win::ComboStyle::DropDownList);
}

void TCombiEditCharHexFrame::takeCharText() {
  if (Updating) return;
  // The list shows the display text of a value with control bytes ("." for
  // each): taking that text would replace those bytes.
  if (CharComboBox->style() == win::ComboStyle::DropDownList) return;
  Updating = true;
  Value.SetText(CharComboBox->text());
  HexStringComboBox->setText(Value.GetHex());
  Updating = false;
}

void TCombiEditCharHexFrame::CharComboBoxChange() { takeCharText(); }
void TCombiEditCharHexFrame::CharComboBoxKeyUp() { takeCharText(); }

bool TCombiEditCharHexFrame::CharComboBoxKeyPress(char key) {
  if (Updating || CharComboBox->style() != win::ComboStyle::DropDownList) return false;
  const bool backspace = key == '\b';
  if (!backspace && static_cast<unsigned char>(key) < 32) return false;
  // The dots cannot be edited into bytes: the typed key begins a new text
  // (Backspace an empty one).
  const std::string text = backspace ? std::string() : std::string(1, key);
  setCharBoxEditable(true);
  CharComboBox->setText(text);
  CharComboBox->setSel(static_cast<int>(text.size()), 0);
  takeCharText();
  return true;
}

void TCombiEditCharHexFrame::HexStringEditChange() {
  if (Updating) return;
  Updating = true;
  // The character box's style is decided once, below: switching it recreates
  // its window, and the list shows the new text as well as the box does.
  int caret = HexStringComboBox->selStart();
  std::string hex = HexStringComboBox->text();
  Value.SetHex(hex);
  CharComboBox->setText(Value.GetText());
  std::string clean;
  for (char ch : hex) {
    char u = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F')) clean += u;
  }
  HexStringComboBox->setText(clean);
  setCharBoxEditable(!Value.HasControlChars());
  HexStringComboBox->setSel(caret, 0);
  Updating = false;
}

void TCombiEditCharHexFrame::pickEntry(int index) {
  Updating = true;
  if (index >= 0 && index < HexStringComboBox->count()) {
    HexStringComboBox->setItemIndex(index);
    CharComboBox->setItemIndex(index);
    // The hex entry is the value: control bytes shown as "." come back exactly.
    Value.SetHex(HexStringComboBox->item(index));
    setCharBoxEditable(!Value.HasControlChars());
    CharComboBox->setItemIndex(index);
  }
  Updating = false;
}

void TCombiEditCharHexFrame::CharComboBoxClick() { pickEntry(CharComboBox->itemIndex()); }
void TCombiEditCharHexFrame::HexStringComboBoxClick() { pickEntry(HexStringComboBox->itemIndex()); }

void TCombiEditCharHexFrame::UpdateHistory() {
  std::string hex = Value.GetHex();
  if (hex.empty()) return;
  win::ComboBox* focused = CharComboBox->focused() ? CharComboBox : HexStringComboBox->focused() ? HexStringComboBox : nullptr;
  int selStart = focused ? focused->selStart() : 0, selLength = focused ? focused->selLength() : 0;
  for (int i = HexStringComboBox->count() - 1; i >= 0; --i) {
    if (HexStringComboBox->item(i) == hex) {
      HexStringComboBox->deleteItem(i);
      if (i < CharComboBox->count()) CharComboBox->deleteItem(i);
    }
  }
  HexStringComboBox->insertItem(0, hex);
  CharComboBox->insertItem(0, Value.GetText());
  HexStringComboBox->setItemIndex(0);
  CharComboBox->setItemIndex(0);
  if (focused) focused->setSel(selStart, selLength);
}

void TCombiEditCharHexFrame::LoadHistory(const std::string& fileName, const std::string& section) {
  HistoryFile = fileName;
  HistorySection = section;
  HexStringComboBox->clearItems();
  CharComboBox->clearItems();
  for (const auto& entry : ReadHistory(fileName, section)) {
    TExtPChar v;
    v.SetHex(entry);
    HexStringComboBox->addItem(v.GetHex());
    CharComboBox->addItem(v.GetText());
  }
}

void TCombiEditCharHexFrame::SaveHistory() {
  if (HistoryFile.empty()) return;
  WriteHistory(HistoryFile, HistorySection, HexStringComboBox->items());
}

void TCombiEditCharHexFrame::FrameResize() {
  CharComboBox->setWidth(width() - CharComboBox->left() - 3);
  HexStringComboBox->setWidth(width() - HexStringComboBox->left() - 3);
  HexStringComboBox->setTop(CharComboBox->top() + CharComboBox->height() + 1);
  HexStringLabel->setTop(HexStringComboBox->top());
}
