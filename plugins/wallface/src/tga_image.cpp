#include "qb/wallface/tga_image.h"

#include <cstring>

namespace qb::wallface {

void TTGAImage::LoadFromStream(const std::uint8_t* data, std::size_t size) {
  const qb::wallface::tga::Image image = qb::wallface::tga::decode(data, size);
  const qb::wallface::tga::Dib& dib = image.bitmap;
  // Grey pictures and colour-mapped ones without a map get shades of grey.
  RGBQUAD palette[256];
  for (std::size_t i = 0; i < 256; ++i)
    palette[i] = RGBQUAD{dib.palette[i].blue, dib.palette[i].green, dib.palette[i].red, 0};
  SetFormat(static_cast<int>(dib.width), static_cast<int>(dib.height), static_cast<int>(dib.bitsPerPixel),
            dib.hasPalette ? palette : nullptr);
  std::memcpy(Bits(), dib.pixels.data(), dib.pixels.size());
  header_ = image.header;
  hasColourMap_ = image.hasColourMap;
  runLength_ = image.runLength;
  colourMap_ = image.colourMap;
}

void TTGAImage::Assign(const qb::tk::pictures::Bitmap& other) {
  if (const auto* tga = dynamic_cast<const TTGAImage*>(&other)) {
    header_ = tga->header_;
    hasColourMap_ = tga->hasColourMap_;
    runLength_ = tga->runLength_;
    colourMap_ = tga->colourMap_;
  }
  Bitmap::Assign(other);
}

}  // namespace qb::wallface
