#pragma once
// JPEG pictures, decoded with libjpeg into a 24-bit bitmap.
#include "qb/tk/pictures/bitmap.h"

namespace qb::tk::pictures {

class JpegImage : public Bitmap {
 public:
  void LoadFromStream(const std::uint8_t* data, std::size_t size) override;
};

}  // namespace qb::tk::pictures
