// powerctl: logs off, restarts, shuts down, powers off, locks, switches user,
// hibernates or suspends, as the first two arguments say.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "actions.h"
#include "command_line.h"
#include "power_system.h"
#include "qb/win/text.h"

// The wide arguments keep characters outside the ANSI code page intact: their
// 8-bit form could turn into '?' or a look-alike ASCII letter and match an option.
int wmain(int argc, wchar_t** argv) {
  try {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(qb::win::narrow(argv[i]));
    return qb::powerctl::carryOut(qb::powerctl::plannedActions(arguments), qb::powerctl::realPowerSystem());
  } catch (...) {
    return 1;
  }
}
