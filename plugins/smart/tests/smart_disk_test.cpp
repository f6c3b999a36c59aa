#include "smart_disk.h"

#include <gtest/gtest.h>

#include "scripted_drive.h"

namespace qb::smart {
namespace {

using test::Request;
using test::ScriptedDrive;
namespace ata = qb::diskdev::ata;
namespace win32 = qb::diskdev::win32;
using qb::diskdev::recordedDisk;

DiskAccess accessTo(ScriptedDrive& drive, Platform platform = Platform::Nt) {
  return {drive, platform, [](std::uint32_t code) { return "message " + std::to_string(code); }};
}

struct Identified {
  bool ok = false;
  std::string error, model, serial;
};
Identified identify(ScriptedDrive& drive, int index = 0, Platform platform = Platform::Nt) {
  DiskAccess access = accessTo(drive, platform);
  Identified r;
  r.ok = IdentifyDisk(access, index, r.error, r.model, r.serial);
  return r;
}

struct Read {
  bool ok = false;
  std::string error;
  TSmartResult result;
};
Read readSmart(ScriptedDrive& drive, int index = 0, Platform platform = Platform::Nt) {
  DiskAccess access = accessTo(drive, platform);
  Read r;
  r.error = "stale";
  r.ok = ReadSmartData(access, index, r.error, r.result);
  return r;
}

// "E" for SMART ENABLE, "I"/"P" for IDENTIFY (DEVICE/PACKET), "D"/"T" for
// the data and threshold reads, each followed by the device number.
std::string commandsSent(const ScriptedDrive& drive) {
  std::string out;
  for (const Request& r : drive.requests) {
    if (r.code == win32::kDfpGetVersion) continue;
    const ata::Command c = r.command();
    char kind = '?';
    if (c.registers.command == ata::kIdentifyDevice) kind = 'I';
    if (c.registers.command == ata::kIdentifyPacketDevice) kind = 'P';
    if (c.registers.command == ata::kSmartCommand)
      kind = c.registers.features == ata::kSmartEnableOperations ? 'E'
             : c.registers.features == ata::kSmartReadData       ? 'D'
                                                                  : 'T';
    out += kind + std::to_string(c.driveNumber) + ' ';
  }
  return out;
}

TEST(SmartDevice, OpensThePlatformsDeviceAndClosesIt) {
  const struct {
    Platform platform;
    int index;
    std::vector<std::string> opened;
    std::uint32_t access, share, creation;
  } cases[] = {
      {Platform::Nt, 3, {"\\\\.\\PhysicalDrive3"}, 0xC0000000, 3, 3},
      {Platform::Nt, 10, {"\\\\.\\PhysicalDrive10"}, 0xC0000000, 3, 3},
      {Platform::NineX, 0, {"\\\\.\\SMARTVSD"}, 0, 0, 1},
  };
  for (const auto& c : cases) {
    for (int op = 0; op < 2; ++op) {
      ScriptedDrive drive;
      const bool ok = op == 0 ? identify(drive, c.index, c.platform).ok : readSmart(drive, c.index, c.platform).ok;
      EXPECT_TRUE(ok || c.platform == Platform::NineX) << c.opened[0];
      EXPECT_EQ(drive.opened, c.opened);
      EXPECT_EQ(drive.access, c.access);
      EXPECT_EQ(drive.share, c.share);
      EXPECT_EQ(drive.creation, c.creation);
      EXPECT_EQ(drive.closes, 1);
    }
  }
  ScriptedDrive other;
  const Identified r = identify(other, 0, Platform::Other);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(other.opened.empty());
  EXPECT_FALSE(readSmart(other, 0, Platform::Other).ok);
  EXPECT_EQ(readSmart(other, 0, Platform::Other).error, "");
}

TEST(SmartDevice, OpenAndVersionFailures) {
  const struct {
    const char* name;
    Platform platform;
    bool opens, version;
    std::string error;
    int closes;
  } cases[] = {
      {"no drive", Platform::Nt, false, true, "Unable to open physical drive: message 2", 0},
      {"no driver", Platform::NineX, false, true, "Unable to open SMARTVSD: message 2", 0},
      {"no version", Platform::Nt, true, false, "DFP_GET_VERSION failed: message 2", 1},
  };
  for (const auto& c : cases) {
    ScriptedDrive drive;
    drive.opens = c.opens;
    drive.versionAnswers = c.version;
    drive.errorCode = 2;
    const Identified id = identify(drive, 0, c.platform);
    EXPECT_FALSE(id.ok) << c.name;
    EXPECT_EQ(id.error, c.error) << c.name;
    EXPECT_EQ(drive.closes, c.closes) << c.name;
    const Read read = readSmart(drive, 0, c.platform);
    EXPECT_FALSE(read.ok) << c.name;
    EXPECT_EQ(read.error, c.error) << c.name;
  }
}

TEST(SmartDevice, DeviceMaps) {
  const struct {
    const char* name;
    std::uint8_t map;
    bool device0Identifies, device0Enables;
    bool ok;
    std::string model, error, sent;
  } cases[] = {
      {"device 0 fails, device 1 answers", 0x03, false, true, true, "SECOND",
       "Identify Command Failed on Drive: Error from IDE controller bIDEStatus=0051 : message 1117",
       "E0 I0 E1 I1 "},
      {"only device 0, failing", 0x01, false, true, false, "",
       "Identify Command Failed on Drive: Error from IDE controller bIDEStatus=0051 : message 1117", "E0 I0 "},
      {"empty map", 0x00, true, true, true, "", "", ""},
      {"ATAPI device 0", 0x11, true, true, true, "FIRST", "", "P0 "},
      {"ATAPI bit of an absent device", 0x20, true, true, true, "", "", ""},
      {"enable refused, identify answers", 0x01, true, false, true, "FIRST",
       "SMART Enable Command Failed, Drive: 0 : message 1117", "E0 I0 "},
      {"devices 2 and 3", 0x0C, true, true, true, "THIRD", "", "E2 I2 "},
  };
  for (const auto& c : cases) {
    ScriptedDrive drive;
    drive.map = c.map;
    drive.errorCode = 1117;
    drive.devices[0].identifies = c.device0Identifies;
    drive.devices[0].enables = c.device0Enables;
    const char* models[] = {"FIRST", "SECOND", "THIRD", "FOURTH"};
    for (int n = 0; n < 4; ++n) drive.devices[n].disk = recordedDisk(models[n], "SN" + std::to_string(n), {});
    const Identified r = identify(drive);
    EXPECT_EQ(r.ok, c.ok) << c.name;
    EXPECT_EQ(r.model, c.model) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_EQ(commandsSent(drive), c.sent) << c.name;
    EXPECT_EQ(drive.closes, 1) << c.name;
  }
}

TEST(SmartDevice, CommandBlocksAndReplySizes) {
  ScriptedDrive drive;
  drive.map = 0x0F;
  for (auto& d : drive.devices) d.identifies = false;
  identify(drive);
  std::vector<std::uint8_t> driveHeads;
  for (const Request& r : drive.requests)
    if (r.code != win32::kDfpGetVersion && r.command().registers.command == ata::kIdentifyDevice)
      driveHeads.push_back(r.command().registers.driveHead);
  EXPECT_EQ(driveHeads, (std::vector<std::uint8_t>{0xA0, 0xB0, 0xA0, 0xB0}));

  ScriptedDrive one;
  one.map = 0x02;
  readSmart(one);
  ASSERT_EQ(one.requests.size(), 5u);
  const struct {
    std::uint32_t code, outSize, preset;
    std::vector<std::uint8_t> head;
  } want[] = {
      {win32::kDfpGetVersion, 24, 0, {}},
      {win32::kDfpSendDriveCommand, 528, 0, {0, 0, 0, 0, 0xD8, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0, 0, 1}},
      {win32::kDfpReceiveDriveData, 529, 512, {0, 2, 0, 0, 0, 1, 1, 0, 0, 0xB0, 0xEC, 0, 1}},
      {win32::kDfpReceiveDriveData, 528, 0, {0, 2, 0, 0, 0xD0, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0, 0, 1}},
      {win32::kDfpReceiveDriveData, 528, 0, {0, 2, 0, 0, 0xD1, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0, 0, 1}},
  };
  for (std::size_t i = 0; i < 5; ++i) {
    const Request& r = one.requests[i];
    EXPECT_EQ(r.code, want[i].code) << i;
    EXPECT_EQ(r.outSize, want[i].outSize) << i;
    EXPECT_EQ(r.presetBufferSize, want[i].preset) << i;
    if (want[i].head.empty()) {
      EXPECT_TRUE(r.in.empty()) << i;
      continue;
    }
    std::vector<std::uint8_t> block(32, 0);
    std::copy(want[i].head.begin(), want[i].head.end(), block.begin());
    EXPECT_EQ(r.in, block) << i;
  }
}

TEST(SmartDevice, IdentificationTexts) {
  const struct {
    const char* name;
    std::vector<std::uint8_t> modelBytes;
    std::string model;
  } cases[] = {
      {"swapped pair, blanks after", {'B', 'A', ' ', ' '}, "AB"},
      {"zeros and control codes at both ends", {'\t', 0, 'Y', 'X', 0, ' '}, "XY"},
      {"inner blanks stay", {'D', 'W', 'W', ' ', '8', 'D', '0', '0'}, "WD WD800"},
      {"all blanks", {' ', ' '}, ""},
  };
  for (const auto& c : cases) {
    ScriptedDrive drive;
    auto& id = *drive.devices[0].disk.identify;
    std::fill(id.begin() + 54, id.begin() + 94, 0);
    std::copy(c.modelBytes.begin(), c.modelBytes.end(), id.begin() + 54);
    EXPECT_EQ(identify(drive).model, c.model) << c.name;
  }
  ScriptedDrive drive;
  drive.devices[0].disk = recordedDisk("ST380011A", "  5JVABC12", {});
  const Identified r = identify(drive);
  EXPECT_EQ(r.model, "ST380011A");
  EXPECT_EQ(r.serial, "5JVABC12");
}

TEST(SmartData, SlotsEndAtTheFirstEmptyOneAndThresholdsPairByPosition) {
  ScriptedDrive drive;
  std::vector<qb::diskdev::RecordedAttribute> attributes;
  for (std::uint8_t id : {1, 3, 4, 5, 7, 0, 9, 10}) attributes.push_back({id, 1, 100, 100, 0, 0});
  auto& disk = drive.devices[0].disk;
  disk = recordedDisk("M", "S", attributes);
  // Thresholds stored against other identifiers, in another order: position decides.
  const std::uint8_t limits[][2] = {{5, 11}, {4, 22}, {3, 33}, {1, 44}, {0, 55}};
  for (std::size_t i = 0; i < 5; ++i) ata::putThresholdSlot(disk.thresholds->data(), i, limits[i][0], limits[i][1]);
  const Read r = readSmart(drive);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.error, "");
  ASSERT_EQ(r.result.count, 5);
  const int ids[] = {1, 3, 4, 5, 7}, thresholds[] = {11, 22, 33, 44, 55};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(r.result.ids[i], ids[i]);
    EXPECT_EQ(r.result.threshold[i], thresholds[i]);
  }
  EXPECT_EQ(r.result.ids[5], 0) << "nothing stored past the empty slot";
}

