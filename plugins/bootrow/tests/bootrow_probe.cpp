// Lists one startup entry of each location, removes the unchecked per-user
// one, and prints one "name=value" line per finding. The test runs it under
// Wine's emulation of other Windows versions.
#include <cstdio>

#include "bootrow_page.h"
#include "qb/test/child_process.h"
#include "qb/test/page_bench.h"
#include "qb/win/registry.h"
#include "qb/win/version.h"

namespace reg = qb::win::reg;
using qb::test::printFinding;

int main() {
  try {
    qb::test::PageBench<TDLLForm> bench("Startup probe host");
    for (const StartupLocation& where : startupLocations())
      reg::writeText(where.root, where.key, "Probe", where.text);

    TDLLForm* page = bench.showPage();
    if (!page) return 2;
    const auto v = qb::win::windowsVersion();
    printFinding("platform", v.platform);
    printFinding("minor", v.minor);
    printFinding("rows", page->autostar2.count());
    int inOrder = 1;
    for (int row = 0; row < page->autostar2.count() && row < 4; ++row)
      inOrder &= page->autostar2.itemText(row, 2) == startupLocations()[row].text &&
                 page->autostar2.itemText(row, 1) == startupLocations()[row].text && page->autostar2.checked(row);
    printFinding("in_order", inOrder);

    page->autostar2.setChecked(0, false);
    DLLSave();
    printFinding("rows_after", page->autostar2.count());
    printFinding("user_run_left",
                 reg::readText(HKEY_CURRENT_USER, startupLocations()[0].key, "Probe").found == reg::Found::Value);
    printFinding("machine_run_left",
                 reg::readText(HKEY_LOCAL_MACHINE, startupLocations()[1].key, "Probe").found == reg::Found::Value);
    printFinding("messages", static_cast<long>(bench.boxes.calls().size()));
    return 0;
  } catch (const std::exception& e) {
    printFinding("error", e.what());
    return 3;
  }
}
