#pragma once
// A picture on a form: draws a bitmap at its top-left corner, optionally with
// one colour left out so the form shows through, and can act as a link
// (onClick, setCursor).
#include <windows.h>

#include <optional>

#include "qb/tk/painted_control.h"
#include "qb/win/handles.h"

namespace qb::tk {

class Image : public PaintedControl {
 public:
  Image(Container& parent, std::string name, const Bounds& b);

  // The image owns the bitmap from now on.
  void setBitmap(HBITMAP bitmap);
  // A bitmap resource of the module the toolkit is linked into; false when it is missing.
  bool loadBitmapResource(int id);
  HBITMAP bitmap() const { return static_cast<HBITMAP>(bitmap_.get()); }

  // Pixels of this colour are not drawn; nullopt draws every pixel.
  void setTransparentColor(std::optional<COLORREF> colour);
  std::optional<COLORREF> transparentColor() const { return transparent_; }

 protected:
  void paint(HDC dc, const RECT& client) override;

 private:
  qb::win::UniqueGdiObject bitmap_;
  std::optional<COLORREF> transparent_;
};

}  // namespace qb::tk
