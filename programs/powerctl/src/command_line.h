#pragma once
// What powerctl does for a command line, decided without touching Windows:
// the first two arguments select a sequence of actions that the Windows layer
// then carries out in order.
#include <string>
#include <string_view>
#include <vector>

namespace qb::powerctl {

// ExitWindowsEx flags, each requested on its own.
namespace exit_flags {
inline constexpr unsigned kLogOff = 0;
inline constexpr unsigned kShutDown = 1;
inline constexpr unsigned kRestart = 2;
inline constexpr unsigned kForce = 4;
inline constexpr unsigned kPowerOff = 8;
inline constexpr unsigned kForceIfHung = 16;
inline constexpr unsigned kRestartApps = 64;
}  // namespace exit_flags

enum class ActionKind {
  ExitRequest,        // uses flags
  PowerStateChange,   // uses suspend: true suspends, false hibernates
  LockWorkstation,
  DisconnectSession,
  PrintUsage,
};

struct Action {
  ActionKind kind;
  unsigned flags = 0;
  bool suspend = false;

  bool operator==(const Action& o) const {
    return kind == o.kind && flags == o.flags && suspend == o.suspend;
  }
};

// The actions for the program's arguments (without the program name), in the
// order they are carried out. Arguments are UTF-8; only ASCII letters are
// upper-cased before comparing, so other bytes never match an option.
std::vector<Action> plannedActions(const std::vector<std::string>& arguments);

// The usage text as written to standard output, one entry per write; every
// entry ends in CR LF, the last one carries the two banner lines after LFs.
const std::vector<std::string_view>& usageLines();
std::string usageText();

}  // namespace qb::powerctl
