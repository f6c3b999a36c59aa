#include "windows_clock.h"

#include "cpu_instructions.h"

namespace qb::chipscan {

static_assert(kPriorityErrorReturn == THREAD_PRIORITY_ERROR_RETURN);
static_assert(kPriorityTimeCritical == THREAD_PRIORITY_TIME_CRITICAL);

std::optional<std::uint64_t> WindowsClock::counterFrequency() {
  LARGE_INTEGER f;
  if (!QueryPerformanceFrequency(&f)) return std::nullopt;
  return static_cast<std::uint64_t>(f.QuadPart);
}

std::uint64_t WindowsClock::readCounter() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<std::uint64_t>(c.QuadPart);
}

std::uint32_t WindowsClock::readTimeStamp() { return readTimeStampLow(); }

int WindowsClock::threadPriority() { return GetThreadPriority(thread_); }

void WindowsClock::setThreadPriority(int priority) { SetThreadPriority(thread_, priority); }

}  // namespace qb::chipscan
