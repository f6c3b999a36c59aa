// Shows the prefetch page in a process of its own and prints what it saw, so
// that a test can run it under another Windows version. The stored mode is 2
// before the page is shown; the page is applied before it closes.
#include <windows.h>

#include <cstdio>

#include "qb/test/page_bench.h"
#include "qb/win/registry.h"
#include "qb/win/version.h"
#include "warmload_page.h"

namespace {
const char kPrefetchKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
}

int main() {
  try {
    const auto v = qb::win::windowsVersion();
    std::printf("version %u %u.%u\n", v.platform, v.major, v.minor);

    qb::test::PageBench<TDLLForm> bench("Warmload probe host");
    qb::win::reg::writeNumber(HKEY_LOCAL_MACHINE, kPrefetchKey, "EnablePrefetcher", 2);

    TDLLForm* page = bench.showPage();
    if (!page) return 2;
    const qb::tk::RadioButton* options[] = {&page->Prefetch1, &page->Prefetch2, &page->Prefetch3, &page->Prefetch4};
    std::printf("enabled");
    for (const auto* o : options) std::printf(" %d", o->enabled() ? 1 : 0);
    std::printf(" %d %d\n", page->Button1.enabled() ? 1 : 0, page->ListViewlog.enabled() ? 1 : 0);
    int checked = 0;
    for (int i = 0; i < 4; ++i)
      if (options[i]->checked()) checked = i + 1;
    std::printf("checked %d\nrows %d\n", checked, page->ListViewlog.count());

    qb::win::reg::writeNumber(HKEY_LOCAL_MACHINE, kPrefetchKey, "EnablePrefetcher", 3);
    DLLSave();
    const auto stored = qb::win::reg::readNumber(HKEY_LOCAL_MACHINE, kPrefetchKey, "EnablePrefetcher");
    std::printf("stored after apply %u\nmessages %u\n", stored.value, static_cast<unsigned>(bench.boxes.calls().size()));
    std::fflush(stdout);
    return 0;
  } catch (const std::exception& e) {
    std::printf("error %s\n", e.what());
    return 1;
  }
}
