#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "browserpage_page.h"
#include "qb/test/child_process.h"
#include "qb/test/export_table.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/gdi.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/version.h"

namespace reg = qb::win::reg;
namespace versions = qb::win::versions;
using namespace browser_keys;
using qb::test::wideBytes;

namespace {

const char kHostCaption[] = "Browser test host";
const char kWriteFailedUser[] = "Nie udało się zapisać ustawień.\rHKEY_CURRENT_USER\\";

void writeText(HKEY root, const char* key, const char* name, DWORD type, const std::wstring& text) {
  reg::writeRaw(root, key, name, type, wideBytes(text));
}

bool stored(HKEY root, const char* key, const char* name) {
  return reg::readRaw(root, key, name).found == reg::Found::Value;
}

std::string text(HKEY root, const char* key, const char* name) { return reg::readText(root, key, name).text; }

std::optional<std::uint32_t> number(const char* key, const char* name) {
  const reg::Number n = reg::readNumber(HKEY_CURRENT_USER, key, name);
  if (n.found != reg::Found::Value) return std::nullopt;
  return n.value;
}

std::vector<std::string> valueNames(HKEY root, const char* key) {
  const qb::win::UniqueKey k = reg::openKey(root, key);
  return k ? reg::valueNames(k.get()) : std::vector<std::string>{};
}

// A key below which no lasting key can be created, while values of it and of
// the volatile keys made below it can be written: a write that has to create a
// key there fails, as a policy key does for a user without rights to it.
void makeVolatile(HKEY root, std::string path) {
  while (!path.empty() && path.front() == '\\') path.erase(0, 1);
  const size_t cut = path.rfind('\\');
  if (cut != std::string::npos) reg::createKey(root, path.substr(0, cut));
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, qb::win::widen(path).c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  RegCloseKey(key);
}

struct RestrictionBox {
  qb::tk::CheckBox TDLLForm::*box;
  const char* value;
};
const RestrictionBox kRestrictionBoxes[] = {
    {&TDLLForm::Ie2, "AlwaysPromptWhenDownload"}, {&TDLLForm::Ie3, "NoBrowserClose"},
    {&TDLLForm::Ie4, "NoBrowserBars"},           {&TDLLForm::Ie5, "NoBrowserContextMenu"},
    {&TDLLForm::Ie6, "NoBrowserOptions"},        {&TDLLForm::Ie7, "NoBrowserSaveAs"},
    {&TDLLForm::Ie8, "NoFavorites"},             {&TDLLForm::Ie9, "NoNavButtons"},
    {&TDLLForm::Ie10, "NoOpeninNewWnd"},         {&TDLLForm::Ie11, "NoPrinting"},
    {&TDLLForm::Ie12, "NoSelectDownloadDir"},    {&TDLLForm::Ie13, "NoTheaterMode"},
    {&TDLLForm::Ie14, "NoViewSource"},           {&TDLLForm::Ie15, "RestGoMenu"},
};

struct ToolbarBox {
  qb::tk::CheckBox TDLLForm::*box;
  const char* key;
  const char* value;
};
// In the order the page writes them.
const ToolbarBox kToolbarBoxes[] = {
    {&TDLLForm::TB3, kToolbars, "NoLinksBar"},         {&TDLLForm::TB2, kToolbars, "NoToolBar"},
    {&TDLLForm::TB1, kToolbars, "NoToolbarOptions"},   {&TDLLForm::TB4, kToolbars, "NoAddressBar"},
    {&TDLLForm::TB5, kExplorerPolicies, "NoToolbarCustomize"}, {&TDLLForm::TB6, kExplorerPolicies, "NoBandCustomize"},
};

class BrowserPage : public qb::test::PageTest<TDLLForm> {
 protected:
  BrowserPage() : PageTest(kHostCaption) {}

  // Shows the page again without closing it, so FormShow reads into the boxes as they are.
  TDLLForm& showAgain(TDLLForm& page) {
    page.hide();
    return show();
  }
};

// ---- The page and its screens

TEST_F(BrowserPage, LinksOpenTheirScreensAndBackOrShowingReturnsToTheIndex) {
  TDLLForm& page = show();
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS1);
  const struct {
    qb::tk::LinkLabel TDLLForm::*link;
    qb::tk::TabSheet TDLLForm::*screen;
    const char* caption;
  } links[] = {
      {&TDLLForm::Label12, &TDLLForm::TS2, "Ustawienia"},
      {&TDLLForm::Label11, &TDLLForm::TS3, "Wyszukiwarki"},
      {&TDLLForm::Label10, &TDLLForm::TS4, "Ograniczenia"},
      {&TDLLForm::Label17, &TDLLForm::TS5, "Opcje Internetowe"},
  };
  for (const auto& l : links) {
    (page.*l.link).click();
    EXPECT_EQ(page.PageControl1.activePage(), &(page.*l.screen)) << l.caption;
    EXPECT_TRUE((page.*l.screen).visible()) << l.caption;
    EXPECT_EQ((page.*l.link).caption(), l.caption);
    EXPECT_EQ((page.*l.screen).caption(), l.caption);
    Back();
    EXPECT_EQ(page.PageControl1.activePage(), &page.TS1) << l.caption;
  }

