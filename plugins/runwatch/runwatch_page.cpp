#include "runwatch_page.h"

#include <algorithm>
#include <vector>

#include "factbase.h"
#include "qb/text.h"
#include "qb/tk/msgbox.h"
#include "qb/win/gdi.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "task_system.h"

using qb::runwatch::taskSystem;

namespace {

const char kPageCaption[] = "Menedżer Zadań Q-B";
const char kAuthor[] = "Korvane";
const COLORREF kTeal = RGB(0, 128, 128);
const COLORREF kLime = RGB(0, 255, 0);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGroupBlue = RGB(0, 69, 213);

// What lives as long as the module: the process times of every identifier
// seen so far with the CPU history, and the system usage's previous counters.
struct ModuleUsage {
  qb::runwatch::ProcessSampler processes;
  qb::runwatch::SystemCpuUsage system;
};
ModuleUsage& moduleUsage() {
  static ModuleUsage usage;
  return usage;
}

std::string fromCounted(void (__stdcall* read)(unsigned char*)) {
  unsigned char counted[qb::kCountedTextBuffer] = {};
  read(counted);
  return qb::win::narrow(qb::win::fromAnsi(qb::readCountedText(counted)));
}

std::string localeThousandsSeparator() {
  wchar_t separator[8] = {};
  if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8)) return ",";
  return qb::win::narrow(separator);
}

void writeAnsiCounted(unsigned char* buffer, const char* utf8) {
  if (buffer) qb::writeCountedText(buffer, qb::win::toAnsi(qb::win::widen(utf8)));
}

// A caption and its value on one line of a figures group.
void placeFigure(qb::tk::Label& caption, qb::tk::Label& value, int top, int width) {
  caption.setBounds({8, top, 72, 16});
  value.setBounds({80, top, width - 88, 16});
  value.setRightAligned(true);
}

}  // namespace

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

