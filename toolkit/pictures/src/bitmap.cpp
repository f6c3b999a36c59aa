#include "qb/tk/pictures/bitmap.h"

#include <algorithm>
#include <cstring>

#include "messages.h"
#include "qb/win/gdi.h"
#include "qb/win/text.h"
#include "qb/tk/pictures/ole_picture.h"

namespace qb::tk::pictures {
namespace {

constexpr std::size_t kLargestBitmap = std::size_t{256} << 20;

std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Computed wide: a 32-bit size_t overflows for the widths a bad file may claim.
std::uint64_t rowBytesFor(LONG width, int bitsPerPixel) {
  return ((static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

// A device context runs out like memory does.
qb::win::UniqueDc memoryDcOrThrow() {
  qb::win::UniqueDc dc = qb::win::createMemoryDc();
  if (!dc) throw PictureError(text::kTooLarge);
  return dc;
}

// The header of a bitmap with a colour table or masks of `tableBytes` after it.
std::vector<std::uint8_t> makeInfo(const BITMAPINFOHEADER& header, std::size_t tableBytes) {
  std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + tableBytes, 0);
  std::memcpy(info.data(), &header, sizeof header);
  return info;
}

}  // namespace

std::size_t Bitmap::RowBytes() const { return static_cast<std::size_t>(rowBytesFor(width_, bitsPerPixel_)); }

void Bitmap::SetFormat(int width, int height, int bitsPerPixel, const RGBQUAD* palette) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitsPerPixel);
  h.biCompression = bitsPerPixel == 16 ? BI_BITFIELDS : BI_RGB;
  h.biClrUsed = bitsPerPixel == 8 ? 256 : 0;
  std::vector<std::uint8_t> info = makeInfo(h, bitsPerPixel == 8 ? 256 * sizeof(RGBQUAD) : bitsPerPixel == 16 ? 12 : 0);
  if (bitsPerPixel == 8) {
    auto* table = reinterpret_cast<RGBQUAD*>(info.data() + sizeof h);
    for (int i = 0; i < 256; ++i) {
      const BYTE grey = static_cast<BYTE>(i);
      table[i] = palette ? palette[i] : RGBQUAD{grey, grey, grey, 0};
    }
  } else if (bitsPerPixel == 16) {
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.data() + sizeof h, masks, sizeof masks);
  }

  handle_.reset();
  bits_ = nullptr;
  width_ = height_ = bitsPerPixel_ = 0;
  info_.clear();
  if (width <= 0 || height <= 0) return;
  const std::uint64_t wide = rowBytesFor(width, bitsPerPixel) * static_cast<std::uint64_t>(height);
  if (wide > kLargestBitmap) throw PictureError(text::kTooLarge);
  const std::size_t size = static_cast<std::size_t>(wide);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                    nullptr, 0);
  if (!bitmap || !bits) throw PictureError(text::kTooLarge);
  handle_.reset(bitmap);
  bits_ = static_cast<std::uint8_t*>(bits);
  std::memset(bits_, 0, size);
  info_ = std::move(info);
  width_ = width;
  height_ = height;
  bitsPerPixel_ = bitsPerPixel;
}

COLORREF Bitmap::PixelRgb(int x, int yFromTop) const {
  if (x < 0 || x >= width_ || yFromTop < 0 || yFromTop >= height_) return CLR_INVALID;
  const qb::win::UniqueDc dc = memoryDcOrThrow();
  const qb::win::SelectionScope onBitmap(dc.get(), Handle());
  return GetPixel(dc.get(), x, yFromTop);
}

