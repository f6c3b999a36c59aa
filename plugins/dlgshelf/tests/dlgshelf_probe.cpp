// Shows the places bar page with chosen places and the hidden bar stored,
// applies it with the back button switched off, and prints one "name=value"
// line per finding. The test runs it under Wine's emulation of several
// Windows versions.
#include <cstdio>

#include "dlgshelf_page.h"
#include "qb/test/child_process.h"
#include "qb/test/page_bench.h"
#include "qb/win/registry.h"

namespace reg = qb::win::reg;

namespace {
const char kPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32";
const char kPlaces[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\Placesbar";
}  // namespace

using qb::test::printFinding;

int main() {
  try {
    qb::test::PageBench<TDLLForm> bench("Places probe host");
    reg::writeNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar", 1);
    reg::writeNumber(HKEY_CURRENT_USER, kPlaces, "Place0", 5);

    TDLLForm* page = bench.showPage();
    if (!page) return 2;
    const auto v = qb::win::windowsVersion();
    printFinding("platform", v.platform);
    printFinding("major", v.major);
    printFinding("minor", v.minor);
    printFinding("radios_enabled", page->RadioButton1.enabled() + page->RadioButton2.enabled() + page->RadioButton3.enabled());
    printFinding("combos_enabled", page->Place1Combo.enabled() + page->Place2Combo.enabled() + page->Place3Combo.enabled() +
                                page->Place4Combo.enabled() + page->Place5Combo.enabled());
    printFinding("combo_lines", page->Place1Combo.count());
    printFinding("chosen_selected", page->RadioButton3.checked());

    // Ask for the default places: inside the gate this drops the chosen ones.
    page->RadioButton1.setChecked(true);
    page->CheckBox1.setChecked(true);
    DLLSave();
    printFinding("messages", static_cast<long>(bench.boxes.calls().size()));
    printFinding("hide_after", reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoPlacesBar").value);
    printFinding("places_key_after", reg::keyExists(HKEY_CURRENT_USER, kPlaces));
    printFinding("no_back_after", reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoBackButton").value);
    const auto mru = reg::readNumber(HKEY_CURRENT_USER, kPolicies, "NoFileMru");
    printFinding("no_mru_written", mru.found == reg::Found::Value);
    return 0;
  } catch (const std::exception& e) {
    printFinding("error", e.what());
    return 3;
  }
}