  page.Label10.click();
  page.Label10.tag = 7;
  page.Label10.click();
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS4) << "a tag of no screen changes nothing";
  showAgain(page);
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS1);
  EXPECT_TRUE(page.ie_check1.checked());
  EXPECT_FALSE(page.ie_check1.enabled());
}

BOOL CALLBACK collectCheckBoxes(HWND window, LPARAM found) {
  wchar_t kind[16] = {};
  GetClassNameW(window, kind, 16);
  const LONG type = GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
  if (lstrcmpiW(kind, L"Button") == 0 && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX))
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// A caption wider than its box is cut off where the user cannot scroll to it.
TEST_F(BrowserPage, EveryCheckBoxShowsItsWholeCaption) {
  TDLLForm& page = show();
  std::vector<HWND> found;
  EnumChildWindows(page.hwnd(), &collectCheckBoxes, reinterpret_cast<LPARAM>(&found));
  EXPECT_EQ(found.size(), 14u + 6u + kInternetOptionCount + 4u);
  const qb::win::WindowDc dc(page.hwnd());
  for (HWND box : found) {
    wchar_t text[256] = {};
    const int length = GetWindowTextW(box, text, 256);
    const qb::win::SelectionScope font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text, length, &size);
    RECT client{};
    GetClientRect(box, &client);
    // The box itself and the gap after it.
    const int glyph = GetSystemMetrics(SM_CXMENUCHECK) + 6;
    EXPECT_LE(size.cx + glyph, client.right) << qb::win::narrow(text);
  }
}

// ---- Window title and start page

TEST_F(BrowserPage, TitleAndStartPageShowEveryStoredTextButTheSentinel) {
  const struct {
    const char* name;
    DWORD type;  // REG_NONE: no value; 0: no key
    std::wstring stored;
    std::string shown;
  } cases[] = {
      {"address", REG_SZ, L"http://www.example.pl/", "http://www.example.pl/"},
      {"variable first", REG_EXPAND_SZ, L"%USERPROFILE%\\start.html", "%USERPROFILE%\\start.html"},
      {"leading blank", REG_SZ, L" Moja przeglądarka", " Moja przeglądarka"},
      {"parenthesis", REG_SZ, L"(prywatna)", "(prywatna)"},
      {"sentinel", REG_SZ, L"-1", ""},
      {"number", REG_DWORD, L"", ""},
      {"several texts", REG_MULTI_SZ, std::wstring(L"a\0b\0", 5), ""},
      {"bytes", REG_BINARY, L"abc", ""},
      {"no value", REG_NONE, L"", ""},
      {"no key", 0, L"", ""},
  };
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    if (c.type == REG_DWORD) {
      reg::writeNumber(HKEY_CURRENT_USER, kMain, "Window Title", 1);
      reg::writeNumber(HKEY_CURRENT_USER, kMain, "Start Page", 1);
    } else if (c.type == REG_NONE) {
      reg::createKey(HKEY_CURRENT_USER, kMain);
    } else if (c.type != 0) {
      writeText(HKEY_CURRENT_USER, kMain, "Window Title", c.type, c.stored);
      writeText(HKEY_CURRENT_USER, kMain, "Start Page", c.type, c.stored);
    }
    TDLLForm& page = show();
    EXPECT_EQ(page.IE_edit.text(), c.shown) << c.name;
    EXPECT_EQ(page.IE_startpage.text(), c.shown) << c.name;
    closePage();
  }
}

TEST_F(BrowserPage, ApplyWritesBothTextsBackUnchangedKeepingAnExpandableType) {
  const std::wstring kOutsideCodePage = L"Tytuł \u2603 \u4E2D";  // a snowman and a CJK sign: no 1250 bytes
  const struct {
    const char* name;
    DWORD type;
    std::wstring stored;
  } cases[] = {
      {"expandable start page", REG_EXPAND_SZ, L"%USERPROFILE%\\x.html"},
      {"leading blank", REG_SZ, L" Moja"},
      {"characters the library's code page lacks", REG_SZ, kOutsideCodePage},
      {"32 KB", REG_SZ, L"http://example.pl/" + std::wstring(32 * 1024, L'q')},
  };
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    writeText(HKEY_CURRENT_USER, kMain, "Window Title", c.type, c.stored);
    writeText(HKEY_CURRENT_USER, kMain, "Start Page", c.type, c.stored);
    show();
    DLLSave();
    for (const char* value : {"Window Title", "Start Page"}) {
      const reg::Raw raw = reg::readRaw(HKEY_CURRENT_USER, kMain, value);
      EXPECT_EQ(raw.type, c.type) << c.name << ' ' << value;
      EXPECT_EQ(qb::win::widen(reg::rawAsText(raw).value_or("?")), c.stored) << c.name << ' ' << value;
    }
    closePage();
  }
}

