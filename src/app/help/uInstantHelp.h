// The step-by-step help window: docked against the right edge of the main
// window, it lists the steps still open before jobs can be started. The main
// window decides the steps (TSnRForm::UpdateHelp) and draws the guide lines
// from the rectangles this window records while drawing its first two entries.
#pragma once
#include "help/uHelpSteps.h"
#include "settings/uQzSnRMainForm.h"
#include "win/GuiControls.h"
#include "win/Timer.h"
#include <functional>

// A list box that draws its entries itself, each as high as its text needs.
class THelpListBox : public win::ListBox {
public:
  THelpListBox(win::Component* owner, win::Control* parent, const std::string& name, int l, int t, int w, int h);
  std::function<void(int index, const RECT& rect, HDC dc)> onDrawItem;

protected:
  void drawItem(DRAWITEMSTRUCT* di) override;
};

class TInstantHelpForm : public TQzSnRMainForm {
public:
  explicit TInstantHelpForm(win::Component* owner = nullptr);

  THelpListBox* HelpListBox = nullptr;
  win::CheckBox* GuidingHelpCheckBox = nullptr;
  win::Timer UpdatePositionTimer;      // 200 ms, enabled
  win::Timer InitTimer;                // 1500 ms one-shot, off at start

  POINT LastPos = {0, 0};              // left and top at the last check
  THelpItemRects HelpItemRects;        // screen rectangles of entries 0 and 1

  // The window docked to and the refresh of the help; by default the main
  // window and its UpdateHelp. Tests put their own.
  win::Form* DockTo = nullptr;
  std::function<void()> OnUpdateHelp;

  void SetCurrentLanguage() override;

  void UpdatePositionTimerTimer();
  void HelpListBoxMeasureItem(int Index, int& Height);
  void HelpListBoxDrawItem(int Index, const RECT& Rect, HDC dc);
  void FormShow();
  void FormHide();
  void GuidingHelpCheckBoxClick();
  void FormClose();
  void InitTimerTimer();
  void FormCreate();
  void FormResize();

  // Replaces the listed entries; the recorded rectangles are reset, since
  // they are known again only once the list has drawn its entries.
  void ShowSteps(const std::vector<std::string>& texts);

protected:
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
  void updateHelp();
  win::Form* dockTarget() const;
};

extern TInstantHelpForm* InstantHelpForm;

// The help window's own texts; nullptr for a language without built-in texts.
const char* InstantHelpCaption(int32_t language);
const char* GuidingHelpCaption(int32_t language);
