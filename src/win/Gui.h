// The program's small GUI layer over Win32: components with owners and names,
// windowed controls with events, the application object and the message loop.
// Controls create their window in their constructor; the parent must exist.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "win/Handles.h"

namespace win {

class Control;
class Form;

// What a component is, for code that walks a window's components by class
// (language files). Descendants report their nearest listed kind.
enum class Kind {
  Component, Control, Form, Frame, Panel, GroupBox, RadioGroup, Label, Button,
  SpeedButton, CheckBox, RadioButton, Edit, Memo, ComboBox, ListBox, CheckListBox,
  StatusBar, PageControl, TabSheet, MenuItem, MainMenu
};

using Notify = std::function<void(Control& sender)>;
using KeyEvent = std::function<void(Control& sender, WORD& key)>;
// A typed character (WM_CHAR); setting it to 0 swallows it.
using KeyPressEvent = std::function<void(Control& sender, char& key)>;
using FormNotify = std::function<void(Form& sender)>;

// A named object owned by another; the owner frees what it owns, newest first.
class Component {
public:
  explicit Component(Component* owner, const std::string& name = {});
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::string& name() const { return name_; }
  void setName(const std::string& n) { name_ = n; }
  Component* owner() const { return owner_; }
  // Owned components in creation order.
  const std::vector<Component*>& components() const { return components_; }
  virtual Kind kind() const { return Kind::Component; }

  // The texts a translation may replace. The defaults do nothing.
  virtual std::string caption() const { return {}; }
  virtual void setCaption(const std::string&) {}
  virtual std::string hint() const { return hint_; }
  virtual void setHint(const std::string& h) { hint_ = h; }
  // Items of lists, combo boxes and radio groups.
  virtual int itemCount() const { return 0; }
  virtual std::string itemText(int) const { return {}; }
  virtual void setItemText(int, const std::string&) {}
  // Lines of memos.
  virtual void clearLines() {}
  virtual void addLine(const std::string&) {}

protected:
  std::string hint_;

private:
  Component* owner_;
  std::string name_;
  std::vector<Component*> components_;
};

enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
enum class Align { None, Top, Bottom, Left, Right, Client };

struct Font {
  std::string name = "Arial";
  int height = -11;              // negative: character height in pixels
  bool bold = false, italic = false, underline = false;
  COLORREF color = CLR_DEFAULT;  // text colour; CLR_DEFAULT = system colour
};

// A control with a window. Positions are in the parent's client coordinates.
class Control : public Component {
public:
  Control(Component* owner, Control* parent, const std::string& name = {});
  ~Control() override;
  Kind kind() const override { return Kind::Control; }

  HWND handle() const { return handle_; }
  Control* parent() const { return parent_; }
  // Controls placed directly on this one, in creation order.
  const std::vector<Control*>& controls() const { return controls_; }
  Form* parentForm() const;

  int left() const; int top() const; int width() const; int height() const;
  virtual void setBounds(int l, int t, int w, int h);
  void setLeft(int v) { setBounds(v, top(), width(), height()); }
  void setTop(int v) { setBounds(left(), v, width(), height()); }
  void setWidth(int v) { setBounds(left(), top(), v, height()); }
  void setHeight(int v) { setBounds(left(), top(), width(), v); }
  int clientWidth() const; int clientHeight() const;

  bool visible() const;
  virtual void setVisible(bool v);
  bool enabled() const;
  virtual void setEnabled(bool e);
  void setFocus();
  bool focused() const;   // this window or one of its children has the focus
  // Whether Tab stops here (the window's WS_TABSTOP).
  void setTabStop(bool t);

  // Anchored sides keep their distance to the parent's sides when it resizes.
  unsigned anchors() const { return anchors_; }
  void setAnchors(unsigned a);
  Align align() const { return align_; }
  void setAlign(Align a);

  const Font& font() const { return font_; }
  HFONT fontHandle() const { return hfont_ ? static_cast<HFONT>(hfont_->get()) : nullptr; }
  void setFont(const Font& f);
  void setColor(COLORREF c);     // background; CLR_DEFAULT = the parent's
  COLORREF color() const { return color_; }
  void setCursor(LPCSTR systemCursor) { cursor_ = systemCursor; }

  std::string caption() const override;
  void setCaption(const std::string& s) override;
  void setHint(const std::string& h) override;

  Notify onClick, onDblClick, onChange, onEnter, onExit, onMouseEnter, onMouseLeave, onResize;
  KeyEvent onKeyDown, onKeyUp;
  KeyPressEvent onKeyPress;

