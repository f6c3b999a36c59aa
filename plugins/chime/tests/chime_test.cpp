#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include "chime_page.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/registry.h"

namespace reg = qb::win::reg;

namespace {

const char kSound[] = "\\Control Panel\\Sound";

class ChimePage : public qb::test::PageTest<Tdllform> {
 protected:
  ChimePage() : PageTest("Chime test host") {}

};

TEST_F(ChimePage, ChecksTheBoxOnlyForEveryCapitalisationOfYes) {
  struct Case { const char* beep; bool checked; };
  const Case cases[] = {
      {"Yes", true}, {"yes", true}, {"YES", true}, {"yEs", true},
      {"1", false},  {" yes", false}, {"yes ", false}, {"No", false}, {"", false}, {"Yess", false},
  };
  for (const auto& c : cases) {
    reg::writeText(HKEY_CURRENT_USER, kSound, "Beep", c.beep);
    Tdllform& page = show();
    EXPECT_EQ(page.BeepBox1.checked(), c.checked) << '"' << c.beep << '"';
    page.close();
    qb::test::pumpMessages();
  }
}

TEST_F(ChimePage, MissingKeyValueOrNonTextLeavesTheBoxUncheckedAndApplyWritesNo) {
  auto check = [&](const char* what) {
    Tdllform& page = show();
    EXPECT_FALSE(page.BeepBox1.checked()) << what;
    DLLSave();
    const auto stored = reg::readText(HKEY_CURRENT_USER, kSound, "Beep");
    EXPECT_EQ(stored.found, reg::Found::Value) << what;
    EXPECT_EQ(stored.text, "No") << what;
    page.close();
    qb::test::pumpMessages();
  };
  check("no key");
  reg::deleteValue(HKEY_CURRENT_USER, kSound, "Beep");
  check("no value");
  reg::deleteValue(HKEY_CURRENT_USER, kSound, "Beep");
  reg::writeNumber(HKEY_CURRENT_USER, kSound, "Beep", 1);
  check("a number");
}

TEST_F(ChimePage, ApplyWritesMixedCaseYesOrNoWhateverWasRead) {
  reg::writeText(HKEY_CURRENT_USER, kSound, "Beep", "YES");
  Tdllform& page = show();
  DLLSave();
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, kSound, "Beep").text, "Yes");
  page.BeepBox1.setChecked(false);
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, kSound, "Beep").text, "Yes") << "a change writes nothing by itself";
  DLLSave();
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, kSound, "Beep").text, "No");
}

TEST_F(ChimePage, LanguageFileReplacesTheCaption) {
  Tdllform& designed = show();
  EXPECT_EQ(designed.BeepBox1.caption(), "Dźwięk 'beep' przy błedach");
  designed.close();
  qb::test::pumpMessages();

  qb::test::LanguageFile english("ChimeTestLang",
                                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<language><chime><x1>Beep on errors</x1></chime></language>\n");
  EXPECT_EQ(show().BeepBox1.caption(), "Beep on errors");
}

class ChimeUnwritableRegistry : public qb::test::PageTest<Tdllform> {
 protected:
  ChimeUnwritableRegistry()
      : PageTest("Chime test host", qb::test::PageTestOptions().readOnlyRegistry().expectMessageBoxes(1)) {}
};

TEST_F(ChimeUnwritableRegistry, FailedWriteIsReportedNotSwallowed) {
  show();
  DLLSave();
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_EQ(boxes.calls()[0].text, "Nie udało się zapisać ustawień.\rHKEY_CURRENT_USER\\Control Panel\\Sound \"Beep\"");
}

}  // namespace