TEST_F(BrowserPage, EditedOrMissingTextsAreWrittenAsTyped) {
  writeText(HKEY_CURRENT_USER, kMain, "Start Page", REG_EXPAND_SZ, L"%USERPROFILE%\\x.html");
  TDLLForm& page = show();
  EXPECT_EQ(page.IE_edit.text(), "");
  page.IE_startpage.setText("%HOMEDRIVE%\\y.html");
  DLLSave();
  EXPECT_EQ(reg::readRaw(HKEY_CURRENT_USER, kMain, "Window Title").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text(HKEY_CURRENT_USER, kMain, "Window Title"), "") << "a missing title is stored empty";
  EXPECT_EQ(reg::readRaw(HKEY_CURRENT_USER, kMain, "Start Page").type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(text(HKEY_CURRENT_USER, kMain, "Start Page"), "%HOMEDRIVE%\\y.html");

  page.IE_edit.setText("Tytuł \u2603");
  DLLSave();
  EXPECT_EQ(text(HKEY_CURRENT_USER, kMain, "Window Title"), "Tytuł \u2603") << "typed, not through the code page";
}

// ---- Identification string

TEST_F(BrowserPage, IdentificationEditsTakeOnlyPresentTexts) {
  const char* const names[] = {"", "Compatible", "Version", "Platform"};
  const struct {
    const char* name;
    bool key;
    std::vector<std::wstring> stored;  // default, Compatible, Version, Platform; "#" stores a number, "~" nothing
    std::vector<std::string> shown;
  } cases[] = {
      {"all set", true, {L"Mozilla/4.0", L"compatible", L"MSIE 6.0", L"Windows NT 5.1"},
       {"Mozilla/4.0", "compatible", "MSIE 6.0", "Windows NT 5.1"}},
      {"sentinel and empty", true, {L"-1", L"", L"-1", L"x"}, {"", "", "", "x"}},
      {"leading blanks and marks", true, {L" Mozilla", L"(x)", L"!y", L"-"}, {" Mozilla", "(x)", "!y", "-"}},
      {"wrong type and missing", true, {L"#", L"~", L"#", L"~"}, {"", "", "", ""}},
      {"no key", false, {}, {"", "", "", ""}},
  };
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    if (c.key) reg::createKey(HKEY_LOCAL_MACHINE, kUserAgent);
    for (size_t i = 0; i < c.stored.size(); ++i) {
      if (c.stored[i] == L"#") reg::writeNumber(HKEY_LOCAL_MACHINE, kUserAgent, names[i], 5);
      else if (c.stored[i] != L"~") writeText(HKEY_LOCAL_MACHINE, kUserAgent, names[i], REG_SZ, c.stored[i]);
    }
    TDLLForm& page = show();
    const qb::tk::Edit* edits[] = {&page.Edit1, &page.Edit2, &page.Edit3, &page.Edit4};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(edits[i]->text(), c.shown[i]) << c.name << " Edit" << i + 1;
    closePage();
  }
}

TEST_F(BrowserPage, AnAbsentIdentificationValueLeavesTheEditAsItIs) {
  TDLLForm& page = show();
  page.Edit2.setText("kept");
  writeText(HKEY_LOCAL_MACHINE, kUserAgent, "Compatible", REG_SZ, L"-1");
  showAgain(page);
  EXPECT_EQ(page.Edit2.text(), "kept");
}

TEST_F(BrowserPage, IdentificationApplyWritesThenDeletesEmptyNamedValues) {
  TDLLForm& page = show();
  DLLSave();
  EXPECT_EQ(valueNames(HKEY_LOCAL_MACHINE, kUserAgent), std::vector<std::string>{""})
      << "a missing key ends with only its empty default value";
  EXPECT_EQ(reg::readText(HKEY_LOCAL_MACHINE, kUserAgent, "").found, reg::Found::Value);

  page.Edit1.setText("Mozilla/4.0");
  page.Edit2.setText(" compatible");
  page.Edit3.setText("MSIE 8.0");
  page.Edit4.setText("Windows NT 5.1");
  DLLSave();
  page.Edit3.setText("");
  DLLSave();
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUserAgent, ""), "Mozilla/4.0");
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUserAgent, "Compatible"), " compatible");
  EXPECT_FALSE(stored(HKEY_LOCAL_MACHINE, kUserAgent, "Version"));
  EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kUserAgent, "Platform"), "Windows NT 5.1");

  closePage();
  TDLLForm& again = show();
  EXPECT_EQ(again.Edit2.text(), " compatible") << "a leading blank survives a round trip";
}

// ---- Restrictions through the library

TEST_F(BrowserPage, RestrictionBoxesCheckOnlyForOneAndWriteBothWays) {
  const DWORD two = 2;
  for (const auto& r : kRestrictionBoxes) {
    qb::test::ScratchRegistry fresh;
    reg::writeNumber(HKEY_CURRENT_USER, kRestrictions, r.value, 1);
    TDLLForm& page = show();
    for (const auto& other : kRestrictionBoxes)
      EXPECT_EQ((page.*other.box).checked(), &other == &r) << r.value << " stored; " << other.value;
    (page.*r.box).setChecked(false);
    (page.*kRestrictionBoxes[0].box).setChecked(r.box != kRestrictionBoxes[0].box);
    DLLSave();
    EXPECT_EQ(number(kRestrictions, r.value), 0u) << r.value;
    EXPECT_EQ(number(kRestrictions, kRestrictionBoxes[0].value), r.box == kRestrictionBoxes[0].box ? 0u : 1u);
    EXPECT_EQ(valueNames(HKEY_CURRENT_USER, kRestrictions).size(), 14u);
    closePage();

    reg::writeRaw(HKEY_CURRENT_USER, kRestrictions, r.value, REG_DWORD, &two, sizeof two);
    EXPECT_FALSE((show().*r.box).checked()) << r.value << " = 2";
    closePage();
  }
}

