#pragma once
// Running a helper program of the tests as a child process, for what cannot be
// pretended inside one process: a whole process under Wine's emulation of
// another Windows version.
#include <windows.h>

#include <optional>
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

}  // namespace qb::test
