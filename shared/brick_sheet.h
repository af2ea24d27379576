#pragma once

// A brick sheet: a picture 15 pixels high holding a row of 30 x 15 bricks side by side. Its
// checks, the brick table cut from it and the messages about it, for every program that takes
// one (the editor's Load Bricks, brdtool build).

#include <cstdint>
#include <string>
#include <string_view>

#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace core {

inline constexpr const char* kInvalidSheetSizeMessage =
    "Invalid file size. Must be n*30 width and 15 height";

// The most pixels a picture offered as a sheet may have. The largest sheet a board can hold,
// 32767 bricks (983 010 x 15), fits with room to spare, so a sheet of too many bricks still
// reaches the brick count check; anything larger is refused before it is decoded, since a small
// compressed file can claim a picture whose 32-bit copy would take gigabytes.
inline constexpr std::int64_t kMaxSheetPixels = std::int64_t{1} << 24;

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

// The same message as the editor shows it for the file fileName: a wrong size keeps the message
// above as its first line and adds, after a blank line, the file's name and its actual size,
// e.g. "bricks.bmp is 45 x 15 pixels.", since the rule alone does not say which file or how
// far off it is.
std::string SheetCheckMessage(SheetCheck check, float scaleWidth, float scaleHeight,
                              std::string_view fileName);

// "45 x 15 pixels": a picture's size as the messages about sheets give it.
std::string PictureSizeText(float scaleWidth, float scaleHeight);

// A new brick table for an accepted sheet: record i holds Index i, the 30 x 15 strip at
// x = 30 i read through GetPixel, and both flags false.
BrickTable BuildBrickTable(const PictureBox& sheet);

// A brick as the palette lists it: "Brick 1" for record 0.
std::string BrickName(std::int32_t index);

}  // namespace core
