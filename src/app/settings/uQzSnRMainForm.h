// The base window of the program's windows and the state they share: where the
// settings INI and the data folder are, the language and its file, and the
// list of open windows.
#pragma once
#include "win/GuiForm.h"
#include <cstdint>
#include <string>
#include <vector>

class TQzSnRMainForm;

extern std::string IniFileName;   // the settings INI
extern std::string DataDir;       // the data folder, with a trailing backslash
extern int32_t Language;          // 0 German, 1 English, -1 texts from a language file
extern std::string LanguageFile;  // full path of the language file
extern std::vector<TQzSnRMainForm*> FormList;   // open windows, in creation order

const char kSettingsSection[] = "Generel";
const char kDataFolderName[] = "Qz-Rudize&Darozad Edo";

// Start-up: locates the INI and the data folder of the running program (the
// user's application-data folder from the registry) and reads the language.
void InitMainFormUnit();
// The same for a program file and an application-data folder given (empty:
// none); the start-up and tests use it.
void InitMainFormUnitFor(const std::string& programFile, const std::string& appDataDir);

std::string GetIniFileName();
std::string GetDataDir();
int32_t GetLanguage();
// Switches every open window to language N and stores it in the settings.
void SetLanguage(int32_t n);
// Applies the language file to a window, its components and its controls.
void TranslateForm(win::Component& window);
// The same for the window's components and controls only (made after the window).
void TranslateFormParts(win::Component& window);
// Applies the language file's keys of one component (section: the window's name).
void TranslateComponent(win::Component& c, const std::string& section, const std::string& languageFile);

class TQzSnRMainForm : public win::Form {
public:
  explicit TQzSnRMainForm(win::Component* owner = nullptr, const std::string& name = {});
  ~TQzSnRMainForm() override;

  // Enters the window in FormList, loads its settings, applies the language
  // file (language -1) and the built-in texts, then fires onCreate.
  void afterConstruction() override;
  // Saves the settings and leaves FormList.
  void beforeDestruction() override;

  virtual void LoadSettings() {}
  virtual void SaveSettings() {}
  virtual void CloseForm() { close(); }
  virtual void SetCurrentLanguage() {}

  // The language whose texts the window shows (set at creation and by SetLanguage).
  int32_t TextsLanguage = INT32_MIN;
  // True for a memo whose lines SetCurrentLanguage puts anew: the language
  // file's lines for it would only be replaced at once.
  virtual bool ReplacesLinesOf(const win::Component&) const { return false; }

private:
  void leaveFormList();
};
