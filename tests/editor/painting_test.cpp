#include "editor/painting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "shared/brick_drawing.h"
#include "shared/colour.h"

namespace editor {
namespace {

using core::kBlack;
using core::kWhite;

core::Board BoardWithBricks(int count) {
    core::Board board;
    for (int i = 0; i < count; ++i) {
        core::BrickRecord brick;
        brick.Index = i;
        // Every pixel of brick i is (10 + i, 20 + i, 30 + i): distinct from white and black.
        for (std::size_t at = 0; at < brick.Pixels.size(); at += 3) {
            brick.Pixels[at] = static_cast<std::uint8_t>(10 + i);
            brick.Pixels[at + 1] = static_cast<std::uint8_t>(20 + i);
            brick.Pixels[at + 2] = static_cast<std::uint8_t>(30 + i);
        }
        board.Bricks.push_back(brick);
    }
    return board;
}

core::ColorRef BrickColour(int i) {
    return core::MakeColorRef(static_cast<std::uint8_t>(10 + i), static_cast<std::uint8_t>(20 + i),
                              static_cast<std::uint8_t>(30 + i));
}

// The painting rule as the view shows it: the model, then the cell drawn from it.
bool ApplyPaintingRule(core::Board& board, core::PictureBox& view, GridCell cell,
                       std::int16_t button, std::int32_t selected) {
    const bool applied = editor::ApplyPaintingRule(board, cell, button, selected);
    DrawCell(view, board, cell);
    return applied;
}

core::PictureBox GridView() {
    core::PictureBox view(kViewWidth, kViewHeight);
    DrawGrid(view);
    return view;
}

TEST(CellUnderPointer, FloorsAndClampsToTheGrid) {
    EXPECT_EQ(CellUnderPointer(29.9, 0), (GridCell{0, 0}));
    EXPECT_EQ(CellUnderPointer(30, 0), (GridCell{1, 0}));
    EXPECT_EQ(CellUnderPointer(599, 299), (GridCell{19, 19}));
    EXPECT_EQ(CellUnderPointer(600, 300), (GridCell{19, 19}));  // closing lines: 20 clamped
    EXPECT_EQ(CellUnderPointer(0, 14.99), (GridCell{0, 0}));
    EXPECT_EQ(CellUnderPointer(0, 15), (GridCell{0, 1}));
    EXPECT_EQ(CellUnderPointer(-0.5, -31), (GridCell{0, 0}));
    EXPECT_EQ(CellUnderPointer(-1e9, 1e9), (GridCell{0, 19}));  // far beyond: no overflow
    EXPECT_EQ(CellUnderPointer(1e30, -1e30), (GridCell{19, 0}));
}

TEST(CellsOnLine, IsAnUnbrokenRunOfNeighboursAlongTheLineInOrder) {
    std::vector<GridCell> row;
    for (std::int32_t c = 2; c >= 0; --c) {
        row.push_back({c, 7});
    }
    EXPECT_EQ(CellsOnLine({2, 7}, {0, 7}), row);
    EXPECT_EQ(CellsOnLine({4, 4}, {4, 4}), (std::vector<GridCell>{{4, 4}}));
    // Through a corner, across first; a gentle slope steps down where the line crosses a row.
    EXPECT_EQ(CellsOnLine({0, 0}, {2, 2}),
              (std::vector<GridCell>{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}}));
    EXPECT_EQ(CellsOnLine({0, 0}, {4, 1}),
              (std::vector<GridCell>{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {3, 1}, {4, 1}}));

    for (const auto& [from, to] : {std::pair<GridCell, GridCell>{{0, 0}, {19, 19}},
                                   {{19, 0}, {0, 13}},
                                   {{3, 19}, {5, 0}},
                                   {{17, 2}, {1, 3}}}) {
        const std::vector<GridCell> line = CellsOnLine(from, to);
        ASSERT_EQ(line.size(), static_cast<std::size_t>(std::abs(to.Column - from.Column) +
                                                        std::abs(to.Row - from.Row) + 1));
        EXPECT_EQ(line.front(), from);
        EXPECT_EQ(line.back(), to);
        for (std::size_t i = 1; i < line.size(); ++i) {
            EXPECT_EQ(std::abs(line[i].Column - line[i - 1].Column) +
                          std::abs(line[i].Row - line[i - 1].Row),
                      1);
            // Every cell is one the line between the centres really crosses: its centre lies
            // within half a cell's diagonal of the line, measured in cells.
            const double ux = to.Column - from.Column;
            const double uy = to.Row - from.Row;
            const double cross =
                std::abs((line[i].Column - from.Column) * uy - (line[i].Row - from.Row) * ux);
            EXPECT_LE(cross / std::hypot(ux, uy), std::sqrt(0.5) + 1e-9);
        }
    }
}

TEST(CellCaption, IsOneBasedColumnCommaRow) {
    EXPECT_EQ(CellCaption({0, 0}), "1,1");
    EXPECT_EQ(CellCaption({19, 19}), "20,20");
    EXPECT_EQ(CellCaption({1, 12}), "2,13");
}

TEST(DrawGrid, Draws21VerticalAnd21HorizontalLines) {
    const core::PictureBox view = GridView();
    int black = 0;
    for (int y = 0; y < kViewHeight; ++y) {
        for (int x = 0; x < kViewWidth; ++x) {
            const bool onLine = x % 30 == 0 || y % 15 == 0;
            const core::ColorRef c = view.GetPixel(x, y);
            EXPECT_EQ(c, onLine ? kBlack : kWhite) << x << "," << y;
            black += c == kBlack ? 1 : 0;
        }
    }
    // 21 full columns of 301 pixels and 21 full rows of 601, crossing at 21 x 21 pixels.
    EXPECT_EQ(black, 21 * 301 + 21 * 601 - 21 * 21);
}

TEST(DrawGrid, DrawsOverWhatTheImageHolds) {
    core::PictureBox box(61, 31);
    box.SetPixelV(5, 5, core::MakeColorRef(1, 2, 3));
    DrawGrid(box);
    EXPECT_EQ(box.GetPixel(5, 5), core::MakeColorRef(1, 2, 3));
    EXPECT_EQ(box.GetPixel(60, 30), kBlack);
}

TEST(ApplyPaintingRule, LeftPaintsTheSelectedBrickOverTheCellsOwnLines) {
    core::Board board = BoardWithBricks(3);
    core::PictureBox view = GridView();
    EXPECT_TRUE(ApplyPaintingRule(board, view, {3, 4}, kLeftButton, 2));
    EXPECT_EQ(board.Cells(3, 4), (core::BoardCell{core::kTrue, 2}));
    EXPECT_EQ(view.GetPixel(90, 60), BrickColour(2));   // the cell's own top-left corner
    EXPECT_EQ(view.GetPixel(119, 74), BrickColour(2));  // its bottom-right pixel
    EXPECT_EQ(view.GetPixel(120, 65), kBlack);          // the neighbour's line stays
    EXPECT_EQ(view.GetPixel(100, 75), kBlack);
}

TEST(ApplyPaintingRule, LeftWithoutAnExistingSelectionChangesNothing) {
    core::Board board = BoardWithBricks(2);
    core::PictureBox view = GridView();
    const core::Board before = board;
    const std::vector<core::Rgb32> pixels(view.Image().begin(), view.Image().end());
    for (const std::int32_t selected : {-1, 2, 40000}) {
        EXPECT_FALSE(ApplyPaintingRule(board, view, {0, 0}, kLeftButton, selected));
    }
    EXPECT_EQ(board, before);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), view.Image().begin()));
}

