#pragma once
// Builds recordings of made-up disks, for tests, benchmarks and fuzz seeds.
#include <cstdint>
#include <string>
#include <vector>

#include "qb/diskdev/snapshot.h"

namespace qb::diskdev {

struct RecordedAttribute {
  std::uint8_t id = 0;
  std::uint16_t flags = 0;  // bit 0: pre-failure
  std::uint8_t current = 0;
  std::uint8_t worst = 0;
  std::uint64_t raw = 0;
  std::uint8_t threshold = 0;  // stored in the threshold slot at the same position
};

// A disk with the given model and serial number and these attributes in
// slot order; `packet` makes it an ATAPI device.
Snapshot recordedDisk(const std::string& model, const std::string& serial,
                      const std::vector<RecordedAttribute>& attributes, bool packet = false);

}  // namespace qb::diskdev
