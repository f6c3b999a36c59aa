#include "qb/tk/application.h"

#include <algorithm>
#include <string>
#include <vector>

#include "qb/tk/form.h"
#include "qb/win/handles.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace qb::tk {

HINSTANCE moduleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

namespace {
const wchar_t kReleaseWindowClass[] = L"QbxRelease";
constexpr UINT kDeleteReleased = WM_APP + 1;

LRESULT CALLBACK releaseProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kDeleteReleased) {
    Application::instance().deleteReleased();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}
}  // namespace

struct Application::State {
  std::vector<Form*> forms;
  std::vector<Form*> released;
  std::vector<std::wstring> classes;
  // The font controls are given: ownFont's, or the stock one when none could be made.
  HFONT font = nullptr;
  qb::win::UniqueGdiObject ownFont;
  HWND releaseWindow = nullptr;
  Form* mainForm = nullptr;
};

Application& Application::instance() {
  static Application app;
  return app;
}

Application::State& Application::state() {
  static State s;
  return s;
}

void Application::adopt(Form* form) { state().forms.push_back(form); }

void Application::forget(Form* form) {
  if (state().mainForm == form) state().mainForm = nullptr;
  auto& f = state().forms;
  f.erase(std::remove(f.begin(), f.end(), form), f.end());
  auto& r = state().released;
  r.erase(std::remove(r.begin(), r.end(), form), r.end());
}

bool Application::owns(const Form* form) const {
  auto& f = const_cast<Application*>(this)->state().forms;
  return std::find(f.begin(), f.end(), form) != f.end();
}

void Application::release(Form* form) {
  State& s = state();
  if (std::find(s.released.begin(), s.released.end(), form) != s.released.end()) return;
  s.released.push_back(form);
  if (!s.releaseWindow) {
    windowClass(kReleaseWindowClass, releaseProc, nullptr);
    s.releaseWindow = CreateWindowExW(0, kReleaseWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      moduleInstance(), nullptr);
  }
  PostMessageW(s.releaseWindow, kDeleteReleased, 0, 0);
}

void Application::deleteReleased() {
  std::vector<Form*> doomed;
  doomed.swap(state().released);
  for (Form* f : doomed) delete f;
}

ATOM Application::windowClass(const wchar_t* name, WNDPROC proc, HBRUSH background, UINT style) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (ATOM a = static_cast<ATOM>(GetClassInfoExW(moduleInstance(), name, &existing))) return a;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = moduleInstance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  const ATOM atom = RegisterClassExW(&wc);
  if (atom) state().classes.emplace_back(name);
  return atom;
}

HFONT Application::font() {
  State& s = state();
  if (!s.font) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
      s.ownFont.reset(CreateFontIndirectW(&ncm.lfMessageFont));
    s.font = static_cast<HFONT>(s.ownFont ? s.ownFont.get() : GetStockObject(DEFAULT_GUI_FONT));
  }
  return s.font;
}

int Application::run(Form& mainForm) {
  state().mainForm = &mainForm;
  mainForm.show();
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) return 1;
    // Tab and arrow keys move between the controls of a toolkit form.
    HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (top && Control::fromHwnd(top) && IsDialogMessageW(top, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

bool Application::isMainForm(const Form* form) const {
  return form && const_cast<Application*>(this)->state().mainForm == form;
}

void Application::shutdown() {
  State& s = state();
  deleteReleased();
  while (!s.forms.empty()) delete s.forms.back();  // ~Form forgets itself
  if (s.releaseWindow) DestroyWindow(s.releaseWindow);
  s.releaseWindow = nullptr;
  for (const auto& c : s.classes) UnregisterClassW(c.c_str(), moduleInstance());
  s.classes.clear();
  s.font = nullptr;
  s.ownFont.reset();
}

}  // namespace qb::tk
