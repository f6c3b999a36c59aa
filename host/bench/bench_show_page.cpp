// Time from ShowDLLWND to a painted page, for a plug-in given by name.
//   bench_show_page.exe [module.dll] [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "qb/test/bench_timing.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"

int main(int argc, char** argv) {
  const char* module = argc > 1 ? argv[1] : "chime.dll";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  try {
    // Declared after the host window: the module is unloaded before the window goes.
    const qb::test::HostWindow host(L"Bench host");
    const qb::win::UniqueModule dll(LoadLibraryA(module));
    auto show = reinterpret_cast<void(__stdcall*)(int, int, const char*)>(
        reinterpret_cast<void*>(dll ? GetProcAddress(dll.get(), "ShowDLLWND") : nullptr));
    if (!show) {
      std::fprintf(stderr, "cannot start: %s is no page module\n", module);
      return 1;
    }
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
      const double t0 = qb::test::nowMs();
      show(0, 0, "Bench host");
      UpdateWindow(host.hwnd());  // paints the page and its controls now
      HWND page = FindWindowExW(host.hwnd(), nullptr, nullptr, nullptr);
      RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      times.push_back(qb::test::nowMs() - t0);
      SendMessageW(page, WM_CLOSE, 0, 0);
      qb::test::pumpMessages();
    }
    const qb::test::Timings shown = qb::test::summarize(times);
    std::printf("%s: ShowDLLWND to painted page over %d rounds: median %.2f ms, mean %.2f ms, worst %.2f ms\n",
                module, rounds, shown.median, shown.mean, shown.slowest);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cannot start: %s\n", e.what());
    return 1;
  }
}
