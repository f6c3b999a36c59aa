#pragma once
// The desktop page: three desktop switches, the cleanup wizard, the wallpaper
// with its preview and position, and the system icons the desktop hides under
// each kind of start menu.
#include <array>
#include <string>

#include "picture_preview.h"
#include "qb/shell/page.h"
#include "qb/tk/container.h"
#include "qb/tk/controls.h"
#include "qb/tk/filedialog.h"
#include "qb/win/version.h"

// One hidden-icon switch: the start-menu kind's key and the icon's class id.
struct HiddenIcon {
  const char* key;
  const char* classId;
};
// In the order the page reads and writes them; the page's check box of each
// is iconBoxes()[i].
const std::array<HiddenIcon, 8>& hiddenIcons();

inline constexpr char kCleanupWizardKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\CleanupWiz";
inline constexpr char kCleanupWizardValue[] = "NoRun";

// The designer's filter of the picture dialog.
extern const char kPictureFilter[];
// The items of desk_Combo, by index.
extern const std::array<const char*, 3> kPositionItems;

// The version gates.
bool hiddenIconsSupported(const qb::win::WindowsVersion& v);
bool cleanupWizardSupported(const qb::win::WindowsVersion& v);

// Where a chosen picture is converted to: "Tapeta.BMP" in the Windows directory.
std::string convertedWallpaperPath();

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::ScrollBox ScrollBox1;
  qb::tk::GroupBox GroupBox24;
  qb::tk::CheckBox desk_winver;
  qb::tk::CheckBox desk_nodesk;
  qb::tk::CheckBox desk_deskstate;
  qb::tk::CheckBox dcw;
  qb::tk::Label Label47;
  qb::tk::Edit tapetaname;
  qb::tk::Button SpeedButton11;
  qb::wallface::PicturePreview TAP_desk;
  qb::tk::Label Label61;
  qb::tk::ComboBox desk_Combo;
  qb::tk::GroupBox GroupBox1;
  qb::tk::GroupBox GroupBox2;
  qb::tk::CheckBox CheckBox1;
  qb::tk::CheckBox CheckBox2;
  qb::tk::CheckBox CheckBox3;
  qb::tk::CheckBox CheckBox4;
  qb::tk::GroupBox GroupBox3;
  qb::tk::CheckBox CheckBox5;
  qb::tk::CheckBox CheckBox6;
  qb::tk::CheckBox CheckBox7;
  qb::tk::CheckBox CheckBox8;
  qb::tk::OpenDialog tapopdlg;

  // The hidden-icon boxes in the order of hiddenIcons().
  std::array<qb::tk::CheckBox*, 8> iconBoxes();

  void SpeedButton11Click(qb::tk::Control& sender);
  void Apply() override;

 protected:
  void FormShow() override;

 private:
  void readWallpaper();
  void readPosition();
  void savePosition();
};
