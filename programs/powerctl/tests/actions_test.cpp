// The Windows layer against a recorder of its operating-system calls: which
// calls a command line makes, with which flags, what it prints and how it ends.
#include "actions.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "expected_usage.h"

namespace qb::powerctl {
namespace {

using Calls = std::vector<std::string>;

enum class Platform { Nt, NineX, Other, Unreadable };

const HANDLE kFakeToken = reinterpret_cast<HANDLE>(0x4321);
constexpr DWORD kShutdownLuid = 19;

class RecordingSystem final : public PowerSystem {
 public:
  Platform platform = Platform::Nt;
  std::map<std::string, DWORD> failures;  // call name -> error it fails with
  Calls calls;
  std::string output;
  std::string errors;

  bool readVersion(OSVERSIONINFOA& info) override {
    calls.push_back("GetVersionExA(" + std::to_string(info.dwOSVersionInfoSize) + ")");
    switch (platform) {
      case Platform::Nt: info.dwPlatformId = VER_PLATFORM_WIN32_NT; return true;
      case Platform::NineX: info.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS; return true;
      case Platform::Other: info.dwPlatformId = 3; return true;
      case Platform::Unreadable: return false;
    }
    return false;
  }
  bool openProcessToken(DWORD access, HANDLE* token) override {
    calls.push_back("OpenProcessToken(" + std::to_string(access) + ")");
    if (fails("OpenProcessToken")) return false;
    *token = kFakeToken;
    return true;
  }
  void closeToken(HANDLE token) override {
    calls.push_back(token == kFakeToken ? "CloseHandle(token)" : "CloseHandle(?)");
  }
  bool lookupPrivilege(const char* name, LUID* luid) override {
    calls.push_back(std::string("LookupPrivilegeValueA(") + name + ")");
    if (fails("LookupPrivilegeValueA")) return false;
    luid->LowPart = kShutdownLuid;
    luid->HighPart = 0;
    return true;
  }
  bool adjustTokenPrivileges(HANDLE token, const TOKEN_PRIVILEGES& p, DWORD previousSize,
                             TOKEN_PRIVILEGES* previous) override {
    std::string call = "AdjustTokenPrivileges(";
    call += token == kFakeToken ? "token" : "?";
    call += ", count " + std::to_string(p.PrivilegeCount);
    call += ", luid " + std::to_string(p.Privileges[0].Luid.LowPart);
    call += ", attributes " + std::to_string(p.Privileges[0].Attributes);
    call += previous ? ", previous " + std::to_string(previousSize) + " bytes)" : ", no previous)";
    calls.push_back(call);
    return !fails("AdjustTokenPrivileges");
  }
  bool exitWindows(UINT flags, DWORD reason) override {
    calls.push_back("ExitWindowsEx(" + std::to_string(flags) + ", " + std::to_string(reason) + ")");
    return !fails("ExitWindowsEx");
  }
  bool setSystemPowerState(BOOL suspend, BOOL force) override {
    calls.push_back("SetSystemPowerState(" + std::to_string(suspend) + ", " + std::to_string(force) + ")");
    return !fails("SetSystemPowerState");
  }
  DWORD lastError() override { return lastError_; }
  std::wstring describeError(DWORD code) override {
    if (code == ERROR_ACCESS_DENIED) return L"Odmowa dostępu.";
    if (code == ERROR_NOT_SUPPORTED) return L"Żądanie nie jest obsługiwane.";
    return L"?";
  }
  void lockWorkstation() override { calls.push_back("LockWorkStation"); }
  void disconnectSession() override { calls.push_back("WTSDisconnectSession"); }
  void writeOutput(std::string_view bytes) override { output += bytes; }
  void writeError(std::string_view bytes) override { errors += bytes; }

