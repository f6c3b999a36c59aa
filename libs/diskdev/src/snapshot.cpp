#include "qb/diskdev/snapshot.h"

#include <cstring>

namespace qb::diskdev {
namespace {

using namespace win32;

std::uint32_t getBigEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

bool tagIs(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// Stores a sector block; false when the block has the wrong size.
bool keepSector(std::optional<Sector>& slot, const std::uint8_t* data, std::uint32_t size) {
  if (size != ata::kSectorSize) return false;
  if (!slot) {
    slot.emplace();
    std::memcpy(slot->data(), data, ata::kSectorSize);
  }
  return true;
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != b[i]) return false;
  }
  return true;
}

constexpr char kDevicePrefix[] = "\\\\.\\";

}  // namespace

std::optional<Snapshot> parseSnapshot(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxSnapshotFileSize) return std::nullopt;
  Snapshot snapshot;
  std::size_t at = 0;
  while (at < size) {
    if (size - at < 8) return std::nullopt;
    const std::uint8_t* tag = data + at;
    const std::uint32_t length = getBigEndian32(data + at + 4);
    at += 8;
    if (length > size - at) return std::nullopt;
    const std::uint8_t* body = data + at;
    bool fits = true;
    if (tagIs(tag, "IDFY")) {
      fits = keepSector(snapshot.identify, body, length);
    } else if (tagIs(tag, "SMDT")) {
      fits = keepSector(snapshot.smartData, body, length);
    } else if (tagIs(tag, "SMTH")) {
      fits = keepSector(snapshot.thresholds, body, length);
    } else if (tagIs(tag, "SMST")) {
      fits = length == 4;
      if (fits && !snapshot.status) {
        snapshot.status.emplace();
        std::memcpy(snapshot.status->data(), body, 4);
      }
    }
    if (!fits) return std::nullopt;
    at += length;
  }
  return snapshot;
}

void appendBlock(std::vector<std::uint8_t>& file, const char tag[4], const std::uint8_t* data, std::uint32_t size) {
  file.insert(file.end(), tag, tag + 4);
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<std::uint8_t>(size >> shift));
  if (size) file.insert(file.end(), data, data + size);
}

std::vector<std::uint8_t> encodeSnapshot(const Snapshot& s) {
  std::vector<std::uint8_t> file;
  if (s.identify) appendBlock(file, "IDFY", s.identify->data(), ata::kSectorSize);
  if (s.smartData) appendBlock(file, "SMDT", s.smartData->data(), ata::kSectorSize);
  if (s.thresholds) appendBlock(file, "SMTH", s.thresholds->data(), ata::kSectorSize);
  if (s.status) appendBlock(file, "SMST", s.status->data(), 4);
  return file;
}

std::optional<std::size_t> physicalDriveIndex(const std::string& path) {
  constexpr std::size_t prefix = sizeof kDevicePrefix - 1;
  constexpr char name[] = "PHYSICALDRIVE";
  constexpr std::size_t nameSize = sizeof name - 1;
  if (path.compare(0, prefix, kDevicePrefix) != 0 || path.size() <= prefix + nameSize) return std::nullopt;
  if (!equalsIgnoringCase(path.substr(prefix, nameSize), name)) return std::nullopt;
  const std::string digits = path.substr(prefix + nameSize);
  if (digits.size() > 6) return std::nullopt;  // no folder holds a million recordings
  std::size_t index = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    index = index * 10 + static_cast<std::size_t>(c - '0');
  }
  return index;
}

std::optional<Snapshot> SnapshotDevice::load(std::size_t index) {
  const auto bytes = source_.file(index);
  if (!bytes) return std::nullopt;
  return parseSnapshot(bytes->data(), bytes->size());
}

