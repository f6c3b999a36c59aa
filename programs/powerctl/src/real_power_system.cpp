#include <windows.h>
#include <wtsapi32.h>

#include <string>

#include "power_system.h"
#include "qb/win/handles.h"

namespace qb::powerctl {
namespace {

using LockWorkStationFn = BOOL(WINAPI*)();
using DisconnectSessionFn = BOOL(WINAPI*)(HANDLE server, DWORD sessionId, BOOL wait);

// GetProcAddress answers a generic pointer; the caller knows the real type.
template <typename Fn>
Fn functionFrom(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void writeTo(DWORD which, std::string_view bytes) {
  const HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written == 0)
      return;
    bytes.remove_prefix(written);
  }
}

class RealPowerSystem final : public PowerSystem {
 public:
  bool readVersion(OSVERSIONINFOA& info) override { return GetVersionExA(&info) != FALSE; }
  bool openProcessToken(DWORD access, HANDLE* token) override {
    return OpenProcessToken(GetCurrentProcess(), access, token) != FALSE;
  }
  // The owner adopts the token and closes it on leaving.
  void closeToken(HANDLE token) override { const qb::win::UniqueKernelHandle owned(token); }
  bool lookupPrivilege(const char* name, LUID* luid) override {
    return LookupPrivilegeValueA(nullptr, name, luid) != FALSE;
  }
  bool adjustTokenPrivileges(HANDLE token, const TOKEN_PRIVILEGES& privileges, DWORD previousSize,
                             TOKEN_PRIVILEGES* previous) override {
    TOKEN_PRIVILEGES wanted = privileges;
    DWORD returned = 0;
    return AdjustTokenPrivileges(token, FALSE, &wanted, previousSize, previous,
                                 previous ? &returned : nullptr) != FALSE;
  }
  bool exitWindows(UINT flags, DWORD reason) override { return ExitWindowsEx(flags, reason) != FALSE; }
  bool setSystemPowerState(BOOL suspend, BOOL force) override {
    return SetSystemPowerState(suspend, force) != FALSE;
  }
  DWORD lastError() override { return GetLastError(); }

  std::wstring describeError(DWORD code) override {
    // With ALLOCATE_BUFFER the call stores a pointer to the memory it allocated in the slot.
    qb::win::UniqueLocal buffer;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    std::wstring text;
    if (n != 0 && buffer) text.assign(static_cast<const wchar_t*>(buffer.get()), n);
    // The system's texts end in a line break of their own; ours is added later.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
      text.pop_back();
    if (text.empty()) text = L"Błąd systemu nr " + std::to_wstring(code);
    return text;
  }

  void lockWorkstation() override {
    // User32 is always loaded in this process; older systems lack the function.
    if (const auto lock = functionFrom<LockWorkStationFn>(GetModuleHandleA("USER32.DLL"),
                                                          "LockWorkStation"))
      lock();
  }

  void disconnectSession() override {
    const qb::win::UniqueModule library(LoadLibraryA("Wtsapi32.dll"));
    if (!library) return;
    if (const auto disconnect =
            functionFrom<DisconnectSessionFn>(library.get(), "WTSDisconnectSession"))
      disconnect(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, FALSE);
  }

  void writeOutput(std::string_view bytes) override { writeTo(STD_OUTPUT_HANDLE, bytes); }
  void writeError(std::string_view bytes) override { writeTo(STD_ERROR_HANDLE, bytes); }
};

}  // namespace

PowerSystem& realPowerSystem() {
  static RealPowerSystem system;
  return system;
}

}  // namespace qb::powerctl
