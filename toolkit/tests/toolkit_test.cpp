#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/text.h"
#include "qb/tk/application.h"
#include "qb/tk/filedialog.h"
#include "qb/tk/controls.h"
#include "qb/tk/form.h"
#include "qb/tk/listview.h"
#include "qb/tk/pagecontrol.h"
#include "qb/tk/painted_control.h"
#include "qb/win/gdi.h"
#include "qb/win/text.h"

namespace {

class SampleForm : public qb::tk::Form {
 public:
  SampleForm()
      : Form("TSampleForm", "Sample", {0, 0, 400, 300}),
        Group(*this, "Group", {8, 8, 200, 120}, "Grupa"),
        Radio1(Group, "Radio1", {8, 20, 150, 20}, "Jeden", 1),
        Radio2(Group, "Radio2", {8, 44, 150, 20}, "Dwa", 2),
        Radio3(Group, "Radio3", {8, 68, 150, 20}, "Trzy", 3),
        Check(*this, "Check", {220, 8, 150, 20}, "Pole"),
        Text(*this, "Text", {220, 40, 150, 22}),
        Combo(*this, "Combo", {220, 70, 150, 24}, qb::tk::ComboStyle::DropDown, 13) {
    for (auto* r : {&Radio1, &Radio2, &Radio3})
      r->onClick = [this](qb::tk::Control& sender) { clicks.push_back(sender.tag); };
  }
  qb::tk::GroupBox Group;
  qb::tk::RadioButton Radio1, Radio2, Radio3;
  qb::tk::CheckBox Check;
  qb::tk::Edit Text;
  qb::tk::ComboBox Combo;
  std::vector<int> clicks;
};

struct FormFixture : ::testing::Test {
  qb::test::MessageBoxRecorder boxes;
  SampleForm* form = qb::tk::Form::create<SampleForm>();
  ~FormFixture() override { delete form; }
};

TEST_F(FormFixture, RadioButtonsOfOneParentExcludeEachOtherAndShareTheHandler) {
  form->Radio2.setChecked(true);
  SendMessageW(form->Radio3.hwnd(), BM_CLICK, 0, 0);  // as the user would
  EXPECT_FALSE(form->Radio1.checked());
  EXPECT_FALSE(form->Radio2.checked());
  EXPECT_TRUE(form->Radio3.checked());
  EXPECT_EQ(form->clicks, (std::vector<int>{2, 3}));
}

TEST_F(FormFixture, TabMovesThroughTheControlsAndIntoContainers) {
  form->Radio1.setChecked(true);
  form->show();
  form->Radio1.setFocus();
  std::vector<HWND> order;
  for (int i = 0; i < 4; ++i) {
    MSG msg{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    ASSERT_TRUE(IsDialogMessageW(form->hwnd(), &msg));
    order.push_back(GetFocus());
  }
  const HWND comboEdit = GetWindow(form->Combo.hwnd(), GW_CHILD);
  EXPECT_EQ(order[0], form->Check.hwnd());
  EXPECT_EQ(order[1], form->Text.hwnd());
  EXPECT_TRUE(order[2] == form->Combo.hwnd() || order[2] == comboEdit);
  EXPECT_EQ(order[3], form->Radio1.hwnd()) << "round again to the checked radio button";
}

TEST_F(FormFixture, ComboKeepsTypedTextWhenItsLinesAreReplaced) {
  form->Combo.setText("C:\\Moje");
  form->Combo.setItems({"Pulpit", "Ulubione"});
  EXPECT_EQ(form->Combo.text(), "C:\\Moje");
  EXPECT_EQ(form->Combo.count(), 2);
  form->Combo.setText("Ulubione");
  EXPECT_EQ(form->Combo.text(), "Ulubione");
}

TEST_F(FormFixture, ClosingWithFreeDeletesTheFormOnTheNextMessage) {
  struct Closing : qb::tk::Form {
    Closing() : Form("TClosing", "c", {0, 0, 10, 10}) {}
    void FormClose(qb::tk::CloseAction& a) override { a = qb::tk::CloseAction::Free; }
  };
  auto* f = qb::tk::Form::create<Closing>();
  const HWND h = f->hwnd();
  f->close();
  EXPECT_TRUE(IsWindow(h)) << "not inside the handler";
  qb::test::pumpMessages();
  EXPECT_FALSE(IsWindow(h));
}

// A program's main window: records whether it was ever shown and can close itself in FormShow.
class MainForm : public qb::tk::Form {
 public:
  explicit MainForm(bool closeInShow) : Form("TMainForm", "Main", {0, 0, 200, 100}), closeInShow_(closeInShow) {}
  bool everShown = false;

 protected:
  void FormShow() override {
    if (closeInShow_) close();
  }
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_SHOWWINDOW && wp) everShown = true;
    return Form::handleMessage(msg, wp, lp, result);
  }

