#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "qb/test/child_process.h"
#include "qb/test/export_table.h"
#include "qb/test/page_test.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/tk/msgbox.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "runwatch_page.h"
#include "task_system.h"

namespace {

using qb::runwatch::TimeOfDay;

const char kHostCaption[] = "Task manager test host";
const char kNbsp[] = "\xC2\xA0";  // the Polish thousands separator, as the page shows it

// ---- Readings the tests choose, for what this machine cannot produce

class RecordedSystem : public qb::runwatch::TaskSystem {
 public:
  RecordedSystem() : previous_(qb::runwatch::replaceTaskSystem(this)) {}
  ~RecordedSystem() override { qb::runwatch::replaceTaskSystem(previous_); }

  struct Process {
    DWORD pid;
    std::string name;
    std::uint64_t kernel = 0, user = 0;
    std::uint64_t workingSet = 0;
  };
  std::vector<Process> processes;
  TimeOfDay clock{12, 0, 0, 0};
  qb::runwatch::CountersStatus counters = qb::runwatch::CountersStatus::Read;
  std::optional<qb::runwatch::SystemReadings> readings;
  std::optional<int> nineXUsage;
  qb::runwatch::MemoryFigures memory;
  unsigned load = 42;
  std::vector<DWORD> snapshotFlags;
  std::set<DWORD> locked;  // cannot be opened

  Process* find(DWORD pid) {
    for (Process& p : processes)
      if (p.pid == pid) return &p;
    return nullptr;
  }
  void advance(unsigned seconds) { clock.second += seconds; }

  std::vector<qb::runwatch::SnapshotProcess> snapshot(DWORD flags) override {
    snapshotFlags.push_back(flags);
    std::vector<qb::runwatch::SnapshotProcess> out;
    for (const Process& p : processes) out.push_back({p.pid, p.name});
    return out;
  }
  std::optional<qb::runwatch::ProcessTimes> processTimes(DWORD pid) override {
    Process* p = find(pid);
    if (!p || locked.count(pid)) return std::nullopt;
    return qb::runwatch::ProcessTimes{p->kernel, p->user};
  }
  qb::runwatch::WorkingSet workingSet(DWORD pid) override {
    Process* p = find(pid);
    if (counters != qb::runwatch::CountersStatus::Read) return {counters, 0};
    if (!p || locked.count(pid)) return {qb::runwatch::CountersStatus::NotRead, 0};
    return {counters, p->workingSet};
  }
  TimeOfDay timeOfDay() override { return clock; }
  std::optional<qb::runwatch::SystemReadings> systemReadings() override { return readings; }
  std::optional<int> nineXCpuUsage() override { return nineXUsage; }
  unsigned memoryLoad() override { return load; }
  qb::runwatch::MemoryFigures memoryFigures() override { return memory; }

 private:
  qb::runwatch::TaskSystem* previous_;
};

constexpr std::uint64_t kSecond = 10'000'000;

class TaskManagerPage : public qb::test::PageTest<TDLLForm> {
 protected:
  explicit TaskManagerPage(qb::test::PageTestOptions options = {}) : PageTest(kHostCaption, options) {}

  // The page with its timer stopped: the cases tick it themselves.
  TDLLForm& showStill() {
    TDLLForm& page = show();
    page.Timer1.setEnabled(false);
    return page;
  }

  static std::vector<std::string> row(const qb::tk::ListView& list, int r) {
    std::vector<std::string> cells;
    for (int c = 0; c < list.columnCount(); ++c) cells.push_back(list.itemText(r, c));
    return cells;
  }
  static int rowWithText(const qb::tk::ListView& list, int column, const std::string& text) {
    for (int r = 0; r < list.count(); ++r)
      if (list.itemText(r, column) == text) return r;
    return -1;
  }
};

// ---- The exports and the frame

TEST_F(TaskManagerPage, ExportsNameAndAuthorAsCountedAnsiTextsTouchingNothingElse) {
  const qb::win::UniqueModule dll(LoadLibraryW(L"runwatch.dll"));
  ASSERT_TRUE(dll);
  EXPECT_EQ(qb::test::exportedNames(dll.get()),
            (std::vector<std::string>{"Back", "QBPGetAutor", "QBPGetName", "ResizeDLLWND", "ShowDLLWND"}));
  struct Case {
    const char* name;
    std::string expected;  // code page 1250
  };
  for (const Case& c : {Case{"QBPGetName", "\x12" "Mened\xBF" "er Zada\xF1" " Q-B"}, Case{"QBPGetAutor", "\x07Korvane"}}) {
    SCOPED_TRACE(c.name);
    using Export = void(__stdcall*)(unsigned char*);
    const auto fn = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(dll.get(), c.name)));
    ASSERT_NE(fn, nullptr);
    unsigned char buffer[256];
    std::memset(buffer, 0xCC, sizeof buffer);
    fn(buffer);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), c.expected.size()), c.expected);
    for (size_t i = c.expected.size(); i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 0xCC) << "byte " << i;
  }
}

