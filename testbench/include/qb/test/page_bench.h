#pragma once
// What showing a page needs outside a plug-in's host: scratch registry roots,
// message boxes answered and recorded, a host window with the given title, and
// the page shown through the real ShowDLLWND of the module linked in. Probes
// and benchmarks use it as it is; the page fixture of the tests builds on it.
#include <string>

#include "qb/shell/page.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/text.h"

namespace qb::test {

template <typename PageT>
class PageBench {
 public:
  explicit PageBench(std::string hostTitle, RegistryAccess registry = RegistryAccess::Writable,
                     int messageBoxAnswer = IDOK)
      : scratch(registry), boxes(messageBoxAnswer), host(qb::win::widen(hostTitle)), hostTitle_(std::move(hostTitle)) {}
  PageBench(const PageBench&) = delete;
  PageBench& operator=(const PageBench&) = delete;
  // The page goes before the roots and the recorder it may still use.
  ~PageBench() { closePage(); }

  // Shows the page as the host would; null when the module's page is not a PageT.
  PageT* showPage() {
    ShowDLLWND(0, 0, hostTitle_.c_str());
    return dynamic_cast<PageT*>(qb::shell::moduleState().currentPage);
  }
  void closePage() {
    if (auto* page = qb::shell::moduleState().currentPage) page->close();
    pumpMessages();
  }

  ScratchRegistry scratch;
  MessageBoxRecorder boxes;
  HostWindow host;

 private:
  std::string hostTitle_;
};

}  // namespace qb::test
