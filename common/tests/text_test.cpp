#include "qb/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CountedText, WritesLengthAndCharactersOnlyAndClipsAt255) {
  unsigned char buf[qb::kCountedTextBuffer];
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  qb::writeCountedText(buf, "abc");
  EXPECT_EQ(buf[0], 3);
  EXPECT_EQ(qb::readCountedText(buf), "abc");
  EXPECT_EQ(buf[4], 0xEE) << "no terminator may be written";

  qb::writeCountedText(buf, std::string(300, 'x'));
  EXPECT_EQ(buf[0], 255);
  EXPECT_EQ(qb::readCountedText(buf), std::string(255, 'x'));
}

TEST(SentinelText, PresentOnlyWhenSortingAfterMinusOne) {
  struct Case { std::string text; bool present; };
  const Case cases[] = {
      {"", false},          {"-1", false},       {"-", false},  // a prefix sorts first
      {"-0", false},        {"-10", true},       {"-2", true},
      {"abc", true},        {" x", false},       {"+", false},
      {"\xE9t\xE9", true},  // high bytes compare unsigned
  };
  for (const auto& c : cases)
    EXPECT_EQ(qb::sentinelTextPresent(c.text), c.present) << '"' << c.text << '"';
}

TEST(AsciiUpper, LeavesNonAsciiBytesAlone) {
  EXPECT_EQ(qb::asciiUpper("yEs"), "YES");
  EXPECT_EQ(qb::asciiUpper("/f\xB9"), "/F\xB9");
}

}  // namespace
