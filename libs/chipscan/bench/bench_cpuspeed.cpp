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

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);

  std::string whyNot = "no /proc/cpuinfo";
  std::optional<double> tsc;
  if (const auto cpu = qb::chipscan::test::readKernelCpu()) tsc = qb::chipscan::test::kernelTscMegahertz(*cpu, whyNot);

  double totalMs = 0, worstMs = 0, totalErr = 0, worstErr = 0;
  for (int i = 0; i < calls; ++i) {
    QueryPerformanceCounter(&t0);
    const std::string text = GetCPUSpeed();
    QueryPerformanceCounter(&t1);
    const double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
    totalMs += ms;
    worstMs = std::max(worstMs, ms);
    std::printf("call %2d: %-10s %7.3f ms", i + 1, text.c_str(), ms);
    if (tsc) {
      const double err = 100.0 * std::fabs(std::stod(text) - *tsc) / *tsc;
      totalErr += err;
      worstErr = std::max(worstErr, err);
      std::printf("  error %.3f %%", err);
    }
    std::printf("\n");
  }
  std::printf("wall time per call: mean %.3f ms, worst %.3f ms over %d calls\n", totalMs / calls, worstMs, calls);
  if (tsc)
    std::printf("kernel TSC rate %.3f MHz; error: mean %.3f %%, worst %.3f %%\n", *tsc, totalErr / calls, worstErr);
  else
    std::printf("no kernel TSC rate: %s\n", whyNot.c_str());
  return 0;
}
