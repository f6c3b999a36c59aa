// chipscan.dll as a caller sees it: linked through its import library and the
// declarations in chipscan.h, and loaded by name.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chipscan.h"
#include "kernel_cpuinfo.h"
#include "qb/diskdev/recorded_folder.h"
#include "qb/diskdev/recording.h"
#include "qb/test/export_table.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"

namespace {

using qb::chipscan::test::KernelCpu;

const std::vector<std::string> kExports = {"GetCPUSpeed", "GetHDDinfo",    "GetNVinfo", "IsMMX",
                                           "SSE",         "SSE2",          "SaveNVinfo", "cpufamily",
                                           "cpumodel",    "cpusteppingid", "cpustring", "cpuvendor"};

TEST(ChipscanDll, ExportsExactlyItsNames) {
  const qb::win::UniqueModule dll(LoadLibraryW(L"chipscan.dll"));
  ASSERT_TRUE(dll);
  for (const auto& name : kExports) EXPECT_NE(GetProcAddress(dll.get(), name.c_str()), nullptr) << name;
  EXPECT_EQ(qb::test::exportedNames(dll.get()), kExports);
}

TEST(ChipscanDll, CallsWithArgumentsThroughTheDeclarations) {
  // A declaration whose argument size differed from the export's would leave
  // the stack unbalanced here.
  qb::test::ScratchRegistry scratch;
  SaveNVinfo("coolbits", 3);
  EXPECT_EQ(GetNVinfo("coolbits"), 3);
  GetHDDinfo(0, "model");  // whatever this machine answers
  EXPECT_EQ(GetNVinfo("coolbits"), 3);
}

TEST(ChipscanDll, ReadsTheRecordedDisksQubrixDisksNames) {
  qb::diskdev::RecordedFolder folder(L"chipscan_dll_recorded");
  folder.write(L"0.smart", qb::diskdev::recordedDisk("ST380011A", "5JVABC12", {}));
  EXPECT_EQ(std::string(GetHDDinfo(0, "model")), "ST380011A" + std::string(31, ' '));
  EXPECT_STREQ(GetHDDinfo(1, "model"), "NoDisk");
}

// The processor answers against the kernel's view of the same processor.
class AgainstKernel : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto cpu = qb::chipscan::test::readKernelCpu();
    if (!cpu) GTEST_SKIP() << "no /proc/cpuinfo to compare with (not running under Wine)";
    kernel = *cpu;
  }
  unsigned kernelNumber(const char* name) {
    const std::string* v = kernel.get(name);
    EXPECT_NE(v, nullptr) << name;
    return v ? static_cast<unsigned>(std::stoul(*v)) : 0;
  }
  KernelCpu kernel;
};

TEST_F(AgainstKernel, Identification) {
  ASSERT_NE(kernel.get("vendor_id"), nullptr);
  EXPECT_EQ(std::string(cpuvendor()), *kernel.get("vendor_id"));
  // The kernel trims the brand text at both ends; the library keeps it whole.
  if (const std::string* name = kernel.get("model name")) {
    EXPECT_EQ(qb::chipscan::test::trimmed(cpustring()), *name);
  }

  // The kernel adds the extended family (for family 15) and the extended model;
  // the library reports the plain 4-bit fields.
  const unsigned family = kernelNumber("cpu family");
  EXPECT_EQ(std::string(cpufamily()), std::to_string(std::min(family, 15u)));
  EXPECT_EQ(std::string(cpumodel()), std::to_string(kernelNumber("model") & 0xF));
  EXPECT_EQ(std::string(cpusteppingid()), std::to_string(kernelNumber("stepping")));

  EXPECT_EQ(IsMMX(), kernel.hasFlag("mmx") ? 1 : 0);
  EXPECT_STREQ(SSE(), kernel.hasFlag("sse") ? "Tak" : "Nie");
  EXPECT_STREQ(SSE2(), kernel.hasFlag("sse2") ? "Tak" : "Nie");
}

TEST_F(AgainstKernel, ClockWithinOnePercentOfTheTscRate) {
  std::string whyNot;
  const auto tsc = qb::chipscan::test::kernelTscMegahertz(kernel, whyNot);
  if (!tsc) GTEST_SKIP() << whyNot;
  // The median of a few measurements, so that one pass disturbed by a busy
  // machine does not decide.
  std::vector<double> mhz;
  for (int i = 0; i < 5; ++i) mhz.push_back(std::stod(GetCPUSpeed()));
  std::sort(mhz.begin(), mhz.end());
  EXPECT_NEAR(mhz[2], *tsc, *tsc / 100) << "kernel TSC rate " << *tsc << " MHz";
}

}  // namespace
