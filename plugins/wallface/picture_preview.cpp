#include "picture_preview.h"

#include <utility>

namespace qb::wallface {

PicturePreview::PicturePreview(qb::tk::Container& parent, std::string name, const qb::tk::Bounds& b)
    : PaintedControl(parent, std::move(name), b) {}

void PicturePreview::loadFromFile(const std::string& utf8Path) {
  qb::tk::pictures::Picture loaded;
  loaded.LoadFromFile(utf8Path);
  setPicture(std::move(loaded));
}

void PicturePreview::setPicture(qb::tk::pictures::Picture picture) {
  picture_ = std::move(picture);
  repaint();
}

void PicturePreview::clear() { setPicture({}); }

void PicturePreview::paint(HDC dc, const RECT& client) { picture_.Draw(dc, client); }

}  // namespace qb::wallface
