#pragma once
// The browser settings page: Internet Explorer's window title, start page and
// identification string, three IE7/IE8 display options, the search prefixes,
// and the restriction policies of the current user, on four screens reached
// from an index screen.
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "qb/shell/page.h"
#include "qb/tk/container.h"
#include "qb/tk/controls.h"
#include "qb/tk/listview.h"
#include "qb/tk/pagecontrol.h"
#include "qb/win/version.h"

// Registry places the page reads and writes itself.
namespace browser_keys {
inline constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr char kUserAgent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\User Agent";
inline constexpr char kSearchUrl[] = "Software\\Microsoft\\Internet Explorer\\SearchUrl";
inline constexpr char kRestrictions[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
inline constexpr char kToolbars[] = "\\Software\\Policies\\Microsoft\\Internet Explorer\\Toolbars\\Restrictions";
inline constexpr char kExplorerPolicies[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
inline constexpr char kControlPanel[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
inline constexpr char kWebBrowserToolbar[] = "\\Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser";
inline constexpr char kInfodelivery[] = "\\Software\\Policies\\Microsoft\\Internet Explorer\\Infodelivery\\Restrictions";
inline constexpr char kCommandBar[] = "\\Software\\Microsoft\\Internet Explorer\\CommandBar";
}  // namespace browser_keys

// The Windows versions whose browser (IE7/IE8 on XP and Server 2003) knows
// the three display options of the settings screen.
bool ie7OptionsSupported(const qb::win::WindowsVersion& v);

// The Internet Options policies, in the order of their boxes IECPL1 to IECPL38.
struct InternetOption {
  const char* caption;
  const char* value;
};
constexpr size_t kInternetOptionCount = 38;
const std::array<InternetOption, kInternetOptionCount>& internetOptions();

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::PageControl PageControl1;
  qb::tk::TabSheet TS1;
  qb::tk::TabSheet TS2;
  qb::tk::TabSheet TS3;
  qb::tk::TabSheet TS4;
  qb::tk::TabSheet TS5;

  // Index screen.
  qb::tk::Label Label1;
  qb::tk::LinkLabel Label12;
  qb::tk::Label Label2;
  qb::tk::LinkLabel Label11;
  qb::tk::Label Label3;
  qb::tk::LinkLabel Label10;
  qb::tk::Label Label4;
  qb::tk::LinkLabel Label17;
  qb::tk::Label Label5;

  // "Ustawienia".
  qb::tk::Label Label6;
  qb::tk::Label Label7;
  qb::tk::Edit IE_edit;
  qb::tk::Label Label8;
  qb::tk::Edit IE_startpage;
  qb::tk::CheckBox ie_check1;
  qb::tk::GroupBox GroupBox1;
  qb::tk::Label Label13;
  qb::tk::Edit Edit1;
  qb::tk::Label Label14;
  qb::tk::Edit Edit2;
  qb::tk::Label Label15;
  qb::tk::Edit Edit3;
  qb::tk::Label Label16;
  qb::tk::Edit Edit4;
  qb::tk::Label Label18;
  qb::tk::CheckBox IE7Menu;
  qb::tk::CheckBox CheckBox1;
  qb::tk::CheckBox CheckBox2;

  // "Wyszukiwarki".
  qb::tk::GroupBox GroupBox2;
  qb::tk::ListView ListView1;
  qb::tk::Label Label19;
  qb::tk::Edit URL;
  qb::tk::Label Label20;
  qb::tk::Edit Prefix;
  qb::tk::Label Label21;
  qb::tk::Button Button2;
  qb::tk::Button Button1;

  // "Ograniczenia".
  qb::tk::GroupBox GroupBox3;
  qb::tk::CheckBox Ie2;
  qb::tk::CheckBox Ie3;
  qb::tk::CheckBox Ie4;
  qb::tk::CheckBox Ie5;
  qb::tk::CheckBox Ie6;
  qb::tk::CheckBox Ie7;
  qb::tk::CheckBox Ie8;
  qb::tk::CheckBox Ie9;
  qb::tk::CheckBox Ie10;
  qb::tk::CheckBox Ie11;
  qb::tk::CheckBox Ie15;
  qb::tk::CheckBox Ie14;
  qb::tk::CheckBox Ie13;
  qb::tk::CheckBox Ie12;
  qb::tk::GroupBox GroupBox4;
  qb::tk::CheckBox TB4;
  qb::tk::CheckBox TB3;
  qb::tk::CheckBox TB2;
  qb::tk::CheckBox TB1;
  qb::tk::CheckBox TB6;
  qb::tk::CheckBox TB5;

  // "Opcje Internetowe".
  qb::tk::ScrollBox ScrollBox1;
  qb::tk::GroupBox GroupBox5;
  // IECPL1 to IECPL38: IECPL(1) is the first box.
  qb::tk::CheckBox& IECPL(size_t number) { return *internetOptionBoxes_.at(number - 1); }

  void Apply() override;
  void Back() override;

  void Label12Click(qb::tk::Control& sender);
  void Button1Click(qb::tk::Control& sender);
  void Button2Click(qb::tk::Control& sender);
  void ListView1SelectItem(qb::tk::ListView& sender, int row, bool selected);
  void LoadIE7Settings();
  void SaveIE7Settings();
  void GetToolBar();
  void SaveToolBar();

  // The prefix each row of ListView1 stands for, parallel to the rows.
  const std::vector<std::string>& prefixes() const { return prefixes_; }

 protected:
  void FormShow() override;

 private:
  struct Restriction;
  struct Toolbar;
  const std::array<Restriction, 14>& restrictions();
  const std::array<Toolbar, 6>& toolbars();

  void loadRestrictions();
  void saveRestrictions();
  void FillSearchList();
  void loadIdentification();
  void saveIdentification();
  void loadInternetOptions();
  void saveInternetOptions();

  std::vector<std::unique_ptr<qb::tk::CheckBox>> internetOptionBoxes_;
  std::vector<std::string> prefixes_;
};
