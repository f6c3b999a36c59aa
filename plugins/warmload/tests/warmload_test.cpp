#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include <algorithm>
#include <set>

#include "qb/test/child_process.h"
#include "qb/test/export_table.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "warmload_page.h"

namespace reg = qb::win::reg;
namespace versions = qb::win::versions;
using qb::win::narrow;
using qb::win::widen;

namespace {

const char kHostTitle[] = "Warmload test host";
const char kPrefetchKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
const char kMode[] = "EnablePrefetcher";
const char kAdvanced[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The prefix's real prefetch folder, which these tests own: created when
// missing, and every file and folder the test made there removed again.
class PrefetchFolder {
 public:
  PrefetchFolder() : path_(TDLLForm::prefetchFolder()) {
    createdFolder_ = !exists(path_) && CreateDirectoryW(path_.c_str(), nullptr);
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((path_ + L"*.pf").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
      foreign_ = true;  // someone else's prefetch files: the tests would delete them
      FindClose(h);
    }
  }
  ~PrefetchFolder() { clean(); }
  PrefetchFolder(const PrefetchFolder&) = delete;
  PrefetchFolder& operator=(const PrefetchFolder&) = delete;

  bool usable() const { return exists(path_) && !foreign_; }
  const std::wstring& path() const { return path_; }

  std::wstring add(const std::wstring& name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    const std::wstring p = path_ + name;
    HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << narrow(name);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    made_.push_back(name);
    return p;
  }
  std::wstring addFolder(const std::wstring& name) {
    const std::wstring p = path_ + name;
    EXPECT_TRUE(CreateDirectoryW(p.c_str(), nullptr));
    folders_.push_back(name);
    return p;
  }
  bool has(const std::wstring& name) const { return exists(path_ + name); }

  // Takes the folder away for a test of its absence; only one the test made itself.
  bool remove() {
    clean();  // a folder the test made goes with its files
    return createdFolder_ && !exists(path_);
  }

 private:
  void clean() {
    for (const auto& n : made_) {
      SetFileAttributesW((path_ + n).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW((path_ + n).c_str());
    }
    made_.clear();
    for (const auto& n : folders_) RemoveDirectoryW((path_ + n).c_str());
    folders_.clear();
    if (createdFolder_) RemoveDirectoryW(path_.c_str());
  }
  std::wstring path_;
  bool createdFolder_ = false;
  bool foreign_ = false;
  std::vector<std::wstring> made_;
  std::vector<std::wstring> folders_;
};

class WarmloadPage : public qb::test::PageTest<TDLLForm> {
 protected:
  WarmloadPage() : PageTest(kHostTitle) {}
  PrefetchFolder folder;

  void SetUp() override {
    if (!folder.usable()) GTEST_SKIP() << "the prefix's prefetch folder holds files of its own";
    qb::win::overrideWindowsVersion(versions::winXp);
  }

  static int checkedOption(TDLLForm& page) {
    const qb::tk::RadioButton* options[] = {&page.Prefetch1, &page.Prefetch2, &page.Prefetch3, &page.Prefetch4};
    int found = 0;
    for (int i = 0; i < 4; ++i)
      if (options[i]->checked()) {
        EXPECT_EQ(found, 0) << "two options selected";
        found = i + 1;
      }
    return found;
  }
  static reg::Number storedMode() { return reg::readNumber(HKEY_LOCAL_MACHINE, kPrefetchKey, kMode); }

  static std::multiset<std::string> captions(const TDLLForm& page) {
    std::multiset<std::string> out;
    for (int i = 0; i < page.ListViewlog.count(); ++i) {
      EXPECT_TRUE(page.ListViewlog.checked(i)) << "row " << i << " starts unchecked";
      out.insert(page.ListViewlog.itemText(i));
    }
    return out;
  }
};

TEST(PrefetchRowCaption, AddsTheExtensionUnlessTheNameEndsInExactlyIt) {
  struct Case { const wchar_t* display; const wchar_t* caption; };
  const Case cases[] = {
      {L"NOTEPAD.EXE-1B2C3D4E.pf", L"NOTEPAD.EXE-1B2C3D4E.pf"},
      {L"NOTEPAD.EXE-1B2C3D4E", L"NOTEPAD.EXE-1B2C3D4E.pf"},
      {L"LAYOUT.PF", L"LAYOUT.PF.pf"},
      {L"x.Pf", L"x.Pf.pf"},
      {L".pf", L".pf"},
      {L"pf", L"pf.pf"},
      {L"", L".pf"},
  };
  for (const auto& c : cases) EXPECT_EQ(prefetchRowCaption(c.display), c.caption) << narrow(c.display);
}

TEST(PrefetchVersionGate, OnlyXpAndServer2003) {
  struct Case { const char* name; qb::win::WindowsVersion v; bool open; };
  const Case cases[] = {
      {"95", versions::win95, false},  {"98", versions::win98, false},        {"Me", versions::winMe, false},
      {"NT 4", versions::nt4, false},  {"2000", versions::win2000, false},    {"XP", versions::winXp, true},
      {"2003", versions::win2003, true}, {"Vista", versions::vista, false},   {"7", {2, 6, 1, 7601}, false},
      {"9x 5.1", {1, 5, 1, 0}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(prefetchSettingsExist(c.v), c.open) << c.name;
}

TEST_F(WarmloadPage, SelectsTheStoredModeAndApplyStoresTheSelectedOne) {
  struct Case { const char* what; std::optional<DWORD> stored; int selected; };
  const Case cases[] = {
      {"off", 0u, 1}, {"programs", 1u, 2}, {"start-up files", 2u, 3}, {"both", 3u, 4},
      // The library answers 0 when there is nothing to read.
      {"no value", std::nullopt, 1},
  };
  for (const auto& c : cases) {
    reg::deleteValue(HKEY_LOCAL_MACHINE, kPrefetchKey, kMode);
    if (c.stored) reg::writeNumber(HKEY_LOCAL_MACHINE, kPrefetchKey, kMode, *c.stored);
    TDLLForm& page = show();
    EXPECT_EQ(checkedOption(page), c.selected) << c.what;

    reg::writeNumber(HKEY_LOCAL_MACHINE, kPrefetchKey, kMode, 7);
    DLLSave();
    EXPECT_EQ(storedMode().value, static_cast<DWORD>(c.selected - 1)) << c.what;
    closePage();
  }

  TDLLForm& page = show();
  qb::tk::RadioButton* options[] = {&page.Prefetch1, &page.Prefetch2, &page.Prefetch3, &page.Prefetch4};
  for (DWORD mode = 0; mode < 4; ++mode) {
    options[mode]->click();
    EXPECT_EQ(storedMode().value, mode == 0 ? 0u : mode - 1) << "a click writes nothing by itself";
    DLLSave();
    EXPECT_EQ(storedMode().value, mode);
  }
}

TEST_F(WarmloadPage, OutsideXpAndServer2003EverythingIsDisabledAndNothingReadOrWritten) {
  folder.add(L"APP.EXE-00000001.pf");
  reg::writeNumber(HKEY_LOCAL_MACHINE, kPrefetchKey, kMode, 2);
  struct Case { const char* name; qb::win::WindowsVersion v; };
  const Case cases[] = {{"98", versions::win98}, {"NT 4", versions::nt4}, {"2000", versions::win2000},
                        {"Vista", versions::vista}};
  for (const auto& c : cases) {
    qb::win::overrideWindowsVersion(c.v);
    TDLLForm& page = show();
    for (const qb::tk::Control* ctl : std::initializer_list<const qb::tk::Control*>{
             &page.Prefetch1, &page.Prefetch2, &page.Prefetch3, &page.Prefetch4, &page.Button1, &page.ListViewlog})
      EXPECT_FALSE(ctl->enabled()) << c.name << ' ' << ctl->name();
    EXPECT_EQ(checkedOption(page), 0) << c.name;
    EXPECT_EQ(page.ListViewlog.count(), 0) << c.name;
    DLLSave();
    EXPECT_EQ(storedMode().value, 2u) << c.name;
    closePage();
  }
  EXPECT_TRUE(folder.has(L"APP.EXE-00000001.pf"));
}

TEST_F(WarmloadPage, ListsEveryPrefetchFileCheckedAndTheButtonDeletesThemAll) {
  folder.add(L"NOTEPAD.EXE-1B2C3D4E.pf");
  folder.add(L"HIDDEN.EXE-00000002.pf", FILE_ATTRIBUTE_HIDDEN);
  folder.add(L"SYSTEM.EXE-00000003.pf", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  folder.add(L"Layout.ini");
  folder.add(L"keep.pfx");
  folder.addFolder(L"x.pf");
  folder.add(std::wstring(200, L'L') + L".pf");
  folder.add(L"Zażółć.pf");

  TDLLForm& page = show();
  EXPECT_EQ(page.ListViewlog.columnTitle(0), "Pliki *.pf");
  EXPECT_EQ(captions(page), (std::multiset<std::string>{"NOTEPAD.EXE-1B2C3D4E.pf", "HIDDEN.EXE-00000002.pf",
                                                        "SYSTEM.EXE-00000003.pf", std::string(200, 'L') + ".pf",
                                                        "Zażółć.pf"}));
  page.Button1.click();
  EXPECT_EQ(page.ListViewlog.count(), 0);
  for (const wchar_t* gone : {L"NOTEPAD.EXE-1B2C3D4E.pf", L"HIDDEN.EXE-00000002.pf", L"SYSTEM.EXE-00000003.pf",
                              L"Zażółć.pf"})
    EXPECT_FALSE(folder.has(gone)) << narrow(gone);
  EXPECT_FALSE(folder.has(std::wstring(200, L'L') + L".pf"));
  EXPECT_TRUE(folder.has(L"Layout.ini"));
  EXPECT_TRUE(folder.has(L"keep.pfx"));
  EXPECT_TRUE(folder.has(L"x.pf")) << "a folder named like a prefetch file is no prefetch file";
}

TEST_F(WarmloadPage, UncheckedAndUndeletableFilesStayAndReappearChecked) {
  folder.add(L"A.EXE-00000001.pf");
  folder.add(L"B.EXE-00000002.pf");
  const std::wstring busy = folder.add(L"C.EXE-00000003.pf");
  TDLLForm& page = show();
  ASSERT_EQ(page.ListViewlog.count(), 3);
  for (int row = 0; row < 3; ++row)
    if (page.ListViewlog.itemText(row) == "B.EXE-00000002.pf") page.ListViewlog.setChecked(row, false);

  // Held open without shared deletion: the system refuses to delete it.
  qb::win::UniqueFileHandle held(CreateFileW(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  page.Button1.click();
  held.reset();

  EXPECT_FALSE(folder.has(L"A.EXE-00000001.pf"));
  EXPECT_TRUE(folder.has(L"B.EXE-00000002.pf"));
  EXPECT_TRUE(folder.has(L"C.EXE-00000003.pf"));
  EXPECT_EQ(captions(page), (std::multiset<std::string>{"B.EXE-00000002.pf", "C.EXE-00000003.pf"}));
}

// With known extensions hidden the shell leaves ".pf" off the display name;
// a row still deletes exactly the file it was listed from.
TEST_F(WarmloadPage, HiddenExtensionsStillDeleteTheRowsOwnFile) {
  reg::writeNumber(HKEY_CURRENT_USER, kAdvanced, "HideFileExt", 1);
  folder.add(L"PLAIN.EXE-00000001.pf");
  folder.add(L"TWICE.pf");
  folder.add(L"TWICE.pf.pf");
  folder.add(L"UPPER.PF");

  TDLLForm& page = show();
  EXPECT_EQ(captions(page),
            (std::multiset<std::string>{"PLAIN.EXE-00000001.pf", "TWICE.pf", "TWICE.pf", "UPPER.pf"}));
  ASSERT_EQ(page.listedFiles().size(), 4u);

  // Two rows read "TWICE.pf": keep the first, delete the other.
  int kept = -1;
  for (int row = 0; row < 4; ++row)
    if (page.ListViewlog.itemText(row) == "TWICE.pf") {
      kept = row;
      break;
    }
  ASSERT_GE(kept, 0);
  const std::wstring keptFile = page.listedFiles()[static_cast<size_t>(kept)];
  page.ListViewlog.setChecked(kept, false);
  page.Button1.click();

  EXPECT_TRUE(folder.has(keptFile)) << "an unchecked row's file was deleted";
  for (const wchar_t* name : {L"PLAIN.EXE-00000001.pf", L"TWICE.pf", L"TWICE.pf.pf", L"UPPER.PF"})
    if (keptFile != name) {
      EXPECT_FALSE(folder.has(name)) << narrow(name);
    }
  EXPECT_EQ(page.ListViewlog.count(), 1);
}

TEST_F(WarmloadPage, ExtensionInOtherCaseIsListedWithTheSuffixAndStillDeleted) {
  folder.add(L"UPPER.PF");
  TDLLForm& page = show();
  EXPECT_EQ(captions(page), (std::multiset<std::string>{"UPPER.PF.pf"}));
  page.Button1.click();
  EXPECT_FALSE(folder.has(L"UPPER.PF"));
  EXPECT_EQ(page.ListViewlog.count(), 0);
}

TEST_F(WarmloadPage, MissingFolderGivesAnEmptyList) {
  if (!folder.remove()) GTEST_SKIP() << "the prefetch folder was there before the test";
  TDLLForm& page = show();
  EXPECT_EQ(page.ListViewlog.count(), 0);
  page.Button1.click();
  EXPECT_EQ(page.ListViewlog.count(), 0);
  EXPECT_TRUE(page.Prefetch1.enabled());
}

TEST_F(WarmloadPage, LanguageFileReplacesEveryCaption) {
  qb::test::LanguageFile file("WarmloadTestLang",
                              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language><prefetch>"
                              "<x1>Off</x1><x2>Programs</x2><x3>Boot files</x3><x4>Both</x4>"
                              "<x5>Delete checked</x5><x7>Prefetcher</x7></prefetch></language>\n");
  for (const auto& v : {versions::winXp, versions::win2000}) {
    qb::win::overrideWindowsVersion(v);
    TDLLForm& page = show();
    EXPECT_EQ(page.Prefetch1.caption(), "Off");
    EXPECT_EQ(page.Prefetch2.caption(), "Programs");
    EXPECT_EQ(page.Prefetch3.caption(), "Boot files");
    EXPECT_EQ(page.Prefetch4.caption(), "Both");
    EXPECT_EQ(page.Button1.caption(), "Delete checked");
    EXPECT_EQ(page.ListViewlog.columnTitle(0), "") << "a missing key empties its caption";
    EXPECT_EQ(page.GroupBoxP.caption(), "Prefetcher");
    closePage();
  }
}

class WarmloadUnwritableRegistry : public qb::test::PageTest<TDLLForm> {
 protected:
  WarmloadUnwritableRegistry() : PageTest(kHostTitle, qb::test::PageTestOptions().readOnlyRegistry()) {}
  PrefetchFolder folder;
};

TEST_F(WarmloadUnwritableRegistry, ShowsAndAppliesQuietly) {
  if (!folder.usable()) GTEST_SKIP() << "the prefix's prefetch folder holds files of its own";
  qb::win::overrideWindowsVersion(versions::winXp);
  folder.add(L"A.EXE-00000001.pf");
  TDLLForm& page = show();
  EXPECT_EQ(page.ListViewlog.count(), 1);
  page.Prefetch4.click();
  DLLSave();
  EXPECT_EQ(reg::readNumber(HKEY_LOCAL_MACHINE, kPrefetchKey, kMode).found, reg::Found::NoKey);
}

// The whole process under Wine's own emulation of another Windows.
TEST(WarmloadOnOtherWindows, OnlyXpShowsAndStoresTheMode) {
  PrefetchFolder folder;
  if (!folder.usable()) GTEST_SKIP() << "the prefix's prefetch folder holds files of its own";
  folder.add(L"PROBE.EXE-00000001.pf");
  struct Case { const wchar_t* version; const char* expected; };
  const Case cases[] = {
      {L"win2k",
       "version 2 5.0\nenabled 0 0 0 0 0 0\nchecked 0\nrows 0\nstored after apply 3\nmessages 0\n"},
      {L"winxp",
       "version 2 5.1\nenabled 1 1 1 1 1 1\nchecked 3\nrows 1\nstored after apply 2\nmessages 0\n"},
  };
  for (const auto& c : cases) {
    const auto run = qb::test::runChild(L"warmload_probe.exe", L"", narrow(c.version));
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0u) << run.lines();
    EXPECT_EQ(run.lines(), c.expected) << narrow(c.version);
  }
  EXPECT_TRUE(folder.has(L"PROBE.EXE-00000001.pf"));
}

TEST(WarmloadModule, LoadsAndExportsExactlyTheShellsThreeFunctions) {
  const qb::win::UniqueModule module(LoadLibraryW((qb::test::programFolder() + L"\\warmload.dll").c_str()));
  ASSERT_TRUE(module) << "the module or a library it imports is missing";
  EXPECT_EQ(qb::test::exportedNames(module.get()),
            (std::vector<std::string>{"DLLSave", "ResizeDLLWND", "ShowDLLWND"}));
}

}  // namespace
