#pragma once
// The disk device GetHDDinfo talks to, shared with the other disk readers:
// a test's device, the recorded disks QUBRIX_DISKS names, or the system's.
#include "qb/chipscan/disk_identify.h"
#include "qb/diskdev/system.h"

namespace qb::chipscan {

// replaceDiskDevice(nullptr) gives the usual device back.
using qb::diskdev::diskDevice;
using qb::diskdev::replaceDiskDevice;

}  // namespace qb::chipscan
