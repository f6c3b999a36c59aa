#include "qb/tk/msgbox.h"

#include "qb/win/text.h"

namespace tk {
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

void setMessageBoxHook(MessageBoxHook h) { hook() = std::move(h); }

}  // namespace tk