void Bitmap::Draw(HDC dc, const RECT& target) const {
  if (Empty()) return;
  const int w = target.right - target.left;
  const int h = target.bottom - target.top;
  const bool sameSize = w == width_ && h == height_;
  const int oldMode = SetStretchBltMode(dc, sameSize ? COLORONCOLOR : HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, target.left, target.top, w, h, 0, 0, width_, height_, bits_,
                reinterpret_cast<const BITMAPINFO*>(info_.data()), DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
}

void Bitmap::Assign(const Bitmap& other) {
  if (&other == this) return;
  if (other.Empty()) {
    SetFormat(0, 0, 24);
    return;
  }
  const auto* table = reinterpret_cast<const RGBQUAD*>(other.info_.data() + sizeof(BITMAPINFOHEADER));
  SetFormat(other.width_, other.height_, other.bitsPerPixel_, other.bitsPerPixel_ == 8 ? table : nullptr);
  std::memcpy(bits_, other.bits_, RowBytes() * static_cast<std::size_t>(height_));
}

void Bitmap::LoadFromStream(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kFileHeader = 14;
  if (size < kFileHeader + sizeof(BITMAPINFOHEADER) || data[0] != 'B' || data[1] != 'M') {
    throw PictureError(text::kBadBitmap);
  }
  const std::uint32_t bitsOffset = le32(data + 10);
  const std::uint32_t headerSize = le32(data + kFileHeader);
  BITMAPINFOHEADER h{};
  std::memcpy(&h, data + kFileHeader, sizeof h);
  const int bpp = h.biBitCount;
  const bool plain = headerSize >= sizeof h && headerSize <= size - kFileHeader && h.biPlanes == 1 &&
                     h.biWidth > 0 && h.biHeight != 0 && h.biHeight != LONG_MIN &&
                     ((h.biCompression == BI_RGB && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) ||
                      (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)));
  if (!plain) {
    // Compressed and old-style bitmaps: the system reads them, we keep the result.
    OlePicture picture;
    picture.LoadFromStream(data, size);
    std::unique_ptr<Bitmap> drawn = RenderToBitmap(picture);
    Assign(*drawn);
    return;
  }

  // Colour table or masks as the file has them, after a header of the plain size.
  std::size_t tableBytes = 0;
  const std::uint8_t* table = data + kFileHeader + headerSize;
  if (bpp <= 8) {
    const std::uint32_t colours = h.biClrUsed && h.biClrUsed < (1u << bpp) ? h.biClrUsed : (1u << bpp);
    tableBytes = colours * sizeof(RGBQUAD);
  } else if (h.biCompression == BI_BITFIELDS) {
    tableBytes = 12;
    if (headerSize >= 52) table = data + kFileHeader + sizeof h;  // masks inside the newer headers
  }
  if (static_cast<std::size_t>(table - data) + tableBytes > size) throw PictureError(text::kBadBitmap);

  const bool topDown = h.biHeight < 0;
  const LONG height = topDown ? -h.biHeight : h.biHeight;
  if (rowBytesFor(h.biWidth, bpp) * static_cast<std::uint64_t>(height) > kLargestBitmap)
    throw PictureError(text::kTooLarge);
  const std::size_t rowBytes = static_cast<std::size_t>(rowBytesFor(h.biWidth, bpp));

  BITMAPINFOHEADER own = h;
  own.biSize = sizeof own;
  own.biHeight = height;
  own.biSizeImage = 0;
  own.biClrUsed = bpp <= 8 ? static_cast<DWORD>(tableBytes / sizeof(RGBQUAD)) : 0;
  std::vector<std::uint8_t> info = makeInfo(own, tableBytes);
  std::memcpy(info.data() + sizeof own, table, tableBytes);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits,
                                    nullptr, 0);
  if (!bitmap || !bits) throw PictureError(text::kTooLarge);
  handle_.reset(bitmap);
  bits_ = static_cast<std::uint8_t*>(bits);
  info_ = std::move(info);
  width_ = h.biWidth;
  height_ = height;
  bitsPerPixel_ = bpp;

  // Rows the file lacks stay black.
  std::memset(bits_, 0, rowBytes * static_cast<std::size_t>(height));
  const std::size_t available = bitsOffset < size ? size - bitsOffset : 0;
  for (LONG r = 0; r < height; ++r) {
    const std::size_t offset = static_cast<std::size_t>(r) * rowBytes;
    if (offset >= available) break;
    const LONG bufferRow = topDown ? height - 1 - r : r;
    std::memcpy(bits_ + static_cast<std::size_t>(bufferRow) * rowBytes, data + bitsOffset + offset,
                std::min(rowBytes, available - offset));
  }
}

void Bitmap::SaveToFile(const std::string& utf8Path) const {
  if (Empty()) throw PictureError(text::kEmpty);
  const std::size_t imageBytes = RowBytes() * static_cast<std::size_t>(height_);
  BITMAPFILEHEADER f{};
  f.bfType = 0x4D42;  // "BM"
  f.bfOffBits = static_cast<DWORD>(sizeof f + info_.size());
  f.bfSize = static_cast<DWORD>(f.bfOffBits + imageBytes);

  // Written beside the target and moved over it only when complete, so a save
  // that fails (a full disk, a target that cannot be replaced) leaves the
  // earlier file whole and no partial one behind.
  const std::wstring target = qb::win::widen(utf8Path);
  const std::wstring temporary = target + L".qbtmp";
  struct RemoveUnlessKept {
    const std::wstring& path;
    bool keep = false;
    ~RemoveUnlessKept() {
      if (!keep) DeleteFileW(path.c_str());
    }
  } cleanup{temporary};
  {
    qb::win::UniqueFileHandle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      cleanup.keep = true;  // not ours: it could not be created
      throw PictureError(text::kCannotWrite + utf8Path);
    }
    auto write = [&](const void* p, std::size_t n) {
      DWORD written = 0;
      if (!WriteFile(file.get(), p, static_cast<DWORD>(n), &written, nullptr) || written != n)
        throw PictureError(text::kCannotWrite + utf8Path);
    };
    write(&f, sizeof f);
    write(info_.data(), info_.size());
    GdiFlush();
    write(bits_, imageBytes);
    if (!FlushFileBuffers(file.get())) throw PictureError(text::kCannotWrite + utf8Path);
  }
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw PictureError(text::kCannotWrite + utf8Path);
  cleanup.keep = true;
}

std::unique_ptr<Bitmap> RenderToBitmap(const Graphic& graphic) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->SetFormat(graphic.Width(), graphic.Height(), 24);
  if (bitmap->Empty()) return bitmap;
  std::memset(bitmap->Bits(), 0xFF, bitmap->RowBytes() * static_cast<std::size_t>(bitmap->Height()));
  {
    const qb::win::UniqueDc dc = memoryDcOrThrow();
    const qb::win::SelectionScope onBitmap(dc.get(), bitmap->Handle());
    const RECT all{0, 0, graphic.Width(), graphic.Height()};
    graphic.Draw(dc.get(), all);
  }
  GdiFlush();
  return bitmap;
}

}  // namespace qb::tk::pictures
