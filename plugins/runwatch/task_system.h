#pragma once
// What the task manager reads from the system. The page reads through one
// TaskSystem; tests replace it with one that replays recorded readings
// (seven-digit identifiers, a clock that crosses midnight, a failed query,
// a psapi without its function) that a test machine cannot produce.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qb/win/handles.h"
#include "usage.h"

namespace qb::runwatch {

// Tool-help snapshot flags: the processes only, or everything.
constexpr DWORD kSnapshotProcesses = 2;
constexpr DWORD kSnapshotAll = 15;

struct SnapshotProcess {
  DWORD pid = 0;
  std::string name;  // UTF-8
};

struct ProcessTimes {
  std::uint64_t kernel = 0;  // 100-ns units
  std::uint64_t user = 0;
};

enum class CountersStatus { Read, NoLibrary, NoFunction, NotRead };
struct WorkingSet {
  CountersStatus status = CountersStatus::NotRead;
  std::uint64_t bytes = 0;
};

struct MemoryFigures {
  std::uint64_t totalPageFile = 0;
  std::uint64_t availablePageFile = 0;
  std::uint64_t totalVirtual = 0;
  std::uint64_t availableVirtual = 0;
};

class TaskSystem {
 public:
  virtual ~TaskSystem() = default;

  // The processes of a tool-help snapshot taken with these flags (2: the
  // processes; 15: everything), in the snapshot's order. Empty when the
  // system has no tool-help functions.
  virtual std::vector<SnapshotProcess> snapshot(DWORD flags);
  // Nothing when the process cannot be opened or its times read.
  virtual std::optional<ProcessTimes> processTimes(DWORD pid);
  // Through "psapi.dll", loaded by name for this one call and unloaded again,
  // or for the time of a MemoryCountersScope.
  virtual WorkingSet workingSet(DWORD pid);
  // The local time of day.
  virtual TimeOfDay timeOfDay();
  // The three native queries of "ntdll.dll"; nothing when one of them fails.
  virtual std::optional<SystemReadings> systemReadings();
  // The 9x family's dynamic performance data: CPU usage in percent.
  virtual std::optional<int> nineXCpuUsage();
  // Percent of physical memory in use.
  virtual unsigned memoryLoad();
  // From the extended memory status where the system has it, so nothing is capped at 4 GB.
  virtual MemoryFigures memoryFigures();
};

// Keeps "psapi.dll" loaded while a whole list is measured, instead of loading
// it for every process: a missing library or function is still told per process.
class MemoryCountersScope {
 public:
  MemoryCountersScope();
  MemoryCountersScope(const MemoryCountersScope&) = delete;
  MemoryCountersScope& operator=(const MemoryCountersScope&) = delete;
  ~MemoryCountersScope();

 private:
  qb::win::UniqueModule library_;
};

// The one the page reads through.
TaskSystem& taskSystem();
// For tests: reads go to `system` (null: the real one again); returns the one replaced.
TaskSystem* replaceTaskSystem(TaskSystem* system);

}  // namespace qb::runwatch
