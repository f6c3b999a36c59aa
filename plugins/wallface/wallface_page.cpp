#include "wallface_page.h"

#include <shlobj.h>

#include <utility>

#include "qb/tk/pictures/graphic.h"
#include "qb/wallface/tga_image.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "regtwist.h"

namespace reg = qb::win::reg;

namespace {

// ".tga" files load through the Targa reader for as long as the module is loaded.
const qb::wallface::TgaFormatRegistration tgaFormat;

const char kNewStartPanel[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel";
const char kClassicStartMenu[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\ClassicStartMenu";
const char kNetworkPlaces[] = "{208D2C60-3AEA-1069-A2D7-08002B30309D}";
const char kMyComputer[] = "{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
const char kMyDocuments[] = "{450D8FBA-AD25-11D0-98A8-0800361B1103}";
const char kRecycleBin[] = "{645FF040-5081-101B-9F08-00AA002F954E}";

const char kConvertedName[] = "Tapeta.BMP";
const char kWindowsDirectoryTooLong[] = "Nie można ustalić katalogu Windows";

// A desktop value of the library, copied at once, in UTF-8.
std::string desktopInfo(const char* name) {
  const char* text = GetDesktopInfo(name);
  return text ? qb::win::narrow(qb::win::fromAnsi(text)) : std::string();
}

bool storedAsOne(const char* key, const char* name) {
  const reg::Number n = reg::readNumber(HKEY_CURRENT_USER, key, name);
  return n.found == reg::Found::Value && n.value == 1;
}

}  // namespace

const char kPictureFilter[] =
    "Bitmaps (*.bmp)|*.bmp|JPG / JPEG|*.jpg;*.jpeg|Metafiles (*.wmf)|*.wmf|Enhanced Metafiles (*.emf)|*.emf|"
    "Targa (*.tga)|*.tga|GIF (*.gif)|*.gif|Wszystkie obsługiwane pliki|*.bmp;*.jpg;*.jpeg;*.wmf;*.emf;*.tga;*.gif";

const std::array<const char*, 3> kPositionItems = {"Do środka", "Rozciągnięcie", "Sąsiadująco"};

const std::array<HiddenIcon, 8>& hiddenIcons() {
  static const std::array<HiddenIcon, 8> icons{{
      {kNewStartPanel, kNetworkPlaces},
      {kNewStartPanel, kMyComputer},
      {kNewStartPanel, kMyDocuments},
      {kNewStartPanel, kRecycleBin},
      {kClassicStartMenu, kNetworkPlaces},
      {kClassicStartMenu, kMyComputer},
      {kClassicStartMenu, kMyDocuments},
      {kClassicStartMenu, kRecycleBin},
  }};
  return icons;
}

bool hiddenIconsSupported(const qb::win::WindowsVersion& v) {
  return v.nt() && ((v.major == 5 && v.minor >= 1) || v.major == 6);
}

bool cleanupWizardSupported(const qb::win::WindowsVersion& v) { return v.nt() && v.major == 5 && v.minor == 1; }

std::string convertedWallpaperPath() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) throw qb::tk::pictures::PictureError(kWindowsDirectoryTooLong);
  std::wstring path(folder, length);
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return qb::win::narrow(path) + "\\" + kConvertedName;
}

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", "TDLLForm", {0, 0, 540, 420}),
      ScrollBox1(*this, "ScrollBox1", {0, 0, 540, 420}),
      GroupBox24(ScrollBox1, "GroupBox24", {8, 8, 516, 116}, "Ustawienia pulpitu"),
      desk_winver(GroupBox24, "desk_winver", {12, 20, 490, 20}, "Pokaż wersje Windows na Pulpicie"),
      desk_nodesk(GroupBox24, "desk_nodesk", {12, 42, 490, 20}, "Brak Pulpitu"),
      desk_deskstate(GroupBox24, "desk_deskstate", {12, 64, 490, 20}, "Wyłącz zapis stanu Pulpitu"),
      dcw(GroupBox24, "dcw", {12, 86, 490, 20}, "Uruchamiaj kreator oczyszczania pulpitu co 60 dni"),
      Label47(ScrollBox1, "Label47", {8, 134, 300, 16}, "Wybierz tapete Pulpitu"),
      tapetaname(ScrollBox1, "tapetaname", {8, 152, 296, 22}),
      SpeedButton11(ScrollBox1, "SpeedButton11", {308, 152, 26, 22}, "..."),
      TAP_desk(ScrollBox1, "TAP_desk", {347, 134, 177, 131}),
      Label61(ScrollBox1, "Label61", {8, 186, 300, 16}, "Położenie:"),
      desk_Combo(ScrollBox1, "desk_Combo", {8, 204, 200, 22}, qb::tk::ComboStyle::DropDown),
      GroupBox1(ScrollBox1, "GroupBox1", {8, 276, 516, 132}, "Ukryj ikony pulpitu"),
      GroupBox2(GroupBox1, "GroupBox2", {8, 18, 246, 106}, "Menu Start"),
      CheckBox1(GroupBox2, "CheckBox1", {10, 18, 226, 20}, "Mój Komputer"),
      CheckBox2(GroupBox2, "CheckBox2", {10, 39, 226, 20}, "Moje dokumenty"),
      CheckBox3(GroupBox2, "CheckBox3", {10, 60, 226, 20}, "Kosz"),
      CheckBox4(GroupBox2, "CheckBox4", {10, 81, 226, 20}, "Moje miejsca sieciowe"),
      GroupBox3(GroupBox1, "GroupBox3", {262, 18, 246, 106}, "Klasyczne Menu Start"),
      CheckBox5(GroupBox3, "CheckBox5", {10, 18, 226, 20}, "Mój Komputer"),
      CheckBox6(GroupBox3, "CheckBox6", {10, 39, 226, 20}, "Moje dokumenty"),
      CheckBox7(GroupBox3, "CheckBox7", {10, 60, 226, 20}, "Kosz"),
      CheckBox8(GroupBox3, "CheckBox8", {10, 81, 226, 20}, "Moje miejsca sieciowe"),
      tapopdlg(kPictureFilter) {
  ScrollBox1.setAlign(qb::tk::Align::Client);
  tapetaname.setFlat();
  for (const char* item : kPositionItems) desk_Combo.addItem(item);
  SpeedButton11.onClick = [this](qb::tk::Control& s) { SpeedButton11Click(s); };
}

