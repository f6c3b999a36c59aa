#include "services_page.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "qb/shell/language.h"
#include "qb/text.h"
#include "qb/win/handles.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace reg = qb::win::reg;
using qb::services::ModuleTexts;

namespace {

const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";

qb::services::EnumerationCall enumerationCall = nullptr;

qb::services::EnumerationCall currentEnumerationCall() {
  return enumerationCall ? enumerationCall : &EnumServicesStatusA;
}

// One entry of the manager's list, its names as the manager gave them (ANSI).
struct Entry {
  std::string name;
  std::string displayName;
  DWORD state;
};

// A text the block holds: it must start inside the block and end there too.
bool blockText(const unsigned char* block, DWORD size, const char* text, std::string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  if (!p || p < block || p >= block + size) return false;
  const void* end = std::memchr(p, 0, static_cast<size_t>(block + size - p));
  if (!end) return false;
  out.assign(text, static_cast<const unsigned char*>(end) - p);
  return true;
}

// Every entry of one kind. A list that does not fit the block comes in
// further calls from where the last one stopped, so nothing is left out;
// a manager that reports more but makes no progress ends the listing.
std::vector<Entry> enumerate(SC_HANDLE manager, DWORD type) {
  std::vector<Entry> entries;
  std::vector<unsigned char> block(qb::services::kEnumerationBlock);
  const DWORD size = static_cast<DWORD>(block.size());
  const DWORD fitting = size / sizeof(ENUM_SERVICE_STATUSA);
  const auto call = currentEnumerationCall();
  DWORD resume = 0;
  for (;;) {
    // A manager that counts entries it did not write leaves zeros, never stale pointers.
    std::fill(block.begin(), block.end(), 0);
    DWORD needed = 0, returned = 0;
    const DWORD resumedAt = resume;
    const BOOL ok = call(manager, type, SERVICE_STATE_ALL, reinterpret_cast<LPENUM_SERVICE_STATUSA>(block.data()),
                         size, &needed, &returned, &resume);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (!ok && error != ERROR_MORE_DATA) break;
    const auto* fixed = reinterpret_cast<const ENUM_SERVICE_STATUSA*>(block.data());
    size_t listed = 0;
    for (DWORD i = 0; i < std::min(returned, fitting); ++i) {
      Entry e;
      if (!blockText(block.data(), size, fixed[i].lpServiceName, e.name)) continue;
      if (!blockText(block.data(), size, fixed[i].lpDisplayName, e.displayName)) e.displayName.clear();
      e.state = fixed[i].ServiceStatus.dwCurrentState;
      entries.push_back(std::move(e));
      ++listed;
    }
    if (ok || listed == 0 || resume == resumedAt) break;
  }
  return entries;
}

// A registry text by the "-1" rule: a key that cannot be opened reads "-1",
// a missing value (or one that is not text) the empty text.
std::string sentinelText(HKEY key, const char* name) {
  if (!key) return "-1";
  const reg::Text t = reg::readText(key, name);
  return t.found == reg::Found::Value ? t.text : std::string();
}

// A registry number; -1 when the key or a number value is missing.
long long numberOrMinusOne(HKEY key, const char* name) {
  if (!key) return -1;
  const reg::Number n = reg::readNumber(key, name);
  return n.found == reg::Found::Value ? static_cast<long long>(static_cast<std::int32_t>(n.value)) : -1;
}

std::string startTypeText(long long start, const ModuleTexts& texts) {
  switch (start) {
    case 2: return texts.automatic;
    case 3: return texts.manual;
    case 4: return texts.disabled;
    default: return {};
  }
}

std::string driverTypeText(long long type, const ModuleTexts& texts) {
  switch (type) {
    case 1: return texts.kernelDriver;
    case 2: return texts.fileSystemDriver;
    case 4: return "????";
    default: return {};
  }
}

// The usual accounts get their friendly names; the comparison keeps case.
std::string accountText(const std::string& account, const ModuleTexts& texts) {
  if (account == "LocalSystem" || account == "NT AUTHORITY\\LocalService") return texts.localService;
  if (account == "NT AUTHORITY\\NetworkService" || account == "NT Authority\\NetworkService")
    return texts.networkService;
  return account;
}

// Lets this thread's windows repaint during a wait without running any
// input handler, so the page cannot change or close under the wait.
void pauseKeepingPainted(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    // A window that never validates would otherwise keep this loop busy.
    for (int i = 0; i < 64 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) DispatchMessageW(&msg);
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return;
    Sleep(std::min<DWORD>(milliseconds - elapsed, 20));
  }
}

