#include "win/StringList.h"
#include "win/FileNames.h"
#include "win/Handles.h"
#include <stdexcept>

namespace win {

int Strings::addFileName(const std::wstring& name) { return add(WideToAnsi(name)); }

int StringList::add(const std::string& s) {
  items_.push_back(s);
  return count() - 1;
}

void StringList::insert(int index, const std::string& s) {
  if (index < 0 || index > count()) throw std::out_of_range("StringList::insert");
  items_.insert(items_.begin() + index, s);
}

void StringList::remove(int index) {
  if (index < 0 || index >= count()) throw std::out_of_range("StringList::remove");
  items_.erase(items_.begin() + index);
}

int StringList::indexOf(const std::string& s) const {
  for (int i = 0; i < count(); ++i)
    if (items_[i] == s) return i;
  return -1;
}

std::string StringList::text() const {
  std::string t;
  for (const auto& s : items_) {
    t += s;
    t += "\r\n";
  }
  return t;
}

void StringList::setText(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0, i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text, start, i - start);
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text, start, std::string::npos);
  items_.swap(lines);
}

bool StringList::loadFromFile(const std::string& fileName) { return loadFromFile(AnsiToWide(fileName)); }

bool StringList::loadFromFile(const std::wstring& fileName) {
  FileHandle f(::CreateFileW(LongPath(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(f.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  std::string data(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!data.empty() && (!::ReadFile(f.get(), &data[0], static_cast<DWORD>(data.size()), &got, nullptr) ||
                        got != data.size()))
    return false;
  setText(data);
  return true;
}

bool StringList::saveToFile(const std::string& fileName) const {
  FileHandle f(::CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  const std::string data = text();
  DWORD written = 0;
  return data.empty() || (::WriteFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                          written == data.size());
}

}  // namespace win
