#pragma once
// A gauge drawn as a vertical bar that fills from the bottom, with no text,
// and optionally a grid drawn over it.
#include <windows.h>

#include <optional>

#include "qb/tk/painted_control.h"

namespace qb::tk {

class Gauge : public PaintedControl {
 public:
  Gauge(Container& parent, std::string name, const Bounds& b);

  // 0 to 100 until set; max must lie above min.
  void setRange(int minValue, int maxValue);
  int minValue() const { return min_; }
  int maxValue() const { return max_; }
  // Held within the range: below it reads the minimum, above it the maximum.
  void setProgress(int value);
  int progress() const { return progress_; }

  void setColors(COLORREF background, COLORREF bar);
  // Lines every `step` pixels across and down over bar and background.
  void setGrid(int step, COLORREF color);

 protected:
  void paint(HDC dc, const RECT& client) override;

 private:
  int min_ = 0;
  int max_ = 100;
  int progress_ = 0;
  COLORREF background_ = RGB(255, 255, 255);
  COLORREF bar_ = RGB(0, 0, 0);
  std::optional<std::pair<int, COLORREF>> grid_;
};

}  // namespace qb::tk