TEST_F(TaskManagerPage, IndexLinksSelectScreensByTagAndBackReturns) {
  TDLLForm& page = showStill();
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS1);
  struct Case {
    int tag;
    qb::tk::TabSheet* expected;
  };
  for (const Case& c : {Case{0, &page.TS2}, Case{1, &page.TS3}, Case{2, &page.TS4}, Case{7, &page.TS4},
                        Case{-1, &page.TS4}}) {
    page.Label52.tag = c.tag;
    page.Label50Click(page.Label52);
    EXPECT_EQ(page.PageControl1.activePage(), c.expected) << "tag " << c.tag;
  }
  page.Label51.click();
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS3);
  Back();
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS1);
  EXPECT_EQ(page.caption(), "Menedżer Zadań Q-B");
  EXPECT_EQ(page.cpuusage.caption(), "100 %") << "until the first tick";

  // Each link is bold and has its icon beside it.
  for (auto [link, icon] : {std::pair{&page.Label50, &page.Image1}, std::pair{&page.Label51, &page.Image2},
                            std::pair{&page.Label52, &page.Image3}}) {
    SCOPED_TRACE(link->caption());
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link->hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_GE(font.lfWeight, FW_BOLD);
    EXPECT_NE(icon->bitmap(), nullptr);
    EXPECT_LT(icon->left() + icon->width(), link->left());
    EXPECT_LT(std::abs(icon->top() - link->top()), 8);
  }
}

TEST_F(TaskManagerPage, ListColumnsHaveTheirTitlesWidthsAndAlignment) {
  TDLLForm& page = showStill();
  using qb::tk::ColumnAlign;
  struct Case {
    qb::tk::ListView* list;
    int column;
    std::string title;
    int width;
    ColumnAlign align;
  };
  const Case cases[] = {
      {&page.ListView3, 0, "Nazwa", 150, ColumnAlign::Left},
      {&page.ListView3, 1, "PID", 50, ColumnAlign::Right},
      {&page.ListView3, 2, "Użycie CPU", 80, ColumnAlign::Right},
      {&page.ListView3, 3, "Użycie  Ram", 80, ColumnAlign::Right},
      {&page.ListView3, 4, "Czas procesora", 100, ColumnAlign::Left},
      {&page.ListViewWND, 0, "Nazwa", 350, ColumnAlign::Left},
      {&page.ListViewWND, 1, "Uchwyt", 80, ColumnAlign::Right},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(c.list->columnTitle(c.column), c.title);
    EXPECT_EQ(SendMessageW(c.list->hwnd(), LVM_GETCOLUMNWIDTH, c.column, 0), c.width);
    EXPECT_EQ(c.list->columnAlign(c.column), c.align);
  }
  EXPECT_EQ(page.ListView3.columnCount(), 5);
  EXPECT_EQ(page.ListViewWND.columnCount(), 2);
}

TEST_F(TaskManagerPage, TheTimerRunsFromCreationAtOneSecond) {
  TDLLForm& page = show();
  EXPECT_TRUE(page.Timer1.enabled());
  EXPECT_EQ(page.Timer1.interval(), 1000u);
}

// ---- Processes, on this machine

