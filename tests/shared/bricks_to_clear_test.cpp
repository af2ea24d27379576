#include "shared/bricks_to_clear.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(CountBricksToClear, OnlyUsedCellsWithABreakableBrickOfTheTableCount) {
    Board board;
    board.Bricks.resize(3);
    board.Bricks[1].Unbreakable = kTrue;
    board.Bricks[2].Unbreakable = 1;  // any value but 0 is unbreakable
    EXPECT_EQ(CountBricksToClear(board), 0);

    board.Cells(0, 0) = {kTrue, 0};  // breakable, in a corner
    board.Cells(19, 19) = {kTrue, 0};
    board.Cells(5, 5) = {kTrue, 1};  // unbreakable
    board.Cells(6, 5) = {kTrue, 2};
    board.Cells(7, 5) = {kTrue, 7};   // a brick the table lacks
    board.Cells(8, 5) = {1, 0};       // Used other than -1
    board.Cells(9, 5) = {kFalse, 0};  // cleared
    EXPECT_EQ(CountBricksToClear(board), 2);
    EXPECT_TRUE(HoldsBreakableBrick(board, {19, 19}));
    EXPECT_FALSE(HoldsBreakableBrick(board, {7, 5}));
}

}  // namespace
}  // namespace core
