#include "smart_eval.h"

#include <cstdio>

namespace qb::smart {

std::string attributeName(int id) {
  static const char* const low[] = {"Raw Read Error Rate",     "Throughput Performance", "Spin Up Time",
                                    "Start/Stop Count",        "Reallocated Sector Count", "Read Channel Margin",
                                    "Seek Error Rate",         "Seek Time Performance",  "Power On Count",
                                    "Spin Retry Count",        "Calibration Retry Count", "Power Cycle Count"};
  static const char* const high[] = {"Emergency Retract Cycle", "Load Cycle Count",        "Temperature",
                                     "Hardware ECC",            "Reallocation Event Count", "Current Pending Sector",
                                     "Off-line Uncorrectable",  "Ultra ATA CRC Error Rate", "Multi Zone Error Rate",
                                     "Off Track Errors",        "TA Increase Count",       "ECC Errors",
                                     "Shock Count Write Ops",   "Shock Rate Write Ops",    "Unknown Attribute",
                                     "Spin High Current",       "Spin Buzz",               "Offline Seek Perf"};
  if (id >= 1 && id <= 12) return low[id - 1];
  if (id >= 192 && id <= 209) return high[id - 192];
  return "Nieznany";
}

void evaluateAttribute(TSmartResult& r, int i, Nominal& nominal) {
  const int id = r.ids[i];
  r.names[i] = attributeName(id);
  if ((id == 3 || id == 4) && r.current[i] > 230) nominal.value = 253;

  r.status[i] = kNotEvaluated;
  const int threshold = r.threshold[i];
  if (r.preFailure[i] && threshold != 0) {
    r.status[i] = kOk;
    if (threshold > r.current[i]) {
      r.status[i] = kFailingNow;
      ++r.failingCount;
    } else if (threshold > r.worst[i]) {
      r.status[i] = kFailedInPast;
      ++r.failingCount;
    } else if (r.current[i] < threshold + (nominal.value - threshold) / 2) {
      r.status[i] = kWarning;
    } else if (id == 5 && r.raw[i] > 500) {
      r.status[i] = kWarning;
    }
  }
  if (id == 194) r.temperature = static_cast<int>(r.raw[i] & 0xFF);
}

std::string groupedRaw(std::int64_t raw, const std::string& separator) {
  const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(raw & 0xFFFFFFFF));
  const std::string digits = std::to_string(low);
  const std::size_t length = digits.size();
  if (length <= 3) return digits;
  // The minus sign counts as a character, as the list has always shown it.
  const std::size_t groups = (length - 1) / 3;
  const std::size_t head = (length - 1) % 3 + 1;
  std::string out = digits.substr(0, head);
  for (std::size_t g = 0; g < groups; ++g) out += separator + digits.substr(head + 3 * g, 3);
  return out;
}

std::string hexId(int id) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(id) & 0xFFu);
  return text;
}

}  // namespace qb::smart
