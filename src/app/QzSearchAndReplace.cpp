// Program start. The main window replaces this small one.
#include "fileinst.h"
#include "uQzSnRMainForm.h"
#include "win/GuiControls.h"
#include <windows.h>

namespace {
std::string programFolder() {
  char path[MAX_PATH * 2] = {};
  DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string p(path, n);
  return p.substr(0, p.find_last_of('\\') + 1);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitMainFormUnit();
  ReadInstallDirectory();
  win::app().initialize();
  win::app().setTitle("Qz-Radavi&Dezevud");
  auto* form = win::Form::create<TQzSnRMainForm>(nullptr, "SnRForm");
  form->setCaption("Qz-Ravadu&Direzov ozirizuvozed 2.0");
  form->setBounds(0, 0, 692, 557);
  form->setCenterOnFirstShow(true);
  for (int i = 1; i <= GetInstallEntryCount(); ++i) ExtractInstallEntry(static_cast<uint8_t>(i), programFolder(), "");
  win::app().run();
  form->release();
  return 0;
}
