#include "uBufferedIniFile.h"
#include <windows.h>
#include "win/DurableFile.h"
#include "win/Handles.h"
#include "win/Timer.h"

namespace {

class WinSaveTimer : public TIniSaveTimer {
public:
  explicit WinSaveTimer(unsigned intervalMs) : timer_(intervalMs) {}
  void SetEnabled(bool on) override { timer_.setEnabled(on); }
  bool Enabled() const override { return timer_.enabled(); }
  void SetOnTimer(std::function<void()> handler) override { timer_.onTimer = std::move(handler); }
private:
  win::Timer timer_;
};

TIniSaveTimerFactory& timerFactory() {
  static TIniSaveTimerFactory f;
  return f;
}

std::unique_ptr<TIniSaveTimer> makeTimer(unsigned intervalMs) {
  if (timerFactory()) {
    if (auto t = timerFactory()(intervalMs)) return t;
  }
  return std::make_unique<WinSaveTimer>(intervalMs);
}

// The INI rules compare keys and section names in ASCII lower case.
std::string lower(const std::string& s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool startsWith(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// The text from begin to end, without characters of code 32 and below at its ends.
std::string trimmed(const std::string& s, size_t b, size_t e) {
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

bool isHeaderLine(const std::string& line) { return !line.empty() && line[0] == '['; }

}  // namespace

void SetIniSaveTimerFactory(TIniSaveTimerFactory factory) { timerFactory() = std::move(factory); }

TBufferedIniFile::TBufferedIniFile(const std::string& fileName) : fileName_(fileName) {
  win::RemoveDurableLeftoversOf(fileName_);  // of a save that was killed
  Load();
  saveTimer_ = makeTimer(SaveDelayMs);
  saveTimer_->SetEnabled(false);
  saveTimer_->SetOnTimer([this] { SaveTimerTimer(); });
}

TBufferedIniFile::~TBufferedIniFile() {
  try {
    Flush();
  } catch (...) {
  }
}

void TBufferedIniFile::Load() {
  lines_.clear();
  win::FileHandle f(::CreateFileA(fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f) {
    std::string data;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(f.get(), buf, sizeof(buf), &got, nullptr) && got > 0) data.append(buf, got);
    // Lines end at CR, LF or CR LF; a final line break adds no empty line.
    size_t start = 0, i = 0;
    auto add = [&](size_t end) { lines_.push_back(trimmed(data, start, end)); };
    while (i < data.size()) {
      char c = data[i];
      if (c == '\r' || c == '\n') {
        add(i);
        if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        start = i + 1;
      }
      ++i;
    }
    if (start < data.size()) add(data.size());
  }
  BuildSectionIndex();
}

void TBufferedIniFile::BuildSectionIndex() {
  sectionIndex_.clear();
  sectionByName_.clear();
  keysBySection_.clear();
  for (size_t i = 0; i < lines_.size(); ++i)
    if (isHeaderLine(lines_[i])) {
      sectionIndex_.push_back(static_cast<int>(i));
      sectionByName_.emplace(lower(lines_[i]), static_cast<int>(i));   // the first header of a name counts
    }
}

int TBufferedIniFile::FindSection(const std::string& section) const {
  const auto it = sectionByName_.find("[" + lower(section) + "]");
  return it == sectionByName_.end() ? -1 : it->second;
}

const TBufferedIniFile::TSectionKeys& TBufferedIniFile::SectionKeys(int header) const {
  auto it = keysBySection_.find(header);
  if (it != keysBySection_.end()) return it->second;
  TSectionKeys keys;
  size_t i = static_cast<size_t>(header) + 1;
  for (; i < lines_.size() && !isHeaderLine(lines_[i]); ++i) {
    const size_t eq = lines_[i].find('=');
    if (eq != std::string::npos) keys.lines.emplace(lower(lines_[i].substr(0, eq)), static_cast<int>(i));
  }
  keys.end = static_cast<int>(i);
  return keysBySection_.emplace(header, std::move(keys)).first->second;
}

int TBufferedIniFile::FindKeyLine(int header, const std::string& key) const {
  const TSectionKeys& keys = SectionKeys(header);
  const std::string name = lower(key);
  if (name.find('=') == std::string::npos) {
    // A key without "=" matches exactly the lines whose text before their first "=" it is.
    const auto it = keys.lines.find(name);
    return it == keys.lines.end() ? -1 : it->second;
  }
  const std::string prefix = name + "=";
  for (int i = header + 1; i < keys.end; ++i)
    if (startsWith(lower(lines_[i]), prefix)) return i;
  return -1;
}

bool TBufferedIniFile::FindValue(const std::string& section, const std::string& key,
                                 std::string& value) const {
  const int header = FindSection(section);
  const int line = header < 0 ? -1 : FindKeyLine(header, key);
  if (line < 0) return false;
  value = lines_[line].substr(lines_[line].find('=') + 1);
  return true;
}

std::string TBufferedIniFile::ReadString(const std::string& section, const std::string& key,
                                         const std::string& def) const {
  std::string value;
  return FindValue(section, key, value) ? value : def;
}

void TBufferedIniFile::WriteString(const std::string& section, const std::string& key,
                                   const std::string& value) {
  const std::string line = key + "=" + value;
  int header = FindSection(section);
  if (header >= 0) {
    const int at = FindKeyLine(header, key);
    if (at >= 0) {
      // The line keeps its text before the first "=": the key caches stay true.
      lines_[at] = line;
      ScheduleSave(true);
      return;
    }
    lines_.insert(lines_.begin() + SectionKeys(header).end, line);
  } else {
    lines_.push_back("[" + section + "]");
    lines_.push_back(line);
  }
  BuildSectionIndex();
  ScheduleSave(true);
}

bool TBufferedIniFile::Save() {
  saveTimer_->SetEnabled(false);
  bool ok = false;
  try {
    std::string data;
    for (const auto& l : lines_) {
      data += l;
      data += "\r\n";
    }
    ok = win::WriteFileDurably(fileName_, data);
  } catch (...) {
    ok = false;
  }
  // A failed save stays pending, so the next timer tick, Flush or unload tries again.
  if (!ok) saveTimer_->SetEnabled(true);
  return ok;
}

void TBufferedIniFile::Flush() {
  if (saveTimer_ && saveTimer_->Enabled()) Save();
}

void TBufferedIniFile::ScheduleSave(bool restart) {
  saveTimer_->SetEnabled(false);
  if (restart) saveTimer_->SetEnabled(true);
}

bool TBufferedIniFile::SavePending() const { return saveTimer_ && saveTimer_->Enabled(); }

void TBufferedIniFile::SaveTimerTimer() { Save(); }