TEST(SmartData, FieldsOfASlot) {
  ScriptedDrive drive;
  auto& data = *drive.devices[0].disk.smartData;
  const std::uint8_t slot[] = {0xC2, 0x22, 0x00, 0x64, 0x5A, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xFF};
  std::copy(std::begin(slot), std::end(slot), data.begin() + 2);
  const std::uint8_t full[] = {0x09, 0x33, 0x00, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  std::copy(std::begin(full), std::end(full), data.begin() + 14);
  const Read r = readSmart(drive);
  ASSERT_EQ(r.result.count, 2);
  EXPECT_EQ(r.result.ids[0], 0xC2);
  EXPECT_FALSE(r.result.preFailure[0]);
  EXPECT_EQ(r.result.current[0], 100);
  EXPECT_EQ(r.result.worst[0], 90);
  EXPECT_EQ(r.result.raw[0], 0x060504030201);
  EXPECT_EQ(r.result.temperature, 1) << "attribute 194's least significant raw byte";
  EXPECT_TRUE(r.result.preFailure[1]);
  EXPECT_EQ(r.result.current[1], 255);
  EXPECT_EQ(r.result.worst[1], 254);
  EXPECT_EQ(r.result.raw[1], 0xFFFFFFFFFFFF) << "48 bits, zero-extended";
}

TEST(SmartData, FailuresOfTheReads) {
  const struct {
    const char* name;
    std::uint8_t map;
    bool readsData, readsThresholds;
    std::uint32_t shortReply;
    bool ok;
    std::string error;
    std::string sent;
  } cases[] = {
      {"attributes refused", 0x01, false, true, 0, false,
       "SMART Read Attr Command Failed, Drive: 0 : message 5; DriverStatus: Drive number not valid; bIDEStatus=00A1",
       "E0 I0 D0 "},
      {"thresholds refused", 0x01, true, false, 0, false,
       "SMART Read Threshold Command Failed, Drive: 0 : message 5; DriverStatus: Drive number not valid; "
       "bIDEStatus=00A1",
       "E0 I0 D0 T0 "},
      {"device 0 refuses, device 1 answers", 0x03, false, true, 0, true,
       "SMART Read Attr Command Failed, Drive: 0 : message 5; DriverStatus: Drive number not valid; bIDEStatus=00A1",
       "E0 I0 D0 E1 I1 D1 T1 "},
      {"short replies", 0x01, true, true, 100, false,
       "Identify Command Failed on Drive: No error bIDEStatus=0050 : Short reply: 100 of 528 bytes", "E0 I0 "},
  };
  for (const auto& c : cases) {
    ScriptedDrive drive;
    drive.map = c.map;
    drive.errorCode = 5;
    drive.shortReply = c.shortReply;
    drive.devices[0].readsData = c.readsData;
    drive.devices[0].readsThresholds = c.readsThresholds;
    drive.devices[0].driverError = 5;
    drive.devices[0].ideStatus = 0xA1;
    drive.devices[1].disk = recordedDisk("M", "S", {{9, 0, 100, 100, 7, 0}});
    const Read r = readSmart(drive);
    EXPECT_EQ(r.ok, c.ok) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_EQ(r.result.count, c.ok ? 1 : 0) << c.name;
    EXPECT_EQ(commandsSent(drive), c.sent) << c.name;
    EXPECT_EQ(drive.closes, 1) << c.name;
  }
}

TEST(SmartData, AnExceptionBecomesTheErrorTextAndTheDeviceIsClosed) {
  const struct {
    const char* name;
    bool whileOpening;
    std::function<void()> thrower;
    std::string error;
    bool ok;  // that of the last request sent
    int closes;
  } cases[] = {
      {"with a message", false, [] { throw std::runtime_error("  disk went away \n "); },
       "SMART Failed - disk went away", true, 1},
      {"without one", false, [] { throw 42; }, "SMART Failed - ", true, 1},
      // Opening a recorded disk reads its file.
      {"while opening", true, [] { throw std::runtime_error("recording unreadable"); },
       "SMART Failed - recording unreadable", false, 0},
  };
  for (const auto& c : cases) {
    ScriptedDrive drive;
    if (c.whileOpening) drive.onOpen = c.thrower;
    drive.onRequest = [&](const Request& r) {
      if (!c.whileOpening && r.code == win32::kDfpReceiveDriveData &&
          r.command().registers.features == ata::kSmartReadData)
        c.thrower();
    };
    Read r;
    ASSERT_NO_THROW(r = readSmart(drive)) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_EQ(r.result.count, 0) << c.name;
    EXPECT_EQ(r.ok, c.ok) << c.name;
    EXPECT_EQ(drive.closes, c.closes) << c.name;
  }
}

TEST(SmartDevice, IdentifyKeepsExceptionsInAndFails) {
  for (const bool whileOpening : {true, false}) {
    ScriptedDrive drive;
    const auto thrower = [] { throw std::runtime_error(" no memory "); };
    if (whileOpening)
      drive.onOpen = thrower;
    else
      drive.onRequest = [&](const Request& r) {
        if (r.code == win32::kDfpReceiveDriveData) thrower();
      };
    Identified r;
    ASSERT_NO_THROW(r = identify(drive)) << whileOpening;
    EXPECT_FALSE(r.ok) << whileOpening;
    EXPECT_EQ(r.error, "Identify Failed - no memory") << whileOpening;
    EXPECT_EQ(r.model, "") << whileOpening;
    EXPECT_EQ(drive.closes, whileOpening ? 0 : 1) << whileOpening;
  }
}

TEST(SmartDevice, WindowsNineXIndexesCountTheDevicesOfTheMap) {
  // Devices 1 and 3 present: index 0 is device 1, index 1 device 3.
  const struct {
    int index;
    bool ok;
    std::string model, error, sent;
  } cases[] = {
      {0, true, "SECOND", "", "E1 I1 "},
      {1, true, "FOURTH", "", "E3 I3 "},
      {2, false, "", "Drive number not valid", ""},
      {10, false, "", "Drive number not valid", ""},
  };
  for (const auto& c : cases) {
    ScriptedDrive drive;
    drive.map = 0x0A;
    drive.devices[1].disk = recordedDisk("SECOND", "S", {{9, 0, 1, 1, 0, 0}});
    drive.devices[3].disk = recordedDisk("FOURTH", "S", {{9, 0, 1, 1, 0, 0}});
    const Identified r = identify(drive, c.index, Platform::NineX);
    EXPECT_EQ(r.ok, c.ok) << c.index;
    EXPECT_EQ(r.model, c.model) << c.index;
    EXPECT_EQ(r.error, c.error) << c.index;
    EXPECT_EQ(commandsSent(drive), c.sent) << c.index;
    EXPECT_EQ(readSmart(drive, c.index, Platform::NineX).result.count, c.ok ? 1 : 0) << c.index;
  }
}

TEST(ScsiSerial, PassThroughRequestAndAnswers) {
  const std::vector<std::uint8_t> page = {0, 0x80, 0, 10, ' ', ' ', 'W', 'D', '-', '1', '2', '3', ' ', 0};
  const struct {
    const char* name;
    bool opens, answers;
    std::vector<std::uint8_t> page;
    bool ok;
    std::string serial, error;
  } cases[] = {
      {"serial page", true, true, page, true, "WD-123", ""},
      {"no drive", false, true, page, false, "", "Unable to open physical drive: message 2"},
      {"refused", true, false, page, false, "", "SCSI_IOCTL Command Failed: message 2"},
      {"other page", true, true, {0, 0x83, 0, 10, 'X'}, false, "", "No SCSI Drive Serial Number Returned"},
      {"empty page", true, true, {0, 0x80, 0, 0}, false, "", "No SCSI Drive Serial Number Returned"},
  };
  for (const auto& c : cases) {
    ScriptedDrive drive;
    drive.opens = c.opens;
    drive.passThroughAnswers = c.answers;
    drive.scsiPage = c.page;
    drive.errorCode = 2;
    DiskAccess access = accessTo(drive);
    std::string error = "stale", serial = "stale";
    EXPECT_EQ(ReadScsiSerial(access, 4, error, serial), c.ok) << c.name;
    EXPECT_EQ(serial, c.serial) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_EQ(drive.opened, std::vector<std::string>{"\\\\.\\PhysicalDrive4"}) << c.name;
    EXPECT_EQ(drive.closes, c.opens ? 1 : 0) << c.name;
    if (!c.opens) continue;
    ASSERT_EQ(drive.requests.size(), 1u) << c.name;
    EXPECT_EQ(drive.requests[0].code, 0x4D004u);
    EXPECT_EQ(drive.requests[0].in.size(), 44u);
    EXPECT_EQ(drive.requests[0].outSize, 268u);
  }
}

TEST(ScsiSerial, AnExceptionGivesItsOwnText) {
  for (const bool whileOpening : {true, false}) {
    ScriptedDrive drive;
    if (whileOpening)
      drive.onOpen = [] { throw std::bad_alloc(); };
    else
      drive.onRequest = [](const Request&) { throw std::bad_alloc(); };
    DiskAccess access = accessTo(drive);
    std::string error, serial;
    bool ok = true;
    ASSERT_NO_THROW(ok = ReadScsiSerial(access, 0, error, serial)) << whileOpening;
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "Exception Getting SCSI Drive Serial Number") << whileOpening;
    EXPECT_EQ(drive.closes, whileOpening ? 0 : 1) << whileOpening;
  }
}

TEST(SmartDevice, DriverErrorTexts) {
  const std::pair<unsigned, std::string> cases[] = {
      {0, "No error"},
      {4, "Bad buffer (null, invalid addr..)"},
      {7, "Could not lock user\"s buffer"},
      {10, "Cmd issued to device not present although drive number is valid"},
      {11, "Unknown driver error 11"},
      {255, "Unknown driver error 255"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(driverErrorText(code), text) << code;
}

}  // namespace
}  // namespace qb::smart
