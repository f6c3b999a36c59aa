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

std::string asciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace qb
