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

TEST(SentinelText, StoredTextAbsentOnlyWhenEmptyOrTheSentinelItself) {
  struct Case { std::string text; bool present; };
  const Case cases[] = {
      {"", false},   {"-1", false}, {"%USERPROFILE%\\start.html", true}, {" x", true},
      {"(", true},   {"-", true},   {"-0", true},  {"-1 ", true},  {"-10", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(qb::storedTextPresent(c.text), c.present) << '"' << c.text << '"';
}

TEST(AsciiUpper, LeavesNonAsciiBytesAlone) {
  EXPECT_EQ(qb::asciiUpper("yEs"), "YES");
  EXPECT_EQ(qb::asciiUpper("/f\xB9"), "/F\xB9");
}

TEST(CompareNumbers, OrdersByTheLeadingNumberThenByBytes) {
  // Each pair is in order: first < second, so the reverse is > and each equals itself.
  struct Case {
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"9 KB", "12 KB"},
      {"99 KB", "12\xC2\xA0""345 KB"},  // thousands as the Polish locale groups them
      {"999 999", "1\xE2\x80\xAF""000\xE2\x80\xAF""000"},
      {"12 KB", "12 MB"},        // equal numbers: byte order
      {"007", "7"},              // equal numbers, leading zeros
      {"-10", "-3"},
      {"-3", "2"},
      {"-0", "0"},               // equal numbers, so byte order
      {"1,25", "1,5"},
      {"1.9", "2"},
      {"  7", "10"},
      {"", "0"},
      {"-", "-1"},
      {"n/a", "0"},
      {"n/a", "x"},              // neither a number: byte order
      {"5 apples", "12"},
      {"99999999999999999999", "123456789012345678901234567890"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " | " + c.second);
    EXPECT_LT(qb::compareNumbers(c.first, c.second), 0);
    EXPECT_GT(qb::compareNumbers(c.second, c.first), 0);
    EXPECT_EQ(qb::compareNumbers(c.first, c.first), 0);
  }
}

}  // namespace
