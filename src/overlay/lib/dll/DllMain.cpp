// Entry point of Qz-DarariRuzoriv.dll: the library starts while it is loaded
// (in the loading thread, which then owns the overlay window) and finalises
// while it is unloaded.
#include <windows.h>
#include "overlay/lib/QzScreenOverlayInternal.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      ::DisableThreadLibraryCalls(instance);
      QzScreenOverlayLibraryStart();
      break;
    case DLL_PROCESS_DETACH:
      QzScreenOverlayLibraryStop();
      break;
    default:
      break;
  }
  return TRUE;
}
