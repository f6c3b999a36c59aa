#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "bootrow_page.h"
#include "qb/test/child_process.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace reg = qb::win::reg;

namespace {

const char kHostCaption[] = "Startup test host";
const StartupLocation& kUserRun = startupLocations()[0];
const StartupLocation& kMachineRun = startupLocations()[1];
const StartupLocation& kUserRunOnce = startupLocations()[2];
const StartupLocation& kMachineRunOnce = startupLocations()[3];

using qb::test::wideBytes;

void writeRaw(const StartupLocation& where, const std::string& name, DWORD type, const std::vector<BYTE>& data) {
  reg::writeRaw(where.root, where.key, name, type, data);
}

bool stored(const StartupLocation& where, const std::string& name) {
  return reg::readRaw(where.root, where.key, name).found == reg::Found::Value;
}

struct Row {
  std::string name, command, location;
  bool checked;
  bool operator==(const Row& o) const {
    return name == o.name && command == o.command && location == o.location && checked == o.checked;
  }
};
std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << '{' << r.name << " | " << r.command.substr(0, 60) << " | " << r.location << " | " << r.checked << '}';
}

class StartupPage : public qb::test::PageTest<TDLLForm> {
 protected:
  StartupPage() : PageTest(kHostCaption) {}

  // The rows as shown, each checked against the parallel list.
  static std::vector<Row> rows(TDLLForm& page) {
    std::vector<Row> out;
    EXPECT_EQ(page.entries().size(), static_cast<size_t>(page.autostar2.count()));
    for (int i = 0; i < page.autostar2.count(); ++i) {
      out.push_back({page.autostar2.itemText(i, 0), page.autostar2.itemText(i, 1), page.autostar2.itemText(i, 2),
                     page.autostar2.checked(i)});
      if (static_cast<size_t>(i) < page.entries().size()) {
        EXPECT_EQ(page.entries()[i].name, out.back().name) << "row " << i;
        EXPECT_EQ(startupLocations()[page.entries()[i].location].text, out.back().location) << "row " << i;
      }
    }
    return out;
  }
};

TEST_F(StartupPage, ListsTheFourLocationsInOrderAllChecked) {
  reg::writeText(kMachineRunOnce.root, kMachineRunOnce.key, "Setup", "C:\\setup.exe /finish");
  reg::writeText(kUserRunOnce.root, kUserRunOnce.key, "Once", "once.exe");
  reg::writeText(kMachineRun.root, kMachineRun.key, "Agent", "\"C:\\Program Files\\Agent\\agent.exe\" -q");
  reg::writeText(kUserRun.root, kUserRun.key, "Messenger", "msgr.exe");
  reg::writeText(kUserRun.root, kUserRun.key, "Empty", "");
  writeRaw(kUserRun, "Expand", REG_EXPAND_SZ, wideBytes(L"%windir%\\tool.exe"));
  TDLLForm& page = show();
  EXPECT_EQ(page.autostar2.columnTitle(0), "Element startowy");
  EXPECT_EQ(page.autostar2.columnTitle(1), "Polecenie");
  EXPECT_EQ(page.autostar2.columnTitle(2), "Lokalizacja");

  std::vector<Row> shown = rows(page);
  // Within one key the registry decides the order.
  const std::set<std::string> userRun = {shown[0].name, shown[1].name, shown[2].name};
  EXPECT_EQ(userRun, (std::set<std::string>{"Messenger", "Empty", "Expand"}));
  std::map<std::string, Row> byName;
  for (const Row& r : shown) byName[r.name] = r;
  EXPECT_EQ(byName["Empty"], (Row{"Empty", "", kUserRun.text, true}));
  EXPECT_EQ(byName["Expand"], (Row{"Expand", "%windir%\\tool.exe", kUserRun.text, true})) << "shown unexpanded";
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[3], (Row{"Agent", "\"C:\\Program Files\\Agent\\agent.exe\" -q", kMachineRun.text, true}));
  EXPECT_EQ(shown[4], (Row{"Once", "once.exe", kUserRunOnce.text, true}));
  EXPECT_EQ(shown[5], (Row{"Setup", "C:\\setup.exe /finish", kMachineRunOnce.text, true}));
}

TEST_F(StartupPage, NoKeysGiveAnEmptyListAndApplyOnlyRefills) {
  TDLLForm& page = show();
  EXPECT_EQ(page.autostar2.count(), 0);
  DLLSave();
  EXPECT_EQ(page.autostar2.count(), 0);
  EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, kUserRun.key)) << "nothing is created";
  EXPECT_FALSE(reg::keyExists(HKEY_LOCAL_MACHINE, kMachineRun.key));
}

