// Times GetCPUSpeed and compares its answers with the kernel's TSC rate.
//   wine build/windows/bin/bench_cpuspeed.exe [calls]
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/kernel_cpuinfo.h"
#include "chipscan.h"
#include "qb/test/bench_timing.h"

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  std::string whyNot = "no /proc/cpuinfo";
  std::optional<double> tsc;
  if (const auto cpu = qb::chipscan::test::readKernelCpu()) tsc = qb::chipscan::test::kernelTscMegahertz(*cpu, whyNot);

  std::vector<double> times;
  double totalErr = 0, worstErr = 0;
  for (int i = 0; i < calls; ++i) {
    const double start = qb::test::nowMs();
    const std::string text = GetCPUSpeed();
    const double ms = qb::test::nowMs() - start;
    times.push_back(ms);
    std::printf("call %2d: %-10s %7.3f ms", i + 1, text.c_str(), ms);
    if (tsc) {
      const double err = 100.0 * std::fabs(std::stod(text) - *tsc) / *tsc;
      totalErr += err;
      worstErr = std::max(worstErr, err);
      std::printf("  error %.3f %%", err);
    }
    std::printf("\n");
  }
  const qb::test::Timings wall = qb::test::summarize(times);
  std::printf("wall time per call: mean %.3f ms, worst %.3f ms over %d calls\n", wall.mean, wall.slowest, calls);
  if (tsc)
    std::printf("kernel TSC rate %.3f MHz; error: mean %.3f %%, worst %.3f %%\n", *tsc, totalErr / calls, worstErr);
  else
    std::printf("no kernel TSC rate: %s\n", whyNot.c_str());
  return 0;
}
