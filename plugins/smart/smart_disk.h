#pragma once
// The S.M.A.R.T. page's disk access: identification, attribute data and the
// SCSI serial number, through the disk command drivers. Every failure comes
// back as the success flag and an English text that the page shows unchanged.
#include <cstdint>
#include <functional>
#include <string>

#include "qb/diskdev/device.h"
#include "smart_eval.h"

namespace qb::smart {

enum class Platform { NineX, Nt, Other };

// What the operations need from the system.
struct DiskAccess {
  qb::diskdev::DiskDevice& device;
  Platform platform;
  // The system's message for an error code, trimmed at the end.
  std::function<std::string(std::uint32_t code)> systemMessage;
};

// The model and serial number of the IDE device behind disk `index`.
bool IdentifyDisk(DiskAccess& access, int index, std::string& error, std::string& model, std::string& serial);
// Reads and evaluates the attributes and thresholds of disk `index`.
bool ReadSmartData(DiskAccess& access, int index, std::string& error, TSmartResult& result);
// The serial number a physical drive reports through SCSI pass-through.
bool ReadScsiSerial(DiskAccess& access, int index, std::string& error, std::string& serial);

// The text for a reply's driver error byte.
std::string driverErrorText(unsigned code);

}  // namespace qb::smart
