#include "qb/tk/msgbox.h"

#include <exception>
#include <utility>

#include "qb/win/registry.h"
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

std::string currentExceptionText() {
  const std::string general = "Wystąpił nieoczekiwany błąd.";
  try {
    throw;
  } catch (const qb::win::reg::RegistryError& e) {
    return "Nie udało się zapisać ustawień.\r" + e.location();
  } catch (const std::exception& e) {
    const std::string detail = e.what();
    return detail.empty() ? general : general + "\r" + detail;
  } catch (...) {
    return general;
  }
}

void reportCurrentException(HWND owner) noexcept {
  try {
    messageBox(owner, currentExceptionText(), "Qubrix", MB_OK | MB_ICONERROR);
  } catch (...) {
    // Out of memory or a failing message box: nothing more can be told.
  }
}

MessageBoxHook setMessageBoxHook(MessageBoxHook h) { return std::exchange(hook(), std::move(h)); }

}  // namespace qb::tk
