#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include <cstring>
#include <fstream>
#include <sstream>

#include "qb/test/child_process.h"
#include "qb/test/export_table.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "removals_page.h"

namespace reg = qb::win::reg;
using qb::win::narrow;
using qb::win::widen;

namespace {

const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kHostTitle[] = "Removals test host";
const char kNothingSelected[] = "Nie wybrałeś żadnego programu";

std::string entryPath(const std::string& name) { return std::string(kUninstall) + "\\" + name; }

void writeRaw(const std::string& entry, const char* name, DWORD type, const void* data, DWORD size) {
  reg::writeRaw(HKEY_LOCAL_MACHINE, entryPath(entry), name, type, data, size);
}

// The stand-in uninstaller writes its command line to a marker file.
class Marker {
 public:
  Marker() : path_(qb::test::programFolder() + L"\\removals_marker_" + std::to_wstring(GetCurrentProcessId())) {
    DeleteFileW(path_.c_str());
    SetEnvironmentVariableW(L"REMOVALS_MARKER_FILE", path_.c_str());
  }
  ~Marker() {
    DeleteFileW(path_.c_str());
    SetEnvironmentVariableW(L"REMOVALS_MARKER_FILE", nullptr);
  }
  Marker(const Marker&) = delete;
  Marker& operator=(const Marker&) = delete;

  // The program's path as a command would name it.
  static std::string program() { return narrow(qb::test::programFolder()) + "\\removals_marker.exe"; }

  // The command line the stand-in was started with, once it has run.
  std::optional<std::string> waitForRun(DWORD ms = 15000) {
    const DWORD start = GetTickCount();
    do {
      std::ifstream in(path_.c_str(), std::ios::binary);
      if (in) {
        std::stringstream s;
        s << in.rdbuf();
        in.close();
        DeleteFileW(path_.c_str());
        return s.str();
      }
      qb::test::pumpMessages(50);
    } while (GetTickCount() - start < ms);
    return std::nullopt;
  }
  bool ranWithin(DWORD ms) { return waitForRun(ms).has_value(); }

 private:
  std::wstring path_;
};

class RemovalsPage : public qb::test::PageTest<TDLLForm> {
 protected:
  RemovalsPage() : PageTest(kHostTitle, qb::test::PageTestOptions().messageBoxesVary()) {}

  static void addEntry(const std::string& name, const std::string& displayName, const std::string& command) {
    reg::writeText(HKEY_LOCAL_MACHINE, entryPath(name), "DisplayName", displayName);
    reg::writeText(HKEY_LOCAL_MACHINE, entryPath(name), "UninstallString", command);
  }

  using Row = std::pair<std::string, std::string>;
  static std::vector<Row> rows(const TDLLForm& page) {
    std::vector<Row> out;
    for (int i = 0; i < page.uninst.count(); ++i) out.emplace_back(page.uninst.itemText(i, 0), page.uninst.itemText(i, 1));
    return out;
  }
};

// How a value of an entry is stored.
enum class Kind { Missing, Text, ExpandText, Number, Binary, OddSizedText, UnterminatedText, EmptyData };

void store(const std::string& entry, const char* name, Kind kind, const std::string& text) {
  const std::wstring w = widen(text);
  const auto bytes = static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t));
  switch (kind) {
    case Kind::Missing: break;
    case Kind::Text: writeRaw(entry, name, REG_SZ, w.c_str(), bytes); break;
    case Kind::ExpandText: writeRaw(entry, name, REG_EXPAND_SZ, w.c_str(), bytes); break;
    case Kind::Number: {
      const DWORD one = 1;
      writeRaw(entry, name, REG_DWORD, &one, sizeof one);
      break;
    }
    case Kind::Binary: writeRaw(entry, name, REG_BINARY, w.c_str(), bytes); break;
    case Kind::OddSizedText: writeRaw(entry, name, REG_SZ, w.c_str(), bytes - 3); break;  // half a character short
    case Kind::UnterminatedText: writeRaw(entry, name, REG_SZ, w.c_str(), bytes - 2); break;
    case Kind::EmptyData: writeRaw(entry, name, REG_SZ, "", 0); break;
  }
}

