#include "version_resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "version_builder.h"

namespace {

using namespace qb::modscope;
using namespace qb::modscope::test;

std::optional<std::string> description(const Bytes& block) {
  const auto t = firstTranslation(block.data(), block.size());
  if (!t) return std::nullopt;
  const auto text = queryText(block.data(), block.size(), stringTablePath(*t, u"FileDescription"));
  if (!text) return std::nullopt;
  return std::string(text->begin(), text->end());  // one byte each in these cases
}

std::optional<std::string> version(const Bytes& block) {
  const auto v = fileVersion(block.data(), block.size());
  return v ? std::optional<std::string>(versionText(*v)) : std::nullopt;
}

TEST(VersionResource, ReadsVersionAndTheFirstTranslationsDescription) {
  struct Case {
    const char* what;
    Bytes block;
    std::optional<std::string> version, description;
  };
  const Case cases[] = {
      {"one translation", versionResource(5, 1, 2600, 5512, {{0x0409, 0x04b0}}, {{u"040904b0", u"Sample library"}}),
       "5.1.2600.5512", "Sample library"},
      {"the first of two translations, its table listed second",
       versionResource(1, 0, 0, 65535, {{0x0415, 0x04e2}, {0x0409, 0x04b0}},
                       {{u"040904b0", u"English"}, {u"041504e2", u"Polish"}}),
       "1.0.0.65535", "Polish"},
      {"upper-case table key", versionResource(2, 0, 0, 0, {{0x0409, 0x04b0}}, {{u"040904B0", u"Upper"}}), "2.0.0.0",
       "Upper"},
      {"no table for the first translation",
       versionResource(3, 0, 0, 0, {{0x0407, 0x04b0}, {0x0409, 0x04b0}}, {{u"040904b0", u"Other"}}), "3.0.0.0",
       std::nullopt},
      {"no translation", versionResource(4, 0, 0, 0, {}, {{u"040904b0", u"Orphan"}}), "4.0.0.0", std::nullopt},
      {"a 16-bit module's, 8-bit text kept as bytes",
       versionResource16(3, 10, 0, 103, {0x0415, 0x04e2}, "041504E2", "Biblioteka \xB9\xEA"), "3.10.0.103",
       "Biblioteka \xB9\xEA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(version(c.block), c.version);
    EXPECT_EQ(description(c.block), c.description);
  }
}

TEST(VersionResource, QueryPathsMatchAsTheSystemsDo) {
  const Bytes block = versionResource(1, 2, 3, 4, {{0x0409, 0x04b0}}, {{u"040904b0", u"Text"}});
  const std::pair<std::u16string, bool> paths[] = {
      {u"\\StringFileInfo\\040904b0\\FileDescription", true},
      {u"\\\\StringFileInfo\\\\040904b0\\\\FileDescription", true},
      {u"stringfileinfo\\040904B0\\filedescription\\", true},
      {u"\\StringFileInfo\\040904b0\\FileDescriptio", false},
      {u"\\StringFileInfo\\040904b0\\FileDescriptionX", false},
      {u"\\StringFileInfo\\FileDescription", false},
  };
  for (const auto& [path, found] : paths)
    EXPECT_EQ(queryText(block.data(), block.size(), path).has_value(), found)
        << std::string(path.begin(), path.end());
}

// Each prefix of a good resource, in a block of exactly that size, so that
// the address sanitizer sees any read past its end.
TEST(VersionResource, CutShortAtAnyLengthReadsNothingPastTheEnd) {
  const Bytes whole = versionResource(7, 7, 7, 7, {{0x0409, 0x04b0}}, {{u"040904b0", u"Complete"}});
  const Bytes whole16 = versionResource16(7, 7, 7, 7, {0x0409, 0x04e4}, "040904e4", "Complete");
  for (const Bytes* full : {&whole, &whole16})
    for (size_t n = 0; n <= full->size(); ++n) {
      std::unique_ptr<unsigned char[]> block(new unsigned char[n ? n : 1]);
      if (n) std::memcpy(block.get(), full->data(), n);
      (void)fileVersion(block.get(), n);
      const auto t = firstTranslation(block.get(), n);
      if (t) (void)queryText(block.get(), n, stringTablePath(*t, u"FileDescription"));
    }
  EXPECT_EQ(version(whole), "7.7.7.7");
  EXPECT_EQ(description(whole16), "Complete");
  EXPECT_FALSE(version(Bytes(whole.begin(), whole.begin() + 40))) << "the fixed part cut in half";
}

TEST(VersionResource, LengthsClaimingMoreThanTheBlockHoldsReadAsMissing) {
  const Bytes good = versionResource(1, 0, 0, 0, {{0x0409, 0x04b0}}, {{u"040904b0", u"Fine"}});
  auto patched = [&](size_t offset, std::uint16_t value) {
    Bytes b = good;
    b[offset] = static_cast<unsigned char>(value);
    b[offset + 1] = static_cast<unsigned char>(value >> 8);
    return b;
  };
  // The root claims more than the block; the fixed part claims 64 KB; a node of length 0 or 2.
  const Bytes rootTooLong = patched(0, 0xFFFF);
  EXPECT_FALSE(version(rootTooLong));
  EXPECT_FALSE(description(rootTooLong));
  const Bytes valueTooLong = patched(2, 0xFFFF);
  EXPECT_EQ(version(valueTooLong), "1.0.0.0") << "the value is cut at its node's end";
  EXPECT_FALSE(description(valueTooLong)) << "and leaves no room for children";
  for (std::uint16_t length : {0, 2, 5}) EXPECT_FALSE(version(patched(0, length))) << length;
  EXPECT_FALSE(version(Bytes{}));
  EXPECT_FALSE(fileVersion(nullptr, 100));
  // A key with no terminator inside its node.
  Bytes noTerminator = node(u"VS_VERSION_INFO", {}, false);
  noTerminator.resize(6 + 4);
  noTerminator[0] = 10;
  EXPECT_FALSE(version(noTerminator));
}

}  // namespace
