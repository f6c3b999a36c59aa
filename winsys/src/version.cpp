#include "qb/win/version.h"

#include <windows.h>

namespace qb::win {
namespace {
std::optional<WindowsVersion>& override_() {
  static std::optional<WindowsVersion> v;
  return v;
}
}  // namespace

WindowsVersion windowsVersion() {
  if (override_()) return *override_();
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  WindowsVersion v;
  if (GetVersionExW(&info)) {
    v.platform = info.dwPlatformId;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber & (v.platform == VER_PLATFORM_WIN32_NT ? 0xFFFFFFFFu : 0xFFFFu);
  }
  return v;
}

void overrideWindowsVersion(std::optional<WindowsVersion> v) { override_() = v; }

}  // namespace qb::win
