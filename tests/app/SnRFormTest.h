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
  // Writes files\<name> and returns its full name.
  std::string file(const std::string& name, const std::string& content) {
    const std::string p = dir / ("files\\" + name);
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(content.data(), static_cast<std::streamsize>(content.size()));
    return p;
  }

  Dir dir;
  TSnRForm* f = nullptr;
};
