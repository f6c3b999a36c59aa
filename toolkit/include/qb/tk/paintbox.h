#pragma once
// A surface the owner draws on whenever it has something new to show. The
// box keeps nothing and paints nothing itself: when it is uncovered it shows
// the face colour until its owner draws again.
#include "qb/tk/control.h"
#include "qb/win/gdi.h"

namespace qb::tk {

class PaintBox : public Control {
 public:
  PaintBox(Container& parent, std::string name, const Bounds& b);

  // Draws straight onto the screen; released at the end of the caller's scope.
  qb::win::WindowDc canvas() const { return qb::win::WindowDc(hwnd()); }
  int clientWidth() const;
  int clientHeight() const;
};

}  // namespace qb::tk
