// The S.M.A.R.T. page end to end: recorded disks in a folder that
// QUBRIX_DISKS names, read through the real device choice.
#include <windows.h>

#include <gtest/gtest.h>

#include "qb/diskdev/recorded_folder.h"
#include "qb/diskdev/recording.h"
#include "qb/diskdev/system.h"
#include "qb/test/page_test.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "scripted_drive.h"
#include "smart_page.h"

namespace {

using qb::diskdev::RecordedAttribute;
using qb::diskdev::recordedDisk;
using qb::diskdev::Snapshot;
using Rows = std::vector<std::vector<std::string>>;

// The user's thousands separator, as the page groups raw values with it.
std::string separator() {
  wchar_t text[8] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, text, 8);
  return qb::win::narrow(std::wstring(text, text[0] ? 1 : 0));
}

std::string systemMessage(DWORD code) { return qb::diskdev::systemMessage(code); }

// Flags: 0x0B pre-failure, 0x32 not.
const std::vector<RecordedAttribute> kHealthy = {
    {1, 0x0B, 100, 100, 0, 6},           {3, 0x03, 97, 96, 0, 21},          {5, 0x33, 100, 100, 0, 36},
    {9, 0x32, 99, 99, 1234567, 0},       {194, 0x22, 41, 50, 0x140029, 0},
};

Snapshot healthyDisk() { return recordedDisk("ST380011A", "5JVABC12", kHealthy); }

Rows rows(const qb::tk::ListView& list, int columns) {
  Rows out;
  for (int r = 0; r < list.count(); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < columns; ++c) row.push_back(list.itemText(r, c));
    while (!row.empty() && row.back().empty()) row.pop_back();
    out.push_back(row);
  }
  return out;
}

std::string printed(const Rows& rows) {
  std::string out;
  for (const auto& row : rows) {
    for (const auto& cell : row) out += cell + " | ";
    out += "\n";
  }
  return out;
}

class SmartPage : public qb::test::PageTest<TForm2> {
 protected:
  SmartPage() : PageTest("SMART test host") {}
  void TearDown() override {
    PageTest::TearDown();
    qb::diskdev::replaceDiskDevice(nullptr);
  }

  Rows disks(TForm2& page) { return rows(page.ListView1, 2); }
  Rows attributes(TForm2& page, int index) {
    page.ShowSmart(index);
    return rows(page.ListView, 7);
  }

  qb::diskdev::RecordedFolder folder{L"smart_test_disks"};
};

TEST_F(SmartPage, ListsTheRecordedDisksAndAsksScsiAtTheFirstGap) {
  folder.write(L"disk0.smart", healthyDisk());
  folder.write(L"disk1.smart", recordedDisk("WDC WD800JB-00JJC0", "WD-WMAM9Z123456", kHealthy));
  folder.write(L"disk2.smart", recordedDisk("CD-ROM DRIVE", "", {}, true));
  TForm2& page = show();
  EXPECT_EQ(disks(page), (Rows{{"0", "ST380011A (5JVABC12)"},
                               {"1", "WDC WD800JB-00JJC0 (WD-WMAM9Z123456)"},
                               {"2", "CD-ROM DRIVE ()"}}));
  EXPECT_EQ(page.ListView1.columnTitle(0), "ID");
  EXPECT_EQ(page.ListView1.columnTitle(1), "Opis");

  // Shown again, each disk once; a recording added meanwhile is seen.
  closePage();
  folder.write(L"disk3.smart", healthyDisk());
  TForm2& again = show();
  EXPECT_EQ(&again, &page) << "closing only hid the page";
  EXPECT_EQ(disks(again).size(), 4u);
}

TEST_F(SmartPage, ADiskThatOnlyAnswersScsiGetsItsSerialRow) {
  // Three IDE disks; the fourth drive knows no IDE commands but gives its serial number.
  class ScsiFourth : public qb::smart::test::ScriptedDrive {
   public:
    bool open(const char* path, std::uint32_t a, std::uint32_t s, std::uint32_t c) override {
      path_ = path;
      return std::string(path) <= "\\\\.\\PhysicalDrive3" && ScriptedDrive::open(path, a, s, c);
    }
    bool control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                 std::uint32_t outSize, std::uint32_t& returned) override {
      if (path_ == "\\\\.\\PhysicalDrive3" && code != qb::diskdev::win32::kIoctlScsiPassThrough) return false;
      return ScriptedDrive::control(code, in, inSize, out, outSize, returned);
    }

   private:
    std::string path_;
  } drive;
  drive.scsiPage = {0, 0x80, 0, 8, 'Z', 'A', '1', '2', '3', '4', ' ', ' '};
  qb::diskdev::replaceDiskDevice(&drive);
  TForm2& page = show();
  EXPECT_EQ(disks(page), (Rows{{"0", "MODEL (SERIAL)"}, {"1", "MODEL (SERIAL)"}, {"2", "MODEL (SERIAL)"},
                               {"3", "SCSI Serial: ZA1234"}}));
}

