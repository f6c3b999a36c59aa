#include "qb/diskdev/recording.h"

namespace qb::diskdev {

Snapshot recordedDisk(const std::string& model, const std::string& serial,
                      const std::vector<RecordedAttribute>& attributes, bool packet) {
  Snapshot s;
  s.identify.emplace();
  s.identify->fill(0);
  // Word 0: a fixed disk, or a packet device (bits 15 and 14 = 10).
  (*s.identify)[0] = packet ? 0x80 : 0x40;
  (*s.identify)[1] = packet ? 0x85 : 0x00;
  ata::putIdentifyText(s.identify->data(), 10, 10, serial);
  ata::putIdentifyText(s.identify->data(), 23, 4, "1.0");
  ata::putIdentifyText(s.identify->data(), 27, 20, model);
  s.smartData.emplace();
  s.smartData->fill(0);
  s.thresholds.emplace();
  s.thresholds->fill(0);
  (*s.smartData)[0] = (*s.thresholds)[0] = 0x10;  // revision
  for (std::size_t i = 0; i < attributes.size() && i < ata::kAttributeSlots; ++i) {
    const RecordedAttribute& a = attributes[i];
    ata::putAttributeSlot(s.smartData->data(), i, {a.id, a.flags, a.current, a.worst, a.raw});
    ata::putThresholdSlot(s.thresholds->data(), i, a.id, a.threshold);
  }
  s.status = std::array<std::uint8_t, 4>{0, 0, 0, 1};
  return s;
}

}  // namespace qb::diskdev