// The hourglass for as long as the scope lasts.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  ~WaitCursor() { SetCursor(previous_); }

 private:
  HCURSOR previous_;
};

// Asks the manager to start or stop a service and waits for the outcome.
// Nothing is reported: the refill that follows shows where it stands.
void startOrStop(const std::string& name, bool start) {
  const qb::win::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return;
  const DWORD access = (start ? SERVICE_START : SERVICE_STOP) | SERVICE_QUERY_STATUS;
  const qb::win::UniqueServiceHandle service(OpenServiceA(manager.get(), name.c_str(), access));
  if (!service) return;
  SERVICE_STATUS status{};
  const BOOL requested =
      start ? StartServiceA(service.get(), 0, nullptr) : ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
  if (!requested) return;
  const WaitCursor busy;
  qb::services::waitForState(service.get(), start ? SERVICE_RUNNING : SERVICE_STOPPED);
}

}  // namespace

qb::services::ModuleTexts& qb::services::moduleTexts() {
  static ModuleTexts texts;
  return texts;
}

const char* qb::services::stateName(DWORD state) {
  static const char* const names[] = {"STOPPED",          "START_PENDING", "STOP_PENDING", "RUNNING",
                                      "CONTINUE_PENDING", "PAUSE_PENDING", "PAUSED"};
  return state >= 1 && state <= 7 ? names[state - 1] : "";
}

qb::services::EnumerationCall qb::services::replaceEnumerationCall(EnumerationCall call) {
  const EnumerationCall previous = currentEnumerationCall();
  enumerationCall = call;
  return previous;
}

qb::services::WaitEnd qb::services::waitForState(SC_HANDLE service, DWORD state, const WaitBounds& bounds) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status)) return WaitEnd::QueryFailed;
  const DWORD start = GetTickCount();
  int unchanged = 0;
  while (status.dwCurrentState != state) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= bounds.totalMs) return WaitEnd::TimedOut;
    const DWORD checkPoint = status.dwCheckPoint;
    // The last poll may be shorter than the shortest one, never past the total.
    pauseKeepingPainted(std::min(std::max(status.dwWaitHint, bounds.shortestPollMs), bounds.totalMs - elapsed));
    if (!QueryServiceStatus(service, &status)) return WaitEnd::QueryFailed;
    // A service that got there reports check point 0, below its last pending one.
    if (status.dwCurrentState == state) break;
    if (status.dwCheckPoint < checkPoint) return WaitEnd::CheckPointFell;
    unchanged = status.dwCheckPoint == checkPoint ? unchanged + 1 : 0;
    if (unchanged >= bounds.unchangedCheckPoints) return WaitEnd::NoProgress;
  }
  return WaitEnd::Reached;
}

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", "TDLLForm", {0, 0, 640, 420}),
      Panel1(*this, "Panel1", {0, 0, 640, 41}),
      Button2(Panel1, "Button2", {8, 8, 75, 25}, "Start"),
      Button3(Panel1, "Button3", {88, 8, 75, 25}, "Stop"),
      Button1(Panel1, "Button1", {168, 8, 75, 25}, "Odśwież"),
      RadioButton1(Panel1, "RadioButton1", {264, 12, 100, 17}, "Usługi"),
      RadioButton2(Panel1, "RadioButton2", {368, 12, 100, 17}, "Sterowniki"),
      ListView1(*this, "ListView1", {0, 41, 640, 379}, qb::tk::ListOption::RowSelect),
      rowImages_(qb::tk::singleIconImages(IDI_APPLICATION)) {
  Panel1.setAlign(qb::tk::Align::Top);
  ListView1.setAlign(qb::tk::Align::Client);
  RadioButton1.setChecked(true);
  const std::pair<const char*, int> columns[] = {
      {"Nazwa", 150}, {"Nazwa wyświetlana", 150}, {"Opis", 50}, {"Stan", 80},
      {"Typ uruchomienia", 80}, {"Logowanie jako", 80}, {"Ścieżka", 50},
  };
  for (const auto& [title, width] : columns) ListView1.addColumn(title, width);
  ListView1.setSmallImages(rowImages_.get());
  Button1.onClick = [this](qb::tk::Control& s) { Button1Click(s); };
  Button2.onClick = [this](qb::tk::Control& s) { Button2Click(s); };
  Button3.onClick = [this](qb::tk::Control& s) { Button3Click(s); };
}

