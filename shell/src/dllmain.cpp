// Entry point of every plug-in DLL.
#include <windows.h>

#include "qb/shell/page.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // Unloaded by FreeLibrary (not at process end): take the page down with the
  // module, as its window procedure lives in this module's code.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    try {
      qb::shell::unloadModule();
    } catch (...) {
    }
  }
  return TRUE;
}
