#include "usage.h"

#include <cmath>
#include <cstdio>

namespace qb::runwatch {

std::int64_t ticksSinceMidnight(const TimeOfDay& t) {
  const std::int64_t ms = ((static_cast<std::int64_t>(t.hour) * 60 + t.minute) * 60 + t.second) * 1000 + t.millisecond;
  return ms * 10000;
}

void CpuHistory::push(CpuSample sample) {
  newest_ = (newest_ + kSamples - 1) % kSamples;
  samples_[newest_] = sample;
}

RefreshFigures ProcessSampler::refresh(const std::vector<ProcessReading>& readings, const TimeOfDay& now) {
  const std::int64_t current = ticksSinceMidnight(now);
  RefreshFigures out;
  out.shares.reserve(readings.size());
  std::int64_t total = 0;
  std::int64_t kernelSum = 0;
  std::int64_t userSum = 0;
  std::int64_t elapsed = 0;
  for (const ProcessReading& r : readings) {
    std::int64_t share = 0;
    std::size_t at = 0;
    while (at < entries_.size() && entries_[at].pid != r.pid) ++at;
    if (at == entries_.size()) {
      entries_.push_back({r.kernel, r.user, r.pid, r.timesRead});
      names_.push_back(r.name);
    } else if (current != previous_) {
      elapsed = current - previous_;
      const Entry& before = entries_[at];
      // A negative interval crossed midnight; times that went back, or another
      // name, belong to a new process that took over the identifier. Times that
      // could not be read stand as 0: measured against them, a process would
      // show all it ever used as used in one interval.
      const bool measurable = elapsed > 0 && names_[at] == r.name && before.timesRead && r.timesRead &&
                              r.kernel >= before.kernel && r.user >= before.user;
      if (measurable) {
        const std::int64_t dKernel = static_cast<std::int64_t>(r.kernel - before.kernel) * 100;
        const std::int64_t dUser = static_cast<std::int64_t>(r.user - before.user) * 100;
        share = (dKernel + dUser) / elapsed;
        total += dKernel + dUser;
        kernelSum += dKernel;
        userSum += dUser;
      }
    }
    if (elapsed == 0) elapsed = 1;
    entries_[at] = {r.kernel, r.user, r.pid, r.timesRead};
    names_[at] = r.name;
    out.shares.push_back(share);
  }

  if (current != previous_) {
    const std::int64_t idle = 100 - total / (current - previous_);
    out.idle = idle < 0 ? 0 : idle;
  }
  previous_ = current;
  if (elapsed == 0) elapsed = 1;  // an empty snapshot
  out.sample = {static_cast<std::int32_t>(kernelSum / elapsed), static_cast<std::int32_t>(userSum / elapsed)};
  history_.push(out.sample);
  return out;
}

namespace {
std::uint64_t littleEndian64(const unsigned char* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
double asDouble(std::uint64_t v) {
  return static_cast<double>(v >> 32) * 4294967296.0 + static_cast<double>(v & 0xFFFFFFFFu);
}
}  // namespace

SystemReadings systemReadings(const unsigned char (&basic)[kBasicInformationSize],
                              const unsigned char (&timeOfDay)[kTimeOfDayInformationSize],
                              const unsigned char (&performance)[kPerformanceInformationSize]) {
  SystemReadings r;
  r.processors = basic[40];
  r.systemTime = littleEndian64(timeOfDay + 8);
  r.idleTime = littleEndian64(performance);
  return r;
}

std::optional<int> SystemCpuUsage::update(const SystemReadings& now) {
  std::optional<int> usage;
  if (previousIdle_ != 0 && now.processors != 0) {
    const double system = asDouble(now.systemTime) - asDouble(previousSystem_);
    // Two readings within one clock step would divide by zero.
    if (system > 0) {
      const double idleShare = (asDouble(now.idleTime) - asDouble(previousIdle_)) / system;
      const double value = 100 - idleShare * 100 / now.processors + 0.5;
      // Halves round away from zero; a wild reading must not overflow the int.
      if (std::isfinite(value) && std::fabs(value) < 1e9) usage = static_cast<int>(std::round(value));
    }
  }
  previousIdle_ = now.idleTime;
  previousSystem_ = now.systemTime;
  return usage;
}

std::string zeroPadded2(std::int64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value));
  if (value < 0 && value > -10) std::snprintf(text, sizeof text, "-0%lld", static_cast<long long>(-value));
  return text;
}

std::string cpuTimeText(std::uint64_t time) {
  const std::uint64_t ms = time / 10000;
  char text[48];
  std::snprintf(text, sizeof text, "%02llu:%02u:%02u:%03u", static_cast<unsigned long long>(ms / 3600000),
                static_cast<unsigned>(ms / 60000 % 60), static_cast<unsigned>(ms / 1000 % 60),
                static_cast<unsigned>(ms % 1000));
  return text;
}

std::string grouped(std::uint64_t value, std::string_view separator) {
  if (value == 0) return {};
  const std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

std::string kilobytesText(std::uint64_t kilobytes, std::string_view separator) {
  return grouped(kilobytes, separator) + " K";
}

std::string kilobytesOfBytesText(std::uint64_t bytes, std::string_view separator) {
  return grouped(bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0), separator) + " KB";
}

std::uint64_t usedOf(std::uint64_t total, std::uint64_t available) { return available > total ? 0 : total - available; }

}  // namespace qb::runwatch
