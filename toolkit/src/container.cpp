#include "qb/tk/container.h"

#include <algorithm>
#include <exception>

#include "qb/tk/application.h"
#include "qb/tk/controls.h"
#include "qb/tk/msgbox.h"
#include "qb/win/gdi.h"

namespace qb::tk {
namespace {
const wchar_t kContainerClass[] = L"QbxContainer";
}

Container::Container(Container* parent, std::string name) : Control(parent, std::move(name)) {}

void Container::createContainer(DWORD style, DWORD exStyle, const Bounds& b, const wchar_t* windowClass) {
  const wchar_t* cls = windowClass ? windowClass : kContainerClass;
  Application::instance().windowClass(cls, windowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  createWindow(cls, style | WS_CLIPCHILDREN, exStyle | WS_EX_CONTROLPARENT, b);
}

void Container::remove(Control* c) { children_.erase(std::remove(children_.begin(), children_.end(), c), children_.end()); }

void Container::measureAnchorsAgain() {
  for (Control* c : children_)
    if (c->anchorDistances_) c->takeAnchorDistances();
}

void Container::realign() {
  if (!hwnd() || layoutDeferred_) return;
  RECT area{};
  GetClientRect(hwnd(), &area);
  const Size whole{area.right - area.left, area.bottom - area.top};
  for (Control* c : children_) {
    if (!c->hwnd()) continue;
    switch (c->align()) {
      case Align::Top: {
        const int h = c->height();
        MoveWindow(c->hwnd(), area.left, area.top, area.right - area.left, h, TRUE);
        area.top += h;
        break;
      }
      case Align::Bottom: {
        const int h = c->height();
        MoveWindow(c->hwnd(), area.left, area.bottom - h, area.right - area.left, h, TRUE);
        area.bottom -= h;
        break;
      }
      default:
        break;
    }
  }
  for (Control* c : children_)
    if (c->hwnd() && c->align() == Align::Client)
      MoveWindow(c->hwnd(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  // Anchored controls measure from the whole client area, whatever is aligned beside them.
  for (Control* c : children_) {
    if (!c->hwnd() || c->align() != Align::None || !c->anchorDistances_) continue;
    const auto& taken = *c->anchorDistances_;
    const Bounds b = anchoredBounds(c->anchors_, taken.bounds, taken.parentArea, whole);
    if (b != c->bounds()) MoveWindow(c->hwnd(), b.left, b.top, b.width, b.height, TRUE);
  }
}

bool Container::handleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CALLBACK Container::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = dynamic_cast<Container*>(Control::fromHwnd(hwnd));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    switch (msg) {
      case WM_COMMAND:
        if (lp) {
          if (Control* child = Control::fromHwnd(reinterpret_cast<HWND>(lp))) {
            child->handleCommand(HIWORD(wp));
            return 0;
          }
        }
        break;
      case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (Control* child = Control::fromHwnd(header->hwndFrom)) return child->handleNotify(header);
        break;
      }
      case WM_CTLCOLORSTATIC:
        // Labels and links with a colour of their own.
        if (auto* label = dynamic_cast<Label*>(Control::fromHwnd(reinterpret_cast<HWND>(lp)));
            label && (label->textColor() || label->backgroundBrush())) {
          const auto dc = reinterpret_cast<HDC>(wp);
          if (label->textColor()) SetTextColor(dc, *label->textColor());
          SetBkMode(dc, TRANSPARENT);
          if (label->backgroundBrush()) return reinterpret_cast<LRESULT>(label->backgroundBrush());
          return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        if (auto* link = dynamic_cast<LinkLabel*>(Control::fromHwnd(reinterpret_cast<HWND>(lp)));
            link && link->textColor()) {
          const auto dc = reinterpret_cast<HDC>(wp);
          SetTextColor(dc, *link->textColor());
          SetBkMode(dc, TRANSPARENT);
          return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
      case WM_SIZE:
        self->realign();
        break;
      case WM_NCDESTROY:
        self->detach();
        self->windowDestroyed();
        return DefWindowProcW(hwnd, msg, wp, lp);
      default:
        break;
    }
    LRESULT result = 0;
    if (self->handleMessage(msg, wp, lp, result)) return result;
  } catch (...) {
    reportCurrentException(hwnd);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

Panel::Panel(Container& parent, std::string name, const Bounds& b) : Container(&parent, std::move(name)) {
  createContainer(WS_VISIBLE, 0, b);
}

// ---- ScrollBox

ScrollBox::ScrollBox(Container& parent, std::string name, const Bounds& b, bool border)
    : Container(&parent, std::move(name)) {
  createContainer(WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, border ? WS_EX_CLIENTEDGE : 0, b);
  updateScrollRange();
}

void ScrollBox::updateScrollRange() {
  if (!hwnd()) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  int right = 0, bottom = 0;
  for (Control* c : children()) {
    if (!c->hwnd() || c->align() != Align::None || !c->visible()) continue;
    const Bounds b = c->bounds();
    right = std::max(right, b.left + b.width + offsetX_);
    bottom = std::max(bottom, b.top + b.height + offsetY_);
  }
  auto setBar = [&](int bar, int extent, int page, int pos) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = extent > page ? extent - 1 : 0;
    si.nPage = extent > page ? static_cast<UINT>(page) : 0;
    si.nPos = pos;
    SetScrollInfo(hwnd(), bar, &si, TRUE);
  };
  setBar(SB_HORZ, right, client.right, offsetX_);
  setBar(SB_VERT, bottom, client.bottom, offsetY_);
}

void ScrollBox::scroll(int bar, WORD request) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(hwnd(), bar, &si)) return;
  int pos = si.nPos;
  const int line = 16;
  switch (request) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
  }
  const int maxPos = std::max(0, si.nMax - static_cast<int>(si.nPage) + 1);
  pos = std::clamp(pos, 0, maxPos);
  int& offset = bar == SB_HORZ ? offsetX_ : offsetY_;
  const int delta = offset - pos;
  if (!delta) return;
  offset = pos;
  if (bar == SB_HORZ)
    ScrollWindowEx(hwnd(), delta, 0, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  else
    ScrollWindowEx(hwnd(), 0, delta, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  SetScrollPos(hwnd(), bar, pos, TRUE);
}

bool ScrollBox::handleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_VSCROLL:
      scroll(SB_VERT, LOWORD(wp));
      result = 0;
      return true;
    case WM_HSCROLL:
      scroll(SB_HORZ, LOWORD(wp));
      result = 0;
      return true;
    case WM_MOUSEWHEEL:
      for (int i = 0; i < 3; ++i) scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(wp) > 0 ? SB_LINEUP : SB_LINEDOWN);
      result = 0;
      return true;
    case WM_SIZE:
    case WM_PARENTNOTIFY:
      updateScrollRange();
      return false;
    default:
      return false;
  }
}

