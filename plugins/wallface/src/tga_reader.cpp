#include "qb/wallface/tga_reader.h"

#include <algorithm>
#include <cstring>

namespace qb::wallface::tga {
namespace {

constexpr std::uint8_t kOriginMask = 0x30;
constexpr std::uint8_t kOriginBottomLeft = 0x00;
constexpr std::uint8_t kOriginTopLeft = 0x20;

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// Where the file's rows go in a bottom-up buffer; refuses right-to-left origins
// with the message of the decoder that meets them.
class RowOrder {
 public:
  RowOrder(std::uint8_t descriptor, std::uint32_t height, const char* refusal) : height_(height) {
    const std::uint8_t origin = descriptor & kOriginMask;
    if (origin != kOriginBottomLeft && origin != kOriginTopLeft) throw TGAExt(refusal);
    fromTop_ = origin == kOriginTopLeft;
  }
  std::uint32_t bufferRow(std::uint32_t fileRow) const { return fromTop_ ? height_ - 1 - fileRow : fileRow; }

 private:
  std::uint32_t height_;
  bool fromTop_ = false;
};

// 15 bits of 5-5-5 (bit 15 unused) to 5-6-5 with the lowest green bit clear.
inline std::uint16_t to565(std::uint16_t v) {
  return static_cast<std::uint16_t>(((v & 0x7C00u) << 1) | ((v & 0x03E0u) << 1) | (v & 0x001Fu));
}

void copyRows(const std::uint8_t* src, std::size_t count, Dib& dib, const RowOrder& order, unsigned pixelBytes) {
  const std::size_t fileRowBytes = static_cast<std::size_t>(dib.width) * pixelBytes;
  const std::size_t stride = dib.rowBytes();
  for (std::uint32_t r = 0; r < dib.height; ++r) {
    const std::size_t offset = r * fileRowBytes;
    if (offset >= count) break;
    const std::size_t n = std::min(fileRowBytes, count - offset);
    std::uint8_t* dst = dib.pixels.data() + order.bufferRow(r) * stride;
    if (pixelBytes == 2) {
      for (std::size_t i = 0; i + 1 < n; i += 2) {
        const std::uint16_t v = to565(le16(src + offset + i));
        dst[i] = static_cast<std::uint8_t>(v);
        dst[i + 1] = static_cast<std::uint8_t>(v >> 8);
      }
    } else {
      std::memcpy(dst, src + offset, n);
    }
  }
}

// Run-length pictures are mostly packets of a few pixels, so what a packet
// costs beyond its bytes decides the speed. Away from a row's end a packet is
// written in whole 16-byte stores that may run up to 15 bytes past it: those
// bytes belong to the row's next pixels, which later packets write.
constexpr std::size_t kStoreSlack = 16;

// One pixel of 1, 3 or 4 bytes repeated across 16 bytes; `step` of them
// (the whole pixels in those 16 bytes) advance one store.
template <unsigned pixelBytes>
struct RepeatPattern {
  static constexpr std::size_t step = kStoreSlack / pixelBytes * pixelBytes;
  std::uint8_t bytes[kStoreSlack];
  explicit RepeatPattern(const std::uint8_t* pixel) {
    for (std::size_t i = 0; i < kStoreSlack; ++i) bytes[i] = pixel[i % pixelBytes];
  }
};

// Run-length rows: a packet header h above 127 repeats one pixel h-127 times,
// otherwise h+1 literal pixels follow. A row ends once it has at least width
// pixels; whatever a packet gives past the row's end is dropped, never written
// into the next row or outside the buffer. When the data runs out, the rest
// of the row is cleared: pixels without data stay zero.
template <unsigned pixelBytes>
void decodeRunLength(const std::uint8_t* src, std::size_t count, Dib& dib, const RowOrder& order) {
  const std::uint8_t* const end = src + count;
  const std::size_t stride = dib.rowBytes();
  const std::uint32_t width = dib.width;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * pixelBytes;
  for (std::uint32_t r = 0; r < dib.height; ++r) {
    std::uint8_t* const row = dib.pixels.data() + order.bufferRow(r) * stride;
    std::uint8_t* const rowEnd = row + rowBytes;
    std::uint8_t* out = row;
    // Ends the decoding with the row's undecoded rest cleared.
    auto stop = [&](std::uint8_t* written) { std::memset(written, 0, static_cast<std::size_t>(rowEnd - written)); };
    while (out < rowEnd) {
      if (src >= end) return stop(out);
      const std::uint8_t h = *src++;
      const std::size_t packetBytes = ((h & 0x7Fu) + 1u) * static_cast<std::size_t>(pixelBytes);
      const std::size_t roomBytes = std::min(packetBytes, static_cast<std::size_t>(rowEnd - out));
      const bool slack = static_cast<std::size_t>(rowEnd - out) >= roomBytes + kStoreSlack;
      if (h & 0x80) {
        if (static_cast<std::size_t>(end - src) < pixelBytes) return stop(out);
        if (slack) {
          const RepeatPattern<pixelBytes> pattern(src);
          // Two stores cover most runs; a fixed pair costs less than a loop
          // whose length the processor has to guess.
          std::memcpy(out, pattern.bytes, kStoreSlack);
          if (static_cast<std::size_t>(rowEnd - out) >= pattern.step + kStoreSlack)
            std::memcpy(out + pattern.step, pattern.bytes, kStoreSlack);
          for (std::size_t done = 2 * pattern.step; done < roomBytes; done += pattern.step)
            std::memcpy(out + done, pattern.bytes, kStoreSlack);
        } else {
          for (std::size_t done = 0; done < roomBytes; done += pixelBytes) std::memcpy(out + done, src, pixelBytes);
        }
        src += pixelBytes;
      } else {
        const std::size_t available = static_cast<std::size_t>(end - src) / pixelBytes * pixelBytes;
        const std::size_t copied = std::min(roomBytes, available);
        if (slack && static_cast<std::size_t>(end - src) >= copied + kStoreSlack) {
          for (std::size_t done = 0; done < copied; done += kStoreSlack) std::memcpy(out + done, src + done, kStoreSlack);
        } else {
          std::memcpy(out, src, copied);
        }
        if (available < packetBytes) return stop(out + copied);
        src += packetBytes;
      }
      out += roomBytes;
    }
  }
}

bool isListedType(std::uint8_t type) {
  switch (type) {
    case 1: case 2: case 3: case 9: case 10: case 11: return true;
    default: return false;
  }
}

void decodePixels(const Image& image, const std::uint8_t* src, std::size_t count, Dib& dib) {
  const std::uint8_t type = image.header.imageType;
  const std::uint8_t descriptor = image.header.descriptor;
  switch (dib.bitsPerPixel) {
    case 8: {
      const RowOrder order(descriptor, dib.height, kUnsupportedImageFormat);
      if (type == 1 || type == 3) return copyRows(src, count, dib, order, 1);
      if (type == 9 || type == 11) return decodeRunLength<1>(src, count, dib, order);
      throw TGAExt(kUnsupportedImageFormat);
    }
    case 16: {
      if (type != 2) throw TGAExt(kUnsupportedImageFormat);
      const RowOrder order(descriptor, dib.height, kUnsupportedImageFormat);
      return copyRows(src, count, dib, order, 2);
    }
    case 24: {
      const RowOrder order(descriptor, dib.height, kUnsupportedFormat);
      if (type == 2) return copyRows(src, count, dib, order, 3);
      if (type == 10) return decodeRunLength<3>(src, count, dib, order);
      throw TGAExt(kUnsupportedFormat);
    }
    default: {  // 32
      const RowOrder order(descriptor, dib.height, kUnsupportedImageType);
      if (type == 2) return copyRows(src, count, dib, order, 4);
      if (type == 10) return decodeRunLength<4>(src, count, dib, order);
      throw TGAExt(kUnsupportedImageType);
    }
  }
}

}  // namespace

Header Header::parse(const std::uint8_t (&b)[kHeaderSize]) {
  Header h;
  h.idLength = b[0];
  h.colourMapType = b[1];
  h.imageType = b[2];
  h.firstMapEntry = le16(b + 3);
  h.colourMapLength = le16(b + 5);
  h.colourMapEntrySize = b[7];
  h.xOrigin = le16(b + 8);
  h.yOrigin = le16(b + 10);
  h.width = le16(b + 12);
  h.height = le16(b + 14);
  h.pixelDepth = b[16];
  h.descriptor = b[17];
  return h;
}

Image decode(const std::uint8_t* data, std::size_t size, const Limits& limits) {
  if (size < kHeaderSize) throw TGAExt(kTruncatedFile);
  std::uint8_t raw[kHeaderSize];
  std::memcpy(raw, data, kHeaderSize);

  Image image;
  image.header = Header::parse(raw);
  const Header& h = image.header;
  Dib& dib = image.bitmap;
  dib.width = h.width;
  dib.height = h.height;
  image.hasColourMap = h.colourMapType == 1;

  if (h.imageType == 0) throw TGAExt(kNoImageData);
  if (h.imageType == 3 || h.imageType == 11) dib.monochrome = true;
  image.runLength = h.imageType == 9 || h.imageType == 10 || h.imageType == 11;

  switch (h.pixelDepth) {
    case 8: case 16: case 24: case 32: break;
    default: throw TGAExt(kUnsupportedImageFormat);
  }
  // An empty picture cannot be shown or saved, and a huge one is refused before
  // anything is allocated for it.
  const std::uint64_t bufferSize = static_cast<std::uint64_t>(Dib::rowBytesFor(dib.width, h.pixelDepth)) * dib.height;
  if (bufferSize == 0 || bufferSize > limits.maxPixelBytes) throw TGAExt(kUnsupportedImageFormat);

  std::size_t pos = kHeaderSize;
  if (size - pos < h.idLength) throw TGAExt(kTruncatedFile);
  pos += h.idLength;

  if (image.hasColourMap) {
    if (size - pos < kColourMapSize) throw TGAExt(kTruncatedFile);
    std::memcpy(image.colourMap.data(), data + pos, kColourMapSize);
    pos += kColourMapSize;
    for (std::size_t i = 0; i < 256; ++i) {
      dib.palette[i] = {image.colourMap[i * 3 + 2], image.colourMap[i * 3 + 1], image.colourMap[i * 3]};
    }
    dib.hasPalette = true;
  }

  dib.bitsPerPixel = h.pixelDepth;
  dib.pixels.resize(static_cast<std::size_t>(bufferSize));  // zeroed by the allocator

  // The last bytes of the file are its footer, never pixels. Uncompressed data
  // is also capped by the picture's own size; run-length data may be larger
  // than the picture when it does not compress, so only the file caps it.
  const std::size_t beforeFooter = size - pos > kFooterSize ? size - pos - kFooterSize : 0;
  std::size_t count = beforeFooter;
  if (!image.runLength) {
    const std::uint64_t imageBytes = static_cast<std::uint64_t>(h.width) * h.height * h.pixelDepth / 8;
    count = static_cast<std::size_t>(std::min<std::uint64_t>({imageBytes, beforeFooter, bufferSize}));
  }
  if (isListedType(h.imageType)) decodePixels(image, data + pos, count, dib);
  return image;
}

}  // namespace qb::wallface::tga
