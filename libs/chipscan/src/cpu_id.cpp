#include "qb/chipscan/cpu_id.h"

namespace qb::chipscan {
namespace {

void appendLittleEndian(std::string& out, std::uint32_t reg) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((reg >> (8 * i)) & 0xFF));
}

}  // namespace

std::string vendorText(const CpuidRegs& leaf0) {
  std::string text;
  appendLittleEndian(text, leaf0.ebx);
  appendLittleEndian(text, leaf0.edx);
  appendLittleEndian(text, leaf0.ecx);
  return text;
}

std::string brandText(const CpuidRegs& first, const CpuidRegs& second, const CpuidRegs& third) {
  std::string bytes;
  for (const CpuidRegs* leaf : {&first, &second, &third}) {
    appendLittleEndian(bytes, leaf->eax);
    appendLittleEndian(bytes, leaf->ebx);
    appendLittleEndian(bytes, leaf->ecx);
    appendLittleEndian(bytes, leaf->edx);
  }
  // Only a final zero byte is dropped; a zero-terminated text then ends at its
  // first zero byte anyway.
  const auto end = bytes.find('\0');
  if (end != std::string::npos) bytes.resize(end);
  return bytes;
}

unsigned steppingField(std::uint32_t leaf1Eax) { return leaf1Eax & 0xF; }
unsigned modelField(std::uint32_t leaf1Eax) { return (leaf1Eax >> 4) & 0xF; }
unsigned familyField(std::uint32_t leaf1Eax) { return (leaf1Eax >> 8) & 0xF; }

const char* yesNo(bool present) { return present ? "Tak" : "Nie"; }

}  // namespace qb::chipscan