// ---- GroupBox

GroupBox::GroupBox(Container& parent, std::string name, const Bounds& b, const std::string& caption)
    : Container(&parent, std::move(name)) {
  createContainer(WS_VISIBLE, 0, b);
  setCaption(caption);
}

void GroupBox::setBoldCaption(bool on) {
  captionFont_.reset(on ? createStyledFont(true, 0) : nullptr);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void GroupBox::setCaptionColor(std::optional<COLORREF> color) {
  captionColor_ = color;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

bool GroupBox::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_SETTEXT:
      result = DefWindowProcW(hwnd(), msg, wp, lp);
      InvalidateRect(hwnd(), nullptr, TRUE);
      return true;
    case WM_PAINT: {
      const qb::win::PaintScope scope(hwnd());
      const HDC dc = scope.dc();
      RECT r{};
      GetClientRect(hwnd(), &r);
      const qb::win::SelectionScope withFont(dc, captionFont_ ? captionFont_.get() : Application::instance().font());
      TEXTMETRICW tm{};
      GetTextMetricsW(dc, &tm);
      RECT frame = r;
      frame.top += tm.tmHeight / 2;
      DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
      const std::wstring text = captionWide();
      if (!text.empty()) {
        SIZE sz{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &sz);
        RECT t{8, 0, 8 + sz.cx + 4, tm.tmHeight};
        FillRect(dc, &t, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        const bool enabled = IsWindowEnabled(hwnd());
        SetTextColor(dc, !enabled ? GetSysColor(COLOR_GRAYTEXT) : captionColor_ ? *captionColor_ : GetSysColor(COLOR_BTNTEXT));
        TextOutW(dc, 10, 0, text.c_str(), static_cast<int>(text.size()));
      }
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace qb::tk
