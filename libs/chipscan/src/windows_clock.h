#pragma once
// The clock measurement's counters on Windows: the performance counter, the
// time-stamp counter and the calling thread's priority.
#include <windows.h>

#include "qb/chipscan/clock_measure.h"

namespace qb::chipscan {

class WindowsClock : public ClockSource {
 public:
  std::optional<std::uint64_t> counterFrequency() override;
  std::uint64_t readCounter() override;
  std::uint32_t readTimeStamp() override;
  int threadPriority() override;
  void setThreadPriority(int priority) override;

 private:
  HANDLE thread_ = GetCurrentThread();  // a pseudo-handle: nothing to close
};

}  // namespace qb::chipscan
