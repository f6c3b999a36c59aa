// The exports' own behaviour, linked in directly so that the disk device and
// the Windows version can be replaced.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "chipscan.h"
#include "qb/diskdev/recorded_folder.h"
#include "qb/diskdev/recording.h"
#include "qb/test/testbench.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "windows_disk.h"

namespace qb::chipscan {
namespace {

constexpr char kNvKey[] = "SOFTWARE\\NVIDIA Corporation\\Global\\NVTweak";

// A disk that answers with given IDENTIFY data and keeps the bytes it was sent.
class ScriptedDisk : public DiskDevice {
 public:
  bool present = true;
  std::uint32_t errorAfterReply = 0;
  std::array<std::uint8_t, kIdentifySize> identify{};
  std::string path;
  std::vector<std::uint8_t> sent;

  bool open(const char* p, std::uint32_t, std::uint32_t, std::uint32_t) override {
    path = p;
    SetLastError(present ? 0 : ERROR_FILE_NOT_FOUND);
    return present;
  }
  bool control(std::uint32_t, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
               std::uint32_t outSize, std::uint32_t& returned) override {
    sent.assign(in, in + inSize);
    const std::size_t dataAt = outSize == kRequestBlockSize ? 44 : 16;
    std::memcpy(out + dataAt, identify.data(), identify.size());
    returned = outSize;
    SetLastError(errorAfterReply);
    return true;
  }
  void close() override {}
  std::uint32_t lastError() override { return GetLastError(); }