 private:
  bool fails(const std::string& name) {
    const auto it = failures.find(name);
    if (it == failures.end()) return false;
    lastError_ = it->second;
    return true;
  }
  DWORD lastError_ = 0;
};

Calls operator+(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::string kVersion = "GetVersionExA(148)";
const std::string kOpen = "OpenProcessToken(40)";
const std::string kLookup = "LookupPrivilegeValueA(SeShutdownPrivilege)";
const std::string kAdjust = "AdjustTokenPrivileges(token, count 1, luid 19, attributes 2, no previous)";
const std::string kAdjustKeepingPrevious =
    "AdjustTokenPrivileges(token, count 1, luid 19, attributes 2, previous 16 bytes)";
const std::string kClose = "CloseHandle(token)";

std::string exitCall(unsigned flags) { return "ExitWindowsEx(" + std::to_string(flags) + ", 0)"; }
std::string powerCall(bool suspend) { return std::string("SetSystemPowerState(") + (suspend ? "1" : "0") + ", 0)"; }

Calls ntExit(unsigned flags) { return {kVersion, kOpen, kLookup, kAdjust, exitCall(flags), kClose}; }
Calls ntPower(bool suspend) {
  return {kVersion, kOpen, kLookup, kAdjustKeepingPrevious, kClose, powerCall(suspend)};
}

const std::string kUsage(kExpectedUsage);
const std::string kAccessDeniedLine = "Odmowa dost\xA9pu.\r\n";  // code page 852
const std::string kNotSupportedLine = "\xBD\xA5" "danie nie jest obs\x88ugiwane.\r\n";

struct RunCase {
  const char* why;
  std::vector<std::string> arguments;
  Platform platform;
  const char* failingCall;  // nullptr: every call succeeds
  DWORD error;
  Calls calls;
  std::string output;
  std::string errors;
  int exitCode;
};

const RunCase kRunCases[] = {
    // Command lines on the NT family, every call succeeding.
    {"no arguments", {}, Platform::Nt, nullptr, 0, {}, kUsage, "", 0},
    {"help", {"/?"}, Platform::Nt, nullptr, 0, {}, kUsage, "", 0},
    {"force alone", {"/F"}, Platform::Nt, nullptr, 0, {}, "", "", 0},
    {"unknown argument", {"/SHUTDOWN"}, Platform::Nt, nullptr, 0, {}, "", "", 0},
    {"log off", {"/l"}, Platform::Nt, nullptr, 0, ntExit(0), "", "", 0},
    {"restart and power off", {"/R/P"}, Platform::Nt, nullptr, 0, ntExit(2) + ntExit(8), "", "", 0},
    {"shut down, then force", {"/S", "/F"}, Platform::Nt, nullptr, 0, ntExit(1) + ntExit(4), "", "", 0},
    {"registered applications, force if hung", {"/G", "/FF"}, Platform::Nt, nullptr, 0,
     ntExit(64) + ntExit(16), "", "", 0},
    {"lock after force", {"/LOCK", "/F"}, Platform::Nt, nullptr, 0, ntExit(4) + Calls{"LockWorkStation"}, "", "", 0},
    {"switch user", {"/switchuser"}, Platform::Nt, nullptr, 0, {"WTSDisconnectSession"}, "", "", 0},
    {"hibernate", {"/H"}, Platform::Nt, nullptr, 0, ntPower(false), "", "", 0},
    {"suspend", {"/W"}, Platform::Nt, nullptr, 0, ntPower(true), "", "", 0},
    {"everything in one line", {"/H/W/?", "/FF"}, Platform::Nt, nullptr, 0,
     ntPower(false) + ntPower(true) + ntExit(16), kUsage, "", 0},

    // Other platforms.
    {"9x: no token", {"/R", "/F"}, Platform::NineX, nullptr, 0,
     {kVersion, exitCall(2), kVersion, exitCall(4)}, "", "", 0},
    {"9x: suspend without token", {"/W"}, Platform::NineX, nullptr, 0, {kVersion, powerCall(true)}, "", "", 0},
    {"unknown platform: no exit request", {"/R"}, Platform::Other, nullptr, 0, {kVersion}, "", "", 0},
    {"unknown platform: the power state is still changed", {"/H"}, Platform::Other, nullptr, 0,
     {kVersion, powerCall(false)}, "", "", 0},
    {"unreadable version: no exit request", {"/R", "/F"}, Platform::Unreadable, nullptr, 0,
     {kVersion, kVersion}, "", "", 0},
    {"unreadable version: the power state is still changed", {"/W"}, Platform::Unreadable, nullptr, 0,
     {kVersion, powerCall(true)}, "", "", 0},

    // Exit requests swallow failures.
    {"exit: token refused", {"/R", "/F"}, Platform::Nt, "OpenProcessToken", ERROR_ACCESS_DENIED,
     {kVersion, kOpen, kVersion, kOpen}, "", "", 0},
    {"exit: privilege unknown", {"/S"}, Platform::Nt, "LookupPrivilegeValueA", ERROR_ACCESS_DENIED,
     {kVersion, kOpen, kLookup, "AdjustTokenPrivileges(token, count 1, luid 0, attributes 2, no previous)",
      exitCall(1), kClose},
     "", "", 0},
    {"exit: adjustment refused", {"/P/?"}, Platform::Nt, "AdjustTokenPrivileges", ERROR_ACCESS_DENIED,
     ntExit(8), kUsage, "", 0},
    {"exit: request refused", {"/L", "/F"}, Platform::Nt, "ExitWindowsEx", ERROR_ACCESS_DENIED,
     ntExit(0) + ntExit(4), "", "", 0},

    // A failing power state change reports and stops everything after it.
    {"power: token refused", {"/H/W/?", "/F"}, Platform::Nt, "OpenProcessToken", ERROR_ACCESS_DENIED,
     {kVersion, kOpen}, "", kAccessDeniedLine, 1},
    {"power: privilege unknown", {"/W"}, Platform::Nt, "LookupPrivilegeValueA", ERROR_ACCESS_DENIED,
     {kVersion, kOpen, kLookup, kClose}, "", kAccessDeniedLine, 1},
    {"power: adjustment refused", {"/H"}, Platform::Nt, "AdjustTokenPrivileges", ERROR_ACCESS_DENIED,
     {kVersion, kOpen, kLookup, kAdjustKeepingPrevious, kClose}, "", kAccessDeniedLine, 1},
    {"power: state change refused after earlier requests", {"/R/W/?", "/F"}, Platform::Nt,
     "SetSystemPowerState", ERROR_NOT_SUPPORTED, ntExit(2) + ntPower(true), "", kNotSupportedLine, 1},
    {"9x: state change refused", {"/H"}, Platform::NineX, "SetSystemPowerState", ERROR_NOT_SUPPORTED,
     {kVersion, powerCall(false)}, "", kNotSupportedLine, 1},
};

std::string describeCalls(const Calls& calls) {
  std::string s;
  for (const auto& c : calls) s += "\n  " + c;
  return s;
}

TEST(CarryOut, MakesTheCallsPrintsAndEndsAsTheCommandLineSays) {
  ASSERT_EQ(GetOEMCP(), 852u) << "the bench runs with the Polish locale";
  for (const RunCase& c : kRunCases) {
    SCOPED_TRACE(c.why);
    RecordingSystem system;
    system.platform = c.platform;
    if (c.failingCall) system.failures[c.failingCall] = c.error;

    const int exitCode = carryOut(plannedActions(c.arguments), system);

    EXPECT_EQ(describeCalls(system.calls), describeCalls(c.calls));
    EXPECT_EQ(system.output, c.output);
    EXPECT_EQ(system.errors, c.errors);
    EXPECT_EQ(exitCode, c.exitCode);
  }
}

// The error line is built from the system's text: it must not bring a line
// end of its own, and a code without a text still says which error it was.
TEST(RealErrorDescription, HasNoLineEndAndNamesUnknownCodes) {
  PowerSystem& real = realPowerSystem();
  const std::wstring known = real.describeError(ERROR_ACCESS_DENIED);
  ASSERT_FALSE(known.empty());
  EXPECT_EQ(known.find_first_of(L"\r\n"), std::wstring::npos);
  EXPECT_NE(known.back(), L' ');

  const std::wstring unknown = real.describeError(0x2BADF00Du);
  EXPECT_NE(unknown.find(std::to_wstring(0x2BADF00Du)), std::wstring::npos);
}

}  // namespace
}  // namespace qb::powerctl
