#pragma once
// A form: the top-level window a page or a program is designed as. Its
// handlers are virtual members named as the designer names them.
#include <string>

#include "qb/tk/container.h"

namespace qb::tk {

enum class CloseAction { None, Hide, Free };

class Form : public Container {
 public:
  ~Form() override;

  // Makes the form visible and brings it to the front. A hidden form gets
  // its FormShow first; a visible one is only brought to the front. A form
  // that closes itself in FormShow stays hidden.
  void show();
  void hide();
  // Asks the form to close: FormClose decides whether it hides or is freed.
  // A freed form is deleted once control returns to the message loop.
  void close();

  const std::string& className() const { return className_; }

  // Builds a form of type T and runs its FormCreate, as the toolkit does for
  // every form it constructs. The toolkit's application object owns it.
  template <typename T, typename... Args>
  static T* create(Args&&... args) {
    T* form = new T(std::forward<Args>(args)...);
    form->afterConstruction();
    return form;
  }

 protected:
  // windowClass names the form's window class (the form class's name).
  Form(std::string windowClass, const std::string& caption, const Bounds& b);

  virtual void FormCreate() {}
  virtual void FormShow() {}
  virtual void FormClose(CloseAction& action) { action = CloseAction::Hide; }
  // The window went away without the form being closed (its parent was destroyed).
  void windowDestroyed() override;

  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void afterConstruction();
  std::string className_;
  bool closed_ = false;  // set by close(); show() learns from it whether FormShow closed the form
};

}  // namespace qb::tk
