#pragma once
// Pictures the system's own picture object reads: GIF, metafiles (placeable
// WMF, EMF), and bitmaps the toolkit does not read itself.
#include <ocidl.h>
#include <olectl.h>

#include "qb/win/handles.h"
#include "qb/tk/pictures/graphic.h"

namespace qb::tk::pictures {

class OlePicture : public Graphic {
 public:
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Draw(HDC dc, const RECT& target) const override;
  void LoadFromStream(const std::uint8_t* data, std::size_t size) override;

 private:
  qb::win::ComPtr<IPicture> picture_;
  OLE_XSIZE_HIMETRIC himetricWidth_ = 0;
  OLE_YSIZE_HIMETRIC himetricHeight_ = 0;
  int width_ = 0;
  int height_ = 0;
};

// The kinds are told apart only by their extension; each reads with the system.
class GifImage : public OlePicture {};
class Metafile : public OlePicture {};

}  // namespace qb::tk::pictures
