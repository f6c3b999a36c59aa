#include "qb/chipscan/cpu_id.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qb::chipscan {
namespace {

std::uint32_t fourChars(const char* s) {
  std::uint32_t v = 0;
  std::memcpy(&v, s, 4);  // little-endian: the first character in the low byte
  return v;
}

CpuidRegs regs(const char* sixteen) {
  return {fourChars(sixteen), fourChars(sixteen + 4), fourChars(sixteen + 8), fourChars(sixteen + 12)};
}

TEST(CpuId, VendorTakesEbxThenEdxThenEcx) {
  const CpuidRegs leaf0{0xD, fourChars("Genu"), fourChars("ntel"), fourChars("ineI")};
  EXPECT_EQ(vendorText(leaf0), "GenuineIntel");
}

TEST(CpuId, BrandKeepsLeadingBlanksAndEndsAtFirstZero) {
  // A brand text padded in front with blanks and ending well before 48 bytes.
  char bytes[49] = "          Intel(R) Pentium(R) 4 CPU 2.40GHz";
  EXPECT_EQ(brandText(regs(bytes), regs(bytes + 16), regs(bytes + 32)),
            "          Intel(R) Pentium(R) 4 CPU 2.40GHz");

  char shortName[48] = {};
  std::memcpy(shortName, "AMD EPYC", 8);
  EXPECT_EQ(brandText(regs(shortName), regs(shortName + 16), regs(shortName + 32)), "AMD EPYC");

  char full[49] = "0123456789abcdef0123456789abcdef0123456789abcdef";
  EXPECT_EQ(brandText(regs(full), regs(full + 16), regs(full + 32)).size(), 48u);
}

TEST(CpuId, FamilyModelSteppingArePlainFields) {
  // A family-15 processor with extended family 10 and extended model 1 (family
  // 25, model 17 for an operating system that adds the extended fields).
  const std::uint32_t eax = 0x00A00F11;
  EXPECT_EQ(familyField(eax), 15u);
  EXPECT_EQ(modelField(eax), 1u);
  EXPECT_EQ(steppingField(eax), 1u);

  EXPECT_EQ(familyField(0x000006F2), 6u);
  EXPECT_EQ(modelField(0x000006F2), 15u);
  EXPECT_EQ(steppingField(0x000006F2), 2u);
}

TEST(CpuId, FeatureAnswersAreTheFixedTexts) {
  EXPECT_STREQ(yesNo(true), "Tak");
  EXPECT_STREQ(yesNo(false), "Nie");
}

}  // namespace
}  // namespace qb::chipscan
