#pragma once
// The disk device GetHDDinfo talks to, shared with the other disk readers:
// a test's device, the recorded disks QUBRIX_DISKS names, or the system's.
#include "qb/chipscan/disk_identify.h"
#include "qb/diskdev/system.h"

namespace qb::chipscan {

inline DiskDevice& diskDevice() { return qb::diskdev::diskDevice(); }
// For tests: nullptr gives the usual device back.
inline void replaceDiskDevice(DiskDevice* device) { qb::diskdev::replaceDiskDevice(device); }

}  // namespace qb::chipscan
