#pragma once
// Foldmark's window: one button per view of the desktop's icons, a close
// button and the maker's logo, which opens the maker's web site.
#include <functional>
#include <string>

#include "qb/tk/controls.h"
#include "qb/tk/form.h"
#include "qb/tk/image.h"
#include "qb/win/handles.h"
#include "view_steps.h"

inline constexpr char kWebAddress[] = "http://www.korvane.example/qubrix";
inline constexpr char kCaption[] = "Foldmark :: http://www.korvane.example/qubrix";

class TForm2 : public qb::tk::Form {
 public:
  // firstArgument is the program's first command-line argument (UTF-8), or empty.
  explicit TForm2(std::string firstArgument = {});

  qb::tk::Label Label1;
  qb::tk::Button Button2;
  qb::tk::Button Button4;
  qb::tk::Button Button5;
  qb::tk::Button Button6;
  qb::tk::Button Button8;
  qb::tk::Button Button9;
  qb::tk::Button Button1;
  qb::tk::Button Button7;
  qb::tk::Image Image1;

  void Button2Click(qb::tk::Control& sender);
  void Button4Click(qb::tk::Control& sender);
  void Button5Click(qb::tk::Control& sender);
  void Button6Click(qb::tk::Control& sender);
  void Button8Click(qb::tk::Control& sender);
  void Button9Click(qb::tk::Control& sender);
  void Button1Click(qb::tk::Control& sender);
  void Button7Click(qb::tk::Control& sender);
  void Image1Click(qb::tk::Control& sender);

  // Opens a document the way the shell does (verb, address); tests listen here
  // instead of starting a browser.
  std::function<void(const std::wstring& verb, const std::wstring& address)> shellOpen;

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(qb::tk::CloseAction& action) override;
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void setViewButtonsEnabled(bool on);
  std::string firstArgument_;
  qb::win::UniqueGdiObject font_;
  qb::win::UniqueGdiObject boldFont_;
};
