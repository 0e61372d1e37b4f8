#include "controls/ComboBoxExt.h"
#include "settings/Iniregi.h"
#include "settings/uIniFile.h"
#include <windows.h>

std::string QuoteHistoryEntry(const std::string& text) { return "\\\"" + text + "\\\""; }

std::string UnquoteHistoryEntry(std::string text) {
  for (size_t p; (p = text.find("\\\"")) != std::string::npos;) text.erase(p, 2);
  return text;
}

std::vector<std::string> ReadHistory(const std::string& file, const std::string& section) {
  std::vector<std::string> items;
  if (::GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return items;
  // One read of the section: a key read by key searches the file each time.
  const TIniSection keys(file, section);
  int32_t count = 0;
  if (!ParseInt32(keys.Get("ItemCount", "0", kIniMaxValue), count)) count = 0;
  if (count > kHistoryMaxItems) count = kHistoryMaxItems;
  for (int32_t n = 1; n <= count; ++n)
    items.push_back(UnquoteHistoryEntry(keys.Get("Item" + std::to_string(n), "", kHistoryMaxStored)));
  return items;
}

void WriteHistory(const std::string& file, const std::string& section, const std::vector<std::string>& items) {
  std::vector<std::string> stored;
  for (const auto& it : items) {
    std::string q = QuoteHistoryEntry(it);
    if (q.size() <= kHistoryMaxStored && static_cast<int>(stored.size()) < kHistoryMaxItems) stored.push_back(q);
  }
  // One durable write for the whole history.
  TIniEdit edit(file);
  edit.Set(section, "ItemCount", std::to_string(stored.size()));
  for (size_t i = 0; i < stored.size(); ++i) edit.Set(section, "Item" + std::to_string(i + 1), stored[i]);
  edit.Commit();
}

TComboBoxExt::TComboBoxExt(win::Component* owner, win::Control* parent, const std::string& name, int l, int t, int w,
                           int h)
    : win::ComboBox(owner, parent, name, l, t, w, h) {}

void TComboBoxExt::LoadHistory(const std::string& fileName, const std::string& section) {
  HistoryFile = fileName;
  HistorySection = section;
  clearItems();
  for (const auto& it : ReadHistory(fileName, section)) addItem(it);
}

void TComboBoxExt::SaveHistory() {
  if (HistoryFile.empty()) return;
  WriteHistory(HistoryFile, HistorySection, items());
}

void TComboBoxExt::UpdateHistory() {
  std::string t = text();
  if (t.empty()) return;
  for (int i = count() - 1; i >= 0; --i)
    if (item(i) == t) deleteItem(i);
  insertItem(0, t);
  setItemIndex(0);
}
