// Shows the installed programs page in a process of its own and prints what it
// saw, so that a test can run it under another Windows version. Lists one
// entry whose command is the stand-in uninstaller, selects it and applies.
#include <windows.h>

#include <cstdio>

#include "qb/test/page_bench.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "removals_page.h"

int main() {
  try {
    const auto v = qb::win::windowsVersion();
    std::printf("version %u %u.%u\n", v.platform, v.major, v.minor);

    qb::test::PageBench<TDLLForm> bench("Removals probe host");
    const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ProbeEntry";
    const std::string marker = qb::win::narrow(qb::test::programFolder()) + "\\removals_marker.exe";
    qb::win::reg::writeText(HKEY_LOCAL_MACHINE, entry, "DisplayName", "Probe program");
    qb::win::reg::writeText(HKEY_LOCAL_MACHINE, entry, "UninstallString", "\"" + marker + "\" /probe");

    TDLLForm* page = bench.showPage();
    if (!page) return 2;
    std::printf("rows %d\n", page->uninst.count());
    for (int i = 0; i < page->uninst.count(); ++i)
      std::printf("row %s | %s\n", page->uninst.itemText(i, 0).c_str(), page->uninst.itemText(i, 1).c_str());
    page->uninst.select(0);
    DLLSave();
    std::printf("messages %u\n", static_cast<unsigned>(bench.boxes.calls().size()));
    std::fflush(stdout);
    return 0;
  } catch (const std::exception& e) {
    std::printf("error %s\n", e.what());
    return 1;
  }
}
