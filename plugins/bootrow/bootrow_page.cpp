#include "bootrow_page.h"

#include <algorithm>

#include "qb/shell/language.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace reg = qb::win::reg;

namespace {

// Deletes one startup value. A value that is gone already, or a key this
// user may not change, is passed over: the next fill shows what is left.
void removeStartupValue(const StartupEntry& entry) {
  const StartupLocation& where = startupLocations()[entry.location];
  const auto key = reg::openKey(where.root, where.key);
  if (key) RegDeleteValueW(key.get(), qb::win::widen(entry.name).c_str());
}

}  // namespace

const std::array<StartupLocation, 4>& startupLocations() {
  static const std::array<StartupLocation, 4> locations{{
      {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
       "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
       "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
       "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
      {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
       "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
  }};
  return locations;
}

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", "TDLLForm", {0, 0, 580, 360}),
      autostar2(*this, "autostar2", {0, 0, 580, 360}, qb::tk::ListOption::CheckBoxes | qb::tk::ListOption::RowSelect) {
  autostar2.setAlign(qb::tk::Align::Client);
  autostar2.addColumn("Element startowy", 180);
  autostar2.addColumn("Polecenie", 180);
  autostar2.addColumn("Lokalizacja", 200);
}

void TDLLForm::FormShow() {
  FillList();
  qb::shell::LoadLangFile("autostart", {
      qb::shell::columnTitleKey("x1", autostar2, 0),
      qb::shell::columnTitleKey("x2", autostar2, 1),
      qb::shell::columnTitleKey("x3", autostar2, 2),
  });
}

void TDLLForm::FillList() {
  // Drawing stays suspended while the list is refilled, however the fill ends.
  const qb::tk::ListView::UpdateScope update(autostar2);
  autostar2.clear();
  entries_.clear();
  const auto& locations = startupLocations();
  for (size_t where = 0; where < locations.size(); ++where) {
    const auto key = reg::openKey(locations[where].root, locations[where].key);
    if (!key) continue;
    for (reg::NamedValue& value : reg::values(key.get())) {
      // Data that is not text starts nothing; it must not hide the entries after it.
      const auto command = reg::rawAsText(value.value);
      if (!command) continue;
      const int row = autostar2.addItem(value.name);
      autostar2.setSubItem(row, 1, *command);
      autostar2.setSubItem(row, 2, locations[where].text);
      entries_.push_back({std::move(value.name), where});
    }
  }
  for (int row = 0; row < autostar2.count(); ++row) autostar2.setChecked(row, true);
}

void TDLLForm::Apply() {
  const size_t rows = std::min(entries_.size(), static_cast<size_t>(autostar2.count()));
  for (size_t row = 0; row < rows; ++row)
    if (!autostar2.checked(static_cast<int>(row))) removeStartupValue(entries_[row]);
  FillList();
}