TEST_F(BrowserPage, RestrictionLoadNeverUnchecks) {
  TDLLForm& page = show();
  page.Ie11.setChecked(true);
  reg::writeNumber(HKEY_CURRENT_USER, kRestrictions, "NoPrinting", 0);
  showAgain(page);
  EXPECT_TRUE(page.Ie11.checked());
}

// ---- Toolbars and Internet Options policies

TEST_F(BrowserPage, PolicyBoxesReadOneAsCheckedAndLeaveUnreadableValuesAlone) {
  // Each stored state, applied to every toolbar and Internet Options box, over a box that starts checked.
  const DWORD two = 2;
  const struct {
    const char* name;
    std::function<void(const char* key, const char* value)> store;
    bool checked;
  } cases[] = {
      {"one", [](const char* k, const char* v) { reg::writeNumber(HKEY_CURRENT_USER, k, v, 1); }, true},
      {"zero", [](const char* k, const char* v) { reg::writeNumber(HKEY_CURRENT_USER, k, v, 0); }, false},
      {"two", [&](const char* k, const char* v) { reg::writeRaw(HKEY_CURRENT_USER, k, v, REG_DWORD, &two, 4); }, false},
      {"text one", [](const char* k, const char* v) { writeText(HKEY_CURRENT_USER, k, v, REG_SZ, L"1"); }, true},
      {"binary one", [](const char* k, const char* v) { reg::writeRaw(HKEY_CURRENT_USER, k, v, REG_BINARY, "\1\0\0\0", 4); },
       true},
      {"big-endian one",
       [](const char* k, const char* v) { reg::writeRaw(HKEY_CURRENT_USER, k, v, REG_DWORD_BIG_ENDIAN, "\0\0\0\1", 4); },
       true},
      {"short dword", [](const char* k, const char* v) { reg::writeRaw(HKEY_CURRENT_USER, k, v, REG_DWORD, "\1", 1); },
       true},
      {"missing value", [](const char* k, const char*) { reg::createKey(HKEY_CURRENT_USER, k); }, true},
      {"missing key", [](const char*, const char*) {}, false},
  };
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    TDLLForm& page = show();
    for (const auto& t : kToolbarBoxes) (page.*t.box).setChecked(true);
    for (size_t n = 1; n <= kInternetOptionCount; ++n) page.IECPL(n).setChecked(true);
    for (const auto& t : kToolbarBoxes) c.store(t.key, t.value);
    for (const auto& o : internetOptions()) c.store(kControlPanel, o.value);
    showAgain(page);
    for (const auto& t : kToolbarBoxes) EXPECT_EQ((page.*t.box).checked(), c.checked) << c.name << ' ' << t.value;
    for (size_t n = 1; n <= kInternetOptionCount; ++n)
      EXPECT_EQ(page.IECPL(n).checked(), c.checked) << c.name << " IECPL" << n;
    closePage();
  }
}

TEST_F(BrowserPage, OneUnreadableOptionDoesNotStopTheOthers) {
  writeText(HKEY_CURRENT_USER, kControlPanel, "Advanced", REG_SZ, L"1");
  reg::writeNumber(HKEY_CURRENT_USER, kControlPanel, "Autoconfig", 1);
  reg::writeNumber(HKEY_CURRENT_USER, kControlPanel, "Settings", 1);
  reg::writeNumber(HKEY_CURRENT_USER, kToolbars, "NoAddressBar", 2);
  writeText(HKEY_CURRENT_USER, kToolbars, "NoLinksBar", REG_SZ, L"1");
  reg::writeNumber(HKEY_CURRENT_USER, kToolbars, "NoToolBar", 1);
  TDLLForm& page = show();
  EXPECT_FALSE(page.IECPL(1).checked());
  EXPECT_TRUE(page.IECPL(2).checked());
  EXPECT_TRUE(page.IECPL(37).checked());
  EXPECT_EQ(page.IECPL(37).caption(), "Nie zezwalaj na zmiany tymczasowych plików internetowych");
  EXPECT_FALSE(page.TB4.checked());
  EXPECT_FALSE(page.TB3.checked());
  EXPECT_TRUE(page.TB2.checked());
  DLLSave();
  EXPECT_EQ(number(kToolbars, "NoAddressBar"), 0u);
  EXPECT_EQ(number(kToolbars, "NoLinksBar"), 0u) << "a text value is replaced by the box's number";
  EXPECT_EQ(number(kControlPanel, "Advanced"), 0u);
  EXPECT_EQ(number(kControlPanel, "Settings"), 1u);
}

TEST_F(BrowserPage, WithNoPolicyKeysApplyWritesEveryValueAsZero) {
  TDLLForm& page = show();
  for (const auto& r : kRestrictionBoxes) EXPECT_FALSE((page.*r.box).checked()) << r.value;
  DLLSave();
  auto sorted = [](std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  };
  std::vector<std::string> options, toolbarValues, explorerValues, restrictionValues;
  for (const auto& o : internetOptions()) options.push_back(o.value);
  for (const auto& t : kToolbarBoxes) (t.key == kToolbars ? toolbarValues : explorerValues).push_back(t.value);
  for (const auto& r : kRestrictionBoxes) restrictionValues.push_back(r.value);
  EXPECT_EQ(sorted(valueNames(HKEY_CURRENT_USER, kControlPanel)), sorted(options));
  EXPECT_EQ(sorted(valueNames(HKEY_CURRENT_USER, kToolbars)), sorted(toolbarValues));
  EXPECT_EQ(sorted(valueNames(HKEY_CURRENT_USER, kExplorerPolicies)), sorted(explorerValues));
  EXPECT_EQ(sorted(valueNames(HKEY_CURRENT_USER, kRestrictions)), sorted(restrictionValues));
  for (const char* key : {kRestrictions, kControlPanel, kToolbars, kExplorerPolicies})
    for (const std::string& v : valueNames(HKEY_CURRENT_USER, key)) EXPECT_EQ(number(key, v.c_str()), 0u) << v;
}