const qb::runwatch::CpuHistory& TDLLForm::cpuHistory() { return moduleUsage().processes.history(); }

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", kPageCaption, {0, 0, 520, 412}),
      PageControl1(*this, "PageControl1", {0, 0, 520, 412}),
      TS1(PageControl1, "TS1"),
      TS2(PageControl1, "TS2"),
      TS3(PageControl1, "TS3"),
      TS4(PageControl1, "TS4"),
      Label1(TS1, "Label1", {16, 12, 400, 28}, "Menedżer zadań QB"),
      Label50(TS1, "Label50", {56, 60, 200, 16}, "Aktywne okna", 0),
      Label2(TS1, "Label2", {56, 78, 400, 16}, "Wyświetla listę aktywnych okien."),
      Label51(TS1, "Label51", {56, 110, 200, 16}, "Procesy", 1),
      Label3(TS1, "Label3", {56, 128, 400, 16}, "Wyświetla listę procesów i informacjio nich."),
      Label52(TS1, "Label52", {56, 160, 200, 16}, "Wydajność", 2),
      Label4(TS1, "Label4", {56, 178, 400, 16}, "Wyświetla informacje o uzyciu cpu, pamięci itp. "),
      Image1(TS1, "Image1", {16, 61, 32, 32}),
      Image2(TS1, "Image2", {16, 111, 32, 32}),
      Image3(TS1, "Image3", {16, 161, 32, 32}),
      ListViewWND(TS2, "ListViewWND", {0, 8, 512, 366}),
      Button3(TS2, "Button3", {310, 380, 97, 25}, "Zakończ zadanie"),
      Button2(TS2, "Button2", {415, 380, 97, 25}, "Nowe zadanie..."),
      Panel1(TS3, "Panel1", {0, 371, 520, 41}),
      Button1(Panel1, "Button1", {415, 8, 97, 25}, "Zakończ proces"),
      ListView3(TS3, "ListView3", {0, 0, 520, 371}),
      ScrollBox1(TS4, "ScrollBox1", {0, 0, 520, 412}),
      GroupBox1(ScrollBox1, "GroupBox1", {8, 8, 113, 137}, "Użycie procesora"),
      Shape1(GroupBox1, "Shape1", {8, 18, 97, 111}, ""),
      Gauge3(GroupBox1, "Gauge3", {36, 24, 40, 79}),
      cpuusage(GroupBox1, "cpuusage", {12, 108, 89, 16}, "100 %"),
      GroupBox2(ScrollBox1, "GroupBox2", {130, 8, 351, 137}, "Historia użycia procesora CPU"),
      PaintBox1(GroupBox2, "PaintBox1", {8, 24, 335, 97}),
      GroupBox3(ScrollBox1, "GroupBox3", {8, 148, 113, 141}, "Użycie RAM"),
      Shape2(GroupBox3, "Shape2", {8, 18, 97, 115}, ""),
      Gauge4(GroupBox3, "Gauge4", {36, 24, 40, 79}),
      memusage(GroupBox3, "memusage", {12, 110, 89, 16}, "100 %"),
      GroupBox4(ScrollBox1, "GroupBox4", {128, 148, 185, 69}, "Pamięć"),
      Label8(GroupBox4, "Label8", {}, "Razem"),
      TRAM(GroupBox4, "TRAM", {}, "TRAM"),
      Label9(GroupBox4, "Label9", {}, "Dostępne"),
      Label5(GroupBox4, "Label5", {}, "Label5"),
      Label10(GroupBox4, "Label10", {}, "Zajęte"),
      Label6(GroupBox4, "Label6", {}, "Label6"),
      GroupBox5(ScrollBox1, "GroupBox5", {320, 148, 161, 69}, "CPU"),
      Label11(GroupBox5, "Label11", {}, "Czas jądra"),
      Label7(GroupBox5, "Label7", {}, "XX"),
      Label12(GroupBox5, "Label12", {}, "Czas użytkownika"),
      Label13(GroupBox5, "Label13", {}, "XX"),
      GroupBox6(ScrollBox1, "GroupBox6", {128, 224, 185, 65}, "Plik wymiany"),
      Label14(GroupBox6, "Label14", {}, "W sumie"),
      TOTPAGE(GroupBox6, "TOTPAGE", {}, "XX"),
      Label15(GroupBox6, "Label15", {}, "W użyciu"),
      UsedPAGE(GroupBox6, "UsedPAGE", {}, "XX"),
      Label16(GroupBox6, "Label16", {}, "Wolne"),
      FREEPAGE(GroupBox6, "FREEPAGE", {}, "XX"),
      GroupBox7(ScrollBox1, "GroupBox7", {320, 224, 161, 65}, "Sumy"),
      Label17(GroupBox7, "Label17", {}, "Procesy"),
      procesnumbers(GroupBox7, "procesnumbers", {}, "XX"),
      GroupBox8(ScrollBox1, "GroupBox8", {8, 304, 185, 73}, "Pamięć wirtualna"),
      Label18(GroupBox8, "Label18", {}, "W sumie"),
      WIRTTot(GroupBox8, "WIRTTot", {}, "XX"),
      Label19(GroupBox8, "Label19", {}, "Wolne"),
      WirtFree(GroupBox8, "WirtFree", {}, "XX"),
      Label20(GroupBox8, "Label20", {}, "Wykorzystane"),
      WirtUsed(GroupBox8, "WirtUsed", {}, "XX"),
      Timer1(1000),
      thousands_(localeThousandsSeparator()) {
  PageControl1.setAlign(qb::tk::Align::Client);

  // Index.
  Label1.setEmphasis(true, 14, std::nullopt);
  for (qb::tk::LinkLabel* link : {&Label50, &Label51, &Label52}) {
    link->setEmphasis(true, std::nullopt);
    link->onClick = [this](qb::tk::Control& sender) { Label50Click(sender); };
  }
  Image1.setBitmap(systemIconPicture(IDI_WINLOGO));
  Image2.setBitmap(systemIconPicture(IDI_APPLICATION));
  Image3.setBitmap(systemIconPicture(IDI_INFORMATION));

  // Windows.
  ListViewWND.setAnchors(qb::tk::Anchor::Left | qb::tk::Anchor::Top | qb::tk::Anchor::Right | qb::tk::Anchor::Bottom);
  ListViewWND.addColumn("Nazwa", 350);
  ListViewWND.addColumn("Uchwyt", 80, qb::tk::ColumnAlign::Right);
  for (qb::tk::Button* b : {&Button3, &Button2}) b->setAnchors(qb::tk::Anchor::Right | qb::tk::Anchor::Bottom);
  Button3.onClick = [this](qb::tk::Control&) { Button3Click(); };
  Button2.onClick = [this](qb::tk::Control&) { Button2Click(); };

  // Processes.
  Panel1.setAlign(qb::tk::Align::Bottom);
  Button1.setAnchors(qb::tk::Anchor::Right | qb::tk::Anchor::Top);
  Button1.onClick = [this](qb::tk::Control&) { Button1Click(); };
  ListView3.setAlign(qb::tk::Align::Client);
  ListView3.addColumn("Nazwa", 150);
  ListView3.addColumn("PID", 50, qb::tk::ColumnAlign::Right);
  ListView3.addColumn("Użycie CPU", 80, qb::tk::ColumnAlign::Right);
  ListView3.addColumn("Użycie  Ram", 80, qb::tk::ColumnAlign::Right);
  ListView3.addColumn("Czas procesora", 100);

  // Performance.
  ScrollBox1.setAlign(qb::tk::Align::Client);
  for (qb::tk::GroupBox* g : {&GroupBox1, &GroupBox2, &GroupBox3, &GroupBox4, &GroupBox5, &GroupBox6, &GroupBox7,
                              &GroupBox8}) {
    g->setBoldCaption(true);
    g->setCaptionColor(kGroupBlue);
  }
  for (auto [shape, gauge, label] : {std::tuple{&Shape1, &Gauge3, &cpuusage}, std::tuple{&Shape2, &Gauge4, &memusage}}) {
    shape->setBackground(kBlack);
    // The rectangle lies under the gauge and its label and must not paint over them.
    SetWindowLongW(shape->hwnd(), GWL_STYLE, GetWindowLongW(shape->hwnd(), GWL_STYLE) | WS_CLIPSIBLINGS);
    SetWindowPos(shape->hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    gauge->setColors(kTeal, kLime);
    gauge->setGrid(8, RGB(0, 96, 0));
    label->setEmphasis(false, 0, kLime);
    label->setBackground(kBlack);
    label->setRightAligned(true);
  }
  PaintBox1.setAnchors(qb::tk::Anchor::Left | qb::tk::Anchor::Top | qb::tk::Anchor::Right);
  placeFigure(Label8, TRAM, 16, 185);
  placeFigure(Label9, Label5, 32, 185);
  placeFigure(Label10, Label6, 48, 185);
  placeFigure(Label11, Label7, 20, 161);
  placeFigure(Label12, Label13, 40, 161);
  Label11.setWidth(100);
  Label12.setWidth(100);
  Label11.setEmphasis(false, 0, kRed);
  Label12.setEmphasis(false, 0, kTeal);
  Label7.setBounds({110, 20, 43, 16});
  Label13.setBounds({110, 40, 43, 16});
  placeFigure(Label14, TOTPAGE, 16, 185);
  placeFigure(Label15, UsedPAGE, 32, 185);
  placeFigure(Label16, FREEPAGE, 48, 185);
  placeFigure(Label17, procesnumbers, 24, 161);
  placeFigure(Label18, WIRTTot, 16, 185);
  placeFigure(Label19, WirtFree, 32, 185);
  placeFigure(Label20, WirtUsed, 48, 185);
  GroupBox8.setVisible(false);
  ScrollBox1.updateScrollRange();

  // Runs from the creation of the page to its end.
  Timer1.onTimer = [this](qb::tk::Timer&) { Timer1Timer(); };
  Timer1.setEnabled(true);
}

void TDLLForm::FormShow() { PageControl1.setActivePage(TS1); }

void TDLLForm::Back() { PageControl1.setActivePage(TS1); }

void TDLLForm::Label50Click(qb::tk::Control& sender) {
  switch (sender.tag) {
    case 0: PageControl1.setActivePage(TS2); break;
    case 1: PageControl1.setActivePage(TS3); break;
    case 2: PageControl1.setActivePage(TS4); break;
    default: break;
  }
}

// ---- The tick

void TDLLForm::Timer1Timer() {
  // A message box of this tick runs a message loop, and the timer goes on ticking inside it.
  if (ticking_) return;
  struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
  } running(ticking_);

  qb::runwatch::TaskSystem& system = taskSystem();
  const unsigned load = system.memoryLoad();

  // Without a new value (the first reading, a failed query) the gauge keeps what it shows.
  std::optional<int> usage;
  if (qb::win::windowsVersion().nt()) {
    if (const auto readings = system.systemReadings()) usage = moduleUsage().system.update(*readings);
  } else {
    usage = system.nineXCpuUsage();
  }
  if (usage) Gauge3.setProgress(*usage);
  cpuusage.setCaption(std::to_string(Gauge3.progress()) + " %");

  Gauge4.setProgress(static_cast<int>(load));
  memusage.setCaption(std::to_string(load) + " %");

  Label5.setCaption(fromCounted(GetFreeRam));
  Label6.setCaption(fromCounted(GetUsedRam));

  RefreshProcesses();

  TRAM.setCaption(fromCounted(GetTotalMem));

  const qb::runwatch::MemoryFigures m = system.memoryFigures();
  using qb::runwatch::kilobytesOfBytesText;
  using qb::runwatch::usedOf;
  TOTPAGE.setCaption(kilobytesOfBytesText(m.totalPageFile, thousands_));
  UsedPAGE.setCaption(kilobytesOfBytesText(usedOf(m.totalPageFile, m.availablePageFile), thousands_));
  FREEPAGE.setCaption(kilobytesOfBytesText(m.availablePageFile, thousands_));
  WIRTTot.setCaption(kilobytesOfBytesText(m.totalVirtual, thousands_));
  WirtFree.setCaption(kilobytesOfBytesText(m.availableVirtual, thousands_));
  WirtUsed.setCaption(kilobytesOfBytesText(usedOf(m.totalVirtual, m.availableVirtual), thousands_));

  RefreshWindows();
}

