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

// What a group of page cases needs besides the usual.
struct PageTestOptions {
  RegistryAccess registry = RegistryAccess::Writable;
  int messageBoxAnswer = IDOK;
  // How many message boxes each case ends with; unset when the cases differ
  // and check them themselves.
  std::optional<size_t> messageBoxes = 0;

  PageTestOptions& readOnlyRegistry() {
    registry = RegistryAccess::ReadOnly;
    return *this;
  }
  PageTestOptions& answerMessageBoxes(int answer) {
    messageBoxAnswer = answer;
    return *this;
  }
  PageTestOptions& expectMessageBoxes(size_t count) {
    messageBoxes = count;
    return *this;
  }
  PageTestOptions& messageBoxesVary() {
    messageBoxes.reset();
    return *this;
  }
};

template <typename PageT>
class PageTest : public ::testing::Test {
 protected:
  explicit PageTest(std::string hostTitle, PageTestOptions options = {})
      : options_(options),
        hostTitle_(std::move(hostTitle)),
        scratch(options.registry),
        boxes(options.messageBoxAnswer),
        host(qb::win::widen(hostTitle_)) {}

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
    if (options_.messageBoxes) {
      EXPECT_EQ(boxes.calls().size(), *options_.messageBoxes) << "message boxes shown:\n" << boxes.texts();
    }
  }

 private:
  PageTestOptions options_;
  std::string hostTitle_;

 protected:
  ScratchRegistry scratch;
  MessageBoxRecorder boxes;
  HostWindow host;
};

}  // namespace qb::test
