// Shows the browser page with a few stored settings, applies it, and prints one
// "name=value" line per finding. The test runs it under Wine's emulation of
// other Windows versions, where the IE7/IE8 boxes are gated.
#include <cstdio>

#include "browserpage_page.h"
#include "qb/test/child_process.h"
#include "qb/test/page_bench.h"
#include "qb/win/registry.h"
#include "qb/win/version.h"

namespace reg = qb::win::reg;
using namespace browser_keys;
using qb::test::printFinding;

int main() {
  try {
    qb::test::PageBench<TDLLForm> bench("Browser probe host");
    const std::wstring startPage = L"%USERPROFILE%\\x.html";
    reg::writeRaw(HKEY_CURRENT_USER, kMain, "Start Page", REG_EXPAND_SZ, qb::test::wideBytes(startPage));
    reg::writeText(HKEY_CURRENT_USER, kMain, "Window Title", " (prywatna)");
    reg::writeNumber(HKEY_CURRENT_USER, kWebBrowserToolbar, "ITBar7Position", 1);

    TDLLForm* page = bench.showPage();
    if (!page) return 2;
    const auto v = qb::win::windowsVersion();
    printFinding("platform", v.platform);
    printFinding("minor", v.minor);
    printFinding("ie7_enabled", page->IE7Menu.enabled() + page->CheckBox1.enabled() + page->CheckBox2.enabled());
    printFinding("ie7_menu_checked", page->IE7Menu.checked());
    printFinding("command_bar_checked", page->CheckBox2.checked());

    page->IE7Menu.setChecked(false);
    DLLSave();
    const reg::Raw stored = reg::readRaw(HKEY_CURRENT_USER, kMain, "Start Page");
    printFinding("start_page_kept",
                 stored.type == REG_EXPAND_SZ && reg::rawAsText(stored) == std::string("%USERPROFILE%\\x.html"));
    printFinding("title_kept", reg::readText(HKEY_CURRENT_USER, kMain, "Window Title").text == " (prywatna)");
    // Inside the gate the unchecked box is written as 0; outside the stored 1 stays.
    printFinding("ie7_menu_written", reg::readNumber(HKEY_CURRENT_USER, kWebBrowserToolbar, "ITBar7Position").value == 0);
    printFinding("messages", static_cast<long>(bench.boxes.calls().size()));
    return 0;
  } catch (const std::exception& e) {
    printFinding("error", e.what());
    return 3;
  }
}
