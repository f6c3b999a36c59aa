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

// Shows the exception being handled (call it inside a catch block): the edge
// where an exception stops before it would cross a window procedure.
void reportCurrentException(HWND owner);

// While set, the hook answers instead of a real message box.
using MessageBoxHook = std::function<int(const MessageBoxCall&)>;
void setMessageBoxHook(MessageBoxHook hook);

}  // namespace qb::tk
