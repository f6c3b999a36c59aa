#include "qb/win/text.h"

#include <windows.h>

namespace qb::win {
namespace {

std::wstring toWide(UINT codePage, std::string_view s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string fromWide(UINT codePage, std::wstring_view s) {
  if (s.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring widen(std::string_view utf8) { return toWide(CP_UTF8, utf8); }
std::string narrow(std::wstring_view wide) { return fromWide(CP_UTF8, wide); }
std::wstring fromAnsi(std::string_view ansi) { return toWide(CP_ACP, ansi); }
std::string toAnsi(std::wstring_view wide) { return fromWide(CP_ACP, wide); }
std::wstring throughAnsi(std::wstring_view wide) { return fromAnsi(toAnsi(wide)); }

}  // namespace qb::win
