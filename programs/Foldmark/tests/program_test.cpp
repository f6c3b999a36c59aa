// Foldmark.exe in child processes. The test builds a desktop window tree of its
// own ("Progman" titled "Program Manager", its shell view "SHELLDLL_DefView"
// and a real list view below that), records the commands the shell view
// receives and the style changes of the list view in one log, and reads the
// program's buttons from its real window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "qb/test/child_process.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"

namespace {

using qb::win::UniqueKernelHandle;
using Log = std::vector<std::string>;

const wchar_t kCaption[] = L"Foldmark :: http://www.korvane.example/qubrix";
constexpr DWORD kViewMask = 0xFC03;
// Every bit of the mask that is set here differs from each value the program
// writes, so every write is a change the list view is told about; the bits
// outside the mask must survive.
constexpr DWORD kStartStyle = WS_CHILD | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_ALIGNLEFT | LVS_NOCOLUMNHEADER |
                              LVS_NOSORTHEADER | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE |
                              LVS_EDITLABELS;
const wchar_t kStrayProp[] = L"FoldmarkTestStray";

Log& events() {
  static Log log;
  return log;
}

std::string who(HWND hwnd) { return GetPropW(hwnd, kStrayProp) ? "stray " : ""; }

LRESULT CALLBACK shellViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) {
    std::string e = who(hwnd) + "command " + std::to_string(wp);
    if (lp) e += " with " + std::to_string(lp);
    events().push_back(e);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

WNDPROC listViewProc = nullptr;

LRESULT CALLBACK recordingListViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_STYLECHANGED && static_cast<int>(wp) == GWL_STYLE) {
    const auto* change = reinterpret_cast<const STYLESTRUCT*>(lp);
    events().push_back(who(hwnd) + "style " + std::to_string(change->styleNew & kViewMask));
  }
  return CallWindowProcW(listViewProc, hwnd, msg, wp, lp);
}

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Waits for a handle while handling this thread's messages: the program sends
// its commands and style changes to windows of this thread.
bool waitPumping(HANDLE handle, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    pump();
  }
}

void pumpFor(DWORD milliseconds) {
  UniqueKernelHandle never(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  waitPumping(never.get(), milliseconds);
}

// The start of a command line or caption, readable in a failure message.
std::string traceOf(const std::wstring& text) { return qb::win::narrow(text.substr(0, 40)); }

// ---- The desktop window tree

struct TreeShape {
  const wchar_t* programManagerTitle = L"Program Manager";  // null: no "Progman" window at all
  bool shellView = true;
  bool listView = true;
  // A top-level shell view with a list view of its own and a top-level list
  // view: what a search that goes on past a missing window would reach.
  bool strays = false;
};

void registerClasses() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW wc{};
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"Progman";
  RegisterClassW(&wc);
  wc.lpfnWndProc = shellViewProc;
  wc.lpszClassName = L"SHELLDLL_DefView";
  RegisterClassW(&wc);
  done = true;
}

class DesktopTree {
 public:
  explicit DesktopTree(const TreeShape& shape) {
    registerClasses();
    if (shape.programManagerTitle) {
      programManager_ = topLevel(L"Progman", shape.programManagerTitle);
      // Ahead of any window of the same class, so the program finds this one.
      SetWindowPos(programManager_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      if (shape.shellView) {
        HWND view = child(programManager_, L"SHELLDLL_DefView");
        if (shape.listView) listView_ = recordingListView(view);
      }
    }
    if (shape.strays) {
      HWND view = topLevel(L"SHELLDLL_DefView", L"");
      SetPropW(view, kStrayProp, reinterpret_cast<HANDLE>(1));
      SetPropW(recordingListView(view), kStrayProp, reinterpret_cast<HANDLE>(1));
      HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | (kStartStyle & ~WS_CHILD), 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      windows_.push_back(list);
      SetPropW(list, kStrayProp, reinterpret_cast<HANDLE>(1));
      subclass(list);
    }
    pump();
    events().clear();
  }
  DesktopTree(const DesktopTree&) = delete;
  DesktopTree& operator=(const DesktopTree&) = delete;
  ~DesktopTree() {
    for (HWND w : windows_) {
      RemovePropW(w, kStrayProp);
      DestroyWindow(w);
    }
    pump();
  }

  HWND programManager() const { return programManager_; }

  // Whether the program's searches reach this tree first: the system may have
  // a "Progman" window of its own.
  bool foundFirst() const {
    return programManager_ && FindWindowW(L"Progman", nullptr) == programManager_ &&
           FindWindowW(L"Progman", L"Program Manager") == programManager_;
  }
  // Whether every "Progman" window is this tree's, so that missing parts are really missing.
  bool alone() const {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"Progman", nullptr); w;
         w = FindWindowExW(nullptr, w, L"Progman", nullptr))
      if (w != programManager_) return false;
    return true;
  }
  HWND listView() const { return listView_; }

  DWORD style() const { return static_cast<DWORD>(GetWindowLongW(listView_, GWL_STYLE)); }

  // Back to the start style and an empty log.
  void reset() {
    if (listView_) SetWindowLongW(listView_, GWL_STYLE, static_cast<LONG>(kStartStyle | WS_VISIBLE));
    pump();
    events().clear();
  }

 private:
  HWND topLevel(const wchar_t* windowClass, const wchar_t* title) {
    HWND w = CreateWindowExW(0, windowClass, title, WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    windows_.push_back(w);
    return w;
  }
  static HWND child(HWND parent, const wchar_t* windowClass) {
    return CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }
  static HWND recordingListView(HWND parent) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", kStartStyle | WS_VISIBLE, 0, 0, 200, 200, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    subclass(list);
    return list;
  }
  static void subclass(HWND list) {
    auto old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordingListViewProc)));
    if (!listViewProc) listViewProc = old;
  }

  std::vector<HWND> windows_;
  HWND programManager_ = nullptr;
  HWND listView_ = nullptr;
};