TEST_F(StartupPage, ApplyRemovesOnlyTheUncheckedRowFromItsOwnKey) {
  reg::writeText(kUserRun.root, kUserRun.key, "Same", "user.exe");
  reg::writeText(kMachineRun.root, kMachineRun.key, "Same", "machine.exe");
  reg::writeText(kMachineRun.root, kMachineRun.key, "Other", "other.exe");
  TDLLForm& page = show();
  page.autostar2.setChecked(0, false);
  EXPECT_TRUE(stored(kUserRun, "Same")) << "unchecking writes nothing by itself";
  DLLSave();
  EXPECT_FALSE(stored(kUserRun, "Same"));
  EXPECT_TRUE(stored(kMachineRun, "Same"));
  EXPECT_TRUE(stored(kMachineRun, "Other"));
  const std::vector<Row> shown = rows(page);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].location, kMachineRun.text);
  EXPECT_TRUE(shown[0].checked && shown[1].checked);
}

TEST_F(StartupPage, ApplyExaminesEveryRowOfALongList) {
  // 40 entries in one key; the registry's order decides which row is which.
  for (int i = 0; i < 40; ++i)
    reg::writeText(kUserRun.root, kUserRun.key, "Entry" + std::to_string(i), "cmd" + std::to_string(i) + ".exe");
  TDLLForm& page = show();
  ASSERT_EQ(page.autostar2.count(), 40);
  const std::set<int> uncheck = {0, 30, 31, 34, 39};
  std::set<std::string> removed;
  for (int row : uncheck) {
    page.autostar2.setChecked(row, false);
    removed.insert(page.autostar2.itemText(row));
  }
  DLLSave();
  for (int i = 0; i < 40; ++i) {
    const std::string name = "Entry" + std::to_string(i);
    EXPECT_EQ(stored(kUserRun, name), removed.count(name) == 0) << name;
  }
  EXPECT_EQ(page.autostar2.count(), 35);
  for (const Row& r : rows(page)) EXPECT_TRUE(r.checked) << r;
}

TEST_F(StartupPage, ValuesThatAreNotTextAreSkippedAndTheFillGoesOn) {
  writeRaw(kUserRun, "A text", REG_SZ, wideBytes(L"a.exe"));
  writeRaw(kUserRun, "Number", REG_DWORD, {1, 0, 0, 0});
  writeRaw(kUserRun, "Binary", REG_BINARY, {0x41, 0, 0x42, 0});
  writeRaw(kUserRun, "Multi", REG_MULTI_SZ, wideBytes(std::wstring(L"x.exe\0y.exe\0", 12)));
  writeRaw(kUserRun, "Nothing", REG_NONE, {});
  writeRaw(kUserRun, "Unterminated", REG_SZ, wideBytes(L"u.exe", false));
  writeRaw(kUserRun, "Odd size", REG_SZ, {'o', 0, '.', 0, 'e', 0, 'x', 0, 'e', 0, 0});
  writeRaw(kUserRun, "Zero size", REG_SZ, {});
  reg::writeText(kMachineRun.root, kMachineRun.key, "After", "after.exe");
  TDLLForm& page = show();

  std::map<std::string, Row> byName;
  for (const Row& r : rows(page)) byName[r.name] = r;
  const std::map<std::string, std::string> expected = {
      {"A text", "a.exe"}, {"Unterminated", "u.exe"}, {"Odd size", "o.exe"}, {"Zero size", ""}, {"After", "after.exe"}};
  EXPECT_EQ(byName.size(), expected.size());
  for (const auto& [name, command] : expected) {
    ASSERT_EQ(byName.count(name), 1u) << name;
    EXPECT_EQ(byName[name].command, command) << name;
    EXPECT_TRUE(byName[name].checked) << name;
  }
  // A skipped value is never removed: the user could not uncheck it.
  for (int i = 0; i < page.autostar2.count(); ++i) page.autostar2.setChecked(i, false);
  DLLSave();
  for (const char* kept : {"Number", "Binary", "Multi", "Nothing"}) EXPECT_TRUE(stored(kUserRun, kept)) << kept;
  EXPECT_FALSE(stored(kUserRun, "A text"));
  EXPECT_FALSE(stored(kMachineRun, "After"));
}

