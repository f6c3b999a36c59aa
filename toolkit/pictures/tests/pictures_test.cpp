#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "qb/test/testbench.h"
#include "qb/win/gdi.h"
#include "qb/win/text.h"
#include "qb/tk/pictures/bitmap.h"
#include "qb/tk/pictures/formats.h"
#include "qb/tk/pictures/jpeg_image.h"

namespace qb::tk::pictures {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string sample(const char* name) {
  return qb::win::narrow(qb::test::programFolder() + L"\\tk_pictures_samples\\" + qb::win::widen(name));
}

std::string scratchPath(const char* name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return qb::win::narrow(std::wstring(dir) + qb::win::widen(name));
}

Bytes readBytes(const std::string& path) {
  std::ifstream in(qb::win::widen(path).c_str(), std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const Bytes& b) {
  std::ofstream out(qb::win::widen(path).c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

int maxChannelDifference(COLORREF a, COLORREF b) {
  return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                   std::abs(GetBValue(a) - GetBValue(b))});
}

// The colours of the quadrants of the sample pictures (see make_samples.py).
const COLORREF kTopLeft = RGB(220, 30, 30), kTopRight = RGB(30, 200, 40), kBottomLeft = RGB(40, 60, 210),
               kBottomRight = RGB(240, 240, 240);

void expectQuadrants(const Bitmap& b, int tolerance = 0) {
  const int w = b.Width(), h = b.Height();
  EXPECT_LE(maxChannelDifference(b.PixelRgb(w / 4, h / 4), kTopLeft), tolerance);
  EXPECT_LE(maxChannelDifference(b.PixelRgb(w * 3 / 4, h / 4), kTopRight), tolerance);
  EXPECT_LE(maxChannelDifference(b.PixelRgb(w / 4, h * 3 / 4), kBottomLeft), tolerance);
  EXPECT_LE(maxChannelDifference(b.PixelRgb(w * 3 / 4, h * 3 / 4), kBottomRight), tolerance);
}

std::unique_ptr<Bitmap> load(const std::string& path) {
  Picture p;
  p.LoadFromFile(path);
  return p.ToBitmap();
}

// Largest difference from the reference decode that make_samples.py wrote.
int differenceFromReference(const Bitmap& b, const std::string& referencePath) {
  const Bytes rgb = readBytes(referencePath);
  EXPECT_EQ(rgb.size(), static_cast<std::size_t>(b.Width()) * b.Height() * 3);
  int worst = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * b.Width() + x) * 3;
      if (i + 2 >= rgb.size()) return 255;
      worst = std::max(worst, maxChannelDifference(b.PixelRgb(x, y), RGB(rgb[i], rgb[i + 1], rgb[i + 2])));
    }
  return worst;
}

TEST(Pictures, JpegDecodesToTheReferencePixels) {
  for (const char* name : {"photo.jpg", "grey.jpg"}) {
    SCOPED_TRACE(name);
    JpegImage jpeg;
    jpeg.LoadFromFile(sample(name));
    EXPECT_EQ(jpeg.BitsPerPixel(), 24);
    EXPECT_LE(differenceFromReference(jpeg, sample(name) + ".rgb"), 2);
  }
  EXPECT_EQ(load(sample("photo.jpg"))->Width(), 64);
  EXPECT_EQ(load(sample("photo.jpg"))->Height(), 48);
  expectQuadrants(*load(sample("grey.jpg")), 255);  // size and shape only: grey
}

TEST(Pictures, DamagedJpegAndGifAreErrorsNotCrashes) {
  try {
    load(sample("corrupt.jpg"));
    ADD_FAILURE() << "corrupt JPEG loaded";
  } catch (const PictureError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Błąd odczytu pliku JPEG: ", 0), 0u) << e.what();
  }
  EXPECT_THROW(load(sample("corrupt.gif")), PictureError);
  // A cut-off JPEG shows what it has, like libjpeg does.
  EXPECT_EQ(load(sample("truncated.jpg"))->Width(), 64);
}

TEST(Pictures, GifAndBitmapsLoadExactly) {
  for (const char* name : {"picture.gif", "picture.bmp", "picture8.bmp"}) {
    SCOPED_TRACE(name);
    const auto b = load(sample(name));
    EXPECT_EQ(b->Width(), 40);
    EXPECT_EQ(b->Height(), 30);
    expectQuadrants(*b);
  }
}

TEST(Pictures, TopDownAndShortBitmaps) {
  Bytes file = readBytes(sample("picture.bmp"));
  ASSERT_GT(file.size(), 54u);
  const std::uint32_t offset = file[10] | (file[11] << 8);
  const std::size_t rowBytes = 40 * 3;
  Bytes topDown(file.begin(), file.begin() + offset);
  for (int r = 29; r >= 0; --r)
    topDown.insert(topDown.end(), file.begin() + offset + r * rowBytes, file.begin() + offset + (r + 1) * rowBytes);
  const std::int32_t negative = -30;
  std::memcpy(topDown.data() + 22, &negative, 4);
  writeBytes(scratchPath("qb_topdown.bmp"), topDown);
  expectQuadrants(*load(scratchPath("qb_topdown.bmp")));

  Bytes cut(file.begin(), file.begin() + offset + 5 * rowBytes + 7);
  writeBytes(scratchPath("qb_cut.bmp"), cut);
  const auto b = load(scratchPath("qb_cut.bmp"));
  EXPECT_EQ(b->PixelRgb(30, 25), kBottomRight);  // rows the file has
  EXPECT_EQ(b->PixelRgb(30, 5), RGB(0, 0, 0));   // rows it lacks

  // A header that claims a huge picture is refused before anything is allocated.
  Bytes huge = file;
  const std::int32_t million = 1000000;
  std::memcpy(huge.data() + 18, &million, 4);
  std::memcpy(huge.data() + 22, &million, 4);
  writeBytes(scratchPath("qb_huge.bmp"), huge);
  EXPECT_THROW(load(scratchPath("qb_huge.bmp")), PictureError);
  for (const char* name : {"qb_topdown.bmp", "qb_cut.bmp", "qb_huge.bmp"})
    DeleteFileW(qb::win::widen(scratchPath(name)).c_str());
}

