#pragma once
// Targa reader: turns the bytes of a .tga file into a device-independent
// bitmap (bottom row first, rows padded to 4 bytes). Platform-free.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace qb::wallface::tga {

// Raised for every file the reader refuses; the message is shown to the user.
class TGAExt : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The user-visible texts (UTF-8).
inline constexpr char kNoImageData[] = "Plik nie posiada danych obrazu";
inline constexpr char kUnsupportedImageFormat[] = "Nieobsługiwany format obrazu";
inline constexpr char kUnsupportedFormat[] = "Nieobsługiwany format";
inline constexpr char kUnsupportedImageType[] = "Nieobsługiwany typ obrazu";
inline constexpr char kTruncatedFile[] = "Plik obrazu jest niekompletny";

inline constexpr std::size_t kHeaderSize = 18;
inline constexpr std::size_t kColourMapSize = 768;  // 256 entries of blue, green, red
inline constexpr std::size_t kFooterSize = 26;

struct Header {
  std::uint8_t idLength = 0;
  std::uint8_t colourMapType = 0;
  std::uint8_t imageType = 0;
  std::uint16_t firstMapEntry = 0;
  std::uint16_t colourMapLength = 0;
  std::uint8_t colourMapEntrySize = 0;
  std::uint16_t xOrigin = 0;
  std::uint16_t yOrigin = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t pixelDepth = 0;
  std::uint8_t descriptor = 0;

  static Header parse(const std::uint8_t (&bytes)[kHeaderSize]);
};

struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const PaletteEntry& o) const {
    return red == o.red && green == o.green && blue == o.blue;
  }
};

// Memory that comes zeroed from the system (calloc), and elements that are not
// zeroed again when the buffer is sized: a large bitmap is written once, not twice.
template <typename T>
struct ZeroedAllocator {
  using value_type = T;
  ZeroedAllocator() = default;
  template <typename U>
  ZeroedAllocator(const ZeroedAllocator<U>&) {}
  T* allocate(std::size_t n) {
    if (void* p = std::calloc(n, sizeof(T))) return static_cast<T*>(p);
    throw std::bad_alloc();
  }
  void deallocate(T* p, std::size_t) { std::free(p); }
  template <typename U>
  void construct(U* p) { ::new (static_cast<void*>(p)) U; }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) { ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...); }
  template <typename U>
  bool operator==(const ZeroedAllocator<U>&) const { return true; }
  template <typename U>
  bool operator!=(const ZeroedAllocator<U>&) const { return false; }
};

using PixelBuffer = std::vector<std::uint8_t, ZeroedAllocator<std::uint8_t>>;

// A device-independent bitmap. 16-bit pixels are 5-6-5 (red in the top bits),
// 24- and 32-bit pixels are blue, green, red (, fourth byte) in memory order.
struct Dib {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  unsigned bitsPerPixel = 0;
  bool monochrome = false;   // grayscale source: one byte of brightness a pixel
  bool hasPalette = false;
  std::array<PaletteEntry, 256> palette{};
  PixelBuffer pixels;  // bottom row first; zero where nothing was decoded

  static std::size_t rowBytesFor(std::uint32_t width, unsigned bitsPerPixel) {
    return ((static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32) * 4;
  }
  std::size_t rowBytes() const { return rowBytesFor(width, bitsPerPixel); }
  const std::uint8_t* row(std::uint32_t fromBottom) const { return pixels.data() + fromBottom * rowBytes(); }
};

// Everything a loaded Targa file keeps: its header, whether it had a colour
// map, whether its pixels were run-length encoded, the map and the bitmap.
struct Image {
  Header header;
  bool hasColourMap = false;
  bool runLength = false;
  std::array<std::uint8_t, kColourMapSize> colourMap{};
  Dib bitmap;
};

struct Limits {
  // Pictures whose pixel buffer would be larger are refused before allocating.
  std::size_t maxPixelBytes = std::size_t{256} << 20;
};

// Decodes a whole file held in memory. Pixels the file holds no data for stay
// zero. Throws TGAExt.
Image decode(const std::uint8_t* data, std::size_t size, const Limits& limits = {});

}  // namespace qb::wallface::tga