  void model(const char* text) {
    std::string padded(text);
    padded.resize(40, ' ');
    for (std::size_t i = 0; i < 40; i += 2) {
      identify[54 + i] = static_cast<std::uint8_t>(padded[i + 1]);
      identify[54 + i + 1] = static_cast<std::uint8_t>(padded[i]);
    }
  }
};

class DiskExport : public ::testing::Test {
 protected:
  void SetUp() override { replaceDiskDevice(&disk); }
  void TearDown() override {
    replaceDiskDevice(nullptr);
    qb::win::overrideWindowsVersion(std::nullopt);
  }
  ScriptedDisk disk;
};

TEST_F(DiskExport, FamilyPicksTheDriverAndTheDataOffset) {
  disk.model("ST380011A");
  for (const auto& v : {qb::win::versions::winXp, qb::win::versions::win98}) {
    qb::win::overrideWindowsVersion(v);
    EXPECT_EQ(std::string(GetHDDinfo(256, "model")), "ST380011A" + std::string(31, ' '));
    EXPECT_EQ(disk.path, v.nt() ? "\\\\.\\Scsi0:" : "\\\\.\\SMARTVSD");
    EXPECT_EQ(disk.sent.size(), v.nt() ? 572u : 32u);
    EXPECT_EQ(disk.sent.at(v.nt() ? 40 : 12), 0) << "drive 256 is sent as 0";
  }
}

TEST_F(DiskExport, FallbackTextsInTheAnsiCodePage) {
  qb::win::overrideWindowsVersion(qb::win::versions::winXp);
  disk.present = false;
  EXPECT_STREQ(GetHDDinfo(0, "model"), "NoDisk");

  disk.present = true;
  const std::string noSmart = qb::win::toAnsi(L"Dysk IDE nie obsługuje SMART");
  EXPECT_EQ(std::string(GetHDDinfo(0, "Model")), noSmart);
  if (GetACP() == 1250) {
    EXPECT_EQ(noSmart.substr(13, 4), "obs\xB3");  // "ł" in code page 1250
  }
  EXPECT_EQ(std::string(GetHDDinfo(0, nullptr)), noSmart);
  disk.errorAfterReply = ERROR_INVALID_PARAMETER;
  EXPECT_STREQ(GetHDDinfo(0, "Model"), "NoDisk");
}

TEST(DiskSystemDevice, UsedWhenNoTestDeviceIsSet) {
  // This bench has no IDE port, so the system's own device answers with a fallback.
  SetLastError(0);
  EXPECT_STREQ(GetHDDinfo(0, "model"), "NoDisk");
}

TEST_F(DiskExport, AllZeroModelReadsAsEmptyText) {
  qb::win::overrideWindowsVersion(qb::win::versions::win2000);
  EXPECT_STREQ(GetHDDinfo(0, "model"), "");
}

TEST(RecordedDiskFolder, AnswersAsDriveNumbersOnBothFamilies) {
  qb::diskdev::RecordedFolder folder(L"chipscan_recorded");
  qb::diskdev::Snapshot first = qb::diskdev::recordedDisk("ST380011A", "5JVABC12", {});
  (*first.identify)[6] = 16;  // word 3: heads
  (*first.identify)[12] = 63;  // word 6: sectors per track
  folder.write(L"a.smart", first);
  folder.write(L"b.smart", qb::diskdev::recordedDisk("WDC WD800JB", "WD-WMAM9Z123456", {}));
  qb::diskdev::Snapshot noIdentify = qb::diskdev::recordedDisk("X", "Y", {});
  noIdentify.identify.reset();
  folder.write(L"c.smart", noIdentify);
  const struct {
    int drive;
    const char* key;
    std::string answer;
  } cases[] = {
      {0, "model", "ST380011A" + std::string(31, ' ')},
      {0, "serial", "5JVABC12" + std::string(12, ' ')},
      {0, "firmware", "1.0     "},
      {0, "head", "16"},
      {0, "sec/sciez", "63"},
      {1, "model", "WDC WD800JB" + std::string(29, ' ')},
      {257, "serial", "WD-WMAM9Z123456     "},
      {2, "model", "NoDisk"},
      {3, "model", "NoDisk"},
      {0, "Model", qb::win::toAnsi(L"Dysk IDE nie obsługuje SMART")},
  };
  for (const auto& v : {qb::win::versions::winXp, qb::win::versions::win98}) {
    qb::win::overrideWindowsVersion(v);
    for (const auto& c : cases)
      EXPECT_EQ(std::string(GetHDDinfo(c.drive, c.key)), c.answer) << c.drive << ' ' << c.key << (v.nt() ? " NT" : " 9x");
  }
  qb::win::overrideWindowsVersion(std::nullopt);
}

TEST(ProbeTexts, EachExportKeepsItsOwnTextPerThread) {
  const char* vendor = cpuvendor();
  const std::string vendorCopy = vendor;
  const char* brand = cpustring();
  const char* speed = GetCPUSpeed();
  const std::string speedCopy = speed;
  cpufamily();
  GetHDDinfo(7, "head");
  EXPECT_EQ(std::string(vendor), vendorCopy);
  EXPECT_EQ(std::string(speed), speedCopy);
  std::string otherThreads;
  std::thread([&] { otherThreads = cpuvendor(); }).join();
  EXPECT_EQ(otherThreads, vendorCopy);
  EXPECT_NE(brand, vendor);
  EXPECT_EQ(vendorCopy.size(), 12u);
}

TEST(ProbeTexts, FeatureAnswersAreTakOrNie) {
  for (const char* answer : {SSE(), SSE2()}) EXPECT_TRUE(!std::strcmp(answer, "Tak") || !std::strcmp(answer, "Nie"));
  EXPECT_LE(IsMMX(), 1);
  const std::string speed = GetCPUSpeed();
  ASSERT_GT(speed.size(), 4u);
  EXPECT_EQ(speed.substr(speed.size() - 4), " MHz");
  EXPECT_NE(speed[0], '0') << "a working counter measures something";
}

TEST(NvTweak, ReadsOnlyFourByteDwordsAndMinusOneOtherwise) {
  qb::test::ScratchRegistry scratch;
  EXPECT_EQ(GetNVinfo("coolbits"), -1);
  EXPECT_FALSE(qb::win::reg::keyExists(HKEY_LOCAL_MACHINE, kNvKey)) << "reading creates nothing";

  SaveNVinfo("coolbits", 3);
  EXPECT_EQ(GetNVinfo("coolbits"), 3);
  SaveNVinfo("NvCplEnableAppProfilePage", -1);
  EXPECT_EQ(qb::win::reg::readNumber(HKEY_LOCAL_MACHINE, kNvKey, "NvCplEnableAppProfilePage").value, 0xFFFFFFFFu);
  EXPECT_EQ(GetNVinfo("NvCplEnableAppProfilePage"), -1);
  SaveNVinfo("zero", 0);
  EXPECT_EQ(GetNVinfo("zero"), 0);

  qb::win::reg::writeText(HKEY_LOCAL_MACHINE, kNvKey, "text", "1");
  const qb::win::UniqueKey key = qb::win::reg::openKey(HKEY_LOCAL_MACHINE, kNvKey);
  const DWORD one = 1;
  const unsigned char eight[8] = {1};
  qb::win::reg::writeRaw(key.get(), "binary", REG_BINARY, &one, 4);
  qb::win::reg::writeRaw(key.get(), "longdword", REG_DWORD, eight, 8);
  qb::win::reg::writeRaw(key.get(), "shortdword", REG_DWORD, eight, 2);
  for (const char* name : std::initializer_list<const char*>{"text", "binary", "longdword", "shortdword", "missing", "", nullptr})
    EXPECT_EQ(GetNVinfo(name), -1) << (name ? name : "(null)");
}

TEST(NvTweak, NamesInTheAnsiCodePage) {
  qb::test::ScratchRegistry scratch;
  const std::string name = qb::win::toAnsi(L"opcja_ł");
  SaveNVinfo(name.c_str(), 7);
  EXPECT_EQ(qb::win::reg::readNumber(HKEY_LOCAL_MACHINE, kNvKey, "opcja_ł").value, 7u);
  EXPECT_EQ(GetNVinfo(name.c_str()), 7);
}

TEST(NvTweak, RefusedSaveFailsQuietly) {
  qb::test::ScratchRegistry scratch(qb::test::RegistryAccess::ReadOnly);
  SaveNVinfo("coolbits", 3);
  SaveNVinfo(nullptr, 3);
  EXPECT_EQ(GetNVinfo("coolbits"), -1);
}

}  // namespace
}  // namespace qb::chipscan
