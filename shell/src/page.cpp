#include "qb/shell/page.h"

#include <exception>

#include "qb/tk/application.h"
#include "qb/tk/msgbox.h"

namespace qb::shell {

ModuleState& moduleState() {
  static ModuleState state;
  return state;
}

PluginPage::PluginPage(std::string className, const std::string& caption, const qb::tk::Bounds& designed,
                       OnClose onClose)
    : qb::tk::Form(std::move(className), caption, designed), onClose_(onClose) {}

void PluginPage::FormCreate() {
  const ModuleState& m = moduleState();
  // The host window is the top-level window with that title, whatever its class.
  HWND host = m.hostCaption ? FindWindowA(nullptr, m.hostCaption) : nullptr;
  SetWindowLongW(hwnd(), GWL_STYLE, WS_CHILD);
  SetWindowLongW(hwnd(), GWL_EXSTYLE, host ? GetWindowLongW(host, GWL_EXSTYLE) : 0);
  if (host) {
    SetParent(hwnd(), host);
    // While it had no parent the system kept WS_CLIPSIBLINGS on it; as a child it takes the style as given.
    SetWindowLongW(hwnd(), GWL_STYLE, WS_CHILD);
  }
  // The system keeps the old caption and border until told the frame changed;
  // without this the page's contents sit below a caption that is no longer drawn.
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  setTop(m.pageTop);
  setLeft(m.pageLeft);
}

void PluginPage::FormClose(qb::tk::CloseAction& action) {
  if (onClose_ == OnClose::HideOnly) {
    action = qb::tk::CloseAction::Hide;
    return;
  }
  action = qb::tk::CloseAction::Free;
  if (moduleState().currentPage == this) moduleState().currentPage = nullptr;
}

void PluginPage::windowDestroyed() {
  // The host destroyed its window with the page inside: forget the page.
  if (moduleState().currentPage == this) moduleState().currentPage = nullptr;
  qb::tk::Form::windowDestroyed();
}

void unloadModule() {
  moduleState().currentPage = nullptr;
  qb::tk::Application::instance().shutdown();
}

namespace {

// Nothing leaves an export: what goes wrong is shown to the user, owned by the page if there is one.
template <typename F>
void guarded(F&& body) noexcept {
  try {
    body();
  } catch (...) {
    const PluginPage* page = moduleState().currentPage;
    qb::tk::reportCurrentException(page ? page->hwnd() : nullptr);
  }
}

}  // namespace
}  // namespace qb::shell

using qb::shell::moduleState;

extern "C" void __stdcall ShowDLLWND(int top, int left, const char* hostCaption) {
  qb::shell::guarded([&] {
    auto& m = moduleState();
    m.pageTop = top;
    m.pageLeft = left;
    m.hostCaption = hostCaption;
    if (!m.currentPage) m.currentPage = qb::shell::createPage();
    m.hostCaption = nullptr;  // the host owns the text; it is not kept past this call
    m.currentPage->show();
  });
}

extern "C" void __stdcall ResizeDLLWND(int width, int height) {
  qb::shell::guarded([&] {
    if (auto* page = moduleState().currentPage) {
      page->setWidth(width);
      page->setHeight(height);
    }
  });
}

extern "C" void __stdcall DLLSave() {
  qb::shell::guarded([] {
    if (auto* page = moduleState().currentPage) page->Apply();
  });
}

extern "C" void __stdcall Back() {
  qb::shell::guarded([] {
    if (auto* page = moduleState().currentPage) page->Back();
  });
}
