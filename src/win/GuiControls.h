// Standard controls over the Win32 and common-control window classes, and
// containers (panel, frame, group box, page control with tab sheets).
#pragma once
#include "win/Gui.h"

namespace win {

// A plain container window of our own class.
class Panel : public Control {
public:
  Panel(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0, int w = 185, int h = 41);
  Kind kind() const override { return Kind::Panel; }
  void setCaption(const std::string& s) override;
  std::string caption() const override { return caption_; }
  void setBevel(bool raised) { bevel_ = raised; if (handle_) ::InvalidateRect(handle_, nullptr, TRUE); }

protected:
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  virtual void paint(HDC dc);
  std::string caption_;
  bool bevel_ = false;
};

// A reusable group of controls without a border; descendants build its parts.
class Frame : public Panel {
public:
  Frame(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0, int w = 320, int h = 240)
      : Panel(owner, parent, name, l, t, w, h) {}
  Kind kind() const override { return Kind::Frame; }
};

class GroupBox : public Panel {
public:
  GroupBox(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0, int w = 185, int h = 105)
      : Panel(owner, parent, name, l, t, w, h) {}
  Kind kind() const override { return Kind::GroupBox; }
protected:
  void paint(HDC dc) override;
};

class Label : public Control {
public:
  Label(Component* owner, Control* parent, const std::string& name = {}, const std::string& caption = {},
        int l = 0, int t = 0, int w = 0, int h = 0);
  Kind kind() const override { return Kind::Label; }
  // The control that Alt with the caption's underlined letter moves to.
  Control* focusControl = nullptr;
  void setCaption(const std::string& s) override;
  void setAutoSize(bool a) { autoSize_ = a; adjustSize(); }
protected:
  void command(WORD code) override;
  bool transparentBackground() const override { return true; }
  void fontChanged() override { adjustSize(); }
private:
  void adjustSize();
  bool autoSize_ = true;
};

class Button : public Control {
public:
  Button(Component* owner, Control* parent, const std::string& name = {}, const std::string& caption = {},
         int l = 0, int t = 0, int w = 75, int h = 25);
  Kind kind() const override { return Kind::Button; }
  void setDefault(bool d);          // Enter presses it
  void setCancel(bool c);           // Escape presses it
  int modalResult = 0;              // a click in a modal form ends it with this result
  void click() override;
protected:
  void command(WORD code) override;
};

// A flat button; behaves as Button.
class SpeedButton : public Button {
public:
  SpeedButton(Component* owner, Control* parent, const std::string& name = {}, const std::string& caption = {},
              int l = 0, int t = 0, int w = 23, int h = 22);
  Kind kind() const override { return Kind::SpeedButton; }
};

enum class CheckState { Unchecked, Checked, Grayed };

// Check box with the class library's semantics: every change of the state,
// by the user or by code, fires onClick once; a user click cycles
// unchecked -> (grayed, when allowed) -> checked -> unchecked.
class CheckBox : public Control {
public:
  CheckBox(Component* owner, Control* parent, const std::string& name = {}, const std::string& caption = {},
           int l = 0, int t = 0, int w = 97, int h = 17);
  Kind kind() const override { return Kind::CheckBox; }
  CheckState state() const { return state_; }
  void setState(CheckState s);
  bool checked() const { return state_ == CheckState::Checked; }
  void setChecked(bool c) { setState(c ? CheckState::Checked : CheckState::Unchecked); }
  bool allowGrayed() const { return allowGrayed_; }
  void setAllowGrayed(bool a) { allowGrayed_ = a; }
  void toggle();
protected:
  void command(WORD code) override;
  bool transparentBackground() const override { return true; }
private:
  CheckState state_ = CheckState::Unchecked;
  bool allowGrayed_ = false;
};

class Edit : public Control {
public:
  Edit(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0, int w = 121, int h = 21);
  Kind kind() const override { return Kind::Edit; }
  std::string text() const { return caption(); }
  void setText(const std::string& s) { setCaption(s); }
  void setReadOnly(bool r);
  int selStart() const;
  int selLength() const;
  void setSel(int start, int length);
protected:
  Edit(Component* owner, Control* parent, const std::string& name, DWORD style, int l, int t, int w, int h);
  void command(WORD code) override;
};

enum class ScrollBars { None, Horizontal, Vertical, Both };

class Memo : public Edit {
public:
  Memo(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0, int w = 185,
       int h = 89, ScrollBars sb = ScrollBars::None, bool wordWrap = false);
  Kind kind() const override { return Kind::Memo; }
  std::vector<std::string> lines() const;   // split at CR LF
  void setLines(const std::vector<std::string>& lines);
  int lineCount() const;                    // EM_GETLINECOUNT: at least 1
  int firstVisibleLine() const;
  void clearLines() override { setText({}); }
  void addLine(const std::string& line) override;
  void hideCaret() { if (handle_) ::HideCaret(handle_); }
protected:
  // Tab moves on to the next control, as from any other control, instead of
  // being typed: a read-only memo would otherwise keep the focus for ever.
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

enum class ComboStyle { DropDown, DropDownList, Simple };

// Combo box. onChange fires when the user edits the text or picks an item,
// onClick when the user picks an item; changes made by code fire nothing.
// A drop-down list takes no typing but shows any text given to it, also one
// that no item has.
class ComboBox : public Control {
public:
  ComboBox(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0, int w = 145,
           int h = 21, ComboStyle style = ComboStyle::DropDown);
  Kind kind() const override { return Kind::ComboBox; }
  ComboStyle style() const { return style_; }
  void setStyle(ComboStyle s);          // recreates the window, keeping items, text, selection and place
  std::string text() const;
  void setText(const std::string& s);   // a drop-down list selects the matching item, if any
  int count() const;
  std::string item(int i) const;
  std::vector<std::string> items() const;
  void addItem(const std::string& s);
  void insertItem(int i, const std::string& s);
  void deleteItem(int i);
  void clearItems();
  int itemIndex() const;
  void setItemIndex(int i);
  int selStart() const;
  int selLength() const;
  void setSel(int start, int length);
  void setDropDownCount(int n) { dropDownCount_ = n; }
  void setBounds(int l, int t, int w, int h) override;

