#pragma once
// Small text rules shared by modules; no platform headers, so they build and
// are tested natively as well.
#include <cstddef>
#include <string>
#include <string_view>

namespace qb {

// A counted text: a length byte and up to 255 characters in a 256-byte buffer
// that the caller owns. No terminator is written; bytes past the text are left alone.
constexpr std::size_t kCountedTextBuffer = 256;
void writeCountedText(unsigned char* buffer, std::string_view text);
std::string readCountedText(const unsigned char* buffer);

// Readers that cannot open their key answer "-1"; a text counts as present only
// when it sorts after "-1" comparing unsigned bytes.
bool sentinelTextPresent(std::string_view text);

// Upper-cases the ASCII letters only; every other byte stays as it is.
std::string asciiUpper(std::string_view text);

}  // namespace qb
