#include "cpu_instructions.h"

#include <cpuid.h>
#include <x86intrin.h>

namespace qb::chipscan {

bool hasCpuid() {
#if defined(__i386__)
  std::uint32_t original = 0, changed = 0;
  asm volatile(
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x200000, %1\n\t"
      "pushl %1\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %1\n\t"
      "pushl %0\n\t"  // put the flags back as they were
      "popfl"
      : "=&r"(original), "=&r"(changed)
      :
      : "cc");
  return ((original ^ changed) & 0x200000) != 0;
#else
  return true;  // every 64-bit processor has it
#endif
}

CpuidRegs cpuid(std::uint32_t leaf) {
  CpuidRegs r;
  __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
  return r;
}

std::uint32_t readTimeStampLow() { return static_cast<std::uint32_t>(__rdtsc()); }

}  // namespace qb::chipscan
