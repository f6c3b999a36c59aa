#pragma once
// The operating-system calls powerctl makes, behind one interface: the real
// one calls Windows, tests put a recorder in its place (a real exit request
// or power state change would end the session the tests run in).
#include <windows.h>

#include <string>
#include <string_view>

namespace qb::powerctl {

class PowerSystem {
 public:
  virtual ~PowerSystem() = default;

  // GetVersionExA with the 148-byte structure.
  virtual bool readVersion(OSVERSIONINFOA& info) = 0;
  // The token of this process; on success the caller owns *token and closes it.
  virtual bool openProcessToken(DWORD access, HANDLE* token) = 0;
  virtual void closeToken(HANDLE token) = 0;
  virtual bool lookupPrivilege(const char* name, LUID* luid) = 0;
  // previous may be null: then the previous state is not asked for.
  virtual bool adjustTokenPrivileges(HANDLE token, const TOKEN_PRIVILEGES& privileges,
                                     DWORD previousSize, TOKEN_PRIVILEGES* previous) = 0;
  virtual bool exitWindows(UINT flags, DWORD reason) = 0;
  virtual bool setSystemPowerState(BOOL suspend, BOOL force) = 0;
  // The error code of the last failed call above.
  virtual DWORD lastError() = 0;
  // The system's description of an error code, without a line end.
  virtual std::wstring describeError(DWORD code) = 0;

  // LockWorkStation from the loaded "USER32.DLL"; nothing when it is missing.
  virtual void lockWorkstation() = 0;
  // WTSDisconnectSession from "Wtsapi32.dll" for this server and session,
  // without waiting; nothing when the library or the function is missing.
  virtual void disconnectSession() = 0;

  // Raw bytes to standard output and standard error.
  virtual void writeOutput(std::string_view bytes) = 0;
  virtual void writeError(std::string_view bytes) = 0;
};

// The real calls.
PowerSystem& realPowerSystem();

}  // namespace qb::powerctl
