#pragma once
// Runs a program of the test bench as if on another Windows: Wine reads
// HKCU\Software\Wine\AppDefaults\<exe name>\Version when a process starts.
// The value is set on the real HKEY_CURRENT_USER (call this outside any
// ScratchRegistry) and removed again once the program has ended.
#include <windows.h>

#include <string>

#include "qb/testbench.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"

namespace qb::test {

struct ProgramRun {
  bool started = false;
  DWORD exitCode = 0;
  std::string output;  // what the program wrote to its standard output, line ends as "\n"
};

// exeName lies in programFolder(); wineVersion is Wine's name ("win98", "win2k", "winxp" ...).
inline ProgramRun runUnderWindowsVersion(const std::wstring& exeName, const std::wstring& arguments,
                                         const wchar_t* wineVersion, DWORD timeoutMs = 60000) {
  ProgramRun run;
  const std::wstring appKey = L"Software\\Wine\\AppDefaults\\" + exeName;
  qb::win::UniqueKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, appKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return run;
  const std::wstring version = wineVersion;
  RegSetValueExW(key.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                 static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  qb::win::UniqueKernelHandle readEnd, writeEnd;
  if (CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) {
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine = L"\"" + programFolder() + L"\\" + exeName + L"\" " + arguments;
    PROCESS_INFORMATION pi{};
    run.started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                 programFolder().c_str(), &si, &pi) != FALSE;
    if (run.started) {
      qb::win::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
      writeEnd.reset();  // the child holds the only write end now: reading ends with the child
      char buf[4096];
      DWORD got = 0;
      while (ReadFile(readEnd.get(), buf, sizeof buf, &got, nullptr) && got)
        for (DWORD i = 0; i < got; ++i)
          if (buf[i] != '\r') run.output += buf[i];
      WaitForSingleObject(process.get(), timeoutMs);
      GetExitCodeProcess(process.get(), &run.exitCode);
    }
  }
  key.reset();
  RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
  return run;
}

}  // namespace qb::test
