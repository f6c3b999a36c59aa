// How long the module page takes to list every DLL of the Windows and system
// folders (the Wine prefix under the bench).
//   wine bench_modscope.exe [runs] [extension]     (defaults: 5 runs, dll)
// Prints the fastest and median listing, and as the floor it builds on the
// time of the same folder searches alone.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "modscope_page.h"
#include "qb/shell/page.h"
#include "qb/test/bench_timing.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"

namespace {
using qb::test::nowMs;

enum class Step { Search, DisplayName, VersionResource };

// The folder search alone, or with one of the two calls the page makes per file.
int searchWith(const wchar_t* folder, Step step, const std::wstring& extension) {
  WIN32_FIND_DATAW found{};
  int n = 0;
  const qb::win::UniqueFind search(FindFirstFileW((std::wstring(folder) + L"\\*." + extension).c_str(), &found));
  if (!search) return 0;
  do {
    ++n;
    const std::wstring path = std::wstring(folder) + L"\\" + found.cFileName;
    if (step == Step::DisplayName) {
      SHFILEINFOW info{};
      SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME);
    } else if (step == Step::VersionResource) {
      DWORD ignored = 0;
      std::vector<unsigned char> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
      if (!block.empty()) GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data());
    }
  } while (FindNextFileW(search.get(), &found));
  return n;
}
}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string chosen = argc > 2 ? argv[2] : "dll";
  const char* const extensions[] = {"dll", "exe", "scr", "cpl", "bpl", "ax", "acm", "sys", "ocx"};
  int tag = 0;
  for (int i = 0; i < 9; ++i)
    if (chosen == extensions[i]) tag = i + 1;
  if (!tag) return 2;
  const std::wstring extension(chosen.begin(), chosen.end());
  // No scratch registry: the shell names the files as it does for the user.
  qb::test::HostWindow host(L"Modscope bench host");
  ShowDLLWND(0, 0, "Modscope bench host");
  auto* page = dynamic_cast<TDLLForm*>(qb::shell::moduleState().currentPage);
  if (!page) return 1;
  wchar_t windows[MAX_PATH] = {}, system[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  GetSystemDirectoryW(system, MAX_PATH);
  std::vector<double> lists, searches, names, versions;
  for (int r = 0; r < runs; ++r) {
    double t = nowMs();
    page->Label10.tag = tag;  // the links share one handler, told apart by their tags
    page->Label10.click();
    lists.push_back(nowMs() - t);
    qb::test::pumpMessages();
    for (auto [step, times] : {std::pair{Step::Search, &searches}, std::pair{Step::DisplayName, &names},
                               std::pair{Step::VersionResource, &versions}}) {
      t = nowMs();
      searchWith(windows, step, extension);
      searchWith(system, step, extension);
      times->push_back(nowMs() - t);
    }
  }
  using qb::test::summarize;
  const qb::test::Timings listing = summarize(lists);
  std::printf("modscope %s listing, %d rows: fastest %.0f ms, median %.0f ms (%d runs)\n", chosen.c_str(), page->DLLList.count(),
              listing.fastest, listing.median, runs);
  std::printf("  the same searches alone %.1f ms, with display names %.0f ms, with version resources %.0f ms\n",
              summarize(searches).median, summarize(names).median, summarize(versions).median);
  return 0;
}
