#include "qb/tk/control.h"

#include <exception>
#include <unordered_map>

#include "qb/tk/application.h"
#include "qb/tk/container.h"
#include "qb/tk/msgbox.h"
#include "qb/win/text.h"

namespace qb::tk {
namespace {
// The control object of each window this module's toolkit created. Looked up
// for every notification a list sends, so it stays inside the process: a
// window property costs a trip to the window server under Wine.
std::unordered_map<HWND, Control*>& controlsByWindow() {
  // Never destroyed: controls may outlive static destruction.
  static auto* map = new std::unordered_map<HWND, Control*>;
  return *map;
}

void forget(HWND hwnd, const Control* control) {
  auto& map = controlsByWindow();
  const auto it = map.find(hwnd);
  if (it != map.end() && it->second == control) map.erase(it);
}
}  // namespace

Control::Control(Container* parent, std::string name) : parent_(parent), name_(std::move(name)) {
  if (parent_) parent_->add(this);
}

Control::~Control() {
  if (parent_) parent_->remove(this);
  if (hwnd_ && IsWindow(hwnd_) && fromHwnd(hwnd_) == this) {
    forget(hwnd_, this);
    DestroyWindow(hwnd_);
  }
  // The window may have gone with its parent already; its handle must not lead here any more.
  if (hwnd_) forget(hwnd_, this);
}

Control* Control::fromHwnd(HWND hwnd) {
  if (!hwnd) return nullptr;
  const auto& map = controlsByWindow();
  const auto it = map.find(hwnd);
  return it == map.end() ? nullptr : it->second;
}

void Control::createWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, const Bounds& b,
                           const std::wstring& text) {
  HWND parentWindow = parent_ ? parent_->hwnd() : nullptr;
  if (parentWindow) style |= WS_CHILD;
  HWND h = CreateWindowExW(exStyle, windowClass, text.c_str(), style, b.left, b.top, b.width, b.height,
                           parentWindow, nullptr, moduleInstance(), nullptr);
  if (h) {
    attach(h);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(Application::instance().font()), FALSE);
  }
}

void Control::attach(HWND hwnd) {
  hwnd_ = hwnd;
  controlsByWindow()[hwnd] = this;
}

void Control::detach() {
  if (hwnd_) forget(hwnd_, this);
  hwnd_ = nullptr;
}

void Control::setBounds(const Bounds& b) {
  MoveWindow(hwnd_, b.left, b.top, b.width, b.height, TRUE);
  // Placed on purpose: the new place is the one to keep.
  if (anchorDistances_) takeAnchorDistances();
}

Bounds Control::bounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  if (HWND p = GetParent(hwnd_); p && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  return Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Control::setLeft(int v) {
  Bounds b = bounds();
  b.left = v;
  setBounds(b);
}
void Control::setTop(int v) {
  Bounds b = bounds();
  b.top = v;
  setBounds(b);
}
void Control::setWidth(int v) {
  Bounds b = bounds();
  b.width = v;
  setBounds(b);
}
void Control::setHeight(int v) {
  Bounds b = bounds();
  b.height = v;
  setBounds(b);
}

void Control::setAlign(Align a) {
  align_ = a;
  if (parent_) parent_->realign();
  if (a == Align::None) takeAnchorDistances();
}

void Control::setAnchors(Anchor anchors) {
  anchors_ = anchors;
  takeAnchorDistances();
}

void Control::takeAnchorDistances() {
  anchorDistances_.reset();
  if (anchors_ == kDefaultAnchors || !hwnd_ || !parent_ || !parent_->hwnd()) return;
  RECT area{};
  GetClientRect(parent_->hwnd(), &area);
  anchorDistances_ = AnchorDistances{bounds(), Size{area.right - area.left, area.bottom - area.top}};
}

void Control::setCaption(const std::string& text) { setCaptionWide(qb::win::widen(text)); }
std::string Control::caption() const { return qb::win::narrow(captionWide()); }

void Control::setCaptionWide(const std::wstring& text) { SetWindowTextW(hwnd_, text.c_str()); }

std::wstring Control::captionWide() const {
  const int n = GetWindowTextLengthW(hwnd_);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd_, s.data(), n + 1);
  s.resize(static_cast<size_t>(got > 0 ? got : 0));
  return s;
}

void Control::setEnabled(bool on) { EnableWindow(hwnd_, on); }
bool Control::enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
void Control::setVisible(bool on) { ShowWindow(hwnd_, on ? SW_SHOW : SW_HIDE); }
bool Control::visible() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
void Control::setFocus() { SetFocus(hwnd_); }

void Control::handleCommand(WORD) {}
LRESULT Control::handleNotify(NMHDR*) { return 0; }

void invokeHandler(const Control::Handler& handler, Control& sender) {
  if (!handler) return;
  try {
    handler(sender);
  } catch (...) {
    reportCurrentException(sender.hwnd());
  }
}

}  // namespace qb::tk