TEST_F(BrowserPage, EveryPolicyBoxIsWrittenUnderItsOwnName) {
  TDLLForm& page = show();
  // Alternate boxes on, so a box wired to a neighbour's value shows.
  for (size_t n = 1; n <= kInternetOptionCount; ++n) page.IECPL(n).setChecked(n % 2 == 1);
  for (size_t i = 0; i < std::size(kToolbarBoxes); ++i) (page.*kToolbarBoxes[i].box).setChecked(i % 2 == 0);
  DLLSave();
  for (size_t n = 1; n <= kInternetOptionCount; ++n)
    EXPECT_EQ(number(kControlPanel, internetOptions()[n - 1].value), n % 2 == 1 ? 1u : 0u) << "IECPL" << n;
  for (size_t i = 0; i < std::size(kToolbarBoxes); ++i)
    EXPECT_EQ(number(kToolbarBoxes[i].key, kToolbarBoxes[i].value), i % 2 == 0 ? 1u : 0u) << kToolbarBoxes[i].value;
  closePage();
  TDLLForm& again = show();
  for (size_t n = 1; n <= kInternetOptionCount; ++n) EXPECT_EQ(again.IECPL(n).checked(), n % 2 == 1) << n;
}

// ---- IE7/IE8 display options

TEST_F(BrowserPage, IE7BoxesOnlyOnXpAndServer2003) {
  const struct {
    const char* name;
    qb::win::WindowsVersion version;
    bool inside;
  } cases[] = {
      {"98", versions::win98}, {"ME", versions::winMe}, {"NT 4", versions::nt4},
      {"2000", versions::win2000}, {"XP", versions::winXp, true}, {"2003", versions::win2003, true},
      {"Vista", versions::vista},
  };
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    reg::writeNumber(HKEY_CURRENT_USER, kWebBrowserToolbar, "ITBar7Position", 1);
    qb::win::overrideWindowsVersion(c.version);
    TDLLForm& page = show();
    for (qb::tk::CheckBox* box : {&page.IE7Menu, &page.CheckBox1, &page.CheckBox2})
      EXPECT_EQ(box->enabled(), c.inside) << c.name << ' ' << box->name();
    EXPECT_EQ(page.IE7Menu.checked(), c.inside) << c.name << ": read only inside the gate";
    page.IE7Menu.setChecked(false);
    DLLSave();
    EXPECT_EQ(number(kWebBrowserToolbar, "ITBar7Position"), c.inside ? 0u : 1u) << c.name;
    EXPECT_EQ(reg::keyExists(HKEY_CURRENT_USER, kCommandBar), c.inside) << c.name;
    closePage();
  }
}

TEST_F(BrowserPage, IE7BoxesReadTheirOwnRules) {
  // Stored number, or -1 for no key, or nothing for a key without the value;
  // each box starts from the state the row gives.
  const struct {
    qb::tk::CheckBox TDLLForm::*box;
    const char* key;
    const char* value;
    std::optional<std::int64_t> stored;  // -1: no key
    bool before;
    bool after;
  } cases[] = {
      {&TDLLForm::IE7Menu, kWebBrowserToolbar, "ITBar7Position", 1, false, true},
      {&TDLLForm::IE7Menu, kWebBrowserToolbar, "ITBar7Position", 0, true, false},
      {&TDLLForm::IE7Menu, kWebBrowserToolbar, "ITBar7Position", -1, true, false},
      {&TDLLForm::IE7Menu, kWebBrowserToolbar, "ITBar7Position", std::nullopt, true, true},
      {&TDLLForm::CheckBox2, kCommandBar, "CommandBarEnabled", 1, false, true},
      {&TDLLForm::CheckBox2, kCommandBar, "CommandBarEnabled", 0, true, false},
      {&TDLLForm::CheckBox2, kCommandBar, "CommandBarEnabled", 2, false, true},
      {&TDLLForm::CheckBox2, kCommandBar, "CommandBarEnabled", -1, false, true},
      {&TDLLForm::CheckBox2, kCommandBar, "CommandBarEnabled", std::nullopt, false, false},
      {&TDLLForm::CheckBox1, kInfodelivery, "NoSearchBox", 1, true, false},
      {&TDLLForm::CheckBox1, kInfodelivery, "NoSearchBox", 0, false, true},
      {&TDLLForm::CheckBox1, kInfodelivery, "NoSearchBox", -1, false, true},
      {&TDLLForm::CheckBox1, kInfodelivery, "NoSearchBox", std::nullopt, false, false},
  };
  qb::win::overrideWindowsVersion(versions::winXp);
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    TDLLForm& page = show();
    (page.*c.box).setChecked(c.before);
    if (!c.stored) reg::createKey(HKEY_CURRENT_USER, c.key);
    else if (*c.stored >= 0) reg::writeNumber(HKEY_CURRENT_USER, c.key, c.value, static_cast<std::uint32_t>(*c.stored));
    showAgain(page);
    EXPECT_EQ((page.*c.box).checked(), c.after)
        << c.value << " = " << (c.stored ? std::to_string(*c.stored) : "missing") << ", before " << c.before;
    closePage();
  }
}

