#include "qb/text.h"

#include <algorithm>
#include <cstring>

namespace qb {

void writeCountedText(unsigned char* buffer, std::string_view text) {
  const std::size_t n = std::min<std::size_t>(text.size(), kCountedTextBuffer - 1);
  buffer[0] = static_cast<unsigned char>(n);
  std::memcpy(buffer + 1, text.data(), n);
}

std::string readCountedText(const unsigned char* buffer) {
  return std::string(reinterpret_cast<const char*>(buffer + 1), buffer[0]);
}

bool sentinelTextPresent(std::string_view text) {
  static constexpr unsigned char kSentinel[] = {'-', '1'};
  const std::size_t n = std::min<std::size_t>(text.size(), sizeof kSentinel);
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c != kSentinel[i]) return c > kSentinel[i];
  }
  // Equal over the shorter length: the longer text sorts after.
  return text.size() > sizeof kSentinel;
}

bool storedTextPresent(std::string_view text) { return !text.empty() && text != "-1"; }

namespace {

struct LeadingNumber {
  bool found = false;
  bool negative = false;
  std::string whole;     // digits without leading zeros
  std::string fraction;  // digits without trailing zeros
};

bool digitAt(std::string_view t, std::size_t i) { return i < t.size() && t[i] >= '0' && t[i] <= '9'; }

// The length of the digit-group separator at i, 0 when there is none.
std::size_t groupSeparatorAt(std::string_view t, std::size_t i) {
  static constexpr std::string_view kSeparators[] = {" ", "\xC2\xA0", "\xE2\x80\xAF"};
  for (std::string_view s : kSeparators)
    if (t.substr(std::min(i, t.size()), s.size()) == s) return s.size();
  return 0;
}

// Kept as digit strings: a column may hold numbers too long for any integer type.
LeadingNumber leadingNumber(std::string_view t) {
  LeadingNumber n;
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  if (i < t.size() && t[i] == '-' && digitAt(t, i + 1)) {
    n.negative = true;
    ++i;
  }
  if (!digitAt(t, i)) return n;
  n.found = true;
  for (;;) {
    while (digitAt(t, i)) n.whole += t[i++];
    const std::size_t separator = groupSeparatorAt(t, i);
    if (separator == 0 || !digitAt(t, i + separator)) break;
    i += separator;
  }
  if (i < t.size() && (t[i] == '.' || t[i] == ',') && digitAt(t, i + 1)) {
    ++i;
    while (digitAt(t, i)) n.fraction += t[i++];
  }
  n.whole.erase(0, std::min(n.whole.find_first_not_of('0'), n.whole.size()));
  n.fraction.erase(n.fraction.find_last_not_of('0') + 1);
  if (n.whole.empty() && n.fraction.empty()) n.negative = false;  // -0 is 0
  return n;
}

int signOf(int v) { return (v > 0) - (v < 0); }

int compareMagnitudes(const LeadingNumber& a, const LeadingNumber& b) {
  if (a.whole.size() != b.whole.size()) return a.whole.size() < b.whole.size() ? -1 : 1;
  if (const int c = a.whole.compare(b.whole)) return signOf(c);
  return signOf(a.fraction.compare(b.fraction));
}

}  // namespace

int compareNumbers(std::string_view a, std::string_view b) {
  const LeadingNumber x = leadingNumber(a);
  const LeadingNumber y = leadingNumber(b);
  if (x.found != y.found) return x.found ? 1 : -1;
  if (x.found) {
    if (x.negative != y.negative) return x.negative ? -1 : 1;
    if (const int c = compareMagnitudes(x, y)) return x.negative ? -c : c;
  }
  return signOf(a.compare(b));
}

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace qb