TEST_F(RemovalsPage, ListsOnlyEntriesWithBothTextValuesAndGoesOnPastTheOthers) {
  const std::string longText(32 * 1024, 'W');
  struct Case {
    const char* key;  // the registry returns the subkeys in name order
    Kind name;
    Kind command;
    std::string nameText, commandText;
    bool listed;
    std::string shownName, shownCommand;  // when listed
  };
  const std::vector<Case> cases = {
      {"a-both", Kind::Text, Kind::Text, "Alpha", "alpha.exe /u", true, "Alpha", "alpha.exe /u"},
      {"b-name only", Kind::Text, Kind::Missing, "Beta", "", false, "", ""},
      {"c-command only", Kind::Missing, Kind::Text, "", "gamma.exe", false, "", ""},
      {"d-neither", Kind::Missing, Kind::Missing, "", "", false, "", ""},
      {"e-empty name", Kind::Text, Kind::Text, "", "epsilon.exe", true, "", "epsilon.exe"},
      {"f-name is a number", Kind::Number, Kind::Text, "", "zeta.exe", false, "", ""},
      {"g-command is binary", Kind::Text, Kind::Binary, "Eta", "eta.exe", false, "", ""},
      {"h-expandable", Kind::ExpandText, Kind::ExpandText, "Theta", "%SystemRoot%\\theta.exe", true, "Theta",
       "%SystemRoot%\\theta.exe"},
      {"i-odd sized", Kind::OddSizedText, Kind::Text, "Iota", "iota.exe", true, "Iot", "iota.exe"},
      {"j-unterminated", Kind::UnterminatedText, Kind::UnterminatedText, "Kappa", "kappa.exe", true, "Kappa",
       "kappa.exe"},
      {"k-no data", Kind::EmptyData, Kind::EmptyData, "", "", true, "", ""},
      {"l-32 KB", Kind::Text, Kind::Text, longText, longText, true, longText, longText},
      {"m-Polish", Kind::Text, Kind::Text, "Zażółć gęślą jaźń", "C:\\Program Files\\Łódź\\u.exe", true,
       "Zażółć gęślą jaźń", "C:\\Program Files\\Łódź\\u.exe"},
      {"n-duplicate", Kind::Text, Kind::Text, "Alpha", "alpha2.exe", true, "Alpha", "alpha2.exe"},
  };
  std::vector<Row> expected;
  for (const auto& c : cases) {
    reg::createKey(HKEY_LOCAL_MACHINE, entryPath(c.key));
    store(c.key, "DisplayName", c.name, c.nameText);
    store(c.key, "UninstallString", c.command, c.commandText);
    if (c.listed) expected.emplace_back(c.shownName, c.shownCommand);
  }

  TDLLForm& page = show();
  const auto shown = rows(page);
  ASSERT_EQ(shown.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(shown[i].first, expected[i].first) << "row " << i;
    EXPECT_EQ(shown[i].second, expected[i].second) << "row " << i;
    EXPECT_EQ(page.uninst.itemImage(static_cast<int>(i)), 0) << "row " << i;
  }
  std::vector<std::string> commands;
  for (const auto& r : expected) commands.push_back(r.second);
  EXPECT_EQ(page.commands(), commands) << "the commands follow the rows";
}

TEST_F(RemovalsPage, NoUninstallKeyGivesAnEmptyListAndApplyAsksForAProgram) {
  TDLLForm& page = show();
  EXPECT_EQ(page.uninst.count(), 0);
  EXPECT_EQ(page.uninst.columnTitle(0), "Nazwa programu");
  EXPECT_EQ(page.uninst.columnTitle(1), "Program odinstalowujący");
  DLLSave();
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_EQ(boxes.calls()[0].text, kNothingSelected);
  EXPECT_EQ(boxes.calls()[0].flags, static_cast<UINT>(MB_OK));
}

TEST_F(RemovalsPage, ApplyWithoutSelectionStartsNothing) {
  Marker marker;
  addEntry("one", "One", "\"" + Marker::program() + "\" one");
  show();
  DLLSave();
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_EQ(boxes.calls()[0].text, kNothingSelected);
  EXPECT_FALSE(marker.ranWithin(1500)) << "nothing may start without a selection";
}

TEST_F(RemovalsPage, ApplyStartsTheSelectedCommandExactlyAsStored) {
  Marker marker;
  const std::string quoted = "\"" + Marker::program() + "\"";
  struct Case { const char* key; std::string command; };
  const Case cases[] = {
      {"a-installer", quoted + " /X{3F2504E0-4F89-11D3-9A0C-0305E82C3301}"},
      {"b-spaces", quoted + "  /uninstall   \"C:\\Program Files\\App\\setup.log\" /q"},
      {"c-bare", quoted},
  };
  for (const auto& c : cases) addEntry(c.key, c.key, c.command);
  TDLLForm& page = show();
  ASSERT_EQ(page.uninst.count(), 3);
  for (int row = 0; row < 3; ++row) {
    page.uninst.select(row);
    DLLSave();
    const auto ran = marker.waitForRun();
    ASSERT_TRUE(ran.has_value()) << cases[row].command;
    EXPECT_EQ(*ran, cases[row].command);
  }
  EXPECT_TRUE(boxes.calls().empty());
  EXPECT_EQ(page.uninst.count(), 3) << "applying does not refill the list";
}

