#include "qb/test/bench_timing.h"

#include <windows.h>

#include <algorithm>
#include <numeric>

namespace qb::test {

double nowMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

Timings summarize(std::vector<double> times) {
  if (times.empty()) return {};
  std::sort(times.begin(), times.end());
  const double sum = std::accumulate(times.begin(), times.end(), 0.0);
  return {times.front(), times[times.size() / 2], times.back(), sum / static_cast<double>(times.size())};
}

}  // namespace qb::test
