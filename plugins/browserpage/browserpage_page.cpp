#include "browserpage_page.h"

#include <cstdint>
#include <exception>
#include <optional>

#include "browserreg.h"
#include "qb/text.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace reg = qb::win::reg;
using namespace browser_keys;

namespace {

// A policy number as the page reads it: -1 when the key does not open,
// nothing when the value is missing or not a REG_DWORD.
std::optional<std::int32_t> readPolicyNumber(const char* key, const char* name) {
  const qb::win::UniqueKey k = reg::openKey(HKEY_CURRENT_USER, key);
  if (!k) return -1;
  const reg::Number n = reg::readNumber(k.get(), name);
  if (n.found != reg::Found::Value) return std::nullopt;
  return static_cast<std::int32_t>(n.value);
}

// Each policy read stands alone: one that fails must not keep the others from being read.
template <typename Read>
void readAlone(Read&& read) {
  try {
    read();
  } catch (const std::exception&) {
  }
}

// Box checked exactly when the stored number is 1; a missing or non-number value leaves it.
void loadPolicyBox(qb::tk::CheckBox& box, const char* key, const char* name) {
  readAlone([&] {
    if (const auto n = readPolicyNumber(key, name)) box.setChecked(*n == 1);
  });
}

void savePolicyBox(const qb::tk::CheckBox& box, const char* key, const char* name) {
  reg::writeNumber(HKEY_CURRENT_USER, key, name, box.checked() ? 1 : 0);
}

// The library's text, copied at once, as the edits hold it.
std::string libraryText(const char* ansi) { return qb::win::narrow(qb::win::fromAnsi(ansi ? ansi : "")); }

// Writes a text of the Main key. A value stored as REG_EXPAND_SZ keeps that
// type, or its variables would no longer expand; and a text the user left as
// shown is written back as stored, with the characters the ANSI code page of
// the library could not carry.
void writeMainText(const char* name, const std::string& shown) {
  const reg::Raw stored = reg::readRaw(HKEY_CURRENT_USER, kMain, name);
  const DWORD type = stored.found == reg::Found::Value && stored.type == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ;
  std::wstring text = qb::win::widen(shown);
  if (const auto old = reg::rawAsText(stored)) {
    const std::wstring oldText = qb::win::widen(*old);
    if (oldText != text && qb::win::throughAnsi(oldText) == text) text = oldText;
  }
  reg::writeRaw(HKEY_CURRENT_USER, kMain, name, type, text.c_str(),
                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

constexpr const char* kUserAgentValues[4] = {"", "Compatible", "Version", "Platform"};

}  // namespace

bool ie7OptionsSupported(const qb::win::WindowsVersion& v) { return v.nt() && v.major == 5 && (v.minor == 1 || v.minor == 2); }

const std::array<InternetOption, kInternetOptionCount>& internetOptions() {
  static const std::array<InternetOption, kInternetOptionCount> options{{
      {"Nie zezwalaj na zmiany w zakładce \"Zaawansowane\"", "Advanced"},
      {"Zablokuj dostęp do automatycznej konfiguracji", "Autoconfig"},
      {"Zablokuj dostęp do ustawień Tymczasowych plików internetowych", "Cache"},
      {"Nie zezwalaj na zmianę kalendarza i listy kontaktów", "CalendarContact"},
      {"Zablokuj dostęp do Certyfikatów", "Certificates"},
      {"Zablokuj dostęp do opcji spradzającej czy IE jest domyslną przeglądarką", "Check_If_Default"},
      {"Zablokuj dostep do kolorów", "Colors"},
      {"Wyłącz dostęp do ustawień połączenia", "Connection Settings"},
      {"Wyłącz kreator połączeń", "Connection Wizard"},
      {"Nie zezwalaj na zmianę czcionek", "Fonts"},
      {"Nie zezwalaj na zmianę ustawień Historii", "History"},
      {"Nie zezwalaj na zmianę strony głównej", "HomePage"},
      {"Nie zezwalaj na zmianę ustawień Języka", "Languages"},
      {"Nie zezwalaj na zmianę ustawień Łącz", "Links"},
      {"Nie zezwalaj na zmianę programu pocztowego, grup dyskusyjnych i wywołania internetowego", "Messaging"},
      {"Zablokuj dostęp do \"Mój profil\"", "Profiles"},
      {"Nie zezwalaj na zmianę ustawień serwera proxy", "Proxy"},
      {"Zablokuj dostęp do Klasyfikatora treści", "Ratings"},
      {"Zablokuj dostęp do Microsoft Wallet (IE 4.x i 5.00)", "Wallet"},
      {"Zablokuj zmianę ustawień w \"Dostępność\"", "Accessibility"},
      {"Ukryj zakładkę \"Ogólne\"", "GeneralTab"},
      {"Ukryj zakładkę \"Zabezpieczenia\"", "SecurityTab"},
      {"Ukryj zakładkę \"Zawartość\"", "ContentTab"},
      {"Ukryj zakładkę \"Połączenia\"", "ConnectionsTab"},
      {"Ukryj zakładkę \"Programy\"", "ProgramsTab"},
      {"Ukryj zakładkę \"Prywatność\"", "PrivacyTab"},
      {"Ukryj zakładkę \"Zaawansowane\"", "AdvancedTab"},
      {"Zablokuj dostęp do certyfikatów (CertifPers)", "CertifPers"},
      {"Zablokuj dostęp do certyfikatów (CertifSite)", "CertifSite"},
      {"Zablokuj dostęp do \"Wydawcy\"", "CertifPub"},
      {"Zablokuj zmianę poziomu zabezpieczen dla strefy internetowej", "SecChangeSettings"},
      {"Zablokuj dodawanie stron do stref", "SecAddSites"},
      {"Zablokuj zmianę opcji w zakładce \"Prywatność\"", "Privacy Settings"},
      {"Zablokuj zmiany ustawien formularzy w autouzupełnianiu", "FormSuggest"},
      {"Zablokuj zmiany ustawien haseł w autouzupełnianiu", "FormSuggest Passwords"},
      {"Zablokuj dostep do konfiguracji nowego połączenia", "Connwiz Admin Lock"},
      {"Nie zezwalaj na zmiany tymczasowych plików internetowych", "Settings"},
      {"Zablokuj przycisk \"Resetuj ustawienia sieci WEB...\"", "ResetWebSettings"},
  }};
  return options;
}

// A restriction box and the library's read and write exports of its value.
struct TDLLForm::Restriction {
  qb::tk::CheckBox TDLLForm::*box;
  const char* value;
  unsigned char(__stdcall* get)();
  void(__stdcall* save)(int);
};

// A toolbar box and where its value lives.
struct TDLLForm::Toolbar {
  qb::tk::CheckBox TDLLForm::*box;
  const char* key;
  const char* value;
};

const std::array<TDLLForm::Restriction, 14>& TDLLForm::restrictions() {
#define R(box, name) Restriction{&TDLLForm::box, #name, &Get##name, &Save##name}
  static const std::array<Restriction, 14> table{{
      R(Ie2, AlwaysPromptWhenDownload), R(Ie3, NoBrowserClose),  R(Ie4, NoBrowserBars),
      R(Ie5, NoBrowserContextMenu),     R(Ie6, NoBrowserOptions), R(Ie7, NoBrowserSaveAs),
      R(Ie8, NoFavorites),              R(Ie9, NoNavButtons),     R(Ie10, NoOpeninNewWnd),
      R(Ie11, NoPrinting),              R(Ie12, NoSelectDownloadDir), R(Ie13, NoTheaterMode),
      R(Ie14, NoViewSource),            R(Ie15, RestGoMenu),
  }};
#undef R
  return table;
}

// In the order they are read; written in another order (see SaveToolBar).
const std::array<TDLLForm::Toolbar, 6>& TDLLForm::toolbars() {
  static const std::array<Toolbar, 6> table{{
      {&TDLLForm::TB3, kToolbars, "NoLinksBar"},
      {&TDLLForm::TB2, kToolbars, "NoToolBar"},
      {&TDLLForm::TB4, kToolbars, "NoAddressBar"},
      {&TDLLForm::TB1, kToolbars, "NoToolbarOptions"},
      {&TDLLForm::TB5, kExplorerPolicies, "NoToolbarCustomize"},
      {&TDLLForm::TB6, kExplorerPolicies, "NoBandCustomize"},
  }};
  return table;
}

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

namespace {
constexpr int kRow = 19;  // check box rows of the restriction screens
}

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", "TDLLForm", {0, 0, 560, 410}),
      PageControl1(*this, "PageControl1", {0, 0, 560, 410}),
      TS1(PageControl1, "TS1"),
      TS2(PageControl1, "TS2"),
      TS3(PageControl1, "TS3"),
      TS4(PageControl1, "TS4"),
      TS5(PageControl1, "TS5"),
      Label1(TS1, "Label1", {16, 12, 400, 26}, "Internet Explorer"),
      Label12(TS1, "Label12", {32, 56, 200, 16}, "Ustawienia", 1),
      Label2(TS1, "Label2", {32, 74, 500, 16}, "Ustawienia strony startowej i identyfikacji przeglądarki."),
      Label11(TS1, "Label11", {32, 104, 200, 16}, "Wyszukiwarki", 2),
      Label3(TS1, "Label3", {32, 122, 500, 16}, "Ustawienia wyszukiwarek."),
      Label10(TS1, "Label10", {32, 152, 200, 16}, "Ograniczenia", 3),
      Label4(TS1, "Label4", {32, 170, 500, 16}, "Ograniczenia dostępu do niektórych funkcji i pasków narzedziowych."),
      Label17(TS1, "Label17", {32, 200, 200, 16}, "Opcje Internetowe", 4),
      Label5(TS1, "Label5", {32, 218, 500, 16}, "Ograniczenia dostępu do ustawień Opcji Internetowych"),
      Label6(TS2, "Label6", {8, 6, 300, 22}, "Ustawienia"),
      Label7(TS2, "Label7", {16, 34, 400, 16}, "Nazwa wyświetlana na pasku tytułowym"),
      IE_edit(TS2, "IE_edit", {16, 51, 520, 21}),
      Label8(TS2, "Label8", {16, 78, 400, 16}, "Strona startowa:"),
      IE_startpage(TS2, "IE_startpage", {16, 95, 520, 21}),
      ie_check1(TS2, "ie_check1", {16, 122, 300, 19}, "Pokaż przycisk Przejdź"),
      GroupBox1(TS2, "GroupBox1", {8, 146, 536, 160}, "Identyfikacja przeglądarki"),
      Label13(GroupBox1, "Label13", {12, 24, 96, 16}, "Przeglądarka"),
      Edit1(GroupBox1, "Edit1", {110, 21, 410, 21}),
      Label14(GroupBox1, "Label14", {12, 52, 96, 16}, "Compatible"),
      Edit2(GroupBox1, "Edit2", {110, 49, 410, 21}),
      Label15(GroupBox1, "Label15", {12, 80, 96, 16}, "Wersja"),
      Edit3(GroupBox1, "Edit3", {110, 77, 410, 21}),
      Label16(GroupBox1, "Label16", {12, 108, 96, 16}, "Platforma"),
      Edit4(GroupBox1, "Edit4", {110, 105, 410, 21}),
      Label18(GroupBox1, "Label18", {12, 134, 500, 16}, "Puste pola oznaczają ustawienia domyslne."),
      IE7Menu(TS2, "IE7Menu", {16, 314, 520, 19}, "Wyświetl menu nad paskiem adresu(IE7/8) "),
      CheckBox1(TS2, "CheckBox1", {16, 335, 520, 19}, "Wyświetl pole wyszukiwania (IE7/8) "),
      CheckBox2(TS2, "CheckBox2", {16, 356, 520, 19}, "Wyświetl pasek poleceń (IE8) "),
      GroupBox2(TS3, "GroupBox2", {8, 8, 536, 380}, "Wyszukiwarki"),
      ListView1(GroupBox2, "ListView1", {12, 22, 512, 230}, qb::tk::ListOption::RowSelect),
      Label19(GroupBox2, "Label19", {12, 264, 50, 16}, "URL"),
      URL(GroupBox2, "URL", {64, 261, 460, 21}),
      Label20(GroupBox2, "Label20", {12, 292, 50, 16}, "Prefix"),
      Prefix(GroupBox2, "Prefix", {64, 289, 140, 21}),
      Label21(GroupBox2, "Label21", {12, 318, 512, 16}, "Wyszukiwane słowo musi być zastąpione %s"),
      Button2(GroupBox2, "Button2", {348, 342, 84, 25}, "Usuń"),
      Button1(GroupBox2, "Button1", {440, 342, 84, 25}, "Dodaj"),
      GroupBox3(TS4, "GroupBox3", {8, 4, 536, 14 * kRow + 26}, "Blokada funkcji programu"),
      Ie2(GroupBox3, "Ie2", {12, 20 + 0 * kRow, 512, 18}, "Pytaj co zrobic przy sciąganiu pliku"),
      Ie3(GroupBox3, "Ie3", {12, 20 + 1 * kRow, 512, 18}, "Blokada zamknięcia przeglądarki"),
      Ie4(GroupBox3, "Ie4", {12, 20 + 2 * kRow, 512, 18}, "Blokoada przesuwania pasków narzędzi"),
      Ie5(GroupBox3, "Ie5", {12, 20 + 3 * kRow, 512, 18}, "Wyłącz menu kontekstowe dla stron WWW"),
      Ie6(GroupBox3, "Ie6", {12, 20 + 4 * kRow, 512, 18}, "Zablokuj dostęp do zakładki OPCJE INTERNETOWE"),
      Ie7(GroupBox3, "Ie7", {12, 20 + 5 * kRow, 512, 18}, "Wyłącz polecenia \"Zapisz Jako...' w menu Plik"),
      Ie8(GroupBox3, "Ie8", {12, 20 + 6 * kRow, 512, 18}, "Zablokuj dostep do Ulubionych"),
      Ie9(GroupBox3, "Ie9", {12, 20 + 7 * kRow, 512, 18}, "Wyłącz przyciski nawigacyjne "),
      Ie10(GroupBox3, "Ie10", {12, 20 + 8 * kRow, 512, 18}, "Zablokuj polecenia \"Otwórz w nowym oknie\""),
      Ie11(GroupBox3, "Ie11", {12, 20 + 9 * kRow, 512, 18}, "Wyłącz polecenie \"Drukuj\" i \"Podgląd wydruku\""),
      Ie15(GroupBox3, "Ie15", {12, 20 + 10 * kRow, 512, 18}, "Wyłącza polecenie \"Poczta i grupy dyskusyjne\""),
      Ie14(GroupBox3, "Ie14", {12, 20 + 11 * kRow, 512, 18}, "Zablokuj polecenie \"Pokaż źródło\""),
      Ie13(GroupBox3, "Ie13", {12, 20 + 12 * kRow, 512, 18}, "Zablokuj tryb pełnoekranowy "),
      Ie12(GroupBox3, "Ie12", {12, 20 + 13 * kRow, 512, 18},
           "Zablokuj wskazanie folderu docelowego podczas kopiowania z sieci"),
      GroupBox4(TS4, "GroupBox4", {8, 14 * kRow + 36, 536, 3 * kRow + 26}, "Paski narzędzi"),
      TB4(GroupBox4, "TB4", {12, 20 + 0 * kRow, 250, 18}, "Wyłącz pasek adresu"),
      TB3(GroupBox4, "TB3", {12, 20 + 1 * kRow, 250, 18}, "Wyłącz pasek Łącza"),
      TB2(GroupBox4, "TB2", {12, 20 + 2 * kRow, 250, 18}, "Wyłącz Przyciski"),
      TB1(GroupBox4, "TB1", {272, 20 + 0 * kRow, 252, 18}, "Zablokuj zmianę pasków narzędzi"),
      TB6(GroupBox4, "TB6", {272, 20 + 1 * kRow, 252, 18}, "Wyłącz zmianę pasków narzędzi "),
      TB5(GroupBox4, "TB5", {272, 20 + 2 * kRow, 252, 18}, "Wyłącz 'Dostosuj...'"),
      ScrollBox1(TS5, "ScrollBox1", {0, 0, 560, 410}),
      GroupBox5(ScrollBox1, "GroupBox5", {8, 8, 604, static_cast<int>(kInternetOptionCount) * kRow + 28},
                "Opcje Internetowe") {
  PageControl1.setAlign(qb::tk::Align::Client);
  // The headers are hidden; the names still tell the screens apart to accessibility tools.
  TS2.setCaption("Ustawienia");
  TS3.setCaption("Wyszukiwarki");
  TS4.setCaption("Ograniczenia");
  TS5.setCaption("Opcje Internetowe");
  ScrollBox1.setAlign(qb::tk::Align::Client);
  Label1.setEmphasis(true, 14, std::nullopt);
  Label6.setEmphasis(true, 12, std::nullopt);
  Label18.setEmphasis(false, 0, RGB(255, 0, 0));
  for (qb::tk::LinkLabel* link : {&Label12, &Label11, &Label10, &Label17})
    link->onClick = [this](qb::tk::Control& s) { Label12Click(s); };

  ie_check1.setChecked(true);
  ie_check1.setEnabled(false);

  ListView1.addColumn("Prefix", 80);
  ListView1.addColumn("URL", 320);
  ListView1.onSelectItem = [this](qb::tk::ListView& s, int row, bool selected) { ListView1SelectItem(s, row, selected); };
  Button1.onClick = [this](qb::tk::Control& s) { Button1Click(s); };
  Button2.onClick = [this](qb::tk::Control& s) { Button2Click(s); };

  // Wide enough for the longest caption ("Messaging"); a narrower page scrolls sideways to it.
  const auto& options = internetOptions();
  for (size_t i = 0; i < options.size(); ++i)
    internetOptionBoxes_.push_back(std::make_unique<qb::tk::CheckBox>(
        GroupBox5, "IECPL" + std::to_string(i + 1), qb::tk::Bounds{12, 20 + static_cast<int>(i) * kRow, 580, 18},
        options[i].caption));
  ScrollBox1.updateScrollRange();
}

void TDLLForm::FormShow() {
  PageControl1.setActivePage(TS1);
  IE_edit.setText(libraryText(GetIEWindowTitle()));
  IE_startpage.setText(libraryText(GetIEStartPage()));
  loadRestrictions();
  FillSearchList();
  loadIdentification();
  loadInternetOptions();
  GetToolBar();
  LoadIE7Settings();
}

// Every write throws when refused, which ends the sequence there; the shell
// tells the user which value could not be saved. Values written before stay.
void TDLLForm::Apply() {
  writeMainText("Window Title", IE_edit.text());
  writeMainText("Start Page", IE_startpage.text());
  saveRestrictions();
  saveIdentification();
  saveInternetOptions();
  SaveToolBar();
  SaveIE7Settings();
}

void TDLLForm::Back() { PageControl1.setActivePage(TS1); }

void TDLLForm::Label12Click(qb::tk::Control& sender) {
  qb::tk::TabSheet* const screens[] = {&TS2, &TS3, &TS4, &TS5};
  if (sender.tag >= 1 && sender.tag <= 4) PageControl1.setActivePage(*screens[sender.tag - 1]);
}

// ---- Restrictions, through the browser settings library

void TDLLForm::loadRestrictions() {
  // Only ever checks: a box the user checked stays checked when the page is shown again.
  for (const Restriction& r : restrictions())
    if (r.get()) (this->*r.box).setChecked(true);
}

void TDLLForm::saveRestrictions() {
  for (const Restriction& r : restrictions()) {
    r.save((this->*r.box).checked() ? 1 : 0);
    // The library reports a refused write through the thread's last error.
    const DWORD code = GetLastError();
    if (code != ERROR_SUCCESS)
      throw reg::RegistryError("cannot write value",
                               std::string("HKEY_CURRENT_USER\\") + kRestrictions + " \"" + r.value + '"',
                               static_cast<LONG>(code));
  }
}

// ---- Identification string

void TDLLForm::loadIdentification() {
  qb::tk::Edit* const edits[] = {&Edit1, &Edit2, &Edit3, &Edit4};
  const qb::win::UniqueKey key = reg::openKey(HKEY_LOCAL_MACHINE, kUserAgent);
  for (size_t i = 0; i < 4; ++i) {
    std::string text = "-1";
    if (key) {
      reg::Text value = reg::readText(key.get(), kUserAgentValues[i]);
      text = value.found == reg::Found::Value ? std::move(value.text) : std::string();
    }
    // An absent value leaves the edit as it is.
    if (qb::storedTextPresent(text)) edits[i]->setText(text);
  }
}

void TDLLForm::saveIdentification() {
  const qb::tk::Edit* const edits[] = {&Edit1, &Edit2, &Edit3, &Edit4};
  for (size_t i = 0; i < 4; ++i) reg::writeText(HKEY_LOCAL_MACHINE, kUserAgent, kUserAgentValues[i], edits[i]->text());
  // An empty field means the browser's default: the named value goes. The
  // default value stays, empty.
  for (size_t i = 3; i >= 1; --i)
    if (edits[i]->text().empty()) reg::deleteValue(HKEY_LOCAL_MACHINE, kUserAgent, kUserAgentValues[i]);
}

// ---- Internet Options policies

void TDLLForm::loadInternetOptions() {
  const auto& options = internetOptions();
  for (size_t i = 0; i < options.size(); ++i) loadPolicyBox(*internetOptionBoxes_[i], kControlPanel, options[i].value);
}

void TDLLForm::saveInternetOptions() {
  const auto& options = internetOptions();
  for (size_t i = 0; i < options.size(); ++i) savePolicyBox(*internetOptionBoxes_[i], kControlPanel, options[i].value);
}

// ---- Toolbars

void TDLLForm::GetToolBar() {
  for (const Toolbar& t : toolbars()) loadPolicyBox(this->*t.box, t.key, t.value);
}

void TDLLForm::SaveToolBar() {
  // The address bar goes after the toolbar options, unlike the reading order.
  const auto& t = toolbars();
  for (const Toolbar* each : {&t[0], &t[1], &t[3], &t[2], &t[4], &t[5]}) savePolicyBox(this->*each->box, each->key, each->value);
}

// ---- IE7/IE8 display options

void TDLLForm::LoadIE7Settings() {
  const bool supported = ie7OptionsSupported(qb::win::windowsVersion());
  for (qb::tk::CheckBox* box : {&IE7Menu, &CheckBox1, &CheckBox2}) box->setEnabled(supported);
  if (!supported) return;
  readAlone([&] {
    if (const auto n = readPolicyNumber(kWebBrowserToolbar, "ITBar7Position")) IE7Menu.setChecked(*n == 1);
  });
  readAlone([&] {
    // Only an explicit 0 hides the command bar.
    if (const auto n = readPolicyNumber(kCommandBar, "CommandBarEnabled")) CheckBox2.setChecked(*n != 0);
  });
  readAlone([&] {
    if (const auto n = readPolicyNumber(kInfodelivery, "NoSearchBox")) CheckBox1.setChecked(*n != 1);
  });
}

void TDLLForm::SaveIE7Settings() {
  // Elsewhere the boxes are disabled and show no stored state; writing them
  // would overwrite what another browser version keeps there.
  if (!ie7OptionsSupported(qb::win::windowsVersion())) return;
  reg::writeNumber(HKEY_CURRENT_USER, kWebBrowserToolbar, "ITBar7Position", IE7Menu.checked() ? 1 : 0);
  reg::writeNumber(HKEY_CURRENT_USER, kInfodelivery, "NoSearchBox", CheckBox1.checked() ? 0 : 1);
  reg::writeNumber(HKEY_CURRENT_USER, kCommandBar, "CommandBarEnabled", CheckBox2.checked() ? 1 : 0);
}

// ---- Search prefixes

void TDLLForm::FillSearchList() {
  const qb::tk::ListView::UpdateScope update(ListView1);
  ListView1.clear();
  prefixes_.clear();
  try {
    std::vector<std::string> names;
    if (const qb::win::UniqueKey key = reg::openKey(HKEY_CURRENT_USER, kSearchUrl)) names = reg::subkeyNames(key.get());
    for (std::string& name : names) {
      const qb::win::UniqueKey sub = reg::openKey(HKEY_CURRENT_USER, std::string(kSearchUrl) + '\\' + name);
      if (!sub) continue;
      const std::string url = reg::readText(sub.get(), "").text;
      const int row = ListView1.addItem(name);
      ListView1.setSubItem(row, 1, url);
      prefixes_.push_back(std::move(name));
    }
  } catch (const std::exception&) {
    // The rows listed so far stay.
  }
}

void TDLLForm::Button1Click(qb::tk::Control&) {
  const std::string prefix = Prefix.text();
  const std::string path = prefix.empty() ? std::string(kSearchUrl) : std::string(kSearchUrl) + '\\' + prefix;
  // A backslash would make nested keys: a prefix of its first part with no
  // address, and the typed one nowhere in the list.
  if (prefix.find('\\') != std::string::npos)
    throw reg::RegistryError("cannot write value", "HKEY_CURRENT_USER\\" + path, ERROR_INVALID_NAME);
  reg::writeText(HKEY_CURRENT_USER, path, "", URL.text());
  FillSearchList();
}

void TDLLForm::Button2Click(qb::tk::Control&) {
  const int row = ListView1.selectedIndex();
  // The selected row's own prefix, whatever the edit says by now. A prefix
  // that is gone already leaves nothing to delete.
  if (row >= 0 && static_cast<size_t>(row) < prefixes_.size())
    reg::deleteTree(HKEY_CURRENT_USER, std::string(kSearchUrl) + '\\' + prefixes_[row]);
  FillSearchList();
}

void TDLLForm::ListView1SelectItem(qb::tk::ListView& sender, int row, bool selected) {
  if (!selected || row < 0 || static_cast<size_t>(row) >= prefixes_.size()) return;
  URL.setText(sender.itemText(row, 1));
  Prefix.setText(prefixes_[row]);
}
