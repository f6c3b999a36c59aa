#include "qb/tk/pictures/jpeg_image.h"

#include "jpeg_decode.h"
#include "messages.h"

namespace qb::tk::pictures {
namespace {

class BitmapSink : public jpeg::Sink {
 public:
  explicit BitmapSink(Bitmap& bitmap) : bitmap_(bitmap) {}
  bool Allocate(std::uint32_t width, std::uint32_t height) override {
    try {
      bitmap_.SetFormat(static_cast<int>(width), static_cast<int>(height), 24);
      return !bitmap_.Empty();
    } catch (...) {
      return false;  // the decoder's frame must not be left by an exception
    }
  }
  std::uint8_t* Row(std::uint32_t fromTop) override {
    return bitmap_.Bits() + (static_cast<std::size_t>(bitmap_.Height()) - 1 - fromTop) * bitmap_.RowBytes();
  }

 private:
  Bitmap& bitmap_;
};

}  // namespace

void JpegImage::LoadFromStream(const std::uint8_t* data, std::size_t size) {
  BitmapSink sink(*this);
  const std::string failure = jpeg::Decode(data, size, sink);
  if (!failure.empty()) {
    SetFormat(0, 0, 24);
    if (failure == jpeg::kTooLarge) throw PictureError(text::kTooLarge);
    throw PictureError(text::kBadJpeg + failure);
  }
}

}  // namespace qb::tk::pictures
