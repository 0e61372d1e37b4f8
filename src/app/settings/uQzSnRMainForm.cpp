#include "settings/uQzSnRMainForm.h"
#include "settings/Iniregi.h"
#include "settings/uIniFile.h"
#include "win/GuiControls.h"
#include <windows.h>
#include <algorithm>

std::string IniFileName;
std::string DataDir;
int32_t Language = 1;
std::string LanguageFile;
std::vector<TQzSnRMainForm*> FormList;

namespace {
const char kMissing[] = "XXX";

std::string folderOf(const std::string& path) {
  size_t p = path.find_last_of("\\/");
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string fileNameOf(const std::string& path) {
  size_t p = path.find_last_of("\\/");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string withBackslash(std::string s) {
  if (!s.empty() && s.back() != '\\' && s.back() != '/') s += '\\';
  return s;
}

bool sameFolder(const std::string& a, const std::string& b) {
  return lstrcmpiA(withBackslash(a).c_str(), withBackslash(b).c_str()) == 0;
}

bool isAbsolute(const std::string& p) {
  return (p.size() >= 2 && p[1] == ':') || (!p.empty() && (p[0] == '\\' || p[0] == '/'));
}

// Creates a folder and every missing folder above it; errors are ignored.
void forceFolders(const std::string& folder) {
  std::string f = folder;
  while (!f.empty() && (f.back() == '\\' || f.back() == '/')) f.pop_back();
  if (f.empty() || (f.size() == 2 && f[1] == ':')) return;
  if (::GetFileAttributesA(f.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  forceFolders(folderOf(f));
  ::CreateDirectoryA(f.c_str(), nullptr);
}

std::string programPath() {
  char path[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  return std::string(path, n);
}
}  // namespace

void InitMainFormUnitFor(const std::string& programFile, const std::string& appDataDir) {
  std::string programDir = folderOf(programFile);
  std::string name = fileNameOf(programFile);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  name += ".ini";

  // The settings always get a folder: the user's data folder when there is
  // one, otherwise the program's own (a bare name would land in the Windows folder).
  DataDir = appDataDir.empty() || sameFolder(appDataDir, programDir) ? programDir
                                                                     : withBackslash(appDataDir) + kDataFolderName + "\\";
  IniFileName = DataDir + name;
  if (DataDir != programDir) {
    // Followed once; a relative name counts from the INI's folder.
    std::string target = ReadIniString(IniFileName, kSettingsSection, "IniFile", IniFileName);
    if (!target.empty()) IniFileName = isAbsolute(target) ? target : DataDir + target;
    DataDir = folderOf(IniFileName);
    if (DataDir.empty()) DataDir = programDir;
  }
  forceFolders(DataDir);

  Language = ReadIniInteger(IniFileName, kSettingsSection, "Sprache", 1);
  LanguageFile.clear();
  if (Language == -1) {
    std::string file = ReadIniString(IniFileName, kSettingsSection, "Sprachdatei", "");
    if (file.empty()) Language = 0;
    else LanguageFile = DataDir + file;
  } else {
    LanguageFile = DataDir + "Translate.Sprache." + std::to_string(Language);
  }
  FormList.clear();
}

void InitMainFormUnit() {
  std::string program = programPath();
  std::string appData = ReadRegistryString(HKEY_CURRENT_USER,
                                           "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                           "AppData", folderOf(program));
  InitMainFormUnitFor(program, appData);
}

std::string GetIniFileName() { return IniFileName; }
std::string GetDataDir() { return DataDir; }
int32_t GetLanguage() { return Language; }

void SetLanguage(int32_t n) {
  Language = n;
  TIniEdit settings(IniFileName);
  settings.Set(kSettingsSection, "Sprache", std::to_string(n));
  settings.Set(kSettingsSection, "Sprachdatei", fileNameOf(LanguageFile));
  settings.Commit();
  std::vector<TQzSnRMainForm*> forms = FormList;
  for (TQzSnRMainForm* f : forms) {
    // A window that shows this language's texts already would only get them again.
    if (f->TextsLanguage == Language) continue;
    if (Language == -1) TranslateForm(*f);
    f->SetCurrentLanguage();
    f->TextsLanguage = Language;
  }
}

namespace {

void translateComponent(win::Component& c, const TIniSection& texts) {
  using win::Kind;
  auto read = [&](const std::string& key) { return texts.Get(key, kMissing, kIniMaxValue); };
  const std::string& n = c.name();
  if (n.empty()) return;
  switch (c.kind()) {
    case Kind::CheckBox: case Kind::Label: case Kind::Button: case Kind::RadioButton: case Kind::SpeedButton:
    case Kind::Panel: case Kind::Edit: case Kind::ListBox: case Kind::StatusBar: case Kind::PageControl:
    case Kind::TabSheet: case Kind::GroupBox: case Kind::RadioGroup: case Kind::Form: {
      std::string caption = read(n + ".Caption");
      if (caption != kMissing) c.setCaption(caption);
      std::string hint = read(n + ".Hint");
      if (hint != kMissing) c.setHint(hint);
      break;
    }
    case Kind::Memo: {
      std::vector<std::string> lines;
      for (int i = 0;; ++i) {
        std::string line = read(n + ".Caption.Line." + std::to_string(i));
        if (line == kMissing) break;
        lines.push_back(std::move(line));
      }
      // All lines at once: a line added at a time rewrites the whole text each time.
      if (auto* memo = dynamic_cast<win::Memo*>(&c)) {
        memo->setLines(lines);
      } else {
        c.clearLines();
        for (const std::string& line : lines) c.addLine(line);
      }
      break;
    }
    case Kind::MenuItem:
      if (c.caption() != "-") {
        std::string caption = read(n + ".Caption");
        if (caption != kMissing) c.setCaption(caption);
      }
      break;
    default: break;
  }
  if (c.kind() == Kind::RadioGroup || c.kind() == Kind::ComboBox) {
    for (int i = 0, count = c.itemCount(); i < count; ++i) {
      std::string item = read(n + ".Caption.Item." + std::to_string(i));
      if (item != kMissing) c.setItemText(i, item);
    }
  }
}

}  // namespace

void TranslateComponent(win::Component& c, const std::string& section, const std::string& file) {
  translateComponent(c, TIniSection(file, section));
}

namespace {

void translateForm(win::Component& window, bool withWindow) {
  // The window's section is read once; a file read key by key is searched again for every key.
  const TIniSection texts(LanguageFile, window.name());
  auto* form = dynamic_cast<TQzSnRMainForm*>(&window);
  auto guarded = [&](win::Component& c) {
    try {
      if (form && c.kind() == win::Kind::Memo && form->ReplacesLinesOf(c)) return;
      translateComponent(c, texts);
    } catch (...) {
      // One broken component must not stop the others.
    }
  };
  if (withWindow) guarded(window);
  std::vector<win::Component*> owned = window.components();
  for (win::Component* c : owned) guarded(*c);
  if (auto* control = dynamic_cast<win::Control*>(&window)) {
    std::vector<win::Control*> placed = control->controls();
    for (win::Control* c : placed) guarded(*c);
  }
}

}  // namespace

void TranslateForm(win::Component& window) { translateForm(window, true); }
void TranslateFormParts(win::Component& window) { translateForm(window, false); }

TQzSnRMainForm::TQzSnRMainForm(win::Component* owner, const std::string& name) : win::Form(owner, name) {}

TQzSnRMainForm::~TQzSnRMainForm() { leaveFormList(); }

void TQzSnRMainForm::leaveFormList() {
  FormList.erase(std::remove(FormList.begin(), FormList.end(), this), FormList.end());
}

void TQzSnRMainForm::afterConstruction() {
  FormList.push_back(this);
  LoadSettings();
  if (Language == -1) TranslateForm(*this);
  SetCurrentLanguage();
  TextsLanguage = Language;
  win::Form::afterConstruction();
}

void TQzSnRMainForm::beforeDestruction() {
  SaveSettings();
  leaveFormList();
  win::Form::beforeDestruction();
}
