#include "qb/chipscan/clock_measure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qb::chipscan {
namespace {

// A made-up machine: the performance counter advances by `step` counts on each
// reading, and the time-stamp counter runs at the rate given for the current
// pass (hundredths of a megahertz). A pass begins where its priority is read.
class ReplayedClock : public ClockSource {
 public:
  std::optional<std::uint64_t> frequency = 10'000'000;
  std::uint64_t counter = 0;
  std::uint64_t step = 10;
  std::uint64_t stamp = 0;  // full time-stamp count; only its low 32 bits are given out
  std::vector<std::uint64_t> centiMhzPerPass;
  int priority = 0;
  bool priorityReadable = true;
  std::vector<std::string> events;

  std::optional<std::uint64_t> counterFrequency() override { return frequency; }
  std::uint64_t readCounter() override {
    counter += step;
    events.push_back("counter");
    return counter;
  }
  std::uint32_t readTimeStamp() override {
    const std::uint64_t rate = centiMhzPerPass.at(std::min(passIndex_, centiMhzPerPass.size() - 1));
    const std::uint64_t ticks = rate * (counter - passStartCounter_) * 10000 / *frequency;
    events.push_back("stamp");
    return static_cast<std::uint32_t>(passStartStamp_ + ticks);
  }
  int threadPriority() override {
    if (started_) {
      // Carry the clock over from the pass before.
      const std::uint64_t rate = centiMhzPerPass.at(std::min(passIndex_, centiMhzPerPass.size() - 1));
      passStartStamp_ += rate * (counter - passStartCounter_) * 10000 / *frequency;
      ++passIndex_;
    }
    started_ = true;
    passStartCounter_ = counter;
    events.push_back("get priority");
    return priorityReadable ? priority : kPriorityErrorReturn;
  }
  void setThreadPriority(int p) override {
    priority = p;
    events.push_back("set priority " + std::to_string(p));
  }

  void startStampAt(std::uint64_t s) { passStartStamp_ = s; }