  int itemCount() const override { return count(); }
  std::string itemText(int i) const override { return item(i); }
  void setItemText(int i, const std::string& s) override;

protected:
  void command(WORD code) override;
  void drawItem(DRAWITEMSTRUCT* di) override;
  // A drop-down list that shows a text no item has answers with that text.
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
private:
  void build(int l, int t, int w, int h);
  ComboStyle style_;
  int dropDownCount_ = 8;
  HWND edit_ = nullptr;
  std::string listText_;   // what a drop-down list shows while no item is selected
};

class ListBox : public Control {
public:
  ListBox(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0, int w = 121,
          int h = 97, bool multiSelect = false);
  Kind kind() const override { return Kind::ListBox; }
  int count() const;
  std::string item(int i) const;
  std::vector<std::string> items() const;
  virtual void addItem(const std::string& s);
  virtual void insertItem(int i, const std::string& s);
  // Appends many items with one redraw (a check list box's new items are unchecked).
  void addItems(const std::vector<std::string>& items);
  void deleteItem(int i);
  void clearItems();
  int itemIndex() const;                // the caret item in a multi-select list
  void setItemIndex(int i);
  bool selected(int i) const;
  void setSelected(int i, bool s);
  int topIndex() const;

  int itemCount() const override { return count(); }
  std::string itemText(int i) const override { return item(i); }
  void setItemText(int i, const std::string& s) override;

