#include "newtask_dialog.h"

#include <shellapi.h>

#include "qb/win/gdi.h"
#include "qb/win/text.h"

HBITMAP systemIconPicture(const wchar_t* icon) {
  const qb::win::WindowDc screen(nullptr);
  const qb::win::UniqueDc dc = qb::win::createMemoryDc(screen.get());
  if (!dc) return nullptr;
  qb::win::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), 32, 32));
  if (!bitmap) return nullptr;
  {
    const qb::win::SelectionScope onBitmap(dc.get(), bitmap.get());
    const RECT all{0, 0, 32, 32};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    DrawIcon(dc.get(), 0, 0, LoadIconW(nullptr, icon));
  }
  return static_cast<HBITMAP>(bitmap.release());
}

TForm1::TForm1()
    : ToolDialog("TForm1", "Utwórz nowe zadanie", {368, 151}),
      Image1(*this, "Image1", {8, 16, 33, 33}),
      Label2(*this, "Label2", {64, 16, 300, 16}, "Wpisz nazwę programu, folderu, dokumentu lub zasobu"),
      Label3(*this, "Label3", {64, 32, 300, 16}, "internetowego, a zostanie on otwarty przez  program."),
      Label1(*this, "Label1", {11, 67, 50, 16}, "Otwórz:"),
      ComboBox1(*this, "ComboBox1", {64, 64, 297, 21}, qb::tk::ComboStyle::DropDown),
      Button3(*this, "Button3", {120, 112, 75, 25}, "OK"),
      Button2(*this, "Button2", {200, 112, 75, 25}, "Anuluj"),
      Button1(*this, "Button1", {280, 112, 75, 25}, "Przeglądaj..."),
      OpenDialog1("Programy|*.exe|Wszystkie pliki|*.*") {
  Image1.setBitmap(systemIconPicture(IDI_APPLICATION));
  Button3.onClick = [this](qb::tk::Control&) { Button3Click(); };
  Button2.onClick = [this](qb::tk::Control&) { Button2Click(); };
  Button1.onClick = [this](qb::tk::Control&) { Button1Click(); };
}

void TForm1::FormCreate() { stayOnTop(); }

void TForm1::Button3Click() {
  // The shell reports its own failures, if at all; the dialog stays for the next name.
  const std::string target = qb::win::toAnsi(qb::win::widen(ComboBox1.text()));
  ShellExecuteA(hwnd(), "open", target.c_str(), "", "", SW_SHOWNORMAL);
}

void TForm1::Button2Click() { close(); }

void TForm1::Button1Click() {
  if (OpenDialog1.execute(hwnd())) ComboBox1.setText(OpenDialog1.fileName());
}
