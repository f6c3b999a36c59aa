// browserreg.dll as its caller uses it: through the import library and
// browserreg.h, against scratch registry roots.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "browserreg.h"
#include "qb/test/export_table.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/text.h"

namespace {

namespace reg = qb::win::reg;

constexpr char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kRestrictionsKey[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";

struct Restriction {
  const char* name;
  unsigned char(__stdcall* get)();
  void(__stdcall* save)(int);
};

#define R(name) {#name, &Get##name, &Save##name}
const Restriction kRestrictions[] = {
    R(AlwaysPromptWhenDownload), R(NoSelectDownloadDir), R(NoBrowserClose), R(NoBrowserBars),
    R(NoBrowserContextMenu),     R(NoBrowserOptions),    R(NoBrowserSaveAs), R(NoFavorites),
    R(NoNavButtons),             R(NoOpeninNewWnd),      R(NoPrinting),     R(NoTheaterMode),
    R(NoViewSource),             R(RestGoMenu),
};
#undef R

void setValue(const char* path, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  reg::writeRaw(HKEY_CURRENT_USER, path, qb::win::narrow(name), type, data, size);
}

void setText(const char* path, const wchar_t* name, DWORD type, const std::wstring& text) {
  setValue(path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

TEST(BrowserregDll, ExportsExactlyItsNames) {
  std::vector<std::string> expected = {"GetIEStartPage", "GetIEWindowTitle"};
  for (const auto& r : kRestrictions) {
    expected.push_back(std::string("Get") + r.name);
    expected.push_back(std::string("Save") + r.name);
  }
  std::sort(expected.begin(), expected.end());
  const qb::win::UniqueModule dll(LoadLibraryW(L"browserreg.dll"));
  ASSERT_TRUE(dll);
  for (const auto& name : expected) EXPECT_NE(GetProcAddress(dll.get(), name.c_str()), nullptr) << name;
  EXPECT_EQ(qb::test::exportedNames(dll.get()), expected);
  EXPECT_EQ(GetProcAddress(dll.get(), "GetNoOpenInNewWnd"), nullptr);
}

// Only the empty text and the sentinel itself count as absent: every other
// stored text must come back as stored, or the page that shows it writes the
// user's setting back empty.
TEST(BrowserText, EveryStoredTextButTheSentinelComesBackUnchanged) {
  const struct {
    const char* name;
    DWORD type;
    std::wstring stored;
    std::string read;  // ANSI
  } cases[] = {
      {"address", REG_SZ, L"http://www.example.pl/", "http://www.example.pl/"},
      {"minus one", REG_SZ, L"-1", ""},
      {"empty", REG_SZ, L"", ""},
      {"leading blank", REG_SZ, L" Moja przeglądarka", qb::win::toAnsi(L" Moja przeglądarka")},
      {"parenthesis", REG_SZ, L"(prywatnie)", "(prywatnie)"},
      {"bang", REG_SZ, L"!x", "!x"},
      {"minus alone", REG_SZ, L"-", "-"},
      {"minus zero", REG_SZ, L"-0abc", "-0abc"},
      {"longer than the sentinel", REG_SZ, L"-1a", "-1a"},
      {"minus two", REG_SZ, L"-2", "-2"},
      {"polish", REG_SZ, L"Mój tytuł", qb::win::toAnsi(L"Mój tytuł")},
      {"unexpanded", REG_EXPAND_SZ, L"file://%USERPROFILE%\\start.htm", "file://%USERPROFILE%\\start.htm"},
      {"variable first", REG_EXPAND_SZ, L"%USERPROFILE%\\start.html", "%USERPROFILE%\\start.html"},
      {"sentinel as expandable text", REG_EXPAND_SZ, L"-1", ""},
      {"cut at the first zero", REG_SZ, std::wstring(L"abc\0def", 7), "abc"},
  };
  for (const auto& c : cases) {
    qb::test::ScratchRegistry scratch;
    setText(kMainKey, L"Window Title", c.type, c.stored);
    setText(kMainKey, L"Start Page", c.type, c.stored);
    EXPECT_EQ(std::string(GetIEWindowTitle()), c.read) << c.name;
    EXPECT_EQ(std::string(GetIEStartPage()), c.read) << c.name;
  }
}

TEST(BrowserText, MissingOrNonTextValuesReadEmpty) {
  qb::test::ScratchRegistry scratch;
  EXPECT_STREQ(GetIEWindowTitle(), "") << "no key";
  EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, kMainKey)) << "reading creates nothing";
  reg::createKey(HKEY_CURRENT_USER, kMainKey);
  EXPECT_STREQ(GetIEStartPage(), "") << "no value";

  const DWORD number = 7;
  setValue(kMainKey, L"Window Title", REG_DWORD, &number, sizeof number);
  setValue(kMainKey, L"Start Page", REG_BINARY, "abc", 3);
  EXPECT_STREQ(GetIEWindowTitle(), "");
  EXPECT_STREQ(GetIEStartPage(), "");

  // Only one of the two names is read by each export.
  setText(kMainKey, L"Start Page", REG_SZ, L"about:blank");
  EXPECT_STREQ(GetIEWindowTitle(), "");
  EXPECT_STREQ(GetIEStartPage(), "about:blank");
}

TEST(BrowserText, TextsStayValidPerExportAndThread) {
  qb::test::ScratchRegistry scratch;
  const std::wstring longPage = L"http://example.pl/" + std::wstring(5000, L'x');
  setText(kMainKey, L"Window Title", REG_SZ, L"Tytuł");
  setText(kMainKey, L"Start Page", REG_SZ, longPage);
  const char* title = GetIEWindowTitle();
  const char* page = GetIEStartPage();
  std::string otherThread;
  std::thread([&] { otherThread = GetIEWindowTitle(); }).join();
  EXPECT_EQ(std::string(title), qb::win::toAnsi(L"Tytuł"));
  EXPECT_EQ(std::string(page), qb::win::toAnsi(longPage));
  EXPECT_EQ(otherThread, std::string(title));
}

TEST(Restrictions, ReadTrueOnlyForDwordOne) {
  const DWORD zero = 0, one = 1, two = 2;
  const unsigned char eightBytes[8] = {1};
  const struct {
    const char* name;
    DWORD type;
    const void* data;
    DWORD size;
    unsigned char read;
  } cases[] = {
      {"one", REG_DWORD, &one, 4, 1},          {"zero", REG_DWORD, &zero, 4, 0},
      {"two", REG_DWORD, &two, 4, 0},          {"text one", REG_SZ, L"1", 4, 0},
      {"binary one", REG_BINARY, &one, 4, 0},  {"eight-byte dword", REG_DWORD, eightBytes, 8, 0},
      {"missing value", REG_NONE, nullptr, 0, 0},
  };
  for (const auto& c : cases) {
    for (const auto& r : kRestrictions) {
      qb::test::ScratchRegistry scratch;
      EXPECT_EQ(r.get(), 0) << r.name << ": no key";
      reg::createKey(HKEY_CURRENT_USER, kRestrictionsKey);
      if (c.data) setValue(kRestrictionsKey, qb::win::widen(r.name).c_str(), c.type, c.data, c.size);
      EXPECT_EQ(r.get(), c.read) << r.name << ": " << c.name;
    }
  }
}

TEST(Restrictions, WritesOnlyZeroAndOneUnderTheirOwnNames) {
  for (const auto& r : kRestrictions) {
    qb::test::ScratchRegistry scratch;
    SetLastError(ERROR_INVALID_DATA);
    r.save(5);
    EXPECT_EQ(GetLastError(), 0u) << r.name << ": an ignored flag is no failure";
    EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, kRestrictionsKey)) << r.name;

    r.save(0);
    EXPECT_EQ(GetLastError(), 0u) << r.name;
    const reg::Number stored = reg::readNumber(HKEY_CURRENT_USER, kRestrictionsKey, r.name);
    EXPECT_EQ(stored.found, reg::Found::Value) << r.name;
    EXPECT_EQ(stored.value, 0u) << r.name;
    EXPECT_EQ(r.get(), 0) << r.name;

    r.save(1);
    EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kRestrictionsKey, r.name).value, 1u) << r.name;
    EXPECT_EQ(r.get(), 1) << r.name;
    r.save(-1);
    EXPECT_EQ(r.get(), 1) << r.name << ": -1 changes nothing";
    const qb::win::UniqueKey key = reg::openKey(HKEY_CURRENT_USER, kRestrictionsKey);
    EXPECT_EQ(reg::valueNames(key.get()), std::vector<std::string>{r.name});
  }
}

TEST(Restrictions, RefusedWriteSetsTheLastErrorSoTheCallerStops) {
  qb::test::ScratchRegistry scratch(qb::test::RegistryAccess::ReadOnly);
  // What the settings page does on apply: write in order, stop at the first failure.
  int written = 0;
  for (const auto& r : kRestrictions) {
    r.save(1);
    if (GetLastError() != ERROR_SUCCESS) break;
    ++written;
  }
  EXPECT_EQ(written, 0);
  SaveNoPrinting(0);
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(GetNoPrinting(), 0);
  SaveNoPrinting(7);
  EXPECT_EQ(GetLastError(), 0u);
}

}  // namespace