TEST_F(BrowserPage, IE7BoxesWriteInTheirOwnSense) {
  qb::win::overrideWindowsVersion(versions::win2003);
  TDLLForm& page = show();
  for (const bool on : {true, false}) {
    page.IE7Menu.setChecked(on);
    page.CheckBox1.setChecked(on);
    page.CheckBox2.setChecked(on);
    DLLSave();
    EXPECT_EQ(number(kWebBrowserToolbar, "ITBar7Position"), on ? 1u : 0u);
    EXPECT_EQ(number(kInfodelivery, "NoSearchBox"), on ? 0u : 1u) << "checked shows the search box";
    EXPECT_EQ(number(kCommandBar, "CommandBarEnabled"), on ? 1u : 0u);
  }
}

// ---- Search prefixes

class SearchPrefixes : public BrowserPage {
 protected:
  static std::vector<std::pair<std::string, std::string>> rows(TDLLForm& page) {
    std::vector<std::pair<std::string, std::string>> out;
    EXPECT_EQ(page.prefixes().size(), static_cast<size_t>(page.ListView1.count()));
    for (int i = 0; i < page.ListView1.count(); ++i) {
      out.emplace_back(page.ListView1.itemText(i, 0), page.ListView1.itemText(i, 1));
      if (static_cast<size_t>(i) < page.prefixes().size()) {
        EXPECT_EQ(page.prefixes()[i], out.back().first);
      }
    }
    return out;
  }
  static std::vector<std::string> registryOrder() {
    const qb::win::UniqueKey key = reg::openKey(HKEY_CURRENT_USER, kSearchUrl);
    return key ? reg::subkeyNames(key.get()) : std::vector<std::string>{};
  }
  static std::string prefixKey(const std::string& prefix) { return std::string(kSearchUrl) + '\\' + prefix; }
  static void addPrefix(const std::string& prefix, const std::wstring& url) {
    writeText(HKEY_CURRENT_USER, prefixKey(prefix).c_str(), "", REG_SZ, url);
  }
  static void clearSelection(qb::tk::ListView& list) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    SendMessageW(list.hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  }
  using Rows = std::vector<std::pair<std::string, std::string>>;
};

TEST_F(SearchPrefixes, ListedInRegistryOrderWithTheirAddresses) {
  addPrefix("w", L"http://pl.wikipedia.org/wiki/%s");
  addPrefix("g", L"http://www.google.pl/search?q=%s");
  reg::createKey(HKEY_CURRENT_USER, prefixKey("bez adresu"));
  reg::writeNumber(HKEY_CURRENT_USER, prefixKey("liczba").c_str(), "", 3);
  TDLLForm& page = show();
  EXPECT_EQ(page.ListView1.columnTitle(0), "Prefix");
  EXPECT_EQ(page.ListView1.columnTitle(1), "URL");
  Rows expected;
  for (const std::string& name : registryOrder())
    expected.emplace_back(name, name == "w" ? "http://pl.wikipedia.org/wiki/%s"
                                : name == "g" ? "http://www.google.pl/search?q=%s" : "");
  EXPECT_EQ(rows(page), expected);
  EXPECT_EQ(expected.size(), 4u);
}

TEST_F(SearchPrefixes, AddWritesAtOnceAndReplacesAnExistingAddress) {
  addPrefix("g", L"http://old/%s");
  TDLLForm& page = show();
  page.Prefix.setText("g");
  page.URL.setText("http://www.google.pl/search?q=%s");
  page.Button1.click();
  page.Prefix.setText("a");
  page.URL.setText("no placeholder");
  page.Button1.click();
  EXPECT_EQ(text(HKEY_CURRENT_USER, prefixKey("g").c_str(), ""), "http://www.google.pl/search?q=%s");
  EXPECT_EQ(text(HKEY_CURRENT_USER, prefixKey("a").c_str(), ""), "no placeholder");
  Rows expected;
  for (const std::string& name : registryOrder())
    expected.emplace_back(name, name == "g" ? "http://www.google.pl/search?q=%s" : "no placeholder");
  EXPECT_EQ(rows(page), expected);
}

TEST_F(SearchPrefixes, AnEmptyPrefixStoresTheAddressOnTheKeyItselfAndShowsNoRow) {
  TDLLForm& page = show();
  page.URL.setText("http://default/%s");
  page.Button1.click();
  EXPECT_EQ(text(HKEY_CURRENT_USER, kSearchUrl, ""), "http://default/%s");
  EXPECT_TRUE(registryOrder().empty());
  EXPECT_EQ(page.ListView1.count(), 0);
}

