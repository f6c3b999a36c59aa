#include "smart_disk.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

#include "qb/diskdev/ata.h"

namespace qb::smart {
namespace {

namespace ata = qb::diskdev::ata;
namespace win32 = qb::diskdev::win32;

constexpr std::size_t kBufferSize = ata::kReplySize + 1;

std::string hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
  return text;
}

// Blanks and control characters off both ends.
std::string trimmed(const std::string& s) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  const auto first = std::find_if_not(s.begin(), s.end(), blank);
  const auto last = std::find_if_not(s.rbegin(), s.rend(), blank).base();
  return first < last ? std::string(first, last) : std::string();
}

// Closes the open device however the operation ends.
class Closer {
 public:
  explicit Closer(qb::diskdev::DiskDevice& device) : device_(device) {}
  Closer(const Closer&) = delete;
  Closer& operator=(const Closer&) = delete;
  ~Closer() { device_.close(); }

 private:
  qb::diskdev::DiskDevice& device_;
};

// One request's outcome with the reason for a failure: the system's message,
// or for a reply that stops before the end of its data, how short it was.
struct Sent {
  bool ok;
  std::string reason;
};

class Session {
 public:
  explicit Session(DiskAccess& access) : a_(access), device_(access.device) {}

  // Opens the platform's device; false with the error text set on failure.
  bool open(int index, std::string& error) {
    bool opened;
    if (a_.platform == Platform::NineX) {
      opened = device_.open("\\\\.\\SMARTVSD", 0, 0, win32::kCreateNew);
      if (!opened) error = "Unable to open SMARTVSD: " + message();
    } else {
      const std::string path = "\\\\.\\PhysicalDrive" + std::to_string(index);
      opened = device_.open(path.c_str(), win32::kGenericRead | win32::kGenericWrite,
                            win32::kShareRead | win32::kShareWrite, win32::kOpenExisting);
      if (!opened) error = "Unable to open physical drive: " + message();
    }
    return opened;
  }

  bool version(std::uint8_t& map, std::string& error) {
    std::uint8_t reply[ata::kVersionReplySize] = {};
    std::uint32_t returned = 0;
    if (!device_.control(win32::kDfpGetVersion, nullptr, 0, reply, sizeof reply, returned)) {
      error = "DFP_GET_VERSION failed: " + message();
      return false;
    }
    map = ata::decodeVersionReply(reply).deviceMap;
    return true;
  }

  // Sends a command with its 33-byte area and the reply buffer cleared first.
  // A receive must bring its whole sector back.
  Sent send(std::uint32_t code, const ata::Command& command, std::vector<std::uint8_t>& reply,
            std::uint32_t outSize, bool presetBufferSize = false) {
    std::uint8_t area[ata::kCommandBlockSize + 1] = {};
    ata::encodeCommand(command, area);
    std::fill(reply.begin(), reply.end(), 0);
    if (presetBufferSize) ata::encodeReplyStatus({static_cast<std::uint32_t>(ata::kSectorSize), 0, 0}, reply.data());
    std::uint32_t returned = 0;
    if (!device_.control(code, area, ata::kCommandBlockSize, reply.data(), outSize, returned))
      return {false, message()};
    if (code == win32::kDfpReceiveDriveData && returned < ata::kReplySize)
      return {false, "Short reply: " + std::to_string(returned) + " of " + std::to_string(ata::kReplySize) + " bytes"};
    return {true, {}};
  }

  std::string message() { return a_.systemMessage(device_.lastError()); }

 private:
  DiskAccess& a_;
  qb::diskdev::DiskDevice& device_;
};

// The devices of the map to try for a disk index. The NT family opens one
// physical drive per index and tries each device of its map; the Windows 9x
// driver sees all four IDE devices, so there index k stands for the k-th
// device the map lists.
std::vector<unsigned> devicesFor(Platform platform, std::uint8_t map, int index) {
  std::vector<unsigned> present;
  for (unsigned n = 0; n < 4; ++n)
    if (ata::devicePresent(map, n)) present.push_back(n);
  if (platform != Platform::NineX) return present;
  if (index < 0 || static_cast<std::size_t>(index) >= present.size()) return {};
  return {present[static_cast<std::size_t>(index)]};
}

