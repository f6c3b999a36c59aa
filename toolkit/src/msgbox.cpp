#include "qb/tk/msgbox.h"

#include <exception>

#include "qb/win/text.h"

namespace qb::tk {
namespace {
MessageBoxHook& hook() {
  static MessageBoxHook h;
  return h;
}
}  // namespace

int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  if (hook()) return hook()(MessageBoxCall{owner, text, caption, flags});
  return MessageBoxW(owner, qb::win::widen(text).c_str(), qb::win::widen(caption).c_str(), flags);
}

void reportCurrentException(HWND owner) {
  try {
    throw;
  } catch (const std::exception& e) {
    messageBox(owner, e.what(), "Qubrix", MB_OK | MB_ICONERROR);
  } catch (...) {
    messageBox(owner, "Nieznany błąd", "Qubrix", MB_OK | MB_ICONERROR);
  }
}

void setMessageBoxHook(MessageBoxHook h) { hook() = std::move(h); }

}  // namespace qb::tk
