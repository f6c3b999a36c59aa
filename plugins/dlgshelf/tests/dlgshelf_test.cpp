#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "dlgshelf_page.h"
#include "qb/test/child_process.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace reg = qb::win::reg;
namespace versions = qb::win::versions;

namespace {

const char kPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32";
const char kPlaces[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\Placesbar";
const char kNone[] = "--- Brak ---";
const char kHostCaption[] = "Places test host";

const std::vector<std::string> kDesignedPlaces = {
    "--- Brak ---", "Pulpit",  "Ulubione",    "Moje Dokumenty",         "Moja Muzyka",          "Moje Video",
    "Mój Komputer", "Moje Miejsca Sieciowe",  "Historia",               "Moje Obrazy",          "Moje Bieżące Dokumenty",
    "Myzyka Udostępniona",     "Wideo Udostępnione"};

using qb::test::wideBytes;

class PlacesPage : public qb::test::PageTest<TDLLForm> {
 protected:
  PlacesPage() : PageTest(kHostCaption) {}

  static std::vector<std::string> comboTexts(TDLLForm& p) {
    return {p.Place1Combo.text(), p.Place2Combo.text(), p.Place3Combo.text(), p.Place4Combo.text(),
            p.Place5Combo.text()};
  }
  static int enabledCombos(TDLLForm& p) {
    return p.Place1Combo.enabled() + p.Place2Combo.enabled() + p.Place3Combo.enabled() + p.Place4Combo.enabled() +
           p.Place5Combo.enabled();
  }
  static int selectedRadio(TDLLForm& p) {
    return p.RadioButton1.checked() ? 1 : p.RadioButton2.checked() ? 2 : p.RadioButton3.checked() ? 3 : 0;
  }
};

TEST(PlacesBarGate, NtFiveOrLaterOrTheNineXFamilyAfterWindows98) {
  struct Case { const char* name; qb::win::WindowsVersion v; bool inside; };
  const Case cases[] = {
      {"95", versions::win95, false},  {"98", versions::win98, false},    {"ME", versions::winMe, true},
      {"NT 4", versions::nt4, false},  {"2000", versions::win2000, true}, {"XP", versions::winXp, true},
      {"Vista", versions::vista, true}, {"NT 6.1", {2, 6, 1, 7601}, true},
  };
  for (const auto& c : cases) EXPECT_EQ(placesBarSupported(c.v), c.inside) << c.name;
}

TEST_F(PlacesPage, ReadsThePoliciesIntoTheControls) {
  struct Case {
    const char* what;
    std::function<void()> store;
    int radio;
    bool combosEnabled;
    std::vector<std::string> combos;
    bool noBack;
    bool keepMru;
  };
  const std::vector<std::string> none(5, kNone);
  auto with = [&](int slot, const std::string& text) {
    auto v = none;
    v[slot] = text;
    return v;
  };
  const std::string longPath = "C:\\" + std::string(32 * 1024, 'd');
  const Case cases[] = {
      {"nothing stored", [] {}, 1, false, none, false, true},
      {"bar hidden", [] { reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", 1); }, 2, false, none, false,
       true},
      {"hide value other than 1", [] { reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", 2); }, 1, false,
       none, false, true},
      {"empty places key and bar hidden",
       [] {
         reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", 1);
         reg::createKey(HKEY_CURRENT_USER, kPlaces);
       },
       3, true, none, false, true},
      {"Place2 is the network", [] { reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Place2", 18); }, 3, true,
       with(2, "Moje Miejsca Sieciowe"), false, true},
      {"a number not in the table", [] { reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Place0", 36); }, 3, true, none,
       false, true},
      {"a table text", [] { reg::writeText(HKEY_CURRENT_USER, kPlaces, "Place4", "Pulpit"); }, 3, true,
       with(4, "Pulpit"), false, true},
      {"a folder path", [] { reg::writeText(HKEY_CURRENT_USER, kPlaces, "Place1", "D:\\Projekty"); }, 3, true,
       with(1, "D:\\Projekty"), false, true},
      {"a 32 KB folder path", [&] { reg::writeText(HKEY_CURRENT_USER, kPlaces, "Place3", longPath); }, 3, true,
       with(3, longPath), false, true},
      {"values of other types and sizes",
       [] {
         reg::writeRaw(HKEY_CURRENT_USER, kPlaces, "Place0", REG_BINARY, {18, 0, 0, 0});
         reg::writeRaw(HKEY_CURRENT_USER, kPlaces, "Place1", REG_DWORD, {18, 0});
         reg::writeRaw(HKEY_CURRENT_USER, kPlaces, "Place2", REG_QWORD, {18, 0, 0, 0, 0, 0, 0, 0});
         reg::writeRaw(HKEY_CURRENT_USER, kPlaces, "Place3", REG_MULTI_SZ, wideBytes(L"Pulpit"));
         reg::writeRaw(HKEY_CURRENT_USER, kPlaces, "Place4", REG_DWORD, {});
         reg::writeRaw(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", REG_SZ, wideBytes(L"1"));
         reg::writeRaw(HKEY_CURRENT_USER, kPolicies, "NoBackButton", REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0});
         reg::writeRaw(HKEY_CURRENT_USER, kPolicies, "NoFileMru", REG_BINARY, {1, 0, 0, 0});
       },
       3, true, none, false, true},
      {"back button off, no file list",
       [] {
         reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoBackButton", 1);
         reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoFileMru", 1);
       },
       1, false, none, true, false},
      {"switch values other than 1",
       [] {
         reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoBackButton", 2);
         reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoFileMru", 0);
       },
       1, false, none, false, true},
  };
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    c.store();
    TDLLForm& page = show();
    EXPECT_EQ(selectedRadio(page), c.radio) << c.what;
    EXPECT_EQ(enabledCombos(page), c.combosEnabled ? 5 : 0) << c.what;
    EXPECT_EQ(comboTexts(page), c.combos) << c.what;
    EXPECT_EQ(page.CheckBox1.checked(), c.noBack) << c.what;
    EXPECT_EQ(page.CheckBox2.checked(), c.keepMru) << c.what;
    EXPECT_EQ(page.Place3Combo.count(), 13) << c.what;
    closePage();
  }
}

TEST_F(PlacesPage, EveryComboOffersTheThirteenPlacesInTableOrder) {
  TDLLForm& page = show();
  for (qb::tk::ComboBox* combo : {&page.Place1Combo, &page.Place2Combo, &page.Place3Combo, &page.Place4Combo,
                              &page.Place5Combo}) {
    std::vector<std::string> lines;
    for (int i = 0; i < combo->count(); ++i) lines.push_back(combo->item(i));
    EXPECT_EQ(lines, kDesignedPlaces) << combo->name();
  }
}

TEST_F(PlacesPage, RadioButtonsSwitchTheCombos) {
  TDLLForm& page = show();
  page.RadioButton3.click();
  EXPECT_EQ(enabledCombos(page), 5);
  page.RadioButton2.click();
  EXPECT_EQ(enabledCombos(page), 0);
  page.RadioButton3.click();
  page.RadioButton1.click();
  EXPECT_EQ(enabledCombos(page), 0);
  EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, kPolicies)) << "a change writes nothing by itself";
}

TEST_F(PlacesPage, ApplySavesTheChosenPlaces) {
  // Stale values of the slots must not survive a save.
  reg::writeText(HKEY_CURRENT_USER, kPlaces, "Place2", "C:\\Stare");
  reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Other", 7);
  reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", 1);
  TDLLForm& page = show();
  ASSERT_TRUE(page.RadioButton3.checked());
  page.Place1Combo.setText("Pulpit");
  page.Place2Combo.setText("D:\\Moje pliki\\Źródła");
  page.Place3Combo.setText(kNone);
  page.Place4Combo.setText("moje dokumenty");  // case differs from the table: a path, not a place
  page.Place5Combo.setText("Wideo Udostępnione");
  DLLSave();

  struct Expected { const char* slot; DWORD type; std::string text; DWORD number; };
  const Expected expected[] = {
      {"Place0", REG_DWORD, "", 0},
      {"Place1", REG_SZ, "D:\\Moje pliki\\Źródła", 0},
      {"Place2", REG_NONE, "", 0},
      {"Place3", REG_SZ, "moje dokumenty", 0},
      {"Place4", REG_DWORD, "", 55},
  };
  for (const auto& e : expected) {
    const reg::Raw raw = reg::readRaw(HKEY_CURRENT_USER, kPlaces, e.slot);
    if (e.type == REG_NONE) {
      EXPECT_EQ(raw.found, reg::Found::NoValue) << e.slot;
      continue;
    }
    EXPECT_EQ(raw.type, e.type) << e.slot;
    if (e.type == REG_SZ) EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, kPlaces, e.slot).text, e.text) << e.slot;
    else EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kPlaces, e.slot).value, e.number) << e.slot;
  }
  EXPECT_EQ(reg::readRaw(HKEY_CURRENT_USER, kPlaces, "Other").found, reg::Found::NoValue);
  EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar").value, 0u);
}

