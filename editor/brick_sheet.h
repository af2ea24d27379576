#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace editor {

inline constexpr const char* kInvalidSheetSizeMessage =
    "Invalid file size. Must be n*30 width and 15 height";

enum class SheetCheck {
    Accepted,
    WrongSize,     // not n * 30 wide (n at least 1) and 15 high
    TooManyBricks  // more bricks than the 16-bit palette index can select
};

// Whether a picture of this drawable size is a brick sheet. The width is rounded to a whole
// number first (halves to even), as every size read from a surface is.
SheetCheck CheckSheet(float scaleWidth, float scaleHeight);

// The message for a sheet that fails the check; empty for an accepted one.
std::string SheetCheckMessage(SheetCheck check, float scaleWidth);

// The same message as the user sees it for the file fileName: a wrong size keeps the message
// above as its first line and adds, after a blank line, the file's name and its actual size,
// e.g. "bricks.bmp is 45 x 15 pixels.", since the rule alone does not say which file or how
// far off it is.
std::string SheetCheckMessage(SheetCheck check, float scaleWidth, float scaleHeight,
                              std::string_view fileName);

// A new brick table for an accepted sheet: record i holds Index i, the 30 x 15 strip at
// x = 30 i read through GetPixel, and both flags false.
core::BrickTable BuildBrickTable(const core::PictureBox& sheet);

// "Brick 1" for record 0.
std::string PaletteItemText(std::int32_t index);

}  // namespace editor
