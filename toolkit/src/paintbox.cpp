#include "qb/tk/paintbox.h"

#include "qb/tk/application.h"

namespace qb::tk {
namespace {
const wchar_t kPaintBoxClass[] = L"QbxPaintBox";
}  // namespace

PaintBox::PaintBox(Container& parent, std::string name, const Bounds& b) : Control(&parent, std::move(name)) {
  // The system's own handling erases with the face colour and validates.
  Application::instance().windowClass(kPaintBoxClass, DefWindowProcW, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  createWindow(kPaintBoxClass, WS_VISIBLE, 0, b);
}

int PaintBox::clientWidth() const {
  RECT r{};
  GetClientRect(hwnd(), &r);
  return r.right;
}

int PaintBox::clientHeight() const {
  RECT r{};
  GetClientRect(hwnd(), &r);
  return r.bottom;
}

}  // namespace qb::tk
