#include "actions.h"

#include <optional>

namespace qb::powerctl {
namespace {

constexpr DWORD kTokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;  // 40
constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

// Closes the process token through the same calls that opened it.
class TokenOwner {
 public:
  explicit TokenOwner(PowerSystem& system) : system_(system) {}
  TokenOwner(const TokenOwner&) = delete;
  TokenOwner& operator=(const TokenOwner&) = delete;
  ~TokenOwner() {
    if (token_) system_.closeToken(token_);
  }
  bool open() { return system_.openProcessToken(kTokenAccess, &token_); }
  HANDLE get() const { return token_; }

 private:
  PowerSystem& system_;
  HANDLE token_ = nullptr;
};

TOKEN_PRIVILEGES enabledPrivilege(const LUID& luid) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = luid;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;  // 2
  return privileges;
}

// Exit requests report nothing: whatever fails, the run goes on.
void requestExit(PowerSystem& system, unsigned flags) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!system.readVersion(version)) return;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    system.exitWindows(flags, 0);
  } else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    TokenOwner token(system);
    if (!token.open()) return;
    LUID luid{};
    system.lookupPrivilege(kShutdownPrivilege, &luid);
    system.adjustTokenPrivileges(token.get(), enabledPrivilege(luid), 0, nullptr);
    system.exitWindows(flags, 0);
  }
}

// Answers the error code of the first call that failed.
std::optional<DWORD> changePowerState(PowerSystem& system, bool suspend) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  const bool known = system.readVersion(version);
  if (known && version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    TokenOwner token(system);
    if (!token.open()) return system.lastError();
    LUID luid{};
    if (!system.lookupPrivilege(kShutdownPrivilege, &luid)) return system.lastError();
    TOKEN_PRIVILEGES previous{};
    static_assert(sizeof previous == 16, "room for one privilege");
    if (!system.adjustTokenPrivileges(token.get(), enabledPrivilege(luid), sizeof previous,
                                      &previous))
      return system.lastError();
  }
  if (!system.setSystemPowerState(suspend ? TRUE : FALSE, FALSE)) return system.lastError();
  return std::nullopt;
}

}  // namespace

std::string toOemCodePage(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_OEMCP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_OEMCP, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

int carryOut(const std::vector<Action>& actions, PowerSystem& system) {
  for (const Action& action : actions) {
    switch (action.kind) {
      case ActionKind::ExitRequest:
        requestExit(system, action.flags);
        break;
      case ActionKind::PowerStateChange:
        if (const auto error = changePowerState(system, action.suspend)) {
          system.writeError(toOemCodePage(system.describeError(*error)) + "\r\n");
          return 1;
        }
        break;
      case ActionKind::LockWorkstation:
        system.lockWorkstation();
        break;
      case ActionKind::DisconnectSession:
        system.disconnectSession();
        break;
      case ActionKind::PrintUsage:
        for (std::string_view line : usageLines()) system.writeOutput(line);
        break;
    }
  }
  return 0;
}

}  // namespace qb::powerctl
