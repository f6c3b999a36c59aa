// qubrix.exe: the host that loads the plug-ins and shows their pages.
//   qubrix.exe [module]   opens the named module at start.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "host_form.h"
#include "qb/win/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);

  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  HostForm* host = qb::tk::Form::create<HostForm>();
  host->show();
  if (argv && argc > 1) host->openModule(qb::win::narrow(argv[1]));
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