  // An item can stand for a file: its text is the name's 8-bit form, and the
  // real name goes with it, wherever the item moves.
  void addFileItem(const std::wstring& name);
  void addFileItems(const std::vector<std::wstring>& names);   // with one redraw
  void setItemName(int i, const std::wstring& name);
  // The real name of item i; an item added as text names the file of its text.
  std::wstring itemName(int i) const;
  std::vector<std::wstring> itemNames() const;

protected:
  ListBox(Component* owner, Control* parent, const std::string& name, DWORD extraStyle, int l, int t, int w, int h, bool multiSelect);
  void command(WORD code) override;
  // Keeps names_ in step with an item added at the index the list box gave it.
  void noteAdded(LRESULT index);
  bool multiSelect_;

private:
  std::vector<std::wstring> names_;   // per item; empty: the item's text is its name
};

// List box with a check box before every item. Clicking the box or pressing
// space toggles it and fires onClickCheck.
class CheckListBox : public ListBox {
public:
  CheckListBox(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0,
               int w = 121, int h = 97, bool multiSelect = false);
  Kind kind() const override { return Kind::CheckListBox; }
  bool checked(int i) const;
  void setChecked(int i, bool c);
  void addItem(const std::string& s) override;
  void insertItem(int i, const std::string& s) override;
  void addItem(const std::string& s, bool checked);
  void setItemText(int i, const std::string& s) override;
  Notify onClickCheck;
  // The item whose box the user toggled last (valid during onClickCheck).
  int toggledIndex() const { return toggled_; }
protected:
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void drawItem(DRAWITEMSTRUCT* di) override;
private:
  void updateItemHeight();
  int toggled_ = -1;
};

class PageControl;

class TabSheet : public Panel {
public:
  TabSheet(Component* owner, PageControl* pages, const std::string& name = {}, const std::string& caption = {});
  Kind kind() const override { return Kind::TabSheet; }
  void setCaption(const std::string& s) override;
  bool tabVisible() const { return tabVisible_; }
  void setTabVisible(bool v);
  int pageIndex() const;
  PageControl* pageControl() const { return pages_; }
protected:
  void paint(HDC) override {}   // the caption belongs on the tab, not on the page
private:
  PageControl* pages_;
  bool tabVisible_ = true;
};

// Tab control whose pages are TabSheets. onChange fires when the user
// changes the page; activePageIndex changes by code fire nothing.
class PageControl : public Control {
public:
  PageControl(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0, int w = 289, int h = 193);
  Kind kind() const override { return Kind::PageControl; }
  int pageCount() const { return static_cast<int>(pages_.size()); }
  TabSheet* page(int i) const { return pages_.at(static_cast<size_t>(i)); }
  int activePageIndex() const { return active_; }
  void setActivePageIndex(int i);
  TabSheet* activePage() const { return active_ >= 0 ? pages_[static_cast<size_t>(active_)] : nullptr; }
protected:
  bool notify(NMHDR* nm, LRESULT& result) override;
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
private:
  friend class TabSheet;
  void addPage(TabSheet* p);
  void removePage(TabSheet* p);
  void rebuildTabs();
  void layoutPages();
  std::vector<TabSheet*> pages_;
  int active_ = -1;
};

// Folder list: the chosen folder's path from its drive down, then its
// subfolders, indented. A double click opens the folder (onChange).
class DirectoryListBox : public ListBox {
public:
  DirectoryListBox(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0,
                   int w = 145, int h = 97);
  Kind kind() const override { return Kind::Control; }   // not a plain list box
  const std::string& directory() const { return dir_; }   // no trailing backslash but on a root
  void setDirectory(const std::string& dir);
  std::string selectedDirectory() const;                  // the folder of the selected line
protected:
  void command(WORD code) override;
private:
  std::string dir_;
  std::vector<std::string> paths_;
};

// Drive list, linked to a folder list that follows the chosen drive.
class DriveComboBox : public ComboBox {
public:
  DriveComboBox(Component* owner, Control* parent, const std::string& name = {}, int l = 0, int t = 0,
                int w = 145, int h = 21);
  Kind kind() const override { return Kind::Control; }   // not a plain combo box
  char drive() const;
  void setDrive(char letter);
  DirectoryListBox* dirList = nullptr;
protected:
  void command(WORD code) override;
};

class StatusBar : public Control {
public:
  StatusBar(Component* owner, Control* parent, const std::string& name = {});
  Kind kind() const override { return Kind::StatusBar; }
  std::string caption() const override { return text_; }
  void setCaption(const std::string& s) override;   // the simple text
  void setPanels(const std::vector<int>& widths);    // -1: to the right edge
  void setPanelText(int i, const std::string& s);
protected:
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
private:
  std::string text_;
};

}  // namespace win
