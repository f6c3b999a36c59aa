#pragma once
// Recorded disks. A recording is a file of blocks, each a 4-byte ASCII tag, a
// 32-bit big-endian length and that many bytes: "IDFY" the IDENTIFY data,
// "SMDT" the S.M.A.R.T. data, "SMTH" the thresholds (512 bytes each), "SMST"
// 4 bytes of S.M.A.R.T. status; other tags are skipped. It is what
// `skdump --save` of libatasmart writes on Linux.
//
// SnapshotDevice answers the disk drivers' requests from the recordings of a
// folder, so the readers can look at disks recorded elsewhere: the files in
// name order are disks 0, 1, 2, ...; disk k is "\\.\PhysicalDrive<k>" (one
// IDE device 0 behind it) and drive number k on "\\.\Scsi0:" and "\\.\SMARTVSD".
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qb/diskdev/ata.h"
#include "qb/diskdev/device.h"

namespace qb::diskdev {

using Sector = std::array<std::uint8_t, ata::kSectorSize>;

struct Snapshot {
  std::optional<Sector> identify;
  std::optional<Sector> smartData;
  std::optional<Sector> thresholds;
  std::optional<std::array<std::uint8_t, 4>> status;

  bool packetDevice() const { return identify && ata::isPacketDevice(identify->data()); }
};

// A file larger than this is no recording (a few blocks of 512 bytes are).
constexpr std::size_t kMaxSnapshotFileSize = 1u << 20;

// Null for a malformed file: a block header cut short, a length past the end
// of the file, or a known block of the wrong size. A tag that comes again is
// skipped: the first block with a tag counts.
std::optional<Snapshot> parseSnapshot(const std::uint8_t* data, std::size_t size);
// The file for a snapshot: its blocks in the order IDFY, SMDT, SMTH, SMST.
std::vector<std::uint8_t> encodeSnapshot(const Snapshot& snapshot);
// One block, for writing odd files.
void appendBlock(std::vector<std::uint8_t>& file, const char tag[4], const std::uint8_t* data, std::uint32_t size);

// Where the recordings come from.
class SnapshotSource {
 public:
  virtual ~SnapshotSource() = default;
  // The bytes of the file of disk `index` (files in name order), or null when
  // there is no such file or it cannot be read.
  virtual std::optional<std::vector<std::uint8_t>> file(std::size_t index) = 0;
};

class SnapshotDevice : public DiskDevice {
 public:
  explicit SnapshotDevice(SnapshotSource& source) : source_(source) {}

  bool open(const char* path, std::uint32_t access, std::uint32_t share, std::uint32_t creation) override;
  bool control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
               std::uint32_t outSize, std::uint32_t& returned) override;
  void close() override;
  std::uint32_t lastError() override { return error_; }

 protected:
  // Every request ends here with its system error code (0 after success).
  virtual void setError(std::uint32_t code) { error_ = code; }

 private:
  enum class Kind { Closed, PhysicalDrive, ScsiPort, SmartDriver };
  struct Answer {
    bool ok;
    std::uint8_t driverError;
    const Sector* data;
  };

  std::optional<Snapshot> load(std::size_t index);
  const Snapshot* driverDisk(std::uint8_t driveNumber);
  Answer answer(const Snapshot* disk, const ata::Command& command, bool receive) const;
  bool finish(bool ok, std::uint32_t error);
  bool driveRequest(bool receive, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                    std::uint32_t outSize, std::uint32_t& returned);
  bool miniportRequest(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                       std::uint32_t& returned);

  SnapshotSource& source_;
  Kind kind_ = Kind::Closed;
  std::vector<std::optional<Snapshot>> disks_;  // the drive's one disk, or the SMART driver's four
  std::uint32_t error_ = 0;
};

// "\\.\PhysicalDrive<k>" (case ignored, as Windows does) gives k.
std::optional<std::size_t> physicalDriveIndex(const std::string& path);

}  // namespace qb::diskdev