TEST_F(SmartPage, ElevenDisksAndNoScsiQuery) {
  for (int i = 0; i < 12; ++i) folder.write(L"d" + std::to_wstring(10 + i) + L".smart", recordedDisk("M" + std::to_string(i), "S", {}));
  TForm2& page = show();
  const Rows listed = disks(page);
  ASSERT_EQ(listed.size(), 11u);
  EXPECT_EQ(listed.back(), (std::vector<std::string>{"10", "M10 (S)"}));
}

TEST_F(SmartPage, AttributesOfAHealthyDisk) {
  folder.write(L"0.smart", healthyDisk());
  TForm2& page = show();
  const std::string sep = separator();
  EXPECT_EQ(attributes(page, 0), (Rows{
                                     {"Temperatura : 41°C"},
                                     {"01", "Raw Read Error Rate", "OK", "100", "100", "6", "0"},
                                     {"03", "Spin Up Time", "OK", "97", "96", "21", "0"},
                                     {"05", "Reallocated Sector Count", "OK", "100", "100", "36", "0"},
                                     {"09", "Power On Count", "-", "99", "99", "0", "1" + sep + "234" + sep + "567"},
                                     {"C2", "Temperature", "-", "41", "50", "0", "1" + sep + "310" + sep + "761"},
                                 }))
      << printed(rows(page.ListView, 7));
  const char* titles[] = {"ID", "Opis", "Stan", "Wartość", "Najgorsze", "Próg", "Dane", "", ""};
  for (int c = 0; c < 9; ++c) EXPECT_EQ(page.ListView.columnTitle(c), titles[c]) << c;
}

