#include "removals_page.h"

#include "qb/shell/language.h"
#include "qb/tk/msgbox.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace reg = qb::win::reg;

namespace {
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kNothingSelected[] = "Nie wybrałeś żadnego programu";
}  // namespace

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", "TDLLForm", {0, 0, 680, 420}),
      uninst(*this, "uninst", {0, 0, 680, 420}),
      rowImages_(qb::tk::singleIconImages(IDI_APPLICATION)) {
  uninst.setAlign(qb::tk::Align::Client);
  uninst.addColumn("Nazwa programu", 300);
  uninst.addColumn("Program odinstalowujący", 350);
  uninst.setSmallImages(rowImages_.get());
}

void TDLLForm::FormShow() {
  FillList();
  qb::shell::LoadLangFile("uninstall", {
                                       qb::shell::columnTitleKey("x1", uninst, 0),
                                       qb::shell::columnTitleKey("x2", uninst, 1),
                                   });
}

void TDLLForm::FillList() {
  const qb::tk::ListView::UpdateScope update(uninst);
  uninst.clear();
  commands_.clear();
  std::vector<std::string> names;
  if (const auto key = reg::openKey(HKEY_LOCAL_MACHINE, kUninstallKey)) names = reg::subkeyNames(key.get());
  for (const auto& name : names) {
    const auto entry = reg::openKey(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "\\" + name);
    if (!entry) continue;
    // Only text counts; an entry whose values have another type is passed over
    // and the rest of the list still filled.
    const auto displayName = reg::readText(entry.get(), "DisplayName");
    const auto command = reg::readText(entry.get(), "UninstallString");
    if (displayName.found != reg::Found::Value || command.found != reg::Found::Value) continue;
    const int row = uninst.addItem(displayName.text, 0);
    uninst.setSubItem(row, 1, command.text);
    commands_.push_back(command.text);
  }
}

void TDLLForm::Apply() {
  const int row = uninst.selectedIndex();
  if (row < 0 || static_cast<size_t>(row) >= commands_.size()) {
    qb::tk::messageBox(hwnd(), kNothingSelected, "Qubrix", MB_OK);
    return;
  }
  // WinExec takes the system's 8-bit code page; its result is not looked at.
  const std::string command = qb::win::toAnsi(qb::win::widen(commands_[static_cast<size_t>(row)]));
  WinExec(command.c_str(), SW_SHOWNORMAL);
}
