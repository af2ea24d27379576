#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace brdtool {

// A board layout is a text file that names one brick per cell with a single character:
//   '.'        an empty cell
//   '0'..'9'   bricks 0..9
//   'a'..'z'   bricks 10..35
//   'A'..'Z'   bricks 36..61
// Twenty grid lines of twenty characters each give the rows top to bottom. Everything from a
// '#' to the end of its line is a comment; blank lines are skipped; spaces around a grid line are
// ignored. Lines of the form "unbreakable: 7 a" or "explosive: 3" (anywhere in the file) set the
// flag of the bricks with those codes, separated by spaces or commas.
inline constexpr int kBrickCodeCount = 62;
inline constexpr char kEmptyCellCode = '.';

// The character that stands for brick index in a layout, or '\0' when the index has none.
char BrickCode(std::int32_t index);
// The brick index that c stands for, or -1 when c is not a brick code.
int BrickIndexOfCode(char c);

// Any fault in a layout. The message starts with the layout's name and the line (and column)
// where the fault is, so an editor can jump to it.
class LayoutError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct LayoutCell {
    int Brick = -1;  // -1: empty
    int Line = 0;    // where the cell's character stands, 1-based
    int Column = 0;
};

struct FlagMark {
    int Brick = 0;
    int Line = 0;
};

struct Layout {
    std::string Name;                                  // used in messages
    std::array<LayoutCell, core::kCellCount> Cells{};  // element order: 20 * row + column
    std::vector<FlagMark> Unbreakable;
    std::vector<FlagMark> Explosive;
    int LastLine = 0;  // number of lines read
};

// Reads a layout; throws LayoutError for anything malformed.
Layout ParseLayout(std::istream& in, std::string_view name);

// The board that a sheet and a layout describe: one brick per sheet strip, cut as the editor's
// import cuts it (Index = i, pixels through ReadBrickPixels), flags from the layout, cells used
// where the layout names a brick. Throws LayoutError when the layout names a brick that the sheet
// does not hold or gives a brick both flags; std::invalid_argument when the sheet is not
// n * 30 x 15 pixels.
core::Board BuildBoard(const Layout& layout, const core::PictureBox& sheet);

}  // namespace brdtool
