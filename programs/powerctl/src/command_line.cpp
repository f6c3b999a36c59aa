#include "command_line.h"

#include "qb/text.h"

namespace qb::powerctl {

std::vector<Action> plannedActions(const std::vector<std::string>& arguments) {
  const bool hasFirst = !arguments.empty();
  const std::string first = hasFirst ? qb::asciiUpper(arguments[0]) : std::string();
  const std::string second = arguments.size() > 1 ? qb::asciiUpper(arguments[1]) : std::string();
  const auto contains = [&first](std::string_view option) {
    return first.find(option) != std::string::npos;
  };
  const auto exitRequest = [](unsigned flags) { return Action{ActionKind::ExitRequest, flags, false}; };

  // Every test is made, in this order, whatever the earlier ones found.
  std::vector<Action> actions;
  if (hasFirst && first == "/L") actions.push_back(exitRequest(exit_flags::kLogOff));
  if (contains("/R")) actions.push_back(exitRequest(exit_flags::kRestart));
  if (hasFirst && first == "/S") actions.push_back(exitRequest(exit_flags::kShutDown));
  if (contains("/P")) actions.push_back(exitRequest(exit_flags::kPowerOff));
  if (contains("/G")) actions.push_back(exitRequest(exit_flags::kRestartApps));
  if (contains("/H")) actions.push_back({ActionKind::PowerStateChange, 0, false});
  if (contains("/W")) actions.push_back({ActionKind::PowerStateChange, 0, true});
  // Force is a request of its own, never merged into the one above.
  if (second == "/F") actions.push_back(exitRequest(exit_flags::kForce));
  if (second == "/FF") actions.push_back(exitRequest(exit_flags::kForceIfHung));
  if (hasFirst && first == "/LOCK") actions.push_back({ActionKind::LockWorkstation});
  if (hasFirst && first == "/SWITCHUSER") actions.push_back({ActionKind::DisconnectSession});
  if (!hasFirst || contains("/?")) actions.push_back({ActionKind::PrintUsage});
  return actions;
}

const std::vector<std::string_view>& usageLines() {
  static const std::vector<std::string_view> lines = {
      "Usage: powerctl [/L | /R | /S | /P  | /G | /H | /W | /LOCK | /SWITCHUSER | /?]\r\n",
      "               [/F | /FF]\r\n",
      " \r\n",
      "  /L            Logout\r\n",
      "  /R            Restart\r\n",
      "  /S            Shutdown\r\n",
      "  /P            PowerOff\r\n",
      "  /G            Shuts down, restart OS and start registered applications\r\n",
      "  /F            Force (/L | /R | /S | /P | /G) \r\n",
      "  /FF           Force (/L | /R | /S | /P | /G) \r\n",
      "  /LOCK         Lock workstation\r\n",
      "  /SWITCHUSER   Switch User(XP/Vista)\r\n",
      "  /H            Hibernate\r\n",
      "  /W            Suspend\r\n",
      "  /?            Help\r\n",
      "\r\n",
      "powerctl x86 v1.1 2008\nKorvane\nhttp://www.korvane.example/qubrix\r\n",
  };
  return lines;
}

std::string usageText() {
  std::string text;
  for (std::string_view line : usageLines()) text += line;
  return text;
}

}  // namespace qb::powerctl
