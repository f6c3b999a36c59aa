#include "chime_page.h"

#include "qb/shell/language.h"
#include "qb/text.h"
#include "qb/win/registry.h"

namespace reg = qb::win::reg;

namespace {
const char kSoundKey[] = "\\Control Panel\\Sound";
const char kBeepValue[] = "Beep";
}  // namespace

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<Tdllform>(); }

Tdllform::Tdllform()
    : PluginPage("Tdllform", "Tdllform", {0, 0, 400, 300}),
      ScrollBox1(*this, "ScrollBox1", {0, 0, 400, 300}),
      BeepBox1(ScrollBox1, "BeepBox1", {16, 16, 300, 20}, "Dźwięk 'beep' przy błedach") {
  ScrollBox1.setAlign(qb::tk::Align::Client);
}

bool beepTextMeansOn(const std::string& text) { return qb::asciiUpper(text) == "YES"; }

void Tdllform::FormShow() {
  qb::shell::LoadLangFile("chime", {qb::shell::captionKey("x1", BeepBox1)});

  std::string beep = "-1";
  if (const auto key = reg::openKey(HKEY_CURRENT_USER, kSoundKey)) {
    // A value that is not text reads like a missing one.
    beep = reg::readText(key.get(), kBeepValue).text;
  }
  BeepBox1.setChecked(beepTextMeansOn(beep));
}

void Tdllform::Apply() {
  reg::writeText(HKEY_CURRENT_USER, kSoundKey, kBeepValue, BeepBox1.checked() ? "Yes" : "No");
}
