#include "qb/chipscan/disk_identify.h"

#include <cstring>

namespace qb::chipscan {
namespace {

constexpr std::uint8_t kIdentifyCommand = 0xEC;
constexpr std::uint8_t kDriveHead = 0xA0;

void put32(RequestBlock& block, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The IDE register set of an IDENTIFY DEVICE command, as both drivers take it.
void putIdentifyRegisters(RequestBlock& block, std::size_t at, std::int32_t drive) {
  put32(block, at, kIdentifySize);  // buffer size
  block[at + 4] = 0;                // features
  block[at + 5] = 1;                // sector count
  block[at + 6] = 1;                // sector number
  block[at + 7] = 0;                // cylinder low
  block[at + 8] = 0;                // cylinder high
  block[at + 9] = kDriveHead;       // the drive is chosen by the number below, not here
  block[at + 10] = kIdentifyCommand;
  block[at + 11] = 0;
  block[at + 12] = static_cast<std::uint8_t>(drive & 0xFF);
}

std::uint16_t word(const std::uint8_t* identify, std::size_t index) {
  return static_cast<std::uint16_t>(identify[2 * index] | (identify[2 * index + 1] << 8));
}

// Character fields hold the first character of each pair in the high byte.
std::string swappedText(const std::uint8_t* identify, std::size_t firstWord, std::size_t words) {
  std::string text(2 * words, '\0');
  for (std::size_t i = 0; i < words; ++i) {
    text[2 * i] = static_cast<char>(identify[2 * (firstWord + i) + 1]);
    text[2 * i + 1] = static_cast<char>(identify[2 * (firstWord + i)]);
  }
  return text;
}

}  // namespace

RequestLayout ntLayout() {
  return {kNtDevicePath,
          win32::kGenericRead | win32::kGenericWrite,
          win32::kShareRead | win32::kShareWrite,
          win32::kOpenExisting,
          win32::kIoctlScsiMiniport,
          0,
          kRequestBlockSize,
          0,
          kRequestBlockSize,
          44};
}

RequestLayout nineXLayout() { return {kSmartDriverPath, 0, 0, win32::kCreateNew, win32::kDfpReceiveDriveData, 0, 32, 32, 528, 48}; }

void buildNtRequest(RequestBlock& block, std::int32_t drive) {
  block.fill(0);
  put32(block, 0, 28);  // header length
  std::memcpy(&block[4], "SCSIDISK", 8);
  put32(block, 12, 2);  // time-out in seconds
  put32(block, 16, kMiniportIdentify);
  put32(block, 20, 0);                                      // return code
  put32(block, 24, kRequestBlockSize - 28);                 // data after the header
  putIdentifyRegisters(block, 28, drive);
}

void buildNineXRequest(RequestBlock& block, std::int32_t drive) {
  block.fill(0);
  putIdentifyRegisters(block, 0, drive);
}

bool identifyField(const std::uint8_t* identify, std::string_view key, std::string& field) {
  if (key == "model") {
    field = swappedText(identify, 27, 20);
  } else if (key == "serial") {
    field = swappedText(identify, 10, 10);
  } else if (key == "firmware") {
    field = swappedText(identify, 23, 4);
  } else if (key == "ECC") {
    field = std::to_string(word(identify, 22));
  } else if (key == "byte/sec") {
    field = std::to_string(word(identify, 5));
  } else if (key == "sec/sciez") {
    field = std::to_string(word(identify, 6));
  } else if (key == "head") {
    field = std::to_string(word(identify, 3));
  } else {
    return false;
  }
  return true;
}

DiskAnswer queryDisk(DiskDevice& device, bool ntFamily, std::int32_t drive, const char* key) {
  RequestBlock block{};
  const RequestLayout layout = ntFamily ? ntLayout() : nineXLayout();
  if (ntFamily)
    buildNtRequest(block, drive);
  else
    buildNineXRequest(block, drive);

  DiskAnswer answer;
  bool replied = false;
  if (device.open(layout.devicePath, layout.access, layout.share, layout.creation)) {
    std::uint32_t returned = 0;
    const bool sent = device.control(layout.controlCode, block.data() + layout.inOffset,
                                     static_cast<std::uint32_t>(layout.inSize), block.data() + layout.outOffset,
                                     static_cast<std::uint32_t>(layout.outSize), returned);
    device.close();
    // A reply that stops short of the end of the IDENTIFY data is no reply.
    replied = sent && std::uint64_t{layout.outOffset} + returned >= layout.identifyOffset + kIdentifySize;
  }
  if (replied && key && identifyField(block.data() + layout.identifyOffset, key, answer.field)) {
    answer.kind = DiskAnswer::Kind::Field;
    return answer;
  }
  answer.kind = device.lastError() != 0 ? DiskAnswer::Kind::NoDisk : DiskAnswer::Kind::NoSmart;
  return answer;
}

}  // namespace qb::chipscan
