#include "qb/chipscan/clock_measure.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace qb::chipscan {
namespace {

constexpr int kMinPasses = 3;
constexpr int kMaxPasses = 20;
constexpr std::uint32_t kSettleCounts = 50;
constexpr std::uint32_t kWindowCounts = 1000;

// Round to nearest, halves to the even neighbour (the x87 default mode).
long double nearest(long double x) { return std::nearbyint(x); }

std::int32_t toInt32Saturated(long double x) {
  if (x >= static_cast<long double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (x <= static_cast<long double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(x);
}

std::uint32_t low32(std::uint64_t v) { return static_cast<std::uint32_t>(v); }

}  // namespace

bool estimatesAgree(std::int32_t newest, std::int32_t middle, std::int32_t oldest) {
  // 64-bit so that absurd estimates cannot overflow the sum.
  const std::int64_t sum = std::int64_t{newest} + middle + oldest;
  for (const std::int64_t e : {std::int64_t{newest}, std::int64_t{middle}, std::int64_t{oldest}})
    if (std::llabs(3 * e - sum) > 3) return false;
  return true;
}

ClockMeasurement measureClock(ClockSource& source) {
  ClockMeasurement result;
  const auto frequency = source.counterFrequency();
  if (!frequency) return result;
  // Only the low 32 bits of the frequency count; with none left there is no
  // time base to divide by.
  const std::uint32_t f = low32(*frequency);
  if (f == 0) return result;
  const long double tenthOfFrequency = static_cast<long double>(f) / 10;

  std::int32_t e1 = 0, e2 = 0, e3 = 0;
  // Totals widened beyond 32 bits: they can then neither wrap nor lose passes.
  std::uint64_t totalMicroseconds = 0, totalTicks = 0;

  for (int n = 0;;) {
    if (n >= kMaxPasses) break;
    if (n >= kMinPasses && estimatesAgree(e1, e2, e3)) break;

    ++n;
    e3 = e2;
    e2 = e1;
    std::uint32_t c0 = low32(source.readCounter());
    std::uint32_t c1 = c0;
    const int priority = source.threadPriority();
    const bool raised = priority != kPriorityErrorReturn;
    if (raised) source.setThreadPriority(kPriorityTimeCritical);

    std::uint32_t t0 = 0, t1 = 0;
    do {
      c1 = low32(source.readCounter());
      t0 = source.readTimeStamp();
    } while (c1 - c0 < kSettleCounts);
    c0 = c1;
    do {
      c1 = low32(source.readCounter());
      t1 = source.readTimeStamp();
    } while (c1 - c0 < kWindowCounts);

    if (raised) source.setThreadPriority(priority);

    const std::uint32_t ticks = t1 - t0;
    // The product is taken in 64 bits: a thread held up for more than about
    // 43000 counts would otherwise wrap it and give a wrong window length.
    const std::uint64_t scaled = std::uint64_t{c1 - c0} * 100000u;
    const auto microseconds = static_cast<std::uint64_t>(nearest(static_cast<long double>(scaled) / tenthOfFrequency));
    totalMicroseconds += microseconds;
    totalTicks += ticks;
    // A window shorter than half a microsecond gives no estimate of its own.
    e1 = microseconds == 0 ? 0 : toInt32Saturated(nearest(static_cast<long double>(ticks) / microseconds));
    result.passes = n;
  }

  if (totalMicroseconds != 0)
    result.megahertz =
        static_cast<std::uint64_t>(nearest(static_cast<long double>(totalTicks) / totalMicroseconds));
  return result;
}

std::string clockText(const ClockMeasurement& m) {
  return std::to_string(m.megahertz.value_or(0)) + " MHz";
}

}  // namespace qb::chipscan