// ---- The program

class Foldmark {
 public:
  // arguments: the command line after the program's name, quoted as needed.
  explicit Foldmark(const std::wstring& arguments) {
    const std::wstring exe = qb::test::programFolder() + L"\\Foldmark.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
      ADD_FAILURE() << "cannot start Foldmark.exe: " << GetLastError();
      return;
    }
    process_.reset(started.hProcess);
    CloseHandle(started.hThread);
    id_ = started.dwProcessId;
  }
  Foldmark(const Foldmark&) = delete;
  Foldmark& operator=(const Foldmark&) = delete;
  ~Foldmark() {
    if (process_ && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
  }

  bool started() const { return static_cast<bool>(process_); }
  bool running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

  // True when the program ended within the time.
  bool waitForEnd(DWORD milliseconds = 30000) { return process_ && waitPumping(process_.get(), milliseconds); }

  DWORD exitCode() const {
    DWORD code = 0xFFFFFFFF;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
  }

  // The program's window once it is shown, that is once its start-up and its
  // command-line handling are over; null if it does not appear in time.
  HWND waitForWindow(DWORD milliseconds = 30000) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds && running()) {
      for (HWND w = FindWindowExW(nullptr, nullptr, L"TForm2", kCaption); w;
           w = FindWindowExW(nullptr, w, L"TForm2", kCaption)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == id_ && IsWindowVisible(w)) return w;
      }
      pumpFor(20);
    }
    return nullptr;
  }

 private:
  UniqueKernelHandle process_;
  DWORD id_ = 0;
};

struct ChildWindow {
  std::wstring windowClass;
  std::wstring text;
  HWND hwnd;
};

BOOL CALLBACK addChild(HWND w, LPARAM out) {
  wchar_t cls[64] = {};
  wchar_t text[128] = {};
  GetClassNameW(w, cls, 64);
  GetWindowTextW(w, text, 128);
  reinterpret_cast<std::vector<ChildWindow>*>(out)->push_back({cls, text, w});
  return TRUE;
}

std::vector<ChildWindow> childrenOf(HWND parent) {
  std::vector<ChildWindow> found;
  EnumChildWindows(parent, addChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND childWithText(HWND parent, const std::wstring& text) {
  for (const ChildWindow& c : childrenOf(parent))
    if (c.text == text) return c.hwnd;
  return nullptr;
}

// Clicks a button of the program's window; returns when the program has handled
// the click, having sent its commands and style changes to this thread meanwhile.
void click(HWND button) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &ignored);
  pump();
}

// ---- Expected steps

const Log kSmallIconsButton{"style 0", "command 28713", "style 2"};
const Log kSmallIconsOption{"command 28713", "style 0", "style 2"};
const Log kIcons{"style 3", "command 28713", "style 0"};
const Log kIconsAlignedLeft{"style 2", "command 28713", "style 2048"};
const Log kList{"command 28715", "style 3"};
const Log kReport{"style 1", "command 28716"};
const Log kTiles{"command 28718"};
const Log kThumbnails{"command 28713", "command 28717", "command 28713", "command 28717"};

struct ButtonCase {
  const wchar_t* caption;
  Log steps;
  bool needsXp;  // disabled on Windows 2000
};
const ButtonCase kButtons[] = {
    {L"Male ikony", kSmallIconsButton, false}, {L"Ikony", kIcons, false},
    {L"Lista", kList, false},                  {L"Do lewej - Ikony", kIconsAlignedLeft, true},
    {L"Kafelki", kTiles, true},                {L"Miniatury", kThumbnails, true},
    {L"Raport", kReport, false},
};

