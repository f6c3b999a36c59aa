#pragma once
// Where a control goes when its parent's client area changes size. No
// platform headers: the rules are plain arithmetic.
#include "qb/tk/flags.h"

namespace qb::tk {

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
constexpr bool operator==(const Bounds& a, const Bounds& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
constexpr bool operator!=(const Bounds& a, const Bounds& b) { return !(a == b); }

struct Size {
  int width = 0;
  int height = 0;
};

// How a control follows its parent's size: filling it, or stacked along an edge.
enum class Align { None, Client, Top, Bottom };

// The parent's edges a control keeps its distances to. Anchored to both edges
// of a direction it stretches; to neither, its centre keeps its place in
// proportion to the parent.
enum class Anchor : unsigned {
  None = 0,
  Left = 1u << 0,
  Top = 1u << 1,
  Right = 1u << 2,
  Bottom = 1u << 3,
};
template <>
struct CombinableFlags<Anchor> : std::true_type {};
inline constexpr Anchor kDefaultAnchors = Anchor::Left | Anchor::Top;

// The bounds of a control anchored by `anchors` in a parent whose client area
// is now `parent`, given that it had bounds `taken` when the parent's client
// area was `takenParent`. Lengths never drop below zero, and since the result
// depends only on what was taken, shrinking the parent past the control and
// growing it back brings the control back where it was.
Bounds anchoredBounds(Anchor anchors, const Bounds& taken, const Size& takenParent, const Size& parent);

}  // namespace qb::tk
