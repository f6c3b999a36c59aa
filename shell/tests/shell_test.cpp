// The plug-in contract, with a page of the test's own.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "qb/shell/language.h"
#include "qb/shell/page.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/tk/controls.h"
#include "qb/win/registry.h"

namespace {

int pagesCreated = 0;
bool nextPageOnlyHides = false;
// What the page's Apply and its button's click run; nothing by default.
std::function<void()> onApply, onButtonClick;
int showsSeen = 0;
LONG styleAfterEmbedding = 0;

class TestPage : public qb::shell::PluginPage {
 public:
  TestPage()
      : PluginPage("TTestPage", "Designed caption", {0, 0, 200, 100},
                   nextPageOnlyHides ? OnClose::HideOnly : OnClose::Free),
        Label1(*this, "Label1", {4, 4, 150, 16}, "one"),
        Label2(*this, "Label2", {4, 24, 150, 16}, "two"),
        Label3(*this, "Label3", {4, 44, 150, 16}, "three"),
        Button1(*this, "Button1", {4, 64, 80, 24}, "Act") {
    ++pagesCreated;
    Button1.onClick = [](qb::tk::Control&) {
      if (onButtonClick) onButtonClick();
    };
  }
  qb::tk::Label Label1, Label2, Label3;
  qb::tk::Button Button1;

  void Apply() override {
    if (onApply) onApply();
  }

 protected:
  void FormCreate() override {
    PluginPage::FormCreate();
    styleAfterEmbedding = GetWindowLongW(hwnd(), GWL_STYLE);
  }
  void FormShow() override {
    ++showsSeen;
    qb::shell::LoadLangFile("testpage", {qb::shell::captionKey("x1", Label1), qb::shell::captionKey("x2", Label2),
                                     qb::shell::captionKey("x3", Label3)});
  }
};

TestPage* current() { return dynamic_cast<TestPage*>(qb::shell::moduleState().currentPage); }

void closePage() {
  if (auto* p = qb::shell::moduleState().currentPage) p->close();
  qb::test::pumpMessages();
}

POINT positionIn(HWND host, HWND page) {
  RECT r{};
  GetWindowRect(page, &r);
  POINT p{r.left, r.top};
  ScreenToClient(host, &p);
  return p;
}

class Shell : public ::testing::Test {
 protected:
  qb::test::ScratchRegistry scratch;
  qb::test::MessageBoxRecorder boxes;
  void SetUp() override { pagesCreated = showsSeen = 0; }
  void TearDown() override {
    closePage();
    EXPECT_TRUE(boxes.calls().empty());
  }
};

}  // namespace

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TestPage>(); }

namespace {

TEST_F(Shell, SecondShowBringsTheSamePageForwardWithoutMovingIt) {
  qb::test::HostWindow host(L"Host A");
  ShowDLLWND(30, 20, "Host A");
  TestPage* first = current();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetParent(first->hwnd()), host.hwnd());
  EXPECT_EQ(positionIn(host.hwnd(), first->hwnd()).y, 30);
  EXPECT_EQ(positionIn(host.hwnd(), first->hwnd()).x, 20);

  ShowDLLWND(90, 80, "Host A");
  EXPECT_EQ(current(), first);
  EXPECT_EQ(pagesCreated, 1);
  EXPECT_EQ(showsSeen, 1) << "a visible page is only brought to the front";
  EXPECT_EQ(positionIn(host.hwnd(), first->hwnd()).y, 30);
}

TEST_F(Shell, ShowAfterCloseBuildsANewPageInTheNewWindowAtTheNewPlace) {
  qb::test::HostWindow a(L"Host A"), b(L"Host B");
  ShowDLLWND(10, 10, "Host A");
  closePage();
  EXPECT_EQ(qb::shell::moduleState().currentPage, nullptr);
  ShowDLLWND(50, 40, "Host B");
  ASSERT_NE(current(), nullptr);
  EXPECT_EQ(pagesCreated, 2);
  EXPECT_EQ(showsSeen, 2);
  EXPECT_EQ(GetParent(current()->hwnd()), b.hwnd());
  EXPECT_EQ(positionIn(b.hwnd(), current()->hwnd()).y, 50);
  EXPECT_EQ(positionIn(b.hwnd(), current()->hwnd()).x, 40);
}

TEST_F(Shell, AnEmbeddedPageHasNoFrameLeftAndItsControlsSitWhereDesigned) {
  qb::test::HostWindow host(L"Host A");
  ShowDLLWND(30, 20, "Host A");
  TestPage* page = current();
  ASSERT_NE(page, nullptr);
  RECT window{}, client{};
  GetWindowRect(page->hwnd(), &window);
  GetClientRect(page->hwnd(), &client);
  POINT origin{0, 0};
  ClientToScreen(page->hwnd(), &origin);
  EXPECT_EQ(origin.x, window.left) << "the client area starts at the window's edge";
  EXPECT_EQ(origin.y, window.top) << "no caption is kept above the client area";
  EXPECT_EQ(client.right, window.right - window.left);
  EXPECT_EQ(client.bottom, window.bottom - window.top);
  RECT label{};
  GetWindowRect(page->Label2.hwnd(), &label);
  EXPECT_EQ(label.top - window.top, 24) << "a control sits at its designed place in the page";
  EXPECT_EQ(label.left - window.left, 4);
}

