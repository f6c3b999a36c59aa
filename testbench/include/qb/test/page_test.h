#pragma once
// The usual fixture of a page test: scratch registry roots, message boxes
// answered and recorded, a host window, and the page shown through the real
// ShowDLLWND of the module linked into the test.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "qb/shell/page.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/win/text.h"
#include "qb/win/version.h"

namespace qb::test {

template <typename PageT>
class PageTest : public ::testing::Test {
 protected:
  explicit PageTest(std::string hostTitle) : hostTitle_(std::move(hostTitle)), host(qb::win::widen(hostTitle_)) {}

  PageT& show() {
    ShowDLLWND(0, 0, hostTitle_.c_str());
    auto* page = dynamic_cast<PageT*>(qb::shell::moduleState().currentPage);
    EXPECT_NE(page, nullptr);
    return *page;
  }
  void closePage() {
    if (auto* page = qb::shell::moduleState().currentPage) page->close();
    pumpMessages();
  }
  void TearDown() override {
    closePage();
    qb::win::overrideWindowsVersion(std::nullopt);
    if (expectNoMessageBoxes) {
      EXPECT_TRUE(boxes.calls().empty()) << "the page showed a message box";
    }
  }

 private:
  std::string hostTitle_;

 protected:
  ScratchRegistry scratch;
  MessageBoxRecorder boxes;
  HostWindow host;
  bool expectNoMessageBoxes = true;
};

}  // namespace qb::test
