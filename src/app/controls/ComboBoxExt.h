// Combo box with mouse enter/leave events and a most-recently-used history kept
// in an INI section, and the history file format shared with the char/hex frame.
#pragma once
#include "win/GuiControls.h"
#include <string>
#include <vector>

// Entries are stored quoted as \"text\"; a stored entry is at most this long,
// so every entry written reads back whole.
constexpr size_t kHistoryMaxStored = 400;
// A damaged "ItemCount" must not make the start crawl through millions of keys.
constexpr int kHistoryMaxItems = 1000;

std::string QuoteHistoryEntry(const std::string& text);
// Removes every \" (one at a time, from the left, until none is left).
std::string UnquoteHistoryEntry(std::string text);
// The entries of a section, most recent first; empty when the file is missing.
std::vector<std::string> ReadHistory(const std::string& file, const std::string& section);
// Writes "ItemCount" and "Item1".. for the entries that fit; others are left out.
void WriteHistory(const std::string& file, const std::string& section, const std::vector<std::string>& items);

class TComboBoxExt : public win::ComboBox {
public:
  TComboBoxExt(win::Component* owner, win::Control* parent, const std::string& name = {}, int l = 0, int t = 0,
               int w = 145, int h = 21);

  std::string HistoryFile, HistorySection;
  void LoadHistory(const std::string& fileName, const std::string& section);
  void SaveHistory();
  // Moves the current text to the top of the items (done when the mouse leaves).
  void UpdateHistory();

  virtual void MouseEnter() { win::ComboBox::mouseEnter(); }
  virtual void MouseLeave() { win::ComboBox::mouseLeave(); }
  void mouseEnter() override { MouseEnter(); }
  void mouseLeave() override { UpdateHistory(); MouseLeave(); }
};
