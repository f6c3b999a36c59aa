#pragma once
// The error beep page: one check box for the system's beep on errors.
#include "qb/shell/page.h"
#include "qb/tk/container.h"
#include "qb/tk/controls.h"

class Tdllform : public qb::shell::PluginPage {
 public:
  Tdllform();

  qb::tk::ScrollBox ScrollBox1;
  qb::tk::CheckBox BeepBox1;

  void Apply() override;

 protected:
  void FormShow() override;
};

// True when a "Beep" text means on: any capitalisation of "yes", nothing else.
bool beepTextMeansOn(const std::string& text);
