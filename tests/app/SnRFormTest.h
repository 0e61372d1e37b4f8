// Fixture of the tests that drive the main window in their own process: a folder
// of their own (Dir: any type with operator/ giving a path in it) holding the data
// folder "appdata" and the test files under "files".
#pragma once
#include <windows.h>
#include <fstream>
#include <string>
#include <gtest/gtest.h>
#include "settings/uQzSnRMainForm.h"
#include "mainwindow/uSearchAndReplace.h"
#include "win/FileNames.h"
#include "win/Gui.h"

template <class Dir>
class SnRFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    ::CreateDirectoryA((dir / "appdata").c_str(), nullptr);
    ::CreateDirectoryA((dir / "files").c_str(), nullptr);
    InitMainFormUnitFor(dir / "QzSearchAndReplace.exe", dir / "appdata");
    win::app().initialize();
    SnRForm = win::Form::create<TSnRForm>();
    f = SnRForm;
  }
  void TearDown() override {
    f->release();
    SnRForm = nullptr;
    win::app().processMessages();
  }
  // A file in the file list or the backup list, as the scan, a drop or the
  // worker would add it, and a click on its box.
  void addFile(const std::string& name, bool checked = false) {
    f->AddFile(win::AnsiToWide(name));
    if (checked) f->SetFileChecked(static_cast<int>(f->Model.Files.size()) - 1, true);
  }
  void addBackup(const std::string& name, bool checked = false) {
    f->AddBackup(win::AnsiToWide(name));
    if (checked) f->SetBackupChecked(static_cast<int>(f->Model.Backups.size()) - 1, true);
  }
  // Writes files\<name> and returns its full name.
  std::string file(const std::string& name, const std::string& content) {
    const std::string p = dir / ("files\\" + name);
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(content.data(), static_cast<std::streamsize>(content.size()));
    return p;
  }

  Dir dir;
  TSnRForm* f = nullptr;
};
