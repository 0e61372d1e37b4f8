// The program's own files: INI edits that keep the profile functions' rules, the
// backup list and the journal of the worker's temporary files (the durable
// whole-file writes under them are tested with the Win32 layer).
#include "AppTestDir.h"
#include "Iniregi.h"
#include "uBackupList.h"
#include "uIniFile.h"
#include "uSnRTempJournal.h"
#include "win/Handles.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

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
  EXPECT_EQ(ReadBackupList(list), names);
  Strings expected = {dir / "a.txt.0.snr_bak", dir / "many\\F3.0.SNR_BAK"};
  expected.insert(expected.end(), made.begin(), made.end());
  EXPECT_EQ(ExistingFiles(ReadBackupList(list)), expected);

  // The next name appended starts a line of its own. A backup named before it
  // is made is not appended again when it is reported; one not named before is.
  TBackupListFile file;
  file.SetFileName(list);
  file.AppendBeforeMade(dir / "b.0.snr_bak");
  file.AppendReported(dir / "b.0.snr_bak");
  file.AppendReported(dir / "c.0.snr_bak");
  Strings more = names;
  more.push_back(dir / "a.tx");
  more.push_back(dir / "b.0.snr_bak");
  more.push_back(dir / "c.0.snr_bak");
  EXPECT_EQ(ReadBackupList(list), more);
  // The whole list replaces the file; a name named before that still gets in by its report.
  file.AppendBeforeMade("w");
  ASSERT_TRUE(file.Save({"x", "y"}));
  EXPECT_EQ(AppTestDir::read(list), "x\r\ny\r\n");
  file.AppendReported("w");
  file.AppendReported("z");
  EXPECT_EQ(ReadBackupList(list), (Strings{"x", "y", "w", "z"}));
}

TEST_F(DataFiles, TempJournalRemovesOnlyLeftoversOfEndedRuns) {
  const std::string data = dir / "data";
  const std::string work = dir / "work";
  ::CreateDirectoryA(data.c_str(), nullptr);
  ::CreateDirectoryA(work.c_str(), nullptr);
  std::string left, held, listed;
  {
    TSnRTempJournal killed;
    Strings backups;
    killed.BeforeBackup = [&](const std::string& name) {
      backups.push_back(name + (AppTestDir::exists(name) ? " (made already)" : ""));
    };
    ASSERT_TRUE(killed.Open(data));
    // One renamed into place, one deleted: both done. Three left in progress.
    std::string renamed, deleted;
    killed.CreateTempFile(work, "snr", renamed);
    ASSERT_TRUE(killed.Rename(renamed, work + "\\file.txt", true));
    ASSERT_TRUE(killed.Rename(work + "\\file.txt", work + "\\file.txt.0.snr_bak", false));
    ASSERT_TRUE(killed.Rename(work + "\\file.txt.0.snr_bak", work + "\\file.txt", false));
    EXPECT_EQ(backups, Strings{work + "\\file.txt.0.snr_bak"});   // named before it was there
    killed.CreateTempFile(work, "snr", deleted);
    ASSERT_TRUE(killed.Delete(deleted));
    killed.CreateTempFile(work, "snr", left);
    killed.CreateTempFile(work, "snr", held);
    killed.CreateTempFile(work, "snr", listed);
    ASSERT_TRUE(AppTestDir::exists(left));
    // While its run lives, a cleanup touches nothing.
    EXPECT_EQ(TSnRTempJournal::CleanUp(data), 0);
    EXPECT_TRUE(AppTestDir::exists(left));
  }
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
    std::string t;
    clean.CreateTempFile(work, "snr", t);
    clean.Delete(t);
  }
  EXPECT_TRUE(qztest::NamesIn(data + "\\").empty());
}
