// Lists one startup entry of each location, removes the unchecked per-user
// one, and prints one "name=value" line per finding. The test runs it under
// Wine's emulation of other Windows versions.
#include <cstdio>

#include "bootrow_page.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/registry.h"
#include "qb/win/version.h"

namespace reg = qb::win::reg;

int main() {
  try {
    qb::test::ScratchRegistry scratch;
    qb::test::MessageBoxRecorder boxes;
    qb::test::HostWindow host(L"Startup probe host");
    for (const StartupLocation& where : startupLocations())
      reg::writeText(where.root, where.key, "Probe", where.text);

    ShowDLLWND(0, 0, "Startup probe host");
    auto* page = dynamic_cast<TDLLForm*>(qb::shell::moduleState().currentPage);
    if (!page) return 2;
    const auto v = qb::win::windowsVersion();
    std::printf("platform=%u\nminor=%u\n", v.platform, v.minor);
    std::printf("rows=%d\n", page->autostar2.count());
    int inOrder = 1;
    for (int row = 0; row < page->autostar2.count() && row < 4; ++row)
      inOrder &= page->autostar2.itemText(row, 2) == startupLocations()[row].text &&
                 page->autostar2.itemText(row, 1) == startupLocations()[row].text && page->autostar2.checked(row);
    std::printf("in_order=%d\n", inOrder);

    page->autostar2.setChecked(0, false);
    DLLSave();
    std::printf("rows_after=%d\n", page->autostar2.count());
    std::printf("user_run_left=%d\n",
                reg::readText(HKEY_CURRENT_USER, startupLocations()[0].key, "Probe").found == reg::Found::Value);
    std::printf("machine_run_left=%d\n",
                reg::readText(HKEY_LOCAL_MACHINE, startupLocations()[1].key, "Probe").found == reg::Found::Value);
    std::printf("messages=%d\n", static_cast<int>(boxes.calls().size()));
    page->close();
    qb::test::pumpMessages();
    std::fflush(stdout);
    return 0;
  } catch (const std::exception& e) {
    std::printf("error=%s\n", e.what());
    return 3;
  }
}
