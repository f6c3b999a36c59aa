#include "qb/win/registry.h"

#include <gtest/gtest.h>

#include "qb/test/testbench.h"

namespace reg = qb::win::reg;

namespace {

TEST(Registry, ReadersTellMissingKeyMissingValueAndWrongType) {
  qb::test::ScratchRegistry scratch;
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, "\\A\\B", "v").found, reg::Found::NoKey);
  reg::writeNumber(HKEY_CURRENT_USER, "\\A\\B", "n", 7);
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, "A\\B", "v").found, reg::Found::NoValue);
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, "A\\B", "n").found, reg::Found::WrongType);
  const auto n = reg::readNumber(HKEY_CURRENT_USER, "A\\B", "n");
  EXPECT_EQ(n.found, reg::Found::Value);
  EXPECT_EQ(n.value, 7u);
}

TEST(Registry, TextRoundTripKeepsPolishLettersAndUnterminatedDataReadsWhole) {
  qb::test::ScratchRegistry scratch;
  reg::writeText(HKEY_CURRENT_USER, "K", "t", "Zażółć gęślą");
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, "K", "t").text, "Zażółć gęślą");

  const auto key = reg::openKey(HKEY_CURRENT_USER, "K");
  ASSERT_TRUE(key);
  const wchar_t raw[] = {L'a', L'b'};  // no terminator stored
  reg::writeRaw(key.get(), "u", REG_SZ, raw, sizeof raw);
  EXPECT_EQ(reg::readText(key.get(), "u").text, "ab");
  reg::writeRaw(key.get(), "short", REG_DWORD, raw, 2);
  EXPECT_EQ(reg::readNumber(key.get(), "short").found, reg::Found::WrongType);
}

TEST(Registry, WritesUnderAReadOnlyRootThrowNamingTheirPlace) {
  qb::test::ScratchRegistry scratch(qb::test::RegistryAccess::ReadOnly);
  EXPECT_THROW(reg::writeText(HKEY_CURRENT_USER, "X", "v", "1"), reg::RegistryError);
  try {
    reg::writeNumber(HKEY_LOCAL_MACHINE, "\\Software\\X", "v", 1);
    ADD_FAILURE() << "the write did not fail";
  } catch (const reg::RegistryError& e) {
    EXPECT_EQ(e.location(), "HKEY_LOCAL_MACHINE\\Software\\X \"v\"");
    EXPECT_NE(e.code(), ERROR_SUCCESS);
  }
}

// Scratch roots nest: an inner one hides the outer one's keys while it lives,
// and the outer one is in force again when it ends.
TEST(ScratchRegistry, InnerRootsHideAndRestoreTheOuterOne) {
  qb::test::ScratchRegistry outer;
  reg::writeText(HKEY_CURRENT_USER, "Nest", "outer", "1");
  {
    qb::test::ScratchRegistry inner;
    EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, "Nest"));
    reg::writeText(HKEY_CURRENT_USER, "Nest", "inner", "1");
    {
      qb::test::ScratchRegistry readOnly(qb::test::RegistryAccess::ReadOnly);
      EXPECT_THROW(reg::writeText(HKEY_CURRENT_USER, "Nest", "x", "1"), reg::RegistryError);
    }
    EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, "Nest", "inner").found, reg::Found::Value)
        << "a read-only root inside it ended and the inner one is back";
  }
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, "Nest", "outer").found, reg::Found::Value);
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, "Nest", "inner").found, reg::Found::NoValue);
}

TEST(Registry, DeleteTreeRemovesNestedKeysAndToleratesAbsence) {
  qb::test::ScratchRegistry scratch;
  reg::writeNumber(HKEY_CURRENT_USER, "T\\a\\b", "v", 1);
  reg::writeNumber(HKEY_CURRENT_USER, "T\\c", "v", 1);
  reg::deleteTree(HKEY_CURRENT_USER, "T");
  EXPECT_FALSE(reg::keyExists(HKEY_CURRENT_USER, "T"));
  EXPECT_NO_THROW(reg::deleteTree(HKEY_CURRENT_USER, "T"));
}

TEST(Registry, ValuesGivesNamesTypesAndWholeDataInRegistryOrder) {
  qb::test::ScratchRegistry scratch;
  const std::string longText(40000, 'x');
  reg::writeText(HKEY_CURRENT_USER, "V", "short", "a");
  reg::writeText(HKEY_CURRENT_USER, "V", "Zażółć", longText);
  reg::writeNumber(HKEY_CURRENT_USER, "V", "n", 5);
  const auto key = reg::openKey(HKEY_CURRENT_USER, "V");
  ASSERT_TRUE(key);
  reg::writeRaw(key.get(), "empty", REG_BINARY, nullptr, 0);

  const std::vector<std::string> names = reg::valueNames(key.get());
  const std::vector<reg::NamedValue> values = reg::values(key.get());
  ASSERT_EQ(values.size(), names.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(values[i].name, names[i]);
    const reg::Raw single = reg::readRaw(key.get(), names[i]);
    EXPECT_EQ(values[i].value.type, single.type) << names[i];
    EXPECT_EQ(values[i].value.data, single.data) << names[i];
    EXPECT_EQ(values[i].value.found, reg::Found::Value) << names[i];
  }
  EXPECT_EQ(names.size(), 4u);
  const reg::Raw missing = reg::readRaw(key.get(), "none");
  EXPECT_EQ(missing.found, reg::Found::NoValue);
}

}  // namespace