// Draws a red picture with a blue top-left quarter into a metafile context.
void drawQuarters(HDC dc, int w, int h) {
  const RECT all{0, 0, w, h}, quarter{0, 0, w / 2, h / 2};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(dc, &all, red);
  FillRect(dc, &quarter, blue);
  DeleteObject(red);
  DeleteObject(blue);
}

void expectQuarters(const Bitmap& b, int w, int h) {
  EXPECT_NEAR(b.Width(), w, 1);
  EXPECT_NEAR(b.Height(), h, 1);
  EXPECT_EQ(b.PixelRgb(w / 4, h / 4), RGB(0, 0, 255));
  EXPECT_EQ(b.PixelRgb(w * 3 / 4, h * 3 / 4), RGB(255, 0, 0));
}

TEST(Pictures, MetafilesLoadToTheirSize) {
  const int w = 80, h = 60;
  const std::string emf = scratchPath("qb_picture.emf");
  int dpiX = 0, dpiY = 0;
  HDC meta = nullptr;
  {
    const qb::win::WindowDc screen(nullptr);
    dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
    const RECT frame{0, 0, MulDiv(w, 2540, dpiX), MulDiv(h, 2540, dpiY)};  // 0.01 mm
    meta = CreateEnhMetaFileW(screen.get(), qb::win::widen(emf).c_str(), &frame, nullptr);
  }
  ASSERT_NE(meta, nullptr);
  drawQuarters(meta, w, h);
  DeleteEnhMetaFile(CloseEnhMetaFile(meta));
  expectQuarters(*load(emf), w, h);
  DeleteFileW(qb::win::widen(emf).c_str());

  // A placeable Windows metafile: a 22-byte header with the picture's bounds
  // in units of `inch` a inch, then the metafile records.
  HDC old = CreateMetaFileW(nullptr);
  ASSERT_NE(old, nullptr);
  SetWindowExtEx(old, w, h, nullptr);
  drawQuarters(old, w, h);
  HMETAFILE handle = CloseMetaFile(old);
  const UINT size = GetMetaFileBitsEx(handle, 0, nullptr);
  Bytes records(size);
  GetMetaFileBitsEx(handle, size, records.data());
  DeleteMetaFile(handle);
  const std::uint16_t inch = static_cast<std::uint16_t>(dpiX);
  std::uint16_t words[11] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h),
                             inch, 0, 0, 0};
  for (int i = 0; i < 10; ++i) words[10] ^= words[i];
  Bytes wmf(reinterpret_cast<const std::uint8_t*>(words), reinterpret_cast<const std::uint8_t*>(words) + 22);
  wmf.insert(wmf.end(), records.begin(), records.end());
  const std::string wmfPath = scratchPath("qb_picture.wmf");
  writeBytes(wmfPath, wmf);
  expectQuarters(*load(wmfPath), w, h);
  DeleteFileW(qb::win::widen(wmfPath).c_str());
}

TEST(Pictures, PreviewConversionAndBitmapFile) {
  Picture picture;
  picture.LoadFromFile(sample("picture.gif"));

  // Preview: stretched to twice the size.
  Bitmap preview;
  preview.SetFormat(80, 60, 24);
  {
    const qb::win::UniqueDc dc = qb::win::createMemoryDc();
    const qb::win::SelectionScope onPreview(dc.get(), preview.Handle());
    picture.Draw(dc.get(), RECT{0, 0, 80, 60});
  }
  expectQuadrants(preview, 8);

  // Conversion to a bitmap file and back.
  const auto converted = picture.ToBitmap();
  const std::string path = scratchPath("qb_saved.bmp");
  picture.SaveAsBitmapFile(path);
  Bitmap reloaded;
  reloaded.LoadFromFile(path);
  ASSERT_EQ(reloaded.Width(), 40);
  ASSERT_EQ(reloaded.Height(), 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(reloaded.PixelRgb(x, y), converted->PixelRgb(x, y)) << x << "," << y;
  DeleteFileW(qb::win::widen(path).c_str());
}

TEST(Pictures, ExtensionChoosesTheKind) {
  Picture picture;
  EXPECT_THROW(picture.LoadFromFile(sample("picture.xyz")), PictureError);
  EXPECT_THROW(picture.LoadFromFile(sample("missing.bmp")), PictureError);
  picture.LoadFromFile(sample("picture.bmp"));
  // A GIF named .jpg goes to libjpeg and fails; the earlier picture stays.
  const std::string misnamed = scratchPath("qb_misnamed.JPG");
  writeBytes(misnamed, readBytes(sample("picture.gif")));
  EXPECT_THROW(picture.LoadFromFile(misnamed), PictureError);
  EXPECT_EQ(picture.Width(), 40);
  DeleteFileW(qb::win::widen(misnamed).c_str());
}

}  // namespace
}  // namespace qb::tk::pictures
