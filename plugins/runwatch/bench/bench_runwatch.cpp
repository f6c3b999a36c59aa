// What the task manager costs.
//   wine bench_runwatch.exe [helpers] [seconds] [ticks]   (defaults: 150, 60, 30)
// 1. The page left open on its performance screen for `seconds` with its
//    one-second timer: the share of one processor its process used; and the
//    same time with the timer stopped, for what the process costs anyway.
// 2. With `helpers` extra idle processes: the time of one tick against the
//    floor of the same system calls alone (snapshot, process times, memory
//    counters, window enumeration), both measured `ticks` times, interleaved,
//    medians compared.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "qb/test/bench_timing.h"
#include "qb/test/page_bench.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"
#include "runwatch_page.h"

namespace {

using qb::test::nowMs;

double ownCpuMs() {
  FILETIME c{}, e{}, k{}, u{};
  GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
  auto v = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(v(k) + v(u)) / 10000.0;
}

BOOL CALLBACK readWindow(HWND w, LPARAM count) {
  char title[145], cls[145];
  GetWindowTextA(w, title, 144);
  GetClassNameA(w, cls, 144);
  if (IsWindowVisible(w) && title[0]) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// The system calls of one tick and nothing else.
int floorTick(HMODULE psapi) {
  using GetInfo = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
  static const auto getInfo =
      reinterpret_cast<GetInfo>(reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")));
  int processes = 0;
  const qb::win::UniqueFileHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snap.get(), &entry); more; more = Process32NextW(snap.get(), &entry)) {
    ++processes;
    if (const qb::win::UniqueKernelHandle p{OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID)}) {
      FILETIME c, e, k, u;
      GetProcessTimes(p.get(), &c, &e, &k, &u);
    }
    if (const qb::win::UniqueKernelHandle p{
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID)}) {
      PROCESS_MEMORY_COUNTERS counters{};
      counters.cb = sizeof counters;
      if (getInfo) getInfo(p.get(), &counters, sizeof counters);
    }
  }
  int windows = 0;
  EnumWindows(readWindow, reinterpret_cast<LPARAM>(&windows));
  return processes + windows;
}

// A host's message loop for a while: sleeps until a message comes, as GetMessage does.
void runMessageLoop(double milliseconds) {
  const double end = nowMs() + milliseconds;
  for (double left = milliseconds; left > 0; left = end - nowMs()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int helpers = argc > 1 ? std::atoi(argv[1]) : 150;
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
  const int ticks = argc > 3 ? std::atoi(argv[3]) : 30;

  qb::test::PageBench<TDLLForm> bench("Task manager bench host");
  TDLLForm* page = bench.showPage();
  if (!page) {
    std::printf("no page\n");
    return 1;
  }
  page->Label52.click();  // the performance screen, graph and all

  if (seconds > 0) {
    // The same time with the timer stopped tells what the process costs anyway (the host's own share).
    auto measure = [&](bool ticking) {
      page->Timer1.setEnabled(ticking);
      const double wall0 = nowMs(), cpu0 = ownCpuMs();
      runMessageLoop(seconds * 1000.0);
      return std::pair{nowMs() - wall0, ownCpuMs() - cpu0};
    };
    const auto [idleWall, idleCpu] = measure(false);
    const auto [wall, cpu] = measure(true);
    std::printf("page open %.0f s at its 1 s interval: %.1f ms of processor time, %.3f %% of one core "
                "(with the timer stopped: %.1f ms, %.3f %%)\n",
                wall / 1000, cpu, 100.0 * cpu / wall, idleCpu, 100.0 * idleCpu / idleWall);
  }
  page->Timer1.setEnabled(false);

  // The helpers' process and thread handles, closed after the helpers are ended.
  struct Helper {
    qb::win::UniqueKernelHandle process, thread;
  };
  std::vector<Helper> started;
  const std::wstring exe = L"\"" + qb::test::programFolder() + L"\\runwatch_helper.exe\" idle";
  for (int i = 0; i < helpers; ++i) {
    std::wstring line = exe;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      started.push_back({qb::win::UniqueKernelHandle(pi.hProcess), qb::win::UniqueKernelHandle(pi.hThread)});
  }
  Sleep(2000);  // let them all come up

  const qb::win::UniqueModule psapi(LoadLibraryA("psapi.dll"));
  std::vector<double> tickTimes, floorTimes;
  int rows = 0, seen = 0;
  page->Timer1Timer();  // the first tick meets every process
  for (int i = 0; i < ticks; ++i) {
    double t = nowMs();
    seen = floorTick(psapi.get());
    floorTimes.push_back(nowMs() - t);
    t = nowMs();
    page->Timer1Timer();
    tickTimes.push_back(nowMs() - t);
    rows = page->ListView3.count();
    qb::test::pumpMessages();
  }
  const double tick = qb::test::summarize(tickTimes).median, floor = qb::test::summarize(floorTimes).median;
  std::printf("one tick with %zu extra processes (%d rows, %d processes and windows read): median %.2f ms; "
              "floor of the same system calls %.2f ms; ratio %.2f (%d runs)\n",
              started.size(), rows, seen, tick, floor, tick / floor, ticks);

  for (const Helper& helper : started) {
    TerminateProcess(helper.process.get(), 0);
    WaitForSingleObject(helper.process.get(), 5000);
  }
  return 0;
}
