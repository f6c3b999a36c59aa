#include "dlgshelf_page.h"

#include <cstring>
#include <vector>

#include "qb/shell/language.h"
#include "qb/win/registry.h"

namespace reg = qb::win::reg;

namespace {

const char kDialogPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32";
const char kPlacesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\comdlg32\\Placesbar";
const char kHideValue[] = "NoPlacesBar";
const char kNoBackButton[] = "NoBackButton";
const char kNoFileMru[] = "NoFileMru";
const char* const kSlotValues[5] = {"Place0", "Place1", "Place2", "Place3", "Place4"};

// The numbers are the shell's special-folder identifiers (CSIDL_*).
KnownPlaces& placesTable() {
  static KnownPlaces table{{
      {"--- Brak ---", false, 0},
      {"Pulpit", true, 0},                    // CSIDL_DESKTOP
      {"Ulubione", true, 6},                  // CSIDL_FAVORITES
      {"Moje Dokumenty", true, 5},            // CSIDL_PERSONAL
      {"Moja Muzyka", true, 13},              // CSIDL_MYMUSIC
      {"Moje Video", true, 14},               // CSIDL_MYVIDEO
      {"Mój Komputer", true, 17},             // CSIDL_DRIVES
      {"Moje Miejsca Sieciowe", true, 18},    // CSIDL_NETWORK
      {"Historia", true, 34},                 // CSIDL_HISTORY
      {"Moje Obrazy", true, 39},              // CSIDL_MYPICTURES
      {"Moje Bieżące Dokumenty", true, 8},    // CSIDL_RECENT
      {"Myzyka Udostępniona", true, 53},      // CSIDL_COMMON_MUSIC
      {"Wideo Udostępnione", true, 55},       // CSIDL_COMMON_VIDEO
  }};
  return table;
}

bool readsOne(const char* value) {
  const reg::Number n = reg::readNumber(HKEY_CURRENT_USER, kDialogPolicies, value);
  return n.found == reg::Found::Value && n.value == 1;
}

}  // namespace

const KnownPlaces& knownPlaces() { return placesTable(); }

bool placesBarSupported(const qb::win::WindowsVersion& v) {
  return (v.nt() && v.major >= 5) || (v.nineX() && v.minor > 10);
}

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", "TDLLForm", {0, 0, 470, 330}),
      ScrollBox1(*this, "ScrollBox1", {0, 0, 470, 330}),
      GB1(ScrollBox1, "GB1", {8, 8, 440, 210}, "Pasek miejsc"),
      RadioButton1(GB1, "RadioButton1", {12, 20, 300, 20}, "Pokaż domyślne miejsca", 1),
      RadioButton2(GB1, "RadioButton2", {12, 42, 300, 20}, "Ukryj pasek miejsc", 2),
      RadioButton3(GB1, "RadioButton3", {12, 64, 300, 20}, "Pokaż wybrane miejsca", 3),
      Place1Combo(GB1, "Place1Combo", {32, 88, 390, 22}, qb::tk::ComboStyle::DropDown, 13),
      Place2Combo(GB1, "Place2Combo", {32, 112, 390, 22}, qb::tk::ComboStyle::DropDown, 13),
      Place3Combo(GB1, "Place3Combo", {32, 136, 390, 22}, qb::tk::ComboStyle::DropDown, 13),
      Place4Combo(GB1, "Place4Combo", {32, 160, 390, 22}, qb::tk::ComboStyle::DropDown, 13),
      Place5Combo(GB1, "Place5Combo", {32, 184, 390, 22}, qb::tk::ComboStyle::DropDown, 13),
      GB2(ScrollBox1, "GB2", {8, 226, 440, 70}, "Inne"),
      CheckBox1(GB2, "CheckBox1", {12, 20, 420, 20}, "Wyłacz przycisk \"Wstecz\" w oknach z otwórz/zapisz"),
      CheckBox2(GB2, "CheckBox2", {12, 42, 420, 20}, "Pamiętaj wczęśniej użyte nazwy plików") {
  ScrollBox1.setAlign(qb::tk::Align::Client);
  for (qb::tk::RadioButton* r : {&RadioButton1, &RadioButton2, &RadioButton3})
    r->onClick = [this](qb::tk::Control& s) { RadioButton1Click(s); };
  RadioButton1.setChecked(true);
  for (qb::tk::ComboBox* c : placeCombos()) c->setText(placesTable()[0].text);
  enablePlaceCombos(false);
}

std::array<qb::tk::ComboBox*, 5> TDLLForm::placeCombos() {
  return {&Place1Combo, &Place2Combo, &Place3Combo, &Place4Combo, &Place5Combo};
}

