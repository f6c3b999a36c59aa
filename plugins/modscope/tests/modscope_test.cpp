#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include <map>
#include <set>
#include <vector>

#include "modscope_page.h"
#include "qb/test/export_table.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "version_builder.h"

namespace reg = qb::win::reg;
using qb::modscope::test::Bytes;
using qb::modscope::test::versionResource;
using qb::win::narrow;

namespace {

const char kHostTitle[] = "Modscope test host";

std::wstring windowsFolder() {
  wchar_t buf[MAX_PATH] = {};
  GetWindowsDirectoryW(buf, MAX_PATH);
  return buf;
}
std::wstring systemFolder() {
  wchar_t buf[MAX_PATH] = {};
  GetSystemDirectoryW(buf, MAX_PATH);
  return buf;
}

// Files of the test's own in the machine's Windows and system folders, all
// named with a prefix of this process, removed again at the end.
class ScratchFiles {
 public:
  ScratchFiles() : prefix_(L"qbms" + std::to_wstring(GetCurrentProcessId()) + L"_") {}
  ScratchFiles(const ScratchFiles&) = delete;
  ScratchFiles& operator=(const ScratchFiles&) = delete;
  ~ScratchFiles() {
    for (const std::wstring& p : files_) DeleteFileW(p.c_str());
    for (const std::wstring& p : folders_) RemoveDirectoryW(p.c_str());
  }

  std::string prefix() const { return narrow(prefix_); }

  // A program file, with the version resource given (raw bytes) or none.
  std::wstring module(const std::wstring& folder, const std::wstring& name, const std::optional<Bytes>& version) {
    const std::wstring path = track(folder, name);
    EXPECT_TRUE(CopyFileW((qb::test::programFolder() + L"\\modscope_blank.exe").c_str(), path.c_str(), FALSE));
    if (version) {
      HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
      EXPECT_NE(update, nullptr);
      EXPECT_TRUE(UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                  const_cast<unsigned char*>(version->data()), static_cast<DWORD>(version->size())));
      EXPECT_TRUE(EndUpdateResourceW(update, FALSE));
    }
    return path;
  }
  // A file that is no program at all.
  std::wstring plain(const std::wstring& folder, const std::wstring& name, const std::string& content = "text") {
    const std::wstring path = track(folder, name);
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(f);
    return path;
  }
  void folder(const std::wstring& parent, const std::wstring& name) {
    const std::wstring path = parent + L"\\" + prefix_ + name;
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    folders_.push_back(path);
  }

 private:
  std::wstring track(const std::wstring& folder, const std::wstring& name) {
    files_.push_back(folder + L"\\" + prefix_ + name);
    return files_.back();
  }
  std::wstring prefix_;
  std::vector<std::wstring> files_;
  std::vector<std::wstring> folders_;
};

struct Row {
  std::string name, version, description, folder;
  bool operator==(const Row& o) const {
    return name == o.name && version == o.version && description == o.description && folder == o.folder;
  }
};
std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << '{' << r.name << " | " << r.version << " | " << r.description << " | " << r.folder << '}';
}

std::vector<std::wstring> recordedProperties;
void recordProperties(const std::wstring& path) { recordedProperties.push_back(path); }

class ModulePage : public qb::test::PageTest<TDLLForm> {
 protected:
  ModulePage() : PageTest(kHostTitle) {
    previous_ = qb::modscope::replacePropertiesCall(&recordProperties);
    recordedProperties.clear();
  }
  ~ModulePage() override { qb::modscope::replacePropertiesCall(previous_); }

  // The rows of this test's own files, in the order listed.
  std::vector<Row> rows(TDLLForm& page) {
    std::vector<Row> out;
    EXPECT_EQ(page.files().size(), static_cast<size_t>(page.DLLList.count()));
    for (int i = 0; i < page.DLLList.count(); ++i) {
      Row r{page.DLLList.itemText(i, 0), page.DLLList.itemText(i, 1), page.DLLList.itemText(i, 2),
            page.DLLList.itemText(i, 3)};
      if (r.name.rfind(files.prefix(), 0) == 0) out.push_back(r);
    }
    return out;
  }
  int rowOf(TDLLForm& page, const std::string& name, const std::string& folder) {
    for (int i = 0; i < page.DLLList.count(); ++i)
      if (page.DLLList.itemText(i) == name && page.DLLList.itemText(i, 3) == folder) return i;
    return -1;
  }

  ScratchFiles files;
  const std::wstring windows = windowsFolder();
  const std::wstring system = systemFolder();

 private:
  qb::modscope::PropertiesCall previous_ = nullptr;
};

