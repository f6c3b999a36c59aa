#pragma once
// Running a helper program of the tests as a child process, for what cannot be
// pretended inside one process: a whole process under Wine's emulation of
// another Windows version.
#include <string>

namespace qb::test {

struct ChildResult {
  bool started = false;
  unsigned long exitCode = 0;
  std::string output;  // what the child wrote to its standard output
};

// Runs the program `exeName` from the test program's folder with `arguments`
// and collects its output. With `wineVersion` set (for example "win98" or
// "win2k"), Wine makes the child see that Windows: the per-program setting
// HKEY_CURRENT_USER "Software\Wine\AppDefaults\<exeName>" "Version" is set for
// the run and put back as it was afterwards. Call it with no ScratchRegistry
// alive in this process, since the setting must reach the real registry.
ChildResult runChild(const std::wstring& exeName, const std::wstring& arguments = {},
                     const std::string& wineVersion = {});

}  // namespace qb::test
