#include "shared/reachability.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace core {
namespace {

// A board drawn as text, the rows given from the top (the rest empty): 'b' a breakable brick,
// 'U' an unbreakable one, 'u' one whose Unbreakable flag holds 1 rather than -1, '?' a used cell
// whose brick the table lacks, 'x' a cell whose Used is 1 holding the unbreakable brick.
constexpr std::string_view kCodes = "bUu?x";
constexpr BoardCell kCodeCells[] = {{kTrue, 0}, {kTrue, 1}, {kTrue, 2}, {kTrue, 7}, {1, 1}};

Board Drawn(const std::vector<std::string>& rows) {
    Board board;
    board.Bricks.resize(3);
    board.Bricks[1].Unbreakable = kTrue;
    board.Bricks[2].Unbreakable = 1;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const std::string& text = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < static_cast<int>(text.size()); ++column) {
            const auto code = kCodes.find(text[static_cast<std::size_t>(column)]);
            if (code != std::string_view::npos) {
                board.Cells(column, row) = kCodeCells[code];
            }
        }
    }
    return board;
}

// The same rows with a closed bottom row of unbreakable bricks below them, at row 19.
std::vector<std::string> OverAWall(std::vector<std::string> rows) {
    rows.resize(kRows - 1, std::string(kColumns, '.'));
    rows.emplace_back(kColumns, 'U');
    return rows;
}

TEST(FindUnreachableBricks, BricksOpenToThePlayfieldBelowAreReached) {
    // Also through other breakable bricks; a board without one has nothing walled in.
    const Reachability open =
        FindUnreachableBricks(Drawn({"bbbbbbbbbbbbbbbbbbbb", "UUUUUUUUUUbUUUUUUUUU"}));
    EXPECT_EQ(open.BreakableBricks, 21);
    EXPECT_TRUE(open.Unreachable.empty());
    const Reachability none = FindUnreachableBricks(Drawn({"UUUU?"}));
    EXPECT_EQ(none.BreakableBricks, 0);
    EXPECT_TRUE(none.Unreachable.empty());
}

TEST(FindUnreachableBricks, UnbreakableBricksAndTheWallsOfThePlayfieldWallBricksIn) {
    // Walled in on four sides (diagonal neighbours do not let a ball through), in the corner of
    // the grid against the side and top walls, and behind a flag of 1 rather than -1.
    const Reachability walled = FindUnreachableBricks(Drawn({
        "bU",
        "U.........U........u",
        ".........UbU......ub",
        "..........U........u",
    }));
    EXPECT_EQ(walled.BreakableBricks, 3);
    EXPECT_EQ(walled.Unreachable, (std::vector<GridCell>{{0, 0}, {10, 2}, {19, 2}}));

    // Balls come in from below only: a closed bottom row walls in everything above it, in file
    // order, but not a breakable brick in the bottom row itself (with a wall above it, since a
    // ball would go on through it).
    std::vector<std::string> rows = OverAWall({"b..................b", "..........b"});
    rows.back()[3] = 'b';
    rows[kRows - 2][3] = 'U';
    const Reachability above = FindUnreachableBricks(Drawn(rows));
    EXPECT_EQ(above.BreakableBricks, 4);
    EXPECT_EQ(above.Unreachable, (std::vector<GridCell>{{0, 0}, {19, 0}, {10, 1}}));
}

TEST(FindUnreachableBricks, CellsThatShowNoBrickStopNoBall) {
    // A brick the table lacks is neither drawn nor hit, and a Used other than -1 is empty:
    // either leaves a gap in the wall.
    for (const char gap : {'?', 'x'}) {
        std::vector<std::string> rows = OverAWall({"b"});
        rows.back()[5] = gap;
        EXPECT_TRUE(FindUnreachableBricks(Drawn(rows)).Unreachable.empty()) << gap;
    }
}

}  // namespace
}  // namespace core
