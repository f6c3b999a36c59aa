#pragma once
// The page every plug-in shows inside the host window, and the module state
// the exports work on.
#include <string>

#include "qb/tk/form.h"

namespace qb::shell {

class PluginPage : public qb::tk::Form {
 public:
  // Writes the page's settings; the host calls it through DLLSave.
  virtual void Apply() {}
  // Multi-screen pages return to their index screen.
  virtual void Back() {}

 protected:
  enum class OnClose { Free, HideOnly };
  PluginPage(std::string className, const std::string& caption, const qb::tk::Bounds& designed,
             OnClose onClose = OnClose::Free);

  // Embeds the page into the host window.
  void FormCreate() override;
  // Frees the page (or only hides it) and lets the module forget it.
  void FormClose(qb::tk::CloseAction& action) override;
  void windowDestroyed() override;

 private:
  OnClose onClose_;
};

// Each plug-in module defines this: builds its page.
PluginPage* createPage();

// The module state.
struct ModuleState {
  PluginPage* currentPage = nullptr;
  int pageTop = 0;
  int pageLeft = 0;
  const char* hostCaption = nullptr;  // the host's text, read only during ShowDLLWND
};
ModuleState& moduleState();

// Destroys a page that still exists: the module is being unloaded.
void unloadModule();

}  // namespace qb::shell

// The exports, stdcall, named exactly by each module's .def file.
extern "C" {
void __stdcall ShowDLLWND(int top, int left, const char* hostCaption);
void __stdcall ResizeDLLWND(int width, int height);
void __stdcall DLLSave();
void __stdcall Back();
}
