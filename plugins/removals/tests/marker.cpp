// Stand-in uninstaller for the tests: records the command line it was started
// with in the file that REMOVALS_MARKER_FILE names, and ends.
#include <windows.h>

#include <string>

int main() {
  wchar_t target[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(L"REMOVALS_MARKER_FILE", target, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return 2;
  const std::wstring finalPath(target, n);
  const std::wstring partPath = finalPath + L".part";

  const wchar_t* line = GetCommandLineW();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? static_cast<size_t>(bytes) - 1 : 0, '\0');
  if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), bytes, nullptr, nullptr);

  HANDLE file = CreateFileW(partPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  // Appears whole or not at all.
  return MoveFileExW(partPath.c_str(), finalPath.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
