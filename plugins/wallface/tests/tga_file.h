#pragma once
// Builds small Targa files for the reader's tests.
#include <cstdint>
#include <vector>

namespace qb::tga::testing {

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
    Bytes b{static_cast<std::uint8_t>(id.size()), colourMapType, imageType, 0, 0,
            static_cast<std::uint8_t>(colourMapLength), static_cast<std::uint8_t>(colourMapLength >> 8),
            colourMapEntrySize, 0, 0, 0, 0,
            static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
            static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8), depth, descriptor};
    b.insert(b.end(), id.begin(), id.end());
    b.insert(b.end(), colourMap.begin(), colourMap.end());
    b.insert(b.end(), data.begin(), data.end());
    if (footer) {
      static const char kSignature[] = "TRUEVISION-XFILE.";
      b.insert(b.end(), 8, 0);
      b.insert(b.end(), kSignature, kSignature + sizeof kSignature);
    }
    return b;
  }
};

}  // namespace qb::tga::testing
