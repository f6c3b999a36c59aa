#pragma once
// The toolkit picture class for Targa files: a bitmap loaded by the Targa
// reader. The module registers it for ".tga" while it is loaded.
#include <array>

#include "qb/wallface/tga_reader.h"
#include "qb/tk/pictures/bitmap.h"
#include "qb/tk/pictures/formats.h"

namespace qb::wallface {

using qb::wallface::tga::TGAExt;

class TTGAImage : public qb::tk::pictures::Bitmap {
 public:
  TTGAImage() = default;  // cleared header, no colour map, no palette

  // Loads a whole Targa file; TGAExt when the reader refuses it, leaving this
  // picture as it was.
  void LoadFromStream(const std::uint8_t* data, std::size_t size) override;
  // From another TTGAImage also takes its header, flags and colour map.
  void Assign(const qb::tk::pictures::Bitmap& other) override;

  const qb::wallface::tga::Header& Header() const { return header_; }
  bool HasColourMap() const { return hasColourMap_; }
  bool RunLength() const { return runLength_; }
  const std::array<std::uint8_t, qb::wallface::tga::kColourMapSize>& ColourMap() const { return colourMap_; }

 private:
  qb::wallface::tga::Header header_{};
  bool hasColourMap_ = false;
  bool runLength_ = false;
  std::array<std::uint8_t, qb::wallface::tga::kColourMapSize> colourMap_{};
};

inline constexpr char kTgaExtension[] = "tga";
inline constexpr char kTgaDescription[] = "Targa Image File";

// The module keeps one as a global: ".tga" files load as TTGAImage from when
// the module is loaded until it is unloaded.
class TgaFormatRegistration : public qb::tk::pictures::FileFormatRegistration {
 public:
  TgaFormatRegistration()
      : FileFormatRegistration(kTgaExtension, kTgaDescription, &qb::tk::pictures::MakeGraphic<TTGAImage>) {}
};

}  // namespace qb::wallface