// ---- Processes

std::string TDLLForm::workingSetText(DWORD pid) {
  const qb::runwatch::WorkingSet ws = taskSystem().workingSet(pid);
  if (ws.status == qb::runwatch::CountersStatus::NoLibrary)
    qb::tk::messageBox(hwnd(), "Nie można wykonać żądanej operacji\rBłąd podczas ładowania biblioteki psapi.dll",
                       "Qubrix");
  else if (ws.status == qb::runwatch::CountersStatus::NoFunction)
    qb::tk::messageBox(hwnd(),
                       "Nie można wykonać żądanej operacji\rBłąd podczas pobierania adresu funkcji GetProcessMemoryInfo",
                       "Qubrix");
  return qb::runwatch::kilobytesText(ws.bytes / 1024, thousands_);
}

void TDLLForm::addProcessRow(DWORD pid, const std::string& name) {
  const int row = ListView3.addItemWithData(name, static_cast<std::intptr_t>(pid));
  ListView3.setSubItem(row, 1, std::to_string(pid));
}

void TDLLForm::RefreshProcesses() {
  qb::runwatch::TaskSystem& system = taskSystem();
  if (!qb::win::windowsVersion().nt()) {
    {
      const qb::tk::ListView::UpdateScope update(ListView3);
      ListView3.clear();
      for (const auto& p : system.snapshot(qb::runwatch::kSnapshotAll)) ListView3.addItem(p.name);
      cpuusage.setCaption(std::to_string(Gauge3.progress()) + " %");
    }
    showProcessCount();
    return;
  }

  // The selection is kept by the whole identifier and the view by the index of its top row.
  const int selectedRow = ListView3.selectedIndex();
  const std::string selected = selectedRow >= 0 ? ListView3.itemText(selectedRow, 1) : std::string();
  int topRow = 0;
  if (ListView3.count() > 0) {
    const std::string topText = ListView3.itemText(ListView3.topIndex(), 1);
    for (int row = 0; row < ListView3.count(); ++row)
      if (ListView3.itemText(row, 1) == topText) {
        topRow = row;
        break;
      }
  }

  {
    const qb::tk::ListView::UpdateScope update(ListView3);
    const qb::runwatch::MemoryCountersScope counters;
    ListView3.clear();
    const std::vector<qb::runwatch::SnapshotProcess> processes = system.snapshot(qb::runwatch::kSnapshotProcesses);
    std::vector<qb::runwatch::ProcessReading> readings;
    readings.reserve(processes.size());
    for (const auto& p : processes) {
      const auto times = system.processTimes(p.pid);
      readings.push_back({p.pid, p.name, times ? times->kernel : 0, times ? times->user : 0, times.has_value()});
    }
    const qb::runwatch::RefreshFigures figures = moduleUsage().processes.refresh(readings, system.timeOfDay());
    for (size_t i = 0; i < readings.size(); ++i) {
      const auto& r = readings[i];
      addProcessRow(r.pid, r.name);
      const int row = static_cast<int>(i);
      ListView3.setSubItem(row, 2, qb::runwatch::zeroPadded2(figures.shares[i]));
      ListView3.setSubItem(row, 3, workingSetText(r.pid));
      ListView3.setSubItem(row, 4, qb::runwatch::cpuTimeText(r.kernel + r.user));
    }
    // The first process of a snapshot is the system's idle process.
    if (ListView3.count() > 0) ListView3.setSubItem(0, 2, qb::runwatch::zeroPadded2(figures.idle));

    // Measured from where the list is now: not every system scrolls back to the top on clearing.
    ListView3.scrollBy(ListView3.rowHeight() * (topRow - ListView3.topIndex()));
    if (!selected.empty())
      for (int row = 0; row < ListView3.count(); ++row)
        if (ListView3.itemText(row, 1) == selected) {
          ListView3.select(row, false);
          break;
        }
  }
  DrawHistory();
  showProcessCount();
}

