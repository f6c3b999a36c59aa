#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include <cstring>
#include <map>
#include <optional>
#include <vector>

#include "qb/test/export_table.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/handles.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "services_page.h"

namespace reg = qb::win::reg;
using qb::services::WaitEnd;

namespace {

const char kHostTitle[] = "Services test host";
const char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services\\";

struct Row {
  std::string name, displayName, description, state, type, account, path;
};

std::optional<Row> findRow(TDLLForm& page, const std::string& name) {
  for (int i = 0; i < page.ListView1.count(); ++i) {
    if (page.ListView1.itemText(i) != name) continue;
    Row r;
    std::string* cells[] = {&r.name, &r.displayName, &r.description, &r.state, &r.type, &r.account, &r.path};
    for (int c = 0; c < 7; ++c) *cells[c] = page.ListView1.itemText(i, c);
    return r;
  }
  return std::nullopt;
}

bool selectRow(TDLLForm& page, const std::string& name) {
  for (int i = 0; i < page.ListView1.count(); ++i)
    if (page.ListView1.itemText(i) == name) {
      page.ListView1.select(i);
      return true;
    }
  return false;
}

// A service registered with the real service manager for one case and
// deleted after it. Programs are the test service in the given behaviour;
// drivers point at a file that is never loaded.
class TestService {
 public:
  TestService(const std::string& behaviour, DWORD type = SERVICE_WIN32_OWN_PROCESS, size_t nameLength = 0)
      : name_(nameOfLength("QbSvcTest_" + behaviour + "_" + std::to_string(GetCurrentProcessId()), nameLength)) {
    manager_.reset(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const std::string program = qb::win::narrow(qb::test::programFolder()) + "\\services_test_service.exe";
    const std::string path = type == SERVICE_WIN32_OWN_PROCESS ? "\"" + program + "\" " + behaviour + " " + name_
                                                                : "system32\\drivers\\" + name_ + ".sys";
    const std::string displayName = nameOfLength("Qubrix test " + behaviour, nameLength);
    service_.reset(CreateServiceA(manager_.get(), name_.c_str(), displayName.c_str(),
                                  SERVICE_ALL_ACCESS, type, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, path.c_str(),
                                  nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(service_) << "CreateServiceA " << name_ << " failed: " << GetLastError();
  }
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;
  ~TestService() {
    if (!service_) return;
    // Whatever state the case left it in, the program ends when told.
    if (HANDLE end = OpenEventA(EVENT_MODIFY_STATE, FALSE, (name_ + ".end").c_str())) {
      SetEvent(end);
      CloseHandle(end);
    }
    SERVICE_STATUS status{};
    for (int i = 0; i < 100 && QueryServiceStatus(service_.get(), &status) && status.dwCurrentState != SERVICE_STOPPED;
         ++i)
      Sleep(50);
    DeleteService(service_.get());
  }

  const std::string& name() const { return name_; }
  SC_HANDLE handle() const { return service_.get(); }
  DWORD state() const {
    SERVICE_STATUS status{};
    return QueryServiceStatus(service_.get(), &status) ? status.dwCurrentState : 0;
  }
  bool start() { return StartServiceA(service_.get(), 0, nullptr) != FALSE; }
  // Starts it and waits until it runs, as a case's precondition.
  void startRunning() {
    ASSERT_TRUE(start()) << GetLastError();
    EXPECT_EQ(qb::services::waitForState(service_.get(), SERVICE_RUNNING), WaitEnd::Reached);
  }
  std::string registryPath() const { return kServicesKey + name_; }

 private:
  // Padded out to `length` characters when one is given.
  static std::string nameOfLength(std::string name, size_t length) {
    if (name.size() < length) name += std::string(length - name.size(), 'x');
    return name;
  }

  std::string name_;
  qb::win::UniqueServiceHandle manager_;
  qb::win::UniqueServiceHandle service_;
};

DWORD elapsedSince(DWORD start) { return GetTickCount() - start; }

class ServicesPage : public qb::test::PageTest<TDLLForm> {
 protected:
  ServicesPage() : PageTest(kHostTitle) {}
  void TearDown() override {
    PageTest::TearDown();
    qb::services::moduleTexts() = {};
  }
};

TEST_F(ServicesPage, StartAndStopChangeTheStateShown) {
  TestService service("run");
  TDLLForm& page = show();
  auto before = findRow(page, service.name());
  ASSERT_TRUE(before) << "the new service is listed";
  EXPECT_EQ(before->displayName, "Qubrix test run");
  EXPECT_EQ(before->state, "STOPPED");

  ASSERT_TRUE(selectRow(page, service.name()));
  page.Button2.click();
  EXPECT_EQ(service.state(), static_cast<DWORD>(SERVICE_RUNNING));
  auto running = findRow(page, service.name());
  ASSERT_TRUE(running) << "the list is refilled after the start";
  EXPECT_EQ(running->state, "RUNNING") << "the wait lasts until the service runs";

  ASSERT_TRUE(selectRow(page, service.name()));
  page.Button3.click();
  auto stopped = findRow(page, service.name());
  ASSERT_TRUE(stopped);
  EXPECT_EQ(stopped->state, "STOPPED");
  EXPECT_EQ(service.state(), static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(ServicesPage, NamesOfTheLongestKindAreListedAndStartedWhole) {
  // The manager takes names and display names of up to 256 characters. Wine's
  // dispatcher does not start a service whose name has all 256, so the one
  // that is started has 255.
  TestService longest("run", SERVICE_WIN32_OWN_PROCESS, 256);
  TestService started("run", SERVICE_WIN32_OWN_PROCESS, 255);
  TDLLForm& page = show();
  for (const TestService* service : {&longest, &started}) {
    const auto row = findRow(page, service->name());
    ASSERT_TRUE(row) << service->name().size();
    EXPECT_EQ(row->displayName.size(), service->name().size());
  }
  ASSERT_TRUE(selectRow(page, started.name()));
  page.Button2.click();
  EXPECT_EQ(started.state(), static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(findRow(page, started.name())->state, "RUNNING");
}

TEST_F(ServicesPage, ButtonsWithoutASelectionOnlyRefill) {
  TestService service("run");
  TDLLForm& page = show();
  ASSERT_TRUE(findRow(page, service.name()));
  // A row added after the fill shows that the button refilled the list.
  for (auto* button : {&page.Button2, &page.Button3}) {
    page.ListView1.addItem("stale row");
    button->click();
    EXPECT_FALSE(findRow(page, "stale row")) << button->name();
    EXPECT_EQ(service.state(), static_cast<DWORD>(SERVICE_STOPPED)) << button->name();
  }
}

// Services that do not behave: each wait ends within its bound, and the page
// shows where the service was left.
TEST_F(ServicesPage, WaitsForMisbehavingServicesEndWithinTheirBound) {
  struct Case {
    const char* behaviour;
    bool runFirst;    // start it before the page acts
    bool pressStart;  // else Stop
    const char* shown;
  };
  const Case cases[] = {
      {"hang-start", false, true, "START_PENDING"},
      {"fail-start", false, true, "STOPPED"},
      {"no-stop", true, false, "RUNNING"},
      {"hang-stop", true, false, "STOP_PENDING"},
  };
  TDLLForm& page = show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour);
    TestService service(c.behaviour);
    if (c.runFirst) service.startRunning();
    page.Button1.click();
    ASSERT_TRUE(selectRow(page, service.name()));
    const DWORD start = GetTickCount();
    (c.pressStart ? page.Button2 : page.Button3).click();
    EXPECT_LT(elapsedSince(start), 5000u) << "no progress for five polls ends the wait";
    const auto row = findRow(page, service.name());
    ASSERT_TRUE(row);
    EXPECT_EQ(row->state, c.shown);
  }
}

TEST_F(ServicesPage, AServiceThatKeepsReportingProgressStopsTheWaitAtTheTotalBound) {
  TestService service("creep-start");
  ASSERT_TRUE(service.start());
  qb::services::WaitBounds bounds;
  bounds.totalMs = 1500;
  const DWORD start = GetTickCount();
  EXPECT_EQ(qb::services::waitForState(service.handle(), SERVICE_RUNNING, bounds), WaitEnd::TimedOut);
  EXPECT_GE(elapsedSince(start), 1400u);
  EXPECT_LT(elapsedSince(start), 3000u);
}

TEST_F(ServicesPage, AServiceThatRunsAfterPendingStepsEndsTheWaitAsReached) {
  // Running resets the check point to 0, below the last pending one.
  TestService service("step-start");
  ASSERT_TRUE(service.start());
  EXPECT_EQ(qb::services::waitForState(service.handle(), SERVICE_RUNNING), WaitEnd::Reached);
  EXPECT_EQ(service.state(), static_cast<DWORD>(SERVICE_RUNNING));
}

// Registry data of each kind in the service's key, as the page shows it.
TEST_F(ServicesPage, TextColumnsFollowTheServiceKey) {
  TestService service("run");
  const std::string key = service.registryPath();
  const std::string longDescription(16 * 1024, 'd');
  struct Values {
    std::optional<reg::Raw> description, start, account, path;
  };
  auto text = [](const std::wstring& t) { return reg::Raw{reg::Found::Value, REG_SZ, qb::test::wideBytes(t)}; };
  auto number = [](DWORD n) {
    std::vector<unsigned char> b(4);
    std::memcpy(b.data(), &n, 4);
    return reg::Raw{reg::Found::Value, REG_DWORD, b};
  };
  struct Case {
    const char* what;
    bool key;
    Values values;
    Row expected;  // name and state are not compared
  };
  const Case cases[] = {
      {"no key", false, {}, {"", "", "", "", "", "-1", "-1"}},
      {"empty key", true, {}, {"", "", "", "", "", "", ""}},
      {"automatic, local system",
       true,
       {text(L"Pierwsza usługa"), number(2), text(L"LocalSystem"), reg::Raw{reg::Found::Value, REG_EXPAND_SZ,
                                                                             qb::test::wideBytes(L"%SystemRoot%\\a.exe")}},
       {"", "", "Pierwsza usługa", "", "Automatyczny", "Usługa lokalna", "%SystemRoot%\\a.exe"}},
      {"manual, local service",
       true,
       {text(L"-2"), number(3), text(L"NT AUTHORITY\\LocalService"), text(L"b.exe")},
       {"", "", "-2", "", "Ręczny", "Usługa lokalna", "b.exe"}},
      {"disabled, network service",
       true,
       {text(L"-1"), number(4), text(L"NT AUTHORITY\\NetworkService"), text(L"")},
       {"", "", "", "", "Wyłączony", "Usługa sieciowa", ""}},
      {"boot start after automatic, network service in mixed case",
       true,
       {text(L"-"), number(0), text(L"NT Authority\\NetworkService"), text(L"c.exe")},
       {"", "", "", "", "", "Usługa sieciowa", "c.exe"}},
      {"system start, an account differing in case",
       true,
       {text(L"+1"), number(1), text(L"nt authority\\localservice"), text(L"d.exe")},
       {"", "", "", "", "", "nt authority\\localservice", "d.exe"}},
      {"values of the wrong type",
       true,
       {number(5), text(L"2"), number(7), reg::Raw{reg::Found::Value, REG_BINARY, {1, 2, 3}}},
       {"", "", "", "", "", "", ""}},
      {"start of a wrong size, a long description",
       true,
       {text(qb::win::widen(longDescription)), reg::Raw{reg::Found::Value, REG_DWORD, {2, 0}}, text(L".\\user"),
        text(L"e.exe")},
       {"", "", longDescription, "", "", ".\\user", "e.exe"}},
  };
  TDLLForm& page = show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reg::deleteTree(HKEY_LOCAL_MACHINE, key);
    if (c.key) reg::createKey(HKEY_LOCAL_MACHINE, key);
    const std::pair<const char*, const std::optional<reg::Raw>*> values[] = {
        {"Description", &c.values.description},
        {"Start", &c.values.start},
        {"ObjectName", &c.values.account},
        {"ImagePath", &c.values.path}};
    for (const auto& [name, value] : values)
      if (*value) reg::writeRaw(HKEY_LOCAL_MACHINE, key, name, (*value)->type, (*value)->data);
    page.Button1.click();
    const auto row = findRow(page, service.name());
    ASSERT_TRUE(row);
    EXPECT_EQ(row->description, c.expected.description);
    EXPECT_EQ(row->state, "STOPPED");
    EXPECT_EQ(row->type, c.expected.type);
    EXPECT_EQ(row->account, c.expected.account);
    EXPECT_EQ(row->path, c.expected.path);
  }
  EXPECT_EQ(page.ListView1.columnTitle(4), "Typ uruchomienia");
}

TEST_F(ServicesPage, DriversShowTheirTypeOnceTheListIsRefilled) {
  TestService service("run");
  TestService driver("driver", SERVICE_KERNEL_DRIVER);
  TDLLForm& page = show();
  ASSERT_TRUE(findRow(page, service.name()));
  EXPECT_FALSE(findRow(page, driver.name()));

  page.RadioButton2.click();
  EXPECT_TRUE(findRow(page, service.name())) << "switching the mode refills nothing";
  EXPECT_EQ(page.ListView1.columnTitle(4), "Typ uruchomienia");

  const std::pair<std::optional<DWORD>, const char*> cases[] = {
      {1, "Sterownik jądra"}, {2, "Sterownik systemu plików"}, {4, "????"}, {8, ""}, {std::nullopt, ""}};
  for (const auto& [type, shown] : cases) {
    SCOPED_TRACE(type ? std::to_string(*type) : "no Type value");
    reg::deleteTree(HKEY_LOCAL_MACHINE, driver.registryPath());
    reg::createKey(HKEY_LOCAL_MACHINE, driver.registryPath());
    if (type) reg::writeNumber(HKEY_LOCAL_MACHINE, driver.registryPath(), "Type", *type);
    page.Button1.click();
    EXPECT_FALSE(findRow(page, service.name()));
    const auto row = findRow(page, driver.name());
    ASSERT_TRUE(row);
    EXPECT_EQ(row->type, shown);
    EXPECT_EQ(row->state, "STOPPED");
  }
  EXPECT_EQ(page.ListView1.columnTitle(4), "Typ");

  page.RadioButton1.click();
  page.Button1.click();
  EXPECT_TRUE(findRow(page, service.name()));
  EXPECT_EQ(page.ListView1.columnTitle(4), "Typ uruchomienia");
}

// A manager played by the test: `entries` in order, `perCall` at most per
// call as Windows hands them out (ERROR_MORE_DATA and a resume handle), or,
// with `countOnly`, the way Wine 8 answers a block that is too small: a count
// but no entries, and the resume handle left where it was.
struct PlayedManager {
  std::vector<std::pair<std::string, std::string>> entries;
  bool countOnly = false;
  int calls = 0;
};
PlayedManager* played = nullptr;

BOOL WINAPI playedEnumeration(SC_HANDLE, DWORD, DWORD, LPENUM_SERVICE_STATUSA block, DWORD size, LPDWORD needed,
                              LPDWORD returned, LPDWORD resume) {
  ++played->calls;
  const auto& all = played->entries;
  DWORD first = resume ? *resume : 0;
  if (played->countOnly) {
    *returned = static_cast<DWORD>(all.size());
    *needed = size * 2;
    SetLastError(ERROR_MORE_DATA);
    return FALSE;
  }
  // Fixed parts from the front, names from the back, as the system packs them.
  char* strings = reinterpret_cast<char*>(block) + size;
  DWORD n = 0;
  for (DWORD i = first; i < all.size(); ++i, ++n) {
    const size_t text = all[i].first.size() + 1 + all[i].second.size() + 1;
    char* fixedEnd = reinterpret_cast<char*>(block + n + 1);
    if (fixedEnd + text > strings) break;
    strings -= all[i].first.size() + 1;
    std::memcpy(strings, all[i].first.c_str(), all[i].first.size() + 1);
    block[n].lpServiceName = strings;
    strings -= all[i].second.size() + 1;
    std::memcpy(strings, all[i].second.c_str(), all[i].second.size() + 1);
    block[n].lpDisplayName = strings;
    block[n].ServiceStatus = SERVICE_STATUS{SERVICE_WIN32_OWN_PROCESS, SERVICE_RUNNING, 0, 0, 0, 0, 0};
  }
  *returned = n;
  if (first + n == all.size()) {
    if (resume) *resume = 0;
    *needed = 0;
    return TRUE;
  }
  if (resume) *resume = first + n;
  *needed = 1;
  SetLastError(ERROR_MORE_DATA);
  return FALSE;
}

class ServicesFromAPlayedManager : public ServicesPage {
 protected:
  ServicesFromAPlayedManager() { previous_ = qb::services::replaceEnumerationCall(&playedEnumeration); }
  ~ServicesFromAPlayedManager() override {
    qb::services::replaceEnumerationCall(previous_);
    played = nullptr;
  }
  PlayedManager manager;

 private:
  qb::services::EnumerationCall previous_ = nullptr;
};

TEST_F(ServicesFromAPlayedManager, EntriesBeyondOneBlockAreListedToo) {
  // Names of the longest kind the manager allows: about 270 entries fill a block.
  for (int i = 0; i < 5000; ++i) {
    const std::string number = std::to_string(10000 + i);
    manager.entries.push_back({std::string(251, 's') + number, std::string(251, 'D') + number});
  }
  played = &manager;
  TDLLForm& page = show();
  ASSERT_EQ(page.ListView1.count(), 5000);
  EXPECT_GT(manager.calls, 10);
  for (int i : {0, 269, 270, 2500, 4999}) {
    EXPECT_EQ(page.ListView1.itemText(i), manager.entries[i].first) << i;
    EXPECT_EQ(page.ListView1.itemText(i, 1), manager.entries[i].second) << i;
    EXPECT_EQ(page.ListView1.itemText(i, 3), "RUNNING") << i;
    EXPECT_EQ(page.serviceNames()[i], manager.entries[i].first) << i;
  }
}

TEST_F(ServicesFromAPlayedManager, AManagerThatCountsButFillsNothingEndsTheFill) {
  for (int i = 0; i < 5000; ++i) manager.entries.push_back({"svc" + std::to_string(i), "Service"});
  manager.countOnly = true;
  played = &manager;
  TDLLForm& page = show();
  EXPECT_EQ(page.ListView1.count(), 0) << "nothing is read from entries that were never written";
  EXPECT_EQ(manager.calls, 1);
}

TEST_F(ServicesFromAPlayedManager, AnEmptyListLeavesTheTypeColumnTitleAsItWas) {
  manager.entries = {{"one", "One"}};
  played = &manager;
  TDLLForm& page = show();
  ASSERT_EQ(page.ListView1.count(), 1);
  manager.entries.clear();
  page.RadioButton2.click();
  page.Button1.click();
  EXPECT_EQ(page.ListView1.count(), 0);
  EXPECT_EQ(page.ListView1.columnTitle(4), "Typ uruchomienia");
  manager.entries = {{"drv", "Driver"}};
  page.Button1.click();
  EXPECT_EQ(page.ListView1.columnTitle(4), "Typ");
}

const char kEveryKey[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language><services>"
    "<x1>c1</x1><x2>c2</x2><x3>c3</x3><x4>c4</x4><x5>Start mode</x5><x6>c6</x6><x7>c7</x7>"
    "<x8>b-start</x8><x9>b-stop</x9><x10>b-refresh</x10><x11>r-services</x11><x12>r-drivers</x12>"
    "<x13>Kind</x13><x14>auto</x14><x15>manual</x15><x16>off</x16><x17>local</x17><x18>network</x18>"
    "<x19>kernel</x19><x20>file system</x20>"
    "</services></language>\n";

TEST_F(ServicesFromAPlayedManager, LanguageFileSetsCaptionsAndTheTextsOfRows) {
  manager.entries = {{"alpha", "Alpha"}};
  played = &manager;
  reg::writeNumber(HKEY_LOCAL_MACHINE, std::string(kServicesKey) + "alpha", "Start", 3);
  reg::writeText(HKEY_LOCAL_MACHINE, std::string(kServicesKey) + "alpha", "ObjectName", "LocalSystem");
  reg::writeNumber(HKEY_LOCAL_MACHINE, std::string(kServicesKey) + "alpha", "Type", 2);
  {
    qb::test::LanguageFile file("ServicesTest", kEveryKey);
    TDLLForm& page = show();
    const char* titles[] = {"c1", "c2", "c3", "c4", "Start mode", "c6", "c7"};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(page.ListView1.columnTitle(c), titles[c]) << c;
    const std::pair<qb::tk::Control*, const char*> captions[] = {
        {&page.Button2, "b-start"}, {&page.Button3, "b-stop"}, {&page.Button1, "b-refresh"},
        {&page.RadioButton1, "r-services"}, {&page.RadioButton2, "r-drivers"}};
    for (const auto& [control, caption] : captions) EXPECT_EQ(control->caption(), caption) << control->name();
    auto row = findRow(page, "alpha");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->type, "manual");
    EXPECT_EQ(row->account, "local");
    page.RadioButton2.click();
    page.Button1.click();
    EXPECT_EQ(page.ListView1.columnTitle(4), "Kind");
    EXPECT_EQ(findRow(page, "alpha")->type, "file system");
    closePage();
  }
  // Without a file the page has its designed captions again, but the texts
  // of the rows keep what the file last gave them.
  TDLLForm& page = show();
  EXPECT_EQ(page.Button2.caption(), "Start");
  EXPECT_EQ(page.ListView1.columnTitle(0), "Nazwa");
  EXPECT_EQ(page.ListView1.columnTitle(4), "Start mode");
  EXPECT_EQ(findRow(page, "alpha")->type, "manual");
}

TEST_F(ServicesFromAPlayedManager, ShippedEnglishFileNamesEverything) {
  manager.entries = {{"alpha", "Alpha"}};
  played = &manager;
  reg::writeNumber(HKEY_LOCAL_MACHINE, std::string(kServicesKey) + "alpha", "Start", 2);
  reg::writeText(HKEY_CURRENT_USER, "\\Software\\Korvane\\Qubrix", "lang", "English");
  TDLLForm& page = show();
  EXPECT_EQ(page.ListView1.columnTitle(0), "Name");
  EXPECT_EQ(page.ListView1.columnTitle(4), "Startup type");
  EXPECT_EQ(page.Button1.caption(), "Refresh");
  EXPECT_EQ(page.RadioButton2.caption(), "Drivers");
  EXPECT_EQ(findRow(page, "alpha")->type, "Automatic");
}

TEST(ServicesModule, LoadsAndExportsShowAndResizeOnly) {
  const qb::win::UniqueModule module(LoadLibraryW((qb::test::programFolder() + L"\\services.dll").c_str()));
  ASSERT_TRUE(module) << "the module or a library it imports is missing";
  EXPECT_EQ(qb::test::exportedNames(module.get()), (std::vector<std::string>{"ResizeDLLWND", "ShowDLLWND"}));
}

}  // namespace
