// How long the startup page takes to list many entries.
//   wine bench_bootrow.exe [entries] [runs]     (defaults: 1000 entries, 20 runs)
// Prints the time of the first show (page creation, fill, language file) and
// the fastest and median time of the refills that follow.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bootrow_page.h"
#include "qb/test/bench_timing.h"
#include "qb/test/page_bench.h"
#include "qb/win/registry.h"

namespace reg = qb::win::reg;
using qb::test::nowMs;

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 20;
  qb::test::PageBench<TDLLForm> bench("Startup bench host");
  // Spread over the four keys, as a crowded machine would have them.
  for (int i = 0; i < entries; ++i) {
    const StartupLocation& where = startupLocations()[i % 4];
    reg::writeText(where.root, where.key, "Entry " + std::to_string(i),
                   "\"C:\\Program Files\\Vendor " + std::to_string(i) + "\\agent.exe\" /background /minimized");
  }

  const double start = nowMs();
  TDLLForm* page = bench.showPage();
  const double firstShow = nowMs() - start;
  if (!page || page->autostar2.count() != entries) {
    std::printf("the page did not list %d entries\n", entries);
    return 1;
  }
  const qb::test::Timings fills = qb::test::timeRuns(runs, [&] { page->FillList(); });
  std::printf("bootrow fill, %d entries: first show %.1f ms; refill fastest %.1f ms, median %.1f ms (%d runs)\n",
              entries, firstShow, fills.fastest, fills.median, runs);
  return 0;
}
