#include "task_system.h"

#include <tlhelp32.h>

#include "qb/win/handles.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace qb::runwatch {
namespace {

TaskSystem*& replacement() {
  static TaskSystem* system = nullptr;
  return system;
}

std::uint64_t fromFileTime(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// The counters psapi fills: 40 bytes on every 32-bit Windows.
struct MemoryCounters {
  DWORD cb;
  DWORD PageFaultCount;
  SIZE_T PeakWorkingSetSize;
  SIZE_T WorkingSetSize;
  SIZE_T QuotaPeakPagedPoolUsage;
  SIZE_T QuotaPagedPoolUsage;
  SIZE_T QuotaPeakNonPagedPoolUsage;
  SIZE_T QuotaNonPagedPoolUsage;
  SIZE_T PagefileUsage;
  SIZE_T PeakPagefileUsage;
};
using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, MemoryCounters*, DWORD);

using QuerySystemInformationFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

struct MemoryStatusEx {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  DWORDLONG ullTotalPhys;
  DWORDLONG ullAvailPhys;
  DWORDLONG ullTotalPageFile;
  DWORDLONG ullAvailPageFile;
  DWORDLONG ullTotalVirtual;
  DWORDLONG ullAvailVirtual;
  DWORDLONG ullAvailExtendedVirtual;
};
using GlobalMemoryStatusExFn = BOOL(WINAPI*)(MemoryStatusEx*);

HMODULE& scopedPsapi() {
  static HMODULE library = nullptr;
  return library;
}

}  // namespace

MemoryCountersScope::MemoryCountersScope() : library_(LoadLibraryA("psapi.dll")) {
  if (!scopedPsapi()) scopedPsapi() = library_.get();
}

MemoryCountersScope::~MemoryCountersScope() {
  if (scopedPsapi() == library_.get()) scopedPsapi() = nullptr;
}

TaskSystem& taskSystem() {
  static TaskSystem live;
  return replacement() ? *replacement() : live;
}

TaskSystem* replaceTaskSystem(TaskSystem* system) {
  TaskSystem* previous = replacement();
  replacement() = system;
  return previous;
}

std::vector<SnapshotProcess> TaskSystem::snapshot(DWORD flags) {
  // Looked up by name: NT 4 has no tool-help functions, and its list then stays empty.
  using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
  using WalkFn = BOOL(WINAPI*)(HANDLE, tagPROCESSENTRY32*);  // the ANSI entry: the 9x family has no other
  static const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  static const auto take = reinterpret_cast<SnapshotFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
  static const auto first =
      reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
  static const auto next = reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
  std::vector<SnapshotProcess> out;
  if (!take || !first || !next) return out;
  const qb::win::UniqueFileHandle snap(take(flags, 0));
  if (!snap) return out;
  tagPROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = first(snap.get(), &entry); more; more = next(snap.get(), &entry)) {
    entry.szExeFile[MAX_PATH - 1] = '\0';
    out.push_back({entry.th32ProcessID, qb::win::narrow(qb::win::fromAnsi(entry.szExeFile))});
    entry.dwSize = sizeof entry;
  }
  return out;
}

std::optional<ProcessTimes> TaskSystem::processTimes(DWORD pid) {
  const qb::win::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
  if (!process) return std::nullopt;
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) return std::nullopt;
  return ProcessTimes{fromFileTime(kernel), fromFileTime(user)};
}

WorkingSet TaskSystem::workingSet(DWORD pid) {
  const qb::win::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  const qb::win::UniqueModule ownLoad(scopedPsapi() ? nullptr : LoadLibraryA("psapi.dll"));
  const HMODULE psapi = scopedPsapi() ? scopedPsapi() : ownLoad.get();
  if (!psapi) return {CountersStatus::NoLibrary, 0};
  const auto get = reinterpret_cast<GetProcessMemoryInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")));
  if (!get) return {CountersStatus::NoFunction, 0};
  MemoryCounters counters{};
  counters.cb = sizeof counters;
  if (!process || !get(process.get(), &counters, sizeof counters)) return {CountersStatus::NotRead, 0};
  return {CountersStatus::Read, counters.WorkingSetSize};
}

TimeOfDay TaskSystem::timeOfDay() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

std::optional<SystemReadings> TaskSystem::systemReadings() {
  // Looked up once: ntdll is in every process for its whole life.
  static const auto query = [] {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? reinterpret_cast<QuerySystemInformationFn>(
                       reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")))
                 : nullptr;
  }();
  if (!query) return std::nullopt;
  // Aligned for the query, which writes 64-bit fields.
  alignas(8) unsigned char basic[kBasicInformationSize] = {};
  alignas(8) unsigned char timeOfDay[kTimeOfDayInformationSize] = {};
  alignas(8) unsigned char performance[kPerformanceInformationSize] = {};
  if (query(0, basic, sizeof basic, nullptr) != 0) return std::nullopt;
  if (query(3, timeOfDay, sizeof timeOfDay, nullptr) != 0) return std::nullopt;
  if (query(2, performance, sizeof performance, nullptr) != 0) return std::nullopt;
  return qb::runwatch::systemReadings(basic, timeOfDay, performance);
}

std::optional<int> TaskSystem::nineXCpuUsage() {
  const auto raw = qb::win::reg::readRaw(HKEY_DYN_DATA, "PerfStats\\StatData", "KERNEL\\CPUUsage");
  if (raw.found != qb::win::reg::Found::Value || raw.data.size() < 4) return std::nullopt;
  return static_cast<int>(raw.data[0] | raw.data[1] << 8 | raw.data[2] << 16 | static_cast<unsigned>(raw.data[3]) << 24);
}

unsigned TaskSystem::memoryLoad() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return status.dwMemoryLoad;
}

MemoryFigures TaskSystem::memoryFigures() {
  static const auto extended = [] {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<GlobalMemoryStatusExFn>(
                        reinterpret_cast<void*>(GetProcAddress(kernel, "GlobalMemoryStatusEx")))
                  : nullptr;
  }();
  if (extended) {
    MemoryStatusEx status{};
    status.dwLength = sizeof status;
    if (extended(&status))
      return {status.ullTotalPageFile, status.ullAvailPageFile, status.ullTotalVirtual, status.ullAvailVirtual};
  }
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return {status.dwTotalPageFile, status.dwAvailPageFile, status.dwTotalVirtual, status.dwAvailVirtual};
}

}  // namespace qb::runwatch
