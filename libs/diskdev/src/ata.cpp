#include "qb/diskdev/ata.h"

#include <algorithm>
#include <cstring>

namespace qb::diskdev::ata {
namespace {

void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::string trimmed(std::string s, bool deleteToo) {
  const auto blank = [deleteToo](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 32 || (deleteToo && u == 127);
  };
  const auto first = std::find_if_not(s.begin(), s.end(), blank);
  const auto last = std::find_if_not(s.rbegin(), s.rend(), blank).base();
  return first < last ? std::string(first, last) : std::string();
}

}  // namespace

void encodeCommand(const Command& c, std::uint8_t* block) {
  std::memset(block, 0, kCommandBlockSize);
  put32(block, c.bufferSize);
  block[4] = c.registers.features;
  block[5] = c.registers.sectorCount;
  block[6] = c.registers.sectorNumber;
  block[7] = c.registers.cylinderLow;
  block[8] = c.registers.cylinderHigh;
  block[9] = c.registers.driveHead;
  block[10] = c.registers.command;
  block[12] = c.driveNumber;
}

Command decodeCommand(const std::uint8_t* block) {
  Command c;
  c.bufferSize = get32(block);
  c.registers = {block[4], block[5], block[6], block[7], block[8], block[9], block[10]};
  c.driveNumber = block[12];
  return c;
}

Command identifyCommand(unsigned device, bool packetDevice) {
  Command c;
  c.bufferSize = kSectorSize;
  c.registers.sectorCount = 1;
  c.registers.sectorNumber = 1;
  c.registers.driveHead = driveHeadFor(device);
  c.registers.command = packetDevice ? kIdentifyPacketDevice : kIdentifyDevice;
  c.driveNumber = static_cast<std::uint8_t>(device);
  return c;
}

Command smartCommand(unsigned device, std::uint8_t feature, std::uint32_t bufferSize) {
  Command c = identifyCommand(device, false);
  c.bufferSize = bufferSize;
  c.registers.features = feature;
  c.registers.cylinderLow = kSmartCylinderLow;
  c.registers.cylinderHigh = kSmartCylinderHigh;
  c.registers.command = kSmartCommand;
  return c;
}

void encodeReplyStatus(const ReplyStatus& s, std::uint8_t* reply) {
  std::memset(reply, 0, kReplyHeaderSize);
  put32(reply, s.bufferSize);
  reply[4] = s.driverError;
  reply[5] = s.ideStatus;
}

ReplyStatus decodeReplyStatus(const std::uint8_t* reply) { return {get32(reply), reply[4], reply[5]}; }

void encodeVersionReply(const VersionReply& v, std::uint8_t* reply) {
  std::memset(reply, 0, kVersionReplySize);
  reply[0] = v.version;
  reply[1] = v.revision;
  reply[3] = v.deviceMap;
  put32(reply + 4, v.capabilities);
}

VersionReply decodeVersionReply(const std::uint8_t* reply) { return {reply[0], reply[1], reply[3], get32(reply + 4)}; }

std::string identifyText(const std::uint8_t* identify, std::size_t firstWord, std::size_t words) {
  std::string text(2 * words, '\0');
  for (std::size_t i = 0; i < words; ++i) {
    text[2 * i] = static_cast<char>(identify[2 * (firstWord + i) + 1]);
    text[2 * i + 1] = static_cast<char>(identify[2 * (firstWord + i)]);
  }
  return trimmed(std::move(text), false);
}

bool isPacketDevice(const std::uint8_t* identify) { return (identify[1] & 0xC0) == 0x80; }

AttributeSlot attributeSlot(const std::uint8_t* data, std::size_t slot) {
  const std::uint8_t* p = data + 2 + 12 * slot;
  AttributeSlot a;
  a.id = p[0];
  a.flags = static_cast<std::uint16_t>(p[1] | p[2] << 8);
  a.current = p[3];
  a.worst = p[4];
  for (int i = 5; i >= 0; --i) a.raw = a.raw << 8 | p[5 + i];
  return a;
}

std::uint8_t thresholdSlotValue(const std::uint8_t* thresholds, std::size_t slot) {
  return thresholds[2 + 12 * slot + 1];
}

void putAttributeSlot(std::uint8_t* data, std::size_t slot, const AttributeSlot& a) {
  std::uint8_t* p = data + 2 + 12 * slot;
  p[0] = a.id;
  p[1] = static_cast<std::uint8_t>(a.flags);
  p[2] = static_cast<std::uint8_t>(a.flags >> 8);
  p[3] = a.current;
  p[4] = a.worst;
  for (int i = 0; i < 6; ++i) p[5 + i] = static_cast<std::uint8_t>(a.raw >> (8 * i));
  p[11] = 0;
}

void putThresholdSlot(std::uint8_t* thresholds, std::size_t slot, std::uint8_t id, std::uint8_t threshold) {
  thresholds[2 + 12 * slot] = id;
  thresholds[2 + 12 * slot + 1] = threshold;
}

void putIdentifyText(std::uint8_t* identify, std::size_t firstWord, std::size_t words, const std::string& text) {
  std::string padded = text.substr(0, 2 * words);
  padded.resize(2 * words, ' ');
  for (std::size_t i = 0; i < words; ++i) {
    identify[2 * (firstWord + i)] = static_cast<std::uint8_t>(padded[2 * i + 1]);
    identify[2 * (firstWord + i) + 1] = static_cast<std::uint8_t>(padded[2 * i]);
  }
}

namespace scsi {

void encodeSerialInquiry(std::uint8_t* block) {
  std::memset(block, 0, kBlockSize);
  block[0] = static_cast<std::uint8_t>(kHeaderSize);  // 2-byte length of the header
  block[6] = 6;                                        // command length
  block[7] = 24;                                       // sense length
  block[8] = 1;                                        // data in
  put32(block + 12, kDataSize);
  put32(block + 16, 2);  // time-out in seconds
  put32(block + 20, kDataOffset);
  put32(block + 24, kSenseOffset);
  const std::uint8_t inquiry[6] = {0x12, 0x01, 0x80, 0x00, static_cast<std::uint8_t>(kDataSize), 0x00};
  std::memcpy(block + 28, inquiry, sizeof inquiry);
}

bool serialFromPage(const std::uint8_t* data, std::string& serial) {
  if (data[1] != 0x80 || data[3] == 0) return false;
  // The page length is one byte, so it may claim more than the 192 bytes asked for.
  const std::size_t length = std::min<std::size_t>(data[3], kDataSize - 4);
  serial = trimmed(std::string(reinterpret_cast<const char*>(data + 4), length), true);
  return true;
}

}  // namespace scsi
}  // namespace qb::diskdev::ata
