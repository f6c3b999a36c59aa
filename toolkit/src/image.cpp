#include "qb/tk/image.h"

#include <exception>

#include "qb/tk/application.h"
#include "qb/tk/msgbox.h"

namespace tk {
namespace {
const wchar_t kImageClass[] = L"QbxImage";
}

Image::Image(Container& parent, std::string name, const Bounds& b) : Control(&parent, std::move(name)) {
  Application::instance().windowClass(kImageClass, windowProc, nullptr);
  createWindow(kImageClass, WS_VISIBLE, 0, b);
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

void Image::paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  // Every container of the toolkit is painted in the face colour of buttons.
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (!bitmap_) return;
  BITMAP info{};
  if (!GetObjectW(bitmap_.get(), sizeof info, &info)) return;
  HDC source = CreateCompatibleDC(dc);
  if (!source) return;
  HGDIOBJ old = SelectObject(source, bitmap_.get());
  if (transparent_)
    TransparentBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, info.bmWidth, info.bmHeight, *transparent_);
  else
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
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
  } catch (const std::exception& e) {
    messageBox(hwnd, e.what(), "Qubrix", MB_OK | MB_ICONERROR);
    return 0;
  } catch (...) {
    messageBox(hwnd, "Nieznany błąd", "Qubrix", MB_OK | MB_ICONERROR);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace tk
