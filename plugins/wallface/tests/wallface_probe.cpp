// Shows the desktop page with the cleanup wizard's key present but no "NoRun"
// value and all eight icons stored as hidden, unchecks one icon box, applies,
// and prints one "name=value" line per finding. The test runs it under Wine's
// emulation of several Windows versions.
#include <windows.h>

#include "qb/test/child_process.h"
#include "qb/test/page_bench.h"
#include "qb/win/registry.h"
#include "qb/win/version.h"
#include "wallface_page.h"

namespace reg = qb::win::reg;
using qb::test::printFinding;

namespace {
const char kDesktop[] = "Control Panel\\Desktop";

long count(const std::array<qb::tk::CheckBox*, 8>& boxes, bool (qb::tk::CheckBox::*what)() const) {
  long n = 0;
  for (const qb::tk::CheckBox* b : boxes) n += (b->*what)() ? 1 : 0;
  return n;
}
bool enabledOf(const qb::tk::CheckBox& b) { return b.enabled(); }
}  // namespace

int main() {
  // Apply sets the wallpaper for real; the prefix gets its own back.
  wchar_t wallpaper[MAX_PATH + 1] = {};
  SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, wallpaper, 0);
  int rc = 0;
  try {
    qb::test::PageBench<TDLLForm> bench("Desktop probe host");
    reg::createKey(HKEY_CURRENT_USER, kCleanupWizardKey);
    for (const HiddenIcon& icon : hiddenIcons()) reg::writeNumber(HKEY_CURRENT_USER, icon.key, icon.classId, 1);
    reg::writeNumber(HKEY_CURRENT_USER, kDesktop, "PaintDesktopVersion", 0);

    TDLLForm* page = bench.showPage();
    if (!page) return 2;
    const auto v = qb::win::windowsVersion();
    printFinding("platform", v.platform);
    printFinding("major", v.major);
    printFinding("minor", v.minor);
    printFinding("dcw_enabled", page->dcw.enabled());
    printFinding("dcw_checked", page->dcw.checked());
    const auto boxes = page->iconBoxes();
    long enabled = 0;
    for (const qb::tk::CheckBox* b : boxes) enabled += enabledOf(*b) ? 1 : 0;
    printFinding("icon_boxes_enabled", enabled);
    printFinding("icon_group_enabled", page->GroupBox1.enabled());
    printFinding("icon_boxes_checked", count(boxes, &qb::tk::CheckBox::checked));

    page->CheckBox1.setChecked(false);
    page->desk_winver.setChecked(true);
    DLLSave();
    const reg::Number noRun = reg::readNumber(HKEY_CURRENT_USER, kCleanupWizardKey, kCleanupWizardValue);
    printFinding("norun_after", noRun.found == reg::Found::Value ? static_cast<long>(noRun.value) : -1);
    long ones = 0;
    for (const HiddenIcon& icon : hiddenIcons()) {
      const reg::Number n = reg::readNumber(HKEY_CURRENT_USER, icon.key, icon.classId);
      ones += n.found == reg::Found::Value && n.value == 1;
    }
    printFinding("icons_stored_one_after", ones);
    printFinding("switch_after",
                 static_cast<long>(reg::readNumber(HKEY_CURRENT_USER, kDesktop, "PaintDesktopVersion").value));
    printFinding("messages", static_cast<long>(bench.boxes.calls().size()));
  } catch (const std::exception& e) {
    printFinding("error", e.what());
    rc = 3;
  }
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wallpaper, SPIF_UPDATEINIFILE);
  return rc;
}
