#pragma once
// Picture kinds by file extension, and a picture that loads any of them.
//
// Built in: "bmp"; "wmf" and "emf" (metafiles); "gif"; "jpg" and "jpeg".
// A module adds its own kinds with a FileFormatRegistration for as long as it
// is loaded.
#include <memory>
#include <string>
#include <vector>

#include "qb/tk/pictures/bitmap.h"
#include "qb/tk/pictures/graphic.h"

namespace qb::tk::pictures {

using GraphicFactory = std::unique_ptr<Graphic> (*)();

template <typename T>
std::unique_ptr<Graphic> MakeGraphic() {
  return std::make_unique<T>();
}

struct FileFormat {
  std::string extension;  // lower case, without the dot
  std::string description;
  GraphicFactory factory;
};

// Later registrations of an extension take precedence over earlier ones.
void RegisterFileFormat(const std::string& extension, const std::string& description, GraphicFactory factory);
// Removes every extension that the factory was registered for.
void UnregisterGraphicClass(GraphicFactory factory);
std::vector<FileFormat> FileFormats();

// Registers a kind while it lives; a module keeps one as a global object.
class FileFormatRegistration {
 public:
  FileFormatRegistration(const std::string& extension, const std::string& description, GraphicFactory factory)
      : factory_(factory) {
    RegisterFileFormat(extension, description, factory);
  }
  FileFormatRegistration(const FileFormatRegistration&) = delete;
  FileFormatRegistration& operator=(const FileFormatRegistration&) = delete;
  ~FileFormatRegistration() { UnregisterGraphicClass(factory_); }

 private:
  GraphicFactory factory_;
};

// A picture of any registered kind, chosen by the file's extension.
class Picture {
 public:
  // PictureError for an unknown extension or an unreadable file; the kind's
  // own errors as they are.
  void LoadFromFile(const std::string& utf8Path);
  const Graphic* GetGraphic() const { return graphic_.get(); }
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }

  // The preview: the whole picture stretched into the rectangle.
  void Draw(HDC dc, const RECT& target) const;
  // A new bitmap of the picture's size with the picture drawn at its top left.
  std::unique_ptr<Bitmap> ToBitmap() const;
  // That bitmap written as a BMP file.
  void SaveAsBitmapFile(const std::string& utf8Path) const;

 private:
  std::unique_ptr<Graphic> graphic_;
};

}  // namespace qb::tk::pictures
