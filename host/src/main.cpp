// qubrix.exe: the host that loads the plug-ins and shows their pages.
//   qubrix.exe [--disks FOLDER] [module]
// opens the named module at start; --disks makes the disk readers of this
// process answer from the recorded disks in FOLDER (QUBRIX_DISKS).
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <optional>
#include <string>

#include "host_form.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"

namespace {

// Carries out --disks and answers the module named after it, if any.
std::optional<std::string> moduleFromCommandLine() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const qb::win::UniqueLocal memory(argv);
  if (!argv) return std::nullopt;
  int moduleArg = 1;
  if (argc > 2 && std::wcscmp(argv[1], L"--disks") == 0) {
    // A full path, so that the folder stays the same whatever the current directory becomes.
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(argv[2], MAX_PATH, full, nullptr);
    SetEnvironmentVariableW(L"QUBRIX_DISKS", n && n < MAX_PATH ? full : argv[2]);
    moduleArg = 3;
  }
  if (argc <= moduleArg) return std::nullopt;
  return qb::win::narrow(argv[moduleArg]);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);

  const std::optional<std::string> module = moduleFromCommandLine();
  HostForm* host = qb::tk::Form::create<HostForm>();
  host->show();
  if (module) host->openModule(*module);

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
