// A service program for the services page's tests. The service manager starts
// it as
//   services_test_service.exe <behaviour> <service name>
// and it behaves as told:
//   run         runs, and stops when asked
//   hang-start  stays START_PENDING without progress
//   creep-start stays START_PENDING, its check point rising at every report
//   step-start  reports START_PENDING with check points 1 to 3, then runs
//   fail-start  reports START_PENDING, then stops by itself
//   no-stop     runs and does not accept the stop request
//   hang-stop   accepts the stop request, then stays STOP_PENDING
// Whatever the behaviour, setting the event "<service name>.end" makes it
// report STOPPED and end; after a minute it ends by itself.
#include <windows.h>

#include <string>

namespace {

std::string behaviour;
std::string serviceName;
SERVICE_STATUS_HANDLE statusHandle = nullptr;
SERVICE_STATUS status{};
HANDLE endEvent = nullptr;
HANDLE stopRequested = nullptr;

void report(DWORD state, DWORD checkPoint = 0, DWORD waitHint = 0) {
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = (behaviour == "no-stop" || state != SERVICE_RUNNING) ? 0 : SERVICE_ACCEPT_STOP;
  status.dwWin32ExitCode = NO_ERROR;
  status.dwCheckPoint = checkPoint;
  status.dwWaitHint = waitHint;
  SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI control(DWORD code, DWORD, void*, void*) {
  if (code == SERVICE_CONTROL_STOP && behaviour != "no-stop") {
    report(SERVICE_STOP_PENDING, 1, 100);
    if (behaviour != "hang-stop") SetEvent(stopRequested);
    return NO_ERROR;
  }
  if (code == SERVICE_CONTROL_INTERROGATE) return NO_ERROR;
  return ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI serviceMain(DWORD, char**) {
  statusHandle = RegisterServiceCtrlHandlerExA(serviceName.c_str(), control, nullptr);
  if (!statusHandle) return;
  HANDLE waits[] = {endEvent, stopRequested};
  const DWORD lifetime = 60000;
  if (behaviour == "hang-start") {
    report(SERVICE_START_PENDING, 1, 100);
    WaitForMultipleObjects(1, waits, FALSE, lifetime);
  } else if (behaviour == "creep-start") {
    for (DWORD point = 1; point < lifetime / 50; ++point) {
      report(SERVICE_START_PENDING, point, 100);
      if (WaitForSingleObject(endEvent, 50) == WAIT_OBJECT_0) break;
    }
  } else if (behaviour == "step-start") {
    for (DWORD point = 1; point <= 3; ++point) {
      report(SERVICE_START_PENDING, point, 100);
      Sleep(120);
    }
    report(SERVICE_RUNNING);
    WaitForMultipleObjects(2, waits, FALSE, lifetime);
  } else if (behaviour == "fail-start") {
    report(SERVICE_START_PENDING, 0, 100);
    Sleep(150);
  } else {
    report(SERVICE_RUNNING);
    WaitForMultipleObjects(2, waits, FALSE, lifetime);
  }
  report(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  behaviour = argv[1];
  serviceName = argv[2];
  endEvent = CreateEventA(nullptr, TRUE, FALSE, (serviceName + ".end").c_str());
  stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SERVICE_TABLE_ENTRYA table[] = {{serviceName.data(), serviceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
