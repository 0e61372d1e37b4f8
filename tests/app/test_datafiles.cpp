// The program's own files: INI edits that keep the profile functions' rules, the
// backup list and the journal of the worker's temporary files (the durable
// whole-file writes under them are tested with the Win32 layer).
#include "AppTestDir.h"
#include "settings/Iniregi.h"
#include "datafiles/uBackupList.h"
#include "settings/uIniFile.h"
#include "datafiles/uSnRTempJournal.h"
#include "win/FileNames.h"
#include "win/Handles.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using Names = std::vector<std::wstring>;

Names wide(const Strings& v) {
  Names out;
  for (const std::string& s : v) out.push_back(win::AnsiToWide(s));
  return out;
}

struct DataFiles : ::testing::Test {
  AppTestDir dir;
};

}  // namespace

TEST_F(DataFiles, IniEditsFollowTheProfileFunctionsRules) {
  const std::string ini = dir / "s.ini";
  AppTestDir::write(ini, "; comment\r\n[Generel]\r\n  backup = 0\r\nLogging=1\r\n\r\n[generel]\r\nLater=x\r\n"
                         "[Other]\r\nK=v\r\n");
  TIniEdit edit(ini);
  edit.Set("GENEREL", "Backup", "1");      // found without regard to case, spelling kept
  edit.Set("Generel", "ShowHelpWindow", "0");   // added after the section's last key
  edit.Set("New", "Key", "value");          // added as a new section at the end
  ASSERT_TRUE(edit.Commit());
  EXPECT_EQ(AppTestDir::read(ini), "; comment\r\n[Generel]\r\nbackup=1\r\nLogging=1\r\nShowHelpWindow=0\r\n\r\n"
                                   "[generel]\r\nLater=x\r\n[Other]\r\nK=v\r\n\r\n[New]\r\nKey=value\r\n");
  // The system's reader sees every value, the new file at once.
  EXPECT_EQ(ReadIniString(ini, "Generel", "Backup", ""), "1");
  EXPECT_EQ(ReadIniString(ini, "Generel", "ShowHelpWindow", ""), "0");
  EXPECT_EQ(ReadIniString(ini, "New", "Key", ""), "value");
  for (const char* v : {"a", "b", "c"}) {
    ASSERT_TRUE(WriteIniString(ini, "Generel", "Logging", v));
    EXPECT_EQ(ReadIniString(ini, "Generel", "Logging", ""), v);
  }
  // Values the file holds already write nothing.
  WIN32_FILE_ATTRIBUTE_DATA before, after;
  ::GetFileAttributesExA(ini.c_str(), GetFileExInfoStandard, &before);
  ::Sleep(20);
  TIniEdit same(ini);
  same.Set("generel", "logging", "c");
  same.Set("New", "Key", "value");
  ASSERT_TRUE(same.Commit());
  ::GetFileAttributesExA(ini.c_str(), GetFileExInfoStandard, &after);
  EXPECT_EQ(::CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
  // A new file; nothing left beside it.
  const std::string fresh = dir / "sub.ini";
  ASSERT_TRUE(WriteIniString(fresh, "S", "K", ""));
  EXPECT_EQ(AppTestDir::read(fresh), "[S]\r\nK=\r\n");
  EXPECT_EQ(qztest::NamesIn(dir.path()).size(), 2u);
}

TEST_F(DataFiles, SectionReadsGiveWhatKeyReadsGive) {
  const std::string ini = dir / "lang.ini";
  AppTestDir::write(ini, "[SnRForm]\r\n Label.Caption = \"quoted\" \r\nlabel.caption=second\r\nHalf=\"open\r\n"
                         "Empty=\r\nNoValue\r\nLong=" + std::string(300, 'x') + "\r\n[snrform]\r\nLater=1\r\n");
  const TIniSection s(ini, "snrFORM");
  for (const char* key : {"LABEL.CAPTION", "Half", "Empty", "NoValue", "Long", "Later", "Missing"})
    EXPECT_EQ(s.Get(key, "XXX", kIniMaxValue), ReadIniString(ini, "SnRForm", key, "XXX")) << key;
  EXPECT_EQ(TIniSection(dir / "missing.ini", "S").size(), 0u);

  // Many keys: one read of the section, not one search of the file per key.
  std::string big = "[SnRForm]\r\n";
  for (int i = 0; i < 100000; ++i) big += "WarrantyMemo.Caption.Line." + std::to_string(i) + "=line " + std::to_string(i) + "\r\n";
  AppTestDir::write(ini, big);
  const DWORD start = ::GetTickCount();
  const TIniSection many(ini, "SnRForm");
  EXPECT_EQ(many.Get("WarrantyMemo.Caption.Line.99999", "", kIniMaxValue), "line 99999");
  EXPECT_LT(::GetTickCount() - start, 5000u);
}

TEST_F(DataFiles, BackupListDropsCutLinesAndGoneFiles) {
  const std::string list = dir / "backup.dat";
  Strings made;
  ::CreateDirectoryA((dir / "many").c_str(), nullptr);
  for (int i = 0; i < 40; ++i) {   // enough to list the folder instead of probing
    made.push_back(dir / ("many\\f" + std::to_string(i) + ".0.snr_bak"));
    AppTestDir::write(made.back(), "x");
  }
  AppTestDir::write(dir / "a.txt.0.snr_bak", "x");
  Strings names = {dir / "a.txt.0.snr_bak", dir / "gone.0.snr_bak", dir / "many\\F3.0.SNR_BAK", dir / "many"};
  names.insert(names.end(), made.begin(), made.end());
  names.push_back(dir / "many\\missing");
  std::string text;
  for (const auto& n : names) text += n + "\r\n";
  // A kill while a line was written leaves it without its line break.
  AppTestDir::write(list, text + dir / "a.tx");
  EXPECT_EQ(ReadBackupList(list), wide(names));
  Strings expected = {dir / "a.txt.0.snr_bak", dir / "many\\F3.0.SNR_BAK"};
  expected.insert(expected.end(), made.begin(), made.end());
  EXPECT_EQ(ExistingFiles(ReadBackupList(list)), wide(expected));

  // The next name appended starts a line of its own. A backup named before it
  // is made is not appended again when it is reported; one not named before is.
  TBackupListFile file;
  file.SetFileName(list);
  file.AppendBeforeMade(win::AnsiToWide(dir / "b.0.snr_bak"));
  file.AppendReported(win::AnsiToWide(dir / "b.0.snr_bak"));
  file.AppendReported(win::AnsiToWide(dir / "c.0.snr_bak"));
  Strings more = names;
  more.push_back(dir / "a.tx");
  more.push_back(dir / "b.0.snr_bak");
  more.push_back(dir / "c.0.snr_bak");
  EXPECT_EQ(ReadBackupList(list), wide(more));
  // The whole list replaces the file; a name named before that still gets in by its report.
  file.AppendBeforeMade(L"w");
  ASSERT_TRUE(file.Save({L"x", L"y"}));
  EXPECT_EQ(AppTestDir::read(list), "x\r\ny\r\n");
  file.AppendReported(L"w");
  file.AppendReported(L"z");
  EXPECT_EQ(ReadBackupList(list), (Names{L"x", L"y", L"w", L"z"}));
}

TEST_F(DataFiles, TempJournalRemovesOnlyLeftoversOfEndedRuns) {
  const std::string data = dir / "data";
  const std::string work = dir / "work";
  ::CreateDirectoryA(data.c_str(), nullptr);
  ::CreateDirectoryA(work.c_str(), nullptr);
  const std::wstring wwork = win::AnsiToWide(work);
  std::wstring wleft, wheld, wlisted;
  {
    TSnRTempJournal killed;
    Strings backups;
    killed.BeforeBackup = [&](const std::wstring& wide) {
      const std::string name = win::WideToAnsi(wide);
      backups.push_back(name + (AppTestDir::exists(name) ? " (made already)" : ""));
    };
    ASSERT_TRUE(killed.Open(data));
    // One renamed into place, one deleted: both done. Three left in progress.
    std::wstring renamed, deleted;
    killed.CreateTempFile(wwork, L"snr", renamed);
    ASSERT_TRUE(killed.Rename(renamed, wwork + L"\\file.txt", true, nullptr));
    ASSERT_TRUE(killed.Rename(wwork + L"\\file.txt", wwork + L"\\file.txt.0.snr_bak", false, nullptr));
    ASSERT_TRUE(killed.Rename(wwork + L"\\file.txt.0.snr_bak", wwork + L"\\file.txt", false, nullptr));
    EXPECT_EQ(backups, Strings{work + "\\file.txt.0.snr_bak"});   // named before it was there
    // A link is named before it is made too; a name that is taken is not named again.
    AppTestDir::write(work + "\\file.txt.2.snr_bak", "older");
    EXPECT_FALSE(killed.Link(wwork + L"\\file.txt", wwork + L"\\file.txt.2.snr_bak"));
    ASSERT_TRUE(killed.Link(wwork + L"\\file.txt", wwork + L"\\file.txt.3.snr_bak"));
    EXPECT_EQ(backups, (Strings{work + "\\file.txt.0.snr_bak", work + "\\file.txt.3.snr_bak"}));
    killed.CreateTempFile(wwork, L"snr", deleted);
    ASSERT_TRUE(killed.Delete(deleted));
    killed.CreateTempFile(wwork, L"snr", wleft);
    killed.CreateTempFile(wwork, L"snr", wheld);
    killed.CreateTempFile(wwork, L"snr", wlisted);
    ASSERT_TRUE(AppTestDir::exists(win::WideToAnsi(wleft)));
    // While its run lives, a cleanup touches nothing.
    EXPECT_EQ(TSnRTempJournal::CleanUp(data), 0);
    EXPECT_TRUE(AppTestDir::exists(win::WideToAnsi(wleft)));
  }
  const std::string left = win::WideToAnsi(wleft), held = win::WideToAnsi(wheld), listed = win::WideToAnsi(wlisted);
  // The run ended with files left, so its journal stays for the next start.
  ASSERT_EQ(qztest::NamesIn(data + "\\").size(), 1u);

  // Not removed: a file somebody has open, one that a living run has in
  // progress, and one that is not the file that was noted.
  win::FileHandle open(::CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(open);
  win::FileHandle living(::CreateFileA((data + "\\~snrtemp.living.journal").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, CREATE_NEW, 0, nullptr));
  const std::string entry = "+ 1 2 3 " + listed + "\r\n";
  DWORD put = 0;
  ::WriteFile(living.get(), entry.data(), static_cast<DWORD>(entry.size()), &put, nullptr);
  const std::string users = work + "\\snrUSER.tmp";
  AppTestDir::write(users, "a user's file");
  AppTestDir::write(data + "\\~snrtemp.old.journal", "+ 1 2 3 " + users + "\r\n");

  EXPECT_EQ(TSnRTempJournal::CleanUp(data), 1);
  EXPECT_FALSE(AppTestDir::exists(left));
  EXPECT_TRUE(AppTestDir::exists(held));
  EXPECT_TRUE(AppTestDir::exists(listed));
  EXPECT_TRUE(AppTestDir::exists(users));
  EXPECT_TRUE(AppTestDir::exists(work + "\\file.txt"));
  EXPECT_EQ(qztest::NamesIn(data + "\\"), Strings{"~snrtemp.living.journal"});   // the ended journals are gone

  // A run that ends with nothing left removes its journal itself.
  living = win::FileHandle();
  ::DeleteFileA((data + "\\~snrtemp.living.journal").c_str());
  {
    TSnRTempJournal clean;
    ASSERT_TRUE(clean.Open(data));
    std::wstring t;
    clean.CreateTempFile(wwork, L"snr", t);
    clean.Delete(t);
  }
  EXPECT_TRUE(qztest::NamesIn(data + "\\").empty());
}

TEST_F(DataFiles, NamesOutsideTheCodePageKeepTheirCharactersInTheBackupListAndTheJournal) {
  const std::wstring folder = qztest::Wide(dir / "") + L"\u4E2D\u6587";
  ASSERT_TRUE(qztest::MakeFolder(folder));
  const std::wstring chinese = folder + L"\\a.txt.0.snr_bak", emoji = qztest::Wide(dir / "\xE4") + L"\U0001F600.0.snr_bak";
  const std::wstring plain = qztest::Wide(dir / "b\xE4.txt.0.snr_bak"), gone = folder + L"\\gone.0.snr_bak";
  for (const std::wstring& n : {chinese, emoji, plain}) ASSERT_TRUE(qztest::WriteWideFile(n, "x"));

  // An 8-bit line for a name that has an 8-bit form, as older runs wrote every
  // line; UTF-8 behind the byte-order mark for one that has none.
  EXPECT_EQ(BackupListLine(plain), dir / "b\xE4.txt.0.snr_bak");
  EXPECT_EQ(BackupListLine(L"C:\\\u4E2D"), "\xEF\xBB\xBF" "C:\\\xE4\xB8\xAD");
  EXPECT_EQ(BackupListName("\xEF\xBB\xBF" "C:\\\xE4\xB8\xAD"), L"C:\\\u4E2D");
  EXPECT_EQ(BackupListName("C:\\\xE4\xB8\xAD"), L"C:\\\u00E4\u00B8\u00AD");   // no mark: 8-bit text

  const std::string list = dir / "backup.dat";
  TBackupListFile file;
  file.SetFileName(list);
  file.AppendBeforeMade(chinese);
  file.AppendReported(chinese);
  file.AppendReported(emoji);
  file.AppendReported(plain);
  file.AppendReported(gone);
  const Names all = {chinese, emoji, plain, gone};
  EXPECT_EQ(ReadBackupList(list), all);
  EXPECT_EQ(ExistingFiles(ReadBackupList(list)), (Names{chinese, emoji, plain}));
  ASSERT_TRUE(file.Save(all));
  EXPECT_EQ(ReadBackupList(list), all);
  EXPECT_EQ(AppTestDir::read(list).find('?'), std::string::npos);

  // A temporary file in a folder named outside the code page: noted so that
  // the next start finds and removes it.
  const std::string data = dir / "data";
  ::CreateDirectoryA(data.c_str(), nullptr);
  std::wstring left;
  {
    TSnRTempJournal killed;
    ASSERT_TRUE(killed.Open(data));
    ASSERT_TRUE(killed.CreateTempFile(folder, L"snr", left));
    ASSERT_TRUE(qztest::WideExists(left));
  }
  EXPECT_EQ(TSnRTempJournal::CleanUp(data), 1);
  EXPECT_FALSE(qztest::WideExists(left));
  EXPECT_TRUE(qztest::WideExists(chinese));
}
