#pragma once
// Conversions between the texts the code keeps (UTF-8), the wide texts of the
// W calls, and the 8-bit texts of the system's ANSI code page that cross module
// boundaries.
#include <string>
#include <string_view>

namespace qb::win {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

std::wstring fromAnsi(std::string_view ansi);
std::string toAnsi(std::wstring_view wide);

// What a wide text becomes after a round trip through the ANSI code page:
// characters the code page lacks are replaced as the system does it.
std::wstring throughAnsi(std::wstring_view wide);

}  // namespace qb::win
