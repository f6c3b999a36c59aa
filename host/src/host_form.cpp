#include "host_form.h"

#include <algorithm>

#include "qb/text.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace {
const char kSettingsKey[] = "\\Software\\Korvane\\Qubrix";
constexpr int kListWidth = 180;
constexpr int kMargin = 8;
constexpr int kBarHeight = 40;

std::wstring programFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s(path);
  return s.substr(0, s.find_last_of(L"\\/") + 1);
}

std::string stem(const std::wstring& file) { return qb::win::narrow(file.substr(0, file.find_last_of(L'.'))); }
}  // namespace

HostForm::HostForm()
    : Form("QubrixHost", kTitle, {40, 40, 900, 600}),
      ModuleList(*this, "ModuleList", {kMargin, kMargin, kListWidth, 500}),
      LanguageLabel(*this, "LanguageLabel", {kMargin, 520, 60, 20}, "Język:"),
      LanguageCombo(*this, "LanguageCombo", {kMargin + 60, 516, kListWidth - 60, 24}, qb::tk::ComboStyle::DropDownList),
      ApplyButton(*this, "ApplyButton", {600, 520, 100, 26}, "Zastosuj"),
      BackButton(*this, "BackButton", {710, 520, 100, 26}, "Wstecz"),
      folder_(programFolder()) {
  SetWindowLongW(hwnd(), GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  ModuleList.addColumn("Moduł", kListWidth - 8);
  ModuleList.onSelectItem = [this](qb::tk::ListView&, int row, bool selected) {
    if (selected) openModuleAt(row);
  };
  ApplyButton.onClick = [this](qb::tk::Control&) { current_.apply(); };
  BackButton.onClick = [this](qb::tk::Control&) { current_.back(); };
  LanguageCombo.onChange = [this](qb::tk::Control&) {
    std::string lang = LanguageCombo.text();
    if (lang == "Polski") lang.clear();
    qb::win::reg::writeText(HKEY_CURRENT_USER, kSettingsKey, "lang", lang);
  };
  ApplyButton.setEnabled(false);
  BackButton.setEnabled(false);
  findModules();
  findLanguages();
  layout();
}

void HostForm::findModules() {
  WIN32_FIND_DATAW found{};
  qb::win::UniqueFind search(FindFirstFileW((folder_ + L"*.dll").c_str(), &found));
  if (!search) return;
  std::vector<std::wstring> files;
  do files.emplace_back(found.cFileName);
  while (FindNextFileW(search.get(), &found));
  std::sort(files.begin(), files.end());
  for (const auto& f : files) {
    // A plug-in is any DLL that exports ShowDLLWND.
    qb::win::UniqueModule probe(LoadLibraryExW((folder_ + f).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
    if (!probe || !GetProcAddress(probe.get(), "ShowDLLWND")) continue;
    moduleFiles_.push_back(f);
    ModuleList.addItem(stem(f));
  }
}

void HostForm::findLanguages() {
  std::vector<std::string> names{"Polski"};
  WIN32_FIND_DATAW found{};
  qb::win::UniqueFind search(FindFirstFileW((folder_ + L"languages\\*.xml").c_str(), &found));
  if (search) {
    do names.push_back(stem(found.cFileName));
    while (FindNextFileW(search.get(), &found));
  }
  LanguageCombo.setItems(names);
  const std::string chosen = qb::win::reg::readText(HKEY_CURRENT_USER, kSettingsKey, "lang").text;
  LanguageCombo.setText(chosen.empty() ? "Polski" : chosen);
}

bool HostForm::openModule(const std::string& name) {
  for (size_t i = 0; i < moduleFiles_.size(); ++i) {
    if (qb::asciiUpper(stem(moduleFiles_[i])) == qb::asciiUpper(name)) {
      ModuleList.select(static_cast<int>(i));
      openModuleAt(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

void HostForm::openModuleAt(int row) {
  if (row < 0 || static_cast<size_t>(row) >= moduleFiles_.size()) return;
  // Unloading the previous module takes its page down with it.
  current_ = PluginModule{};
  current_ = PluginModule::load(folder_ + moduleFiles_[static_cast<size_t>(row)]);
  ApplyButton.setEnabled(current_.canApply());
  BackButton.setEnabled(current_.canGoBack());
  if (!current_) return;
  const RECT area = pageArea();
  current_.show(area.top, area.left, qb::win::toAnsi(qb::win::widen(kTitle)));
  current_.resize(area.right - area.left, area.bottom - area.top);
}

RECT HostForm::pageArea() const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  return RECT{kMargin * 2 + kListWidth, kMargin, std::max<LONG>(client.right - kMargin, kMargin * 2 + kListWidth + 50),
              std::max<LONG>(client.bottom - kBarHeight - kMargin, kMargin + 50)};
}

void HostForm::layout() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int barTop = client.bottom - kBarHeight + 6;
  ModuleList.setBounds({kMargin, kMargin, kListWidth, std::max<int>(50, barTop - 2 * kMargin)});
  LanguageLabel.setBounds({kMargin, barTop + 4, 50, 20});
  LanguageCombo.setLeft(kMargin + 50);
  LanguageCombo.setTop(barTop);
  ApplyButton.setBounds({client.right - 2 * 100 - 2 * kMargin, barTop, 100, 26});
  BackButton.setBounds({client.right - 100 - kMargin, barTop, 100, 26});
  const RECT area = pageArea();
  current_.resize(area.right - area.left, area.bottom - area.top);
}

void HostForm::FormClose(qb::tk::CloseAction& action) {
  current_ = PluginModule{};
  action = qb::tk::CloseAction::Hide;
  PostQuitMessage(0);
}

bool HostForm::handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_SIZE) {
    layout();
    return false;
  }
  return Form::handleMessage(msg, wp, lp, result);
}
