#pragma once
// The host's main window: the list of plug-ins found beside the program, the
// page of the chosen one, and buttons to apply and go back.
#include <string>
#include <vector>

#include "plugin_module.h"
#include "qb/tk/controls.h"
#include "qb/tk/form.h"
#include "qb/tk/listview.h"

class HostForm : public qb::tk::Form {
 public:
  static constexpr const char* kTitle = "Qubrix";

  HostForm();

  qb::tk::ListView ModuleList;
  qb::tk::Label LanguageLabel;
  qb::tk::ComboBox LanguageCombo;
  qb::tk::Button ApplyButton;
  qb::tk::Button BackButton;

  // Opens the module whose file name (without ".dll") matches, case ignored.
  bool openModule(const std::string& name);

 protected:
  void FormClose(qb::tk::CloseAction& action) override;
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void findModules();
  void findLanguages();
  void openModuleAt(int row);
  void layout();
  RECT pageArea() const;

  std::wstring folder_;
  std::vector<std::wstring> moduleFiles_;
  PluginModule current_;
};
