// The program block: unit initialisation, the four windows, the message loop.
#include "install/fileinst.h"
#include "settings/uQzSnRMainForm.h"
#include "mainwindow/uSearchAndReplace.h"
#include "uSnRInput.h"
#include <windows.h>
#include <cstdlib>

namespace {

std::string programFile() {
  char path[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  return std::string(path, n);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Tests give the program an application-data folder of its own, so that
  // they never touch the user's settings.
  if (const char* appData = std::getenv("QZ_APPDATA"); appData && *appData)
    InitMainFormUnitFor(programFile(), appData);
  else
    InitMainFormUnit();
  // A test seam: tests make the engine read through small windows, so that their
  // small files cross many window boundaries.
  if (const char* window = std::getenv("QZ_TEST_INPUT_WINDOW"); window && *window)
    TSnRInput::SetDefaultWindow(std::strtoul(window, nullptr, 10));
  ReadInstallDirectory();

  win::app().initialize();
  win::app().setTitle("Qz-Radavi&Dezevud");
  // The main window first; the others follow when first needed.
  SnRForm = win::Form::create<TSnRForm>();
  win::app().run();
  // Everything that outlives the run was saved when the window closed.
  SnRForm->EndProcess();
}
