// Foldmark's window in this process: the version check that enables the
// buttons, the window's frame, and the logo as a link.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foldmark_form.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/tk/application.h"
#include "qb/win/gdi.h"
#include "qb/win/version.h"

namespace {

namespace versions = qb::win::versions;
using qb::win::WindowsVersion;

class FoldmarkWindow : public ::testing::Test {
 protected:
  qb::test::MessageBoxRecorder boxes;

  TForm2& open() {
    form_ = qb::tk::Form::create<TForm2>();
    return *form_;
  }
  void TearDown() override {
    qb::win::overrideWindowsVersion(std::nullopt);
    if (form_ && qb::tk::Application::instance().owns(form_)) form_->close();
    qb::test::pumpMessages();
    EXPECT_TRUE(boxes.calls().empty()) << "the window showed a message box";
  }

 private:
  TForm2* form_ = nullptr;
};

TEST_F(FoldmarkWindow, VersionCheckEnablesTheViewButtonsTheShellCanShow) {
  struct Case {
    const char* name;
    WindowsVersion version;
    bool basicViews;     // small icons, icons, list, report
    bool xpViews;        // icons aligned left, tiles, thumbnails
    bool unsupported;    // the label is shown
  };
  const Case cases[] = {
      {"95", versions::win95, false, false, true},
      {"98", versions::win98, false, false, true},
      {"Me", versions::winMe, false, false, true},
      {"NT 3.51", {2, 3, 51, 1057}, false, false, true},
      {"NT 4", versions::nt4, false, false, true},
      {"2000", versions::win2000, true, false, true},
      {"XP", versions::winXp, true, true, false},
      {"2003", versions::win2003, true, true, false},
      {"Vista", versions::vista, true, true, false},
      {"NT 5.1 of an unknown build", {2, 5, 1, 0}, true, true, false},
      {"Win32s", {0, 3, 10, 0}, true, true, true},
      {"CE", {3, 5, 0, 0}, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qb::win::overrideWindowsVersion(c.version);
    TForm2& f = open();
    for (qb::tk::Button* b : {&f.Button2, &f.Button4, &f.Button5, &f.Button1}) EXPECT_EQ(b->enabled(), c.basicViews) << b->caption();
    for (qb::tk::Button* b : {&f.Button6, &f.Button8, &f.Button9}) EXPECT_EQ(b->enabled(), c.xpViews) << b->caption();
    EXPECT_TRUE(f.Button7.enabled());
    EXPECT_EQ(f.Label1.visible(), c.unsupported);
    f.close();
    qb::test::pumpMessages();
  }
}

TEST_F(FoldmarkWindow, FixedSingleBorderAroundTheDesignedClientArea) {
  TForm2& f = open();
  EXPECT_EQ(f.caption(), "Foldmark :: http://www.korvane.example/qubrix");
  RECT client{};
  GetClientRect(f.hwnd(), &client);
  EXPECT_EQ(client.right, 305);
  EXPECT_EQ(client.bottom, 226);
  const auto style = static_cast<DWORD>(GetWindowLongW(f.hwnd(), GWL_STYLE));
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX), static_cast<DWORD>(WS_SYSMENU | WS_MINIMIZEBOX));
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u);
  EXPECT_NE(f.Image1.bitmap(), nullptr) << "the logo is missing from the resources";
  EXPECT_EQ(f.Image1.transparentColor(), RGB(255, 255, 255));
}

TEST_F(FoldmarkWindow, LogoLeavesItsWhiteOutAndShowsTheFormBehind) {
  TForm2& f = open();
  ShowWindow(f.hwnd(), SW_SHOWNOACTIVATE);
  UpdateWindow(f.hwnd());
  const qb::win::WindowDc dc(f.Image1.hwnd());
  // The top rows of the picture lie under the "Raport" button.
  const COLORREF corner = GetPixel(dc.get(), 2, 60);  // white in the picture
  const COLORREF page = GetPixel(dc.get(), 35, 12);   // the red page
  const COLORREF icon = GetPixel(dc.get(), 34, 24);   // a white icon on the page
  EXPECT_EQ(corner, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(page, RGB(200, 16, 16));
  EXPECT_EQ(icon, GetSysColor(COLOR_BTNFACE));
}

TEST_F(FoldmarkWindow, LogoOpensTheWebSiteWhenPressedAndReleasedOverIt) {
  struct Case {
    const char* name;
    std::vector<UINT> messages;
    POINT releasedAt;
    size_t opened;
  };
  const Case cases[] = {
      {"click", {WM_LBUTTONDOWN, WM_LBUTTONUP}, {10, 10}, 1},
      {"released outside", {WM_LBUTTONDOWN, WM_LBUTTONUP}, {200, 10}, 0},
      {"released without a press", {WM_LBUTTONUP}, {10, 10}, 0},
      {"right button", {WM_RBUTTONDOWN, WM_RBUTTONUP}, {10, 10}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TForm2& f = open();
    std::vector<std::wstring> calls;
    f.shellOpen = [&](const std::wstring& verb, const std::wstring& address) { calls.push_back(verb + L" " + address); };
    for (UINT m : c.messages) {
      const POINT at = (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN) ? POINT{10, 10} : c.releasedAt;
      SendMessageW(f.Image1.hwnd(), m, m == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
    }
    ASSERT_EQ(calls.size(), c.opened);
    if (c.opened) {
      EXPECT_EQ(calls[0], L"open http://www.korvane.example/qubrix");
    }
    f.close();
    qb::test::pumpMessages();
  }
}

TEST_F(FoldmarkWindow, CloseButtonFreesTheWindow) {
  TForm2& f = open();
  TForm2* address = &f;
  f.Button7.click();
  qb::test::pumpMessages();
  EXPECT_FALSE(qb::tk::Application::instance().owns(address));
}

}  // namespace
