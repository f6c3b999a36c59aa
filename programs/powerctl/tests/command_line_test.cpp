#include "command_line.h"

#include <gtest/gtest.h>

#include <ostream>

#include "expected_usage.h"

namespace qb::powerctl {

void PrintTo(const Action& a, std::ostream* os) {
  switch (a.kind) {
    case ActionKind::ExitRequest: *os << "exit(" << a.flags << ")"; break;
    case ActionKind::PowerStateChange: *os << (a.suspend ? "suspend" : "hibernate"); break;
    case ActionKind::LockWorkstation: *os << "lock"; break;
    case ActionKind::DisconnectSession: *os << "disconnect"; break;
    case ActionKind::PrintUsage: *os << "usage"; break;
  }
}

namespace {

Action exitWith(unsigned flags) { return {ActionKind::ExitRequest, flags, false}; }
const Action hibernate{ActionKind::PowerStateChange, 0, false};
const Action suspend{ActionKind::PowerStateChange, 0, true};
const Action lock{ActionKind::LockWorkstation};
const Action disconnect{ActionKind::DisconnectSession};
const Action usage{ActionKind::PrintUsage};

struct PlanCase {
  const char* why;
  std::vector<std::string> arguments;
  std::vector<Action> expected;
};

const std::string kLong(100000, 'x');

const PlanCase kPlanCases[] = {
    {"no arguments print the usage", {}, {usage}},
    {"help", {"/?"}, {usage}},
    {"help inside a longer argument", {"x/?x"}, {usage}},
    {"log off", {"/L"}, {exitWith(0)}},
    {"lower case works", {"/l"}, {exitWith(0)}},
    {"log off needs the whole argument", {"/LOGOFF"}, {}},
    {"restart", {"/R"}, {exitWith(2)}},
    {"restart is found inside a word", {"/RESTART"}, {exitWith(2)}},
    {"restart in lower case inside text", {"now/restart"}, {exitWith(2)}},
    {"shut down", {"/S"}, {exitWith(1)}},
    {"shut down needs the whole argument", {"/SHUTDOWN"}, {}},
    {"a trailing blank spoils an equality", {"/S "}, {}},
    {"power off", {"/P"}, {exitWith(8)}},
    {"restart registered applications", {"/g"}, {exitWith(64)}},
    {"hibernate", {"/H"}, {hibernate}},
    {"suspend", {"/w"}, {suspend}},
    {"two options in one argument", {"/R/P"}, {exitWith(2), exitWith(8)}},
    {"order follows the tests, not the text", {"/W/H/G/P/R"},
     {exitWith(2), exitWith(8), exitWith(64), hibernate, suspend}},
    {"force is a request of its own", {"/S", "/F"}, {exitWith(1), exitWith(4)}},
    {"force if hung", {"/S", "/ff"}, {exitWith(1), exitWith(16)}},
    {"force needs the whole second argument", {"/S", "/FORCE"}, {exitWith(1)}},
    {"force after two requests", {"/R/P", "/F"}, {exitWith(2), exitWith(8), exitWith(4)}},
    {"force as the first argument does nothing", {"/F"}, {}},
    {"force if hung as the first argument does nothing", {"/FF"}, {}},
    {"an unknown first argument still lets force run", {"xyz", "/F"}, {exitWith(4)}},
    {"lock", {"/LOCK"}, {lock}},
    {"lock in lower case", {"/lock"}, {lock}},
    {"lock comes after the force request", {"/LOCK", "/F"}, {exitWith(4), lock}},
    {"switch user", {"/SwitchUser"}, {disconnect}},
    {"switch user after force if hung", {"/SWITCHUSER", "/FF"}, {exitWith(16), disconnect}},
    {"help after the other actions", {"/R/?", "/F"}, {exitWith(2), exitWith(4), usage}},
    {"help in the second argument is not looked at", {"x", "/?"}, {}},
    {"a third argument is ignored", {"/L", "/F", "/R"}, {exitWith(0), exitWith(4)}},
    {"an empty first argument is an argument", {""}, {}},
    {"an empty first argument with force", {"", "/F"}, {exitWith(4)}},
    {"an empty second argument", {"/S", ""}, {exitWith(1)}},
    {"non-ASCII letters are not upper-cased", {"/\xC5\x82OCK"}, {}},  // "/łOCK"
    {"a dotless i does not become I", {"/SW\xC4\xB1TCHUSER"}, {}},
    {"non-ASCII text around an option", {"\xC5\xBC\xC3\xB3\xC5\x82w/r"}, {exitWith(2)}},
    {"fullwidth look-alikes are not options", {"\xEF\xBC\x8F\xEF\xBC\xB2"}, {}},  // "／Ｒ"
    {"a very long argument", {kLong}, {}},
    {"an option at the end of a very long argument", {kLong + "/W"}, {suspend}},
    {"a very long second argument", {"/S", kLong + "/F"}, {exitWith(1)}},
};

TEST(PlannedActions, FollowTheTwelveTestsInOrder) {
  for (const PlanCase& c : kPlanCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(plannedActions(c.arguments), c.expected);
  }
}

TEST(UsageText, MatchesTheExpectedBytes) {
  EXPECT_EQ(usageText(), kExpectedUsage);
}

TEST(UsageText, EveryOptionLineStartsItsDescriptionAtColumn17) {
  const auto& lines = usageLines();
  ASSERT_EQ(lines.size(), 17u);
  for (std::size_t i = 3; i <= 14; ++i) {
    const std::string_view line = lines[i];
    SCOPED_TRACE(std::string(line));
    EXPECT_EQ(line.substr(0, 3), "  /");
    ASSERT_GT(line.size(), 17u);
    EXPECT_EQ(line[15], ' ');
    EXPECT_NE(line[16], ' ');
  }
}

}  // namespace
}  // namespace qb::powerctl
