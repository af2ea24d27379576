#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shared/vb_types.h"

namespace core {

inline constexpr int kColumns = 20;
inline constexpr int kRows = 20;
inline constexpr int kCellCount = kColumns * kRows;
inline constexpr int kCellWidth = 30;
inline constexpr int kCellHeight = 15;
inline constexpr int kBoardWidth = kColumns * kCellWidth;              // 600
inline constexpr int kBoardHeight = kRows * kCellHeight;               // 300
inline constexpr int kBrickPixelBytes = kCellWidth * kCellHeight * 3;  // 1350

// The first record of a board file; in memory it holds what was last written or read.
struct BoardHeader {
    std::array<char, 4> Magic{};
    std::int16_t Version = 0;
    std::int32_t BrickTableOffset = 0;
    std::int32_t LastBrickIndex = 0;

    bool operator==(const BoardHeader&) const = default;
};

struct BoardCell {
    VbBool Used = kFalse;         // a brick is shown only when this is exactly kTrue
    std::int32_t BrickIndex = 0;  // kept when the cell is cleared

    bool operator==(const BoardCell&) const = default;
};

// A brick's 30 x 15 image: rows top first, pixels left to right, bytes red, green, blue.
using BrickPixels = std::array<std::uint8_t, kBrickPixelBytes>;

// Byte offset of pixel (col, row) inside BrickPixels.
constexpr std::size_t PixelOffset(int col, int row) {
    return static_cast<std::size_t>(3 * (kCellWidth * row + col));
}

struct BrickRecord {
    std::int32_t Index = 0;
    BrickPixels Pixels{};
    VbBool Explosive = kFalse;
    VbBool Unbreakable = kFalse;

    bool operator==(const BrickRecord&) const = default;
};

// A cell's place in the grid: column and row, each counted from 0.
struct GridCell {
    std::int32_t Column = 0;
    std::int32_t Row = 0;

    bool operator==(const GridCell&) const = default;
};

// The 20 x 20 grid, indexed (column, row). Element 20 * row + column is the order of the cells
// in the board file.
class BoardCells {
  public:
    BoardCell& operator()(int column, int row) { return cells_[Element(column, row)]; }
    const BoardCell& operator()(int column, int row) const { return cells_[Element(column, row)]; }

    static constexpr bool InGrid(int column, int row) {
        return column >= 0 && column < kColumns && row >= 0 && row < kRows;
    }
    static constexpr std::size_t Element(int column, int row) {
        return static_cast<std::size_t>(kColumns * row + column);
    }

    // Cells in file order.
    std::array<BoardCell, kCellCount>& Elements() { return cells_; }
    const std::array<BoardCell, kCellCount>& Elements() const { return cells_; }

    bool operator==(const BoardCells&) const = default;

  private:
    std::array<BoardCell, kCellCount> cells_{};
};

// Indices 0 .. LastBrickIndex. An empty table is a table without bounds: nothing imported or
// loaded yet.
using BrickTable = std::vector<BrickRecord>;

// One level: header, cells and brick table. Each program owns one and passes it by reference.
struct Board {
    BoardHeader Header;
    BoardCells Cells;
    BrickTable Bricks;

    // The brick a cell refers to, or nullptr when the index lies outside the table (a cell
    // painted before a smaller sheet replaced the table, or a damaged file).
    const BrickRecord* FindBrick(std::int32_t index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= Bricks.size()) {
            return nullptr;
        }
        return &Bricks[static_cast<std::size_t>(index)];
    }

    bool operator==(const Board&) const = default;
};

}  // namespace core
