// The gauge and the modal tool dialog of the toolkit.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "qb/test/testbench.h"
#include "qb/tk/gauge.h"
#include "qb/tk/tool_dialog.h"
#include "qb/win/gdi.h"

namespace {

struct GaugeForm : qb::tk::Form {
  GaugeForm() : Form("TGaugeForm", "g", {0, 0, 200, 200}), Gauge(*this, "Gauge", {10, 10, 40, 80}) {
    Gauge.setColors(RGB(0, 128, 128), RGB(0, 255, 0));
  }
  qb::tk::Gauge Gauge;
};

// Column 5 of the gauge, bottom row first: 'b' for the bar, '.' for the background.
std::string column(HWND control) {
  RECT client{};
  GetClientRect(control, &client);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const qb::win::UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const qb::win::UniqueDc dc = qb::win::createMemoryDc();
  const qb::win::SelectionScope onBitmap(dc.get(), bitmap.get());
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  std::string out;
  for (int y = client.bottom - 1; y >= 0; --y) {
    const COLORREF c = GetPixel(dc.get(), 5, y);
    out += c == RGB(0, 255, 0) ? 'b' : c == RGB(0, 128, 128) ? '.' : '?';
  }
  return out;
}

TEST(GaugeTest, FillsFromTheBottomInProportionHeldWithinItsRange) {
  std::unique_ptr<GaugeForm> form(qb::tk::Form::create<GaugeForm>());
  struct Case {
    int min, max, value, held, barRows;
  };
  const Case cases[] = {
      {0, 100, 0, 0, 0},    {0, 100, 50, 50, 40},  {0, 100, 100, 100, 80},
      {0, 100, 101, 100, 80}, {0, 100, -7, 0, 0}, {10, 30, 15, 15, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " set to " + std::to_string(c.value));
    form->Gauge.setRange(c.min, c.max);
    form->Gauge.setProgress(c.value);
    EXPECT_EQ(form->Gauge.progress(), c.held);
    EXPECT_EQ(column(form->Gauge.hwnd()), std::string(c.barRows, 'b') + std::string(80 - c.barRows, '.'));
  }
}

class Dialog : public qb::tk::ToolDialog {
 public:
  Dialog() : ToolDialog("TDialogUnderTest", "Dialog", {200, 100}) {}
  int oks = 0;

 protected:
  void okPressed() override { ++oks; }
};

struct Inside {
  static inline std::function<void()> step;
  static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    step();
  }
};

TEST(ToolDialogTest, ModalUntilClosedWithTheOwnerDisabledMeanwhile) {
  qb::test::HostWindow owner(L"Tool dialog owner");
  std::unique_ptr<Dialog> dialog(qb::tk::Form::create<Dialog>());
  EXPECT_TRUE(GetWindowLongW(dialog->hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  dialog->stayOnTop();
  EXPECT_TRUE(GetWindowLongW(dialog->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT frame{};
  GetWindowRect(dialog->hwnd(), &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1) << "centred on the desktop";
  bool ran = false;
  Inside::step = [&] {
    ran = true;
    EXPECT_TRUE(dialog->inModalLoop());
    EXPECT_FALSE(IsWindowEnabled(owner.hwnd()));
    SendMessageW(dialog->hwnd(), WM_COMMAND, IDOK, 0);  // Enter
    EXPECT_TRUE(dialog->visible());
    SendMessageW(dialog->hwnd(), WM_COMMAND, IDCANCEL, 0);  // Escape
  };
  SetTimer(nullptr, 0, 10, Inside::onTimer);
  dialog->showModal(owner.hwnd());
  EXPECT_TRUE(ran);
  EXPECT_EQ(dialog->oks, 1);
  EXPECT_FALSE(dialog->visible());
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

TEST(ToolDialogTest, AQuitRequestEndsTheModalLoopAndReachesTheOuterOne) {
  std::unique_ptr<Dialog> dialog(qb::tk::Form::create<Dialog>());
  Inside::step = [] { PostQuitMessage(7); };
  SetTimer(nullptr, 0, 10, Inside::onTimer);
  dialog->showModal(nullptr);
  EXPECT_FALSE(dialog->visible());
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
