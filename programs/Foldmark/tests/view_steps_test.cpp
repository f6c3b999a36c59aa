#include <gtest/gtest.h>

#include <string>

#include "view_steps.h"

namespace {

using qb::foldmark::buttonSteps;
using qb::foldmark::optionSteps;
using qb::foldmark::View;

TEST(FoldmarkOptions, RecogniseTheFirstArgumentInAnyAsciiCase) {
  struct Case {
    std::string argument;
    View view;
  };
  const Case cases[] = {
      {"-ICON", View::Icons},     {"-icon", View::Icons},         {"-LICON", View::IconsAlignedLeft},
      {"-List", View::List},      {"-rePORT", View::Report},      {"-tile", View::Tiles},
      {"-TILE", View::Tiles},     {"-THUMBS", View::Thumbnails},  {"-thumbs", View::Thumbnails},
  };
  for (const Case& c : cases) EXPECT_EQ(optionSteps(c.argument), &buttonSteps(c.view)) << c.argument;
}

TEST(FoldmarkOptions, SmallIconsOptionAsksTheShellBeforeSettingStyles) {
  using K = qb::foldmark::Step::Kind;
  for (const char* name : {"-SM", "-sm", "-Sm"}) {
    const qb::foldmark::Steps* steps = optionSteps(name);
    ASSERT_NE(steps, nullptr) << name;
    ASSERT_EQ(steps->size(), 3u);
    EXPECT_EQ((*steps)[0].kind, K::Command);
    EXPECT_EQ((*steps)[0].value, qb::foldmark::kCommandLargeIcons);
    EXPECT_EQ((*steps)[1].kind, K::Style);
    EXPECT_EQ((*steps)[1].value, qb::foldmark::kStyleIcon);
    EXPECT_EQ((*steps)[2].kind, K::Style);
    EXPECT_EQ((*steps)[2].value, qb::foldmark::kStyleSmallIcon);
  }
}

TEST(FoldmarkOptions, AnythingElseIsNoOption) {
  const std::string notOptions[] = {
      "", "-", "TILE", "-TILE ", " -TILE", "--TILE", "-TIL", "-TILES", "/TILE", "-SM -LIST",
      std::string("-TI\0LE", 6), std::string(100000, 'x'), "-TILE" + std::string(100000, ' '),
      "-t\xC4\xB1le",        // dotless small i
      "-T\xC4\xB0LE",        // capital I with a dot
      "-\xEF\xBC\xB4ILE",    // full-width T
      "-\xC5\x81IST",        // Polish capital L with stroke
      "\xFF\xFE-TILE",       // bytes that are no UTF-8
  };
  for (const std::string& a : notOptions) EXPECT_EQ(optionSteps(a), nullptr) << a.substr(0, 40);
}

}  // namespace
