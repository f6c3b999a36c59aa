#include "qb/tk/controls.h"

#include <algorithm>

#include "qb/tk/application.h"
#include "qb/tk/msgbox.h"
#include "qb/win/gdi.h"
#include "qb/win/text.h"

namespace qb::tk {

using qb::win::widen;

Label::Label(Container& parent, std::string name, const Bounds& b, const std::string& caption)
    : Control(&parent, std::move(name)) {
  createWindow(L"STATIC", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, b, widen(caption));
}

HFONT createStyledFont(bool bold, int pointSize) {
  LOGFONTW lf{};
  GetObjectW(Application::instance().font(), sizeof lf, &lf);
  if (bold) lf.lfWeight = FW_BOLD;
  if (pointSize > 0) {
    const qb::win::WindowDc screen(nullptr);
    lf.lfHeight = -MulDiv(pointSize, GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
  }
  return CreateFontIndirectW(&lf);
}

void Label::setEmphasis(bool bold, int pointSize, std::optional<COLORREF> color) {
  color_ = color;
  qb::win::UniqueGdiObject font(createStyledFont(bold, pointSize));
  if (font) {
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the label keeps using it: released only after the switch
  }
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void Label::setBackground(std::optional<COLORREF> color) {
  background_.reset(color ? CreateSolidBrush(*color) : nullptr);
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void Label::setRightAligned(bool on) {
  const LONG style = GetWindowLongW(hwnd(), GWL_STYLE) & ~(SS_LEFT | SS_CENTER | SS_RIGHT);
  SetWindowLongW(hwnd(), GWL_STYLE, style | (on ? SS_RIGHT : SS_LEFT));
  InvalidateRect(hwnd(), nullptr, TRUE);
}

// ---- LinkLabel

namespace {
HFONT linkFont() {
  static HFONT font = [] {
    LOGFONTW lf{};
    GetObjectW(Application::instance().font(), sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    return CreateFontIndirectW(&lf);
  }();
  return font;
}

// The STATIC class's own procedure, which every link hands its messages on to.
WNDPROC staticProc = nullptr;

bool showsFocus(HWND link) {
  return GetFocus() == link && !(SendMessageW(link, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

// A dotted frame around the caption (not the whole control, which may be wider than its text).
void drawFocus(HWND link, HDC dc) {
  RECT client{};
  GetClientRect(link, &client);
  const std::wstring text = [&] {
    std::wstring t(static_cast<size_t>(GetWindowTextLengthW(link)) + 1, L'\0');
    t.resize(static_cast<size_t>(std::max(0, GetWindowTextW(link, t.data(), static_cast<int>(t.size())))));
    return t;
  }();
  RECT frame = client;
  if (!text.empty()) {
    const qb::win::SavedDcState saved(dc);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &frame,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    // One pixel clear of the text, inside the control.
    frame = {std::max(client.left, frame.left - 1), std::max(client.top, frame.top - 1),
             std::min(client.right, frame.right + 1), std::min(client.bottom, frame.bottom + 1)};
  }
  const qb::win::SavedDcState saved(dc);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  DrawFocusRect(dc, &frame);
}

// Enter (the key and the character it makes) belongs to the focused link or
// button: our forms are not dialogs, so the dialog manager would otherwise send
// it to a default button that no form has.
bool isEnter(const MSG* key) {
  return key && ((key->message == WM_KEYDOWN && key->wParam == VK_RETURN) ||
                 (key->message == WM_CHAR && key->wParam == L'\r'));
}

// The static control draws the link; this adds what a static lacks: keyboard
// focus shown, and Enter or Space clicking it.
LRESULT CALLBACK linkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    switch (msg) {
      case WM_GETDLGCODE: {
        LRESULT code = CallWindowProcW(staticProc, hwnd, msg, wp, lp);
        if (isEnter(reinterpret_cast<const MSG*>(lp))) code |= DLGC_WANTMESSAGE;
        return code;
      }
      case WM_KEYDOWN:
        if (wp == VK_RETURN || wp == VK_SPACE) {
          // A key held down clicks once, not once per repeat.
          const bool repeat = (lp & (1L << 30)) != 0;
          auto* link = dynamic_cast<LinkLabel*>(Control::fromHwnd(hwnd));
          if (link && !repeat) link->click();
          return 0;
        }
        break;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
      case WM_UPDATEUISTATE: {
        const LRESULT r = CallWindowProcW(staticProc, hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
      }
      case WM_PAINT:
      case WM_PRINTCLIENT: {
        // The static paints into the DC it is given; the focus frame goes over it.
        if (wp) {
          const LRESULT r = CallWindowProcW(staticProc, hwnd, msg, wp, lp);
          if (showsFocus(hwnd)) drawFocus(hwnd, reinterpret_cast<HDC>(wp));
          return r;
        }
        if (msg == WM_PRINTCLIENT) break;
        const qb::win::PaintScope scope(hwnd);
        CallWindowProcW(staticProc, hwnd, WM_PAINT, reinterpret_cast<WPARAM>(scope.dc()), 0);
        if (showsFocus(hwnd)) drawFocus(hwnd, scope.dc());
        return 0;
      }
      default:
        break;
    }
  } catch (...) {
    reportCurrentException(hwnd);
    return 0;
  }
  return CallWindowProcW(staticProc, hwnd, msg, wp, lp);
}
}  // namespace

LinkLabel::LinkLabel(Container& parent, std::string name, const Bounds& b, const std::string& caption,
                     int tagValue)
    : Control(&parent, std::move(name)) {
  tag = tagValue;
  createWindow(L"STATIC", WS_VISIBLE | WS_TABSTOP | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, b, widen(caption));
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont()), FALSE);
  if (hwnd()) {
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&linkProc)));
    if (!staticProc) staticProc = previous;
  }
}

void LinkLabel::setEmphasis(bool bold, std::optional<COLORREF> color) {
  color_ = color;
  LOGFONTW lf{};
  GetObjectW(linkFont(), sizeof lf, &lf);
  if (bold) lf.lfWeight = FW_BOLD;
  qb::win::UniqueGdiObject font(CreateFontIndirectW(&lf));
  if (font) {
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the link keeps using it: released only after the switch
  }
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void LinkLabel::click() { invokeHandler(onClick, *this); }

void LinkLabel::handleCommand(WORD code) {
  if (code == STN_CLICKED) click();
}

// ---- Button

namespace {
WNDPROC buttonProc = nullptr;

// The button handles Space itself; Enter clicks it too, once however long it is held.
LRESULT CALLBACK pushButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    switch (msg) {
      case WM_GETDLGCODE: {
        LRESULT code = CallWindowProcW(buttonProc, hwnd, msg, wp, lp);
        if (isEnter(reinterpret_cast<const MSG*>(lp))) code |= DLGC_WANTMESSAGE;
        return code;
      }
      case WM_KEYDOWN:
        if (wp == VK_RETURN) {
          auto* button = dynamic_cast<Button*>(Control::fromHwnd(hwnd));
          if (button && (lp & (1L << 30)) == 0) button->click();
          return 0;
        }
        break;
      case WM_CHAR:
        if (wp == L'\r') return 0;
        break;
      default:
        break;
    }
  } catch (...) {
    reportCurrentException(hwnd);
    return 0;
  }
  return CallWindowProcW(buttonProc, hwnd, msg, wp, lp);
}
}  // namespace

Button::Button(Container& parent, std::string name, const Bounds& b, const std::string& caption)
    : Control(&parent, std::move(name)) {
  createWindow(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, b, widen(caption));
  if (hwnd()) {
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&pushButtonProc)));
    if (!buttonProc) buttonProc = previous;
  }
}

