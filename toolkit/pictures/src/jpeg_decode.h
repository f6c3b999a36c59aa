#pragma once
// libjpeg behind a plain interface; kept apart from windows.h, whose
// `boolean` differs from libjpeg's.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qb::tk::pictures::jpeg {

// Where the decoder puts the picture: asked for its size once, then for the
// memory of each row (top row first), which takes width * 3 bytes of blue,
// green, red.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual bool Allocate(std::uint32_t width, std::uint32_t height) = 0;
  virtual std::uint8_t* Row(std::uint32_t fromTop) = 0;
};

// Pictures whose decoded rows would take more than this are refused unread.
inline constexpr std::uint64_t kLargestPicture = std::uint64_t{256} << 20;
inline constexpr char kTooLarge[] = "too large";

// Empty when the picture was decoded; the reason otherwise (kTooLarge when
// the picture is larger than kLargestPicture or the sink refused its size). Damage that the
// library can step over leaves the rest of the picture grey, as it does.
std::string Decode(const std::uint8_t* data, std::size_t size, Sink& sink);

}  // namespace qb::tk::pictures::jpeg
