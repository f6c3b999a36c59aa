// libFuzzer target for the Targa reader: any input must either load or be
// refused with TGAExt, and a loaded bitmap must be consistent.
#include <cstdint>
#include <cstdlib>

#include "qb/wallface/tga_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qb::wallface::tga::Limits limits;
  limits.maxPixelBytes = std::size_t{1} << 20;  // keeps each run quick; sizes add no new paths
  try {
    const qb::wallface::tga::Image img = qb::wallface::tga::decode(data, size, limits);
    const qb::wallface::tga::Dib& d = img.bitmap;
    if (d.pixels.size() != d.rowBytes() * d.height || d.width == 0 || d.height == 0) std::abort();
  } catch (const qb::wallface::tga::TGAExt&) {
  }
  return 0;
}
