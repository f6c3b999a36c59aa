#include "smart_page.h"

#include <windows.h>

#include <stdexcept>

#include "qb/diskdev/system.h"
#include "qb/shell/language.h"
#include "qb/win/text.h"
#include "qb/win/version.h"

namespace {

using qb::smart::TSmartResult;

// Texts the disk stores are bytes in the ANSI code page.
std::string fromDisk(const std::string& bytes) { return qb::win::narrow(qb::win::fromAnsi(bytes)); }

// The user's thousands separator, one character.
std::string thousandsSeparator() {
  wchar_t text[8] = {};
  if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, text, 8)) return {};
  return qb::win::narrow(std::wstring(text, text[0] ? 1 : 0));
}

}  // namespace

qb::smart::DiskAccess smartDiskAccess() {
  const qb::win::WindowsVersion v = qb::win::windowsVersion();
  const qb::smart::Platform platform =
      v.nt() ? qb::smart::Platform::Nt : v.nineX() ? qb::smart::Platform::NineX : qb::smart::Platform::Other;
  return {qb::diskdev::diskDevice(), platform, [](std::uint32_t code) { return qb::diskdev::systemMessage(code); }};
}

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TForm2>(); }

TForm2::TForm2()
    : PluginPage("TForm2", "TForm2", {0, 0, 612, 426}, OnClose::HideOnly),
      ListView1(*this, "ListView1", {0, 0, 612, 97}, qb::tk::ListOption::RowSelect),
      ListView(*this, "ListView", {0, 97, 612, 329},
               qb::tk::ListOption::RowSelect | qb::tk::ListOption::GridLines | qb::tk::ListOption::StaticHeaders),
      captions_{"ID", "Opis", "Stan", "Wartość", "Najgorsze", "Próg", "Dane", "Temperatura "} {
  ListView1.setAlign(qb::tk::Align::Top);
  ListView1.addColumn("ID", 50);
  ListView1.addColumn("Opis", 500);
  ListView1.onClick = [this](qb::tk::ListView&) { ListView1Click(); };

  ListView.setAlign(qb::tk::Align::Client);
  for (const int width : {120, 150, 50, 80, 80, 50, 80, 50, 50}) ListView.addColumn("", width);
}

void TForm2::FormShow() {
  std::vector<qb::shell::LangKey> keys = {
      qb::shell::columnTitleKey("x1", ListView1, 1),
      qb::shell::columnTitleKey("x2", ListView1, 0),
  };
  for (std::size_t i = 0; i < captions_.size(); ++i)
    keys.push_back({"x" + std::to_string(i + 3), [this, i](const std::string& text) { captions_[i] = text; }});
  qb::shell::LoadLangFile("smart", keys);
  FillDiskList();
}

void TForm2::FillDiskList() {
  const qb::tk::ListView::UpdateScope update(ListView1);
  ListView1.clear();
  constexpr int kLastIndex = 10;
  int index = 0;
  std::string error, model, serial;
  for (; index <= kLastIndex; ++index) {
    qb::smart::DiskAccess access = smartDiskAccess();
    if (!qb::smart::IdentifyDisk(access, index, error, model, serial)) break;
    const int row = ListView1.addItem(std::to_string(index));
    ListView1.setSubItem(row, 1, fromDisk(model + " (" + serial + ")"));
  }
  // A disk that does not speak IDE may still give its serial number over SCSI.
  if (index <= kLastIndex) {
    qb::smart::DiskAccess access = smartDiskAccess();
    if (qb::smart::ReadScsiSerial(access, index, error, serial)) {
      const int row = ListView1.addItem(std::to_string(index));
      ListView1.setSubItem(row, 1, "SCSI Serial: " + fromDisk(serial));
    }
  }
}

void TForm2::ListView1Click() {
  const int row = ListView1.selectedIndex();
  if (row < 0) return;
  int index = 0;
  try {
    index = std::stoi(ListView1.itemText(row, 0));
  } catch (const std::logic_error&) {
    return;  // every row starts with its index; nothing else is read
  }
  ShowSmart(index);
}

void TForm2::ShowSmart(int index) {
  const qb::tk::ListView::UpdateScope update(ListView);
  ListView.clear();
  TSmartResult result;
  std::string error;
  qb::smart::DiskAccess access = smartDiskAccess();
  if (!qb::smart::ReadSmartData(access, index, error, result)) {
    ListView.addItem(error);
    return;
  }
  if (result.count == 0) {
    ListView.addItem(" No SMART Attributes Returned - " + error);
    return;
  }
  for (int column = 0; column < 7; ++column) ListView.setColumnTitle(column, captions_[column]);
  ListView.addItem(captions_[7] + ": " + std::to_string(result.temperature) + "°C");
  if (result.failingCount != 0)
    ListView.addItem("Test SMART nieudany, Złe atrybuty " + std::to_string(result.failingCount));

  const std::string separator = thousandsSeparator();
  for (int i = 0; i < result.count; ++i) {
    const int row = ListView.addItem(qb::smart::hexId(result.ids[i]));
    ListView.setSubItem(row, 1, result.names[i]);
    ListView.setSubItem(row, 2, result.status[i]);
    ListView.setSubItem(row, 3, std::to_string(result.current[i]));
    ListView.setSubItem(row, 4, std::to_string(result.worst[i]));
    ListView.setSubItem(row, 5, std::to_string(result.threshold[i]));
    ListView.setSubItem(row, 6, qb::smart::groupedRaw(result.raw[i], separator));
  }
}
