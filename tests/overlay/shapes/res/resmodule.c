/* A resource module that tells when its code runs: loading it as a program
   would call this entry, which creates the file named by QZ_RESMODULE_MARKER. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QZ_RESMODULE_MARKER", path, sizeof path);
    if (n > 0 && n < sizeof path) {
      HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    }
  }
  return TRUE;
}
