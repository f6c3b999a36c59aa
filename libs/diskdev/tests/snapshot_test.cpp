#include "qb/diskdev/snapshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "qb/diskdev/recording.h"

namespace qb::diskdev {
namespace {

std::vector<std::uint8_t> block(const char* tag, std::uint32_t declared, std::size_t actual, std::uint8_t fill = 0) {
  std::vector<std::uint8_t> out(tag, tag + 4);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(declared >> shift));
  out.insert(out.end(), actual, fill);
  return out;
}
std::vector<std::uint8_t> operator+(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(SnapshotFile, BlocksAndMalformedFiles) {
  const auto idfy = block("IDFY", 512, 512, 0x11);
  const auto smdt = block("SMDT", 512, 512, 0x22);
  const auto smth = block("SMTH", 512, 512, 0x33);
  const struct {
    const char* name;
    std::vector<std::uint8_t> file;
    bool valid;
    bool identify, data, thresholds, status;
  } cases[] = {
      {"all four", idfy + smdt + smth + block("SMST", 4, 4, 1), true, true, true, true, true},
      {"without status", idfy + smdt + smth, true, true, true, true, false},
      {"unknown tags skipped", block("XTRA", 3, 3) + idfy + block("\0\0\0\0", 0, 0) + smth, true, true, false, true, false},
      {"empty file", {}, true, false, false, false, false},
      {"all-zero identify", block("IDFY", 512, 512, 0), true, true, false, false, false},
      {"header cut short", idfy + std::vector<std::uint8_t>{'S', 'M', 'D', 'T', 0, 0}, false},
      {"body cut short", idfy + block("SMDT", 512, 511), false},
      {"length past the end", block("IDFY", 0xFFFFFFFF, 512), false},
      {"length with the top bit set", block("XTRA", 0x80000000, 16), false},
      {"identify of 511", block("IDFY", 511, 511), false},
      {"thresholds of 1024", block("SMTH", 1024, 1024), false},
      {"status of 8", idfy + block("SMST", 8, 8), false},
      {"all 0xFF", std::vector<std::uint8_t>(1600, 0xFF), false},
  };
  for (const auto& c : cases) {
    const auto parsed = parseSnapshot(c.file.data(), c.file.size());
    ASSERT_EQ(parsed.has_value(), c.valid) << c.name;
    if (!parsed) continue;
    EXPECT_EQ(parsed->identify.has_value(), c.identify) << c.name;
    EXPECT_EQ(parsed->smartData.has_value(), c.data) << c.name;
    EXPECT_EQ(parsed->thresholds.has_value(), c.thresholds) << c.name;
    EXPECT_EQ(parsed->status.has_value(), c.status) << c.name;
  }
}

TEST(SnapshotFile, FirstOfRepeatedBlocksCountsAndWritingReadsBack) {
  const auto file = block("IDFY", 512, 512, 0x11) + block("IDFY", 512, 512, 0x99);
  const auto parsed = parseSnapshot(file.data(), file.size());
  ASSERT_TRUE(parsed && parsed->identify);
  EXPECT_EQ((*parsed->identify)[0], 0x11);

  const Snapshot disk = recordedDisk("ST380011A", "5JVABC12", {{194, 0x22, 100, 90, 41, 0}});
  const std::vector<std::uint8_t> bytes = encodeSnapshot(disk);
  EXPECT_EQ(bytes.size(), 3 * (8 + 512) + 8 + 4u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), std::string("IDFY\0\0\x02\0", 8));
  const auto back = parseSnapshot(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->identify, disk.identify);
  EXPECT_EQ(back->smartData, disk.smartData);
  EXPECT_EQ(back->thresholds, disk.thresholds);
  EXPECT_EQ(back->status, disk.status);
  EXPECT_FALSE(parseSnapshot(bytes.data(), kMaxSnapshotFileSize + 1)) << "too large to be a recording";
}

TEST(SnapshotFile, PhysicalDriveNames) {
  const std::map<std::string, std::optional<std::size_t>> cases = {
      {"\\\\.\\PhysicalDrive0", 0},   {"\\\\.\\physicaldrive12", 12}, {"\\\\.\\PHYSICALDRIVE007", 7},
      {"\\\\.\\PhysicalDrive", {}},   {"\\\\.\\PhysicalDrive1a", {}}, {"\\\\.\\PhysicalDrive-1", {}},
      {"\\\\.\\PhysicalDrive99999999999999999999", {}},                {"PhysicalDrive0", {}},
      {"\\\\?\\PhysicalDrive0", {}},  {"", {}},
  };
  for (const auto& [path, index] : cases) EXPECT_EQ(physicalDriveIndex(path), index) << path;
}

// Recordings held in memory, by index.
class Files : public SnapshotSource {
 public:
  std::vector<std::vector<std::uint8_t>> files;
  int reads = 0;
  std::optional<std::vector<std::uint8_t>> file(std::size_t index) override {
    ++reads;
    if (index >= files.size()) return std::nullopt;
    return files[index];
  }
};

struct Reply {
  bool ok;
  std::uint32_t error, returned;
  std::vector<std::uint8_t> out;
};

Reply request(SnapshotDevice& device, std::uint32_t code, const std::vector<std::uint8_t>& in, std::size_t outSize) {
  Reply r{false, 0, 0xDEAD, std::vector<std::uint8_t>(outSize, 0xEE)};
  r.ok = device.control(code, in.data(), static_cast<std::uint32_t>(in.size()), r.out.data(),
                        static_cast<std::uint32_t>(outSize), r.returned);
  r.error = device.lastError();
  return r;
}

std::vector<std::uint8_t> command(const ata::Command& c) {
  std::vector<std::uint8_t> in(ata::kCommandBlockSize);
  ata::encodeCommand(c, in.data());
  return in;
}

class RecordedDevice : public ::testing::Test {
 protected:
  RecordedDevice() {
    Snapshot noThresholds = recordedDisk("NO LIMITS", "S2", {{1, 1, 100, 100, 0, 6}});
    noThresholds.thresholds.reset();
    source.files = {encodeSnapshot(recordedDisk("DISK ZERO", "S0", {{1, 1, 100, 100, 0, 6}})),
                    encodeSnapshot(recordedDisk("CD DRIVE", "S1", {}, true)), encodeSnapshot(noThresholds),
                    {'b', 'a', 'd'}};
  }
  Files source;
  SnapshotDevice device{source};
};

TEST_F(RecordedDevice, OpensOneDiskPerPhysicalDriveAndMissingOrMalformedOnesFail) {
  const struct {
    const char* path;
    bool opens;
  } cases[] = {{"\\\\.\\PhysicalDrive0", true}, {"\\\\.\\PhysicalDrive2", true},  {"\\\\.\\PhysicalDrive3", false},
               {"\\\\.\\PhysicalDrive4", false}, {"\\\\.\\Scsi0:", true},        {"\\\\.\\SMARTVSD", true},
               {"\\\\.\\Scsi1:", false},         {"C:\\disk.img", false},        {nullptr, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(device.open(c.path, 0, 0, 0), c.opens) << (c.path ? c.path : "(null)");
    EXPECT_EQ(device.lastError(), c.opens ? 0u : win32::kErrorFileNotFound) << (c.path ? c.path : "(null)");
    device.close();
  }
  std::uint32_t returned = 0;
  std::uint8_t out[24];
  EXPECT_FALSE(device.control(win32::kDfpGetVersion, nullptr, 0, out, 24, returned)) << "closed";
}

TEST_F(RecordedDevice, VersionMapPerDevice) {
  const struct {
    const char* path;
    std::uint8_t map;
  } cases[] = {{"\\\\.\\PhysicalDrive0", 0x01}, {"\\\\.\\PhysicalDrive1", 0x11}, {"\\\\.\\SMARTVSD", 0x27}};
  for (const auto& c : cases) {
    ASSERT_TRUE(device.open(c.path, 0, 0, 0));
    const Reply r = request(device, win32::kDfpGetVersion, {}, 24);
    EXPECT_TRUE(r.ok) << c.path;
    EXPECT_EQ(r.returned, 24u);
    EXPECT_EQ(ata::decodeVersionReply(r.out.data()).deviceMap, c.map) << c.path;
    device.close();
  }
}

TEST_F(RecordedDevice, CommandsAnswerFromTheBlocksAndMissingBlocksFailAsADriveWould) {
  const auto enable = ata::smartCommand(0, ata::kSmartEnableOperations, 0);
  const auto readData = ata::smartCommand(0, ata::kSmartReadData, 512);
  const auto readLimits = ata::smartCommand(0, ata::kSmartReadThresholds, 512);
  const auto identify = ata::identifyCommand(0, false);
  const auto identifyPacket = ata::identifyCommand(0, true);
  const struct {
    const char* name;
    int disk;
    std::uint32_t code;
    ata::Command c;
    bool ok;
    std::uint8_t driverError;
    std::uint32_t returned;
  } cases[] = {
      {"enable", 0, win32::kDfpSendDriveCommand, enable, true, 0, 16},
      {"identify", 0, win32::kDfpReceiveDriveData, identify, true, 0, 528},
      {"read data", 0, win32::kDfpReceiveDriveData, readData, true, 0, 528},
      {"read thresholds", 0, win32::kDfpReceiveDriveData, readLimits, true, 0, 528},
      {"read data as a send", 0, win32::kDfpSendDriveCommand, readData, false, 1, 16},
      {"packet identify to a disk", 0, win32::kDfpReceiveDriveData, identifyPacket, false, 1, 16},
      {"identify to a packet device", 1, win32::kDfpReceiveDriveData, identify, false, 1, 16},
      {"packet identify", 1, win32::kDfpReceiveDriveData, identifyPacket, true, 0, 528},
      {"no thresholds recorded", 2, win32::kDfpReceiveDriveData, readLimits, false, 1, 16},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(device.open(("\\\\.\\PhysicalDrive" + std::to_string(c.disk)).c_str(), 0, 0, 0));
    const Reply r = request(device, c.code, command(c.c), 528);
    EXPECT_EQ(r.ok, c.ok) << c.name;
    EXPECT_EQ(r.error, c.ok ? 0u : win32::kErrorIoDevice) << c.name;
    EXPECT_EQ(r.returned, c.returned) << c.name;
    const ata::ReplyStatus status = ata::decodeReplyStatus(r.out.data());
    EXPECT_EQ(status.driverError, c.driverError) << c.name;
    EXPECT_EQ(status.ideStatus, c.ok ? 0x50 : 0x51) << c.name;
    if (c.returned == 528) EXPECT_EQ(status.bufferSize, 512u) << c.name;
    else EXPECT_EQ(r.out[16], 0xEE) << c.name << ": nothing written past the status";
    device.close();
  }
}

TEST_F(RecordedDevice, ShortBuffersAreRefusedWithoutAWrite) {
  ASSERT_TRUE(device.open("\\\\.\\PhysicalDrive0", 0, 0, 0));
  const auto identify = command(ata::identifyCommand(0, false));
  const struct {
    const char* name;
    std::uint32_t code;
    std::vector<std::uint8_t> in;
    std::size_t outSize;
    std::uint32_t error;
  } cases[] = {
      {"version into 23", win32::kDfpGetVersion, {}, 23, win32::kErrorInsufficientBuffer},
      {"identify into 527", win32::kDfpReceiveDriveData, identify, 527, win32::kErrorInsufficientBuffer},
      {"enable into 15", win32::kDfpSendDriveCommand, command(ata::smartCommand(0, 0xD8, 0)), 15,
       win32::kErrorInsufficientBuffer},
      {"command of 31", win32::kDfpReceiveDriveData, std::vector<std::uint8_t>(identify.begin(), identify.end() - 1),
       528, win32::kErrorInvalidParameter},
      {"pass-through", win32::kIoctlScsiPassThrough, std::vector<std::uint8_t>(44), 268, win32::kErrorInvalidFunction},
      {"miniport on a drive", win32::kIoctlScsiMiniport, std::vector<std::uint8_t>(572), 572,
       win32::kErrorInvalidFunction},
  };
  for (const auto& c : cases) {
    const Reply r = request(device, c.code, c.in, c.outSize);
    EXPECT_FALSE(r.ok) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_EQ(r.out, std::vector<std::uint8_t>(c.outSize, 0xEE)) << c.name;
  }
}

TEST_F(RecordedDevice, SmartDriverAddressesDisksByDriveNumber) {
  ASSERT_TRUE(device.open("\\\\.\\SMARTVSD", 0, win32::kCreateNew, 0));
  const struct {
    std::uint8_t drive;
    bool ok;
    std::uint8_t driverError;
    const char* model;
  } cases[] = {{0, true, 0, "DISK ZERO"}, {2, true, 0, "NO LIMITS"}, {3, false, 5, ""}, {4, false, 5, ""}};
  for (const auto& c : cases) {
    ata::Command id = ata::identifyCommand(0, false);
    id.driveNumber = c.drive;
    const Reply r = request(device, win32::kDfpReceiveDriveData, command(id), 528);
    EXPECT_EQ(r.ok, c.ok) << int(c.drive);
    EXPECT_EQ(ata::decodeReplyStatus(r.out.data()).driverError, c.driverError) << int(c.drive);
    if (c.ok) {
      EXPECT_EQ(ata::identifyModel(r.out.data() + 16), c.model);
    }
  }
}

TEST_F(RecordedDevice, MiniportIdentifyOnTheScsiPort) {
  ASSERT_TRUE(device.open("\\\\.\\Scsi0:", 0, 0, 0));
  for (const std::uint8_t drive : {0, 1, 3, 9}) {
    std::vector<std::uint8_t> block(572, 0);
    const std::uint8_t head[] = {28, 0, 0, 0, 'S', 'C', 'S', 'I', 'D', 'I', 'S', 'K', 2, 0, 0, 0, 0x01, 0x05, 0x1B};
    std::memcpy(block.data(), head, sizeof head);
    ata::encodeCommand(ata::identifyCommand(0, false), block.data() + 28);
    block[40] = drive;
    std::uint32_t returned = 0;
    const bool ok = device.control(win32::kIoctlScsiMiniport, block.data(), 572, block.data(), 572, returned);
    const bool answers = drive <= 1;  // disk 1 is a packet device: asked the packet way
    EXPECT_EQ(ok, answers) << int(drive);
    if (!answers) continue;
    EXPECT_EQ(returned, 28 + 16 + 512u);
    EXPECT_EQ(ata::identifyModel(block.data() + 44), drive == 0 ? "DISK ZERO" : "CD DRIVE");
  }
  std::vector<std::uint8_t> wrong(572, 0);
  std::memcpy(wrong.data() + 4, "SCSIDISC", 8);
  std::uint32_t returned = 0;
  EXPECT_FALSE(device.control(win32::kIoctlScsiMiniport, wrong.data(), 572, wrong.data(), 572, returned));
}

}  // namespace
}  // namespace qb::diskdev
