#include "qb/wallface/tga_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tga_file.h"

namespace qb::wallface::tga {
namespace {

using testing::Bytes;
using testing::TgaFile;

Image load(const TgaFile& f, const Limits& limits = {}) {
  const Bytes b = f.bytes();
  return decode(b.data(), b.size(), limits);
}

Bytes pixelsOf(const Image& img) { return Bytes(img.bitmap.pixels.begin(), img.bitmap.pixels.end()); }

std::string refusal(const Bytes& b) {
  try {
    decode(b.data(), b.size());
  } catch (const TGAExt& e) {
    return e.what();
  }
  return "(loaded)";
}

// The expected pixel buffer: rows given from the bottom, each padded to 4 bytes.
Bytes bottomUp(std::size_t rowBytes, std::initializer_list<Bytes> rows) {
  Bytes out;
  for (const Bytes& r : rows) {
    Bytes padded = r;
    padded.resize(rowBytes, 0);
    out.insert(out.end(), padded.begin(), padded.end());
  }
  return out;
}

Bytes greyRamp768() {
  Bytes m(768);
  for (int i = 0; i < 256; ++i) {
    m[i * 3] = static_cast<std::uint8_t>(i);             // blue
    m[i * 3 + 1] = static_cast<std::uint8_t>(255 - i);   // green
    m[i * 3 + 2] = static_cast<std::uint8_t>(i ^ 0x55);  // red
  }
  return m;
}

struct RefusalCase {
  const char* name;
  Bytes file;
  const char* message;
};

TgaFile kind(std::uint8_t type, std::uint8_t depth, std::uint8_t descriptor = 0) {
  TgaFile f;
  f.imageType = type;
  f.depth = depth;
  f.descriptor = descriptor;
  f.width = 2;
  f.height = 2;
  f.data.assign(2 * 2 * 4, 0x11);
  return f;
}

TEST(TgaReader, RefusesWhatItCannotRead) {
  TgaFile shortMap = kind(1, 8);
  shortMap.colourMapType = 1;
  shortMap.colourMap.assign(100, 0);
  shortMap.data.clear();
  shortMap.footer = false;
  TgaFile longId = kind(2, 24);
  longId.id.assign(200, 'x');
  Bytes idPastEnd = longId.bytes();
  idPastEnd.resize(18 + 50);
  TgaFile zeroWidth = kind(2, 24);
  zeroWidth.width = 0;
  TgaFile zeroHeight = kind(10, 32);
  zeroHeight.height = 0;
  const Bytes whole = kind(2, 24).bytes();
  TgaFile huge = kind(2, 32);
  huge.width = huge.height = 65535;

  const RefusalCase cases[] = {
      {"type 0", kind(0, 24).bytes(), kNoImageData},
      {"type 0 before the depth", kind(0, 15).bytes(), kNoImageData},
      {"15-bit", kind(2, 15).bytes(), kUnsupportedImageFormat},
      {"1-bit", kind(3, 1).bytes(), kUnsupportedImageFormat},
      {"depth of an unlisted type", kind(4, 7).bytes(), kUnsupportedImageFormat},
      {"16-bit run-length", kind(10, 16).bytes(), kUnsupportedImageFormat},
      {"16-bit colour-mapped", kind(1, 16).bytes(), kUnsupportedImageFormat},
      {"16-bit from the right", kind(2, 16, 0x10).bytes(), kUnsupportedImageFormat},
      {"8-bit true colour", kind(2, 8).bytes(), kUnsupportedImageFormat},
      {"8-bit run-length true colour", kind(10, 8).bytes(), kUnsupportedImageFormat},
      {"8-bit from the right", kind(1, 8, 0x30).bytes(), kUnsupportedImageFormat},
      {"8-bit grey from top right", kind(11, 8, 0x30).bytes(), kUnsupportedImageFormat},
      {"24-bit colour-mapped", kind(1, 24).bytes(), kUnsupportedFormat},
      {"24-bit grey run-length", kind(11, 24).bytes(), kUnsupportedFormat},
      {"24-bit from bottom right", kind(2, 24, 0x10).bytes(), kUnsupportedFormat},
      {"24-bit run-length from top right", kind(10, 24, 0x30).bytes(), kUnsupportedFormat},
      {"32-bit grey", kind(3, 32).bytes(), kUnsupportedImageType},
      {"32-bit from the right", kind(2, 32, 0x30).bytes(), kUnsupportedImageType},
      {"32-bit run-length from the right", kind(10, 32, 0x10).bytes(), kUnsupportedImageType},
      {"zero width", zeroWidth.bytes(), kUnsupportedImageFormat},
      {"zero height", zeroHeight.bytes(), kUnsupportedImageFormat},
      {"65535 x 65535", huge.bytes(), kUnsupportedImageFormat},
      {"empty file", Bytes{}, kTruncatedFile},
      {"half a header", Bytes(whole.begin(), whole.begin() + 9), kTruncatedFile},
      {"identification past the end", idPastEnd, kTruncatedFile},
      {"file shorter than the colour map", shortMap.bytes(), kTruncatedFile},
  };
  for (const RefusalCase& c : cases) EXPECT_EQ(refusal(c.file), c.message) << c.name;
}

TEST(TgaReader, SizeLimitIsCheckedBeforeAllocating) {
  TgaFile f = kind(2, 24);
  f.width = 100;
  f.height = 100;
  Limits small;
  small.maxPixelBytes = 100 * 300 - 1;
  EXPECT_THROW(load(f, small), TGAExt);
  small.maxPixelBytes = 100 * 300;
  EXPECT_EQ(load(f, small).bitmap.pixels.size(), 30000u);
}

TEST(TgaReader, ColourMappedUsesFull768ByteMapWhateverTheHeaderSays) {
  TgaFile f;
  f.imageType = 1;
  f.depth = 8;
  f.colourMapType = 1;
  f.colourMapLength = 16;  // claims a short map
  f.colourMapEntrySize = 15;
  f.colourMap = greyRamp768();
  f.id = {'a', 'b', 'c'};
  f.width = 3;
  f.height = 2;
  f.data = {1, 2, 3, 4, 5, 255};
  const Image img = load(f);
  EXPECT_TRUE(img.hasColourMap);
  EXPECT_FALSE(img.runLength);
  EXPECT_EQ(img.header.colourMapLength, 16);
  EXPECT_EQ(img.bitmap.bitsPerPixel, 8u);
  ASSERT_TRUE(img.bitmap.hasPalette);
  EXPECT_EQ(img.bitmap.palette[0], (PaletteEntry{0x55, 255, 0}));
  EXPECT_EQ(img.bitmap.palette[200], (PaletteEntry{200 ^ 0x55, 55, 200}));
  EXPECT_EQ(img.bitmap.palette[255], (PaletteEntry{255 ^ 0x55, 0, 255}));
  EXPECT_EQ(pixelsOf(img), bottomUp(4, {{1, 2, 3}, {4, 5, 255}}));
}

struct DecodeCase {
  const char* name;
  TgaFile file;
  unsigned bitsPerPixel;
  bool monochrome;
  Bytes pixels;  // bottom-up, padded
};

TgaFile make(std::uint8_t type, std::uint8_t depth, std::uint16_t w, std::uint16_t h, Bytes data,
             std::uint8_t descriptor = 0, bool footer = true) {
  TgaFile f;
  f.imageType = type;
  f.depth = depth;
  f.width = w;
  f.height = h;
  f.data = std::move(data);
  f.descriptor = descriptor;
  f.footer = footer;
  return f;
}

TEST(TgaReader, DecodesEachKindDepthAndOrigin) {
  // 16-bit: 0x7FFF white (0xFFDF: lowest green bit clear), 0x8000 black with the unused bit, 0x7C00 red,
  // 0x03E0 green, 0x001F blue, 0x4210 grey.
  const Bytes words = {0xFF, 0x7F, 0x00, 0x80, 0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42};
  const Bytes rgb565Bottom = {0xDF, 0xFF, 0x00, 0x00, 0x00, 0xF8};
  const Bytes rgb565Top = {0xC0, 0x07, 0x1F, 0x00, 0x10, 0x84};

  const DecodeCase cases[] = {
      {"grey, bottom-up, padded rows", make(3, 8, 3, 2, {1, 2, 3, 4, 5, 6}), 8, true,
       bottomUp(4, {{1, 2, 3}, {4, 5, 6}})},
      {"grey, top-down", make(3, 8, 3, 2, {1, 2, 3, 4, 5, 6}, 0x20), 8, true,
       bottomUp(4, {{4, 5, 6}, {1, 2, 3}})},
      {"grey run-length: run then raw per row", make(11, 8, 3, 2, {0x82, 9, 0x01, 7, 8, 0x00, 6}), 8, true,
       bottomUp(4, {{9, 9, 9}, {7, 8, 6}})},
      {"colour-mapped run-length without a map", make(9, 8, 4, 1, {0x81, 5, 0x01, 6, 7}), 8, false,
       bottomUp(4, {{5, 5, 6, 7}})},
      {"16-bit bottom-up", make(2, 16, 3, 2, words), 16, false, bottomUp(8, {rgb565Bottom, rgb565Top})},
      {"16-bit top-down", make(2, 16, 3, 2, words, 0x20), 16, false, bottomUp(8, {rgb565Top, rgb565Bottom})},
      {"24-bit bottom-up", make(2, 24, 1, 2, {1, 2, 3, 4, 5, 6}), 24, false, bottomUp(4, {{1, 2, 3}, {4, 5, 6}})},
      {"24-bit top-down, origin bits only", make(2, 24, 1, 2, {1, 2, 3, 4, 5, 6}, 0x2F), 24, false,
       bottomUp(4, {{4, 5, 6}, {1, 2, 3}})},
      {"24-bit run-length", make(10, 24, 3, 1, {0x81, 1, 2, 3, 0x00, 4, 5, 6}), 24, false,
       bottomUp(12, {{1, 2, 3, 1, 2, 3, 4, 5, 6}})},
      {"24-bit run-length top-down", make(10, 24, 1, 2, {0x80, 1, 2, 3, 0x80, 4, 5, 6}, 0x20), 24, false,
       bottomUp(4, {{4, 5, 6}, {1, 2, 3}})},
      {"32-bit", make(2, 32, 2, 1, {1, 2, 3, 4, 5, 6, 7, 8}), 32, false, bottomUp(8, {{1, 2, 3, 4, 5, 6, 7, 8}})},
      {"32-bit run-length top-down", make(10, 32, 2, 2, {0x81, 1, 2, 3, 4, 0x01, 5, 6, 7, 8, 9, 9, 9, 9}, 0x20),
       32, false, bottomUp(8, {{5, 6, 7, 8, 9, 9, 9, 9}, {1, 2, 3, 4, 1, 2, 3, 4}})},
      {"unlisted type: right size, nothing decoded", make(4, 24, 2, 2, Bytes(12, 0xAA)), 24, false,
       Bytes(16, 0)},
      {"unlisted type 12 at 8 bits", make(12, 8, 2, 1, {7, 7}), 8, false, Bytes(4, 0)},
      // Bad or short data: never read or write outside, undecoded pixels stay zero.
      {"short uncompressed file", make(2, 24, 2, 2, {1, 2, 3, 4, 5, 6, 7}), 24, false,
       bottomUp(8, {{1, 2, 3, 4, 5, 6}, {7}})},
      {"no footer: last 26 bytes are not pixels", make(3, 8, 10, 3, Bytes(30, 0x42), 0, false), 8, true,
       bottomUp(12, {Bytes(4, 0x42), {}, {}})},
      {"16-bit with an odd byte left", make(2, 16, 2, 1, {0xFF, 0x7F, 0xFF}), 16, false,
       bottomUp(4, {{0xDF, 0xFF}})},
      {"run past the row's end is dropped", make(11, 8, 2, 2, {0x85, 1, 0x01, 2, 3}), 8, true,
       bottomUp(4, {{1, 1}, {2, 3}})},
      {"raw packet past the row's end is dropped", make(10, 24, 1, 2, {0x01, 1, 1, 1, 2, 2, 2, 0x80, 3, 3, 3}),
       24, false, bottomUp(4, {{1, 1, 1}, {3, 3, 3}})},
      {"run-length data ends inside a raw packet", make(11, 8, 4, 2, {0x7F, 1, 2, 3}), 8, true,
       bottomUp(4, {{1, 2, 3}, {}})},
      {"run-length data ends inside a pixel", make(10, 32, 2, 1, {0x81, 1, 2}), 32, false, Bytes(8, 0)},
      {"run-length data ends after a header byte", make(10, 24, 2, 1, {0x80, 1, 2, 3, 0x80}), 24, false,
       bottomUp(8, {{1, 2, 3}})},
      // Wide rows, where packets are written in whole 16-byte stores: nothing
      // past the decoded pixels may show once the data ends.
      {"run-length data ends after a short run on a wide row", make(10, 24, 40, 1, {0x81, 1, 2, 3}), 24, false,
       bottomUp(120, {{1, 2, 3, 1, 2, 3}})},
      {"run-length data ends after a run of three on a wide row", make(10, 32, 20, 1, {0x82, 9, 8, 7, 6}), 32, false,
       bottomUp(80, {{9, 8, 7, 6, 9, 8, 7, 6, 9, 8, 7, 6}})},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Image img = load(c.file);
    EXPECT_EQ(img.bitmap.width, c.file.width);
    EXPECT_EQ(img.bitmap.height, c.file.height);
    EXPECT_EQ(img.bitmap.bitsPerPixel, c.bitsPerPixel);
    EXPECT_EQ(img.bitmap.monochrome, c.monochrome);
    EXPECT_FALSE(img.bitmap.hasPalette);
    EXPECT_EQ(pixelsOf(img), c.pixels);
  }
}

TEST(TgaReader, RunLengthDataLargerThanThePictureIsStillRead) {
  // 130 literal pixels need two packet headers: 392 bytes for a 390-byte picture.
  TgaFile f = make(10, 24, 130, 1, {});
  f.data.push_back(0x7F);
  for (int i = 0; i < 128 * 3; ++i) f.data.push_back(static_cast<std::uint8_t>(i));
  f.data.push_back(0x01);
  f.data.insert(f.data.end(), {0xA1, 0xA2, 0xA3, 0xB1, 0xB2, 0xB3});
  const Image img = load(f);
  EXPECT_TRUE(img.runLength);
  const std::uint8_t* last = img.bitmap.row(0) + 129 * 3;
  EXPECT_EQ(Bytes(last, last + 3), (Bytes{0xB1, 0xB2, 0xB3}));
}

TEST(TgaReader, TopDownAndBottomUpCopiesLoadTheSame) {
  const std::uint16_t w = 7, h = 5;
  for (std::uint8_t depth : {8, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    const std::uint8_t type = depth == 8 ? 3 : 2;
    const std::size_t rowBytes = static_cast<std::size_t>(w) * depth / 8;
    Bytes rows(rowBytes * h);
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i * 37 + 11);
    Bytes flipped;
    for (int r = h - 1; r >= 0; --r) flipped.insert(flipped.end(), rows.begin() + r * rowBytes, rows.begin() + (r + 1) * rowBytes);
    const Image bottom = load(make(type, depth, w, h, rows, 0x00));
    const Image top = load(make(type, depth, w, h, flipped, 0x20));
    EXPECT_EQ(pixelsOf(bottom), pixelsOf(top));
  }
}

}  // namespace
}  // namespace qb::wallface::tga