void TDLLForm::FormShow() {
  ModuleTexts& texts = qb::services::moduleTexts();
  qb::shell::LoadLangFile("services", {
      qb::shell::columnTitleKey("x1", ListView1, 0),
      qb::shell::columnTitleKey("x2", ListView1, 1),
      qb::shell::columnTitleKey("x3", ListView1, 2),
      qb::shell::columnTitleKey("x4", ListView1, 3),
      {"x5", [this, &texts](const std::string& t) {
         ListView1.setColumnTitle(4, t);
         texts.serviceColumn = t;
       }},
      qb::shell::columnTitleKey("x6", ListView1, 5),
      qb::shell::columnTitleKey("x7", ListView1, 6),
      qb::shell::captionKey("x8", Button2),
      qb::shell::captionKey("x9", Button3),
      qb::shell::captionKey("x10", Button1),
      qb::shell::captionKey("x11", RadioButton1),
      qb::shell::captionKey("x12", RadioButton2),
      {"x13", [&texts](const std::string& t) { texts.driverColumn = t; }},
      {"x14", [&texts](const std::string& t) { texts.automatic = t; }},
      {"x15", [&texts](const std::string& t) { texts.manual = t; }},
      {"x16", [&texts](const std::string& t) { texts.disabled = t; }},
      {"x17", [&texts](const std::string& t) { texts.localService = t; }},
      {"x18", [&texts](const std::string& t) { texts.networkService = t; }},
      {"x19", [&texts](const std::string& t) { texts.kernelDriver = t; }},
      {"x20", [&texts](const std::string& t) { texts.fileSystemDriver = t; }},
  });
  FillList();
}

void TDLLForm::FillList() {
  const qb::tk::ListView::UpdateScope update(ListView1);
  ListView1.clear();
  names_.clear();
  const bool services = RadioButton1.checked();
  const qb::win::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return;
  const ModuleTexts& texts = qb::services::moduleTexts();
  for (const Entry& entry : enumerate(manager.get(), services ? SERVICE_WIN32 : SERVICE_DRIVER)) {
    const std::string name = qb::win::narrow(qb::win::fromAnsi(entry.name));
    const auto key = reg::openKey(HKEY_LOCAL_MACHINE, kServicesKey + name);
    const int row = ListView1.addItem(name, 0);
    ListView1.setSubItem(row, 1, qb::win::narrow(qb::win::fromAnsi(entry.displayName)));
    const std::string description = sentinelText(key.get(), "Description");
    ListView1.setSubItem(row, 2, qb::sentinelTextPresent(description) ? description : std::string());
    ListView1.setSubItem(row, 3, qb::services::stateName(entry.state));
    ListView1.setSubItem(row, 4,
                         services ? startTypeText(numberOrMinusOne(key.get(), "Start"), texts)
                                  : driverTypeText(numberOrMinusOne(key.get(), "type"), texts));
    ListView1.setSubItem(row, 5, accountText(sentinelText(key.get(), "ObjectName"), texts));
    ListView1.setSubItem(row, 6, sentinelText(key.get(), "ImagePath"));
    names_.push_back(entry.name);
  }
  // The column's title follows the mode once an entry of that mode is listed.
  if (!names_.empty()) ListView1.setColumnTitle(4, services ? texts.serviceColumn : texts.driverColumn);
}

std::string TDLLForm::selectedName() const {
  const int row = ListView1.selectedIndex();
  return row >= 0 && static_cast<size_t>(row) < names_.size() ? names_[static_cast<size_t>(row)] : std::string();
}

void TDLLForm::Button1Click(qb::tk::Control&) { FillList(); }

void TDLLForm::Button2Click(qb::tk::Control&) {
  if (const std::string name = selectedName(); !name.empty()) startOrStop(name, true);
  FillList();
}

void TDLLForm::Button3Click(qb::tk::Control&) {
  if (const std::string name = selectedName(); !name.empty()) startOrStop(name, false);
  FillList();
}