void TDLLForm::DrawHistory() {
  const qb::runwatch::CpuHistory& history = cpuHistory();
  Label7.setCaption(std::to_string(history[0].kernel) + "%");
  Label13.setCaption(std::to_string(history[0].user) + "%");
  cpuusage.setCaption(std::to_string(history[0].kernel + history[0].user) + " %");

  const qb::win::WindowDc canvas = PaintBox1.canvas();
  if (!canvas) return;
  const HDC dc = canvas.get();
  const int height = PaintBox1.clientHeight();
  const int last = std::min(PaintBox1.clientWidth() - 1, static_cast<int>(qb::runwatch::CpuHistory::kSamples) - 1);
  // Per column three upright lines, each leaving out its last pixel: red from
  // the bottom for the kernel share, lime above it for the user share, black
  // from there to the top row. One call per colour draws them all.
  std::vector<POINT> red, lime, black;
  std::vector<DWORD> pairs(static_cast<size_t>(last + 1), 2);
  for (int i = 0; i <= last; ++i) {
    const int x = last - i;
    const qb::runwatch::CpuSample& s = history[static_cast<size_t>(i)];
    const int kernelTop = height - s.kernel;
    const int userTop = kernelTop - s.user;
    red.insert(red.end(), {POINT{x, height}, POINT{x, kernelTop}});
    lime.insert(lime.end(), {POINT{x, kernelTop}, POINT{x, userTop}});
    black.insert(black.end(), {POINT{x, userTop}, POINT{x, 0}});
  }
  const qb::win::SavedDcState saved(dc);
  for (auto [points, color] : {std::pair{&red, kRed}, std::pair{&lime, kLime}, std::pair{&black, kBlack}}) {
    const qb::win::UniqueGdiObject pen(CreatePen(PS_SOLID, 1, color));
    const qb::win::SelectionScope withPen(dc, pen.get());
    PolyPolyline(dc, points->data(), pairs.data(), static_cast<DWORD>(pairs.size()));
  }
}

