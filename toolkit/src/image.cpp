#include "qb/tk/image.h"

#include <exception>

#include "qb/tk/application.h"
#include "qb/tk/msgbox.h"

namespace qb::tk {
namespace {
const wchar_t kImageClass[] = L"QbxImage";
}

Image::Image(Container& parent, std::string name, const Bounds& b) : Control(&parent, std::move(name)) {
  Application::instance().windowClass(kImageClass, windowProc, nullptr);
  // Like a picture painted on its form: below the other controls and never over them.
  createWindow(kImageClass, WS_VISIBLE | WS_CLIPSIBLINGS, 0, b);
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Image::setBitmap(HBITMAP bitmap) {
  bitmap_.reset(bitmap);
  InvalidateRect(hwnd(), nullptr, TRUE);
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
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void Image::click() { invokeHandler(onClick, *this); }

namespace {

// Draws the bitmap selected into source, leaving out the pixels of one colour.
// A mask instead of TransparentBlt, whose library Windows 95 lacks.
void drawWithout(HDC dc, HDC source, int width, int height, COLORREF colour) {
  HDC maskDc = CreateCompatibleDC(dc);
  qb::win::UniqueGdiObject mask(CreateBitmap(width, height, 1, 1, nullptr));
  if (!maskDc || !mask) {
    if (maskDc) DeleteDC(maskDc);
    BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    return;
  }
  HGDIOBJ oldMask = SelectObject(maskDc, mask.get());
  // Colour to monochrome: pixels of the source's background colour become 1.
  const COLORREF oldSourceBack = SetBkColor(source, colour);
  BitBlt(maskDc, 0, 0, width, height, source, 0, 0, SRCCOPY);
  SetBkColor(source, oldSourceBack);
  // Monochrome to colour: 1 becomes the background (white), 0 the text colour (black).
  const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  // XOR the picture in, clear the drawn pixels, XOR it again: the left-out
  // pixels come back as they were and the others become the picture's.
  BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCINVERT);
  BitBlt(dc, 0, 0, width, height, maskDc, 0, 0, SRCAND);
  BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCINVERT);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  SelectObject(maskDc, oldMask);
  DeleteDC(maskDc);
}

}  // namespace

void Image::paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  // Composed off screen first, so the picture does not flicker.
  HDC buffer = CreateCompatibleDC(dc);
  qb::win::UniqueGdiObject canvas(CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (!buffer || !canvas) {
    if (buffer) DeleteDC(buffer);
    return;
  }
  HGDIOBJ oldCanvas = SelectObject(buffer, canvas.get());
  // Every container of the toolkit is painted in the face colour of buttons.
  FillRect(buffer, &client, GetSysColorBrush(COLOR_BTNFACE));
  BITMAP info{};
  HDC source = bitmap_ ? CreateCompatibleDC(dc) : nullptr;
  if (source && GetObjectW(bitmap_.get(), sizeof info, &info)) {
    HGDIOBJ old = SelectObject(source, bitmap_.get());
    if (transparent_)
      drawWithout(buffer, source, info.bmWidth, info.bmHeight, *transparent_);
    else
      BitBlt(buffer, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
  }
  if (source) DeleteDC(source);
  BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, oldCanvas);
  DeleteDC(buffer);
}

LRESULT CALLBACK Image::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = dynamic_cast<Image*>(Control::fromHwnd(hwnd));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_SETCURSOR:
        if (self->cursor_ && LOWORD(lp) == HTCLIENT) {
          SetCursor(self->cursor_);
          return TRUE;
        }
        break;
      case WM_LBUTTONDOWN:
        self->pressed_ = true;
        SetCapture(hwnd);
        return 0;
      case WM_LBUTTONUP: {
        const bool wasPressed = self->pressed_;
        self->pressed_ = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        RECT client{};
        GetClientRect(hwnd, &client);
        const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (wasPressed && PtInRect(&client, at)) self->click();
        return 0;
      }
      case WM_CAPTURECHANGED:
        self->pressed_ = false;
        return 0;
      default:
        break;
    }
  } catch (...) {
    reportCurrentException(hwnd);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace qb::tk
