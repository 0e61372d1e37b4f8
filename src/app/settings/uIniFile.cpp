#include "settings/uIniFile.h"
#include "win/DurableFile.h"
#include <windows.h>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// A section header's name, or false for any other line.
bool headerName(const std::string& line, std::string& name) {
  const std::string t = trim(line);
  if (t.empty() || t[0] != '[') return false;
  const size_t close = t.find_last_of(']');
  name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

// A key line's key, or false for blank and comment lines.
bool keyName(const std::string& line, std::string& key) {
  const std::string t = trim(line);
  if (t.empty() || t[0] == ';') return false;
  key = trim(t.substr(0, t.find('=')));
  return !key.empty();
}

struct Section {
  std::string header;                  // the header line as it stands
  std::vector<std::string> lines;      // the lines after it
  std::unordered_map<std::string, size_t> keys;   // first line of each key
};

struct Document {
  std::vector<std::string> preamble;   // lines before the first section
  std::vector<Section> sections;
  std::unordered_map<std::string, size_t> byName;   // first section of each name

  explicit Document(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      add(line);
      start = end + 1;
    }
  }
  void add(const std::string& line) {
    std::string name;
    if (headerName(line, name)) {
      sections.push_back(Section{line, {}, {}});
      byName.emplace(IniNameKey(name), sections.size() - 1);
      return;
    }
    if (sections.empty()) {
      preamble.push_back(line);
      return;
    }
    Section& s = sections.back();
    std::string key;
    if (keyName(line, key)) s.keys.emplace(IniNameKey(key), s.lines.size());
    s.lines.push_back(line);
  }
  void set(const std::string& section, const std::string& key, const std::string& value) {
    auto found = byName.find(IniNameKey(section));
    if (found == byName.end()) {
      // A blank line between sections, as the profile functions write them.
      std::vector<std::string>& before = sections.empty() ? preamble : sections.back().lines;
      if (!before.empty() && !trim(before.back()).empty()) before.push_back("");
      sections.push_back(Section{"[" + section + "]", {}, {}});
      found = byName.emplace(IniNameKey(section), sections.size() - 1).first;
    }
    Section& s = sections[found->second];
    auto k = s.keys.find(IniNameKey(key));
    if (k != s.keys.end()) {
      std::string written;
      keyName(s.lines[k->second], written);
      s.lines[k->second] = written + "=" + value;
      return;
    }
    // After the section's last line that is not blank.
    size_t at = s.lines.size();
    while (at > 0 && trim(s.lines[at - 1]).empty()) --at;
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), key + "=" + value);
    for (auto& entry : s.keys)
      if (entry.second >= at) ++entry.second;
    s.keys.emplace(IniNameKey(key), at);
  }
  std::string text() const {
    std::string out;
    auto put = [&out](const std::string& l) {
      out += l;
      out += "\r\n";
    };
    for (const auto& l : preamble) put(l);
    for (const auto& s : sections) {
      put(s.header);
      for (const auto& l : s.lines) put(l);
    }
    return out;
  }
};

bool hasByteOrderMark(const std::string& data) {
  return data.compare(0, 2, "\xFF\xFE") == 0 || data.compare(0, 2, "\xFE\xFF") == 0 ||
         data.compare(0, 3, "\xEF\xBB\xBF") == 0;
}

}  // namespace

std::string IniNameKey(const std::string& name) {
  std::string k = name;
  if (!k.empty()) ::CharUpperBuffA(&k[0], static_cast<DWORD>(k.size()));
  return k;
}

void TIniEdit::Set(const std::string& section, const std::string& key, const std::string& value) {
  writes_.push_back(Write{section, key, value});
}

bool TIniEdit::Commit() {
  std::string old;
  const bool existed = win::ReadWholeFile(file_, old);
  if (!existed && ::GetFileAttributesA(file_.c_str()) != INVALID_FILE_ATTRIBUTES) return false;   // unreadable
  if (hasByteOrderMark(old)) {
    // A file in another encoding is left to the profile functions, which know it.
    bool ok = true;
    for (const Write& w : writes_)
      ok = ::WritePrivateProfileStringA(w.section.c_str(), w.key.c_str(), w.value.c_str(), file_.c_str()) && ok;
    return ok;
  }
  Document doc(old);
  for (const Write& w : writes_) doc.set(w.section, w.key, w.value);
  const std::string text = doc.text();
  if (existed && text == old) return true;
  return win::WriteFileDurably(file_, text);
}

TIniSection::TIniSection(const std::string& fileName, const std::string& section) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!::GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &info)) return;
  // A section's text is never longer than the file; the loop covers files that grow meanwhile.
  std::vector<char> buf(std::max<size_t>(info.nFileSizeLow, 1024) + 2);
  DWORD n = 0;
  for (;;) {
    n = ::GetPrivateProfileSectionA(section.c_str(), buf.data(), static_cast<DWORD>(buf.size()), fileName.c_str());
    if (n < buf.size() - 2 || buf.size() > (1u << 30)) break;
    buf.resize(buf.size() * 2);
  }
  for (size_t i = 0; i < n;) {
    const std::string entry(buf.data() + i);
    i += entry.size() + 1;
    const size_t eq = entry.find('=');
    if (eq == std::string::npos) continue;   // a key without a value reads as missing
    std::string value = entry.substr(eq + 1);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
      value = value.substr(1, value.size() - 2);
    values_.emplace(IniNameKey(trim(entry.substr(0, eq))), std::move(value));
  }
}

std::string TIniSection::Get(const std::string& key, const std::string& Default, size_t maxChars) const {
  auto it = values_.find(IniNameKey(key));
  return (it == values_.end() ? Default : it->second).substr(0, maxChars);
}

bool TIniSection::Has(const std::string& key) const { return values_.count(IniNameKey(key)) != 0; }
