#pragma once
// Pictures of the toolkit: a common interface for every kind of picture, the
// device-independent bitmap that the others are converted to, and the error
// that loading raises.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace qb::tk::pictures {

// Raised when a picture cannot be read or written; the text is for the user.
class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Any picture: knows its size in pixels and draws itself stretched into a
// rectangle of a device context.
class Graphic {
 public:
  virtual ~Graphic() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const { return Width() == 0 || Height() == 0; }
  virtual void Draw(HDC dc, const RECT& target) const = 0;
  // Loads from the bytes of a whole file.
  virtual void LoadFromStream(const std::uint8_t* data, std::size_t size) = 0;
  void LoadFromFile(const std::string& utf8Path);
};

// Reads a whole file; PictureError when it cannot.
std::vector<std::uint8_t> ReadWholeFile(const std::string& utf8Path);

}  // namespace qb::tk::pictures
