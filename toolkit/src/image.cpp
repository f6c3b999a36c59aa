#include "qb/tk/image.h"

#include "qb/tk/application.h"
#include "qb/win/gdi.h"

namespace qb::tk {

Image::Image(Container& parent, std::string name, const Bounds& b)
    : PaintedControl(parent, std::move(name), b, WS_CLIPSIBLINGS) {
  // Like a picture painted on its form: below the other controls and never over them.
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Image::setBitmap(HBITMAP bitmap) {
  bitmap_.reset(bitmap);
  repaint();
}

bool Image::loadBitmapResource(int id) {
  auto* loaded = static_cast<HBITMAP>(
      LoadImageW(moduleInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!loaded) return false;
  setBitmap(loaded);
  return true;
}

void Image::setTransparentColor(std::optional<COLORREF> colour) {
  transparent_ = colour;
  repaint();
}

namespace {

// Draws the bitmap selected into source, leaving out the pixels of one colour.
// A mask instead of TransparentBlt, whose library Windows 95 lacks.
void drawWithout(HDC dc, HDC source, int width, int height, COLORREF colour) {
  const qb::win::UniqueDc maskDc = qb::win::createMemoryDc(dc);
  const qb::win::UniqueGdiObject mask(CreateBitmap(width, height, 1, 1, nullptr));
  if (!maskDc || !mask) {
    BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    return;
  }
  const qb::win::SelectionScope onMask(maskDc.get(), mask.get());
  {
    // Colour to monochrome: pixels of the source's background colour become 1.
    const qb::win::SavedDcState sourceState(source);
    SetBkColor(source, colour);
    BitBlt(maskDc.get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
  }
  // Monochrome to colour: 1 becomes the background (white), 0 the text colour (black).
  const qb::win::SavedDcState targetState(dc);
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  // XOR the picture in, clear the drawn pixels, XOR it again: the left-out
  // pixels come back as they were and the others become the picture's.
  BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCINVERT);
  BitBlt(dc, 0, 0, width, height, maskDc.get(), 0, 0, SRCAND);
  BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCINVERT);
}

}  // namespace

void Image::paint(HDC dc, const RECT&) {
  BITMAP info{};
  if (!bitmap_ || !GetObjectW(bitmap_.get(), sizeof info, &info)) return;
  const qb::win::UniqueDc source = qb::win::createMemoryDc(dc);
  if (!source) return;
  const qb::win::SelectionScope onSource(source.get(), bitmap_.get());
  if (transparent_)
    drawWithout(dc, source.get(), info.bmWidth, info.bmHeight, *transparent_);
  else
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
}

}  // namespace qb::tk