TEST_F(ModulePage, ListsBothFoldersWithVersionAndDescription) {
  const Bytes english = versionResource(5, 1, 2600, 5512, {{0x0409, 0x04b0}}, {{u"040904b0", u"Sample library"}});
  const Bytes twoTranslations = versionResource(1, 0, 0, 65535, {{0x0415, 0x04e2}, {0x0409, 0x04b0}},
                                                {{u"040904b0", u"English text"}, {u"041504e2", u"Biblioteka próbna"}});
  Bytes cutShort = english;
  cutShort.resize(40);
  Bytes claimsTooMuch = english;
  claimsTooMuch[0] = claimsTooMuch[1] = 0xFF;
  files.module(windows, L"versioned.bpl", english);
  files.module(windows, L"plain.bpl", std::nullopt);
  files.plain(windows, L"text.bpl");
  files.module(windows, L"both.bpl", versionResource(1, 1, 1, 1, {{0x0409, 0x04b0}}, {{u"040904b0", u"Windows"}}));
  files.module(windows, L"cut.bpl", cutShort);
  files.module(windows, L"claims.bpl", claimsTooMuch);
  files.folder(windows, L"folder.bpl");
  files.module(system, L"second.bpl", twoTranslations);
  files.module(system, L"both.bpl", versionResource(2, 2, 2, 2, {{0x0409, 0x04b0}}, {{u"040904b0", u"System"}}));
  files.plain(system, L"other.dll");

  TDLLForm& page = show();
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS1);
  page.Label14.click();  // "BPL"
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS2);
  EXPECT_EQ(qb::modscope::chosenExtension(), "bpl");

  const std::string p = files.prefix(), win = narrow(windows), sys = narrow(system);
  const std::vector<Row> shown = rows(page);
  const std::vector<Row> inWindows = {
      {p + "versioned.bpl", "5.1.2600.5512", "Sample library", win},
      {p + "plain.bpl", "", "", win},
      {p + "text.bpl", "", "", win},
      {p + "both.bpl", "1.1.1.1", "Windows", win},
      {p + "cut.bpl", "", "", win},
      {p + "claims.bpl", "", "", win},
  };
  const std::vector<Row> inSystem = {
      {p + "second.bpl", "1.0.0.65535", "Biblioteka próbna", sys},
      {p + "both.bpl", "2.2.2.2", "System", sys},
  };
  ASSERT_EQ(shown.size(), inWindows.size() + inSystem.size()) << "the folder and the DLL are not listed";
  // The Windows folder first, then the system folder; within one, the search decides.
  const std::vector<Row> first(shown.begin(), shown.begin() + static_cast<std::ptrdiff_t>(inWindows.size()));
  const std::vector<Row> second(shown.begin() + static_cast<std::ptrdiff_t>(inWindows.size()), shown.end());
  for (const Row& r : inWindows) EXPECT_NE(std::find(first.begin(), first.end(), r), first.end()) << r;
  for (const Row& r : inSystem) EXPECT_NE(std::find(second.begin(), second.end(), r), second.end()) << r;
  for (int i = 0; i < page.DLLList.count(); ++i) EXPECT_EQ(page.DLLList.itemImage(i), 0);
}

TEST_F(ModulePage, HiddenExtensionsChangeOnlyTheCaption) {
  reg::writeNumber(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                   "HideFileExt", 1);
  files.module(system, L"hidden.ocx",
               versionResource(3, 1, 4, 1, {{0x0409, 0x04b0}}, {{u"040904b0", u"Control of the test"}}));
  TDLLForm& page = show();
  page.Label18.click();  // "OCX"
  const int row = rowOf(page, files.prefix() + "hidden", narrow(system));
  ASSERT_GE(row, 0) << "the caption is the display name, without its extension";
  EXPECT_EQ(page.DLLList.itemText(row, 1), "3.1.4.1");
  EXPECT_EQ(page.DLLList.itemText(row, 2), "Control of the test");
  page.DLLList.select(row);
  page.DLLListDblClick();
  ASSERT_EQ(recordedProperties.size(), 1u);
  EXPECT_EQ(recordedProperties[0], system + L"\\" + qb::win::widen(files.prefix()) + L"hidden.ocx");
}

TEST_F(ModulePage, PropertiesOpenOnlyForASelectedRow) {
  files.plain(windows, L"one.acm");
  TDLLForm& page = show();
  page.Label16.click();  // "ACM"
  const int row = rowOf(page, files.prefix() + "one.acm", narrow(windows));
  ASSERT_GE(row, 0);
  page.DLLListDblClick();
  EXPECT_TRUE(recordedProperties.empty());
  page.DLLList.select(row);
  page.DLLListDblClick();
  ASSERT_EQ(recordedProperties.size(), 1u);
  EXPECT_EQ(recordedProperties[0], windows + L"\\" + qb::win::widen(files.prefix()) + L"one.acm");
}

