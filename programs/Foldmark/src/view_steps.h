#pragma once
// What each view change does to the desktop's icon list: commands to the shell
// view and style values for its list view, in the order they are carried out.
// No platform headers, so the tables are checked natively as well.
#include <string_view>
#include <vector>

namespace qb::foldmark {

// Identifiers the shell view takes as WM_COMMAND.
inline constexpr unsigned kCommandLargeIcons = 28713;
inline constexpr unsigned kCommandList = 28715;
inline constexpr unsigned kCommandDetails = 28716;
inline constexpr unsigned kCommandThumbnails = 28717;
inline constexpr unsigned kCommandTiles = 28718;

// List view style values.
inline constexpr unsigned kStyleIcon = 0;
inline constexpr unsigned kStyleReport = 1;
inline constexpr unsigned kStyleSmallIcon = 2;
inline constexpr unsigned kStyleList = 3;
inline constexpr unsigned kStyleIconAlignLeft = 2048;

// The view type, alignment and header bits that a style value replaces.
inline constexpr unsigned kViewStyleMask = 0xFC03;

constexpr unsigned styleWithView(unsigned style, unsigned value) { return (style & ~kViewStyleMask) | value; }

struct Step {
  enum class Kind {
    Command,      // value goes to the shell view
    Style,        // value goes to the desktop's list view
    ReportStyle,  // the report value goes to the list view below the shell view
  };
  Kind kind;
  unsigned value;
};
using Steps = std::vector<Step>;

enum class View { SmallIcons, Icons, List, IconsAlignedLeft, Tiles, Thumbnails, Report };

// What the window's button for a view does.
const Steps& buttonSteps(View view);

// The steps of a command-line option, compared with the first argument (UTF-8)
// after upper-casing its ASCII letters; null when the argument is no option.
const Steps* optionSteps(std::string_view firstArgument);

}  // namespace qb::foldmark
