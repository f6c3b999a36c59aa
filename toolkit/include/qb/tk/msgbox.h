#pragma once
// Every message box of the toolkit's users goes through here, so that tests
// can answer them instead of a person.
#include <windows.h>

#include <functional>
#include <string>

namespace qb::tk {

struct MessageBoxCall {
  HWND owner;
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  UINT flags;
};

int messageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags = MB_OK);

// The one reporter of the suite, called inside a catch block wherever an
// exception must stop: at a window procedure, an export, a timer. A failed
// registry write shows "Nie udało się zapisać ustawień." with the key; anything
// else a general message, with the exception's own text below it when it has
// one. It never throws.
void reportCurrentException(HWND owner) noexcept;

// The text reportCurrentException shows for the exception being handled.
std::string currentExceptionText();

// While set, the hook answers instead of a real message box. Returns the hook
// it replaces, so that hooks can nest.
using MessageBoxHook = std::function<int(const MessageBoxCall&)>;
MessageBoxHook setMessageBoxHook(MessageBoxHook hook);

}  // namespace qb::tk