void Button::click() { invokeHandler(onClick, *this); }

void Button::handleCommand(WORD code) {
  if (code == BN_CLICKED) click();
}

// ---- CheckBox

CheckBox::CheckBox(Container& parent, std::string name, const Bounds& b, const std::string& caption)
    : Control(&parent, std::move(name)) {
  createWindow(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, b, widen(caption));
}

bool CheckBox::checked() const { return SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CheckBox::setChecked(bool on) { SendMessageW(hwnd(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void CheckBox::click() {
  setChecked(!checked());
  invokeHandler(onClick, *this);
}

void CheckBox::handleCommand(WORD code) {
  if (code == BN_CLICKED) invokeHandler(onClick, *this);
}

// ---- RadioButton

RadioButton::RadioButton(Container& parent, std::string name, const Bounds& b, const std::string& caption,
                         int tagValue)
    : Control(&parent, std::move(name)) {
  tag = tagValue;
  // The first radio button after another kind of control opens a new group.
  bool opensGroup = true;
  const auto& siblings = parent.children();
  if (siblings.size() >= 2 && dynamic_cast<RadioButton*>(siblings[siblings.size() - 2])) opensGroup = false;
  createWindow(L"BUTTON", WS_VISIBLE | BS_RADIOBUTTON | (opensGroup ? WS_GROUP | WS_TABSTOP : 0), 0, b,
               widen(caption));
}

bool RadioButton::checked() const { return SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void RadioButton::setChecked(bool on) {
  if (on == checked()) return;
  SendMessageW(hwnd(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!on) return;
  // Only the checked button of a group takes the tab stop.
  SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) | WS_TABSTOP);
  for (Control* c : parent()->children()) {
    auto* other = dynamic_cast<RadioButton*>(c);
    if (other && other != this) {
      SendMessageW(other->hwnd(), BM_SETCHECK, BST_UNCHECKED, 0);
      SetWindowLongW(other->hwnd(), GWL_STYLE, GetWindowLongW(other->hwnd(), GWL_STYLE) & ~WS_TABSTOP);
    }
  }
  invokeHandler(onClick, *this);
}

void RadioButton::click() { setChecked(true); }

void RadioButton::handleCommand(WORD code) {
  // Plain (not automatic) radio buttons: the group logic lives in setChecked.
  if (code == BN_CLICKED) setChecked(true);
}

// ---- Edit

Edit::Edit(Container& parent, std::string name, const Bounds& b, const std::string& text, bool readOnly)
    : Control(&parent, std::move(name)) {
  createWindow(L"EDIT", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0),
               WS_EX_CLIENTEDGE, b, widen(text));
  SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0);
}

void Edit::setFlat() {
  const HWND h = hwnd();
  SetWindowLongW(h, GWL_EXSTYLE, GetWindowLongW(h, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
  SetWindowLongW(h, GWL_STYLE, GetWindowLongW(h, GWL_STYLE) | WS_BORDER);
  // Without this the system keeps measuring the old edge.
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Edit::handleCommand(WORD code) {
  if (code == EN_CHANGE) invokeHandler(onChange, *this);
}

// ---- ComboBox

ComboBox::ComboBox(Container& parent, std::string name, const Bounds& b, ComboStyle style, int dropDownCount)
    : Control(&parent, std::move(name)), dropDownCount_(dropDownCount), editHeight_(b.height) {
  const DWORD kind = style == ComboStyle::DropDown ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST;
  createWindow(L"COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | kind, 0, b);
  RECT r{};
  GetWindowRect(hwnd(), &r);
  editHeight_ = r.bottom - r.top;
  sizeDropDown();
}

void ComboBox::sizeDropDown() {
  // The window's height decides how many lines the drop-down shows.
  const int itemHeight = static_cast<int>(SendMessageW(hwnd(), CB_GETITEMHEIGHT, 0, 0));
  Bounds b = bounds();
  b.height = editHeight_ + itemHeight * dropDownCount_ + 2;
  MoveWindow(hwnd(), b.left, b.top, b.width, b.height, FALSE);
}

void ComboBox::clear() { SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0); }

void ComboBox::addItem(const std::string& text) {
  SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
}

void ComboBox::setItems(const std::vector<std::string>& items) {
  // Keep what is typed in the edit part, as replacing the lines would clear it.
  const std::wstring typed = captionWide();
  clear();
  for (const auto& i : items) addItem(i);
  SetWindowTextW(hwnd(), typed.c_str());
}

int ComboBox::count() const { return static_cast<int>(SendMessageW(hwnd(), CB_GETCOUNT, 0, 0)); }

std::string ComboBox::item(int index) const {
  const LRESULT n = SendMessageW(hwnd(), CB_GETLBTEXTLEN, index, 0);
  if (n == CB_ERR) return {};
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(hwnd(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(n));
  return qb::win::narrow(s);
}

int ComboBox::itemIndex() const { return static_cast<int>(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0)); }
void ComboBox::setItemIndex(int index) { SendMessageW(hwnd(), CB_SETCURSEL, index, 0); }

std::string ComboBox::text() const { return caption(); }

void ComboBox::setText(const std::string& t) {
  if ((GetWindowLongW(hwnd(), GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
    setItemIndex(static_cast<int>(
        SendMessageW(hwnd(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(widen(t).c_str()))));
    return;
  }
  setItemIndex(-1);
  setCaption(t);
}

void ComboBox::handleCommand(WORD code) {
  if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) invokeHandler(onChange, *this);
}

}  // namespace qb::tk