// The view bits the log leaves the list view with, or the start bits without a style step.
DWORD expectedViewBits(const Log& log) {
  DWORD bits = kStartStyle & kViewMask;
  for (const std::string& e : log)
    if (e.rfind("style ", 0) == 0) bits = static_cast<DWORD>(std::stoul(e.substr(6)));
  return bits;
}

void expectStyleAfter(const DesktopTree& tree, const Log& log) {
  EXPECT_EQ(tree.style() & kViewMask, expectedViewBits(log));
  EXPECT_EQ(tree.style() & ~kViewMask, (kStartStyle | WS_VISIBLE) & ~kViewMask);
}

// ---- Command line

TEST(FoldmarkProgram, FirstArgumentOptionRunsItsStepsInOrderAndEndsTheProgram) {
  struct Case {
    std::wstring arguments;
    Log steps;
  };
  const Case cases[] = {
      {L"-SM", kSmallIconsOption},
      {L"-ICON", kIcons},
      {L"-LICON", kIconsAlignedLeft},
      {L"-LIST", kList},
      {L"-REPORT", kReport},
      {L"-TILE", kTiles},
      {L"-THUMBS", kThumbnails},
      {L"-tile", kTiles},
      {L"-Report", kReport},
      {L"-SM -LIST", kSmallIconsOption},
      {L"-LIST -SM -TILE", kList},
      {L"\"-THUMBS\" extra", kThumbnails},
      {L"-ICON " + std::wstring(20000, L'y'), kIcons},
  };
  DesktopTree tree{TreeShape{}};
  ASSERT_TRUE(tree.foundFirst());
  for (const Case& c : cases) {
    SCOPED_TRACE(traceOf(c.arguments));
    tree.reset();
    Foldmark program(c.arguments);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitForEnd()) << "the program did not end";
    pump();
    EXPECT_EQ(program.exitCode(), 0u);
    EXPECT_EQ(events(), c.steps);
    expectStyleAfter(tree, c.steps);
  }
}

TEST(FoldmarkProgram, AnyOtherFirstArgumentLeavesTheWindowOpenUntilItIsClosed) {
  const std::wstring cases[] = {
      L"",
      L"\"\"",
      L"\"\" -TILE",
      L"-FOO",
      L"TILE",
      L"--TILE",
      L"/TILE",
      L"\"-TILE \"",
      L"-TILES",
      L"x -LIST",
      std::wstring(30000, L'x'),
      L"-TILE" + std::wstring(30000, L'x'),
      L"-t\x0131le",            // dotless small i: an 8-bit code page may make it an i
      L"-T\x0130LE",            // capital I with a dot
      L"-\xFF34\xFF29\xFF2C\xFF25",  // full-width TILE
      L"-\x0141IST",            // Polish capital L with stroke
      L"-\x4E2D",
  };
  DesktopTree tree{TreeShape{}};
  ASSERT_TRUE(tree.foundFirst());
  for (const std::wstring& arguments : cases) {
    SCOPED_TRACE(traceOf(arguments));
    tree.reset();
    Foldmark program(arguments);
    ASSERT_TRUE(program.started());
    HWND window = program.waitForWindow();
    ASSERT_NE(window, nullptr) << "no window";
    pumpFor(200);
    EXPECT_TRUE(program.running());
    EXPECT_TRUE(events().empty());
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.waitForEnd()) << "closing the window did not end the program";
    EXPECT_EQ(program.exitCode(), 0u);
    expectStyleAfter(tree, {});
  }
}

// ---- Buttons

TEST(FoldmarkProgram, EachButtonRunsItsStepsAndCloseEndsTheProgram) {
  DesktopTree tree{TreeShape{}};
  ASSERT_TRUE(tree.foundFirst());
  Foldmark program(L"");
  HWND window = program.waitForWindow();
  ASSERT_NE(window, nullptr);
  for (const ButtonCase& b : kButtons) {
    SCOPED_TRACE(traceOf(b.caption));
    tree.reset();
    HWND button = childWithText(window, b.caption);
    ASSERT_NE(button, nullptr);
    click(button);
    EXPECT_EQ(events(), b.steps);
    expectStyleAfter(tree, b.steps);
  }
  tree.reset();
  // The same button twice in a row changes nothing more than once does.
  click(childWithText(window, L"Kafelki"));
  click(childWithText(window, L"Kafelki"));
  EXPECT_EQ(events(), (Log{"command 28718", "command 28718"}));

  click(childWithText(window, L"Zamknij"));
  ASSERT_TRUE(program.waitForEnd());
  EXPECT_EQ(program.exitCode(), 0u);
}