TEST_F(SearchPrefixes, DeleteActsOnTheSelectedRowOnly) {
  addPrefix("a", L"http://a/%s");
  addPrefix("b", L"http://b/%s");
  TDLLForm& page = show();
  page.Button2.click();
  EXPECT_EQ(registryOrder().size(), 2u) << "no row selected: nothing deleted";

  const int rowA = page.prefixes()[0] == "a" ? 0 : 1;
  page.ListView1.select(rowA);
  EXPECT_EQ(page.Prefix.text(), "a");
  EXPECT_EQ(page.URL.text(), "http://a/%s");
  clearSelection(page.ListView1);
  EXPECT_EQ(page.Prefix.text(), "a") << "clearing the selection keeps the edits";
  page.ListView1.select(rowA);
  page.Prefix.setText("b");
  page.Button2.click();
  EXPECT_EQ(registryOrder(), std::vector<std::string>{"b"}) << "the selected row's prefix, not the edited text";
  EXPECT_EQ(rows(page), (Rows{{"b", "http://b/%s"}}));
}

TEST_F(SearchPrefixes, DeletingAPrefixThatIsGoneOnlyRefreshesTheList) {
  addPrefix("a", L"http://a/%s");
  addPrefix("b", L"http://b/%s");
  TDLLForm& page = show();
  page.ListView1.select(page.prefixes()[0] == "a" ? 0 : 1);
  reg::deleteTree(HKEY_CURRENT_USER, prefixKey("a"));
  page.Button2.click();
  EXPECT_EQ(rows(page), (Rows{{"b", "http://b/%s"}}));
}

TEST_F(SearchPrefixes, OddPrefixesNeitherCrashNorLoseOthers) {
  addPrefix("w", L"http://w/%s");
  TDLLForm& page = show();
  const struct {
    const char* name;
    std::string prefix;
    bool stored;
  } cases[] = {
      {"255 characters", std::string(255, 'p'), true},
      {"backslash inside", "a\\b", false},
      {"leading backslash", "\\x", false},
      {"backslash alone", "\\", false},
  };
  for (const auto& c : cases) {
    qb::test::MessageBoxRecorder recorder;
    page.Prefix.setText(c.prefix);
    page.URL.setText("http://x/%s");
    const int before = page.ListView1.count();
    page.Button1.click();
    EXPECT_EQ(recorder.calls().size(), c.stored ? 0u : 1u) << c.name << recorder.texts();
    if (!c.stored) {
      EXPECT_EQ(page.ListView1.count(), before) << c.name << ": the list is not refilled";
      if (!recorder.calls().empty()) {
        EXPECT_EQ(recorder.calls()[0].text.rfind("Nie udało się zapisać ustawień.\r", 0), 0u) << c.name;
      }
    }
  }
  std::vector<std::string> names = registryOrder();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{std::string(255, 'p'), "w"})) << "no key made of a backslash prefix";
  EXPECT_EQ(text(HKEY_CURRENT_USER, prefixKey("w").c_str(), ""), "http://w/%s");
}

TEST_F(SearchPrefixes, AddThatCannotWriteShowsTheErrorAndKeepsTheList) {
  addPrefix("w", L"http://w/%s");
  TDLLForm& page = show();
  page.ListView1.select(0);
  qb::test::ScratchRegistry readOnly(qb::test::RegistryAccess::ReadOnly);
  qb::test::MessageBoxRecorder recorder;
  page.Prefix.setText("g");
  page.URL.setText("http://g/%s");
  page.Button1.click();
  ASSERT_EQ(recorder.calls().size(), 1u);
  EXPECT_EQ(recorder.calls()[0].text,
            std::string(kWriteFailedUser) + kSearchUrl + "\\g");
  EXPECT_EQ(rows(page), (Rows{{"w", "http://w/%s"}})) << "not refilled from the unwritable root";
}

// ---- Failed writes during Apply

