#pragma once
// Carries out the planned actions through the operating-system calls.
#include <vector>

#include "command_line.h"
#include "power_system.h"

namespace qb::powerctl {

// Runs the actions in order and answers the exit code: 0, or 1 after an
// operating-system error in a power state change, which stops the run there.
int carryOut(const std::vector<Action>& actions, PowerSystem& system);

// The OEM code page form of a wide text (what a console shows correctly).
std::string toOemCodePage(std::wstring_view text);

}  // namespace qb::powerctl
