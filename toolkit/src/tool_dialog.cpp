#include "qb/tk/tool_dialog.h"

namespace qb::tk {

ToolDialog::ToolDialog(std::string windowClass, const std::string& caption, Size client)
    : Form(std::move(windowClass), caption, {0, 0, client.width, client.height}) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  SetWindowLongW(hwnd(), GWL_STYLE, style);
  SetWindowLongW(hwnd(), GWL_EXSTYLE, exStyle);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void ToolDialog::stayOnTop() {
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ToolDialog::showModal(HWND owner) {
  if (!hwnd() || modal_) return;
  HWND ownerTop = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  if (ownerTop) SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerTop));
  const bool disabled = ownerTop && IsWindowEnabled(ownerTop);
  if (disabled) EnableWindow(ownerTop, FALSE);
  modal_ = true;
  show();
  MSG msg{};
  while (hwnd() && visible()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The loop outside ends the program; it must see the request too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (hwnd() && IsDialogMessageW(hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  modal_ = false;
  // Enabled before the dialog goes, so the system gives the activation back to the owner.
  if (disabled) EnableWindow(ownerTop, TRUE);
  hide();
  if (ownerTop) SetActiveWindow(ownerTop);
}

bool ToolDialog::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  // Enter and Escape arrive as commands without a control.
  if (msg == WM_COMMAND && lp == 0 && HIWORD(wp) == 0) {
    if (LOWORD(wp) == IDCANCEL) {
      close();
      result = 0;
      return true;
    }
    if (LOWORD(wp) == IDOK) {
      okPressed();
      result = 0;
      return true;
    }
  }
  return Form::handleMessage(msg, wp, lp, result);
}

}  // namespace qb::tk