TEST(ApplyPaintingRule, RightEmptiesTheCellKeepsItsIndexAndRestoresItsOwnLines) {
    core::Board board = BoardWithBricks(3);
    core::PictureBox view = GridView();
    ApplyPaintingRule(board, view, {3, 4}, kLeftButton, 2);
    ApplyPaintingRule(board, view, {4, 4}, kLeftButton, 1);  // covers the line at x = 120
    // Right erases even without a selection: the erase pattern never reads the table.
    EXPECT_TRUE(ApplyPaintingRule(board, view, {3, 4}, kRightButton, -1));
    EXPECT_EQ(board.Cells(3, 4), (core::BoardCell{core::kFalse, 2}));
    for (int row = 0; row < 15; ++row) {
        for (int col = 0; col < 30; ++col) {
            const core::ColorRef expected = (row == 0 || col == 0) ? kBlack : kWhite;
            ASSERT_EQ(view.GetPixel(90 + col, 60 + row), expected) << col << "," << row;
        }
    }
    EXPECT_EQ(view.GetPixel(120, 65), BrickColour(1));  // the painted neighbour is untouched
}

TEST(ApplyPaintingRule, OtherButtonValuesChangeNothing) {
    core::Board board = BoardWithBricks(1);
    core::PictureBox view = GridView();
    ApplyPaintingRule(board, view, {5, 5}, kLeftButton, 0);
    const core::Board before = board;
    for (const std::int16_t button : std::initializer_list<std::int16_t>{0, 3, 4, 5, 6, 7, -1}) {
        EXPECT_FALSE(ApplyPaintingRule(board, view, {5, 5}, button, 0)) << button;
        EXPECT_FALSE(ApplyPaintingRule(board, view, {6, 5}, button, 0)) << button;
    }
    EXPECT_EQ(board, before);
    EXPECT_EQ(view.GetPixel(151, 76), BrickColour(0));
    EXPECT_EQ(view.GetPixel(181, 76), kWhite);
}

TEST(RedrawBoard, DrawsOnlyCellsUsedExactlyTrueAndMarksMissingBricks) {
    core::Board board = BoardWithBricks(2);
    board.Cells(0, 0) = {core::kTrue, 1};
    board.Cells(1, 0) = {1, 0};  // not exactly true: left as the grid shows it
    board.Cells(2, 0) = {core::kFalse, 1};
    board.Cells(3, 0) = {core::kTrue, 7};   // beyond the table
    board.Cells(4, 0) = {core::kTrue, -3};  // negative
    const core::BoardCells cells = board.Cells;
    core::PictureBox view(kViewWidth, kViewHeight);
    RedrawBoard(view, board);

    EXPECT_EQ(view.GetPixel(0, 0), BrickColour(1));
    EXPECT_EQ(view.GetPixel(29, 14), BrickColour(1));
    EXPECT_EQ(view.GetPixel(45, 7), kWhite);
    EXPECT_EQ(view.GetPixel(30, 7), kBlack);
    EXPECT_EQ(view.GetPixel(75, 7), kWhite);

    const core::ColorRef red = core::MakeColorRef(255, 0, 0);
    for (const int x0 : {90, 120}) {
        EXPECT_EQ(view.GetPixel(x0, 0), kBlack);  // the cell's own lines
        EXPECT_EQ(view.GetPixel(x0, 7), kBlack);
        EXPECT_EQ(view.GetPixel(x0 + 1, 1), red);  // both diagonals
        EXPECT_EQ(view.GetPixel(x0 + 29, 14), red);
        EXPECT_EQ(view.GetPixel(x0 + 1, 14), red);
        EXPECT_EQ(view.GetPixel(x0 + 29, 1), red);
        EXPECT_EQ(view.GetPixel(x0 + 3, 10), kWhite);  // white elsewhere
    }
    EXPECT_EQ(board.Cells, cells);  // redrawing never changes a cell
}

}  // namespace
}  // namespace editor
