// Top-level forms (also modal), main menus and the save dialog.
#pragma once
#include "win/Gui.h"

namespace win {

enum class WindowState { Normal, Minimized, Maximized };
enum class BorderStyle { Sizeable, Single, Dialog, ToolWindow, SizeToolWindow, None };
enum ModalResult { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

class MainMenu;
class Button;

// A top-level window. Build the components in the descendant's constructor,
// then call afterConstruction() (create<F>() does both); free it with release()
// so that beforeDestruction() still sees the whole object.
class Form : public Control {
public:
  explicit Form(Component* owner = nullptr, const std::string& name = {});
  ~Form() override;
  Kind kind() const override { return Kind::Form; }

  template <class F, class... A>
  static F* create(A&&... args) {
    F* f = new F(std::forward<A>(args)...);
    f->afterConstruction();
    return f;
  }
  virtual void afterConstruction();   // fires onCreate
  virtual void beforeDestruction();   // fires onDestroy
  void release() { beforeDestruction(); delete this; }

  void setBorderStyle(BorderStyle b);
  void setBorderIcons(bool system, bool minimize, bool maximize);
  void setClientSize(int w, int h);
  void centerOnScreen();
  void setCenterOnFirstShow(bool c) { centerOnShow_ = c; }

  void show();
  void showNoActivate();   // e.g. a helper window beside the main window
  // Puts the shown form on top of the program's other windows, on the screen too.
  void bringToFront();
  void hide();
  // Asks onCloseQuery; then hides the form, ends a modal run, or ends the
  // application for the main form.
  void close();
  int showModal();
  bool modal() const { return modal_; }
  int modalResult() const { return modalResult_; }
  void setModalResult(int r) { modalResult_ = r; }

  WindowState windowState() const;
  void setWindowState(WindowState s);
  bool active() const { return handle() && ::GetActiveWindow() == handle(); }

  void setMenu(MainMenu* m);
  MainMenu* menu() const { return menu_; }
  // The buttons that Enter and Escape press.
  void setDefaultButton(Button* b) { defaultButton_ = b; }
  void setCancelButton(Button* b) { cancelButton_ = b; }

  // Handlers may take the sender as Form& or as Control&.
  FormNotify onCreate, onShow, onHide, onActivate, onDeactivate, onDestroy;
  std::function<void(Form& sender, bool& canClose)> onCloseQuery;
  std::function<void(Form& sender, int& newWidth, int& newHeight)> onCanResize;

  // Layer plumbing.
  void addHintTool(HWND tool);
  bool isShortCut(const MSG& msg);
  // A typed character that may be the underlined letter of a caption: a
  // label moves to its focus control, a button is pressed, a check box is
  // focused and toggled. True when a control took it.
  bool dialogChar(char ch);
  // A window of this form got the focus; it gets it back when the form is
  // activated again.
  void focusMoved(HWND window);

protected:
  LRESULT wndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
  void restoreFocus();
  HWND lastFocus_ = nullptr;
  MainMenu* menu_ = nullptr;
  Button* defaultButton_ = nullptr;
  Button* cancelButton_ = nullptr;
  Window tooltip_;
  std::string tipText_;
  bool modal_ = false, centerOnShow_ = false, shownOnce_ = false;
  int modalResult_ = mrNone;
};

// The letter that "&" underlines in a caption ("&&" shows an ampersand);
// 0 when there is none.
char acceleratorOf(const std::string& caption);

// Shortcut: a virtual key with modifiers, e.g. {'B', true} for Ctrl+B, {VK_F1}.
struct ShortCut {
  WORD key = 0;
  bool ctrl = false, shift = false, alt = false;
};

class MenuItem : public Component {
public:
  // parent: the menu or item this one is listed under; the owner frees it.
  MenuItem(Component* owner, MenuItem* parent, const std::string& name, const std::string& caption = {},
           ShortCut shortcut = {});
  MenuItem(Component* owner, MainMenu* menu, const std::string& name, const std::string& caption = {});
  Kind kind() const override { return Kind::MenuItem; }

  std::string caption() const override { return caption_; }
  void setCaption(const std::string& c) override;
  bool checked() const { return checked_; }
  void setChecked(bool c);
  bool radioItem() const { return radio_; }
  void setRadioItem(bool r);
  bool enabled() const { return enabled_; }
  void setEnabled(bool e);
  const std::vector<MenuItem*>& items() const { return items_; }
  const ShortCut& shortcut() const { return shortcut_; }
  UINT id() const { return id_; }
  void setId(UINT id) { id_ = id; update(); }   // a command id others may rely on
  void click() { if (onClick) onClick(*this); }

  std::function<void(MenuItem& sender)> onClick;   // a submenu: fired when it opens

private:
  friend class MainMenu;
  void update();
  HMENU build();
  std::string itemText() const;

  std::vector<MenuItem*> items_;
  std::string caption_;
  ShortCut shortcut_;
  bool checked_ = false, radio_ = false, enabled_ = true;
  UINT id_;
  HMENU parentMenu_ = nullptr;   // the menu that shows this item
  HMENU popup_ = nullptr;        // its submenu, when it has items
  int position_ = 0;
};

class MainMenu : public Component {
public:
  MainMenu(Form* owner, const std::string& name = {});
  ~MainMenu() override;
  Kind kind() const override { return Kind::MainMenu; }
  const std::vector<MenuItem*>& items() const { return items_; }
  // Builds the menu bar; call once all items exist (setMenu does it).
  HMENU build();
  HMENU handle() const { return menu_; }
  MenuItem* findById(UINT id) const;
  MenuItem* findByPopup(HMENU popup) const;
  MenuItem* findShortCut(const ShortCut& sc) const;

private:
  friend class MenuItem;
  std::vector<MenuItem*> items_;
  HMENU menu_ = nullptr;
};

// The system's save dialog; execute() is true when the user chose a name.
class SaveDialog {
public:
  std::string title, filter = "All files (*.*)|*.*", defaultExt, fileName, initialDir;
  bool overwritePrompt = true;
  bool execute(HWND owner);
};

}  // namespace win
