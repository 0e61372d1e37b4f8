// The main window's control texts in both languages and their application to
// a window's components by name.
#include "controls/uCombiEditCharHexFrame.h"
#include "texts/uSnRTexts.h"
#include "win/GuiControls.h"
#include "win/GuiForm.h"
#include <windows.h>
#include <gtest/gtest.h>
#include "AppTestText.h"
#include <map>

namespace {
struct Row {
  const char* name;
  const char* english;
  const char* german;   // UTF-8
};

// The expected table, written independently of the program's escapes.
const Row kExpected[] = {
    {"CreateTaskTabSheet", "create task", "Aufgaben"},
    {"ResultTabSheet", "result", "Ergebnis"},
    {"SnRButton", "Radavi&&&Dezevud Strings in Selected Files", u8"Radavi&&&Dezevud durchführen "},
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
    {"CombiEditCharHexFrameFromStr.TitelLabel", "Old String", u8"Ursprünglicher Text"},
    {"CombiEditCharHexFrameToStr.TitelLabel", "New String", "Neuer Text"},
    {"OldStringLabel", "Old String", u8"Ursprünglicher Text"},
    {"NewStringLabel", "New String", "Neuer Text"},
    {"CaseSensitivSingleLineCheckBox", "case sensitive search", u8"Groß-/Kleinschreibung beachten"},
    {"RegExpSingleLineCheckBox", "regular expression", u8"Regulärer Ausdruck"},
    {"CaseSensitivMultiLineCheckBox", "case sensitive search", u8"Groß-/Kleinschreibung beachten"},
    {"RegExpMultiLineCheckBox", "regular expression", u8"Regulärer Ausdruck"},
    {"SelectDirSpeedButton", "...", "..."},
    {"FileSearchResultLabel", "", ""},
    {"File1", "File", "Datei"},
    {"Exit1", "Exit", "Programm beenden"},
    {"SaveasBatchFile1", "Save as Batch File ...", "Als Batch-Datei speichern ..."},
    {"SelectAllNoneCheckBox", "select all/none", u8"alle/keine auswählen"},
    {"ClearHistory1", "Clear History", u8"Historie löschen"},
    {"BackupFileTabSheet", "backup", "Backupdateien"},
    {"SelectAllNone2CheckBox", "select all/none", u8"alle/keine auswählen"},
    {"Options1", "Options", "Optionen"},
    {"Backupfiles1", "Backup Files List ...", "Backup-Datei-Liste ..."},
    {"CreateBackupFiles1", "Create Backup Files", "Backup Dateien erzeugen"},
    {"LogResults", "Log Results ...", "Ergebnisse protokollieren"},
    {"no1", "... no", "... nein"},
    {"onlyfileswithreplacedstrings1", "... only files with replaced strings", "... nur Dateien mit ersetzten Texten"},
    {"allfiles1", "... all files", "... alle Dateien"},
    {"ClearLogResults1", "Clear Log Results", u8"Protokoll löschen"},
    {"DeleteBackupfilesButton", "Delete Selected Backup Files", u8"Ausgewählte Backup-Dateien löschen"},
    {"HelpWindow1", "Help Window", "Hilfefenster"},
    {"Help1", "Help", "Hilfe"},
    {"Help2", "Help", "Hilfe"},
    {"Homepage1", "Homepage", "Homepage"},
    {"About1", "About ...", u8"Über ..."},
    {"Language1", "Language", "Sprache"},
};

const char* const kWarrantyEnglish[] = {
    "Qz-Radavi&Dezevud modifies files on your computer.",
    "Backup files are created during every single process step to avoid the risk of data loss - but there is no "
    "guarantee.",
    "", "", ""};
const char* const kWarrantyGerman[] = {
    u8"Qz-Radavi&Dezevud verändert Dateien auf Ihrem Rechner.",
    u8"Sicherheitskopien werden während dieses Vorgangs erzeugt um einen Datenverlust zu vermeiden - 100%ig "
    u8"ausschließen lässt sich dies aber nicht.",
    "", "", ""};
}  // namespace

TEST(SnRTexts, EveryControlTextInBothLanguages) {
  ASSERT_EQ(SnRFormTexts().size(), sizeof(kExpected) / sizeof(kExpected[0]));
  for (const Row& r : kExpected) {
    const char* de = SnRFormText(r.name, 0);
    const char* en = SnRFormText(r.name, 1);
    const char* file = SnRFormText(r.name, -1);
    ASSERT_TRUE(de && en && file) << r.name;
    EXPECT_EQ(de, ansi(r.german)) << r.name;
    EXPECT_EQ(en, std::string(r.english)) << r.name;
    EXPECT_EQ(file, std::string(r.english)) << r.name;
    EXPECT_EQ(SnRFormText(r.name, 2), nullptr) << r.name;
  }
  EXPECT_EQ(SnRFormText("deutsch1", 0), nullptr);   // the language items are not translated
  EXPECT_EQ(std::string(kLanguageGermanCaption), "&deutsch");
  EXPECT_EQ(std::string(kLanguageEnglishCaption), "&English");
}

