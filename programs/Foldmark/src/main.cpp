// Foldmark: switches the view of the desktop's icons, from its window or from
// one command-line option.
#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <string>

#include "foldmark_form.h"
#include "qb/tk/application.h"
#include "qb/tk/msgbox.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"

namespace {

// The wide command line keeps characters outside the ANSI code page intact:
// their 8-bit form could turn into a look-alike letter of an option.
std::string firstArgument() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const qb::win::UniqueLocal memory(arguments);
  if (!arguments) return {};
  return count > 1 ? qb::win::narrow(arguments[1]) : std::string();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  qb::tk::Application& app = qb::tk::Application::instance();
  int exitCode = 0;
  try {
    TForm2* form = qb::tk::Form::create<TForm2>(firstArgument());
    exitCode = app.run(*form);
  } catch (...) {
    qb::tk::reportCurrentException(nullptr);
    exitCode = 1;
  }
  app.shutdown();
  return exitCode;
}