bool SnapshotDevice::open(const char* path, std::uint32_t, std::uint32_t, std::uint32_t) {
  close();
  const std::string name = path ? path : "";
  if (const auto index = physicalDriveIndex(name)) {
    auto disk = load(*index);
    if (!disk) return finish(false, kErrorFileNotFound);
    disks_.push_back(std::move(disk));
    kind_ = Kind::PhysicalDrive;
  } else if (name.size() > 4 && equalsIgnoringCase(name.substr(4), "SCSI0:") && name.compare(0, 4, kDevicePrefix) == 0) {
    kind_ = Kind::ScsiPort;  // its drives are read per request
  } else if (name.size() > 4 && equalsIgnoringCase(name.substr(4), "SMARTVSD") &&
             name.compare(0, 4, kDevicePrefix) == 0) {
    for (std::size_t i = 0; i < 4; ++i) disks_.push_back(load(i));
    kind_ = Kind::SmartDriver;
  } else {
    return finish(false, kErrorFileNotFound);
  }
  return finish(true, 0);
}

void SnapshotDevice::close() {
  kind_ = Kind::Closed;
  disks_.clear();
}

bool SnapshotDevice::finish(bool ok, std::uint32_t error) {
  setError(error);
  return ok;
}

const Snapshot* SnapshotDevice::driverDisk(std::uint8_t driveNumber) {
  if (kind_ == Kind::PhysicalDrive) return disks_.front() ? &*disks_.front() : nullptr;
  if (driveNumber < disks_.size() && disks_[driveNumber]) return &*disks_[driveNumber];
  return nullptr;
}

SnapshotDevice::Answer SnapshotDevice::answer(const Snapshot* disk, const ata::Command& c, bool receive) const {
  const Answer aborted{false, 1, nullptr};
  const ata::Registers& r = c.registers;
  if (r.command == ata::kIdentifyDevice || r.command == ata::kIdentifyPacketDevice) {
    // A packet device refuses IDENTIFY DEVICE and a disk refuses the packet form.
    const bool packet = r.command == ata::kIdentifyPacketDevice;
    if (!receive || !disk->identify || disk->packetDevice() != packet) return aborted;
    return {true, 0, &*disk->identify};
  }
  if (r.command != ata::kSmartCommand || r.cylinderLow != ata::kSmartCylinderLow ||
      r.cylinderHigh != ata::kSmartCylinderHigh)
    return aborted;
  switch (r.features) {
    case ata::kSmartEnableOperations:
      return {true, 0, nullptr};
    case ata::kSmartReturnStatus:
      return disk->status ? Answer{true, 0, nullptr} : aborted;
    case ata::kSmartReadData:
      return receive && disk->smartData ? Answer{true, 0, &*disk->smartData} : aborted;
    case ata::kSmartReadThresholds:
      return receive && disk->thresholds ? Answer{true, 0, &*disk->thresholds} : aborted;
    default:
      return aborted;
  }
}

bool SnapshotDevice::driveRequest(bool receive, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                                  std::uint32_t outSize, std::uint32_t& returned) {
  if (kind_ != Kind::PhysicalDrive && kind_ != Kind::SmartDriver) return finish(false, kErrorInvalidFunction);
  if (!in || inSize < ata::kCommandBlockSize) return finish(false, kErrorInvalidParameter);
  if (!out || outSize < (receive ? ata::kReplySize : ata::kReplyHeaderSize))
    return finish(false, kErrorInsufficientBuffer);
  // The command is read before the reply is written: the two may share memory.
  const ata::Command command = ata::decodeCommand(in);
  const Snapshot* disk = driverDisk(command.driveNumber);
  if (!disk) {
    ata::encodeReplyStatus({0, 5, 0}, out);  // drive number not valid
    returned = ata::kReplyHeaderSize;
    return finish(false, kErrorFileNotFound);
  }
  const Answer a = answer(disk, command, receive);
  const std::uint32_t dataSize = a.data ? ata::kSectorSize : 0;
  ata::encodeReplyStatus({dataSize, a.driverError, a.ok ? ata::kStatusReady : ata::kStatusAborted}, out);
  if (a.data) std::memcpy(out + ata::kReplyHeaderSize, a.data->data(), ata::kSectorSize);
  returned = static_cast<std::uint32_t>(ata::kReplyHeaderSize + dataSize);
  return finish(a.ok, a.ok ? 0 : kErrorIoDevice);
}

