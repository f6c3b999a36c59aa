#pragma once
// The usual fixture of a page test: a PageBench (scratch registry roots,
// message boxes answered and recorded, a host window, the page shown through
// the real ShowDLLWND) that also checks the message boxes each case ends with
// and puts the Windows version back.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "qb/test/page_bench.h"
#include "qb/test/testbench.h"
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
class PageTest : public ::testing::Test, protected PageBench<PageT> {
 protected:
  explicit PageTest(std::string hostTitle, PageTestOptions options = {})
      : PageBench<PageT>(std::move(hostTitle), options.registry, options.messageBoxAnswer), options_(options) {}

  PageT& show() {
    PageT* page = this->showPage();
    EXPECT_NE(page, nullptr);
    return *page;
  }
  using PageBench<PageT>::closePage;
  using PageBench<PageT>::scratch;
  using PageBench<PageT>::boxes;
  using PageBench<PageT>::host;

  void TearDown() override {
    closePage();
    qb::win::overrideWindowsVersion(std::nullopt);
    if (options_.messageBoxes) {
      EXPECT_EQ(boxes.calls().size(), *options_.messageBoxes) << "message boxes shown:\n" << boxes.texts();
    }
  }

 private:
  PageTestOptions options_;
};

}  // namespace qb::test
