#pragma once
// A device-independent bitmap held in a DIB section: 8-bit with a palette,
// 16-bit 5-6-5, 24- or 32-bit; bottom row first, rows padded to 4 bytes.
#include <windows.h>

#include "qb/win/handles.h"
#include "qb/tk/pictures/graphic.h"

namespace qb::tk::pictures {

class Bitmap : public Graphic {
 public:
  Bitmap() = default;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  // Replaces the picture with a zeroed one of this format. palette: 256
  // entries for 8 bits (null gives shades of grey); ignored otherwise.
  void SetFormat(int width, int height, int bitsPerPixel, const RGBQUAD* palette = nullptr);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const { return bitsPerPixel_; }
  std::size_t RowBytes() const;
  std::uint8_t* Bits() { return bits_; }
  const std::uint8_t* Bits() const { return bits_; }
  HBITMAP Handle() const { return static_cast<HBITMAP>(handle_.get()); }
  // The colour of one pixel, counted from the top left (a COLORREF, as RGB() makes it).
  COLORREF PixelRgb(int x, int yFromTop) const;

  void Draw(HDC dc, const RECT& target) const override;
  // A BMP file (any the system can show; compressed ones go through it).
  void LoadFromStream(const std::uint8_t* data, std::size_t size) override;
  void SaveToFile(const std::string& utf8Path) const;
  // Copies another bitmap's format and pixels.
  virtual void Assign(const Bitmap& other);

 private:
  void CopyBitsFrom(const BITMAPINFO* info, const std::uint8_t* bits, std::size_t available);

  qb::win::UniqueGdiObject handle_;
  std::vector<std::uint8_t> info_;  // BITMAPINFOHEADER and colour table or masks
  std::uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 0;
};

// Draws any picture at the top left of a new 24-bit bitmap of its size, on white.
std::unique_ptr<Bitmap> RenderToBitmap(const Graphic& graphic);

}  // namespace qb::tk::pictures
