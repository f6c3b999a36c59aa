// Time from ShowDLLWND to a painted page, for a plug-in given by name.
//   bench_show_page.exe [module.dll] [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
LRESULT CALLBACK hostProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

double now(LARGE_INTEGER freq) {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}
}  // namespace

int main(int argc, char** argv) {
  const char* module = argc > 1 ? argv[1] : "chime.dll";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 20;
  WNDCLASSW wc{};
  wc.lpfnWndProc = hostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BenchHost";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&wc);
  HWND host = CreateWindowExW(WS_EX_CONTROLPARENT, L"BenchHost", L"Bench host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  HMODULE dll = LoadLibraryA(module);
  if (!host || !dll) {
    std::fprintf(stderr, "cannot start (display? %s?)\n", module);
    return 1;
  }
  auto show = reinterpret_cast<void(__stdcall*)(int, int, const char*)>(
      reinterpret_cast<void*>(GetProcAddress(dll, "ShowDLLWND")));
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = now(freq);
    show(0, 0, "Bench host");
    UpdateWindow(host);  // paints the page and its controls now
    HWND page = FindWindowExW(host, nullptr, nullptr, nullptr);
    RedrawWindow(page, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    times.push_back(now(freq) - t0);
    SendMessageW(page, WM_CLOSE, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  std::sort(times.begin(), times.end());
  double sum = 0;
  for (double t : times) sum += t;
  std::printf("%s: ShowDLLWND to painted page over %d rounds: median %.2f ms, mean %.2f ms, worst %.2f ms\n",
              module, rounds, times[times.size() / 2], sum / static_cast<double>(times.size()), times.back());
  FreeLibrary(dll);
  DestroyWindow(host);
  return 0;
}
