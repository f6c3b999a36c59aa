#include "smart_eval.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb::smart {
namespace {

struct Attr {
  int id;
  bool preFailure;
  int current, worst, threshold;
  std::int64_t raw;
};

// Evaluates the attributes as one reading, in slot order.
TSmartResult evaluated(const std::vector<Attr>& attrs) {
  TSmartResult r;
  Nominal nominal;
  for (const Attr& a : attrs) {
    const int i = r.count;
    r.ids[i] = a.id;
    r.preFailure[i] = a.preFailure;
    r.current[i] = a.current;
    r.worst[i] = a.worst;
    r.threshold[i] = a.threshold;
    r.raw[i] = a.raw;
    evaluateAttribute(r, i, nominal);
    ++r.count;
  }
  return r;
}

TEST(SmartEvaluation, VerdictsOfOneAttribute) {
  const struct {
    const char* name;
    Attr a;
    const char* status;
    int failing;
  } cases[] = {
      {"reallocated above 500", {5, true, 100, 100, 36, 501}, kWarning, 0},
      {"reallocated at 500", {5, true, 100, 100, 36, 500}, kOk, 0},
      {"below the midpoint 68", {1, true, 67, 67, 36, 0}, kWarning, 0},
      {"at the midpoint 68", {1, true, 68, 68, 36, 0}, kOk, 0},
      {"failing now", {1, true, 30, 30, 36, 0}, kFailingNow, 1},
      {"failed in the past", {1, true, 100, 30, 36, 0}, kFailedInPast, 1},
      {"at the threshold", {1, true, 36, 36, 36, 0}, kWarning, 0},
      {"threshold 0", {1, true, 1, 1, 0, 0}, kNotEvaluated, 0},
      {"not pre-failure", {1, false, 1, 1, 36, 0}, kNotEvaluated, 0},
      {"raw above 500 on another attribute", {7, true, 100, 100, 36, 5000}, kOk, 0},
      // The midpoint truncates towards zero: 100 + (100 - 100) / 2 = 100 with threshold 100.
      {"threshold at the nominal", {1, true, 99, 100, 100, 0}, kFailingNow, 1},
      {"threshold above the nominal", {1, true, 120, 120, 110, 0}, kOk, 0},
  };
  for (const auto& c : cases) {
    const TSmartResult r = evaluated({c.a});
    EXPECT_EQ(r.status[0], c.status) << c.name;
    EXPECT_EQ(r.failingCount, c.failing) << c.name;
  }
}

TEST(SmartEvaluation, NominalRisesForTheRestOfTheReading) {
  // Attribute 3 at 253 moves the nominal value to 253 for what follows it.
  const TSmartResult r = evaluated({{1, true, 140, 140, 51, 0},
                                    {3, true, 253, 253, 21, 0},
                                    {9, false, 99, 99, 0, 0},
                                    {7, true, 140, 140, 51, 0},
                                    {8, true, 152, 152, 51, 0}});
  EXPECT_EQ(r.status[0], kOk) << "before attribute 3 the midpoint is 75";
  EXPECT_EQ(r.status[1], kOk);
  EXPECT_EQ(r.status[2], kNotEvaluated);
  EXPECT_EQ(r.status[3], kWarning) << "midpoint 152";
  EXPECT_EQ(r.status[4], kOk);

  const struct {
    Attr first;
    const char* later;
  } triggers[] = {{{4, false, 231, 231, 0, 0}, kWarning},
                  {{4, false, 230, 230, 0, 0}, kOk},
                  {{3, true, 240, 240, 0, 0}, kWarning},
                  {{5, true, 253, 253, 10, 0}, kOk}};
  for (const auto& t : triggers) {
    const TSmartResult after = evaluated({t.first, {7, true, 140, 140, 51, 0}});
    EXPECT_EQ(after.status[1], t.later) << "attribute " << t.first.id << " at " << t.first.current;
  }
}

TEST(SmartEvaluation, TemperatureAndFailingCountOverTheReading) {
  const TSmartResult r = evaluated({{194, false, 41, 50, 0, 0x0000001E0029},
                                    {1, true, 30, 30, 36, 0},
                                    {7, true, 100, 20, 36, 0},
                                    {194, false, 41, 50, 0, 0x1FF}});
  EXPECT_EQ(r.temperature, 0xFF) << "the later attribute 194, its low byte";
  EXPECT_EQ(r.failingCount, 2);
  EXPECT_EQ(evaluated({{9, false, 1, 1, 0, 0}}).temperature, 0);
}

TEST(SmartEvaluation, Names) {
  const std::pair<int, const char*> cases[] = {
      {1, "Raw Read Error Rate"},   {5, "Reallocated Sector Count"}, {12, "Power Cycle Count"},
      {13, "Nieznany"},             {191, "Nieznany"},               {192, "Emergency Retract Cycle"},
      {194, "Temperature"},         {206, "Unknown Attribute"},      {209, "Offline Seek Perf"},
      {210, "Nieznany"},            {255, "Nieznany"},               {0, "Nieznany"},
  };
  for (const auto& [id, name] : cases) EXPECT_EQ(attributeName(id), name) << id;
}

TEST(SmartEvaluation, RawValueTextsAndIdentifiers) {
  const std::string sep = "\xC2\xA0";  // the Polish separator, U+00A0
  const struct {
    std::int64_t raw;
    std::string text;
  } cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1" + sep + "000"},
      {1234567, "1" + sep + "234" + sep + "567"},
      {-123, "-" + sep + "123"},
      {-1234, "-1" + sep + "234"},
      {0xFFFFFFFF, "-1"},
      {0x80000000, "-2" + sep + "147" + sep + "483" + sep + "648"},
      {0x0000000100000005, "5"},
      {0x7FFFFFFF, "2" + sep + "147" + sep + "483" + sep + "647"},
  };
  for (const auto& c : cases) EXPECT_EQ(groupedRaw(c.raw, sep), c.text) << c.raw;
  EXPECT_EQ(groupedRaw(1234567, ","), "1,234,567");

  const std::pair<int, const char*> ids[] = {{10, "0A"}, {1, "01"}, {194, "C2"}, {255, "FF"}};
  for (const auto& [id, hex] : ids) EXPECT_EQ(hexId(id), hex) << id;
}

}  // namespace
}  // namespace qb::smart
