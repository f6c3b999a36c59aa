#pragma once
// Timing for benchmark commands: a millisecond clock and the spread of a run's times.
#include <utility>
#include <vector>

#include "qb/test/testbench.h"

namespace qb::test {

// Milliseconds on the performance counter; only differences mean anything.
double nowMs();

// The spread of a list of times in milliseconds. The median of an even count
// is the upper of the two middle times. All zero for an empty list.
struct Timings {
  double fastest = 0;
  double median = 0;
  double slowest = 0;
  double mean = 0;
};
Timings summarize(std::vector<double> times);

// Times `runs` calls of step and lets pending messages through after each,
// as the host's message loop would between two clicks.
template <typename Step>
Timings timeRuns(int runs, Step&& step) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    const double start = nowMs();
    step();
    times.push_back(nowMs() - start);
    pumpMessages();
  }
  return summarize(std::move(times));
}

}  // namespace qb::test