void TDLLForm::enablePlaceCombos(bool on) {
  for (qb::tk::ComboBox* c : placeCombos()) c->setEnabled(on);
}

void TDLLForm::RadioButton1Click(qb::tk::Control& sender) { enablePlaceCombos(sender.tag == 3); }

void TDLLForm::FormShow() {
  std::vector<qb::shell::LangKey> keys = {
      qb::shell::captionKey("x1", GB1),          qb::shell::captionKey("x2", RadioButton1),
      qb::shell::captionKey("x3", RadioButton2), qb::shell::captionKey("x4", RadioButton3),
      qb::shell::captionKey("x5", CheckBox1),    qb::shell::captionKey("x6", CheckBox2),
  };
  for (qb::tk::ComboBox* c : placeCombos())
    keys.push_back({"x7", [c](const std::string& text) { c->setText(text); }});
  for (size_t i = 0; i < placesTable().size(); ++i)
    keys.push_back({"x" + std::to_string(7 + i), [i](const std::string& text) { placesTable()[i].text = text; }});
  keys.push_back(qb::shell::captionKey("x20", GB2));
  qb::shell::LoadLangFile("placebar", keys);

  if (placesBarSupported(qb::win::windowsVersion())) {
    std::vector<std::string> lines;
    for (const KnownPlace& p : placesTable()) lines.push_back(p.text);
    for (qb::tk::ComboBox* c : placeCombos()) c->setItems(lines);
    if (readsOne(kHideValue)) RadioButton2.setChecked(true);
    readPlaces();
  } else {
    enablePlaceCombos(false);
    for (qb::tk::RadioButton* r : {&RadioButton1, &RadioButton2, &RadioButton3}) r->setEnabled(false);
  }

  CheckBox1.setChecked(readsOne(kNoBackButton));
  CheckBox2.setChecked(!readsOne(kNoFileMru));
}

void TDLLForm::readPlaces() {
  const auto key = reg::openKey(HKEY_CURRENT_USER, kPlacesKey);
  if (!key) return;
  RadioButton3.setChecked(true);
  enablePlaceCombos(true);
  const auto combos = placeCombos();
  for (size_t slot = 0; slot < combos.size(); ++slot) {
    const reg::Raw raw = reg::readRaw(key.get(), kSlotValues[slot]);
    if (const auto text = reg::rawAsText(raw)) {
      combos[slot]->setText(*text);
      continue;
    }
    // Anything but a four-byte number (or text) is left alone, as a missing value is.
    if (raw.found != reg::Found::Value || raw.type != REG_DWORD || raw.data.size() != sizeof(DWORD)) continue;
    DWORD number = 0;
    std::memcpy(&number, raw.data.data(), sizeof number);
    for (const KnownPlace& p : placesTable()) {
      if (p.hasNumber && p.number == number) {
        combos[slot]->setText(p.text);
        break;
      }
    }
  }
}

void TDLLForm::SavePlaces() {
  reg::deleteTree(HKEY_CURRENT_USER, kPlacesKey);
  const auto combos = placeCombos();
  const KnownPlaces& table = placesTable();
  for (size_t slot = 0; slot < combos.size(); ++slot) {
    const std::string text = combos[slot]->text();
    if (text == table[0].text) continue;  // no place: the slot stays empty
    // A known place is stored as its folder number; should the language file
    // give two places one text, the later one wins.
    const KnownPlace* known = nullptr;
    for (size_t i = 1; i < table.size(); ++i)
      if (text == table[i].text) known = &table[i];
    if (known)
      reg::writeNumber(HKEY_CURRENT_USER, kPlacesKey, kSlotValues[slot], known->number);
    else
      reg::writeText(HKEY_CURRENT_USER, kPlacesKey, kSlotValues[slot], text);
  }
}

void TDLLForm::Apply() {
  if (placesBarSupported(qb::win::windowsVersion())) {
    if (RadioButton1.checked() || RadioButton2.checked()) reg::deleteTree(HKEY_CURRENT_USER, kPlacesKey);
    reg::writeNumber(HKEY_CURRENT_USER, kDialogPolicies, kHideValue, RadioButton2.checked() ? 1 : 0);
    if (RadioButton3.checked()) SavePlaces();
  }
  reg::writeNumber(HKEY_CURRENT_USER, kDialogPolicies, kNoBackButton, CheckBox1.checked() ? 1 : 0);
  reg::writeNumber(HKEY_CURRENT_USER, kDialogPolicies, kNoFileMru, CheckBox2.checked() ? 0 : 1);
}