TEST_F(BrowserPage, AFailedWriteEndsApplyThereAndKeepsWhatWasWritten) {
  struct Place {
    HKEY root;
    const char* key;
    const char* value;
  };
  static const char policiesIE[] = "Software\\Policies\\Microsoft\\Internet Explorer";
  static const char policiesToolbars[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Toolbars";
  static const char policiesInfodelivery[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Infodelivery";
  const struct {
    const char* name;
    std::vector<Place> volatileKeys;  // made in this order; their values are writable, new keys below them are not
    std::optional<qb::win::WindowsVersion> version;
    Place lastWritten;  // empty key: nothing is written
    const char* failing;  // as the message names it
    Place firstNotWritten;
  } cases[] = {
      {"title", {{HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer"}}, {},
       {HKEY_CURRENT_USER, "", ""}, "Software\\Microsoft\\Internet Explorer\\Main \"Window Title\"",
       {HKEY_CURRENT_USER, kMain, "Start Page"}},
      {"first restriction", {{HKEY_CURRENT_USER, "Software\\Policies"}}, {},
       {HKEY_CURRENT_USER, kMain, "Start Page"},
       "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions \"AlwaysPromptWhenDownload\"",
       {HKEY_LOCAL_MACHINE, kUserAgent, ""}},
      {"identification",
       {{HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0"}}, {},
       {HKEY_CURRENT_USER, kRestrictions, "RestGoMenu"},
       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\User Agent",
       {HKEY_CURRENT_USER, kControlPanel, "Advanced"}},
      {"first Internet Options policy",
       {{HKEY_CURRENT_USER, policiesIE}, {HKEY_CURRENT_USER, kRestrictions}}, {},
       {HKEY_LOCAL_MACHINE, kUserAgent, "Platform"},
       "Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel \"Advanced\"",
       {HKEY_CURRENT_USER, kToolbars, "NoLinksBar"}},
      {"first toolbar",
       {{HKEY_CURRENT_USER, policiesIE}, {HKEY_CURRENT_USER, kRestrictions}, {HKEY_CURRENT_USER, kControlPanel},
        {HKEY_CURRENT_USER, policiesToolbars}},
       {},
       {HKEY_CURRENT_USER, kControlPanel, "ResetWebSettings"},
       "Software\\Policies\\Microsoft\\Internet Explorer\\Toolbars\\Restrictions \"NoLinksBar\"",
       {HKEY_CURRENT_USER, kExplorerPolicies, "NoToolbarCustomize"}},
      {"Explorer policy", {{HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies"}}, {},
       {HKEY_CURRENT_USER, kToolbars, "NoAddressBar"},
       "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer \"NoToolbarCustomize\"",
       {HKEY_CURRENT_USER, kExplorerPolicies, "NoBandCustomize"}},
      {"search box on XP",
       {{HKEY_CURRENT_USER, policiesIE}, {HKEY_CURRENT_USER, kRestrictions}, {HKEY_CURRENT_USER, kControlPanel},
        {HKEY_CURRENT_USER, policiesToolbars}, {HKEY_CURRENT_USER, kToolbars},
        {HKEY_CURRENT_USER, policiesInfodelivery}},
       versions::winXp,
       {HKEY_CURRENT_USER, kWebBrowserToolbar, "ITBar7Position"},
       "Software\\Policies\\Microsoft\\Internet Explorer\\Infodelivery\\Restrictions \"NoSearchBox\"",
       {HKEY_CURRENT_USER, kCommandBar, "CommandBarEnabled"}},
  };
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    qb::test::MessageBoxRecorder recorder;
    for (const Place& p : c.volatileKeys) makeVolatile(p.root, p.key);
    qb::win::overrideWindowsVersion(c.version);
    TDLLForm& page = show();
    page.Ie15.setChecked(true);
    page.Edit4.setText("Windows NT 5.1");
    page.IECPL(38).setChecked(true);
    page.TB4.setChecked(true);
    page.IE7Menu.setChecked(true);
    DLLSave();
    ASSERT_EQ(recorder.calls().size(), 1u) << c.name << recorder.texts();
    const std::string root = std::string(c.failing).rfind("SOFTWARE", 0) == 0 ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
    EXPECT_EQ(recorder.calls()[0].text, "Nie udało się zapisać ustawień.\r" + root + c.failing) << c.name;
    if (*c.lastWritten.key) {
      EXPECT_TRUE(stored(c.lastWritten.root, c.lastWritten.key, c.lastWritten.value))
          << c.name << ": " << c.lastWritten.value << " was written before the failure";
    }
    EXPECT_FALSE(stored(c.firstNotWritten.root, c.firstNotWritten.key, c.firstNotWritten.value))
        << c.name << ": " << c.firstNotWritten.value << " comes after the failure";
    closePage();
    qb::win::overrideWindowsVersion(std::nullopt);
  }
}

class BrowserPageReadOnly : public qb::test::PageTest<TDLLForm> {
 protected:
  BrowserPageReadOnly()
      : PageTest(kHostCaption, qb::test::PageTestOptions().readOnlyRegistry().expectMessageBoxes(1)) {}
};

TEST_F(BrowserPageReadOnly, EverythingReadsAsMissingAndApplyStopsAtTheFirstWrite) {
  TDLLForm& page = show();
  EXPECT_EQ(page.ListView1.count(), 0);
  EXPECT_EQ(page.IE_edit.text(), "");
  DLLSave();
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_EQ(boxes.calls()[0].text, std::string(kWriteFailedUser) + kMain + " \"Window Title\"");
  EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, kMain));
}

// The host binds these by name; the module must also find every browserreg export it imports.
TEST(BrowserPageModule, LoadsWithBrowserregAndExportsShowResizeSaveAndBack) {
  const qb::win::UniqueModule module(LoadLibraryW((qb::test::programFolder() + L"\\browserpage.dll").c_str()));
  ASSERT_TRUE(module) << "the module or a library it imports is missing";
  EXPECT_EQ(qb::test::exportedNames(module.get()),
            (std::vector<std::string>{"Back", "DLLSave", "ResizeDLLWND", "ShowDLLWND"}));
}

// ---- Whole processes under Wine's emulation of other Windows versions

TEST(BrowserPageUnderEmulatedWindows, IE7GateFollowsTheWholeProcessVersion) {
  const struct {
    const char* wine;
    long platform;
    long minor;
    bool inside;
  } cases[] = {{"win2k", 2, 0, false}, {"winxp", 2, 1, true}};
  for (const auto& c : cases) {
    const qb::test::ProbeFindings r = qb::test::runProbe(L"browserpage_probe.exe", c.wine);
    EXPECT_EQ(r.run.exitCode, 0u) << c.wine << ": " << r;
    const std::pair<const char*, long> expected[] = {
        {"platform", c.platform},
        {"minor", c.minor},
        {"ie7_enabled", c.inside ? 3 : 0},
        {"ie7_menu_checked", c.inside ? 1 : 0},
        {"command_bar_checked", c.inside ? 1 : 0},
        {"title_kept", 1},
        {"start_page_kept", 1},
        {"messages", 0},
        {"ie7_menu_written", c.inside ? 1 : 0},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(r.number(name), value) << c.wine << ' ' << name << '\n' << r;
  }
}

}  // namespace
