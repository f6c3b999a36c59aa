#include "warmload_page.h"

#include <shellapi.h>

#include "factbase.h"
#include "qb/shell/language.h"
#include "qb/text.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"
#include "regtwist.h"

namespace {
// What FindFirstFile reports for a volume label on the systems that still have them.
constexpr DWORD kVolumeLabelAttribute = 0x8;
const wchar_t kExtension[] = L".pf";
}  // namespace

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", "TDLLForm", {0, 0, 520, 420}),
      GroupBoxP(*this, "GroupBoxP", {8, 8, 500, 136}, "Prefetch"),
      Prefetch1(GroupBoxP, "Prefetch1", {12, 22, 440, 20}, "Wyłącz"),
      Prefetch2(GroupBoxP, "Prefetch2", {12, 48, 440, 20}, "Tylko uruchamiane programy"),
      Prefetch3(GroupBoxP, "Prefetch3", {12, 74, 440, 20}, "Tylko pliki ładowane podczas uruchamiania (zalecane)"),
      Prefetch4(GroupBoxP, "Prefetch4", {12, 100, 470, 20},
                "Uruchamiane programy i pliki ładowane podczas uruchamiania (domyślne)"),
      R1(GroupBoxP, "R1", {456, 58, 16, 24}, "!"),
      ListViewlog(*this, "ListViewlog", {8, 152, 500, 220},
                  qb::tk::ListOption::CheckBoxes | qb::tk::ListOption::RowSelect),
      Button1(*this, "Button1", {8, 380, 160, 28}, "Usuń zaznaczone") {
  GroupBoxP.setBoldCaption(true);
  R1.setEmphasis(true, 14, RGB(255, 0, 0));
  ListViewlog.addColumn("Pliki *.pf", 400);
  Button1.onClick = [this](qb::tk::Control& s) { Button1Click(s); };
}

bool prefetchSettingsExist(const qb::win::WindowsVersion& v) {
  return v.nt() && v.major == 5 && (v.minor == 1 || v.minor == 2);
}

std::wstring prefetchRowCaption(const std::wstring& displayName) {
  const size_t n = displayName.size();
  if (n >= 3 && displayName.compare(n - 3, 3, kExtension) == 0) return displayName;
  return displayName + kExtension;
}

std::wstring TDLLForm::prefetchFolder() {
  unsigned char counted[qb::kCountedTextBuffer] = {};
  GetWindowsFolder(counted);
  return qb::win::fromAnsi(qb::readCountedText(counted)) + L"\\prefetch\\";
}

void TDLLForm::FormShow() {
  if (prefetchSettingsExist(qb::win::windowsVersion())) {
    qb::tk::RadioButton* const byMode[] = {&Prefetch1, &Prefetch2, &Prefetch3, &Prefetch4};
    const int mode = GetPrefetchSTS();
    if (mode >= 0 && mode <= 3) byMode[mode]->setChecked(true);
    LoadPFFiles();
  } else {
    for (qb::tk::Control* c : std::initializer_list<qb::tk::Control*>{&Prefetch1, &Prefetch2, &Prefetch3, &Prefetch4,
                                                              &Button1, &ListViewlog})
      c->setEnabled(false);
  }
  qb::shell::LoadLangFile("prefetch", {
                                      qb::shell::captionKey("x1", Prefetch1),
                                      qb::shell::captionKey("x2", Prefetch2),
                                      qb::shell::captionKey("x3", Prefetch3),
                                      qb::shell::captionKey("x4", Prefetch4),
                                      qb::shell::captionKey("x5", Button1),
                                      qb::shell::columnTitleKey("x6", ListViewlog, 0),
                                      qb::shell::captionKey("x7", GroupBoxP),
                                  });
}

void TDLLForm::LoadPFFiles() {
  const std::wstring folder = prefetchFolder();
  const qb::tk::ListView::UpdateScope update(ListViewlog);
  ListViewlog.clear();
  files_.clear();
  WIN32_FIND_DATAW found{};
  qb::win::UniqueFind search(FindFirstFileW((folder + L"*" + kExtension).c_str(), &found));
  if (search) {
    do {
      if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | kVolumeLabelAttribute)) continue;
      const std::wstring path = folder + found.cFileName;
      SHFILEINFOW info{};
      // Whatever goes wrong ends the listing quietly; the rows so far stay.
      if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) break;
      const int row = ListViewlog.addItem(qb::win::narrow(prefetchRowCaption(info.szDisplayName)));
      if (row < 0) break;
      ListViewlog.setChecked(row, true);
      files_.push_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
  }
}

void TDLLForm::Button1Click(qb::tk::Control&) {
  const std::wstring folder = prefetchFolder();
  // Each row deletes the file it was listed from: a display name need not name it.
  for (int row = 0; row < ListViewlog.count() && static_cast<size_t>(row) < files_.size(); ++row)
    if (ListViewlog.checked(row)) DeleteFileW((folder + files_[static_cast<size_t>(row)]).c_str());
  LoadPFFiles();
}

void TDLLForm::Apply() {
  const qb::tk::RadioButton* const byMode[] = {&Prefetch1, &Prefetch2, &Prefetch3, &Prefetch4};
  for (int mode = 0; mode < 4; ++mode)
    if (byMode[mode]->checked()) {
      PrefetchSave(mode);
      return;
    }
}
