#include "AppTestDir.h"
#include "settings/Iniregi.h"
#include "settings/uQzSnRMainForm.h"
#include "win/GuiControls.h"
#include <gtest/gtest.h>

namespace {
struct StartTest : ::testing::Test {
  AppTestDir dir;
  std::string progDir = dir.path() + "prog\\";
  std::string appData = dir.path() + "appdata";
  std::string program = progDir + "QzSearchAndReplace.exe";
  std::string userDir = appData + "\\Qz-Rudize&Darozad Edo\\";
  void SetUp() override {
    ::CreateDirectoryA(progDir.c_str(), nullptr);
    ::CreateDirectoryA(appData.c_str(), nullptr);
  }
};
}  // namespace

TEST_F(StartTest, AFreshUserGetsADataFolderAndEnglish) {
  InitMainFormUnitFor(program, appData);
  EXPECT_EQ(GetDataDir(), userDir);
  EXPECT_TRUE(AppTestDir::exists(userDir));
  EXPECT_EQ(GetIniFileName(), userDir + "QzSearchAndReplace.ini");
  EXPECT_EQ(GetLanguage(), 1);
  EXPECT_EQ(LanguageFile, userDir + "Translate.Sprache.1");
  InitMainFormUnitFor(program, appData + "\\");   // a trailing backslash changes nothing
  EXPECT_EQ(GetDataDir(), userDir);
}

TEST_F(StartTest, WithoutAnApplicationDataFolderTheProgramFolderHoldsEverything) {
  InitMainFormUnitFor(program, "");
  EXPECT_EQ(GetDataDir(), progDir);
  EXPECT_EQ(GetIniFileName(), progDir + "QzSearchAndReplace.ini");   // never a bare name
  InitMainFormUnitFor(program, progDir);
  EXPECT_EQ(GetIniFileName(), progDir + "QzSearchAndReplace.ini");
}

TEST_F(StartTest, IniFileRedirectionMovesTheDataFolderOnce) {
  ::CreateDirectoryA(userDir.c_str(), nullptr);
  std::string other = dir.path() + "elsewhere\\deeper\\";
  WriteIniString(userDir + "QzSearchAndReplace.ini", "Generel", "IniFile", other + "my.ini");
  WriteIniString(other.substr(0, other.size() - 7) + "x.ini", "Generel", "Sprache", "0");
  InitMainFormUnitFor(program, appData);
  EXPECT_EQ(GetIniFileName(), other + "my.ini");
  EXPECT_EQ(GetDataDir(), other);
  EXPECT_TRUE(AppTestDir::exists(other));   // created with every missing folder above it

  // Not followed twice.
  WriteIniString(other + "my.ini", "Generel", "IniFile", dir.path() + "third.ini");
  InitMainFormUnitFor(program, appData);
  EXPECT_EQ(GetIniFileName(), other + "my.ini");

  // A name without a folder lies beside the INI that names it.
  WriteIniString(userDir + "QzSearchAndReplace.ini", "Generel", "IniFile", "portable.ini");
  InitMainFormUnitFor(program, appData);
  EXPECT_EQ(GetIniFileName(), userDir + "portable.ini");
  EXPECT_EQ(GetDataDir(), userDir);
  WriteIniString(userDir + "QzSearchAndReplace.ini", "Generel", "IniFile", "sub\\rel.ini");
  InitMainFormUnitFor(program, appData);
  EXPECT_EQ(GetDataDir(), userDir + "sub\\");
  EXPECT_TRUE(AppTestDir::exists(userDir + "sub"));
}

TEST_F(StartTest, LanguageSettings) {
  ::CreateDirectoryA(userDir.c_str(), nullptr);
  std::string ini = userDir + "QzSearchAndReplace.ini";
  struct Case { const char* sprache; const char* datei; int language; std::string file; } cases[] = {
      {"-1", "", 0, ""},
      {"-1", "Language.fr", -1, userDir + "Language.fr"},
      {"word", "x", 1, userDir + "Translate.Sprache.1"},
      {"0", "Language.fr", 0, userDir + "Translate.Sprache.0"},
  };
  for (const auto& c : cases) {
    WriteIniString(ini, "Generel", "Sprache", c.sprache);
    WriteIniString(ini, "Generel", "Sprachdatei", c.datei);
    InitMainFormUnitFor(program, appData);
    EXPECT_EQ(GetLanguage(), c.language) << c.sprache << " " << c.datei;
    EXPECT_EQ(LanguageFile, c.file) << c.sprache << " " << c.datei;
  }
}