// ---- Missing or partial desktop trees

TEST(FoldmarkProgram, MissingWindowsAreSkippedSilently) {
  struct Case {
    const char* name;
    TreeShape shape;
    std::wstring option;
    Log steps;
  };
  const TreeShape nothing{nullptr, false, false, false};
  const TreeShape onlyStrays{nullptr, false, false, true};
  const TreeShape bareProgramManager{L"Program Manager", false, false, true};
  const TreeShape noListView{L"Program Manager", true, false, true};
  const TreeShape otherTitle{L"Pulpit", true, true, true};
  const TreeShape noTitle{L"", true, true, false};
  const Case cases[] = {
      {"no tree", nothing, L"-SM", {}},
      {"no tree", nothing, L"-REPORT", {}},
      {"no tree", nothing, L"-THUMBS", {}},
      {"no Progman, stray windows", onlyStrays, L"-LICON", {}},
      {"no Progman, stray windows", onlyStrays, L"-REPORT", {}},
      {"no shell view", bareProgramManager, L"-ICON", {}},
      {"no shell view", bareProgramManager, L"-REPORT", {}},
      {"no list view", noListView, L"-SM", {"command 28713"}},
      {"no list view", noListView, L"-REPORT", {"command 28716"}},
      {"no list view", noListView, L"-LIST", {"command 28715"}},
      // Commands and the report style find the shell view of any title; the
      // other styles need the title "Program Manager".
      {"other title", otherTitle, L"-SM", {"command 28713"}},
      {"other title", otherTitle, L"-LICON", {"command 28713"}},
      {"other title", otherTitle, L"-REPORT", kReport},
      {"empty title", noTitle, L"-ICON", {"command 28713"}},
      {"empty title", noTitle, L"-REPORT", kReport},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SCOPED_TRACE(traceOf(c.option));
    DesktopTree tree(c.shape);
    // With a "Progman" of the system's own, only a complete chain of this
    // tree's that the program finds first keeps the system's windows out of reach.
    const bool titled = c.shape.programManagerTitle && std::wstring(c.shape.programManagerTitle) == L"Program Manager";
    if (!tree.alone() && !(titled && tree.foundFirst())) {
      std::printf("skipped %s: the system has a Progman window of its own\n", c.name);
      continue;
    }
    Foldmark program(c.option);
    ASSERT_TRUE(program.waitForEnd()) << "the program did not end";
    pump();
    EXPECT_EQ(program.exitCode(), 0u);
    EXPECT_EQ(events(), c.steps);
  }
}

// ---- Start-up check under the Windows versions Wine pretends to be

TEST(FoldmarkProgram, StartUpCheckFollowsTheWindowsVersion) {
  struct Case {
    const char* version;
    bool basicViews;
    bool xpViews;
    bool unsupported;
  };
  const Case cases[] = {
      {"win98", false, false, true},
      {"nt40", false, false, true},
      {"win2k", true, false, true},
      {"winxp", true, true, false},
  };
  DesktopTree tree{TreeShape{}};
  ASSERT_TRUE(tree.foundFirst());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    const qb::test::WineVersionSetting pretend(L"Foldmark.exe", c.version);
    Foldmark program(L"");
    HWND window = program.waitForWindow();
    ASSERT_NE(window, nullptr);

    for (const ButtonCase& b : kButtons) {
      SCOPED_TRACE(traceOf(b.caption));
      HWND button = childWithText(window, b.caption);
      ASSERT_NE(button, nullptr);
      const bool enabled = b.needsXp ? c.xpViews : c.basicViews;
      EXPECT_EQ(IsWindowEnabled(button) != FALSE, enabled);
      if (!enabled) continue;
      // Where a button is enabled it works, with or without the label.
      tree.reset();
      click(button);
      EXPECT_EQ(events(), b.steps);
    }
    HWND close = childWithText(window, L"Zamknij");
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(IsWindowEnabled(close));
    HWND label = childWithText(window, L"Nieobslugiwany system");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ((GetWindowLongW(label, GWL_STYLE) & WS_VISIBLE) != 0, c.unsupported);

    click(close);
    ASSERT_TRUE(program.waitForEnd());
    EXPECT_EQ(program.exitCode(), 0u);
  }
}

TEST(FoldmarkProgram, OptionIsCarriedOutWhateverTheVersionCheckSays) {
  DesktopTree tree{TreeShape{}};
  ASSERT_TRUE(tree.foundFirst());
  const qb::test::WineVersionSetting pretend(L"Foldmark.exe", "win98");
  Foldmark program(L"-THUMBS");
  ASSERT_TRUE(program.waitForEnd());
  pump();
  EXPECT_EQ(events(), kThumbnails);
}

}  // namespace
