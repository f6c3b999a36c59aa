#include "qb/wallface/tga_image.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "qb/win/text.h"
#include "tga_file.h"

namespace qb::wallface {
namespace {

using qb::wallface::tga::testing::Bytes;
using qb::wallface::tga::testing::TgaFile;
using qb::tk::pictures::Picture;

std::string writeScratch(const char* name, const Bytes& bytes) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + qb::win::widen(name);
  std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size()));
  return qb::win::narrow(path);
}

// 2 x 2, top row red and green, bottom row blue and white, in the given form.
TgaFile fourColours(std::uint8_t type, std::uint8_t depth, bool fromTop) {
  TgaFile f;
  f.imageType = type;
  f.depth = depth;
  f.width = f.height = 2;
  f.descriptor = fromTop ? 0x20 : 0x00;
  Bytes top, bottom;
  if (depth == 16) {
    top = {0x00, 0x7C, 0xE0, 0x03};
    bottom = {0x1F, 0x00, 0xFF, 0x7F};
  } else {
    const std::uint8_t a = depth == 32 ? 0xFF : 0;
    auto px = [&](std::uint8_t b, std::uint8_t g, std::uint8_t r) {
      return depth == 32 ? Bytes{b, g, r, a} : Bytes{b, g, r};
    };
    for (const Bytes& p : {px(0, 0, 255), px(0, 255, 0)}) top.insert(top.end(), p.begin(), p.end());
    for (const Bytes& p : {px(255, 0, 0), px(255, 255, 255)}) bottom.insert(bottom.end(), p.begin(), p.end());
  }
  if (fromTop) {
    f.data = top;
    f.data.insert(f.data.end(), bottom.begin(), bottom.end());
  } else {
    f.data = bottom;
    f.data.insert(f.data.end(), top.begin(), top.end());
  }
  return f;
}

void expectFourColours(const qb::tk::pictures::Bitmap& b) {
  // 16-bit pictures keep green in 5 of the 6 bits: full green shows as 251.
  const BYTE green = b.BitsPerPixel() == 16 ? 251 : 255;
  EXPECT_EQ(b.PixelRgb(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(b.PixelRgb(1, 0), RGB(0, green, 0));
  EXPECT_EQ(b.PixelRgb(0, 1), RGB(0, 0, 255));
  EXPECT_EQ(b.PixelRgb(1, 1), RGB(255, green, 255));
}

TEST(TTGAImage, RegisteredForTgaWhileTheRegistrationLives) {
  const std::string path = writeScratch("qb_four.tga", fourColours(2, 24, true).bytes());
  {
    TgaFormatRegistration registration;
    bool listed = false;
    for (const auto& f : qb::tk::pictures::FileFormats())
      listed = listed || (f.extension == "tga" && f.description == "Targa Image File");
    EXPECT_TRUE(listed);
    Picture picture;
    picture.LoadFromFile(path);
    ASSERT_NE(dynamic_cast<const TTGAImage*>(picture.GetGraphic()), nullptr);
    expectFourColours(*picture.ToBitmap());
  }
  for (const auto& f : qb::tk::pictures::FileFormats()) EXPECT_NE(f.extension, "tga");
  Picture picture;
  EXPECT_THROW(picture.LoadFromFile(path), qb::tk::pictures::PictureError);
  DeleteFileW(qb::win::widen(path).c_str());
}

TEST(TTGAImage, EveryDepthShowsTheSameColoursFromEitherOrigin) {
  const struct {
    std::uint8_t type, depth;
  } kinds[] = {{2, 16}, {2, 24}, {2, 32}, {10, 24}, {10, 32}};
  for (const auto& k : kinds) {
    for (bool fromTop : {false, true}) {
      SCOPED_TRACE(::testing::Message() << int(k.type) << "/" << int(k.depth) << (fromTop ? " top" : " bottom"));
      TgaFile f = fourColours(k.type, k.depth, fromTop);
      if (k.type == 10) {  // one literal packet a row
        const std::size_t rowBytes = 2 * k.depth / 8;
        Bytes packed;
        for (std::size_t r = 0; r < 2; ++r) {
          packed.push_back(0x01);
          packed.insert(packed.end(), f.data.begin() + r * rowBytes, f.data.begin() + (r + 1) * rowBytes);
        }
        f.data = packed;
      }
      const Bytes b = f.bytes();
      TTGAImage image;
      image.LoadFromStream(b.data(), b.size());
      EXPECT_EQ(image.BitsPerPixel(), k.depth);
      expectFourColours(image);
    }
  }
}

TEST(TTGAImage, PaletteFromTheMapAndGreyWithoutOne) {
  TgaFile mapped;
  mapped.imageType = 1;
  mapped.depth = 8;
  mapped.colourMapType = 1;
  mapped.colourMap.assign(768, 0);
  mapped.colourMap[7 * 3 + 2] = 200;  // entry 7: red 200, green 100, blue 50
  mapped.colourMap[7 * 3 + 1] = 100;
  mapped.colourMap[7 * 3 + 0] = 50;
  mapped.width = 1;
  mapped.data = {7};
  Bytes b = mapped.bytes();
  TTGAImage image;
  image.LoadFromStream(b.data(), b.size());
  EXPECT_EQ(image.PixelRgb(0, 0), RGB(200, 100, 50));
  EXPECT_TRUE(image.HasColourMap());

  TgaFile grey = mapped;
  grey.imageType = 11;
  grey.colourMapType = 0;
  grey.colourMap.clear();
  grey.data = {0x80, 90};
  b = grey.bytes();
  TTGAImage greyImage;
  greyImage.LoadFromStream(b.data(), b.size());
  EXPECT_EQ(greyImage.PixelRgb(0, 0), RGB(90, 90, 90));
  EXPECT_TRUE(greyImage.RunLength());

  // Assign takes the other's header, flags, map and pixels.
  greyImage.Assign(image);
  EXPECT_TRUE(greyImage.HasColourMap());
  EXPECT_FALSE(greyImage.RunLength());
  EXPECT_EQ(greyImage.Header().imageType, 1);
  EXPECT_EQ(greyImage.ColourMap(), image.ColourMap());
  EXPECT_EQ(greyImage.PixelRgb(0, 0), RGB(200, 100, 50));
}

TEST(TTGAImage, RefusalReachesTheCallerAndKeepsTheEarlierPicture) {
  TgaFormatRegistration registration;
  Picture picture;
  const std::string good = writeScratch("qb_good.tga", fourColours(2, 24, false).bytes());
  picture.LoadFromFile(good);
  TgaFile noData = fourColours(2, 24, false);
  noData.imageType = 0;
  const std::string bad = writeScratch("qb_nodata.tga", noData.bytes());
  try {
    picture.LoadFromFile(bad);
    ADD_FAILURE() << "loaded";
  } catch (const TGAExt& e) {
    EXPECT_STREQ(e.what(), "Plik nie posiada danych obrazu");
  }
  expectFourColours(*picture.ToBitmap());

  TTGAImage image;
  const Bytes b = fourColours(2, 24, true).bytes();
  image.LoadFromStream(b.data(), b.size());
  const Bytes refused = fourColours(3, 24, true).bytes();
  EXPECT_THROW(image.LoadFromStream(refused.data(), refused.size()), TGAExt);
  expectFourColours(image);
  DeleteFileW(qb::win::widen(good).c_str());
  DeleteFileW(qb::win::widen(bad).c_str());
}

}  // namespace
}  // namespace qb::wallface
