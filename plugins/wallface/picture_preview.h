#pragma once
// A picture stretched over the whole control: the wallpaper preview.
#include <windows.h>

#include <string>

#include "qb/tk/painted_control.h"
#include "qb/tk/pictures/formats.h"

namespace qb::wallface {

class PicturePreview : public qb::tk::PaintedControl {
 public:
  PicturePreview(qb::tk::Container& parent, std::string name, const qb::tk::Bounds& b);

  // Shows the picture of that file; the reader's error when it cannot be
  // read, and then the preview stays as it was.
  void loadFromFile(const std::string& utf8Path);
  // Shows a picture loaded elsewhere.
  void setPicture(qb::tk::pictures::Picture picture);
  void clear();

  const qb::tk::pictures::Picture& picture() const { return picture_; }
  bool empty() const { return picture_.GetGraphic() == nullptr; }

 protected:
  void paint(HDC dc, const RECT& client) override;

 private:
  qb::tk::pictures::Picture picture_;
};

}  // namespace qb::wallface
