#pragma once
// Measures the processor clock by timing the time-stamp counter against the
// high-resolution performance counter in short passes until three successive
// estimates agree. The counters and the thread priority come through
// ClockSource, so the passes can be replayed from made-up readings.
#include <cstdint>
#include <optional>
#include <string>

namespace qb::chipscan {

// Values of the Win32 thread priority calls, kept here so that this code needs
// no Windows headers.
constexpr int kPriorityErrorReturn = 0x7FFFFFFF;
constexpr int kPriorityTimeCritical = 15;

class ClockSource {
 public:
  virtual ~ClockSource() = default;
  // Counts per second of the performance counter; nullopt when there is none.
  virtual std::optional<std::uint64_t> counterFrequency() = 0;
  virtual std::uint64_t readCounter() = 0;
  // Low 32 bits of the time-stamp counter.
  virtual std::uint32_t readTimeStamp() = 0;
  // The calling thread's priority, or kPriorityErrorReturn.
  virtual int threadPriority() = 0;
  virtual void setThreadPriority(int priority) = 0;
};

struct ClockMeasurement {
  // Whole megahertz; nullopt when nothing could be measured (no usable
  // performance counter, or every window shorter than half a microsecond).
  std::optional<std::uint64_t> megahertz;
  int passes = 0;
};

ClockMeasurement measureClock(ClockSource& source);

// Whether the last three estimates each lie within one megahertz of their mean.
bool estimatesAgree(std::int32_t newest, std::int32_t middle, std::int32_t oldest);

// "<n> MHz"; "0 MHz" when nothing was measured.
std::string clockText(const ClockMeasurement& m);

}  // namespace qb::chipscan
