#pragma once
// The services and drivers page: lists what the service manager knows of the
// local machine, with details from each entry's registry key, and starts or
// stops the selected entry.
#include <windows.h>
#include <winsvc.h>

#include <string>
#include <vector>

#include "qb/shell/page.h"
#include "qb/tk/container.h"
#include "qb/tk/controls.h"
#include "qb/tk/listview.h"

namespace qb::services {

// The block one enumeration call fills: room for 4,097 fixed parts of 36
// bytes, the names sharing it.
constexpr DWORD kEnumerationBlock = 147492;

// The texts a language file can replace; they live as long as the module.
struct ModuleTexts {
  std::string driverColumn = "Typ";
  std::string serviceColumn = "Typ uruchomienia";
  std::string automatic = "Automatyczny";
  std::string manual = "Ręczny";
  std::string disabled = "Wyłączony";
  std::string localService = "Usługa lokalna";
  std::string networkService = "Usługa sieciowa";
  std::string kernelDriver = "Sterownik jądra";
  std::string fileSystemDriver = "Sterownik systemu plików";
};
ModuleTexts& moduleTexts();

// The fixed name of a service state; empty for an unknown one.
const char* stateName(DWORD state);

// The enumeration call the fill makes (EnumServicesStatusA). Tests replace it
// to play a manager with more entries than one block holds; null puts the
// system's call back. Returns the call replaced.
using EnumerationCall = BOOL(WINAPI*)(SC_HANDLE manager, DWORD type, DWORD state, LPENUM_SERVICE_STATUSA block,
                                      DWORD blockSize, LPDWORD needed, LPDWORD returned, LPDWORD resume);
EnumerationCall replaceEnumerationCall(EnumerationCall call);

// How long a start or stop may wait for its service.
struct WaitBounds {
  DWORD totalMs = 20000;        // never longer than this in all
  int unchangedCheckPoints = 5;  // polls in a row without progress before giving up
  DWORD shortestPollMs = 50;     // a wait hint of 0 must not spin
};
enum class WaitEnd { Reached, QueryFailed, CheckPointFell, NoProgress, TimedOut };
// Polls the service at its wait hint until it reaches `state` or one of the
// bounds ends the wait. Keeps the windows of this thread painted meanwhile.
WaitEnd waitForState(SC_HANDLE service, DWORD state, const WaitBounds& bounds = {});

}  // namespace qb::services

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::Panel Panel1;
  qb::tk::Button Button2;
  qb::tk::Button Button3;
  qb::tk::Button Button1;
  qb::tk::RadioButton RadioButton1;
  qb::tk::RadioButton RadioButton2;
  qb::tk::ListView ListView1;

  // Lists the services or the drivers, as the radio buttons say.
  void FillList();

  void Button1Click(qb::tk::Control& sender);
  void Button2Click(qb::tk::Control& sender);
  void Button3Click(qb::tk::Control& sender);

  // The manager's name of each row's entry (system ANSI code page), by row index.
  const std::vector<std::string>& serviceNames() const { return names_; }

 protected:
  void FormShow() override;

 private:
  // The selected row's entry, or empty when none is selected.
  std::string selectedName() const;

  qb::tk::UniqueImageList rowImages_;
  std::vector<std::string> names_;
};