std::string statusPart(const std::vector<std::uint8_t>& reply) {
  const ata::ReplyStatus status = ata::decodeReplyStatus(reply.data());
  return driverErrorText(status.driverError) + "; bIDEStatus=" + hex4(status.ideStatus);
}

// Enables S.M.A.R.T. on a disk, then identifies it; false with the error text
// set when the identification fails.
bool enableAndIdentify(Session& s, unsigned n, bool atapi, std::vector<std::uint8_t>& buffer, std::string& error) {
  if (!atapi) {
    const Sent enabled =
        s.send(win32::kDfpSendDriveCommand, ata::smartCommand(n, ata::kSmartEnableOperations, 0), buffer,
               static_cast<std::uint32_t>(ata::kReplySize));
    if (!enabled.ok) error = "SMART Enable Command Failed, Drive: " + std::to_string(n) + " : " + enabled.reason;
  }
  const Sent identified = s.send(win32::kDfpReceiveDriveData, ata::identifyCommand(n, atapi), buffer,
                                 static_cast<std::uint32_t>(kBufferSize), true);
  if (!identified.ok) {
    const ata::ReplyStatus status = ata::decodeReplyStatus(buffer.data());
    error = "Identify Command Failed on Drive: " + driverErrorText(status.driverError) +
            " bIDEStatus=" + hex4(status.ideStatus) + " : " + identified.reason;
  }
  return identified.ok;
}

// The message of the exception being handled, blanks trimmed; empty when it carries none.
std::string exceptionText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return trimmed(e.what());
  } catch (...) {
    return {};
  }
}

}  // namespace

std::string driverErrorText(unsigned code) {
  static const char* const texts[] = {
      "No error",
      "Error from IDE controller",
      "Invalid command flag",
      "Invalid command byte",
      "Bad buffer (null, invalid addr..)",
      "Drive number not valid",
      "Invalid IOCTL",
      "Could not lock user\"s buffer",
      "Some IDE Register not valid",
      "Invalid cmd flag set",
      "Cmd issued to device not present although drive number is valid",
  };
  if (code < sizeof texts / sizeof texts[0]) return texts[code];
  return "Unknown driver error " + std::to_string(code);
}

bool IdentifyDisk(DiskAccess& access, int index, std::string& error, std::string& model, std::string& serial) {
  error.clear();
  model.clear();
  serial.clear();
  if (access.platform == Platform::Other) return false;
  // A failure here only ends the page's disk list; nothing may escape to it.
  try {
    Session s(access);
    if (!s.open(index, error)) return false;
    const Closer closer(access.device);
    std::vector<std::uint8_t> buffer(kBufferSize);
    std::uint8_t map = 0;
    if (!s.version(map, error)) return false;
    const std::vector<unsigned> devices = devicesFor(access.platform, map, index);
    if (devices.empty() && access.platform == Platform::NineX) {
      error = driverErrorText(5);
      return false;
    }
    bool ok = true;  // the version request's: a map without devices is an empty success
    for (const unsigned n : devices) {
      ok = enableAndIdentify(s, n, ata::deviceIsAtapi(map, n), buffer, error);
      if (!ok) continue;
      model = ata::identifyModel(buffer.data() + ata::kReplyHeaderSize);
      serial = ata::identifySerial(buffer.data() + ata::kReplyHeaderSize);
      break;
    }
    return ok;
  } catch (...) {
    model.clear();
    serial.clear();
    error = "Identify Failed - " + exceptionText();
    return false;
  }
}

