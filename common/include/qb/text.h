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

// The browser settings' text reads: absent only when empty or exactly "-1"
// (what the reader answers for a key it cannot open). Any other stored text
// is the user's, whatever byte it begins with ("%USERPROFILE%\...", " x").
bool storedTextPresent(std::string_view text);

// Upper-cases the ASCII letters only; every other byte stays as it is.
std::string asciiUpper(std::string_view text);

// Orders UTF-8 texts by the number each begins with, so that "9 KB" comes
// before "12 KB" and "-3" before "2". Leading spaces are skipped; digits may
// be grouped by blanks (space, U+00A0, U+202F: how locales write thousands),
// and a fraction follows '.' or ','. A text that does not begin with a number
// comes before every one that does; texts with equal numbers compare byte by
// byte. Returns less than, equal to or greater than zero, as strcmp does.
int compareNumbers(std::string_view a, std::string_view b);

}  // namespace qb