 private:
  bool started_ = false;
  std::size_t passIndex_ = 0;
  std::uint64_t passStartCounter_ = 0;
  std::uint64_t passStartStamp_ = 0;
};

std::vector<std::uint64_t> centi(std::initializer_list<std::uint64_t> mhz) {
  std::vector<std::uint64_t> out;
  for (auto m : mhz) out.push_back(m * 100);
  return out;
}

struct StopCase {
  const char* name;
  std::vector<std::uint64_t> centiMhz;
  int passes;
};

TEST(ClockMeasure, StopsWhenThreeEstimatesAgreeAndAfterTwentyAtMost) {
  const StopCase cases[] = {
      {"three equal estimates", centi({2394, 2394, 2394, 2000}), 3},
      {"within one of their mean", centi({2393, 2394, 2395, 2000}), 3},
      // 2392/2394/2396 do not agree; then 2394 three times does.
      {"two off the mean", centi({2392, 2394, 2396, 2394, 2394, 2394, 2000}), 6},
      {"wandering", centi({2390, 2400, 2410, 2390, 2400, 2410, 2390, 2400, 2410, 2390, 2400, 2410, 2390,
                           2400, 2410, 2390, 2400, 2410, 2390, 2400, 2410, 2390}),
       20},
  };
  for (const auto& c : cases) {
    ReplayedClock clock;
    clock.centiMhzPerPass = c.centiMhz;
    EXPECT_EQ(measureClock(clock).passes, c.passes) << c.name;
  }
}

TEST(ClockMeasure, StopRuleBoundary) {
  EXPECT_TRUE(estimatesAgree(2395, 2394, 2393));
  EXPECT_FALSE(estimatesAgree(2396, 2394, 2392));
  EXPECT_TRUE(estimatesAgree(2394, 2394, 2394));
  EXPECT_FALSE(estimatesAgree(0x7FFFFFFF, 0x7FFFFFFF, -0x7FFFFFFF));  // no overflow
}

TEST(ClockMeasure, ResultIsTheMeanOverAllPassesRoundedHalfToEven) {
  const struct {
    std::uint64_t centiMhz;
    const char* text;
  } cases[] = {{239462, "2395 MHz"}, {239450, "2394 MHz"}, {239550, "2396 MHz"}, {239449, "2394 MHz"}};
  for (const auto& c : cases) {
    ReplayedClock clock;
    clock.centiMhzPerPass = {c.centiMhz};
    const ClockMeasurement m = measureClock(clock);
    EXPECT_EQ(m.passes, 3) << c.text;
    EXPECT_EQ(clockText(m), c.text);
  }
}

TEST(ClockMeasure, CountersWrappingPastThirtyTwoBitsStillMeasure) {
  ReplayedClock clock;
  clock.counter = 0x1FFFFFF00;  // the low 32 bits wrap inside the first pass
  clock.startStampAt(0xFFFFFFFFull - 100000);
  clock.centiMhzPerPass = {259600};
  EXPECT_EQ(clockText(measureClock(clock)), "2596 MHz");
}

TEST(ClockMeasure, SlowCounterAndLongHoldUpAreMeasuredCorrectly) {
  // A 3.579545 MHz counter: 1000 counts are 279.37 us, taken as 279 us, so
  // 838098 ticks of a 3000 MHz clock read as 3004 MHz.
  ReplayedClock clock;
  clock.frequency = 3'579'545;
  clock.step = 1;
  clock.centiMhzPerPass = {300000};
  EXPECT_EQ(clockText(measureClock(clock)), "3004 MHz");

  // One reading lands 50000 counts later (the thread was held up): the window
  // length must not wrap in 32 bits.
  ReplayedClock held;
  held.step = 50000;
  held.centiMhzPerPass = {200000};
  EXPECT_EQ(clockText(measureClock(held)), "2000 MHz");
}

TEST(ClockMeasure, PriorityRaisedForEachWindowAndRestoredBeforeThePassEnds) {
  ReplayedClock clock;
  clock.priority = 2;
  clock.centiMhzPerPass = {100000};
  measureClock(clock);
  // The time-stamp counter is read only while the priority is raised, and
  // every raise is undone before the next pass reads the priority again.
  ASSERT_EQ(clock.events.front(), "counter");
  // With 10 counts a reading, each window holds 5 settling readings (50 counts)
  // and 100 measuring ones (1000 counts).
  int raises = 0, restores = 0, readingsWhileRaised = 0;
  bool raised = false;
  for (const auto& e : clock.events) {
    if (e == "set priority 15") {
      EXPECT_FALSE(raised);
      raised = true;
      ++raises;
      readingsWhileRaised = 0;
    } else if (e == "set priority 2") {
      EXPECT_TRUE(raised);
      EXPECT_EQ(readingsWhileRaised, 105);
      raised = false;
      ++restores;
    } else if (e == "counter") {
      ++readingsWhileRaised;
    } else if (e == "stamp") {
      EXPECT_TRUE(raised) << "time-stamp read outside the raised window";
    } else if (e == "get priority") {
      EXPECT_FALSE(raised);
    }
  }
  EXPECT_FALSE(raised);
  EXPECT_EQ(raises, 3);
  EXPECT_EQ(restores, 3);
  EXPECT_EQ(clock.priority, 2);
}

TEST(ClockMeasure, UnreadablePriorityIsLeftAlone) {
  ReplayedClock clock;
  clock.priorityReadable = false;
  clock.centiMhzPerPass = {100000};
  EXPECT_EQ(clockText(measureClock(clock)), "1000 MHz");
  for (const auto& e : clock.events) EXPECT_EQ(e.rfind("set", 0), std::string::npos) << e;
}

TEST(ClockMeasure, NothingMeasurableGivesZeroMegahertz) {
  ReplayedClock none;
  none.frequency = std::nullopt;
  ClockMeasurement m = measureClock(none);
  EXPECT_EQ(m.passes, 0);
  EXPECT_TRUE(none.events.empty());
  EXPECT_EQ(clockText(m), "0 MHz");

  // Only the low 32 bits of the frequency count: 2^32 leaves nothing to divide by.
  ReplayedClock zeroLow;
  zeroLow.frequency = 0x100000000ull;
  EXPECT_EQ(clockText(measureClock(zeroLow)), "0 MHz");

  // A 4 GHz counter: 1000 counts are 0.25 us, so every window rounds to zero.
  ReplayedClock fast;
  fast.frequency = 4'000'000'000ull;
  fast.centiMhzPerPass = {200000};
  m = measureClock(fast);
  EXPECT_EQ(m.passes, 3);
  EXPECT_EQ(clockText(m), "0 MHz");
}

}  // namespace
}  // namespace qb::chipscan
