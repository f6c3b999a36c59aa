#pragma once
// Asks an IDE disk for its IDENTIFY DEVICE data through the system's disk
// command drivers and picks one field out of it. The device is reached through
// DiskDevice, so the request bytes and the replies can be checked without a disk.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "qb/diskdev/device.h"

namespace qb::chipscan {

constexpr std::size_t kRequestBlockSize = 572;
constexpr std::size_t kIdentifySize = 512;
using RequestBlock = std::array<std::uint8_t, kRequestBlockSize>;

// Win32 values the device is opened and driven with.
namespace win32 = qb::diskdev::win32;

constexpr std::uint32_t kMiniportIdentify = 0x1B0501;
constexpr char kNtDevicePath[] = "\\\\.\\Scsi0:";
constexpr char kSmartDriverPath[] = "\\\\.\\SMARTVSD";

// Where the request and the reply sit in the block, per system family.
struct RequestLayout {
  const char* devicePath;
  std::uint32_t access, share, creation;
  std::uint32_t controlCode;
  std::size_t inOffset, inSize;    // bytes sent
  std::size_t outOffset, outSize;  // bytes the driver may fill
  std::size_t identifyOffset;      // where the IDENTIFY data lands
};
RequestLayout ntLayout();
RequestLayout nineXLayout();

// Clears the block and fills the request; only the low 8 bits of the drive are sent.
void buildNtRequest(RequestBlock& block, std::int32_t drive);
void buildNineXRequest(RequestBlock& block, std::int32_t drive);

using DiskDevice = qb::diskdev::DiskDevice;

struct DiskAnswer {
  enum class Kind { Field, NoDisk, NoSmart } kind = Kind::NoDisk;
  // The field's bytes at full length (zero bytes included) when kind == Field.
  std::string field;
};

// The field of the IDENTIFY data that key names; false for an unknown key.
bool identifyField(const std::uint8_t* identify, std::string_view key, std::string& field);

// One whole question: open, send IDENTIFY DEVICE, close, pick the field. Without
// a field the answer follows the thread's last error: "NoDisk" when it is set.
DiskAnswer queryDisk(DiskDevice& device, bool ntFamily, std::int32_t drive, const char* key);

// The two fallback texts (UTF-8).
constexpr char kNoDiskText[] = "NoDisk";
constexpr char kNoSmartText[] = "Dysk IDE nie obsługuje SMART";

}  // namespace qb::chipscan
