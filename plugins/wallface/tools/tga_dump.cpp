// Decodes a Targa file and writes the bitmap in a plain form for scripts:
//   "QBDIB" width height bitsPerPixel monochrome hasPalette (uint32 LE each),
//   768 palette bytes (red, green, blue), then the bottom-up padded pixel rows.
// A refused file prints the reader's message on stderr and exits with 2.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "qb/wallface/tga_reader.h"

namespace {

void put32(std::FILE* out, std::uint32_t v) {
  const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                              static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
  std::fwrite(b, 1, 4, out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tga_dump file.tga out.dib\n");
    return 1;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    const qb::wallface::tga::Image img = qb::wallface::tga::decode(bytes.data(), bytes.size());
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;
    const qb::wallface::tga::Dib& d = img.bitmap;
    std::fwrite("QBDIB", 1, 5, out);
    for (std::uint32_t v : {d.width, d.height, std::uint32_t{d.bitsPerPixel}, std::uint32_t{d.monochrome},
                            std::uint32_t{d.hasPalette}})
      put32(out, v);
    for (const auto& e : d.palette) {
      const unsigned char rgb[3] = {e.red, e.green, e.blue};
      std::fwrite(rgb, 1, 3, out);
    }
    std::fwrite(d.pixels.data(), 1, d.pixels.size(), out);
    std::fclose(out);
  } catch (const qb::wallface::tga::TGAExt& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
  return 0;
}
