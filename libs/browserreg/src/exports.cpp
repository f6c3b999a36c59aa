// The exports of browserreg.dll. Every export opens its key, does one read or
// one write and closes the key again; no exception leaves an export.
#include <windows.h>

#include <string>

#include "browserreg.h"
#include "qb/text.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "thread_text.h"

namespace {

namespace reg = qb::win::reg;

constexpr char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kRestrictionsKey[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";

// The text of a Main value in the ANSI code page, or the empty text when it
// does not count as present: a key that does not open, a value that is missing
// or not text, an empty text or "-1". Every other text is returned as stored,
// whatever it begins with, so that a caller writing it back loses nothing.
std::string readMainText(const char* valueName) {
  std::string text;
  const qb::win::UniqueKey key = reg::openKey(HKEY_CURRENT_USER, kMainKey);
  if (!key) {
    text = "-1";
  } else {
    // A value that is not text reads like a missing one.
    const reg::Text value = reg::readText(key.get(), valueName);
    if (value.found == reg::Found::Value) text = qb::win::toAnsi(qb::win::widen(value.text));
  }
  return qb::storedTextPresent(text) ? text : std::string();
}

const char* keepMainText(qb::browserreg::ThreadText& buffer, const char* valueName) {
  try {
    return buffer.keep(readMainText(valueName));
  } catch (...) {
    return buffer.keep("");
  }
}

unsigned char readRestriction(const char* name) {
  try {
    const reg::Number n = reg::readNumber(HKEY_CURRENT_USER, kRestrictionsKey, name);
    return n.found == reg::Found::Value && n.value == 1 ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Reports through the thread's last error, as browserreg.h describes.
void saveRestriction(const char* name, int flag) {
  DWORD result = ERROR_SUCCESS;
  if (flag == 0 || flag == 1) {
    try {
      reg::writeNumber(HKEY_CURRENT_USER, kRestrictionsKey, name, static_cast<std::uint32_t>(flag));
    } catch (const reg::RegistryError& e) {
      result = e.code() != ERROR_SUCCESS ? static_cast<DWORD>(e.code()) : ERROR_WRITE_FAULT;
    } catch (...) {
      result = ERROR_NOT_ENOUGH_MEMORY;
    }
  }
  SetLastError(result);
}

}  // namespace

extern "C" {

const char* __stdcall GetIEWindowTitle(void) {
  return keepMainText(qb::browserreg::windowTitleText(), "Window Title");
}

const char* __stdcall GetIEStartPage(void) { return keepMainText(qb::browserreg::startPageText(), "Start Page"); }

#define RESTRICTION_EXPORTS(name)                                           \
  unsigned char __stdcall Get##name(void) { return readRestriction(#name); } \
  void __stdcall Save##name(int flag) { saveRestriction(#name, flag); }

RESTRICTION_EXPORTS(AlwaysPromptWhenDownload)
RESTRICTION_EXPORTS(NoSelectDownloadDir)
RESTRICTION_EXPORTS(NoBrowserClose)
RESTRICTION_EXPORTS(NoBrowserBars)
RESTRICTION_EXPORTS(NoBrowserContextMenu)
RESTRICTION_EXPORTS(NoBrowserOptions)
RESTRICTION_EXPORTS(NoBrowserSaveAs)
RESTRICTION_EXPORTS(NoFavorites)
RESTRICTION_EXPORTS(NoNavButtons)
RESTRICTION_EXPORTS(NoOpeninNewWnd)
RESTRICTION_EXPORTS(NoPrinting)
RESTRICTION_EXPORTS(NoTheaterMode)
RESTRICTION_EXPORTS(NoViewSource)
RESTRICTION_EXPORTS(RestGoMenu)

#undef RESTRICTION_EXPORTS

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  using qb::browserreg::startPageText;
  using qb::browserreg::windowTitleText;
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      windowTitleText().attach();
      startPageText().attach();
      break;
    case DLL_THREAD_DETACH:
      windowTitleText().releaseThread();
      startPageText().releaseThread();
      break;
    case DLL_PROCESS_DETACH:
      windowTitleText().detach();
      startPageText().detach();
      break;
    default:
      break;
  }
  return TRUE;
}

}  // extern "C"