TEST_F(Shell, EmbeddingSetsExactlyTheChildStyleAndCopiesTheHostsExtendedStyle) {
  const DWORD hostEx = WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES | WS_EX_WINDOWEDGE;
  qb::test::HostWindow host(L"Host A", hostEx);
  ShowDLLWND(0, 0, "Host A");
  EXPECT_EQ(styleAfterEmbedding, 0x40000000);
  // WS_EX_WINDOWEDGE is the system's to keep: it follows whether a window has a caption.
  EXPECT_EQ(GetWindowLongW(current()->hwnd(), GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE,
            GetWindowLongW(host.hwnd(), GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);
}

TEST_F(Shell, AChildWindowWithTheTitleIsNotTheHost) {
  qb::test::HostWindow host(L"Outer");
  HWND child = CreateWindowExW(0, L"STATIC", L"Host C", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, host.hwnd(),
                               nullptr, nullptr, nullptr);
  ShowDLLWND(5, 5, "Host C");
  ASSERT_NE(current(), nullptr);
  EXPECT_NE(GetParent(current()->hwnd()), child);
  EXPECT_EQ(GetAncestor(current()->hwnd(), GA_PARENT), GetDesktopWindow());
  DestroyWindow(child);
}

TEST_F(Shell, NoHostWindowLeavesAChildOfTheDesktopWithNoExtendedStyle) {
  ShowDLLWND(5, 6, "No such window anywhere");
  ASSERT_NE(current(), nullptr);
  // With no parent the system keeps WS_CLIPSIBLINGS on the window; nothing else is set.
  EXPECT_EQ(styleAfterEmbedding & ~WS_CLIPSIBLINGS, 0x40000000);
  EXPECT_EQ(GetWindowLongW(current()->hwnd(), GWL_EXSTYLE), 0);
  EXPECT_EQ(GetAncestor(current()->hwnd(), GA_PARENT), GetDesktopWindow());
}

TEST_F(Shell, ExportsWithoutAPageDoNothingAndResizeSetsBothSides) {
  ResizeDLLWND(300, 200);
  DLLSave();
  Back();
  EXPECT_EQ(pagesCreated, 0);
  qb::test::HostWindow host(L"Host A");
  ShowDLLWND(0, 0, "Host A");
  ResizeDLLWND(321, 123);
  EXPECT_EQ(current()->width(), 321);
  EXPECT_EQ(current()->height(), 123);
}

TEST_F(Shell, APageThatOnlyHidesIsShownAgainAtItsOldPlaceAndReadsItsStateAgain) {
  nextPageOnlyHides = true;
  qb::test::HostWindow host(L"Host A");
  ShowDLLWND(10, 20, "Host A");
  TestPage* page = current();
  page->close();
  qb::test::pumpMessages();
  EXPECT_EQ(current(), page) << "the page stays the current page";
  EXPECT_FALSE(IsWindowVisible(page->hwnd()));
  ShowDLLWND(70, 80, "Host A");
  EXPECT_EQ(current(), page);
  EXPECT_TRUE(IsWindowVisible(page->hwnd()));
  EXPECT_EQ(pagesCreated, 1);
  EXPECT_EQ(showsSeen, 2);
  EXPECT_EQ(positionIn(host.hwnd(), page->hwnd()).y, 10);
  nextPageOnlyHides = false;
  qb::shell::unloadModule();  // a page that only hides goes when the module does
  EXPECT_EQ(qb::shell::moduleState().currentPage, nullptr);
}

TEST_F(Shell, DestroyingTheHostForgetsThePage) {
  {
    qb::test::HostWindow host(L"Host A");
    ShowDLLWND(0, 0, "Host A");
  }
  qb::test::pumpMessages();
  EXPECT_EQ(qb::shell::moduleState().currentPage, nullptr);
  qb::test::HostWindow again(L"Host A");
  ShowDLLWND(0, 0, "Host A");
  EXPECT_EQ(pagesCreated, 2);
}

// ---- Language files

const char kKeyPath[] = "\\Software\\Korvane\\Qubrix";

struct Captions {
  std::string x1, x2, x3;
};

Captions showAndRead() {
  qb::test::HostWindow host(L"Lang host");
  ShowDLLWND(0, 0, "Lang host");
  Captions c{current()->Label1.caption(), current()->Label2.caption(), current()->Label3.caption()};
  closePage();
  return c;
}

const Captions kDesigned{"one", "two", "three"};

TEST_F(Shell, LanguageFilesReplaceCaptionsByTheirRules) {
  struct Case {
    const char* what;
    std::string xml;
    Captions expected;
  };
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const Case cases[] = {
      {"every key", head + "<l><testpage><x1>A</x1><x2>B</x2><x3>C</x3></testpage></l>", {"A", "B", "C"}},
      {"x2 missing gives the empty text", head + "<l><testpage><x1>A</x1><x3>C</x3></testpage></l>",
       {"A", "", "C"}},
      {"an empty key gives the empty text", head + "<l><testpage><x1/><x2>B</x2><x3>C</x3></testpage></l>",
       {"", "B", "C"}},
      {"first section and first key win",
       head + "<l><other/><testpage><x1>A</x1><x1>Z</x1></testpage><testpage><x1>Y</x1></testpage></l>",
       {"A", "", ""}},
      {"section names compare with case", head + "<l><TestPage><x1>A</x1></TestPage></l>", kDesigned},
      {"no section keeps the designed captions", head + "<l><chime><x1>A</x1></chime></l>", kDesigned},
      {"a file that is not well-formed", head + "<l><testpage><x1>A</x1></l>", kDesigned},
      {"an empty file", "", kDesigned},
      {"a key holding markup keeps its caption",
       head + "<l><testpage><x1>A<b>bold</b></x1><x2>B</x2><x3>C</x3></testpage></l>", {"one", "B", "C"}},
      {"characters outside code page 1250 are converted by the system",
       head + "<l><testpage><x1>Zażółć</x1><x2>Жук</x2><x3>x</x3></testpage></l>", {"Zażółć", "???", "x"}},
      {"the declared encoding is honoured",
       "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\n<l><testpage><x1>\xB3\xF3" "d\x9F</x1><x2>B</x2>"
       "<x3>C</x3></testpage></l>",
       {"łódź", "B", "C"}},
  };
  for (const auto& c : cases) {
    qb::test::LanguageFile file("ShellTestLang", c.xml);
    const Captions got = showAndRead();
    EXPECT_EQ(got.x1, c.expected.x1) << c.what;
    EXPECT_EQ(got.x2, c.expected.x2) << c.what;
    EXPECT_EQ(got.x3, c.expected.x3) << c.what;
  }
}

TEST_F(Shell, MissingOrNonTextLangLooksForNoOtherFile) {
  // With no "lang" the module looks for ".xml"; when there is one, it is used.
  {
    qb::test::LanguageFile nameless("", "<l><testpage><x1>A</x1><x2>B</x2><x3>C</x3></testpage></l>");
    qb::win::reg::deleteValue(HKEY_CURRENT_USER, kKeyPath, "lang");
    EXPECT_EQ(showAndRead().x1, "A");
  }
  EXPECT_EQ(showAndRead().x1, "one") << "no file for the empty name: designed captions";
  qb::win::reg::writeNumber(HKEY_CURRENT_USER, kKeyPath, "lang", 1);
  EXPECT_EQ(showAndRead().x1, "one");
}

// ---- What goes wrong at an edge

// Whatever a handler or Apply throws stops at the window procedure or the
// export it passed through, and is told in exactly one message box.
TEST_F(Shell, AnExceptionAtAnEdgeShowsExactlyOneMessage) {
  struct Case {
    const char* what;
    std::function<void()> fault;
    std::string message;
  };
  const Case cases[] = {
      {"a failed registry write names the key and value",
       [] { qb::win::reg::writeText(HKEY_CURRENT_USER, "\\Software\\Korvane\\Test", "Value", "1"); },
       "Nie udało się zapisać ustawień.\rHKEY_CURRENT_USER\\Software\\Korvane\\Test \"Value\""},
      {"a standard exception keeps its own text below the general one",
       [] { throw std::runtime_error("disk gone"); }, "Wystąpił nieoczekiwany błąd.\rdisk gone"},
      {"anything else gets the general text", [] { throw 42; }, "Wystąpił nieoczekiwany błąd."},
  };
  qb::test::HostWindow host(L"Host A");
  ShowDLLWND(0, 0, "Host A");
  ASSERT_NE(current(), nullptr);
  for (const auto& c : cases) {
    // Writes fail below a read-only root; the test's own scratch root comes back after it.
    qb::test::ScratchRegistry readOnly(qb::test::RegistryAccess::ReadOnly);
    {
      qb::test::MessageBoxRecorder clicked;
      onButtonClick = c.fault;
      SendMessageW(current()->Button1.hwnd(), BM_CLICK, 0, 0);  // through the page's window procedure
      onButtonClick = nullptr;
      ASSERT_EQ(clicked.calls().size(), 1u) << c.what << ", click";
      EXPECT_EQ(clicked.calls()[0].text, c.message) << c.what << ", click";
    }
    {
      qb::test::MessageBoxRecorder applied;
      onApply = c.fault;
      DLLSave();
      onApply = nullptr;
      ASSERT_EQ(applied.calls().size(), 1u) << c.what << ", apply";
      EXPECT_EQ(applied.calls()[0].text, c.message) << c.what << ", apply";
      EXPECT_EQ(applied.calls()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    }
  }
  EXPECT_NE(current(), nullptr) << "the page lives on";
}

}  // namespace
