#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "usage.h"

namespace {

using qb::runwatch::CpuHistory;
using qb::runwatch::ProcessReading;
using qb::runwatch::ProcessSampler;
using qb::runwatch::SystemCpuUsage;
using qb::runwatch::SystemReadings;
using qb::runwatch::TimeOfDay;

constexpr std::uint64_t kSecond = 10'000'000;  // in 100-ns units
const char kNbsp[] = "\xC2\xA0";                // the Polish thousands separator, as UTF-8

TEST(UsageTexts, FormatsAsTheListsAndLabelsShowThem) {
  struct Case {
    std::string got, expected;
  };
  const std::uint64_t hms = ((1 * 60 + 2) * 60 + 3) * 1000 + 4;
  const Case cases[] = {
      {qb::runwatch::cpuTimeText(hms * 10000), "01:02:03:004"},
      {qb::runwatch::cpuTimeText(100ull * 3600 * kSecond), "100:00:00:000"},
      {qb::runwatch::cpuTimeText(9999), "00:00:00:000"},  // below a millisecond
      {qb::runwatch::cpuTimeText(59 * kSecond + 9990000), "00:00:59:999"},
      {qb::runwatch::zeroPadded2(0), "00"},
      {qb::runwatch::zeroPadded2(7), "07"},
      {qb::runwatch::zeroPadded2(150), "150"},
      {qb::runwatch::kilobytesText(0, ","), " K"},
      {qb::runwatch::kilobytesText(999, ","), "999 K"},
      {qb::runwatch::kilobytesText(1000, ","), "1,000 K"},
      {qb::runwatch::kilobytesText(1234567, ","), "1,234,567 K"},
      {qb::runwatch::kilobytesText(1234567, kNbsp), "1\xC2\xA0" "234\xC2\xA0" "567 K"},
      {qb::runwatch::kilobytesOfBytesText(0, ","), " KB"},
      {qb::runwatch::kilobytesOfBytesText(511, ","), " KB"},
      {qb::runwatch::kilobytesOfBytesText(512, ","), "1 KB"},  // rounded, halves up
      {qb::runwatch::kilobytesOfBytesText(2048ull * 1024, ","), "2,048 KB"},
      // Past 4 GB: the figures are 64-bit all the way.
      {qb::runwatch::kilobytesOfBytesText(6ull << 30, ","), "6,291,456 KB"},
      {std::to_string(qb::runwatch::usedOf(10, 4)), "6"},
      {std::to_string(qb::runwatch::usedOf(4, 10)), "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}

// ---- system CPU usage from the native query's counters

SystemReadings readings(unsigned processors, std::uint64_t idle, std::uint64_t system) {
  return {processors, idle, system};
}

TEST(SystemCpuUsageTest, RoundsAsTheExamplesSay) {
  struct Case {
    const char* name;
    unsigned processors;
    std::uint64_t idleGrowth, systemGrowth;
    int expected;
  };
  const Case cases[] = {
      {"two processors, idle share 1", 2, kSecond, kSecond, 51},
      {"completely idle", 2, 2 * kSecond, kSecond, 1},
      {"fully loaded", 2, 0, kSecond, 101},
      {"usage of 10.2 %", 1, 8'980'000, kSecond, 11},
      {"counters past 32 bits", 1, 1ull << 33, 1ull << 34, 51},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SystemCpuUsage usage;
    const std::uint64_t idle0 = 5'000'000'000ull, system0 = 130'000'000'000'000'000ull;
    EXPECT_EQ(usage.update(readings(c.processors, idle0, system0)), std::nullopt) << "no value before two readings";
    EXPECT_EQ(usage.update(readings(c.processors, idle0 + c.idleGrowth, system0 + c.systemGrowth)), c.expected);
  }
}

TEST(SystemCpuUsageTest, NoValueWhenTheReadingsCannotBeCompared) {
  SystemCpuUsage usage;
  usage.update(readings(1, 100, 1000));
  EXPECT_EQ(usage.update(readings(1, 150, 1000)), std::nullopt) << "the clock did not move: no division by zero";
  EXPECT_EQ(usage.update(readings(0, 200, 2000)), std::nullopt) << "no processor reported";
  EXPECT_EQ(usage.update(readings(1, 300, 3000)), 91) << "compared with the reading before";
}

TEST(SystemCpuUsageTest, ReadsTheCountersAtTheirOffsets) {
  unsigned char basic[qb::runwatch::kBasicInformationSize] = {};
  unsigned char timeOfDay[qb::runwatch::kTimeOfDayInformationSize] = {};
  unsigned char performance[qb::runwatch::kPerformanceInformationSize] = {};
  basic[40] = 4;
  const std::uint64_t system = 0x0123456789ABCDEFull, idle = 0x00000002FFFFFFFFull;
  std::memset(timeOfDay, 0xEE, 8);  // the boot time, before the current time
  for (int i = 0; i < 8; ++i) {
    timeOfDay[8 + i] = static_cast<unsigned char>(system >> (8 * i));
    performance[i] = static_cast<unsigned char>(idle >> (8 * i));
  }
  const SystemReadings r = qb::runwatch::systemReadings(basic, timeOfDay, performance);
  EXPECT_EQ(r.processors, 4u);
  EXPECT_EQ(r.systemTime, system);
  EXPECT_EQ(r.idleTime, idle);
}

// ---- per-process shares, the idle figure and the history

TimeOfDay at(unsigned h, unsigned m, unsigned s, unsigned ms = 0) { return {h, m, s, ms}; }

TEST(ProcessSamplerTest, MeasuresEachProcessOverTheInterval) {
  ProcessSampler sampler;
  auto first = sampler.refresh({{0, "[System Process]", 0, 0}, {8, "busy.exe", 4 * kSecond, 2 * kSecond},
                                {12, "calm.exe", kSecond, kSecond}},
                               at(10, 0, 0));
  EXPECT_EQ(first.shares, (std::vector<std::int64_t>{0, 0, 0})) << "every process is new";
  EXPECT_EQ(first.idle, 100) << "measured against midnight with nothing counted";
  EXPECT_EQ(sampler.knownProcesses(), 3u);

  // Two seconds later: busy used 0.6 s kernel and 0.2 s user time; calm nothing; a new one appeared.
  auto second = sampler.refresh({{0, "[System Process]", 0, 0},
                                 {8, "busy.exe", 4 * kSecond + 6'000'000, 2 * kSecond + 2'000'000},
                                 {12, "calm.exe", kSecond, kSecond},
                                 {20, "new.exe", 50 * kSecond, 0}},
                                at(10, 0, 2));
  EXPECT_EQ(second.shares, (std::vector<std::int64_t>{0, 40, 0, 0}));
  EXPECT_EQ(second.idle, 60);
  EXPECT_EQ(second.sample.kernel, 30);
  EXPECT_EQ(second.sample.user, 10);
  EXPECT_EQ(sampler.history()[0].kernel, 30);
  EXPECT_EQ(sampler.history()[1].kernel, 0) << "the first refresh's sample, one older";
}

TEST(ProcessSamplerTest, SharesThatCannotBeMeasuredReadZero) {
  struct Case {
    const char* name;
    ProcessReading before, after;
    TimeOfDay from, to;
    std::int64_t share, idle;
  };
  const Case cases[] = {
      {"measured", {7, "a.exe", kSecond, 0}, {7, "a.exe", kSecond + 5'000'000, 0}, at(9, 0, 0), at(9, 0, 1), 50, 50},
      {"several processors: above 100, idle floored",
       {7, "a.exe", 0, 0}, {7, "a.exe", 15'000'000, 0}, at(9, 0, 0), at(9, 0, 1), 150, 0},
      {"identifier taken over, times went back",
       {7, "old.exe", 90 * kSecond, 0}, {7, "old.exe", kSecond, 0}, at(9, 0, 0), at(9, 0, 1), 0, 100},
      {"identifier taken over by another program",
       {7, "old.exe", 0, 0}, {7, "new.exe", 90 * kSecond, 0}, at(9, 0, 0), at(9, 0, 1), 0, 100},
      {"interval across midnight",
       {7, "a.exe", 0, 0}, {7, "a.exe", 5'000'000, 0}, at(23, 59, 59, 500), at(0, 0, 0, 500), 0, 100},
      {"same millisecond", {7, "a.exe", 0, 0}, {7, "a.exe", 5'000'000, 0}, at(9, 0, 0), at(9, 0, 0), 0, 0},
      {"times read again after a tick they could not be",
       {7, "a.exe", 0, 0, false}, {7, "a.exe", 90 * kSecond, 0}, at(9, 0, 0), at(9, 0, 1), 0, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessSampler sampler;
    sampler.refresh({c.before}, c.from);
    const auto figures = sampler.refresh({c.after}, c.to);
    EXPECT_EQ(figures.shares, std::vector<std::int64_t>{c.share});
    EXPECT_EQ(figures.idle, c.idle);
    EXPECT_GE(figures.sample.kernel, 0);
    // The times read now are what the next refresh measures against.
    ProcessReading later = c.after;
    later.kernel += 1'000'000;
    const auto next = sampler.refresh({later}, {c.to.hour, c.to.minute, c.to.second + 1, c.to.millisecond});
    EXPECT_EQ(next.shares, std::vector<std::int64_t>{10});
  }
}

TEST(ProcessSamplerTest, FiveHundredProcessesAreEachMeasured) {
  ProcessSampler sampler;
  std::vector<ProcessReading> list;
  for (std::uint32_t i = 0; i < 500; ++i) list.push_back({1000 + 4 * i, "p" + std::to_string(i) + ".exe", 0, 0});
  sampler.refresh(list, at(12, 0, 0));
  for (std::uint32_t i = 0; i < 500; ++i) list[i].user = i % 3 == 0 ? 100'000 : 0;  // 1 % of a second
  const auto figures = sampler.refresh(list, at(12, 0, 1));
  ASSERT_EQ(figures.shares.size(), 500u);
  for (std::uint32_t i = 0; i < 500; ++i) EXPECT_EQ(figures.shares[i], i % 3 == 0 ? 1 : 0) << i;
  EXPECT_EQ(figures.idle, 0) << "167 % used in all";
  EXPECT_EQ(figures.sample.user, 167);
  EXPECT_EQ(sampler.knownProcesses(), 500u);
}

TEST(CpuHistoryTest, KeepsTheNewest1024NewestFirst) {
  CpuHistory history;
  EXPECT_EQ(history[1023].kernel, 0);
  for (int i = 1; i <= 1030; ++i) history.push({i, -i});
  EXPECT_EQ(history[0].kernel, 1030);
  EXPECT_EQ(history[0].user, -1030);
  EXPECT_EQ(history[1023].kernel, 7);
}

}  // namespace
