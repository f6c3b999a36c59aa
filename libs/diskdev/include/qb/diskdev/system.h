#pragma once
// Which disk device the readers talk to on Windows, and the system's texts
// for their failures.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qb/diskdev/device.h"

namespace qb::diskdev {

// The environment variable that names a folder of recorded disks.
constexpr wchar_t kSnapshotFolderVariable[] = L"QUBRIX_DISKS";

// A test's device when one is set; otherwise the recorded disks of the folder
// that QUBRIX_DISKS names, when it names one; otherwise the system's drivers.
// Decided at each call, so take it once per open..close sequence.
DiskDevice& diskDevice();
// For tests: nullptr gives the device back to the rules above.
void replaceDiskDevice(DiskDevice* device);

// The folder QUBRIX_DISKS names in this process, or empty.
std::wstring snapshotFolder();
// The recordings of a folder in disk order: its files (not its folders) by
// name, compared character by character.
std::vector<std::wstring> snapshotFiles(const std::wstring& folder);

// The system's message for an error code (UTF-8), without trailing blanks,
// line breaks and full stops.
std::string systemMessage(std::uint32_t code);

}  // namespace qb::diskdev