TEST_F(PlacesPage, StoredPlacesComeBackNormalisedThroughShowAndApply) {
  const std::string longPath = "C:\\" + std::string(32 * 1024, 'd');
  reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Place0", 36);         // unknown number: dropped
  reg::writeText(HKEY_CURRENT_USER, kPlaces, "Place1", "Pulpit");     // a table text: stored as its number
  reg::writeText(HKEY_CURRENT_USER, kPlaces, "Place2", "E:\\Zdjęcia");  // a path: unchanged
  reg::writeText(HKEY_CURRENT_USER, kPlaces, "Place3", longPath);
  reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Place4", 39);
  show();
  DLLSave();
  EXPECT_EQ(reg::readRaw(HKEY_CURRENT_USER, kPlaces, "Place0").found, reg::Found::NoValue);
  const reg::Number desktop = reg::readNumber(HKEY_CURRENT_USER, kPlaces, "Place1");
  EXPECT_EQ(desktop.found, reg::Found::Value);
  EXPECT_EQ(desktop.value, 0u);
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, kPlaces, "Place2").text, "E:\\Zdjęcia");
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, kPlaces, "Place3").text, longPath);
  EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kPlaces, "Place4").value, 39u);
}

TEST_F(PlacesPage, ApplyWithDefaultOrHiddenBarDropsThePlaces) {
  struct Case { const char* what; int radio; DWORD hide; };
  const Case cases[] = {{"default places", 1, 0}, {"bar hidden", 2, 1}};
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", 1);
    reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Place0", 5);
    reg::createKey(HKEY_CURRENT_USER, std::string(kPlaces) + "\\Sub");
    TDLLForm& page = show();
    (c.radio == 1 ? page.RadioButton1 : page.RadioButton2).click();
    DLLSave();
    EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, kPlaces)) << c.what;
    const reg::Number hide = reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar");
    EXPECT_EQ(hide.found, reg::Found::Value) << c.what;
    EXPECT_EQ(hide.value, c.hide) << c.what;
    closePage();
  }
}

