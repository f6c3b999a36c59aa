#pragma once
// Turns the register values of the processor identification instruction into
// the library's answers. No instruction is executed here, so every rule can be
// checked with made-up register values.
#include <cstdint>
#include <string>

namespace qb::chipscan {

struct CpuidRegs {
  std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// The twelve bytes of leaf 0: EBX, EDX, ECX, each least significant byte first.
std::string vendorText(const CpuidRegs& leaf0);

// The 48 bytes of the three brand leaves (EAX, EBX, ECX, EDX of each), as a
// caller reads them: up to the first zero byte; leading blanks stay.
std::string brandText(const CpuidRegs& first, const CpuidRegs& second, const CpuidRegs& third);

// The plain 4-bit fields of leaf 1 EAX; the extended fields are not added.
unsigned steppingField(std::uint32_t leaf1Eax);
unsigned modelField(std::uint32_t leaf1Eax);
unsigned familyField(std::uint32_t leaf1Eax);

// Leaf 1 EDX feature bits.
constexpr std::uint32_t kTscBit = 0x00000010;
constexpr std::uint32_t kMmxBit = 0x00800000;
constexpr std::uint32_t kSseBit = 0x02000000;
constexpr std::uint32_t kSse2Bit = 0x04000000;

// The first extended leaf that the brand text needs and the last one.
constexpr std::uint32_t kBrandLeafFirst = 0x80000002;
constexpr std::uint32_t kBrandLeafLast = 0x80000004;

// "Tak" / "Nie", the feature answers.
const char* yesNo(bool present);

}  // namespace qb::chipscan
