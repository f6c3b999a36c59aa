#include "qb/tk/gauge.h"

#include <algorithm>

#include "qb/win/handles.h"

namespace qb::tk {

Gauge::Gauge(Container& parent, std::string name, const Bounds& b) : PaintedControl(parent, std::move(name), b) {}

void Gauge::setRange(int minValue, int maxValue) {
  if (maxValue <= minValue) return;
  min_ = minValue;
  max_ = maxValue;
  progress_ = std::clamp(progress_, min_, max_);
  repaint();
}

void Gauge::setProgress(int value) {
  value = std::clamp(value, min_, max_);
  if (value == progress_) return;
  progress_ = value;
  repaint();
}

void Gauge::setColors(COLORREF background, COLORREF bar) {
  background_ = background;
  bar_ = bar;
  repaint();
}

void Gauge::setGrid(int step, COLORREF color) {
  if (step > 0) grid_ = std::make_pair(step, color);
  else grid_.reset();
  repaint();
}

void Gauge::paint(HDC dc, const RECT& client) {
  const qb::win::UniqueGdiObject back(CreateSolidBrush(background_));
  FillRect(dc, &client, static_cast<HBRUSH>(back.get()));
  const long long span = static_cast<long long>(max_) - min_;
  const long long filled = client.bottom * (static_cast<long long>(progress_) - min_) / span;
  RECT bar = client;
  bar.top = client.bottom - static_cast<LONG>(filled);
  const qb::win::UniqueGdiObject fore(CreateSolidBrush(bar_));
  FillRect(dc, &bar, static_cast<HBRUSH>(fore.get()));
  if (!grid_) return;
  const qb::win::UniqueGdiObject lines(CreateSolidBrush(grid_->second));
  const auto brush = static_cast<HBRUSH>(lines.get());
  for (LONG x = grid_->first - 1; x < client.right; x += grid_->first) {
    const RECT line{x, 0, x + 1, client.bottom};
    FillRect(dc, &line, brush);
  }
  for (LONG y = grid_->first - 1; y < client.bottom; y += grid_->first) {
    const RECT line{0, y, client.right, y + 1};
    FillRect(dc, &line, brush);
  }
}

}  // namespace qb::tk
