#include "foldmark_form.h"

#include <shellapi.h>

#include "desktop_view.h"
#include "qb/tk/application.h"
#include "qb/win/gdi.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "resource.h"

namespace {

constexpr int kClientWidth = 305;
constexpr int kClientHeight = 226;
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

HFONT tahoma(bool bold) {
  const int height = -MulDiv(8, GetDeviceCaps(qb::win::WindowDc(nullptr).get(), LOGPIXELSY), 72);
  return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     L"Tahoma");
}

void openWithShell(const std::wstring& verb, const std::wstring& address) {
  ShellExecuteW(nullptr, verb.c_str(), address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

TForm2::TForm2(std::string firstArgument)
    : qb::tk::Form("TForm2", kCaption, qb::tk::Bounds{0, 0, kClientWidth, kClientHeight}),
      Label1(*this, "Label1", qb::tk::Bounds{8, 5, 160, 13}, "Nieobslugiwany system"),
      Button2(*this, "Button2", qb::tk::Bounds{40, 24, 113, 25}, "Male ikony"),
      Button4(*this, "Button4", qb::tk::Bounds{159, 24, 113, 25}, "Ikony"),
      Button5(*this, "Button5", qb::tk::Bounds{40, 55, 113, 25}, "Lista"),
      Button6(*this, "Button6", qb::tk::Bounds{159, 55, 113, 25}, "Do lewej - Ikony"),
      Button8(*this, "Button8", qb::tk::Bounds{40, 86, 113, 25}, "Kafelki"),
      Button9(*this, "Button9", qb::tk::Bounds{159, 86, 113, 25}, "Miniatury"),
      Button1(*this, "Button1", qb::tk::Bounds{40, 117, 232, 25}, "Raport"),
      Button7(*this, "Button7", qb::tk::Bounds{120, 180, 75, 25}, "Zamknij"),
      Image1(*this, "Image1", qb::tk::Bounds{201, 139, 105, 74}),
      shellOpen(openWithShell),
      firstArgument_(std::move(firstArgument)),
      font_(tahoma(false)),
      boldFont_(tahoma(true)) {
  // A fixed single border with a minimize box, sized for its client area and
  // placed in the middle of the work area.
  SetWindowLongW(hwnd(), GWL_STYLE, kWindowStyle);
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, static_cast<DWORD>(GetWindowLongW(hwnd(), GWL_EXSTYLE)));
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

  if (HICON icon = LoadIconW(qb::tk::moduleInstance(), MAKEINTRESOURCEW(IDI_FOLDMARK))) {
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }

  for (qb::tk::Control* c : children())
    SendMessageW(c->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  SendMessageW(Label1.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
  Label1.setVisible(false);

  Image1.loadBitmapResource(IDB_FOLDMARK_LOGO);
  Image1.setCursor(LoadCursor(nullptr, IDC_HAND));

  Button2.onClick = [this](qb::tk::Control& s) { Button2Click(s); };
  Button4.onClick = [this](qb::tk::Control& s) { Button4Click(s); };
  Button5.onClick = [this](qb::tk::Control& s) { Button5Click(s); };
  Button6.onClick = [this](qb::tk::Control& s) { Button6Click(s); };
  Button8.onClick = [this](qb::tk::Control& s) { Button8Click(s); };
  Button9.onClick = [this](qb::tk::Control& s) { Button9Click(s); };
  Button1.onClick = [this](qb::tk::Control& s) { Button1Click(s); };
  Button7.onClick = [this](qb::tk::Control& s) { Button7Click(s); };
  Image1.onClick = [this](qb::tk::Control& s) { Image1Click(s); };
}

void TForm2::setViewButtonsEnabled(bool on) {
  for (qb::tk::Button* b : {&Button2, &Button4, &Button5, &Button6, &Button8, &Button9, &Button1}) b->setEnabled(on);
}

void TForm2::FormCreate() {
  Image1.setTransparentColor(kWhite);

  const qb::win::WindowsVersion v = qb::win::windowsVersion();
  if (v.nineX() || (v.nt() && v.major <= 4)) {
    setViewButtonsEnabled(false);
    Label1.setVisible(true);
  } else if (v.nt() && v.major == 5 && v.minor == 0) {
    // Windows 2000's shell view has no tiles or thumbnails for the desktop.
    Button6.setEnabled(false);
    Button8.setEnabled(false);
    Button9.setEnabled(false);
    Label1.setVisible(true);
  } else if (v.nt()) {
    setViewButtonsEnabled(true);
    Label1.setVisible(false);
  } else {
    Label1.setVisible(true);
  }
}

void TForm2::FormShow() {
  // A recognised option is carried out whatever the version check said, and ends the program.
  if (const qb::foldmark::Steps* steps = qb::foldmark::optionSteps(firstArgument_)) {
    qb::foldmark::runSteps(*steps);
    close();
  }
}

void TForm2::FormClose(qb::tk::CloseAction& action) { action = qb::tk::CloseAction::Free; }

void TForm2::Button2Click(qb::tk::Control&) { qb::foldmark::runSteps(qb::foldmark::buttonSteps(qb::foldmark::View::SmallIcons)); }
void TForm2::Button4Click(qb::tk::Control&) { qb::foldmark::runSteps(qb::foldmark::buttonSteps(qb::foldmark::View::Icons)); }
void TForm2::Button5Click(qb::tk::Control&) { qb::foldmark::runSteps(qb::foldmark::buttonSteps(qb::foldmark::View::List)); }
void TForm2::Button6Click(qb::tk::Control&) {
  qb::foldmark::runSteps(qb::foldmark::buttonSteps(qb::foldmark::View::IconsAlignedLeft));
}
void TForm2::Button8Click(qb::tk::Control&) { qb::foldmark::runSteps(qb::foldmark::buttonSteps(qb::foldmark::View::Tiles)); }
void TForm2::Button9Click(qb::tk::Control&) { qb::foldmark::runSteps(qb::foldmark::buttonSteps(qb::foldmark::View::Thumbnails)); }
void TForm2::Button1Click(qb::tk::Control&) { qb::foldmark::runSteps(qb::foldmark::buttonSteps(qb::foldmark::View::Report)); }
void TForm2::Button7Click(qb::tk::Control&) { close(); }

void TForm2::Image1Click(qb::tk::Control&) {
  if (shellOpen) shellOpen(L"open", qb::win::widen(kWebAddress));
}

bool TForm2::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_CTLCOLORSTATIC) {
    // The form's text is red; the label keeps the face colour behind it.
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, kRed);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
  }
  return qb::tk::Form::handleMessage(msg, wp, lp, result);
}
