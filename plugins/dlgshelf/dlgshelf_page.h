#pragma once
// The places bar page: how the common open and save dialogs show the places
// bar at their left edge, and two further switches of those dialogs.
#include <array>
#include <cstdint>
#include <string>

#include "qb/shell/page.h"
#include "qb/tk/container.h"
#include "qb/tk/controls.h"
#include "qb/win/version.h"

// A line of the place combos: its text and the folder number the dialogs
// understand for it (entry 0, "none", has no number and keeps the slot empty).
struct KnownPlace {
  std::string text;
  bool hasNumber;
  std::uint32_t number;
};
using KnownPlaces = std::array<KnownPlace, 13>;

// The module's table of places. The language file replaces its texts, and
// they stay replaced for as long as the module is loaded.
const KnownPlaces& knownPlaces();

// The dialogs of this Windows have a places bar that can be configured.
bool placesBarSupported(const qb::win::WindowsVersion& v);

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::ScrollBox ScrollBox1;
  qb::tk::GroupBox GB1;
  qb::tk::RadioButton RadioButton1;
  qb::tk::RadioButton RadioButton2;
  qb::tk::RadioButton RadioButton3;
  qb::tk::ComboBox Place1Combo;
  qb::tk::ComboBox Place2Combo;
  qb::tk::ComboBox Place3Combo;
  qb::tk::ComboBox Place4Combo;
  qb::tk::ComboBox Place5Combo;
  qb::tk::GroupBox GB2;
  qb::tk::CheckBox CheckBox1;
  qb::tk::CheckBox CheckBox2;

  void RadioButton1Click(qb::tk::Control& sender);
  void Apply() override;

 protected:
  void FormShow() override;

 private:
  std::array<qb::tk::ComboBox*, 5> placeCombos();
  void enablePlaceCombos(bool on);
  void readPlaces();
  void SavePlaces();
};
