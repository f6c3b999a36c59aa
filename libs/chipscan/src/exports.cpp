// The exports of chipscan.dll. Each text export copies its answer into a
// buffer of its own per thread, so the pointer stays valid after the return;
// no exception leaves an export.
#include <windows.h>

#include <cstring>
#include <string>
#include <string_view>

#include "chipscan.h"
#include "cpu_instructions.h"
#include "qb/chipscan/clock_measure.h"
#include "qb/chipscan/cpu_id.h"
#include "qb/chipscan/disk_identify.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "windows_clock.h"
#include "windows_disk.h"

namespace {

using namespace qb::chipscan;

constexpr char kNvTweakKey[] = "SOFTWARE\\NVIDIA Corporation\\Global\\NVTweak";

// Trivially destructible per-thread storage: nothing has to run when a thread
// ends or the library is unloaded.
template <std::size_t N>
struct TextBuffer {
  char text[N];
  const char* keep(std::string_view s) {
    const std::size_t n = s.size() < N ? s.size() : N - 1;
    std::memcpy(text, s.data(), n);
    text[n] = '\0';
    return text;
  }
};

thread_local TextBuffer<16> vendorBuffer;
thread_local TextBuffer<52> brandBuffer;
thread_local TextBuffer<4> familyBuffer, modelBuffer, steppingBuffer;
thread_local TextBuffer<32> speedBuffer;
thread_local TextBuffer<64> diskBuffer;

std::uint32_t leaf1Eax() { return hasCpuid() ? cpuid(1).eax : 0; }
std::uint32_t leaf1Edx() { return hasCpuid() ? cpuid(1).edx : 0; }

std::string ansiFromUtf8(std::string_view utf8) { return qb::win::toAnsi(qb::win::widen(utf8)); }

// Value names arrive in the ANSI code page; the registry helpers take UTF-8.
std::string nameFromCaller(const char* name) { return qb::win::narrow(qb::win::fromAnsi(name)); }

}  // namespace

extern "C" {

const char* __stdcall cpuvendor(void) {
  if (!hasCpuid()) return vendorBuffer.keep("");
  return vendorBuffer.keep(vendorText(cpuid(0)));
}

const char* __stdcall cpustring(void) {
  // Without the brand leaves the processor would answer with unrelated data.
  if (!hasCpuid() || cpuid(0x80000000).eax < kBrandLeafLast) return brandBuffer.keep("");
  return brandBuffer.keep(brandText(cpuid(kBrandLeafFirst), cpuid(kBrandLeafFirst + 1), cpuid(kBrandLeafLast)));
}

const char* __stdcall cpufamily(void) { return familyBuffer.keep(std::to_string(familyField(leaf1Eax()))); }
const char* __stdcall cpumodel(void) { return modelBuffer.keep(std::to_string(modelField(leaf1Eax()))); }
const char* __stdcall cpusteppingid(void) {
  return steppingBuffer.keep(std::to_string(steppingField(leaf1Eax())));
}

unsigned char __stdcall IsMMX(void) { return (leaf1Edx() & kMmxBit) ? 1 : 0; }
const char* __stdcall SSE(void) { return yesNo(leaf1Edx() & kSseBit); }
const char* __stdcall SSE2(void) { return yesNo(leaf1Edx() & kSse2Bit); }

const char* __stdcall GetCPUSpeed(void) {
  try {
    // Reading a time-stamp counter the processor lacks would fault.
    if (!(leaf1Edx() & kTscBit)) return speedBuffer.keep(clockText({}));
    WindowsClock clock;
    return speedBuffer.keep(clockText(measureClock(clock)));
  } catch (...) {
    return speedBuffer.keep("0 MHz");
  }
}

const char* __stdcall GetHDDinfo(int drive, const char* key) {
  try {
    const DiskAnswer answer = queryDisk(diskDevice(), qb::win::windowsVersion().nt(), drive, key);
    switch (answer.kind) {
      case DiskAnswer::Kind::Field:
        return diskBuffer.keep(answer.field);
      case DiskAnswer::Kind::NoDisk:
        return diskBuffer.keep(kNoDiskText);
      case DiskAnswer::Kind::NoSmart:
        return diskBuffer.keep(ansiFromUtf8(kNoSmartText));
    }
  } catch (...) {
  }
  return diskBuffer.keep(kNoDiskText);
}

int __stdcall GetNVinfo(const char* name) {
  if (!name) return -1;
  try {
    const auto number = qb::win::reg::readNumber(HKEY_LOCAL_MACHINE, kNvTweakKey, nameFromCaller(name));
    // A missing value or one of another type or size reads like a missing key,
    // so that the caller ticks nothing.
    return number.found == qb::win::reg::Found::Value ? static_cast<int>(number.value) : -1;
  } catch (...) {
    return -1;
  }
}

void __stdcall SaveNVinfo(const char* name, int value) {
  if (!name) return;
  try {
    qb::win::reg::writeNumber(HKEY_LOCAL_MACHINE, kNvTweakKey, nameFromCaller(name),
                              static_cast<std::uint32_t>(value));
  } catch (...) {
    // The export has no result: a save that the registry refuses does nothing.
  }
}

}  // extern "C"
