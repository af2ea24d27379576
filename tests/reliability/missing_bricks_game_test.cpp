// Cells whose brick index lies outside the table (negative, or beyond its end): the game loads
// them as they are, never draws them, and balls pass through them without hitting them.

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "game/balls/balls.h"
#include "game/balls/internal/collisions.h"
#include "game/game.h"
#include "shared/board_model.h"
#include "shared/colour.h"
#include "tests/game/game_fakes.h"
#include "tests/reliability/ball_access.h"

namespace reliability {
namespace {

using game::testing::MakeBoard;
using game::testing::PlacedCell;
using game::testing::StartedGame;

constexpr int kMissingRow = 12;
constexpr int kBrickRow = 11;  // breakable bricks just above: reaching them means passing through
constexpr std::array<std::int32_t, 5> kMissingIndices = {-1, INT32_MIN, 3, 1000, INT32_MAX};

core::Board BoardWithMissingBricks() {
    std::vector<PlacedCell> cells;
    for (int column = 0; column < core::kColumns; ++column) {
        cells.push_back(
            {column, kMissingRow,
             kMissingIndices[static_cast<std::size_t>(column) % kMissingIndices.size()]});
        cells.push_back({column, kBrickRow, 0});
    }
    return MakeBoard(cells);
}

// Whether every pixel of the cell in the playfield's background is white.
bool CellIsWhite(const core::PictureBox& playfield, int column, int row) {
    const std::span<const core::Rgb32> picture = playfield.Picture();
    for (int y = 0; y < core::kCellHeight; ++y) {
        for (int x = 0; x < core::kCellWidth; ++x) {
            const auto at = static_cast<std::size_t>(
                (row * core::kCellHeight + y) * playfield.Width() + column * core::kCellWidth + x);
            if (picture[at] != core::ColorRefToRgb32(core::kWhite)) {
                return false;
            }
        }
    }
    return true;
}

TEST(MissingBricksInPlay, AreNeverDrawnNeverHitAndKeptAsLoaded) {
    const core::Board board = BoardWithMissingBricks();
    StartedGame started(board);
    game::Game& g = started.game;

    for (int column = 0; column < core::kColumns; ++column) {
        EXPECT_TRUE(CellIsWhite(g.PicDisp, column, kMissingRow)) << column;
        EXPECT_FALSE(CellIsWhite(g.PicDisp, column, kBrickRow)) << column;
    }

    // Fast balls straight up through the row of missing bricks, one under every column.
    std::vector<game::BallState> balls;
    for (int column = 0; column < core::kColumns; ++column) {
        balls.push_back({static_cast<float>(column * core::kCellWidth + 15), 260.0f, 6.0f,
                         game::kPi / 2, core::kFalse});
    }
    ReplaceBalls(g, balls);
    int frame = 0;
    auto bricksLeft = [&] {
        int left = 0;
        for (int column = 0; column < core::kColumns; ++column) {
            left += g.Board.Cells(column, kBrickRow).Used == core::kTrue ? 1 : 0;
        }
        return left;
    };
    for (; frame < 60 && bricksLeft() > 0; ++frame) {
        g.DrawFrame();
        for (int column = 0; column < core::kColumns; ++column) {
            ASSERT_EQ(g.Board.Cells(column, kMissingRow), board.Cells(column, kMissingRow))
                << "frame " << frame << ", column " << column;
        }
    }
    // Every ball went through the missing row into the bricks above it.
    EXPECT_EQ(bricksLeft(), 0) << "after " << frame << " frames";
    for (int column = 0; column < core::kColumns; ++column) {
        EXPECT_TRUE(CellIsWhite(g.PicDisp, column, kMissingRow)) << column;
    }

    // Hitting them directly does nothing either.
    for (int column = 0; column < core::kColumns; ++column) {
        game::DestroyBrick(g.Board, g.PicDisp, column, kMissingRow);
    }
    EXPECT_EQ(g.Board.Cells, [&] {
        core::BoardCells expected = board.Cells;
        for (int column = 0; column < core::kColumns; ++column) {
            expected(column, kBrickRow).Used = core::kFalse;
        }
        return expected;
    }());
    EXPECT_EQ(g.Board.Bricks, board.Bricks);
}

}  // namespace
}  // namespace reliability
