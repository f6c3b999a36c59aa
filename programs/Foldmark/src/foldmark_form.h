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

class TForm2 : public tk::Form {
 public:
  // firstArgument is the program's first command-line argument (UTF-8), or empty.
  explicit TForm2(std::string firstArgument = {});

  tk::Label Label1;
  tk::Button Button2;
  tk::Button Button4;
  tk::Button Button5;
  tk::Button Button6;
  tk::Button Button8;
  tk::Button Button9;
  tk::Button Button1;
  tk::Button Button7;
  tk::Image Image1;

  void Button2Click(tk::Control& sender);
  void Button4Click(tk::Control& sender);
  void Button5Click(tk::Control& sender);
  void Button6Click(tk::Control& sender);
  void Button8Click(tk::Control& sender);
  void Button9Click(tk::Control& sender);
  void Button1Click(tk::Control& sender);
  void Button7Click(tk::Control& sender);
  void Image1Click(tk::Control& sender);

  // Opens a document the way the shell does (verb, address); tests listen here
  // instead of starting a browser.
  std::function<void(const std::wstring& verb, const std::wstring& address)> shellOpen;

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(tk::CloseAction& action) override;
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void setViewButtonsEnabled(bool on);
  std::string firstArgument_;
  qb::win::UniqueGdiObject font_;
  qb::win::UniqueGdiObject boldFont_;
};
