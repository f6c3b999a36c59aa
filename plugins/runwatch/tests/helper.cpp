// A process of the task manager's tests.
//   runwatch_helper idle   stays, doing nothing, until it is ended (two minutes at most)
//   runwatch_helper        appends a line to the file RUNWATCH_MARKER names, and ends
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv && argc > 1 && std::wcscmp(argv[1], L"idle") == 0) {
    Sleep(120000);
    return 0;
  }
  wchar_t target[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(L"RUNWATCH_MARKER", target, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return 2;
  HANDLE file = CreateFileW(target, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(file, "started\n", 8, &written, nullptr);
  CloseHandle(file);
  return 0;
}
