// How long the services page takes to list what the service manager knows.
//   wine bench_services.exe [runs]     (default: 20 runs)
// Lists every service, then every driver, of the machine (the Wine prefix
// under the bench) and prints the fastest and median fill of each, with the
// time of one enumeration call alone as the floor the page builds on.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "qb/shell/page.h"
#include "qb/test/bench_timing.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"
#include "services_page.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  // No scratch registry: the details of each row come from the machine's own keys.
  qb::test::HostWindow host(L"Services bench host");
  ShowDLLWND(0, 0, "Services bench host");
  auto* page = dynamic_cast<TDLLForm*>(qb::shell::moduleState().currentPage);
  if (!page) return 1;
  std::vector<unsigned char> block(qb::services::kEnumerationBlock);
  for (const bool services : {true, false}) {
    (services ? page->RadioButton1 : page->RadioButton2).setChecked(true);
    const qb::test::Timings fill = qb::test::timeRuns(runs, [&] { page->FillList(); });
    const qb::test::Timings floor = qb::test::timeRuns(runs, [&] {
      qb::win::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
      DWORD needed = 0, returned = 0, resume = 0;
      EnumServicesStatusA(manager.get(), services ? SERVICE_WIN32 : SERVICE_DRIVER, SERVICE_STATE_ALL,
                          reinterpret_cast<LPENUM_SERVICE_STATUSA>(block.data()), static_cast<DWORD>(block.size()),
                          &needed, &returned, &resume);
    });
    std::printf("services fill, %s, %d rows: fastest %.2f ms, median %.2f ms; enumeration alone %.2f ms (%d runs)\n",
                services ? "services" : "drivers", page->ListView1.count(), fill.fastest, fill.median, floor.median,
                runs);
  }
  return 0;
}
