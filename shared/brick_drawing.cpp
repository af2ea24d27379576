#include "shared/brick_drawing.h"

#include "shared/colour.h"

namespace core {

namespace {

ColorRef ErasePixel(ErasePattern pattern, int col, int row) {
    if (pattern == ErasePattern::GridLines && (col == 0 || row == 0)) {
        return kBlack;
    }
    return kWhite;
}

}  // namespace

bool DrawBrick(PictureBox& target, std::int32_t x0, std::int32_t y0, const BrickTable& bricks,
               std::int32_t index, VbBool erase, ErasePattern pattern) {
    const bool erasing = erase == kTrue;
    const BrickRecord* brick = nullptr;
    if (!erasing) {
        // Checked before any pixel is painted: a cell may refer to a brick the table no longer
        // has (a smaller sheet replaced it, or the file is damaged).
        if (index < 0 || static_cast<std::size_t>(index) >= bricks.size()) {
            return false;
        }
        brick = &bricks[static_cast<std::size_t>(index)];
    }
    for (int row = 0; row < kCellHeight; ++row) {
        for (int col = 0; col < kCellWidth; ++col) {
            ColorRef colour;
            if (erasing) {
                colour = ErasePixel(pattern, col, row);
            } else {
                const std::size_t at = PixelOffset(col, row);
                colour =
                    MakeColorRef(brick->Pixels[at], brick->Pixels[at + 1], brick->Pixels[at + 2]);
            }
            target.SetPixelV(x0 + col, y0 + row, colour);
        }
    }
    return true;
}

void DrawBoard(PictureBox& target, const Board& board) {
    for (int column = 0; column < kColumns; ++column) {
        for (int row = 0; row < kRows; ++row) {
            const BoardCell& cell = board.Cells(column, row);
            if (cell.Used == kTrue) {
                DrawBrick(target, kCellWidth * column, kCellHeight * row, board.Bricks,
                          cell.BrickIndex, kFalse, ErasePattern::White);
            }
        }
    }
}

BrickPixels ReadBrickPixels(const PictureBox& sheet, std::int32_t index) {
    BrickPixels pixels{};
    std::size_t at = 0;
    const std::int64_t left = std::int64_t{kCellWidth} * index;
    for (int row = 0; row < kCellHeight; ++row) {
        for (int col = 0; col < kCellWidth; ++col) {
            const std::int64_t x = left + col;
            // Positions beyond 32 bits cannot be on any sheet: they read as unreadable pixels.
            const bool addressable = x >= INT32_MIN && x <= INT32_MAX;
            const auto c = static_cast<std::int32_t>(
                addressable ? sheet.GetPixel(static_cast<std::int32_t>(x), row) : kInvalidColor);
            pixels[at++] = static_cast<std::uint8_t>(RedOf(c));
            pixels[at++] = static_cast<std::uint8_t>(GreenOf(c));
            pixels[at++] = static_cast<std::uint8_t>(BlueOf(c));
        }
    }
    return pixels;
}

}  // namespace core
