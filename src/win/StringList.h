// The class library's string lists. Strings is the interface a list of texts
// offers to code that only fills or reads it (a list box's items can offer it too);
// StringList keeps its texts in memory and reads and writes them as text files.
#pragma once
#include <string>
#include <vector>

namespace win {

class Strings {
public:
  virtual ~Strings() = default;
  virtual int count() const = 0;
  virtual std::string get(int index) const = 0;  // index 0..count()-1
  virtual int add(const std::string& s) = 0;     // returns the new item's index
  // A file's name: the item's text is its 8-bit form. Lists that keep the real
  // name beside the text (file lists) override this.
  virtual int addFileName(const std::wstring& name);
  virtual void clear() = 0;
  // Around many adds: a list shown on screen may skip its repaints between them.
  virtual void beginUpdate() {}
  virtual void endUpdate() {}
};

class StringList : public Strings {
public:
  StringList() = default;
  StringList(std::initializer_list<std::string> items) : items_(items) {}

  int count() const override { return static_cast<int>(items_.size()); }
  std::string get(int index) const override { return items_.at(index); }
  int add(const std::string& s) override;
  void clear() override { items_.clear(); }

  const std::string& operator[](int index) const { return items_.at(index); }
  std::string& operator[](int index) { return items_.at(index); }
  void insert(int index, const std::string& s);  // index 0..count()
  void remove(int index);
  int indexOf(const std::string& s) const;       // exact match; -1 when absent
  const std::vector<std::string>& items() const noexcept { return items_; }

  // Every item followed by CR LF.
  std::string text() const;
  // Splits at CR LF, LF or CR; a line break at the end starts no further item.
  void setText(const std::string& text);

  // False when the file cannot be read or written; the list is then unchanged.
  bool loadFromFile(const std::string& fileName);
  bool loadFromFile(const std::wstring& fileName);
  bool saveToFile(const std::string& fileName) const;

private:
  std::vector<std::string> items_;
};

}  // namespace win