TEST_F(PlacesPage, ApplyWritesBothSwitches) {
  struct Case { bool noBack; bool keepMru; DWORD storedBack; DWORD storedMru; };
  const Case cases[] = {{false, true, 0, 0}, {true, true, 1, 0}, {false, false, 0, 1}, {true, false, 1, 1}};
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    TDLLForm& page = show();
    ASSERT_TRUE(page.CheckBox2.checked()) << "a missing NoFileMru keeps the list";
    page.CheckBox1.setChecked(c.noBack);
    page.CheckBox2.setChecked(c.keepMru);
    DLLSave();
    const auto back = reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoBackButton");
    const auto mru = reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoFileMru");
    EXPECT_EQ(back.found, reg::Found::Value);
    EXPECT_EQ(back.value, c.storedBack);
    EXPECT_EQ(mru.found, reg::Found::Value);
    EXPECT_EQ(mru.value, c.storedMru);
    closePage();
  }
}

TEST_F(PlacesPage, OutsideTheGateOnlyTheSwitchesAreEditedAndWritten) {
  struct Case { const char* name; qb::win::WindowsVersion v; bool inside; };
  const Case cases[] = {{"98", versions::win98, false}, {"NT 4", versions::nt4, false}, {"ME", versions::winMe, true}};
  for (const auto& c : cases) {
    qb::test::ScratchRegistry fresh;
    qb::win::overrideWindowsVersion(c.v);
    reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", 1);
    reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Place0", 5);
    TDLLForm& page = show();
    EXPECT_EQ(page.RadioButton1.enabled() && page.RadioButton2.enabled() && page.RadioButton3.enabled(), c.inside)
        << c.name;
    EXPECT_EQ(enabledCombos(page), c.inside ? 5 : 0) << c.name;
    EXPECT_EQ(page.Place1Combo.count(), c.inside ? 13 : 0) << c.name;
    page.RadioButton1.setChecked(true);
    page.CheckBox1.setChecked(true);
    DLLSave();
    EXPECT_EQ(reg::keyExists(HKEY_CURRENT_USER, kPlaces), !c.inside) << c.name;
    EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar").value, c.inside ? 0u : 1u) << c.name;
    EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoBackButton").value, 1u) << c.name;
    EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoFileMru").found, reg::Found::Value) << c.name;
    closePage();
  }
}