  // Fired when the mouse enters or leaves the control's area (children included).
  virtual void mouseEnter() { if (onMouseEnter) onMouseEnter(*this); }
  virtual void mouseLeave() { if (onMouseLeave) onMouseLeave(*this); }
  virtual void click() { if (onClick) onClick(*this); }

  // Hook for descendants: handle a message of this window; true = handled.
  virtual bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  static Control* fromHandle(HWND h);
  // Places the children again after a size change (align and anchors).
  void realign();

protected:
  // Creates the window; a class name of nullptr means our own container class.
  void createHandle(const char* cls, DWORD style, DWORD exStyle, int l, int t, int w, int h);
  // Subclasses a child window of a standard control (a combo box's edit) so
  // that its keys and mouse count as this control's.
  void adoptChild(HWND child);
  // Destroys the window so that a descendant can create it anew.
  void destroyHandle();

  virtual LRESULT wndProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT defaultProc(UINT msg, WPARAM wp, LPARAM lp);
  // Notifications the parent passes on.
  virtual void command(WORD code) { (void)code; }
  virtual bool notify(NMHDR* nm, LRESULT& result) { (void)nm; (void)result; return false; }
  virtual void drawItem(DRAWITEMSTRUCT*) {}
  // Colours of this control's window (WM_CTLCOLOR* at the parent); nullptr
  // leaves them to the system.
  virtual HBRUSH ctlColor(UINT msg, HDC dc);
  // Labels and check boxes show the background of the control they lie on.
  virtual bool transparentBackground() const { return false; }
  virtual void fontChanged() {}
  HBRUSH backgroundBrush();
  void applyFont();
  void recordAnchorMargins();
  void registerHint(HWND h);

  HWND handle_ = nullptr;
  int id_;
  WNDPROC oldProc_ = nullptr;

private:
  friend LRESULT CALLBACK containerProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK subclassProc(HWND, UINT, WPARAM, LPARAM);
  friend class Application;
  LRESULT satelliteProc(HWND h, WNDPROC old, UINT msg, WPARAM wp, LPARAM lp);
  bool keyMessage(UINT msg, WPARAM& wp);
  void detach();

  Control* parent_;
  std::vector<Control*> controls_;
  std::vector<HWND> satellites_;
  unsigned anchors_ = akLeft | akTop;
  int marginRight_ = 0, marginBottom_ = 0;
  Align align_ = Align::None;
  Font font_;
  std::shared_ptr<GdiObject> hfont_;
  bool ownFont_ = false;
  COLORREF color_ = CLR_DEFAULT;
  GdiObject brush_;
  LPCSTR cursor_ = nullptr;
};

// The process's one application object: title, main form, message loop,
// activation and the mouse enter/leave tracking of all controls.
class Application {
public:
  static Application& instance();
  void initialize();                 // our window classes; idempotent (common controls load when first made)
  const std::string& title() const { return title_; }
  void setTitle(const std::string& t) { title_ = t; }
  Form* mainForm() const { return mainForm_; }
  void setMainForm(Form* f) { mainForm_ = f; }
  HWND handle() const;               // owner for shell calls: the main form's window
  void run();                        // shows the main form, loops until it closes
  void processMessages();            // handles what is queued, returns when empty
  // Handles what comes for ms milliseconds, timers due meanwhile included;
  // false when the quit message came.
  bool processMessagesFor(DWORD ms);
  void terminate();
  bool terminated() const { return terminated_; }
  bool active() const { return active_; }
  // Dispatches one message with the shortcut and dialog-key handling of forms.
  void dispatch(MSG& msg);

  FormNotify onActivate, onDeactivate;   // sender: the main form

  // Enter/leave for the controls under a screen point (the 50 ms poll calls it).
  void trackMouseAt(POINT screen);
  // window: the window under the pointer (nullptr: none of ours). With the
  // pointer's position, a control is left only when the pointer lies outside
  // it or over another control of the program: a window of no control (a
  // tool tip, a window of the system) says nothing about leaving.
  void trackMouseOver(HWND window, const POINT* screen = nullptr);
  void forget(Control* c);
  void activeChanged(bool active);
  // The program's other shown forms go down with the main form and come
  // back with it, as the windows of one application do.
  void mainFormIconic(bool iconic);

private:
  Application() = default;
  static void CALLBACK mouseTimer(HWND, UINT, UINT_PTR, DWORD);
  bool initialized_ = false, terminated_ = false, active_ = false;
  std::string title_;
  Form* mainForm_ = nullptr;
  std::vector<Control*> underMouse_;   // deepest first
  std::vector<Control*> pendingLeave_;
  std::vector<HWND> hiddenWithMain_;
};

inline Application& app() { return Application::instance(); }

}  // namespace win
