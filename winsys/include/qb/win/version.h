#pragma once
// The one place that answers which Windows this is. Pages gate controls on it;
// tests inside one process can pretend to be another Windows.
#include <optional>

namespace qb::win {

struct WindowsVersion {
  unsigned platform = 2;  // 1: the 9x family, 2: the NT family
  unsigned major = 0;
  unsigned minor = 0;
  unsigned build = 0;

  bool nt() const { return platform == 2; }
  bool nineX() const { return platform == 1; }
  // NT family at or above major.minor.
  bool ntAtLeast(unsigned maj, unsigned min) const {
    return nt() && (major > maj || (major == maj && minor >= min));
  }
};

WindowsVersion windowsVersion();

// For tests: replaces what windowsVersion() answers until reset with nullopt.
void overrideWindowsVersion(std::optional<WindowsVersion> v);

namespace versions {
inline constexpr WindowsVersion win95{1, 4, 0, 950};
inline constexpr WindowsVersion win98{1, 4, 10, 2222};
inline constexpr WindowsVersion winMe{1, 4, 90, 3000};
inline constexpr WindowsVersion nt4{2, 4, 0, 1381};
inline constexpr WindowsVersion win2000{2, 5, 0, 2195};
inline constexpr WindowsVersion winXp{2, 5, 1, 2600};
inline constexpr WindowsVersion win2003{2, 5, 2, 3790};
inline constexpr WindowsVersion vista{2, 6, 0, 6002};
}  // namespace versions

}  // namespace qb::win
