#include "qb/tk/pictures/graphic.h"

#include <algorithm>

#include "messages.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"

namespace qb::tk::pictures {

namespace {
constexpr LONGLONG kLargestFile = LONGLONG{512} << 20;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& utf8Path) {
  qb::win::UniqueFileHandle file(CreateFileW(qb::win::widen(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) throw PictureError(text::kCannotOpen + utf8Path);
  if (size.QuadPart > kLargestFile) throw PictureError(text::kTooLarge);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr) || got == 0)
      throw PictureError(text::kCannotOpen + utf8Path);
    done += got;
  }
  return bytes;
}

void Graphic::LoadFromFile(const std::string& utf8Path) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(utf8Path);
  LoadFromStream(bytes.data(), bytes.size());
}

}  // namespace qb::tk::pictures
