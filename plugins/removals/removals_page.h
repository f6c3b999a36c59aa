#pragma once
// The installed programs page: lists the programs registered for removal and
// starts the uninstaller of the selected one when the host applies the page.
#include <string>
#include <vector>

#include "qb/shell/page.h"
#include "qb/tk/listview.h"

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::ListView uninst;

  // Rebuilds the rows and their commands from the registry.
  void FillList();
  // Starts the uninstall command of the selected row.
  void Apply() override;

  // The command each row starts, by row index.
  const std::vector<std::string>& commands() const { return commands_; }

 protected:
  void FormShow() override;

 private:
  qb::tk::UniqueImageList rowImages_;
  std::vector<std::string> commands_;
};