void TDLLForm::showProcessCount() { procesnumbers.setCaption(std::to_string(ListView3.count())); }

void TDLLForm::Button1Click() {
  const int row = ListView3.selectedIndex();
  // Rows of the 9x family carry no identifier: there is nothing to end.
  if (row < 0 || !qb::win::windowsVersion().nt()) return;
  const auto pid = static_cast<DWORD>(ListView3.itemData(row));
  {
    const qb::win::UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    if (process) TerminateProcess(process.get(), 0);
  }
  rebuildAfterEnd();
}

void TDLLForm::rebuildAfterEnd() {
  {
    const qb::tk::ListView::UpdateScope update(ListView3);
    const qb::runwatch::MemoryCountersScope counters;
    ListView3.clear();
    for (const auto& p : taskSystem().snapshot(qb::runwatch::kSnapshotAll)) {
      addProcessRow(p.pid, p.name);
      ListView3.setSubItem(ListView3.count() - 1, 3, workingSetText(p.pid));
    }
  }
  showProcessCount();
}

// ---- Windows

namespace {

struct ListedWindow {
  std::string title;  // ANSI, as read
  HWND handle;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM param) {
  auto& rows = *reinterpret_cast<std::vector<ListedWindow>*>(param);
  char title[145] = {};
  char className[145] = {};
  GetWindowTextA(window, title, 144);
  GetClassNameA(window, className, 144);
  const std::string cls = className;
  if (cls == "TApplication" || cls == "#32770" || !IsWindowVisible(window) || title[0] == '\0' || !IsWindow(window))
    return TRUE;
  rows.push_back({title, window});
  return TRUE;
}

}  // namespace

