#pragma once
// The disk command drivers reached through CreateFile and DeviceIoControl, and
// the switch that lets tests put their own device in its place.
#include "qb/chipscan/disk_identify.h"

namespace qb::chipscan {

// The device GetHDDinfo talks to: the system's own unless a test replaced it.
DiskDevice& diskDevice();
// For tests: nullptr gives the system's device back.
void replaceDiskDevice(DiskDevice* device);

}  // namespace qb::chipscan
