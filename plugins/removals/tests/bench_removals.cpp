// Fill time of the installed programs page with many entries.
//   bench_removals.exe [entries] [rounds]     (default 1000 entries, 20 rounds)
// Prints the fastest, median and slowest fill in milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "qb/test/bench_timing.h"
#include "qb/test/page_bench.h"
#include "qb/win/registry.h"
#include "removals_page.h"

int main(int argc, char** argv) {
  const int entries = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  if (entries < 0 || rounds <= 0) return 2;
  try {
    qb::test::PageBench<TDLLForm> bench("Removals bench host");
    const std::string base = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    for (int i = 0; i < entries; ++i) {
      const std::string key = base + "{" + std::to_string(100000 + i) + "-PRODUCT}";
      qb::win::reg::writeText(HKEY_LOCAL_MACHINE, key, "DisplayName", "Program numer " + std::to_string(i));
      qb::win::reg::writeText(HKEY_LOCAL_MACHINE, key, "UninstallString",
                              "MsiExec.exe /X{" + std::to_string(100000 + i) + "-PRODUCT}");
      qb::win::reg::writeText(HKEY_LOCAL_MACHINE, key, "Publisher", "Korvane");
    }
    TDLLForm* page = bench.showPage();
    if (!page) return 3;
    qb::test::pumpMessages();

    // Messages go through between rounds: the list repaints, as a user would see it.
    const qb::test::Timings fills = qb::test::timeRuns(rounds, [&] { page->FillList(); });
    std::printf("removals fill: %d entries listed %d, %d rounds: min %.1f ms, median %.1f ms, max %.1f ms\n",
                entries, page->uninst.count(), rounds, fills.fastest, fills.median, fills.slowest);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_removals: %s\n", e.what());
    return 1;
  }
}
