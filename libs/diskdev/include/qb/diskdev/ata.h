#pragma once
// The byte layouts of the IDE disk command drivers (DFP requests, their
// command blocks and replies), of the IDENTIFY and S.M.A.R.T. data a disk
// returns, and of the SCSI serial number inquiry. Little-endian, byte-packed.
// Decoders take pointers to buffers of at least the stated size.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qb::diskdev::ata {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kCommandBlockSize = 32;  // what a DFP command sends
constexpr std::size_t kReplyHeaderSize = 16;   // buffer size and driver status before the data
constexpr std::size_t kReplySize = kReplyHeaderSize + kSectorSize;
constexpr std::size_t kVersionReplySize = 24;

// ATA commands and the S.M.A.R.T. sub-commands (features register).
constexpr std::uint8_t kIdentifyDevice = 0xEC;
constexpr std::uint8_t kIdentifyPacketDevice = 0xA1;
constexpr std::uint8_t kSmartCommand = 0xB0;
constexpr std::uint8_t kSmartReadData = 0xD0;
constexpr std::uint8_t kSmartReadThresholds = 0xD1;
constexpr std::uint8_t kSmartEnableOperations = 0xD8;
constexpr std::uint8_t kSmartReturnStatus = 0xDA;
constexpr std::uint8_t kSmartCylinderLow = 0x4F;
constexpr std::uint8_t kSmartCylinderHigh = 0xC2;

// IDE status register values a driver reports.
constexpr std::uint8_t kStatusReady = 0x50;    // drive ready, seek complete
constexpr std::uint8_t kStatusAborted = 0x51;  // the same with the error bit

struct Registers {
  std::uint8_t features = 0;
  std::uint8_t sectorCount = 0;
  std::uint8_t sectorNumber = 0;
  std::uint8_t cylinderLow = 0;
  std::uint8_t cylinderHigh = 0;
  std::uint8_t driveHead = 0;
  std::uint8_t command = 0;
};

// The command block of DFP_SEND_DRIVE_COMMAND and DFP_RECEIVE_DRIVE_DATA.
struct Command {
  std::uint32_t bufferSize = 0;
  Registers registers;
  std::uint8_t driveNumber = 0;
};
void encodeCommand(const Command& command, std::uint8_t* block);  // fills kCommandBlockSize bytes
Command decodeCommand(const std::uint8_t* block);

// Device n of a controller: master (0xA0) for even n, slave (0xB0) for odd.
constexpr std::uint8_t driveHeadFor(unsigned device) {
  return static_cast<std::uint8_t>(0xA0 | ((device & 1u) << 4));
}
Command identifyCommand(unsigned device, bool packetDevice);
Command smartCommand(unsigned device, std::uint8_t feature, std::uint32_t bufferSize);

// The status in front of a reply's data.
struct ReplyStatus {
  std::uint32_t bufferSize = 0;
  std::uint8_t driverError = 0;
  std::uint8_t ideStatus = 0;
};
void encodeReplyStatus(const ReplyStatus& status, std::uint8_t* reply);  // fills kReplyHeaderSize bytes
ReplyStatus decodeReplyStatus(const std::uint8_t* reply);

// DFP_GET_VERSION. Bit n of the device map: IDE device n is present; bit
// n + 4: device n is an ATAPI device.
struct VersionReply {
  std::uint8_t version = 0;
  std::uint8_t revision = 0;
  std::uint8_t deviceMap = 0;
  std::uint32_t capabilities = 0;
};
constexpr std::uint32_t kCapabilityAtaIdentify = 1, kCapabilityAtapiIdentify = 2, kCapabilitySmart = 4;
void encodeVersionReply(const VersionReply& version, std::uint8_t* reply);  // fills kVersionReplySize bytes
VersionReply decodeVersionReply(const std::uint8_t* reply);
constexpr bool devicePresent(std::uint8_t map, unsigned n) { return (map >> n) & 1u; }
constexpr bool deviceIsAtapi(std::uint8_t map, unsigned n) { return (map >> (n + 4)) & 1u; }

// IDENTIFY data. Text fields hold the first character of each pair in the
// high byte; the text is swapped back and stripped of codes 0 to 32 at both ends.
std::string identifyText(const std::uint8_t* identify, std::size_t firstWord, std::size_t words);
inline std::string identifyModel(const std::uint8_t* identify) { return identifyText(identify, 27, 20); }
inline std::string identifySerial(const std::uint8_t* identify) { return identifyText(identify, 10, 10); }
// Word 0 says whether the device speaks the packet (ATAPI) protocol.
bool isPacketDevice(const std::uint8_t* identify);

// S.M.A.R.T. data and threshold sectors: a 2-byte revision, then 30 slots of 12 bytes.
constexpr std::size_t kAttributeSlots = 30;
struct AttributeSlot {
  std::uint8_t id = 0;  // 0: an empty slot
  std::uint16_t flags = 0;
  std::uint8_t current = 0;
  std::uint8_t worst = 0;
  std::uint64_t raw = 0;  // 48 bits, least significant byte first on the disk
  bool preFailure() const { return flags & 1u; }
};
AttributeSlot attributeSlot(const std::uint8_t* data, std::size_t slot);
std::uint8_t thresholdSlotValue(const std::uint8_t* thresholds, std::size_t slot);

// Writers of the same sectors, for recordings and tests.
void putAttributeSlot(std::uint8_t* data, std::size_t slot, const AttributeSlot& a);
void putThresholdSlot(std::uint8_t* thresholds, std::size_t slot, std::uint8_t id, std::uint8_t threshold);
void putIdentifyText(std::uint8_t* identify, std::size_t firstWord, std::size_t words, const std::string& text);

// IOCTL_SCSI_PASS_THROUGH with INQUIRY for the unit serial number page.
namespace scsi {
constexpr std::size_t kBlockSize = 312;  // the whole area, cleared before use
constexpr std::size_t kHeaderSize = 44;  // bytes sent
constexpr std::size_t kSenseOffset = 44;
constexpr std::size_t kDataOffset = 76;
constexpr std::size_t kDataSize = 192;
constexpr std::size_t kReplySize = kDataOffset + kDataSize;  // bytes received
void encodeSerialInquiry(std::uint8_t* block);               // clears and fills kBlockSize bytes
// The serial number from the returned vital product data page (kDataSize
// bytes), or false when the page holds none. Never reads past the page.
bool serialFromPage(const std::uint8_t* data, std::string& serial);
}  // namespace scsi

}  // namespace qb::diskdev::ata