TEST_F(StartupPage, LongNamesAndCommandsAreListedAndRemovedWhole) {
  // The registry keeps value names of at most 16383 characters; commands may be longer.
  const std::string longName(16383, 'n');
  const std::string longCommand = "C:\\" + std::string(32 * 1024, 'c') + ".exe";
  reg::writeText(kUserRun.root, kUserRun.key, longName, longCommand);
  reg::writeText(kUserRun.root, kUserRun.key, std::string(16382, 'n'), "neighbour.exe");
  TDLLForm& page = show();
  std::map<std::string, Row> byName;
  for (const Row& r : rows(page)) byName[r.name] = r;
  ASSERT_EQ(byName.count(longName), 1u);
  EXPECT_EQ(byName[longName].command, longCommand);

  for (int i = 0; i < page.autostar2.count(); ++i)
    if (page.autostar2.itemText(i) == longName) page.autostar2.setChecked(i, false);
  DLLSave();
  EXPECT_FALSE(stored(kUserRun, longName));
  EXPECT_TRUE(stored(kUserRun, std::string(16382, 'n'))) << "a name that only starts alike stays";
}

TEST_F(StartupPage, EntriesThatVanishedBeforeApplyArePassedOver) {
  reg::writeText(kUserRun.root, kUserRun.key, "Gone", "gone.exe");
  reg::writeText(kMachineRunOnce.root, kMachineRunOnce.key, "Key gone", "x.exe");
  reg::writeText(kMachineRun.root, kMachineRun.key, "Stays", "stays.exe");
  reg::writeText(kUserRunOnce.root, kUserRunOnce.key, "Removed", "removed.exe");
  TDLLForm& page = show();
  ASSERT_EQ(page.autostar2.count(), 4);
  for (int i = 0; i < 4; ++i)
    if (page.autostar2.itemText(i) != "Stays") page.autostar2.setChecked(i, false);
  reg::deleteValue(kUserRun.root, kUserRun.key, "Gone");
  reg::deleteTree(kMachineRunOnce.root, kMachineRunOnce.key);
  DLLSave();
  EXPECT_FALSE(stored(kUserRunOnce, "Removed"));
  const std::vector<Row> shown = rows(page);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], (Row{"Stays", "stays.exe", kMachineRun.text, true}));
}

TEST_F(StartupPage, LanguageFileRenamesTheColumns) {
  reg::writeText(kUserRun.root, kUserRun.key, "Messenger", "msgr.exe");
  qb::test::LanguageFile english("StartupEnglish",
                                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language><autostart>"
                                 "<x1>Startup item</x1><x3>Location</x3></autostart></language>\n");
  TDLLForm& page = show();
  EXPECT_EQ(page.autostar2.columnTitle(0), "Startup item");
  EXPECT_EQ(page.autostar2.columnTitle(1), "") << "a missing key empties its column title";
  EXPECT_EQ(page.autostar2.columnTitle(2), "Location");
  EXPECT_EQ(page.autostar2.count(), 1);
}

TEST_F(StartupPage, ShippedEnglishFileNamesEveryColumn) {
  reg::writeText(HKEY_CURRENT_USER, "\\Software\\Korvane\\Qubrix", "lang", "English");
  TDLLForm& page = show();
  EXPECT_EQ(page.autostar2.columnTitle(0), "Startup item");
  EXPECT_EQ(page.autostar2.columnTitle(1), "Command");
  EXPECT_EQ(page.autostar2.columnTitle(2), "Location");
}

class StartupReadOnlyRegistry : public qb::test::PageTest<TDLLForm> {
 protected:
  StartupReadOnlyRegistry() : PageTest(kHostCaption, qb::test::PageTestOptions().readOnlyRegistry()) {}
};

TEST_F(StartupReadOnlyRegistry, NothingToListAndApplyStaysQuiet) {
  TDLLForm& page = show();
  EXPECT_EQ(page.autostar2.count(), 0);
  DLLSave();
}

TEST(StartupUnderEmulatedWindows, Windows98ListsAndRemovesAsEverywhere) {
  const qb::test::ProbeFindings found = qb::test::runProbe(L"bootrow_probe.exe", "win98");
  ASSERT_TRUE(found.run.started);
  EXPECT_EQ(found.run.exitCode, 0u) << found;
  const std::pair<const char*, long> expected[] = {
      {"platform", 1},   {"minor", 10},        {"rows", 4},          {"in_order", 1},
      {"rows_after", 3}, {"user_run_left", 0}, {"machine_run_left", 1}, {"messages", 0},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(found.number(name), value) << name << "\n" << found;
}

}  // namespace