namespace {
// A window with one control of each kind that language files touch.
class SampleForm : public TQzSnRMainForm {
public:
  explicit SampleForm(std::vector<std::string>& log) : TQzSnRMainForm(nullptr, "SnRForm"), log_(log) {
    label = new win::Label(this, this, "KeepLabel", "design");
    other = new win::Label(this, this, "OtherLabel", "design");
    memo = new win::Memo(this, this, "Memo", 0, 40, 100, 60);
    memo->setLines({"design line"});
    combo = new win::ComboBox(this, this, "Combo", 0, 110, 100, 21);
    for (const char* s : {"a", "b", "c"}) combo->addItem(s);
    menu = new win::MainMenu(this, "Menu");
    file = new win::MenuItem(this, menu, "File1", "File");
    sep = new win::MenuItem(this, file, "N1", "-");
    setMenu(menu);
    frame = new win::Frame(this, this, "Frame", 0, 140, 100, 40);
    inner = new win::Label(frame, frame, "InnerLabel", "inner");
    onCreate = [this](win::Control&) { log_.push_back(name() + ".create"); };
  }
  void LoadSettings() override { log_.push_back(name() + ".load"); }
  void SaveSettings() override { log_.push_back(name() + ".save"); }
  void SetCurrentLanguage() override { log_.push_back(name() + ".lang" + std::to_string(GetLanguage())); }
  win::Label* label; win::Label* other; win::Memo* memo; win::ComboBox* combo;
  win::MainMenu* menu; win::MenuItem* file; win::MenuItem* sep; win::Frame* frame; win::Label* inner;
private:
  std::vector<std::string>& log_;
};

struct LanguageTest : ::testing::Test {
  AppTestDir dir;
  std::vector<std::string> log;
  std::string lang = dir / "Language.test";
  void SetUp() override {
    InitMainFormUnitFor(dir / "prog.exe", dir.path() + "appdata");
    LanguageFile = lang;
  }
  void put(const std::string& key, const std::string& value) { WriteIniString(lang, "SnRForm", key, value); }
};
}  // namespace

TEST_F(LanguageTest, TranslationReplacesWhatTheFileGivesAndKeepsTheRest) {
  put("KeepLabel.Caption", "XXX");
  put("OtherLabel.Caption", "translated");
  put("OtherLabel.Hint", "a hint");
  put("SnRForm.Caption", "window title");
  for (int i = 0; i < 6; ++i) put("Combo.Caption.Item." + std::to_string(i), "item" + std::to_string(i));
  put("N1.Caption", "not a separator");
  put("File1.Caption", "&Datei");
  put("InnerLabel.Caption", "frame parts keep their texts");
  auto* f = win::Form::create<SampleForm>(log);
  TranslateForm(*f);
  EXPECT_EQ(f->label->caption(), "design");
  EXPECT_EQ(f->other->caption(), "translated");
  EXPECT_EQ(f->other->hint(), "a hint");
  EXPECT_EQ(f->caption(), "window title");
  EXPECT_EQ(f->combo->items(), (std::vector<std::string>{"item0", "item1", "item2"}));
  EXPECT_EQ(f->sep->caption(), "-");
  EXPECT_EQ(f->file->caption(), "&Datei");
  EXPECT_EQ(f->inner->caption(), "inner");
  EXPECT_TRUE(f->memo->lines().empty());   // no line keys: the memo ends up empty
  f->release();
}

TEST_F(LanguageTest, MemoLinesRunUntilTheFirstMissingKey) {
  put("Memo.Caption.Line.0", "first");
  put("Memo.Caption.Line.1", "");
  put("Memo.Caption.Line.2", "third");
  put("Memo.Caption.Line.4", "after a gap");
  auto* f = win::Form::create<SampleForm>(log);
  TranslateForm(*f);
  EXPECT_EQ(f->memo->lines(), (std::vector<std::string>{"first", "", "third"}));
  f->release();
}

TEST_F(LanguageTest, WindowsLoadTranslateAndSwitchInOrder) {
  put("OtherLabel.Caption", "from file");
  Language = -1;
  auto* a = win::Form::create<SampleForm>(log);
  EXPECT_EQ(a->other->caption(), "from file");   // translated at creation, before onCreate
  auto* b = win::Form::create<SampleForm>(log);
  b->setName("Second");
  EXPECT_EQ(log, (std::vector<std::string>{"SnRForm.load", "SnRForm.lang-1", "SnRForm.create", "SnRForm.load",
                                           "SnRForm.lang-1", "SnRForm.create"}));
  ASSERT_EQ(FormList.size(), 2u);
  EXPECT_EQ(FormList[0], a);
  log.clear();
  SetLanguage(0);
  EXPECT_EQ(ReadIniString(GetIniFileName(), "Generel", "Sprache", ""), "0");
  EXPECT_EQ(ReadIniString(GetIniFileName(), "Generel", "Sprachdatei", ""), "Language.test");
  SetLanguage(1);
  EXPECT_EQ(ReadIniString(GetIniFileName(), "Generel", "Sprache", ""), "1");
  // Windows that show the language's texts already are not set again.
  SetLanguage(1);
  EXPECT_EQ(log, (std::vector<std::string>{"SnRForm.lang0", "Second.lang0", "SnRForm.lang1", "Second.lang1"}));
  log.clear();
  a->release();
  EXPECT_EQ(log, (std::vector<std::string>{"SnRForm.save"}));
  EXPECT_EQ(FormList.size(), 1u);
  b->release();
  EXPECT_TRUE(FormList.empty());
}