void TDLLForm::RefreshWindows() {
  const int remembered = ListViewWND.selectedIndex();
  std::vector<ListedWindow> rows;
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&rows));
  std::stable_sort(rows.begin(), rows.end(), [](const ListedWindow& a, const ListedWindow& b) {
    return lstrcmpA(a.title.c_str(), b.title.c_str()) < 0;
  });
  {
    const qb::tk::ListView::UpdateScope update(ListViewWND);
    ListViewWND.clear();
    for (const ListedWindow& w : rows) {
      const int row = ListViewWND.addItemWithData(qb::win::narrow(qb::win::fromAnsi(w.title)),
                                                  reinterpret_cast<std::intptr_t>(w.handle));
      ListViewWND.setSubItem(row, 1, std::to_string(reinterpret_cast<std::uintptr_t>(w.handle)));
    }
  }
  if (remembered >= 0 && remembered < ListViewWND.count()) ListViewWND.select(remembered, false);
}

void TDLLForm::Button3Click() {
  const int row = ListViewWND.selectedIndex();
  if (row < 0) return;
  PostMessageA(reinterpret_cast<HWND>(ListViewWND.itemData(row)), WM_CLOSE, 0, 0);
}

void TDLLForm::Button2Click() {
  const std::unique_ptr<TForm1> dialog(qb::tk::Form::create<TForm1>());
  struct Shown {
    TForm1*& slot;
    Shown(TForm1*& s, TForm1* d) : slot(s) { slot = d; }
    ~Shown() { slot = nullptr; }
  } shown(newTask_, dialog.get());
  dialog->showModal(hwnd());
}

// ---- Exports of this module only

extern "C" void __stdcall QBPGetName(unsigned char* buffer) { writeAnsiCounted(buffer, kPageCaption); }

extern "C" void __stdcall QBPGetAutor(unsigned char* buffer) { writeAnsiCounted(buffer, kAuthor); }
