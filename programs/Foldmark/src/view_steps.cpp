#include "view_steps.h"

#include <string>

#include "qb/text.h"

namespace qb::foldmark {
namespace {

Step command(unsigned id) { return {Step::Kind::Command, id}; }
Step style(unsigned value) { return {Step::Kind::Style, value}; }
Step reportStyle() { return {Step::Kind::ReportStyle, kStyleReport}; }

const Steps& smallIconsButton() {
  static const Steps s{style(kStyleIcon), command(kCommandLargeIcons), style(kStyleSmallIcon)};
  return s;
}
const Steps& iconsButton() {
  static const Steps s{style(kStyleList), command(kCommandLargeIcons), style(kStyleIcon)};
  return s;
}
const Steps& listButton() {
  static const Steps s{command(kCommandList), style(kStyleList)};
  return s;
}
const Steps& iconsAlignedLeftButton() {
  static const Steps s{style(kStyleSmallIcon), command(kCommandLargeIcons), style(kStyleIconAlignLeft)};
  return s;
}
const Steps& tilesButton() {
  static const Steps s{command(kCommandTiles)};
  return s;
}
const Steps& thumbnailsButton() {
  static const Steps s{command(kCommandLargeIcons), command(kCommandThumbnails), command(kCommandLargeIcons),
                       command(kCommandThumbnails)};
  return s;
}
const Steps& reportButton() {
  static const Steps s{reportStyle(), command(kCommandDetails)};
  return s;
}

// "-SM" asks the shell first and sets the styles afterwards, unlike its button.
const Steps& smallIconsOption() {
  static const Steps s{command(kCommandLargeIcons), style(kStyleIcon), style(kStyleSmallIcon)};
  return s;
}

struct Option {
  std::string_view name;
  const Steps& (*steps)();
};

// Compared in this order.
const Option kOptions[] = {
    {"-SM", smallIconsOption},   {"-ICON", iconsButton},  {"-LICON", iconsAlignedLeftButton},
    {"-LIST", listButton},       {"-REPORT", reportButton}, {"-TILE", tilesButton},
    {"-THUMBS", thumbnailsButton},
};

}  // namespace

const Steps& buttonSteps(View view) {
  switch (view) {
    case View::SmallIcons: return smallIconsButton();
    case View::Icons: return iconsButton();
    case View::List: return listButton();
    case View::IconsAlignedLeft: return iconsAlignedLeftButton();
    case View::Tiles: return tilesButton();
    case View::Thumbnails: return thumbnailsButton();
    case View::Report: return reportButton();
  }
  return smallIconsButton();
}

const Steps* optionSteps(std::string_view firstArgument) {
  // Only ASCII letters change case, so no other character can turn into one of
  // the options' letters.
  const std::string upper = qb::asciiUpper(firstArgument);
  for (const Option& o : kOptions)
    if (upper == o.name) return &o.steps();
  return nullptr;
}

}  // namespace qb::foldmark