// The language file replaces the module's table of places; the fixture puts
// the designed texts back, as they would otherwise stay for the process's life.
class PlacesLanguage : public PlacesPage {
 protected:
  void TearDown() override {
    closePage();
    std::string polish = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language><placebar>";
    for (size_t i = 0; i < kDesignedPlaces.size(); ++i)
      polish += "<x" + std::to_string(7 + i) + ">" + kDesignedPlaces[i] + "</x" + std::to_string(7 + i) + ">";
    polish += "</placebar></language>\n";
    {
      qb::test::LanguageFile restore("PlacesRestore", polish);
      show();
      closePage();
    }
    PlacesPage::TearDown();
  }
};

TEST_F(PlacesLanguage, SectionRenamesControlsAndPlacesForTheModulesLife) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language><placebar>"
                    "<x1>Places bar</x1><x2>Default places</x2><x3>Hide the bar</x3><x4>Chosen places</x4>"
                    "<x5>No back button</x5><x6>Remember file names</x6><x7>--- None ---</x7>";
  const char* english[] = {"Desktop", "Favourites", "My Documents", "My Music", "My Videos", "My Computer",
                           "My Network Places", "History", "My Pictures", "Recent", "Shared Music", "Shared Videos"};
  for (int i = 0; i < 12; ++i)
    xml += "<x" + std::to_string(8 + i) + ">" + english[i] + "</x" + std::to_string(8 + i) + ">";
  xml += "<x20>Other</x20></placebar></language>\n";

  reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Place2", 18);
  {
    qb::test::LanguageFile file("PlacesEnglish", xml);
    TDLLForm& page = show();
    EXPECT_EQ(page.GB1.caption(), "Places bar");
    EXPECT_EQ(page.RadioButton1.caption(), "Default places");
    EXPECT_EQ(page.RadioButton2.caption(), "Hide the bar");
    EXPECT_EQ(page.RadioButton3.caption(), "Chosen places");
    EXPECT_EQ(page.CheckBox1.caption(), "No back button");
    EXPECT_EQ(page.CheckBox2.caption(), "Remember file names");
    EXPECT_EQ(page.GB2.caption(), "Other");
    EXPECT_EQ(comboTexts(page),
              (std::vector<std::string>{"--- None ---", "--- None ---", "My Network Places", "--- None ---",
                                        "--- None ---"}));
    EXPECT_EQ(page.Place5Combo.item(0), "--- None ---");
    EXPECT_EQ(page.Place5Combo.item(12), "Shared Videos");
    closePage();
  }
  // The file is gone: captions are designed again, but the places keep the last texts loaded.
  TDLLForm& page = show();
  EXPECT_EQ(page.GB1.caption(), "Pasek miejsc");
  EXPECT_EQ(page.Place1Combo.item(1), "Desktop");
  // An untouched slot must still read as "no place", or Apply would store the
  // designed text as a folder path.
  EXPECT_EQ(page.Place4Combo.text(), "--- None ---");
  EXPECT_EQ(knownPlaces()[0].text, "--- None ---");

  // Apply compares with the loaded texts: the Polish name is now only a path.
  page.Place1Combo.setText("Desktop");
  page.Place2Combo.setText("Pulpit");
  page.Place3Combo.setText("--- None ---");
  DLLSave();
  EXPECT_EQ(reg::readRaw(HKEY_CURRENT_USER, kPlaces, "Place0").type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, kPlaces, "Place1").text, "Pulpit");
  EXPECT_EQ(reg::readRaw(HKEY_CURRENT_USER, kPlaces, "Place2").found, reg::Found::NoValue);
  EXPECT_EQ(reg::readRaw(HKEY_CURRENT_USER, kPlaces, "Place3").found, reg::Found::NoValue);
}