TEST_F(SmartPage, VerdictsOfTroubledDisks) {
  const struct {
    const char* name;
    std::vector<RecordedAttribute> attributes;
    Rows shown;
  } cases[] = {
      {"failing now",
       {{5, 0x33, 30, 30, 1, 36}, {194, 0x22, 38, 45, 38, 0}},
       {{"Temperatura : 38°C"},
        {"Test SMART nieudany, Złe atrybuty 1"},
        {"05", "Reallocated Sector Count", "Failing Now", "30", "30", "36", "1"},
        {"C2", "Temperature", "-", "38", "45", "0", "38"}}},
      {"failed in the past",
       {{1, 0x0B, 100, 30, 0, 36}, {7, 0x0B, 20, 20, 0, 30}},
       {{"Temperatura : 0°C"},
        {"Test SMART nieudany, Złe atrybuty 2"},
        {"01", "Raw Read Error Rate", "Failed In Past", "100", "30", "36", "0"},
        {"07", "Seek Error Rate", "Failing Now", "20", "20", "30", "0"}}},
      {"many reallocated sectors, no temperature",
       {{5, 0x33, 100, 100, 501, 36}, {197, 0x12, 100, 100, 0xFFFFFFFF, 0}},
       {{"Temperatura : 0°C"},
        {"05", "Reallocated Sector Count", "Warning", "100", "100", "36", "501"},
        {"C5", "Current Pending Sector", "-", "100", "100", "0", "-1"}}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    folder.write(L"disk" + std::to_wstring(i) + L".smart", recordedDisk("M", "S", cases[i].attributes));
  TForm2& page = show();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Rows shown = attributes(page, static_cast<int>(i));
    EXPECT_EQ(shown, cases[i].shown) << cases[i].name << "\n" << printed(shown);
  }
}

TEST_F(SmartPage, ClickOrEnterOnADiskShowsIt) {
  folder.write(L"0.smart", recordedDisk("A", "S", {{9, 0x32, 99, 99, 5, 0}}));
  folder.write(L"1.smart", recordedDisk("B", "S", {{10, 0x33, 99, 99, 6, 0}, {12, 0x32, 99, 99, 7, 0}}));
  TForm2& page = show();
  page.ListView1Click();
  EXPECT_EQ(page.ListView.count(), 0) << "nothing selected, nothing read";

  page.ListView1.select(1);
  NMHDR click{page.ListView1.hwnd(), 0, static_cast<UINT>(NM_CLICK)};
  SendMessageW(page.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  ASSERT_EQ(page.ListView.count(), 3);
  EXPECT_EQ(page.ListView.itemText(1), "0A");

  page.ListView1.select(0);
  SetFocus(page.ListView1.hwnd());
  SendMessageW(page.ListView1.hwnd(), WM_KEYDOWN, VK_RETURN, 0);
  qb::test::pumpMessages();
  ASSERT_EQ(page.ListView.count(), 2);
  EXPECT_EQ(page.ListView.itemText(1), "09");
}

TEST_F(SmartPage, BadRecordingsGiveTextRowsNotCrashes) {
  Snapshot noData = healthyDisk();
  noData.smartData.reset();
  Snapshot zeroData = healthyDisk();
  zeroData.smartData->fill(0);
  Snapshot allFF;
  allFF.identify.emplace();
  allFF.identify->fill(0xFF);
  allFF.smartData = allFF.thresholds = allFF.identify;
  const std::string io = systemMessage(ERROR_IO_DEVICE);
  const struct {
    const char* name;
    std::vector<std::uint8_t> file;
    bool listed;
    std::string firstRow;
    int rows;
  } cases[] = {
      {"no attribute data", encodeSnapshot(noData), true,
       "SMART Read Attr Command Failed, Drive: 0 : " + io +
           "; DriverStatus: Error from IDE controller; bIDEStatus=0051",
       1},
      {"all-zero attribute data", encodeSnapshot(zeroData), true, " No SMART Attributes Returned - ", 1},
      {"all 0xFF", encodeSnapshot(allFF), true, "Temperatura : 0°C", 31},
      {"empty file", {}, false, "Identify Command Failed on Drive: Error from IDE controller bIDEStatus=0051 : " + io, 1},
      {"truncated", std::vector<std::uint8_t>{'I', 'D', 'F', 'Y', 0, 0, 2, 0, 1, 2}, false,
       "Unable to open physical drive: " + systemMessage(ERROR_FILE_NOT_FOUND), 1},
      {"huge length", std::vector<std::uint8_t>{'S', 'M', 'D', 'T', 0xFF, 0xFF, 0xFF, 0xF0}, false,
       "Unable to open physical drive: " + systemMessage(ERROR_FILE_NOT_FOUND), 1},
  };
  for (const auto& c : cases) {
    folder.write(L"0.smart", c.file);
    TForm2& page = show();
    EXPECT_EQ(page.ListView1.count(), c.listed ? 1 : 0) << c.name;
    const Rows shown = attributes(page, 0);
    ASSERT_EQ(static_cast<int>(shown.size()), c.rows) << c.name << "\n" << printed(shown);
    EXPECT_EQ(shown[0][0], c.firstRow) << c.name;
    closePage();
  }
}

TEST_F(SmartPage, ShortRepliesOfADriverEndTheListAndShowAsText) {
  qb::smart::test::ScriptedDrive drive;
  drive.shortReply = 100;
  qb::diskdev::replaceDiskDevice(&drive);
  TForm2& page = show();
  EXPECT_EQ(page.ListView1.count(), 0);
  EXPECT_EQ(attributes(page, 0),
            (Rows{{"Identify Command Failed on Drive: No error bIDEStatus=0050 : Short reply: 100 of 528 bytes"}}));
}

TEST_F(SmartPage, WindowsNineXListsEachDeviceOfTheDriverOnce) {
  qb::win::overrideWindowsVersion(qb::win::versions::win98);
  for (int i = 0; i < 6; ++i) folder.write(L"d" + std::to_wstring(i), recordedDisk("DISK " + std::to_string(i), "S", kHealthy));
  TForm2& page = show();
  EXPECT_EQ(disks(page), (Rows{{"0", "DISK 0 (S)"}, {"1", "DISK 1 (S)"}, {"2", "DISK 2 (S)"}, {"3", "DISK 3 (S)"}}));
  EXPECT_EQ(attributes(page, 3).size(), 6u);
  EXPECT_EQ(attributes(page, 4), (Rows{{"Drive number not valid"}}));
}

TEST_F(SmartPage, LanguageFileRenamesColumnsAndTheTemperatureRow) {
  folder.write(L"0.smart", healthyDisk());
  qb::test::LanguageFile english("SmartEnglish",
                                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<language><smart>"
                                 "<x1>Description</x1><x2>No.</x2><x3>Id</x3><x4>Name</x4><x5>State</x5>"
                                 "<x6>Value</x6><x7>Worst</x7><x9>Raw</x9><x10>Temp.</x10></smart></language>\n");
  TForm2& page = show();
  EXPECT_EQ(page.ListView1.columnTitle(0), "No.");
  EXPECT_EQ(page.ListView1.columnTitle(1), "Description");
  const Rows shown = attributes(page, 0);
  EXPECT_EQ(shown[0], std::vector<std::string>{"Temp.: 41°C"});
  const char* titles[] = {"Id", "Name", "State", "Value", "Worst", "", "Raw"};
  for (int c = 0; c < 7; ++c) EXPECT_EQ(page.ListView.columnTitle(c), titles[c]) << c;
}

TEST_F(SmartPage, ShippedEnglishFile) {
  folder.write(L"0.smart", healthyDisk());
  qb::win::reg::writeText(HKEY_CURRENT_USER, "\\Software\\Korvane\\Qubrix", "lang", "English");
  TForm2& page = show();
  EXPECT_EQ(page.ListView1.columnTitle(1), "Description");
  // The file cannot keep a trailing blank: the parser drops it.
  EXPECT_EQ(attributes(page, 0)[0], std::vector<std::string>{"Temperature: 41°C"});
  EXPECT_EQ(page.ListView.columnTitle(3), "Value");
}

TEST_F(SmartPage, ApplyDoesNothing) {
  folder.write(L"0.smart", healthyDisk());
  TForm2& page = show();
  page.ShowSmart(0);
  const Rows before = rows(page.ListView, 7);
  DLLSave();
  EXPECT_EQ(rows(page.ListView, 7), before);
  EXPECT_EQ(page.ListView1.count(), 1);
}

}  // namespace
