#pragma once
// The prefetch page: the system's prefetch mode, and the prefetch files of the
// Windows folder, which the user can delete.
#include <string>
#include <vector>

#include "qb/shell/page.h"
#include "qb/tk/container.h"
#include "qb/tk/controls.h"
#include "qb/tk/listview.h"
#include "qb/win/version.h"

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::GroupBox GroupBoxP;
  qb::tk::RadioButton Prefetch1;
  qb::tk::RadioButton Prefetch2;
  qb::tk::RadioButton Prefetch3;
  qb::tk::RadioButton Prefetch4;
  qb::tk::Label R1;
  qb::tk::ListView ListViewlog;
  qb::tk::Button Button1;

  // Lists the prefetch files, every row checked.
  void LoadPFFiles();
  // Deletes the files of the checked rows and lists the folder again.
  void Button1Click(qb::tk::Control& sender);
  // Stores the mode of the selected option; with none selected nothing.
  void Apply() override;

  // The Windows folder's "prefetch" folder, ending in a backslash.
  static std::wstring prefetchFolder();
  // The name of the file each row was listed from, by row.
  const std::vector<std::wstring>& listedFiles() const { return files_; }

 protected:
  void FormShow() override;

 private:
  std::vector<std::wstring> files_;
};

// The prefetcher's settings exist on Windows XP and Server 2003 only.
bool prefetchSettingsExist(const qb::win::WindowsVersion& v);

// A row's caption: the shell's display name, with ".pf" added unless it
// already ends in exactly that.
std::wstring prefetchRowCaption(const std::wstring& displayName);
