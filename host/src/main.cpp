// qubrix.exe: the host that loads the plug-ins and shows their pages.
//   qubrix.exe [--disks FOLDER] [module]
// opens the named module at start; --disks makes the disk readers of this
// process answer from the recorded disks in FOLDER (QUBRIX_DISKS).
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "host_form.h"
#include "qb/win/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);

  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  int moduleArg = 1;
  if (argv && argc > 2 && std::wcscmp(argv[1], L"--disks") == 0) {
    // A full path, so that the folder stays the same whatever the current directory becomes.
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(argv[2], MAX_PATH, full, nullptr);
    SetEnvironmentVariableW(L"QUBRIX_DISKS", n && n < MAX_PATH ? full : argv[2]);
    moduleArg = 3;
  }
  HostForm* host = qb::tk::Form::create<HostForm>();
  host->show();
  if (argv && argc > moduleArg) host->openModule(qb::win::narrow(argv[moduleArg]));
  LocalFree(argv);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Tab and the arrow keys move through the page's controls.
    if (IsDialogMessageW(host->hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  delete host;
  OleUninitialize();
  return 0;
}