TEST_F(ModulePage, EveryLinkChoosesItsExtensionAndOtherTagsKeepTheLast) {
  TDLLForm& page = show();
  qb::tk::LinkLabel* links[] = {&page.Label10, &page.Label11, &page.Label12, &page.Label13, &page.Label14,
                                &page.Label15, &page.Label16, &page.Label17, &page.Label18};
  const char* extensions[] = {"dll", "exe", "scr", "cpl", "bpl", "ax", "acm", "sys", "ocx"};
  files.plain(system, L"x.scr");
  for (int i = 0; i < 9; ++i) {
    if (i == 0 || i == 1) continue;  // the machine's many DLLs and programs are listed in the figures
    links[i]->click();
    EXPECT_EQ(qb::modscope::chosenExtension(), extensions[i]) << links[i]->caption();
    EXPECT_EQ(rowOf(page, files.prefix() + "x.scr", narrow(system)) >= 0, i == 2) << links[i]->caption();
  }
  page.Label12.click();
  page.Back();
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS1);
  page.Label10.tag = 42;
  page.Label10.click();
  page.Label10.tag = 1;
  EXPECT_EQ(qb::modscope::chosenExtension(), "scr");
  EXPECT_EQ(page.PageControl1.activePage(), &page.TS2);
  EXPECT_GE(rowOf(page, files.prefix() + "x.scr", narrow(system)), 0);
}

TEST_F(ModulePage, ThousandsOfFilesInOneFolderAreAllListed) {
  for (int i = 0; i < 5000; ++i) files.plain(system, L"bulk" + std::to_wstring(i) + L".ax", "");
  TDLLForm& page = show();
  page.Label15.click();  // "AX"
  const std::vector<Row> shown = rows(page);
  ASSERT_EQ(shown.size(), 5000u);
  std::set<std::string> names;
  for (const Row& r : shown) {
    names.insert(r.name);
    EXPECT_EQ(r.version, "");
  }
  EXPECT_EQ(names.size(), 5000u);
}

TEST_F(ModulePage, LanguageFileSetsDescriptionsTitleAndColumns) {
  qb::test::LanguageFile file("ModscopeTest",
                              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language><sfm>"
                              "<x1>d1</x1><x2>d2</x2><x3>d3</x3><x4>d4</x4><x5>d5</x5><x6>d6</x6><x7>d7</x7>"
                              "<x8>d8</x8><x10>Title</x10><x11>c1</x11><x12>c2</x12><x13>c3</x13><x14>c4</x14>"
                              "</sfm></language>\n");
  TDLLForm& page = show();
  qb::tk::Label* descriptions[] = {&page.Label1, &page.Label2, &page.Label3, &page.Label4, &page.Label5,
                                   &page.Label6, &page.Label7, &page.Label8, &page.Label9};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(descriptions[i]->caption(), "d" + std::to_string(i + 1));
  EXPECT_EQ(page.Label9.caption(), "") << "a missing key empties its caption";
  EXPECT_EQ(page.Label19.caption(), "Title");
  for (int c = 0; c < 4; ++c) EXPECT_EQ(page.DLLList.columnTitle(c), "c" + std::to_string(c + 1));
}

TEST_F(ModulePage, ShippedEnglishFileAndDesignedTexts) {
  {
    TDLLForm& page = show();
    EXPECT_EQ(page.Label19.caption(), "Informacje o plikach");
    EXPECT_EQ(page.Label14.caption(), "BPL");
    EXPECT_EQ(page.Label5.caption(), "Wyświetla informacje o plikach BPL");
    EXPECT_EQ(page.DLLList.columnTitle(1), "Wersja");
    closePage();
  }
  reg::writeText(HKEY_CURRENT_USER, "\\Software\\Korvane\\Qubrix", "lang", "English");
  TDLLForm& page = show();
  EXPECT_EQ(page.Label19.caption(), "File information");
  EXPECT_EQ(page.Label1.caption(), "Shows information about DLL files");
  EXPECT_EQ(page.DLLList.columnTitle(3), "Folder");
}

TEST(ModscopeModule, LoadsWithFactbaseAndExportsShowResizeAndBack) {
  const qb::win::UniqueModule module(LoadLibraryW((qb::test::programFolder() + L"\\modscope.dll").c_str()));
  ASSERT_TRUE(module) << "the module or a library it imports is missing";
  EXPECT_EQ(qb::test::exportedNames(module.get()), (std::vector<std::string>{"Back", "ResizeDLLWND", "ShowDLLWND"}));
}

}  // namespace
