#pragma once
// "Utwórz nowe zadanie": opens what the user types or picks through the
// shell, and stays open for the next one.
#include "qb/tk/controls.h"
#include "qb/tk/filedialog.h"
#include "qb/tk/image.h"
#include "qb/tk/tool_dialog.h"

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
