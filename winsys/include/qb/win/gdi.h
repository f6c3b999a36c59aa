#pragma once
// Device contexts and what is selected into them: each is given back exactly
// once and in order, however the drawing code is left.
#include <windows.h>

#include <utility>

#include "qb/win/handles.h"

namespace qb::win {

// A memory device context like `like` (like the screen when null). Empty when
// the system has none left to give.
inline UniqueDc createMemoryDc(HDC like = nullptr) { return UniqueDc(CreateCompatibleDC(like)); }

// The device context of a window's client area (of the whole screen when the
// window is null), released to the window it came from.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  WindowDc(WindowDc&& o) noexcept : window_(o.window_), dc_(std::exchange(o.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&& o) noexcept {
    if (this != &o) {
      release();
      window_ = o.window_;
      dc_ = std::exchange(o.dc_, nullptr);
    }
    return *this;
  }
  ~WindowDc() { release(); }

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  void release() {
    if (dc_) ReleaseDC(window_, std::exchange(dc_, nullptr));
  }
  HWND window_;
  HDC dc_;
};

// What WM_PAINT draws through: BeginPaint now, EndPaint at the end of the
// scope, so the window is validated even when drawing throws.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() {
    if (dc_) EndPaint(window_, &paint_);
  }

  HDC dc() const { return dc_; }
  const PAINTSTRUCT& paintStruct() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects a pen, brush, font or bitmap into a device context and selects the
// previous one back at the end of the scope. Not for regions: SelectObject
// copies those and returns no previous region.
class SelectionScope {
 public:
  SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectionScope(const SelectionScope&) = delete;
  SelectionScope& operator=(const SelectionScope&) = delete;
  ~SelectionScope() {
    if (selected()) SelectObject(dc_, previous_);
  }

  bool selected() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Colours, modes, the origin and every selected object as they were when the
// scope began, restored at its end.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;
  ~SavedDcState() {
    if (saved_) RestoreDC(dc_, saved_);
  }

 private:
  HDC dc_;
  int saved_;
};

}  // namespace qb::win
