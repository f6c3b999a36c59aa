#include "qb/tk/layout.h"

#include <algorithm>
#include <cmath>

namespace qb::tk {
namespace {

struct Span {
  int start;
  int length;
};

// One direction: the control's span, the parent's extent when it was taken and now.
Span follow(bool nearEdge, bool farEdge, Span taken, int takenExtent, int extent) {
  const int grown = extent - takenExtent;
  if (nearEdge && farEdge) return {taken.start, std::max(0, taken.length + grown)};
  if (farEdge) return {taken.start + grown, taken.length};
  if (nearEdge || takenExtent <= 0) return taken;
  const double centre = (taken.start + taken.length / 2.0) * extent / takenExtent;
  return {static_cast<int>(std::lround(centre - taken.length / 2.0)), taken.length};
}

}  // namespace

Bounds anchoredBounds(Anchor anchors, const Bounds& taken, const Size& takenParent, const Size& parent) {
  const Span across = follow(includes(anchors, Anchor::Left), includes(anchors, Anchor::Right),
                             {taken.left, taken.width}, takenParent.width, parent.width);
  const Span down = follow(includes(anchors, Anchor::Top), includes(anchors, Anchor::Bottom),
                           {taken.top, taken.height}, takenParent.height, parent.height);
  return Bounds{across.start, down.start, across.length, down.length};
}

}  // namespace qb::tk
