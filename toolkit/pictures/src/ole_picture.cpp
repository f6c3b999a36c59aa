#include "qb/tk/pictures/ole_picture.h"

#include <cstring>

#include "messages.h"
#include "qb/win/gdi.h"

namespace qb::tk::pictures {
namespace {

constexpr long kHimetricPerInch = 2540;

int toPixels(long himetric, int logPixelsIndex) {
  const qb::win::WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), logPixelsIndex) : 96;
  return MulDiv(himetric, dpi, kHimetricPerInch);
}

}  // namespace

void OlePicture::LoadFromStream(const std::uint8_t* data, std::size_t size) {
  qb::win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size ? size : 1));
  if (!memory) throw PictureError(text::kTooLarge);
  void* p = GlobalLock(memory.get());
  if (!p) throw PictureError(text::kTooLarge);
  std::memcpy(p, data, size);
  GlobalUnlock(memory.get());
  qb::win::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()))) throw PictureError(text::kTooLarge);
  memory.release();  // the stream frees it with its last reference
  qb::win::ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.putVoid())) ||
      !picture) {
    throw PictureError(text::kCannotRead);
  }
  OLE_XSIZE_HIMETRIC w = 0;
  OLE_YSIZE_HIMETRIC h = 0;
  if (FAILED(picture->get_Width(&w)) || FAILED(picture->get_Height(&h)) || w <= 0 || h <= 0)
    throw PictureError(text::kCannotRead);
  picture_ = std::move(picture);
  himetricWidth_ = w;
  himetricHeight_ = h;
  width_ = toPixels(w, LOGPIXELSX);
  height_ = toPixels(h, LOGPIXELSY);
}

void OlePicture::Draw(HDC dc, const RECT& target) const {
  if (!picture_) return;
  picture_->Render(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0,
                   himetricHeight_, himetricWidth_, -himetricHeight_, nullptr);
}

}  // namespace qb::tk::pictures
