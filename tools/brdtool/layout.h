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

// How people name cells and bricks, as the editor does: "cell 6,3" is column 6, row 3 counted
// from 1,1 (the editor's caption), and "Brick 8 [7]" is the palette's eighth brick, whose code
// in a layout is 7. Bricks without a code have no brackets; a negative index names no brick at
// all and is shown as the raw "brick index -1".
std::string CellName(int column, int row);
std::string BrickName(std::int32_t index);

// One fault of a layout: where it is (Line 0 for the file as a whole, Column 0 for a whole
// line) and what is wrong.
struct LayoutFault {
    int Line = 0;
    int Column = 0;
    std::string Text;
};

// The most faults one report lists; a layout with more says how many it left out.
inline constexpr std::size_t kMostFaultsReported = 20;

// A layout with faults. what() has one line per fault, in line order, each starting with the
// layout's name and the line (and column) where the fault is, so an editor can jump to it.
class LayoutError : public std::runtime_error {
  public:
    LayoutError(std::string_view name, std::vector<LayoutFault> faults);
    const std::vector<LayoutFault>& Faults() const { return faults_; }

  private:
    std::vector<LayoutFault> faults_;
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
    // Everything malformed, in the order found; cells of a malformed grid line stay empty.
    std::vector<LayoutFault> Faults;
};

// Reads a whole layout, collecting every fault in Faults instead of stopping at the first.
Layout ReadLayout(std::istream& in, std::string_view name);

// Reads a layout; throws LayoutError listing every fault when it has any.
Layout ParseLayout(std::istream& in, std::string_view name);

// The board that a sheet and a layout describe: one brick per sheet strip, cut as the editor's
// import cuts it (Index = i, pixels through ReadBrickPixels), flags from the layout, cells used
// where the layout names a brick. Throws LayoutError with the layout's own faults and every
// brick the sheet does not hold or that has both flags; std::invalid_argument with the sheet's
// message when the sheet fails the sheet's checks.
core::Board BuildBoard(const Layout& layout, const core::PictureBox& sheet);

}  // namespace brdtool
