#pragma once
// The startup entries page: the commands Windows starts from the Run and
// RunOnce keys of the user and of the machine. An entry the user unchecks is
// removed when the page is applied.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "qb/shell/page.h"
#include "qb/tk/listview.h"

struct StartupLocation {
  HKEY root;
  const char* key;
  const char* text;  // as the list shows it
};
// The keys, in the order they are listed.
const std::array<StartupLocation, 4>& startupLocations();

// What a row of the list stands for.
struct StartupEntry {
  std::string name;  // the value's name
  size_t location;   // index into startupLocations()
};

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::ListView autostar2;

  // Lists every entry of the four keys, each checked.
  void FillList();
  // Removes the unchecked entries, then lists what is left.
  void Apply() override;

  // Parallel to the rows of autostar2: row i is entries()[i].
  const std::vector<StartupEntry>& entries() const { return entries_; }

 protected:
  void FormShow() override;

 private:
  std::vector<StartupEntry> entries_;
};