std::array<qb::tk::CheckBox*, 8> TDLLForm::iconBoxes() {
  return {&CheckBox4, &CheckBox1, &CheckBox2, &CheckBox3, &CheckBox8, &CheckBox5, &CheckBox6, &CheckBox7};
}

void TDLLForm::FormShow() {
  if (GetPaintDesktopVersion() == 1) desk_winver.setChecked(true);
  if (GetNoDesktop() == 1) desk_nodesk.setChecked(true);
  if (GetNoSaveSettings() == 1) desk_deskstate.setChecked(true);

  readWallpaper();
  readPosition();

  const qb::win::WindowsVersion v = qb::win::windowsVersion();
  if (cleanupWizardSupported(v))
    dcw.setChecked(!storedAsOne(kCleanupWizardKey, kCleanupWizardValue));
  else
    dcw.setEnabled(false);

  if (v.nt()) {
    const auto boxes = iconBoxes();
    const auto& icons = hiddenIcons();
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (hiddenIconsSupported(v))
        boxes[i]->setChecked(storedAsOne(icons[i].key, icons[i].classId));
      else
        boxes[i]->setEnabled(false);
    }
  } else if (v.nineX()) {
    GroupBox1.setEnabled(false);
  }
}

void TDLLForm::readWallpaper() {
  const std::string path = desktopInfo("Wallpaper");
  tapetaname.setText(path);
  // Whatever keeps the preview from loading (no path, no file, a damaged
  // picture) leaves it empty without a word: the path is what counts.
  try {
    TAP_desk.loadFromFile(path);
  } catch (...) {
    TAP_desk.clear();
  }
}

void TDLLForm::readPosition() {
  const std::string style = desktopInfo("WallpaperStyle");
  if (style == "2")
    desk_Combo.setItemIndex(1);
  else if (style == "0")
    desk_Combo.setItemIndex(0);
  // Tiling wins over whatever the style says.
  if (desktopInfo("TileWallpaper") == "1") desk_Combo.setItemIndex(2);
}

void TDLLForm::Apply() {
  if (desk_winver.checked()) SaveDesktopVersion(); else SaveDesktopVersionFalse();
  if (desk_nodesk.checked()) SaveNoDesktop_1(); else SaveNoDesktop_0();
  if (desk_deskstate.checked()) NoSaveSettings_1(); else NoSaveSettings_0();

  savePosition();

  std::string wallpaper = qb::win::toAnsi(qb::win::widen(tapetaname.text()));
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, wallpaper.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);

  const qb::win::WindowsVersion v = qb::win::windowsVersion();
  if (cleanupWizardSupported(v))
    reg::writeNumber(HKEY_CURRENT_USER, kCleanupWizardKey, kCleanupWizardValue, dcw.checked() ? 0 : 1);
  if (hiddenIconsSupported(v)) {
    const auto boxes = iconBoxes();
    const auto& icons = hiddenIcons();
    for (size_t i = 0; i < boxes.size(); ++i)
      reg::writeNumber(HKEY_CURRENT_USER, icons[i].key, icons[i].classId, boxes[i]->checked() ? 1 : 0);
  }

  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

void TDLLForm::savePosition() {
  // Only an exact item counts: a typed text, even one differing only in case, stores nothing.
  const std::string text = desk_Combo.text();
  if (text == kPositionItems[0]) {
    SaveDesktopInfo("WallpaperStyle", "0");
    SaveDesktopInfo("TileWallpaper", "0");
  } else if (text == kPositionItems[1]) {
    SaveDesktopInfo("WallpaperStyle", "2");
    SaveDesktopInfo("TileWallpaper", "0");
  } else if (text == kPositionItems[2]) {
    SaveDesktopInfo("TileWallpaper", "1");
  }
}

void TDLLForm::SpeedButton11Click(qb::tk::Control&) {
  if (!tapopdlg.execute(hwnd())) return;
  const std::string chosen = tapopdlg.fileName();
  // A picture that cannot be read ends here with the reader's message; the
  // preview and the path stay as they were.
  qb::tk::pictures::Picture picture;
  picture.LoadFromFile(chosen);
  if (tapopdlg.filterIndex() == 1) {
    TAP_desk.setPicture(std::move(picture));
    tapetaname.setText(chosen);
    return;
  }
  // Any other filter converts whatever was chosen into one bitmap file that
  // every Windows can show. The preview and the path change only once the
  // file is written whole.
  const std::string converted = convertedWallpaperPath();
  picture.SaveAsBitmapFile(converted);
  TAP_desk.loadFromFile(converted);
  tapetaname.setText(converted);
}
