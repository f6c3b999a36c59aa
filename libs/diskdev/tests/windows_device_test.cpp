// Which device the disk readers get, and recordings read from a real folder.
#include <windows.h>

#include <gtest/gtest.h>

#include "qb/diskdev/recorded_folder.h"
#include "qb/diskdev/recording.h"
#include "qb/diskdev/system.h"

namespace qb::diskdev {
namespace {

std::string modelOf(DiskDevice& device) {
  std::vector<std::uint8_t> in(ata::kCommandBlockSize), out(ata::kReplySize);
  ata::encodeCommand(ata::identifyCommand(0, false), in.data());
  std::uint32_t returned = 0;
  if (!device.control(win32::kDfpReceiveDriveData, in.data(), 32, out.data(), 528, returned)) return "(failed)";
  return ata::identifyModel(out.data() + 16);
}

std::string openedModel(const char* path) {
  DiskDevice& device = diskDevice();
  if (!device.open(path, 0, 0, 0)) return "(no disk, error " + std::to_string(GetLastError()) + ")";
  std::string model = modelOf(device);
  device.close();
  return model;
}

TEST(RecordedDisks, FilesInNameOrderAreTheDisks) {
  RecordedFolder folder(L"diskdev_order");
  folder.write(L"b.smart", recordedDisk("SECOND", "S", {}));
  folder.write(L"a.smart", recordedDisk("FIRST", "S", {}));
  folder.write(L"c broken.smart", std::vector<std::uint8_t>{'I', 'D', 'F', 'Y', 0, 0, 2});
  folder.write(L"d.smart", recordedDisk("FOURTH", "S", {}));
  CreateDirectoryW((folder.path() + L"\\0 folder").c_str(), nullptr);
  EXPECT_EQ(snapshotFiles(folder.path()), (std::vector<std::wstring>{L"a.smart", L"b.smart", L"c broken.smart", L"d.smart"}));

  EXPECT_EQ(openedModel("\\\\.\\PhysicalDrive0"), "FIRST");
  EXPECT_EQ(openedModel("\\\\.\\PhysicalDrive1"), "SECOND");
  EXPECT_EQ(openedModel("\\\\.\\PhysicalDrive2"), "(no disk, error 2)") << "a malformed file is no disk";
  EXPECT_EQ(openedModel("\\\\.\\PhysicalDrive3"), "FOURTH");
  EXPECT_EQ(openedModel("\\\\.\\PhysicalDrive4"), "(no disk, error 2)");
  RemoveDirectoryW((folder.path() + L"\\0 folder").c_str());

  // Each open reads the folder again.
  folder.remove(L"a.smart");
  EXPECT_EQ(openedModel("\\\\.\\PhysicalDrive0"), "SECOND");
}

TEST(RecordedDisks, AFileTooLargeToBeARecordingIsNoDisk) {
  RecordedFolder folder(L"diskdev_large");
  std::vector<std::uint8_t> large = encodeSnapshot(recordedDisk("LARGE", "S", {}));
  appendBlock(large, "PADS", std::vector<std::uint8_t>(kMaxSnapshotFileSize).data(),
              static_cast<std::uint32_t>(kMaxSnapshotFileSize));
  folder.write(L"0.smart", large);
  EXPECT_EQ(openedModel("\\\\.\\PhysicalDrive0"), "(no disk, error 2)");
}

TEST(RecordedDisks, FailuresSetTheThreadsLastError) {
  RecordedFolder folder(L"diskdev_errors");
  Snapshot noData = recordedDisk("M", "S", {});
  noData.smartData.reset();
  folder.write(L"0.smart", noData);
  DiskDevice& device = diskDevice();
  ASSERT_TRUE(device.open("\\\\.\\PhysicalDrive0", 0, 0, 0));
  EXPECT_EQ(GetLastError(), 0u);
  std::vector<std::uint8_t> in(32), out(528);
  ata::encodeCommand(ata::smartCommand(0, ata::kSmartReadData, 512), in.data());
  std::uint32_t returned = 0;
  SetLastError(0);
  EXPECT_FALSE(device.control(win32::kDfpReceiveDriveData, in.data(), 32, out.data(), 528, returned));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_DEVICE));
  EXPECT_EQ(device.lastError(), static_cast<std::uint32_t>(ERROR_IO_DEVICE));
  EXPECT_EQ(ata::decodeReplyStatus(out.data()).driverError, 1);
  device.close();
}

TEST(DeviceChoice, TestDeviceThenRecordingsThenTheSystem) {
  class Nothing : public DiskDevice {
   public:
    bool open(const char*, std::uint32_t, std::uint32_t, std::uint32_t) override { return false; }
    bool control(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint8_t*, std::uint32_t,
                 std::uint32_t&) override {
      return false;
    }
    void close() override {}
    std::uint32_t lastError() override { return 0; }
  } nothing;

  SetEnvironmentVariableW(kSnapshotFolderVariable, nullptr);
  DiskDevice& system = diskDevice();
  {
    RecordedFolder folder(L"diskdev_choice");
    EXPECT_EQ(snapshotFolder(), folder.path());
    DiskDevice& recorded = diskDevice();
    EXPECT_NE(&recorded, &system);
    replaceDiskDevice(&nothing);
    EXPECT_EQ(&diskDevice(), &nothing);
    replaceDiskDevice(nullptr);
    EXPECT_EQ(&diskDevice(), &recorded);
  }
  EXPECT_EQ(snapshotFolder(), L"");
  EXPECT_EQ(&diskDevice(), &system) << "without QUBRIX_DISKS the real devices are used";

  // A long folder name is read whole.
  const std::wstring longName(400, L'x');
  SetEnvironmentVariableW(kSnapshotFolderVariable, longName.c_str());
  EXPECT_EQ(snapshotFolder(), longName);
  SetEnvironmentVariableW(kSnapshotFolderVariable, nullptr);
}

TEST(DeviceChoice, SystemMessagesLoseTheirFullStopAndLineBreak) {
  for (const std::uint32_t code : {2u, 5u, 1117u}) {
    const std::string message = systemMessage(code);
    ASSERT_FALSE(message.empty()) << code;
    const char last = message.back();
    EXPECT_TRUE(last != '.' && last != '\n' && last != '\r' && last != ' ') << code << ": " << message;
  }
}

}  // namespace
}  // namespace qb::diskdev
