#pragma once
// A small modal dialog with a tool-window frame, centred on the desktop. While
// it is shown modally the window that owns it takes no input; timers and the
// rest of the thread's messages go on.
#include "qb/tk/form.h"

namespace qb::tk {

class ToolDialog : public Form {
 public:
  // Shows the dialog and handles this thread's messages until it is closed
  // or hidden. owner may be any window: its top-level window is disabled
  // meanwhile and enabled again afterwards.
  void showModal(HWND owner);
  bool inModalLoop() const { return modal_; }

  // Keeps the dialog above all other windows, where it is and as large as it is.
  void stayOnTop();

 protected:
  ToolDialog(std::string windowClass, const std::string& caption, Size client);

  // Enter in the dialog; Escape closes it.
  virtual void okPressed() {}
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  bool modal_ = false;
};

}  // namespace qb::tk