 private:
  bool closeInShow_;
};

TEST(MainFormTest, MessageLoopEndsWhenTheMainFormIsClosed) {
  struct Case {
    const char* name;
    bool closeInShow;
    bool shown;
  };
  for (const Case c : {Case{"closed from outside", false, true}, Case{"closed in FormShow", true, false}}) {
    SCOPED_TRACE(c.name);
    MainForm* form = qb::tk::Form::create<MainForm>(c.closeInShow);
    if (!c.closeInShow) PostMessageW(form->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(qb::tk::Application::instance().run(*form), 0);
    EXPECT_EQ(form->everShown, c.shown);
    EXPECT_FALSE(IsWindowVisible(form->hwnd()));
    delete form;
  }
}

TEST(ListViewTest, ChecksSelectionSubItemsAndLongTexts) {
  struct Host : qb::tk::Form {
    Host()
        : Form("TListHost", "l", {0, 0, 300, 200}),
          List(*this, "List", {0, 0, 300, 200}, qb::tk::ListOption::CheckBoxes | qb::tk::ListOption::RowSelect) {}
    qb::tk::ListView List;
  };
  std::unique_ptr<Host> host(qb::tk::Form::create<Host>());
  qb::tk::ListView& list = host->List;
  list.addColumn("Nazwa", 100);
  list.addColumn("Wartość", 100);
  std::vector<int> selected;
  list.onSelectItem = [&](qb::tk::ListView&, int row, bool on) {
    if (on) selected.push_back(row);
  };
  list.beginUpdate();
  list.beginUpdate();
  for (int i = 0; i < 3; ++i) {
    const int row = list.addItem("r" + std::to_string(i));
    list.setSubItem(row, 1, std::string(1000, static_cast<char>('a' + i)));
    list.setChecked(row, true);
  }
  list.endUpdate();
  list.endUpdate();
  list.setChecked(1, false);
  EXPECT_EQ(list.count(), 3);
  EXPECT_TRUE(list.checked(0));
  EXPECT_FALSE(list.checked(1));
  EXPECT_EQ(list.itemText(2, 1), std::string(1000, 'c'));
  EXPECT_EQ(list.columnTitle(1), "Wartość");
  list.select(2);
  EXPECT_EQ(list.selectedIndex(), 2);
  EXPECT_EQ(selected, std::vector<int>{2});
  list.select(-1);
  EXPECT_EQ(list.selectedIndex(), -1) << "no row selects nothing, not every row";
}

TEST(PageControlTest, OnlyTheActiveSheetIsVisible) {
  struct Host : qb::tk::Form {
    Host()
        : Form("TPagesHost", "p", {0, 0, 300, 200}),
          Pages(*this, "PageControl1", {0, 0, 300, 200}),
          TS1(Pages, "TS1"),
          TS2(Pages, "TS2") {}
    qb::tk::PageControl Pages;
    qb::tk::TabSheet TS1, TS2;
  };
  std::unique_ptr<Host> host(qb::tk::Form::create<Host>());
  EXPECT_EQ(host->Pages.activePage(), &host->TS1);
  host->Pages.setActivePage(host->TS2);
  EXPECT_FALSE(host->TS1.visible());
  EXPECT_TRUE(host->TS2.visible());
  EXPECT_EQ(host->TS2.width(), 300) << "a sheet fills its page control";
}

// ---- Lists: sorting and update scopes

struct SortHost : qb::tk::Form {
  SortHost()
      : Form("TSortHost", "s", {0, 0, 300, 200}),
        Sorted(*this, "Sorted", {0, 0, 300, 100},
               qb::tk::ListOption::CheckBoxes | qb::tk::ListOption::RowSelect | qb::tk::ListOption::SortOnHeaderClick),
        Unsorted(*this, "Unsorted", {0, 100, 300, 100}) {}
  qb::tk::ListView Sorted;
  qb::tk::ListView Unsorted;

  // What the list tells its parent when the user clicks a column's header.
  void clickHeader(qb::tk::ListView& list, int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list.hwnd();
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list.hwnd()));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageW(hwnd(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  }
};

struct Row {
  const char* name;
  const char* size;
};
// Row data is the index into this table.
const Row kRows[] = {{"beta", "12 KB"}, {"Łódź", "9 KB"}, {"alfa", "100 KB"}, {"Lublin", "9 KB"}};

void fill(qb::tk::ListView& list) {
  list.addColumn("Nazwa", 100);
  list.addColumn("Rozmiar", 100);
  for (size_t i = 0; i < std::size(kRows); ++i) {
    const int row = list.addItemWithData(kRows[i].name, static_cast<std::intptr_t>(i));
    list.setSubItem(row, 1, kRows[i].size);
  }
}

std::vector<std::intptr_t> dataInRowOrder(const qb::tk::ListView& list) {
  std::vector<std::intptr_t> data;
  for (int row = 0; row < list.count(); ++row) data.push_back(list.itemData(row));
  return data;
}

TEST(ListViewTest, HeaderClicksSortRowsWithTheirDataChecksAndSelection) {
  qb::test::MessageBoxRecorder boxes;
  std::unique_ptr<SortHost> host(qb::tk::Form::create<SortHost>());
  qb::tk::ListView& list = host->Sorted;
  fill(list);
  list.setColumnComparison(1, qb::compareNumbers);
  list.setChecked(list.findItemData(2), true);
  list.select(list.findItemData(1));

  struct Step {
    const char* name;
    int column;
    std::vector<std::intptr_t> data;
  };
  const Step steps[] = {
      {"sizes as numbers; equal sizes keep their order", 1, {1, 3, 0, 2}},
      {"the same header again reverses", 1, {2, 0, 1, 3}},
      {"names as the Polish reader orders them, case ignored", 0, {2, 0, 3, 1}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    host->clickHeader(list, step.column);
    ASSERT_EQ(dataInRowOrder(list), step.data);
    for (int row = 0; row < list.count(); ++row) {
      const Row& shown = kRows[list.itemData(row)];
      EXPECT_EQ(list.itemText(row, 0), shown.name);
      EXPECT_EQ(list.itemText(row, 1), shown.size);
      EXPECT_EQ(list.checked(row), list.itemData(row) == 2) << "row " << row;
    }
    EXPECT_EQ(list.selectedIndex(), list.findItemData(1));
  }
  EXPECT_EQ(list.sortColumn(), 0);
  EXPECT_TRUE(list.sortAscending());

  list.addItemWithData("aaa", 4);
  list.resort();
  EXPECT_EQ(dataInRowOrder(list), (std::vector<std::intptr_t>{4, 2, 0, 3, 1})) << "a row added later takes its place";

  list.setColumnComparison(0, [](const std::string&, const std::string&) -> int {
    throw std::runtime_error("nie umiem porównać");
  });
  host->clickHeader(list, 0);
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_EQ(boxes.calls()[0].text, "Wystąpił nieoczekiwany błąd.\rnie umiem porównać");
  EXPECT_EQ(dataInRowOrder(list), (std::vector<std::intptr_t>{4, 2, 0, 3, 1}))
      << "a failed comparison leaves rows and their data as they were";

  qb::tk::ListView& plain = host->Unsorted;
  fill(plain);
  host->clickHeader(plain, 0);
  EXPECT_EQ(dataInRowOrder(plain), (std::vector<std::intptr_t>{0, 1, 2, 3})) << "sorting is for lists that ask for it";
}

// Records the redraw switches a list receives.
std::vector<WPARAM> redrawSwitches;
WNDPROC listProcedure = nullptr;
LRESULT CALLBACK recordRedraw(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETREDRAW) redrawSwitches.push_back(wp);
  return CallWindowProcW(listProcedure, hwnd, msg, wp, lp);
}

TEST(ListViewTest, UpdateScopesNestAndDrawingReturnsWhenTheOutermostEnds) {
  std::unique_ptr<SortHost> host(qb::tk::Form::create<SortHost>());
  qb::tk::ListView& list = host->Unsorted;
  redrawSwitches.clear();
  listProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordRedraw)));
  {
    const qb::tk::ListView::UpdateScope outer(list);
    try {
      const qb::tk::ListView::UpdateScope inner(list);
      list.addItem("r");
      throw std::runtime_error("fill failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(redrawSwitches, std::vector<WPARAM>{FALSE}) << "the inner scope's end leaves drawing off";
  }
  EXPECT_EQ(redrawSwitches, (std::vector<WPARAM>{FALSE, TRUE}));
  SetWindowLongPtrW(list.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProcedure));
}

