#pragma once
// The processor instructions the probes use, for 32-bit x86.
#include <cstdint>

#include "qb/chipscan/cpu_id.h"

namespace qb::chipscan {

// Whether bit 21 of the flags register (the ID flag) can be flipped, which
// means the processor has the identification instruction.
bool hasCpuid();
// Runs the identification instruction with EAX = leaf and ECX = 0.
CpuidRegs cpuid(std::uint32_t leaf);
// Low 32 bits of the time-stamp counter; only on a processor that has one.
std::uint32_t readTimeStampLow();

}  // namespace qb::chipscan
