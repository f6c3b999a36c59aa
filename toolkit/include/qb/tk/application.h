#pragma once
// The toolkit's application object: owns the forms, the window classes and
// the shared font of the module it is linked into.
#include <windows.h>

namespace qb::tk {

class Form;

// The module (DLL or program) the toolkit is linked into.
HINSTANCE moduleInstance();

class Application {
 public:
  static Application& instance();

  void adopt(Form* form);
  void forget(Form* form);
  // Deletes a form once the current message has been handled.
  void release(Form* form);
  // Deletes forms released earlier; the message loop calls it through a posted message.
  void deleteReleased();
  bool owns(const Form* form) const;

  // Registers a window class of this module once; unregistered at shutdown.
  ATOM windowClass(const wchar_t* name, WNDPROC proc, HBRUSH background, UINT style = 0);

  HFONT font();

  // For programs: shows mainForm and handles this thread's messages until the
  // main form is closed or destroyed. Returns the exit code of the quit message.
  // The caller still calls shutdown() afterwards.
  int run(Form& mainForm);
  bool isMainForm(const Form* form) const;

  // Destroys every form and unregisters the classes: the module is being unloaded.
  void shutdown();

 private:
  Application() = default;
  struct State;
  State& state();
};

}  // namespace qb::tk