// ---- Anchors

std::string describe(const qb::tk::Bounds& b) {
  return std::to_string(b.left) + "," + std::to_string(b.top) + " " + std::to_string(b.width) + "x" +
         std::to_string(b.height);
}

struct AnchorHost : qb::tk::Form {
  AnchorHost()
      : Form("TAnchorHost", "a", {0, 0, 300, 200}),
        Outer(*this, "Outer", {0, 0, 200, 100}),
        Child(Outer, "Child", {20, 10, 50, 30}, "x") {
    Outer.setAnchors(qb::tk::Anchor::Left | qb::tk::Anchor::Top | qb::tk::Anchor::Right | qb::tk::Anchor::Bottom);
  }
  qb::tk::Panel Outer;
  qb::tk::Button Child;
};

TEST(AnchorTest, AControlKeepsItsDistancesToTheEdgesItIsAnchoredTo) {
  using qb::tk::Anchor;
  struct Case {
    const char* name;
    Anchor anchors;
    qb::tk::Bounds expected;
    int movedLeft;  // where setLeft puts the child after anchoring; -1 leaves it
  };
  // The child starts at 20,10 50x30 in a 200x100 panel, which grows to 400x200 with its form.
  const Case cases[] = {
      {"left and top, as by default", Anchor::Left | Anchor::Top, {20, 10, 50, 30}, -1},
      {"right", Anchor::Right | Anchor::Top, {220, 10, 50, 30}, -1},
      {"left and right stretch", Anchor::Left | Anchor::Right | Anchor::Top, {20, 10, 250, 30}, -1},
      {"bottom", Anchor::Left | Anchor::Bottom, {20, 110, 50, 30}, -1},
      {"right and bottom", Anchor::Right | Anchor::Bottom, {220, 110, 50, 30}, -1},
      {"all four stretch", Anchor::Left | Anchor::Top | Anchor::Right | Anchor::Bottom, {20, 10, 250, 130}, -1},
      {"none: the centre keeps its proportion", Anchor::None, {65, 35, 50, 30}, -1},
      {"top and bottom only", Anchor::Top | Anchor::Bottom, {65, 10, 50, 130}, -1},
      {"right, moved after anchoring", Anchor::Right | Anchor::Top, {300, 10, 50, 30}, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<AnchorHost> host(qb::tk::Form::create<AnchorHost>());
    host->Child.setAnchors(c.anchors);
    if (c.movedLeft >= 0) host->Child.setLeft(c.movedLeft);
    const qb::tk::Bounds form = host->bounds();
    // Shrunk past the child first: growing again must bring back exactly the distances taken.
    SetWindowPos(host->hwnd(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(host->hwnd(), nullptr, 0, 0, form.width + 200, form.height + 100,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(describe(host->Outer.bounds()), "0,0 400x200");
    EXPECT_EQ(describe(host->Child.bounds()), describe(c.expected));
  }
}

// Drops its frame in FormCreate, as a plug-in page does when it embeds itself: the client area grows.
struct FrameDroppingHost : qb::tk::Form {
  FrameDroppingHost()
      : Form("TFrameDroppingHost", "f", {0, 0, 300, 200}), Corner(*this, "Corner", {200, 150, 80, 30}, "x") {
    Corner.setAnchors(qb::tk::Anchor::Right | qb::tk::Anchor::Bottom);
  }
  void FormCreate() override {
    SetWindowLongW(hwnd(), GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
    SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  qb::tk::Button Corner;
};

TEST(AnchorTest, AnchorsAreMeasuredOnceFormCreateHasPutTheFormInPlace) {
  std::unique_ptr<FrameDroppingHost> host(qb::tk::Form::create<FrameDroppingHost>());
  EXPECT_EQ(describe(host->Corner.bounds()), "200,150 80x30") << "where it was designed";
  host->setBounds({0, 0, 400, 300});
  EXPECT_EQ(describe(host->Corner.bounds()), "300,250 80x30");
}

// ---- Controls that paint themselves

// The lower `percent` of its height in red, the rest left in the face colour.
class LevelGauge : public qb::tk::PaintedControl {
 public:
  LevelGauge(qb::tk::Container& parent, const qb::tk::Bounds& b)
      : PaintedControl(parent, "Gauge", b, 0, WS_EX_CLIENTEDGE) {}
  int percent = 50;
  bool throwInPaint = false;
  bool throwOnMouseDown = false;
  RECT painted{};

 protected:
  void paint(HDC dc, const RECT& client) override {
    painted = client;
    if (throwInPaint) throw std::runtime_error("paint failed");
    RECT level = client;
    level.top = client.bottom - client.bottom * percent / 100;
    const qb::win::UniqueGdiObject red(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(dc, &level, static_cast<HBRUSH>(red.get()));
  }
  void mouseDown(qb::tk::MouseButton, POINT) override {
    if (throwOnMouseDown) throw std::runtime_error("press failed");
  }
};

struct GaugeHost : qb::tk::Form {
  // 2 pixels of client edge on each side leave a client area of 36x100.
  GaugeHost() : Form("TGaugeHost", "g", {0, 0, 200, 200}), Gauge(*this, {10, 10, 40, 104}) {}
  LevelGauge Gauge;
};

// The control's client area as WM_PRINTCLIENT draws it into a memory bitmap.
class PrintedClient {
 public:
  explicit PrintedClient(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const qb::win::SelectionScope onBitmap(dc_.get(), bitmap_.get());
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.get()), PRF_CLIENT);
  }
  COLORREF pixel(int x, int y) const {
    const qb::win::SelectionScope onBitmap(dc_.get(), bitmap_.get());
    return GetPixel(dc_.get(), x, y);
  }

 private:
  qb::win::UniqueDc dc_ = qb::win::createMemoryDc();
  qb::win::UniqueGdiObject bitmap_;
};

COLORREF printedPixel(HWND control, int x, int y) { return PrintedClient(control).pixel(x, y); }

COLORREF screenPixel(HWND control, int x, int y) {
  UpdateWindow(control);
  return GetPixel(qb::win::WindowDc(control).get(), x, y);
}

TEST(PaintedControlTest, PaintsItsClientAreaThroughTheBufferWhereverItIsRead) {
  struct Reader {
    const char* name;
    COLORREF (*read)(HWND control, int x, int y);
  };
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF red = RGB(255, 0, 0);
  for (const Reader& r : {Reader{"printed into a bitmap", printedPixel}, Reader{"on the screen", screenPixel}}) {
    SCOPED_TRACE(r.name);
    std::unique_ptr<GaugeHost> host(qb::tk::Form::create<GaugeHost>());
    ShowWindow(host->hwnd(), SW_SHOWNOACTIVATE);
    const HWND gauge = host->Gauge.hwnd();
    EXPECT_EQ(r.read(gauge, 0, 0), face);
    EXPECT_EQ(r.read(gauge, 5, 48), face);
    EXPECT_EQ(r.read(gauge, 5, 51), red);
    EXPECT_EQ(r.read(gauge, 35, 99), red) << "the buffer covers the whole client area";
    EXPECT_EQ(describe({host->Gauge.painted.left, host->Gauge.painted.top, host->Gauge.painted.right,
                        host->Gauge.painted.bottom}),
              describe({0, 0, 36, 100}))
        << "paint is given the client area, inside the border";
    host->Gauge.percent = 80;
    host->Gauge.repaint();
    EXPECT_EQ(r.read(gauge, 5, 25), red) << "drawn again after repaint";
  }
}

TEST(PaintedControlTest, AnExceptionStopsAtTheControlAndIsReported) {
  struct Case {
    const char* name;
    bool inPaint;
    const char* message;
  };
  for (const Case& c : {Case{"painting", true, "paint failed"}, Case{"pressing a button", false, "press failed"}}) {
    SCOPED_TRACE(c.name);
    qb::test::MessageBoxRecorder boxes;
    std::unique_ptr<GaugeHost> host(qb::tk::Form::create<GaugeHost>());
    ShowWindow(host->hwnd(), SW_SHOWNOACTIVATE);
    LevelGauge& gauge = host->Gauge;
    UpdateWindow(gauge.hwnd());
    gauge.throwInPaint = c.inPaint;
    gauge.throwOnMouseDown = !c.inPaint;
    if (c.inPaint) {
      gauge.repaint();
      UpdateWindow(gauge.hwnd());
    } else {
      SendMessageW(gauge.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    }
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, std::string("Wystąpił nieoczekiwany błąd.\r") + c.message);
    if (GetCapture() == gauge.hwnd()) ReleaseCapture();
  }
}

// The real common dialog, answered by a timer of this thread: the timer finds
// the dialog, types a name into it and presses OK or Cancel.
struct DialogAnswer {
  static inline std::wstring typed;
  static inline bool pressOk = true;
  static BOOL CALLBACK findDialog(HWND w, LPARAM out) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(w)) return TRUE;
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }
  static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, id);
    if (pressOk) {
      SetDlgItemTextW(dialog, 0x47C, typed.c_str());  // the file name box
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    } else {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  }
};

TEST(OpenDialogTest, TheCommonDialogReturnsTheChosenFileAndFilter) {
  const std::wstring file = qb::test::programFolder() + L"\\open dialog ąę.txt";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  struct Case {
    const char* name;
    bool ok;
  };
  for (const Case& c : {Case{"OK", true}, Case{"Cancel", false}}) {
    SCOPED_TRACE(c.name);
    DialogAnswer::typed = file;
    DialogAnswer::pressOk = c.ok;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, DialogAnswer::onTimer);
    qb::tk::OpenDialog dialog("Programy|*.exe|Wszystkie pliki|*.*");
    dialog.setFilterIndex(2);
    const bool chosen = dialog.execute(nullptr);
    KillTimer(nullptr, timer);
    EXPECT_EQ(chosen, c.ok);
    if (c.ok) {
      EXPECT_EQ(dialog.fileName(), qb::win::narrow(file));
      EXPECT_EQ(dialog.filterIndex(), 2);
    }
  }
  DeleteFileW(file.c_str());
}

TEST(OpenDialogTest, AHookAnswersInsteadOfTheDialogAndSeesTheRequest) {
  qb::test::OpenFileAnswer answer(qb::tk::OpenFileChoice{"C:\\a\\b.gif", 6});
  qb::tk::OpenDialog dialog("Bitmaps (*.bmp)|*.bmp|GIF (*.gif)|*.gif");
  ASSERT_TRUE(dialog.execute(reinterpret_cast<HWND>(0x1234)));
  EXPECT_EQ(dialog.fileName(), "C:\\a\\b.gif");
  EXPECT_EQ(dialog.filterIndex(), 6);
  ASSERT_EQ(answer.requests().size(), 1u);
  EXPECT_EQ(answer.requests()[0].filter, "Bitmaps (*.bmp)|*.bmp|GIF (*.gif)|*.gif");
  EXPECT_EQ(answer.requests()[0].owner, reinterpret_cast<HWND>(0x1234));
  answer.answer(std::nullopt);
  EXPECT_FALSE(dialog.execute(nullptr));
  EXPECT_EQ(dialog.fileName(), "C:\\a\\b.gif") << "a cancelled dialog keeps the last choice";
}

// An index screen in small: links between an edit and a button.
class LinkForm : public qb::tk::Form {
 public:
  LinkForm()
      : Form("TLinkForm", "Links", {0, 0, 300, 200}),
        First(*this, "First", {8, 8, 150, 22}),
        Link1(*this, "Link1", {8, 40, 150, 16}, "Procesy", 1),
        Link2(*this, "Link2", {8, 64, 150, 16}, "Wydajność", 2),
        Last(*this, "Last", {8, 96, 80, 24}, "OK") {
    for (auto* l : {&Link1, &Link2}) l->onClick = [this](qb::tk::Control& sender) { clicks.push_back(sender.tag); };
  }
  qb::tk::Edit First;
  qb::tk::LinkLabel Link1, Link2;
  qb::tk::Button Last;
  std::vector<int> clicks;
};

struct LinkFixture : ::testing::Test {
  qb::test::MessageBoxRecorder boxes;
  std::unique_ptr<LinkForm> form{qb::tk::Form::create<LinkForm>()};

  LinkFixture() {
    form->show();
    form->First.setFocus();
  }
  // A key pressed on the focused window, handed over as the message loop does.
  void press(WPARAM key, LPARAM flags = 1) {
    MSG msg{GetFocus(), WM_KEYDOWN, key, flags, 0, {}};
    if (!IsDialogMessageW(form->hwnd(), &msg)) DispatchMessageW(&msg);
  }
  std::string focused() const {
    const qb::tk::Control* c = qb::tk::Control::fromHwnd(GetFocus());
    return c ? c->name() : "(none)";
  }
};

TEST_F(LinkFixture, TabStopsAtLinksThatAreShownAndEnabled) {
  struct Case {
    const char* name;
    void (*change)(LinkForm&);
    std::vector<std::string> order;  // from the edit, round to it again
  };
  const Case cases[] = {
      {"both links", [](LinkForm&) {}, {"Link1", "Link2", "Last", "First"}},
      {"first disabled", [](LinkForm& f) { f.Link1.setEnabled(false); }, {"Link2", "Last", "First"}},
      {"first hidden", [](LinkForm& f) { f.Link1.setVisible(false); }, {"Link2", "Last", "First"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.reset(qb::tk::Form::create<LinkForm>());
    form->show();
    c.change(*form);
    form->First.setFocus();
    std::vector<std::string> order;
    for (size_t i = 0; i < c.order.size(); ++i) {
      press(VK_TAB);
      order.push_back(focused());
    }
    EXPECT_EQ(order, c.order);
  }
}

TEST_F(LinkFixture, EnterSpaceOrTheMouseClickTheLinkOnce) {
  struct Case {
    const char* name;
    void (*act)(LinkFixture&);
  };
  const Case cases[] = {
      {"Enter", [](LinkFixture& t) { t.press(VK_RETURN); }},
      {"Space", [](LinkFixture& t) { t.press(VK_SPACE); }},
      {"Enter held down", [](LinkFixture& t) {
         t.press(VK_RETURN);
         for (int i = 0; i < 3; ++i) t.press(VK_RETURN, 1 | (1L << 30));  // auto-repeat
       }},
      {"Space held down", [](LinkFixture& t) {
         t.press(VK_SPACE);
         for (int i = 0; i < 3; ++i) t.press(VK_SPACE, 1 | (1L << 30));
       }},
      {"mouse", [](LinkFixture& t) {
         SendMessageW(t.form->Link2.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
         SendMessageW(t.form->Link2.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form->clicks.clear();
    form->First.setFocus();
    press(VK_TAB);
    press(VK_TAB);
    ASSERT_EQ(focused(), "Link2");
    c.act(*this);
    EXPECT_EQ(form->clicks, std::vector<int>{2});
    EXPECT_EQ(focused(), "Link2");
  }
  EXPECT_TRUE(boxes.calls().empty()) << boxes.texts();
}

TEST_F(LinkFixture, EnterOrSpaceOnAFocusedButtonClicksItOnce) {
  int buttonClicks = 0;
  form->Last.onClick = [&](qb::tk::Control&) { ++buttonClicks; };
  for (const WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_SPACE}}) {
    SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Space");
    buttonClicks = 0;
    form->Last.setFocus();
    press(key);
    MSG up{GetFocus(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u), 0, {}};
    if (!IsDialogMessageW(form->hwnd(), &up)) DispatchMessageW(&up);
    EXPECT_EQ(buttonClicks, 1);
    EXPECT_EQ(focused(), "Last");
  }
  EXPECT_TRUE(boxes.calls().empty()) << boxes.texts();
}

// Every pixel of a control's client area, printed or as the screen shows it.
std::vector<COLORREF> clientPixels(HWND control, bool onScreen) {
  RECT client{};
  GetClientRect(control, &client);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const qb::win::UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const qb::win::UniqueDc dc = qb::win::createMemoryDc();
  {
    const qb::win::SelectionScope onBitmap(dc.get(), bitmap.get());
    if (onScreen) {
      UpdateWindow(control);
      BitBlt(dc.get(), 0, 0, client.right, client.bottom, qb::win::WindowDc(control).get(), 0, 0, SRCCOPY);
    } else {
      SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    }
  }
  GdiFlush();
  const auto* first = static_cast<const COLORREF*>(bits);
  return std::vector<COLORREF>(first, first + client.right * client.bottom);
}

size_t differingPixels(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
  size_t n = a.size() == b.size() ? 0 : std::max(a.size(), b.size());
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) n += a[i] != b[i];
  return n;
}

TEST_F(LinkFixture, AFocusedLinkShowsAFrameThatGoesWithTheFocus) {
  for (const bool onScreen : {false, true}) {
    SCOPED_TRACE(onScreen ? "on the screen" : "printed into a bitmap");
    const HWND link = form->Link1.hwnd();
    form->First.setFocus();
    const std::vector<COLORREF> unfocused = clientPixels(link, onScreen);
    press(VK_TAB);
    ASSERT_EQ(focused(), "Link1");
    EXPECT_GT(differingPixels(clientPixels(link, onScreen), unfocused), 0u) << "focused by the keyboard";
    press(VK_TAB);
    EXPECT_EQ(differingPixels(clientPixels(link, onScreen), unfocused), 0u) << "focus moved on";
  }
}

}  // namespace