bool ReadSmartData(DiskAccess& access, int index, std::string& error, TSmartResult& result) {
  error.clear();
  result = TSmartResult{};
  if (access.platform == Platform::Other) return false;

  bool ok = false;  // the outcome of the last request sent
  try {
    // Opening a recorded disk reads its file, which can throw too.
    Session s(access);
    if (!s.open(index, error)) return false;
    const Closer closer(access.device);
    std::vector<std::uint8_t> identify(kBufferSize), data(kBufferSize), thresholds(kBufferSize);
    std::uint8_t map = 0;
    if (!s.version(map, error)) return false;
    ok = true;
    const std::vector<unsigned> devices = devicesFor(access.platform, map, index);
    if (devices.empty() && access.platform == Platform::NineX) {
      error = driverErrorText(5);
      return false;
    }
    for (const unsigned n : devices) {
      ok = enableAndIdentify(s, n, ata::deviceIsAtapi(map, n), identify, error);
      if (!ok) continue;
      const auto replySize = static_cast<std::uint32_t>(ata::kReplySize);
      const Sent read = s.send(win32::kDfpReceiveDriveData, ata::smartCommand(n, ata::kSmartReadData, 512), data,
                               replySize);
      ok = read.ok;
      if (!ok) {
        error = "SMART Read Attr Command Failed, Drive: " + std::to_string(n) + " : " + read.reason +
                "; DriverStatus: " + statusPart(data);
        continue;
      }
      const Sent limits = s.send(win32::kDfpReceiveDriveData, ata::smartCommand(n, ata::kSmartReadThresholds, 512),
                                 thresholds, replySize);
      ok = limits.ok;
      if (!ok) {
        error = "SMART Read Threshold Command Failed, Drive: " + std::to_string(n) + " : " + limits.reason +
                "; DriverStatus: " + statusPart(thresholds);
        continue;
      }

      // Attributes end at the first empty slot; each threshold is the one at
      // the same position, whatever its identifier says.
      const std::uint8_t* attributes = data.data() + ata::kReplyHeaderSize;
      const std::uint8_t* limitsData = thresholds.data() + ata::kReplyHeaderSize;
      Nominal nominal;
      int count = 0;
      for (std::size_t slot = 0; slot < ata::kAttributeSlots; ++slot) {
        const ata::AttributeSlot a = ata::attributeSlot(attributes, slot);
        if (a.id == 0) break;
        result.ids[count] = a.id;
        result.preFailure[count] = a.preFailure();
        result.current[count] = a.current;
        result.worst[count] = a.worst;
        result.threshold[count] = ata::thresholdSlotValue(limitsData, slot);
        result.raw[count] = static_cast<std::int64_t>(a.raw);
        evaluateAttribute(result, count, nominal);
        ++count;
      }
      result.count = count;
      break;
    }
  } catch (...) {
    error = "SMART Failed - " + exceptionText();
  }
  return ok;
}

bool ReadScsiSerial(DiskAccess& access, int index, std::string& error, std::string& serial) {
  error.clear();
  serial.clear();
  if (access.platform == Platform::Other) return false;
  qb::diskdev::DiskDevice& device = access.device;
  try {
    // Opening a recorded disk reads its file, which can throw too.
    if (!device.open(("\\\\.\\PhysicalDrive" + std::to_string(index)).c_str(),
                     win32::kGenericRead | win32::kGenericWrite, win32::kShareRead | win32::kShareWrite,
                     win32::kOpenExisting)) {
      error = "Unable to open physical drive: " + access.systemMessage(device.lastError());
      return false;
    }
    const Closer closer(device);
    std::vector<std::uint8_t> block(ata::scsi::kBlockSize);
    ata::scsi::encodeSerialInquiry(block.data());
    std::uint32_t returned = 0;
    if (!device.control(win32::kIoctlScsiPassThrough, block.data(), static_cast<std::uint32_t>(ata::scsi::kHeaderSize),
                        block.data(), static_cast<std::uint32_t>(ata::scsi::kReplySize), returned)) {
      error = "SCSI_IOCTL Command Failed: " + access.systemMessage(device.lastError());
      return false;
    }
    if (ata::scsi::serialFromPage(block.data() + ata::scsi::kDataOffset, serial)) return true;
    error = "No SCSI Drive Serial Number Returned";
    return false;
  } catch (...) {
    serial.clear();
    error = "Exception Getting SCSI Drive Serial Number";
    return false;
  }
}

}  // namespace qb::smart
