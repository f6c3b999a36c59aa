#include "qb/tk/painted_control.h"

#include <exception>

#include "qb/tk/application.h"
#include "qb/tk/msgbox.h"
#include "qb/win/gdi.h"

namespace qb::tk {
namespace {
const wchar_t kPaintedClass[] = L"QbxPainted";

POINT pointOf(LPARAM lp) { return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}; }
}  // namespace

PaintedControl::PaintedControl(Container& parent, std::string name, const Bounds& b, DWORD style, DWORD exStyle)
    : Control(&parent, std::move(name)) {
  // Drawn anew whenever resized: what such controls show usually scales with their size.
  Application::instance().windowClass(kPaintedClass, windowProc, nullptr, CS_HREDRAW | CS_VREDRAW);
  createWindow(kPaintedClass, WS_VISIBLE | style, exStyle, b);
}

void PaintedControl::repaint() { InvalidateRect(hwnd(), nullptr, FALSE); }

void PaintedControl::click() { invokeHandler(onClick, *this); }

bool PaintedControl::handleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void PaintedControl::paintWithDefaults(HDC dc, const RECT& client) {
  const qb::win::SavedDcState saved(dc);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const qb::win::SelectionScope withFont(dc, font_ ? font_ : Application::instance().font());
  paint(dc, client);
}

void PaintedControl::render(HDC target) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  const qb::win::UniqueDc buffer = qb::win::createMemoryDc(target);
  const qb::win::UniqueGdiObject canvas(buffer ? CreateCompatibleBitmap(target, client.right, client.bottom)
                                               : nullptr);
  if (!canvas) {
    // Short of memory: flickering beats showing nothing.
    paintWithDefaults(target, client);
    return;
  }
  const qb::win::SelectionScope onCanvas(buffer.get(), canvas.get());
  paintWithDefaults(buffer.get(), client);
  BitBlt(target, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
}

bool PaintedControl::handleStandardMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_ERASEBKGND:
      // Painting covers every pixel; erasing first would only flicker.
      result = 1;
      return true;
    case WM_PAINT: {
      const qb::win::PaintScope scope(hwnd());
      if (scope.dc()) render(scope.dc());
      return true;
    }
    case WM_PRINTCLIENT:
      render(reinterpret_cast<HDC>(wp));
      return true;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) repaint();
      return true;
    case WM_GETFONT:
      result = reinterpret_cast<LRESULT>(font_);
      return true;
    case WM_ENABLE:
      repaint();
      return true;
    case WM_SETCURSOR:
      if (cursor_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(cursor_);
        result = TRUE;
        return true;
      }
      return false;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(hwnd());
      mouseDown(MouseButton::Left, pointOf(lp));
      return true;
    case WM_LBUTTONUP: {
      // Releasing the capture resets pressed_ through WM_CAPTURECHANGED.
      const bool wasPressed = pressed_;
      pressed_ = false;
      if (GetCapture() == hwnd()) ReleaseCapture();
      const POINT at = pointOf(lp);
      mouseUp(MouseButton::Left, at);
      RECT client{};
      GetClientRect(hwnd(), &client);
      if (wasPressed && PtInRect(&client, at)) click();
      return true;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return true;
    // The other buttons go on to the default handling, which raises WM_CONTEXTMENU.
    case WM_RBUTTONDOWN:
      mouseDown(MouseButton::Right, pointOf(lp));
      return false;
    case WM_RBUTTONUP:
      mouseUp(MouseButton::Right, pointOf(lp));
      return false;
    case WM_MBUTTONDOWN:
      mouseDown(MouseButton::Middle, pointOf(lp));
      return false;
    case WM_MBUTTONUP:
      mouseUp(MouseButton::Middle, pointOf(lp));
      return false;
    case WM_MOUSEMOVE:
      mouseMove(pointOf(lp));
      return false;
    default:
      return false;
  }
}

LRESULT CALLBACK PaintedControl::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = dynamic_cast<PaintedControl*>(Control::fromHwnd(hwnd));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    LRESULT result = 0;
    if (self->handleMessage(msg, wp, lp, result) || self->handleStandardMessage(msg, wp, lp, result)) return result;
  } catch (...) {
    reportCurrentException(hwnd);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace qb::tk
