#pragma once
// "Utwórz nowe zadanie": opens what the user types or picks through the
// shell, and stays open for the next one.
#include "qb/tk/controls.h"
#include "qb/tk/filedialog.h"
#include "qb/tk/image.h"
#include "qb/tk/tool_dialog.h"

// A system icon (IDI_...) drawn 32x32 on the face colour: the pictures of the
// dialog and of the page's index. The caller owns the bitmap; null on failure.
HBITMAP systemIconPicture(const wchar_t* icon);

class TForm1 : public qb::tk::ToolDialog {
 public:
  TForm1();

  qb::tk::Image Image1;
  qb::tk::Label Label2;
  qb::tk::Label Label3;
  qb::tk::Label Label1;
  qb::tk::ComboBox ComboBox1;
  qb::tk::Button Button3;  // "OK"
  qb::tk::Button Button2;  // "Anuluj"
  qb::tk::Button Button1;  // "Przeglądaj..."
  qb::tk::OpenDialog OpenDialog1;

  void Button3Click();
  void Button2Click();
  void Button1Click();

 protected:
  void FormCreate() override;
  void okPressed() override { Button3Click(); }
};
