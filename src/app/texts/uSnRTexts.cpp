#include "texts/uSnRTexts.h"
#include "win/GuiControls.h"

const char kLanguageGermanCaption[] = "&deutsch";
const char kLanguageEnglishCaption[] = "&English";

namespace {
// Umlauts are written as Windows-1252 escapes; a literal is split after each
// escape so that a following letter cannot extend it.
const std::vector<TSnRText> kTexts = {
    {"CreateTaskTabSheet", "create task", "Aufgaben"},
    {"ResultTabSheet", "result", "Ergebnis"},
    {"SnRButton", "Radavi&&&Dezevud Strings in Selected Files", "Radavi&&&Dezevud durchf\xFC" "hren "},
    {"FileNameGroupBox", " Files ", " Dateien "},
    {"PathLabel", "&Path", "&Pfad"},
    {"FilenameLabel", "Filen&ame (including wild cards (\"*\", \"?\"):", "Datei&name (mit \"wild cards\" (\"*\", \"?\"):"},
    {"RekursivCheckBox", "rekursiv", "rekursive"},
    {"SingleLineTabSheet", "single line", "einzeiliger Text"},
    {"MultiLineTabSheet", "multi line", "mehrzeiliger Text"},
    {"StringGroupBox", " Strings ", " Texte "},
    {"CombiEditCharHexFrameFromStr.StringLabel", "String", "String"},
    {"CombiEditCharHexFrameToStr.StringLabel", "String", "String"},
    {"CombiEditCharHexFrameFromStr.HexStringLabel", "Hex String", "Hex String"},
    {"CombiEditCharHexFrameToStr.HexStringLabel", "Hex String", "Hex String"},
    {"CombiEditCharHexFrameFromStr.TitelLabel", "Old String", "Urspr\xFC" "nglicher Text"},
    {"CombiEditCharHexFrameToStr.TitelLabel", "New String", "Neuer Text"},
    {"OldStringLabel", "Old String", "Urspr\xFC" "nglicher Text"},
    {"NewStringLabel", "New String", "Neuer Text"},
    {"CaseSensitivSingleLineCheckBox", "case sensitive search", "Gro\xDF" "-/Kleinschreibung beachten"},
    {"RegExpSingleLineCheckBox", "regular expression", "Regul\xE4" "rer Ausdruck"},
    {"CaseSensitivMultiLineCheckBox", "case sensitive search", "Gro\xDF" "-/Kleinschreibung beachten"},
    {"RegExpMultiLineCheckBox", "regular expression", "Regul\xE4" "rer Ausdruck"},
    {"SelectDirSpeedButton", "...", "..."},
    {"FileSearchResultLabel", "", ""},
    {"File1", "File", "Datei"},
    {"Exit1", "Exit", "Programm beenden"},
    {"SaveasBatchFile1", "Save as Batch File ...", "Als Batch-Datei speichern ..."},
    {"SelectAllNoneCheckBox", "select all/none", "alle/keine ausw\xE4" "hlen"},
    {"ClearHistory1", "Clear History", "Historie l\xF6" "schen"},
    {"BackupFileTabSheet", "backup", "Backupdateien"},
    {"SelectAllNone2CheckBox", "select all/none", "alle/keine ausw\xE4" "hlen"},
    {"Options1", "Options", "Optionen"},
    {"Backupfiles1", "Backup Files List ...", "Backup-Datei-Liste ..."},
    {"CreateBackupFiles1", "Create Backup Files", "Backup Dateien erzeugen"},
    {"LogResults", "Log Results ...", "Ergebnisse protokollieren"},
    {"no1", "... no", "... nein"},
    {"onlyfileswithreplacedstrings1", "... only files with replaced strings", "... nur Dateien mit ersetzten Texten"},
    {"allfiles1", "... all files", "... alle Dateien"},
    {"ClearLogResults1", "Clear Log Results", "Protokoll l\xF6" "schen"},
    {"DeleteBackupfilesButton", "Delete Selected Backup Files", "Ausgew\xE4" "hlte Backup-Dateien l\xF6" "schen"},
    {"HelpWindow1", "Help Window", "Hilfefenster"},
    {"Help1", "Help", "Hilfe"},
    {"Help2", "Help", "Hilfe"},
    {"Homepage1", "Homepage", "Homepage"},
    {"About1", "About ...", "\xDC" "ber ..."},
    {"Language1", "Language", "Sprache"},
};

const char* const kWarrantyEnglish[] = {
    "Qz-Radavi&Dezevud modifies files on your computer.",
    "Backup files are created during every single process step to avoid the risk of data loss - but there is no "
    "guarantee.",
    "", "", ""};
const char* const kWarrantyGerman[] = {
    "Qz-Radavi&Dezevud ver\xE4" "ndert Dateien auf Ihrem Rechner.",
    "Sicherheitskopien werden w\xE4" "hrend dieses Vorgangs erzeugt um einen Datenverlust zu vermeiden - 100%ig "
    "ausschlie\xDF" "en l\xE4" "sst sich dies aber nicht.",
    "", "", ""};

win::Component* findOwned(win::Component& root, const std::string& name) {
  for (win::Component* c : root.components()) {
    if (c->name() == name) return c;
    if (win::Component* inner = findOwned(*c, name)) return inner;
  }
  return nullptr;
}
}  // namespace

const std::vector<TSnRText>& SnRFormTexts() { return kTexts; }

bool HasBuiltInTexts(int32_t language) { return language == 0 || language == 1 || language == -1; }

const char* SnRFormText(const std::string& name, int32_t language) {
  if (!HasBuiltInTexts(language)) return nullptr;
  for (const TSnRText& t : kTexts)
    if (name == t.Name) return language == 0 ? t.German : t.English;
  return nullptr;
}

std::vector<std::string> WarrantyLines(int32_t language) {
  if (!HasBuiltInTexts(language)) return {};
  const char* const* lines = language == 0 ? kWarrantyGerman : kWarrantyEnglish;
  return std::vector<std::string>(lines, lines + 5);
}

win::Component* FindSnRComponent(win::Component& window, const std::string& name) {
  size_t dot = name.find('.');
  if (dot == std::string::npos) return findOwned(window, name);
  win::Component* outer = findOwned(window, name.substr(0, dot));
  return outer ? FindSnRComponent(*outer, name.substr(dot + 1)) : nullptr;
}

bool ApplySnRFormTexts(win::Component& window, int32_t language) {
  if (!HasBuiltInTexts(language)) return false;
  // A text that a control shows already is not set again: every set is a round
  // trip to the window system, and a tab's caption rebuilds all tabs.
  for (const TSnRText& t : kTexts) {
    win::Component* c = FindSnRComponent(window, t.Name);
    const char* text = language == 0 ? t.German : t.English;
    if (c && c->caption() != text) c->setCaption(text);
  }
  if (win::Component* memo = FindSnRComponent(window, "WarrantyMemo")) {
    const std::vector<std::string> lines = WarrantyLines(language);
    auto* m = dynamic_cast<win::Memo*>(memo);
    if (m && m->lines() != lines) {
      m->setLines(lines);
    } else if (!m) {
      memo->clearLines();
      for (const std::string& line : lines) memo->addLine(line);
    }
  }
  return true;
}

const char* ProductHomepage(int32_t language) {
  return language == 0 ? "http://www.example.org/qzsnr/index.d.php"
                       : "http://www.example.org/qzsnr/index.php";
}
