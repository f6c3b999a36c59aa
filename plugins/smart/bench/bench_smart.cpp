// How long a click on a recorded disk takes to fill the attribute list.
//   wine bench_smart.exe [runs]     (default 50)
// Prints the fastest and the median time of ListView1Click with the disk's
// row selected, 30 attributes read from the recording each time.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "qb/diskdev/recorded_folder.h"
#include "qb/diskdev/recording.h"
#include "qb/test/bench_timing.h"
#include "qb/test/page_bench.h"
#include "smart_page.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  qb::diskdev::RecordedFolder folder(L"bench_smart_disks");
  std::vector<qb::diskdev::RecordedAttribute> attributes;
  for (int i = 0; i < 30; ++i)
    attributes.push_back({static_cast<std::uint8_t>(i < 12 ? i + 1 : 180 + i), 0x0B, 100, 99, 1234567u * i, 36});
  folder.write(L"0.smart", qb::diskdev::recordedDisk("ST380011A", "5JVABC12", attributes));

  qb::test::PageBench<TForm2> bench("SMART bench host");
  TForm2* page = bench.showPage();
  if (!page || page->ListView1.count() != 1) {
    std::printf("the page did not list the recorded disk\n");
    return 1;
  }
  page->ListView1.select(0);
  const qb::test::Timings clicks = qb::test::timeRuns(runs, [&] { page->ListView1Click(); });
  if (page->ListView.count() != 31) {
    std::printf("the click listed %d rows, not 31\n", page->ListView.count());
    return 1;
  }
  std::printf("smart ShowSmart, one recorded disk with 30 attributes: fastest %.2f ms, median %.2f ms (%d runs)\n",
              clicks.fastest, clicks.median, runs);
  return 0;
}
