#pragma once
// What the S.M.A.R.T. page makes of one disk's attributes: names, verdicts,
// temperature, and how the raw values are written.
#include <array>
#include <cstdint>
#include <string>

namespace qb::smart {

constexpr int kMaxAttributes = 32;

// One disk's attributes as read and evaluated; entries 0 to count - 1 are valid.
struct TSmartResult {
  int temperature = 0;
  int failingCount = 0;  // attributes "Failing Now" or "Failed In Past"
  int count = 0;
  std::array<int, kMaxAttributes> ids{};
  std::array<std::string, kMaxAttributes> names;
  std::array<bool, kMaxAttributes> preFailure{};
  std::array<int, kMaxAttributes> current{};
  std::array<int, kMaxAttributes> worst{};
  std::array<int, kMaxAttributes> threshold{};
  std::array<std::int64_t, kMaxAttributes> raw{};
  std::array<std::string, kMaxAttributes> status;
};

// The verdicts.
constexpr char kNotEvaluated[] = "-";
constexpr char kOk[] = "OK";
constexpr char kFailingNow[] = "Failing Now";
constexpr char kFailedInPast[] = "Failed In Past";
constexpr char kWarning[] = "Warning";

std::string attributeName(int id);

// The value a healthy attribute is expected near, for one reading: 100 until
// a spin-up or start/stop attribute above 230 shows the disk counts from 253.
struct Nominal {
  int value = 100;
};

// Names and judges entry i, which the entries before it have been through;
// updates the temperature and the failing count.
void evaluateAttribute(TSmartResult& result, int i, Nominal& nominal);

// The low 32 bits of the raw value as a signed number, digits grouped in
// threes by `separator` (the user's thousands separator, UTF-8).
std::string groupedRaw(std::int64_t raw, const std::string& separator);

// Two upper-case hexadecimal digits.
std::string hexId(int id);

}  // namespace qb::smart
