#pragma once
// Running a helper program of the tests as a child process, for what cannot be
// pretended inside one process: a whole process under Wine's emulation of
// another Windows version.
#include <windows.h>

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qb::test {

// For its lifetime, Wine makes the program `exeName` started from now on see
// the Windows `version` ("win98", "nt40", "win2k" ...): it sets HKEY_CURRENT_USER
// "Software\Wine\AppDefaults\<exeName>" "Version" and puts back the earlier
// state afterwards. Needs the real registry, so no ScratchRegistry alive meanwhile.
class WineVersionSetting {
 public:
  WineVersionSetting(const std::wstring& exeName, const std::string& version);
  WineVersionSetting(const WineVersionSetting&) = delete;
  WineVersionSetting& operator=(const WineVersionSetting&) = delete;
  ~WineVersionSetting();

 private:
  std::wstring path_;
  bool createdKey_ = false;
  DWORD previousType_ = REG_SZ;
  std::optional<std::vector<BYTE>> previous_;
};

struct ChildResult {
  bool started = false;
  unsigned long exitCode = 0;
  std::string output;  // what the child wrote to its standard output

  // The output with text-mode line ends ("\r\n") read as "\n".
  std::string lines() const {
    std::string out;
    for (char c : output)
      if (c != '\r') out += c;
    return out;
  }
};

// Runs the program `exeName` from the test program's folder with `arguments`
// and collects its output. With `wineVersion` set (for example "win98" or
// "win2k"), Wine makes the child see that Windows: the per-program setting
// HKEY_CURRENT_USER "Software\Wine\AppDefaults\<exeName>" "Version" is set for
// the run and put back as it was afterwards. Call it with no ScratchRegistry
// alive in this process, since the setting must reach the real registry.
ChildResult runChild(const std::wstring& exeName, const std::wstring& arguments = {},
                     const std::string& wineVersion = {});

// What a probe program found. A probe is a helper program of a test that
// shows a page (or calls a module) in a process of its own, typically under
// Wine's emulation of another Windows version, and prints one "name=value"
// line per finding (see printFinding).
struct ProbeFindings {
  ChildResult run;
  std::map<std::string, std::string> values;

  bool has(const std::string& name) const { return values.count(name) != 0; }
  // The finding's text; empty when the probe did not print it.
  std::string text(const std::string& name) const;
  // The finding as a number; nothing when it is missing or not a number.
  std::optional<long> number(const std::string& name) const;
};
// Shows the probe's whole output, so a failing case reads as what the probe saw.
std::ostream& operator<<(std::ostream& out, const ProbeFindings& findings);

// Runs the probe `exeName` from the test program's folder as runChild does and
// reads its findings. Like runChild, call it with no ScratchRegistry alive.
ProbeFindings runProbe(const std::wstring& exeName, const std::string& wineVersion = {},
                       const std::wstring& arguments = {});

// For probes: prints one finding line and flushes, so nothing is lost if the probe fails later.
void printFinding(const char* name, long value);
void printFinding(const char* name, const std::string& text);

}  // namespace qb::test
