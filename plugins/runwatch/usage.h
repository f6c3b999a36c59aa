#pragma once
// The task manager's arithmetic: per-process CPU shares measured between two
// refreshes, the idle figure, the CPU history, the system-wide CPU usage and
// the texts the lists and labels show. No platform headers: built and tested
// natively as well.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::runwatch {

// The clock the refreshes are measured by: local time of day, millisecond resolution.
struct TimeOfDay {
  unsigned hour = 0;
  unsigned minute = 0;
  unsigned second = 0;
  unsigned millisecond = 0;
};
// 100-nanosecond units since midnight.
std::int64_t ticksSinceMidnight(const TimeOfDay& t);

// One process of a snapshot, with the kernel and user times read for it
// (100-nanosecond units; both 0 when they could not be read).
struct ProcessReading {
  std::uint32_t pid = 0;
  std::string name;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
  bool timesRead = true;
};

// Kernel and user share of the CPU over one refresh interval, in percent.
struct CpuSample {
  std::int32_t kernel = 0;
  std::int32_t user = 0;
};

// The last 1024 samples, newest first; older than that are dropped.
class CpuHistory {
 public:
  static constexpr std::size_t kSamples = 1024;
  void push(CpuSample sample);
  // i = 0 is the newest sample.
  const CpuSample& operator[](std::size_t i) const { return samples_[(newest_ + i) % kSamples]; }

 private:
  std::array<CpuSample, kSamples> samples_{};
  std::size_t newest_ = 0;
};

struct RefreshFigures {
  std::vector<std::int64_t> shares;  // per reading, in order; percent of one processor
  std::int64_t idle = 0;             // what the first row (the idle process) shows
  CpuSample sample;                  // also pushed onto the history
};

// Remembers every process seen since it was made (identifier, name, the times
// of the last refresh) and measures each refresh against the previous one.
// A share is only measured for an identifier seen before under the same name,
// whose times did not go back and were read both times, over an interval that
// did not cross midnight; anything else reads 0, as a process seen for the
// first time does.
class ProcessSampler {
 public:
  RefreshFigures refresh(const std::vector<ProcessReading>& readings, const TimeOfDay& now);
  const CpuHistory& history() const { return history_; }
  std::size_t knownProcesses() const { return entries_.size(); }

 private:
  struct Entry {
    std::uint64_t kernel;
    std::uint64_t user;
    std::uint32_t pid;
    bool timesRead;
  };
  std::vector<Entry> entries_;
  std::vector<std::string> names_;  // parallel to entries_
  std::int64_t previous_ = 0;       // the last refresh, ticks since midnight
  CpuHistory history_;
};

// What the native system queries gave: the processor count and the two
// 64-bit counters, as the query buffers hold them.
struct SystemReadings {
  unsigned processors = 0;
  std::uint64_t idleTime = 0;
  std::uint64_t systemTime = 0;
};
constexpr std::size_t kBasicInformationSize = 44;
constexpr std::size_t kTimeOfDayInformationSize = 32;
constexpr std::size_t kPerformanceInformationSize = 312;
// Picks the processor count (byte 40 of the basic information), the system
// time (offset 8 of the time of day) and the idle time (offset 0 of the
// performance information) out of the three buffers.
SystemReadings systemReadings(const unsigned char (&basic)[kBasicInformationSize],
                              const unsigned char (&timeOfDay)[kTimeOfDayInformationSize],
                              const unsigned char (&performance)[kPerformanceInformationSize]);

// System CPU usage in percent from the growth of the idle time against the
// system time since the previous reading. No value for the first reading, or
// when the clock did not move or no processor was reported.
class SystemCpuUsage {
 public:
  std::optional<int> update(const SystemReadings& now);

 private:
  std::uint64_t previousIdle_ = 0;
  std::uint64_t previousSystem_ = 0;
};

// At least two digits, zero-padded: 5 -> "05", 123 -> "123".
std::string zeroPadded2(std::int64_t value);
// Accumulated CPU time (100-ns units) as hours:minutes:seconds:milliseconds,
// "01:02:03:004"; hours take as many digits as they need.
std::string cpuTimeText(std::uint64_t time);
// Digits grouped by three with the locale's separator; 0 gives the empty text.
std::string grouped(std::uint64_t value, std::string_view separator);
// A working set in KB: "1,234,567 K"; 0 gives " K".
std::string kilobytesText(std::uint64_t kilobytes, std::string_view separator);
// Bytes shown as whole KB, rounded: "2,048 KB"; below 512 bytes " KB".
std::string kilobytesOfBytesText(std::uint64_t bytes, std::string_view separator);
// total - available, 0 when a system reports more available than in total.
std::uint64_t usedOf(std::uint64_t total, std::uint64_t available);

}  // namespace qb::runwatch
