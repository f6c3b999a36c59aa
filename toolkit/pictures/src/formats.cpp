#include "qb/tk/pictures/formats.h"

#include <algorithm>

#include "messages.h"
#include "qb/tk/pictures/jpeg_image.h"
#include "qb/tk/pictures/ole_picture.h"

namespace qb::tk::pictures {
namespace {

std::vector<FileFormat>& registry() {
  static std::vector<FileFormat> formats{
      {"bmp", "Bitmaps", &MakeGraphic<Bitmap>},
      {"wmf", "Metafiles", &MakeGraphic<Metafile>},
      {"emf", "Enhanced Metafiles", &MakeGraphic<Metafile>},
      {"gif", "GIF Image", &MakeGraphic<GifImage>},
      {"jpg", "JPEG Image File", &MakeGraphic<JpegImage>},
      {"jpeg", "JPEG Image File", &MakeGraphic<JpegImage>},
  };
  return formats;
}

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string extensionOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return lowerAscii(path.substr(dot + 1));
}

}  // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description, GraphicFactory factory) {
  registry().push_back({lowerAscii(extension), description, factory});
}

void UnregisterGraphicClass(GraphicFactory factory) {
  auto& formats = registry();
  formats.erase(std::remove_if(formats.begin(), formats.end(),
                               [factory](const FileFormat& f) { return f.factory == factory; }),
                formats.end());
}

std::vector<FileFormat> FileFormats() { return registry(); }

void Picture::LoadFromFile(const std::string& utf8Path) {
  const std::string extension = extensionOf(utf8Path);
  const auto& formats = registry();
  const auto found = std::find_if(formats.rbegin(), formats.rend(),
                                  [&](const FileFormat& f) { return f.extension == extension; });
  if (found == formats.rend()) throw PictureError(text::kUnknownFormat + utf8Path);
  std::unique_ptr<Graphic> graphic = found->factory();
  graphic->LoadFromFile(utf8Path);
  graphic_ = std::move(graphic);  // a picture that fails to load leaves the earlier one
}

void Picture::Draw(HDC dc, const RECT& target) const {
  if (graphic_) graphic_->Draw(dc, target);
}

std::unique_ptr<Bitmap> Picture::ToBitmap() const {
  if (!graphic_ || graphic_->Empty()) throw PictureError(text::kEmpty);
  return RenderToBitmap(*graphic_);
}

void Picture::SaveAsBitmapFile(const std::string& utf8Path) const { ToBitmap()->SaveToFile(utf8Path); }

}  // namespace qb::tk::pictures
