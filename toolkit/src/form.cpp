#include "qb/tk/form.h"

#include "qb/tk/application.h"
#include "qb/win/text.h"

namespace qb::tk {

Form::Form(std::string windowClass, const std::string& caption, const Bounds& b)
    : Container(nullptr, windowClass), className_(std::move(windowClass)) {
  const std::wstring cls = qb::win::widen(className_);
  Application::instance().windowClass(cls.c_str(), windowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  createWindow(cls.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN,
               WS_EX_CONTROLPARENT, b, qb::win::widen(caption));
  Application::instance().adopt(this);
}

Form::~Form() { Application::instance().forget(this); }

void Form::afterConstruction() {
  // FormCreate may still change the frame (a page embeds itself): controls
  // stay where they were designed, and anchors measure from the client area
  // the form ends up with.
  struct Deferred {
    Form& form;
    explicit Deferred(Form& f) : form(f) { form.deferLayout(true); }
    ~Deferred() { form.deferLayout(false); }
  };
  {
    const Deferred deferred(*this);
    FormCreate();
  }
  measureAnchorsAgain();
  realign();
}

void Form::show() {
  if (!hwnd()) return;
  if (!visible()) {
    closed_ = false;
    FormShow();
    if (closed_) return;
    ShowWindow(hwnd(), SW_SHOW);
  }
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void Form::hide() {
  if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
}

void Form::close() {
  CloseAction action = CloseAction::Hide;
  FormClose(action);
  if (action != CloseAction::None) closed_ = true;
  switch (action) {
    case CloseAction::None:
      break;
    case CloseAction::Hide:
      hide();
      break;
    case CloseAction::Free:
      hide();
      Application::instance().release(this);
      break;
  }
  // Closing a program's main window ends its message loop.
  if (action != CloseAction::None && Application::instance().isMainForm(this)) PostQuitMessage(0);
}

void Form::windowDestroyed() {
  if (Application::instance().isMainForm(this)) PostQuitMessage(0);
  Application::instance().release(this);
}

bool Form::handleMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == WM_CLOSE) {
    close();
    result = 0;
    return true;
  }
  return false;
}

}  // namespace qb::tk