TEST_F(PlacesLanguage, ShippedEnglishFileGivesEveryTextOfThePage) {
  reg::writeText(HKEY_CURRENT_USER, "\\Software\\Korvane\\Qubrix", "lang", "English");
  TDLLForm& page = show();
  for (qb::tk::Control* c : std::initializer_list<qb::tk::Control*>{&page.GB1, &page.RadioButton1, &page.RadioButton2,
                                                            &page.RadioButton3, &page.CheckBox1, &page.CheckBox2,
                                                            &page.GB2})
    EXPECT_FALSE(c->caption().empty()) << c->name();
  EXPECT_EQ(page.GB1.caption(), "Places bar");
  EXPECT_EQ(page.GB2.caption(), "Other");
  EXPECT_EQ(page.Place1Combo.text(), "--- None ---");
  std::set<std::string> lines;
  for (int i = 0; i < page.Place1Combo.count(); ++i) lines.insert(page.Place1Combo.item(i));
  EXPECT_EQ(lines.size(), 13u) << "every place has a text of its own";
  EXPECT_EQ(lines.count(""), 0u);
  EXPECT_EQ(page.Place1Combo.item(1), "Desktop");
}

class PlacesReadOnlyRegistry : public qb::test::PageTest<TDLLForm> {
 protected:
  PlacesReadOnlyRegistry()
      : PageTest(kHostCaption, qb::test::PageTestOptions().readOnlyRegistry().expectMessageBoxes(1)) {}
};

TEST_F(PlacesReadOnlyRegistry, ApplyShowsTheErrorAndWritesNothing) {
  TDLLForm& page = show();
  page.RadioButton3.click();
  page.Place1Combo.setText("Pulpit");
  DLLSave();
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_NE(boxes.calls()[0].text.find("Nie udało się zapisać"), std::string::npos);
  EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, kPolicies));
}

class PlacesApplyFailure : public qb::test::PageTest<TDLLForm> {
 protected:
  PlacesApplyFailure() : PageTest(kHostCaption, qb::test::PageTestOptions().expectMessageBoxes(1)) {}
};

TEST_F(PlacesApplyFailure, AFailedWriteEndsApplyAndKeepsWhatWasWrittenBefore) {
  // Below a volatile key no lasting subkey can be made: the places key cannot
  // be created, while values of the policy key itself can be written.
  reg::createKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies");
  HKEY policies = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, qb::win::widen(kPolicies).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &policies, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(policies);
  reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", 1);
  reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoBackButton", 0);

  TDLLForm& page = show();
  page.RadioButton3.click();
  page.Place1Combo.setText("Historia");
  page.CheckBox1.setChecked(true);
  DLLSave();
  EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar").value, 0u) << "written before the failure";
  EXPECT_EQ(reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoBackButton").value, 0u) << "not written after it";
  EXPECT_EQ(reg::readRaw(HKEY_CURRENT_USER, kPolicies, "NoFileMru").found, reg::Found::NoValue);
}

// Whole processes under Wine's emulation of other Windows versions.
TEST(PlacesUnderEmulatedWindows, GateFollowsTheWholeProcessVersion) {
  struct Case { const char* wine; long platform; long minor; bool inside; };
  const Case cases[] = {{"win98", 1, 10, false}, {"winme", 1, 90, true}, {"nt40", 2, 0, false},
                        {"win2k", 2, 0, true}};
  for (const auto& c : cases) {
    const qb::test::ProbeFindings r = qb::test::runProbe(L"dlgshelf_probe.exe", c.wine);
    EXPECT_EQ(r.run.exitCode, 0u) << c.wine << ": " << r;
    const std::pair<const char*, long> expected[] = {
        {"platform", c.platform},
        {"minor", c.minor},
        {"radios_enabled", c.inside ? 3 : 0},
        {"combos_enabled", c.inside ? 5 : 0},
        {"combo_lines", c.inside ? 13 : 0},
        {"chosen_selected", c.inside ? 1 : 0},
        {"messages", 0},
        {"hide_after", c.inside ? 0 : 1},
        {"places_key_after", c.inside ? 0 : 1},
        {"no_back_after", 1},
        {"no_mru_written", 1},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(r.number(name), value) << c.wine << " " << name;
  }
}

}  // namespace
