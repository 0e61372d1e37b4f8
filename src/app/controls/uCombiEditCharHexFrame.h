// Edits one byte string in two linked combo boxes, as characters and as hex
// digits, with a history of hex entries (the character items mirror them).
#pragma once
#include "uExtPChar.h"
#include "win/GuiControls.h"
#include <string>

class TCombiEditCharHexFrame : public win::Frame {
public:
  TCombiEditCharHexFrame(win::Component* owner, win::Control* parent, const std::string& name = {}, int l = 0,
                         int t = 0, int w = 320, int h = 66);

  win::Label* TitelLabel;
  win::Label* StringLabel;
  win::Label* HexStringLabel;
  win::ComboBox* CharComboBox;
  win::ComboBox* HexStringComboBox;

  TExtPChar Value;
  std::string HistoryFile, HistorySection;
  bool Updating = false;

  void LoadHistory(const std::string& fileName, const std::string& section);
  void SaveHistory();

  // Handlers bound to the boxes by the constructor; a window may bind its own
  // that call these.
  void CharComboBoxClick();
  // The value follows every change of the character box's text: typing,
  // pasting, cutting and undoing by keys or by the context menu.
  void CharComboBoxChange();
  void CharComboBoxKeyUp();
  // A key typed into the list that shows a value with control bytes makes
  // the box editable and starts a new text with that key; true when taken.
  bool CharComboBoxKeyPress(char key);
  void HexStringEditChange();
  void HexStringComboBoxClick();
  void FrameResize();
  // Puts the value at the top of the history (done when the mouse leaves).
  void UpdateHistory();
  void mouseLeave() override { UpdateHistory(); win::Frame::mouseLeave(); }

private:
  void pickEntry(int index);
  void takeCharText();
  void setCharBoxEditable(bool editable);
};
