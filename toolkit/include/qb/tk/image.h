#pragma once
// A picture on a form: draws a bitmap at its top-left corner, optionally with
// one colour left out so the form shows through, and can act as a link.
#include <windows.h>

#include <optional>

#include "qb/tk/control.h"
#include "qb/win/handles.h"

namespace qb::tk {

class Image : public Control {
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

  // The pointer shown over the image; null keeps the arrow.
  void setCursor(HCURSOR cursor) { cursor_ = cursor; }

  // Called when the left button is pressed and released over the image.
  Handler onClick;
  void click();

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void paint(HDC dc);
  qb::win::UniqueGdiObject bitmap_;
  std::optional<COLORREF> transparent_;
  HCURSOR cursor_ = nullptr;
  bool pressed_ = false;
};

}  // namespace qb::tk