// A thread of this process that keeps one processor busy while it lives.
class BusyThread {
 public:
  BusyThread() : thread_([this] {
      volatile unsigned long long n = 0;
      while (!stop_) n = n + 1;
    }) {}
  ~BusyThread() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::uint64_t ownCpuTime() {
  FILETIME c{}, e{}, k{}, u{};
  GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
  return ((static_cast<std::uint64_t>(k.dwHighDateTime) << 32) | k.dwLowDateTime) +
         ((static_cast<std::uint64_t>(u.dwHighDateTime) << 32) | u.dwLowDateTime);
}

struct Helper {
  PROCESS_INFORMATION info{};
  explicit Helper(const wchar_t* arguments = L"idle") {
    std::wstring line = L"\"" + qb::test::programFolder() + L"\\runwatch_helper.exe\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info))
      info = {};
  }
  ~Helper() {
    if (!info.hProcess) return;
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  std::string pid() const { return std::to_string(info.dwProcessId); }
};

TEST_F(TaskManagerPage, ThisProcessShowsItsShareAndANewcomerShowsNone) {
  TDLLForm& page = showStill();
  const BusyThread busy;
  page.Timer1Timer();
  Helper helper;
  ASSERT_NE(helper.info.hProcess, nullptr);
  // Let the busy thread use some time between the two ticks.
  const std::uint64_t before = ownCpuTime();
  while (ownCpuTime() - before < 3'000'000) SwitchToThread();
  page.Timer1Timer();

  const std::string own = std::to_string(GetCurrentProcessId());
  const int ownRow = rowWithText(page.ListView3, 1, own);
  ASSERT_GE(ownRow, 0) << "this process is listed";
  const auto cells = row(page.ListView3, ownRow);
  EXPECT_GT(std::stoi(cells[2]), 0) << "share of a busy process";
  EXPECT_GE(cells[2].size(), 2u);
  EXPECT_NE(cells[3], " K") << "the working set was read";
  EXPECT_EQ(cells[3].substr(cells[3].size() - 2), " K");
  EXPECT_EQ(cells[4].size(), 12u) << cells[4];
  const int helperRow = rowWithText(page.ListView3, 1, helper.pid());
  ASSERT_GE(helperRow, 0);
  EXPECT_EQ(page.ListView3.itemText(helperRow, 2), "00") << "started after the previous tick";
  EXPECT_EQ(page.procesnumbers.caption(), std::to_string(page.ListView3.count()));
}

TEST_F(TaskManagerPage, EndingAProcessRemovesItsRowAtOnce) {
  TDLLForm& page = showStill();
  Helper helper;
  ASSERT_NE(helper.info.hProcess, nullptr);
  page.Timer1Timer();
  const int r = rowWithText(page.ListView3, 1, helper.pid());
  ASSERT_GE(r, 0);
  const int rows = page.ListView3.count();
  page.ListView3.select(r);
  page.Button1Click();
  EXPECT_EQ(WaitForSingleObject(helper.info.hProcess, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(rowWithText(page.ListView3, 1, helper.pid()), -1);
  EXPECT_EQ(page.ListView3.count(), rows - 1);
  EXPECT_EQ(page.procesnumbers.caption(), std::to_string(rows - 1));
  const int own = rowWithText(page.ListView3, 1, std::to_string(GetCurrentProcessId()));
  ASSERT_GE(own, 0);
  EXPECT_EQ(page.ListView3.itemText(own, 2), "") << "share and time wait for the next tick";
  EXPECT_EQ(page.ListView3.itemText(own, 4), "");
  EXPECT_NE(page.ListView3.itemText(own, 3), "");
  EXPECT_EQ(page.ListView3.selectedIndex(), -1);
  page.Button1Click();  // nothing selected: nothing happens
  EXPECT_EQ(page.ListView3.count(), rows - 1);
}

// ---- Processes, from recorded readings

class RecordedTaskManagerPage : public TaskManagerPage {
 protected:
  RecordedSystem system;
};

TEST_F(RecordedTaskManagerPage, RowsShowSharesIdleTimesAndMemory) {
  system.processes = {{0, "[System Process]", 0, 0, 0},
                      {4, "System", kSecond, 0, 300 * 1024},
                      {1500, "busy.exe", 2 * kSecond, kSecond, 1234567ull * 1024},
                      {1600, "calm.exe", ((1 * 60 + 2) * 60 + 3) * kSecond + 40'000, 0, 0}};
  TDLLForm& page = showStill();
  page.Timer1Timer();
  EXPECT_EQ(row(page.ListView3, 0), (std::vector<std::string>{"[System Process]", "0", "100", " K", "00:00:00:000"}))
      << "first refresh: measured against midnight";
  EXPECT_EQ(row(page.ListView3, 2)[2], "00") << "every process is new";

  system.advance(2);
  system.find(1500)->kernel += 6'000'000;
  system.find(1500)->user += 2'000'000;
  page.Timer1Timer();
  using Row = std::vector<std::string>;
  EXPECT_EQ(row(page.ListView3, 0), (Row{"[System Process]", "0", "60", " K", "00:00:00:000"}));
  EXPECT_EQ(row(page.ListView3, 1), (Row{"System", "4", "00", std::string("300 K"), "00:00:01:000"}));
  EXPECT_EQ(row(page.ListView3, 2), (Row{"busy.exe", "1500", "40", std::string("1") + kNbsp + "234" + kNbsp + "567 K",
                                         "00:00:03:800"}));
  EXPECT_EQ(row(page.ListView3, 3), (Row{"calm.exe", "1600", "00", " K", "01:02:03:004"}));
  EXPECT_EQ(page.Label7.caption(), "30%");
  EXPECT_EQ(page.Label13.caption(), "10%");
  EXPECT_EQ(page.cpuusage.caption(), "40 %");
  EXPECT_EQ(page.procesnumbers.caption(), "4");
  EXPECT_EQ(TDLLForm::cpuHistory()[0].kernel, 30);
  EXPECT_EQ(system.snapshotFlags.back(), 2u) << "processes only";
}

TEST_F(RecordedTaskManagerPage, SelectionSurvivesByTheWholeIdentifier) {
  // Seven digits: the first six would name another process.
  system.processes = {{0, "idle", 0, 0}, {123456, "six.exe", 0, 0}, {1234567, "seven.exe", 0, 0}, {88, "b.exe", 0, 0}};
  TDLLForm& page = showStill();
  page.Timer1Timer();
  page.ListView3.select(rowWithText(page.ListView3, 1, "1234567"));
  system.advance(1);
  page.Timer1Timer();
  ASSERT_GE(page.ListView3.selectedIndex(), 0);
  EXPECT_EQ(page.ListView3.itemText(page.ListView3.selectedIndex(), 0), "seven.exe");

  // The selected process ends between two ticks: nothing stays selected.
  system.processes.erase(system.processes.begin() + 2);
  system.advance(1);
  page.Timer1Timer();
  EXPECT_EQ(page.ListView3.selectedIndex(), -1);
}

TEST_F(RecordedTaskManagerPage, TheViewKeepsItsTopRowAcrossATick) {
  for (DWORD pid = 100; pid < 400; pid += 2) system.processes.push_back({pid, "p" + std::to_string(pid) + ".exe"});
  TDLLForm& page = showStill();
  page.Label51.click();
  page.Timer1Timer();
  page.ListView3.scrollBy(page.ListView3.rowHeight() * 40);
  const int top = page.ListView3.topIndex();
  ASSERT_GT(top, 30);
  page.Timer1Timer();
  EXPECT_EQ(page.ListView3.topIndex(), top);
}

TEST_F(RecordedTaskManagerPage, FiveHundredProcessesAreListedEachTick) {
  for (DWORD i = 0; i < 500; ++i) system.processes.push_back({8 + 4 * i, "p" + std::to_string(i) + ".exe", i, i});
  TDLLForm& page = showStill();
  for (int tick = 0; tick < 3; ++tick) {
    page.Timer1Timer();
    system.advance(1);
  }
  EXPECT_EQ(page.ListView3.count(), 500);
  EXPECT_EQ(page.procesnumbers.caption(), "500");
  EXPECT_EQ(page.ListView3.itemText(499, 0), "p499.exe");
}

TEST_F(RecordedTaskManagerPage, AProcessThatCannotBeOpenedShowsZeros) {
  system.processes = {{0, "idle", 0, 0}, {40, "a.exe", 5 * kSecond, 0, 4096}};
  TDLLForm& page = showStill();
  page.Timer1Timer();
  EXPECT_EQ(row(page.ListView3, 1), (std::vector<std::string>{"a.exe", "40", "00", "4 K", "00:00:05:000"}));
  system.locked.insert(40);
  system.advance(1);
  page.Timer1Timer();
  EXPECT_EQ(row(page.ListView3, 1), (std::vector<std::string>{"a.exe", "40", "00", " K", "00:00:00:000"}));
  // Readable again: its five seconds were not used in this one.
  system.locked.clear();
  system.advance(1);
  page.Timer1Timer();
  EXPECT_EQ(row(page.ListView3, 1), (std::vector<std::string>{"a.exe", "40", "00", "4 K", "00:00:05:000"}));
  EXPECT_EQ(page.Label7.caption(), "0%");
}

TEST_F(RecordedTaskManagerPage, NineXFamilyListsNamesOnlyAndCannotEndThem) {
  qb::win::overrideWindowsVersion(qb::win::versions::win98);
  system.processes = {{0xFFF1234, "KERNEL32.DLL"}, {0xFFF5678, "EXPLORER.EXE"}};
  system.nineXUsage = 37;
  TDLLForm& page = showStill();
  page.Timer1Timer();
  EXPECT_EQ(row(page.ListView3, 0), (std::vector<std::string>{"KERNEL32.DLL", "", "", "", ""}));
  EXPECT_EQ(page.ListView3.count(), 2);
  EXPECT_EQ(system.snapshotFlags.back(), 15u) << "the full snapshot";
  EXPECT_EQ(page.Gauge3.progress(), 37);
  EXPECT_EQ(page.cpuusage.caption(), "37 %");
  EXPECT_EQ(page.Label7.caption(), "XX") << "no history on this family";
  page.ListView3.select(1);
  page.Button1Click();
  EXPECT_EQ(page.ListView3.count(), 2);
  EXPECT_EQ(page.ListView3.selectedIndex(), 1) << "nothing was rebuilt";
}

// ---- The psapi messages

class PsapiMessages : public TaskManagerPage {
 protected:
  PsapiMessages() : TaskManagerPage(qb::test::PageTestOptions().messageBoxesVary()) {}
  RecordedSystem system;
};

TEST_F(PsapiMessages, OneMessagePerProcessAndTickAndTheFigureIsZero) {
  struct Case {
    qb::runwatch::CountersStatus status;
    const char* text;
  };
  const Case cases[] = {
      {qb::runwatch::CountersStatus::NoLibrary,
       "Nie można wykonać żądanej operacji\rBłąd podczas ładowania biblioteki psapi.dll"},
      {qb::runwatch::CountersStatus::NoFunction,
       "Nie można wykonać żądanej operacji\rBłąd podczas pobierania adresu funkcji GetProcessMemoryInfo"},
  };
  system.processes = {{0, "idle", 0, 0, 4096}, {4, "System", 0, 0, 8192}, {9, "x.exe", 0, 0, 8192}};
  TDLLForm& page = showStill();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    qb::test::MessageBoxRecorder shown;
    system.counters = c.status;
    page.Timer1Timer();
    page.Timer1Timer();
    ASSERT_EQ(shown.calls().size(), 6u) << shown.texts();
    for (const auto& call : shown.calls()) EXPECT_EQ(call.text, c.text);
    EXPECT_EQ(page.ListView3.itemText(1, 3), " K");
    EXPECT_EQ(page.ListView3.count(), 3);
  }
}

TEST_F(PsapiMessages, ATickDuringAMessageBoxOfTheLastOneIsSkipped) {
  system.processes = {{0, "idle", 0, 0}, {4, "System", 0, 0}};
  system.counters = qb::runwatch::CountersStatus::NoLibrary;
  TDLLForm& page = showStill();
  // The timer goes on inside a message box's loop: here it ticks in every box.
  int shown = 0;
  const auto outer = qb::tk::setMessageBoxHook([&](const qb::tk::MessageBoxCall&) {
    ++shown;
    if (shown < 50) page.Timer1Timer();
    return IDOK;
  });
  page.Timer1Timer();
  qb::tk::setMessageBoxHook(outer);
  EXPECT_EQ(shown, 2) << "one per process of the one tick";
  page.Timer1Timer();  // and the next tick runs again
}

// Without a psapi.dll at all: Wine leaves it out of the probe's process.
TEST(PsapiMissing, EveryProcessOfATickTellsOfTheLibraryAndShowsNoMemory) {
  const std::wstring key = L"Software\\Wine\\AppDefaults\\runwatch_probe.exe\\DllOverrides";
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  RegSetValueExW(k, L"psapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
  RegCloseKey(k);
  const qb::test::ProbeFindings found = qb::test::runProbe(L"runwatch_probe.exe");
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\runwatch_probe.exe");
  ASSERT_EQ(found.number("psapi_loads"), 0) << found;
  ASSERT_GT(found.number("rows").value_or(0), 0) << found;
  EXPECT_EQ(found.number("boxes"), found.number("rows")) << found;
  // The probe writes the carriage return as "\\r".
  const std::string text = "Nie można wykonać żądanej operacji\\rBłąd podczas ładowania biblioteki psapi.dll";
  EXPECT_EQ(found.text("first_box"), text) << found;
  EXPECT_EQ(found.text("last_box"), text) << found;
  EXPECT_EQ(found.text("memory_of_first_row"), " K") << found;
}

// ---- Performance

// A window's pixel as the screen shows it.
COLORREF screenPixel(HWND window, int x, int y) { return GetPixel(qb::win::WindowDc(window).get(), x, y); }

class PerformancePage : public RecordedTaskManagerPage {};

TEST_F(PerformancePage, CpuGaugeFollowsTheQueryAndKeepsItsValueWithoutOne) {
  TDLLForm& page = showStill();
  struct Step {
    const char* name;
    std::optional<qb::runwatch::SystemReadings> readings;
    int gauge;
  };
  const std::uint64_t t0 = 130'000'000'000'000'000ull;
  const Step steps[] = {
      {"first reading: no value yet", qb::runwatch::SystemReadings{2, 50 * kSecond, t0}, 0},
      {"two processors, idle share 1", qb::runwatch::SystemReadings{2, 51 * kSecond, t0 + kSecond}, 51},
      {"failed query keeps the value", std::nullopt, 51},
      {"fully loaded, held at 100", qb::runwatch::SystemReadings{2, 51 * kSecond, t0 + 2 * kSecond}, 100},
      {"completely idle", qb::runwatch::SystemReadings{2, 53 * kSecond, t0 + 3 * kSecond}, 1},
      {"the clock did not move", qb::runwatch::SystemReadings{2, 54 * kSecond, t0 + 3 * kSecond}, 1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    system.readings = s.readings;
    page.Timer1Timer();
    system.advance(1);
    EXPECT_EQ(page.Gauge3.progress(), s.gauge);
  }
}

TEST_F(PerformancePage, MemoryAndPageFileFiguresPastFourGigabytes) {
  system.load = 67;
  system.memory = {6ull << 30, (6ull << 30) - (1ull << 30) - 1536, 2ull << 30, 0};
  TDLLForm& page = showStill();
  page.Timer1Timer();
  EXPECT_EQ(page.Gauge4.progress(), 67);
  EXPECT_EQ(page.memusage.caption(), "67 %");
  const std::string g = kNbsp;
  EXPECT_EQ(page.TOTPAGE.caption(), "6" + g + "291" + g + "456 KB");
  EXPECT_EQ(page.FREEPAGE.caption(), "5" + g + "242" + g + "879 KB");
  EXPECT_EQ(page.UsedPAGE.caption(), "1" + g + "048" + g + "578 KB");  // 1 GB + 1.5 KB, rounded
  EXPECT_EQ(page.WIRTTot.caption(), "2" + g + "097" + g + "152 KB");
  EXPECT_EQ(page.WirtFree.caption(), " KB");
  EXPECT_EQ(page.WirtUsed.caption(), "2" + g + "097" + g + "152 KB");
  EXPECT_NE(page.TRAM.caption(), "TRAM") << "from the system-information library";
  EXPECT_NE(page.Label5.caption(), "Label5");
  EXPECT_NE(page.Label6.caption(), "Label6");
}

TEST_F(PerformancePage, GroupsSitWhereDesignedWithBoldBlueCaptions) {
  TDLLForm& page = showStill();
  page.Label52.click();
  struct Case {
    qb::tk::GroupBox* group;
    std::string caption;
    qb::tk::Bounds bounds;
    bool visible;
  };
  const Case cases[] = {
      {&page.GroupBox1, "Użycie procesora", {8, 8, 113, 137}, true},
      {&page.GroupBox2, "Historia użycia procesora CPU", {130, 8, 351, 137}, true},
      {&page.GroupBox3, "Użycie RAM", {8, 148, 113, 141}, true},
      {&page.GroupBox4, "Pamięć", {128, 148, 185, 69}, true},
      {&page.GroupBox5, "CPU", {320, 148, 161, 69}, true},
      {&page.GroupBox6, "Plik wymiany", {128, 224, 185, 65}, true},
      {&page.GroupBox7, "Sumy", {320, 224, 161, 65}, true},
      {&page.GroupBox8, "Pamięć wirtualna", {8, 304, 185, 73}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(c.group->caption(), c.caption);
    EXPECT_TRUE(c.group->bounds() == c.bounds);
    EXPECT_EQ(c.group->visible(), c.visible);
    EXPECT_TRUE(c.group->boldCaption());
    if (!c.visible) continue;
    // The caption is painted in the page's blue.
    UpdateWindow(c.group->hwnd());
    int blue = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 8; x < 60; ++x) blue += screenPixel(c.group->hwnd(), x, y) == RGB(0, 69, 213);
    EXPECT_GT(blue, 0);
  }
}

TEST(LiveMemoryFigures, ComeFromTheExtendedStatusNotCappedAtFourGigabytes) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  const qb::runwatch::MemoryFigures m = qb::runwatch::taskSystem().memoryFigures();
  EXPECT_EQ(m.totalPageFile, status.ullTotalPageFile);
  EXPECT_EQ(m.totalVirtual, status.ullTotalVirtual);
  if (status.ullTotalPageFile <= 0xFFFFFFFFull) GTEST_SKIP() << "this machine has no more than 4 GB to show";
  EXPECT_GT(m.totalPageFile, 0xFFFFFFFFull);
}

// What the history graph leaves in column x for a sample. Each share is a
// line drawn upwards that leaves out its last pixel: red from the bottom edge
// for the kernel share, lime on top of it for the user share, black from
// there up to row 1. A line reaching past the top passes row 0.
char expectedPixel(int height, int y, int kernel, int user) {
  const int redTop = height - kernel, limeTop = redTop - user;
  if (kernel > 0 && y > redTop) return 'r';
  if (user > 0 && y > limeTop && y <= redTop) return 'l';
  if (y >= 1 && y <= limeTop) return 'k';
  return ' ';
}

char classify(COLORREF c) {
  if (c == RGB(255, 0, 0)) return 'r';
  if (c == RGB(0, 255, 0)) return 'l';
  if (c == RGB(0, 0, 0)) return 'k';
  return ' ';
}

TEST_F(PerformancePage, TheGraphShowsTheHistoryNewestAtTheRight) {
  system.processes = {{0, "idle", 0, 0}, {4, "k.exe", 0, 0}, {8, "u.exe", 0, 0}};
  TDLLForm& page = showStill();
  page.Label52.click();
  // Samples (kernel, user), oldest first; the last goes past the box's height.
  const std::vector<std::pair<int, int>> samples = {{10, 20}, {0, 0}, {50, 5}, {3, 90}, {120, 30}};
  page.Timer1Timer();
  for (const auto& [k, u] : samples) {
    system.advance(1);
    system.find(4)->kernel += static_cast<std::uint64_t>(k) * 100'000;
    system.find(8)->user += static_cast<std::uint64_t>(u) * 100'000;
    page.Timer1Timer();
  }
  const HWND box = page.PaintBox1.hwnd();
  const int width = page.PaintBox1.clientWidth(), height = page.PaintBox1.clientHeight();
  ASSERT_EQ(width, 335);
  ASSERT_EQ(height, 97);
  for (size_t i = 0; i < samples.size() + 2; ++i) {
    const int x = width - 1 - static_cast<int>(i);
    const auto [k, u] = i < samples.size() ? samples[samples.size() - 1 - i] : std::pair<int, int>{0, 0};
    std::string shown, expected;
    for (int y = 0; y < height; ++y) {
      shown += classify(screenPixel(box, x, y));
      expected += expectedPixel(height, y, k, u);
    }
    EXPECT_EQ(shown, expected) << "column " << x << " (sample " << i << ")";
  }
  EXPECT_EQ(page.Label7.caption(), "120%");
  EXPECT_EQ(page.Label13.caption(), "30%");
  EXPECT_EQ(page.cpuusage.caption(), "150 %");
}

TEST_F(PerformancePage, AWideBoxIsPaintedOnlyInItsFirst1024Columns) {
  system.processes = {{0, "idle", 0, 0}, {4, "k.exe", 0, 0}};
  SetWindowPos(host.hwnd(), nullptr, 0, 0, 1270, 600, SWP_NOZORDER | SWP_NOMOVE);
  TDLLForm& page = showStill();
  ResizeDLLWND(1260, 560);
  page.Label52.click();
  page.GroupBox2.setWidth(1116);
  page.PaintBox1.setBounds({8, 24, 1100, 97});
  UpdateWindow(page.PaintBox1.hwnd());
  page.Timer1Timer();
  system.advance(1);
  system.find(4)->kernel += 40 * 100'000;
  page.Timer1Timer();
  const HWND box = page.PaintBox1.hwnd();
  EXPECT_EQ(screenPixel(box, 1023, 96), RGB(255, 0, 0)) << "the newest sample";
  EXPECT_EQ(screenPixel(box, 1023, 50), RGB(0, 0, 0));
  EXPECT_EQ(screenPixel(box, 1022, 96), RGB(0, 0, 0)) << "the sample before: nothing used";
  for (int x : {1024, 1050, 1099}) EXPECT_EQ(screenPixel(box, x, 50), GetSysColor(COLOR_BTNFACE)) << x;
}

// ---- Windows

// Top-level windows of this test, of a class it registers.
class TestWindows {
 public:
  TestWindows() { registerClass(L"RunwatchTestWindow"); }
  ~TestWindows() {
    for (HWND w : windows_) DestroyWindow(w);
    qb::test::pumpMessages();
  }
  HWND make(const std::string& ansiTitle, bool visible, const wchar_t* cls = L"RunwatchTestWindow") {
    if (std::wstring(cls) != L"RunwatchTestWindow") registerClass(cls);
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, qb::win::toAnsi(cls).c_str(), ansiTitle.c_str(),
                             WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 20, 20, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    windows_.push_back(w);
    return w;
  }
  static inline std::set<HWND> closed;

 private:
  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_CLOSE) {
      closed.insert(w);
      return 0;  // stays: the test destroys it
    }
    return DefWindowProcW(w, m, wp, lp);
  }
  void registerClass(const wchar_t* name) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
  }
  std::vector<HWND> windows_;
};

std::string handleText(HWND w) { return std::to_string(reinterpret_cast<std::uintptr_t>(w)); }

TEST_F(TaskManagerPage, WindowListShowsVisibleTitledWindowsSortedAndSkipsTheRest) {
  TestWindows windows;
  const std::string longTitle = "Long " + std::string(195, 'x');
  const HWND shown = windows.make("rw Beta", true);
  const HWND first = windows.make("rw alpha", true);
  const HWND longOne = windows.make(longTitle, true);
  const HWND hidden = windows.make("rw hidden", false);
  const HWND dialog = windows.make("rw dialog", true, L"#32770");
  const HWND app = windows.make("rw app", true, L"TApplication");
  const HWND untitled = windows.make("", true);
  TDLLForm& page = showStill();
  page.Timer1Timer();

  std::map<HWND, std::string> listed;
  for (int r = 0; r < page.ListViewWND.count(); ++r) {
    const auto w = reinterpret_cast<HWND>(page.ListViewWND.itemData(r));
    listed[w] = page.ListViewWND.itemText(r, 0);
    EXPECT_EQ(page.ListViewWND.itemText(r, 1), handleText(w));
    if (r > 0) {
      const std::string a = qb::win::toAnsi(qb::win::widen(page.ListViewWND.itemText(r - 1, 0)));
      const std::string b = qb::win::toAnsi(qb::win::widen(page.ListViewWND.itemText(r, 0)));
      EXPECT_LE(lstrcmpA(a.c_str(), b.c_str()), 0) << "rows " << r - 1 << " and " << r;
    }
  }
  EXPECT_EQ(listed[shown], "rw Beta");
  EXPECT_EQ(listed[first], "rw alpha");
  EXPECT_EQ(listed[longOne], longTitle.substr(0, 143)) << "143 characters of a longer title";
  for (HWND skipped : {hidden, dialog, app, untitled}) EXPECT_EQ(listed.count(skipped), 0u);
  EXPECT_EQ(listed.count(host.hwnd()), 1u);
  EXPECT_LT(rowWithText(page.ListViewWND, 0, "rw alpha"), rowWithText(page.ListViewWND, 0, "rw Beta"))
      << "case aside, as the locale sorts";
}

TEST_F(TaskManagerPage, SelectionFollowsThePositionAndEndTaskPostsClose) {
  auto windows = std::make_unique<TestWindows>();
  for (int i = 0; i < 6; ++i) windows->make("rw window " + std::to_string(i), true);
  TDLLForm& page = showStill();
  page.Timer1Timer();
  const int r = rowWithText(page.ListViewWND, 0, "rw window 3");
  ASSERT_GE(r, 0);
  page.ListViewWND.select(r);
  const HWND target = reinterpret_cast<HWND>(page.ListViewWND.itemData(r));
  TestWindows::closed.clear();
  page.Button3Click();
  qb::test::pumpMessages();
  EXPECT_EQ(TestWindows::closed, std::set<HWND>{target});

  page.Timer1Timer();
  EXPECT_EQ(page.ListViewWND.selectedIndex(), r) << "the same position";

  const int count = page.ListViewWND.count();
  page.ListViewWND.select(count - 1);
  windows.reset();
  page.Timer1Timer();
  EXPECT_EQ(page.ListViewWND.count(), count - 6);
  EXPECT_EQ(page.ListViewWND.selectedIndex(), -1) << "the list shrank below the remembered row";
  TestWindows::closed.clear();
  page.Button3Click();
  qb::test::pumpMessages();
  EXPECT_TRUE(TestWindows::closed.empty());
}

TEST_F(TaskManagerPage, AThousandTopLevelWindowsAreListedWithoutAHang) {
  TestWindows windows;
  for (int i = 0; i < 1000; ++i) windows.make("rw many " + std::to_string(i), i % 4 == 0);
  TDLLForm& page = showStill();
  const DWORD start = GetTickCount();
  page.Timer1Timer();
  const DWORD took = GetTickCount() - start;
  int ours = 0;
  for (int r = 0; r < page.ListViewWND.count(); ++r) ours += page.ListViewWND.itemText(r, 0).rfind("rw many ", 0) == 0;
  EXPECT_EQ(ours, 250);
  EXPECT_LT(took, 20000u);
}

// ---- New task

// Runs `step` inside the modal loop of the new-task dialog, from a timer of this thread.
struct InsideDialog {
  static inline std::function<void(TForm1&)> step;
  static inline TDLLForm* page = nullptr;
  static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (!page->newTaskDialog()) return;
    KillTimer(nullptr, id);
    step(*page->newTaskDialog());
  }
};

std::wstring markerPath() { return qb::test::programFolder() + L"\\runwatch_marker.txt"; }

std::string readMarker() {
  HANDLE f = CreateFileW(markerPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  char buf[256] = {};
  DWORD n = 0;
  ReadFile(f, buf, sizeof buf - 1, &n, nullptr);
  CloseHandle(f);
  return std::string(buf, n);
}

std::string waitForMarker(const std::string& expected) {
  for (int i = 0; i < 200 && readMarker() != expected; ++i) Sleep(50);
  return readMarker();
}

TEST_F(TaskManagerPage, NewTaskDialogStartsProgramsAndStaysOpenUntilCancelled) {
  DeleteFileW(markerPath().c_str());
  SetEnvironmentVariableW(L"RUNWATCH_MARKER", markerPath().c_str());
  const std::string helper = qb::win::narrow(qb::test::programFolder() + L"\\runwatch_helper.exe");
  TDLLForm& page = showStill();
  qb::test::OpenFileAnswer picked(qb::tk::OpenFileChoice{helper, 1});
  bool ran = false;
  InsideDialog::page = &page;
  InsideDialog::step = [&](TForm1& dialog) {
    ran = true;
    EXPECT_EQ(dialog.caption(), "Utwórz nowe zadanie");
    const LONG ex = GetWindowLongW(dialog.hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST) << "above all other windows";
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    RECT client{};
    GetClientRect(dialog.hwnd(), &client);
    EXPECT_EQ(client.right, 368);
    EXPECT_EQ(client.bottom, 151);
    EXPECT_FALSE(IsWindowEnabled(host.hwnd())) << "modal: the host takes no input";
    EXPECT_EQ(dialog.ComboBox1.count(), 0);

    dialog.Button1.click();  // "Przeglądaj..."
    ASSERT_EQ(picked.requests().size(), 1u);
    EXPECT_EQ(picked.requests()[0].filter, "Programy|*.exe|Wszystkie pliki|*.*");
    EXPECT_EQ(dialog.ComboBox1.text(), helper);

    dialog.Button3.click();  // "OK"
    EXPECT_EQ(waitForMarker("started\n"), "started\n");
    EXPECT_TRUE(dialog.visible()) << "stays open for the next program";
    dialog.Button3.click();
    EXPECT_EQ(waitForMarker("started\nstarted\n"), "started\nstarted\n");

    picked.answer(std::nullopt);
    dialog.Button1.click();  // cancelled: the text stays
    EXPECT_EQ(dialog.ComboBox1.text(), helper);

    dialog.ComboBox1.setText("no such program \xC4\x85.exe");
    dialog.Button3.click();  // nothing to open: nothing said, still open
    EXPECT_TRUE(dialog.visible());
    dialog.Button2.click();  // "Anuluj"
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, InsideDialog::onTimer);
  page.Button2Click();
  KillTimer(nullptr, timer);
  EXPECT_TRUE(ran);
  EXPECT_EQ(page.newTaskDialog(), nullptr) << "freed when closed";
  EXPECT_TRUE(IsWindowEnabled(host.hwnd()));
  SetEnvironmentVariableW(L"RUNWATCH_MARKER", nullptr);
  DeleteFileW(markerPath().c_str());
}

TEST_F(TaskManagerPage, EscapeClosesTheNewTaskDialog) {
  TDLLForm& page = showStill();
  InsideDialog::page = &page;
  // The keyboard goes to the focused control; the dialog routes Escape.
  InsideDialog::step = [](TForm1& dialog) {
    dialog.ComboBox1.setFocus();
    SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, InsideDialog::onTimer);
  page.Button2Click();
  KillTimer(nullptr, timer);
  EXPECT_EQ(page.newTaskDialog(), nullptr);
}

}  // namespace
