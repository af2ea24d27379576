#include "shared/brick_sheet.h"

#include "shared/board_codec.h"
#include "shared/brick_drawing.h"
#include "shared/rounding.h"

namespace core {

namespace {

// Sheet widths are whole pixels far inside 32 bits; the rounding only mirrors how the size is
// read. A width too large for 32 bits is reported as too many bricks.
bool WidthInBricks(float scaleWidth, std::int64_t& bricks) {
    const double width = RoundHalfEven(static_cast<double>(scaleWidth));
    if (!(width >= 0.0) || width > 4.0e18) {
        return false;
    }
    const auto pixels = static_cast<std::int64_t>(width);
    if (pixels % kCellWidth != 0) {
        return false;
    }
    bricks = pixels / kCellWidth;
    return true;
}

}  // namespace

SheetCheck CheckSheet(float scaleWidth, float scaleHeight) {
    std::int64_t bricks = 0;
    if (!WidthInBricks(scaleWidth, bricks) || bricks < 1 ||
        scaleHeight != static_cast<float>(kCellHeight)) {
        return SheetCheck::WrongSize;
    }
    if (bricks > static_cast<std::int64_t>(kMaxBricks)) {
        return SheetCheck::TooManyBricks;
    }
    return SheetCheck::Accepted;
}

std::string SheetCheckMessage(SheetCheck check, float scaleWidth) {
    switch (check) {
        case SheetCheck::Accepted:
            return {};
        case SheetCheck::WrongSize:
            return kInvalidSheetSizeMessage;
        case SheetCheck::TooManyBricks: {
            std::int64_t bricks = 0;
            WidthInBricks(scaleWidth, bricks);
            return "Too many bricks: the sheet holds " + std::to_string(bricks) +
                   " bricks, a board can hold at most " + std::to_string(kMaxBricks) + ".";
        }
    }
    return {};
}

std::string SheetCheckMessage(SheetCheck check, float scaleWidth, float scaleHeight,
                              std::string_view fileName) {
    std::string message = SheetCheckMessage(check, scaleWidth);
    if (check == SheetCheck::WrongSize) {
        message += "\n\n" + std::string(fileName) + " is " +
                   PictureSizeText(scaleWidth, scaleHeight) + ".";
    }
    return message;
}

std::string PictureSizeText(float scaleWidth, float scaleHeight) {
    const auto pixels = [](float size) {
        return std::to_string(static_cast<long long>(RoundHalfEven(static_cast<double>(size))));
    };
    return pixels(scaleWidth) + " x " + pixels(scaleHeight) + " pixels";
}

BrickTable BuildBrickTable(const PictureBox& sheet) {
    const std::int32_t last =
        RoundToInt32(static_cast<double>(sheet.ScaleWidth()) / kCellWidth) - 1;
    BrickTable table(static_cast<std::size_t>(last + 1));
    for (std::int32_t i = 0; i <= last; ++i) {
        BrickRecord& record = table[static_cast<std::size_t>(i)];
        record.Index = i;
        record.Pixels = ReadBrickPixels(sheet, i);
        record.Explosive = kFalse;
        record.Unbreakable = kFalse;
    }
    return table;
}

std::string BrickName(std::int32_t index) {
    return "Brick " + std::to_string(static_cast<std::int64_t>(index) + 1);
}

}  // namespace core