TEST(SnRTexts, WarrantyLines) {
  std::vector<std::string> de, en;
  for (const char* l : kWarrantyGerman) de.push_back(ansi(l));
  for (const char* l : kWarrantyEnglish) en.push_back(l);
  EXPECT_EQ(WarrantyLines(0), de);
  EXPECT_EQ(WarrantyLines(1), en);
  EXPECT_EQ(WarrantyLines(-1), en);
  EXPECT_TRUE(WarrantyLines(3).empty());
}

TEST(SnRTexts, HomepageUnderThePlaceholderDomainWithLanguagePaths) {
  const std::string de = ProductHomepage(0), en = ProductHomepage(1);
  EXPECT_EQ(de.find("http://www.example.org/"), 0u);
  EXPECT_EQ(en.find("http://www.example.org/"), 0u);
  EXPECT_EQ(de.substr(de.size() - 11), "index.d.php");
  EXPECT_EQ(en.substr(en.size() - 10), "/index.php");
  EXPECT_EQ(std::string(ProductHomepage(-1)), en);
}

namespace {
// A window with a sample of the main window's kinds of components.
struct SampleForm : win::Form {
  SampleForm() : win::Form(nullptr, "SnRForm") {
    auto* pages = new win::PageControl(this, this, "MainPageControl", 0, 0, 400, 300);
    task = new win::TabSheet(this, pages, "CreateTaskTabSheet", "design");
    group = new win::GroupBox(this, task, "FileNameGroupBox", 0, 0, 380, 200);
    path = new win::Label(this, group, "PathLabel", "design", 4, 4);
    status = new win::Label(this, group, "FileSearchResultLabel", "12 files found", 4, 30);
    rekursiv = new win::CheckBox(this, group, "RekursivCheckBox", "design", 4, 60);
    memo = new win::Memo(this, group, "WarrantyMemo", 4, 90, 300, 80);
    memo->setText("design\r\n");
    from = new TCombiEditCharHexFrame(this, task, "CombiEditCharHexFrameFromStr", 0, 200, 380, 66);
    to = new TCombiEditCharHexFrame(this, task, "CombiEditCharHexFrameToStr", 0, 200, 380, 66);
    menu = new win::MainMenu(this, "MainMenu");
    options = new win::MenuItem(this, menu, "Options1", "design");
    language = new win::MenuItem(this, options, "Language1", "design");
    deutsch = new win::MenuItem(this, language, "deutsch1", "&deutsch");
    setMenu(menu);
  }
  win::TabSheet* task;
  win::GroupBox* group;
  win::Label *path, *status;
  win::CheckBox* rekursiv;
  win::Memo* memo;
  TCombiEditCharHexFrame *from, *to;
  win::MainMenu* menu;
  win::MenuItem *options, *language, *deutsch;
};
}  // namespace

TEST(SnRTexts, AppliedByNameAndSwitchedAtRunTime) {
  win::app().initialize();
  auto* f = win::Form::create<SampleForm>();
  EXPECT_EQ(FindSnRComponent(*f, "CombiEditCharHexFrameToStr.TitelLabel"), f->to->TitelLabel);
  EXPECT_EQ(FindSnRComponent(*f, "TitelLabel"), f->from->TitelLabel);   // the first one owned
  EXPECT_EQ(FindSnRComponent(*f, "Nothing.TitelLabel"), nullptr);

  ASSERT_TRUE(ApplySnRFormTexts(*f, 0));
  EXPECT_EQ(f->task->caption(), "Aufgaben");
  EXPECT_EQ(f->group->caption(), " Dateien ");
  EXPECT_EQ(f->path->caption(), "&Pfad");
  EXPECT_EQ(f->status->caption(), "");
  EXPECT_EQ(f->rekursiv->caption(), "rekursive");
  EXPECT_EQ(f->from->TitelLabel->caption(), ansi(u8"Ursprünglicher Text"));
  EXPECT_EQ(f->to->TitelLabel->caption(), "Neuer Text");
  EXPECT_EQ(f->options->caption(), "Optionen");
  EXPECT_EQ(f->language->caption(), "Sprache");
  EXPECT_EQ(f->deutsch->caption(), "&deutsch");
  std::vector<std::string> de;
  for (const char* l : kWarrantyGerman) de.push_back(ansi(l));
  EXPECT_EQ(f->memo->lines(), de);
  char shown[64] = {};
  ::GetWindowTextA(f->path->handle(), shown, sizeof shown);
  EXPECT_STREQ(shown, "&Pfad");   // on the screen, not just in the object

  f->status->setCaption("3 files found");
  ASSERT_TRUE(ApplySnRFormTexts(*f, 1));
  EXPECT_EQ(f->task->caption(), "create task");
  EXPECT_EQ(f->status->caption(), "");
  EXPECT_EQ(f->from->TitelLabel->caption(), "Old String");
  EXPECT_EQ(f->options->caption(), "Options");
  EXPECT_EQ(f->memo->lines().size(), 5u);
  EXPECT_EQ(f->memo->lines()[0], kWarrantyEnglish[0]);

  // Another language number leaves every text as it is.
  f->status->setCaption("3 files found");
  EXPECT_FALSE(ApplySnRFormTexts(*f, 4));
  EXPECT_EQ(f->task->caption(), "create task");
  EXPECT_EQ(f->status->caption(), "3 files found");
  EXPECT_EQ(f->memo->lines().size(), 5u);
  f->release();
}