bool SnapshotDevice::miniportRequest(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                                     std::uint32_t outSize, std::uint32_t& returned) {
  // A 28-byte control header ("SCSIDISK", IOCTL_SCSI_MINIPORT_IDENTIFY), the
  // command block, and in the reply the status and data after the header.
  constexpr std::size_t header = 28;
  constexpr std::uint32_t identifyCode = 0x1B0501;
  if (kind_ != Kind::ScsiPort) return finish(false, kErrorInvalidFunction);
  if (!in || inSize < header + ata::kCommandBlockSize) return finish(false, kErrorInvalidParameter);
  if (!out || outSize < header + ata::kReplySize) return finish(false, kErrorInsufficientBuffer);
  std::uint8_t control[header];
  std::memcpy(control, in, header);
  const ata::Command command = ata::decodeCommand(in + header);
  const std::uint32_t code = static_cast<std::uint32_t>(control[16]) | control[17] << 8 | control[18] << 16 |
                             static_cast<std::uint32_t>(control[19]) << 24;
  if (std::memcmp(control + 4, "SCSIDISK", 8) != 0 || code != identifyCode) return finish(false, kErrorInvalidFunction);

  const auto disk = load(command.driveNumber);
  if (!disk) return finish(false, kErrorFileNotFound);
  ata::Command identify = command;
  identify.registers.command = ata::kIdentifyDevice;  // the miniport asks the way the device wants
  if (disk->packetDevice()) identify.registers.command = ata::kIdentifyPacketDevice;
  const Answer a = answer(&*disk, identify, true);
  std::memcpy(out, control, header);
  ata::encodeReplyStatus({a.data ? static_cast<std::uint32_t>(ata::kSectorSize) : 0, a.driverError,
                          a.ok ? ata::kStatusReady : ata::kStatusAborted},
                         out + header);
  if (a.data) std::memcpy(out + header + ata::kReplyHeaderSize, a.data->data(), ata::kSectorSize);
  returned = static_cast<std::uint32_t>(header + ata::kReplyHeaderSize + (a.data ? ata::kSectorSize : 0));
  return finish(a.ok, a.ok ? 0 : kErrorIoDevice);
}

bool SnapshotDevice::control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                             std::uint32_t outSize, std::uint32_t& returned) {
  returned = 0;
  if (kind_ == Kind::Closed) return finish(false, 6);  // invalid handle
  switch (code) {
    case kDfpGetVersion: {
      if (kind_ == Kind::ScsiPort) return finish(false, kErrorInvalidFunction);
      if (!out || outSize < ata::kVersionReplySize) return finish(false, kErrorInsufficientBuffer);
      std::uint8_t map = 0;
      for (std::size_t n = 0; n < disks_.size() && n < 4; ++n) {
        if (!disks_[n]) continue;
        map = static_cast<std::uint8_t>(map | 1u << n);
        if (disks_[n]->packetDevice()) map = static_cast<std::uint8_t>(map | 1u << (n + 4));
      }
      ata::encodeVersionReply({1, 1, map,
                               ata::kCapabilityAtaIdentify | ata::kCapabilityAtapiIdentify | ata::kCapabilitySmart},
                              out);
      returned = ata::kVersionReplySize;
      return finish(true, 0);
    }
    case kDfpSendDriveCommand:
      return driveRequest(false, in, inSize, out, outSize, returned);
    case kDfpReceiveDriveData:
      return driveRequest(true, in, inSize, out, outSize, returned);
    case kIoctlScsiMiniport:
      return miniportRequest(in, inSize, out, outSize, returned);
    default:
      // Recordings hold no SCSI pages: pass-through is not supported.
      return finish(false, kErrorInvalidFunction);
  }
}

}  // namespace qb::diskdev
