#include "desktop_view.h"

namespace qb::foldmark {
namespace {

// Only direct children of an existing window: a null parent would make
// FindWindowEx search the top-level windows and reach someone else's.
HWND childOfClass(HWND parent, const wchar_t* windowClass) {
  return parent ? FindWindowExW(parent, nullptr, windowClass, nullptr) : nullptr;
}

}  // namespace

HWND findShellView() { return childOfClass(FindWindowW(L"Progman", nullptr), L"SHELLDLL_DefView"); }

HWND findDesktopListView() {
  HWND programManager = FindWindowW(L"Progman", L"Program Manager");
  return childOfClass(childOfClass(programManager, L"SHELLDLL_DefView"), L"SysListView32");
}

HWND findReportListView() { return childOfClass(findShellView(), L"SysListView32"); }

void setViewStyle(HWND listView, unsigned value) {
  if (!listView) return;
  const auto style = static_cast<unsigned>(GetWindowLongW(listView, GWL_STYLE));
  SetWindowLongW(listView, GWL_STYLE, static_cast<LONG>(styleWithView(style, value)));
}

void runSteps(const Steps& steps) {
  for (const Step& step : steps) {
    switch (step.kind) {
      case Step::Kind::Command:
        if (HWND view = findShellView()) SendMessageW(view, WM_COMMAND, step.value, 0);
        break;
      case Step::Kind::Style:
        setViewStyle(findDesktopListView(), step.value);
        break;
      case Step::Kind::ReportStyle:
        setViewStyle(findReportListView(), step.value);
        break;
    }
  }
}

}  // namespace qb::foldmark