TEST_F(RemovalsPage, ShowingAgainAfterAnUninstallListsTheRestAndTheirOwnCommands) {
  Marker marker;
  const std::string program = "\"" + Marker::program() + "\"";
  addEntry("a", "First", program + " first");
  addEntry("b", "Second", program + " second");
  addEntry("c", "Third", program + " third");
  show();
  closePage();
  reg::deleteTree(HKEY_LOCAL_MACHINE, entryPath("b"));

  TDLLForm& page = show();
  ASSERT_EQ(rows(page), (std::vector<Row>{{"First", program + " first"}, {"Third", program + " third"}}));
  page.uninst.select(1);
  DLLSave();
  EXPECT_EQ(marker.waitForRun(), program + " third");
}

TEST_F(RemovalsPage, CommandsThatCannotStartAreNotReported) {
  const std::string huge = "\"" + Marker::program() + "\" " + std::string(32 * 1024, 'x');
  addEntry("a", "Missing program", "C:\\no\\such\\uninstaller.exe /u");
  addEntry("b", "Huge command", huge);
  addEntry("c", "Empty command", "");
  TDLLForm& page = show();
  ASSERT_EQ(page.uninst.count(), 3);
  for (int row = 0; row < 3; ++row) {
    page.uninst.select(row);
    DLLSave();
  }
  EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(RemovalsPage, LanguageFileRetitlesTheColumns) {
  struct Case { const char* section; const char* title1; const char* title2; };
  const Case cases[] = {
      {"<uninstall><x1>Program name</x1><x2>Uninstaller</x2></uninstall>", "Program name", "Uninstaller"},
      {"<uninstall><x2>Uninstaller</x2></uninstall>", "", "Uninstaller"},
      {"<Uninstall><x1>Program name</x1></Uninstall>", "Nazwa programu", "Program odinstalowujący"},
  };
  addEntry("a", "Alpha", "alpha.exe");
  for (const auto& c : cases) {
    qb::test::LanguageFile file("RemovalsTestLang", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language>") +
                                                         c.section + "</language>\n");
    TDLLForm& page = show();
    EXPECT_EQ(page.uninst.columnTitle(0), c.title1) << c.section;
    EXPECT_EQ(page.uninst.columnTitle(1), c.title2) << c.section;
    EXPECT_EQ(page.uninst.count(), 1);
    closePage();
  }
}

class RemovalsUnwritableRegistry : public qb::test::PageTest<TDLLForm> {
 protected:
  RemovalsUnwritableRegistry()
      : PageTest(kHostTitle, qb::test::PageTestOptions().readOnlyRegistry().expectMessageBoxes(1)) {}
};

TEST_F(RemovalsUnwritableRegistry, ListsNothingAndStaysQuiet) {
  TDLLForm& page = show();
  EXPECT_EQ(page.uninst.count(), 0);
  DLLSave();
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_EQ(boxes.calls()[0].text, kNothingSelected);
}

// The page has no version gate: under Windows 98 it lists and starts as anywhere.
TEST(RemovalsOnOtherWindows, Windows98ListsAndStartsTheSameWay) {
  Marker marker;
  const auto run = qb::test::runChild(L"removals_probe.exe", L"", "win98");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0u) << run.lines();
  EXPECT_NE(run.lines().find("version 1 4.10\n"), std::string::npos) << run.lines();
  EXPECT_NE(run.lines().find("rows 1\nrow Probe program | \"" + Marker::program() + "\" /probe\n"), std::string::npos)
      << run.lines();
  EXPECT_NE(run.lines().find("messages 0\n"), std::string::npos) << run.lines();
  EXPECT_EQ(marker.waitForRun(), "\"" + Marker::program() + "\" /probe");
}

TEST(RemovalsModule, LoadsAndExportsExactlyTheShellsThreeFunctions) {
  const qb::win::UniqueModule module(LoadLibraryW((qb::test::programFolder() + L"\\removals.dll").c_str()));
  ASSERT_TRUE(module) << "the module or a library it imports is missing";
  EXPECT_EQ(qb::test::exportedNames(module.get()),
            (std::vector<std::string>{"DLLSave", "ResizeDLLWND", "ShowDLLWND"}));
}

}  // namespace
