#pragma once
// Builds small Targa files for the reader's tests.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qb::wallface::tga::testing {

using Bytes = std::vector<std::uint8_t>;

struct TgaFile {
  std::uint8_t colourMapType = 0;
  std::uint8_t imageType = 2;
  std::uint16_t colourMapLength = 0;
  std::uint8_t colourMapEntrySize = 0;
  std::uint16_t width = 1;
  std::uint16_t height = 1;
  std::uint8_t depth = 24;
  std::uint8_t descriptor = 0;
  Bytes id;
  Bytes colourMap;
  Bytes data;
  bool footer = true;

  Bytes bytes() const {
    static const char kSignature[] = "TRUEVISION-XFILE.";
    const std::uint8_t header[18] = {
        static_cast<std::uint8_t>(id.size()), colourMapType, imageType, 0, 0,
        static_cast<std::uint8_t>(colourMapLength), static_cast<std::uint8_t>(colourMapLength >> 8),
        colourMapEntrySize, 0, 0, 0, 0,
        static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
        static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8), depth, descriptor};
    const std::size_t footerSize = footer ? 8 + sizeof kSignature : 0;
    Bytes b(sizeof header + id.size() + colourMap.size() + data.size() + footerSize, 0);
    auto at = std::copy(header, header + sizeof header, b.begin());
    at = std::copy(id.begin(), id.end(), at);
    at = std::copy(colourMap.begin(), colourMap.end(), at);
    at = std::copy(data.begin(), data.end(), at);
    if (footer) std::copy(kSignature, kSignature + sizeof kSignature, at + 8);
    return b;
  }
};

}  // namespace qb::wallface::tga::testing
