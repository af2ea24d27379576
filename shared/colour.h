#pragma once

#include <cstdint>

namespace core {

// Two colour layouts meet here. A ColorRef is the programs' colour value: red in bits 0-7,
// green in 8-15, blue in 16-23 (0x00BBGGRR). Picture surfaces store Rgb32 pixels, 0x00RRGGBB,
// which is what SDL's XRGB8888 and Qt's QImage::Format_RGB32 hold. Convert only at the pixel
// calls of PictureBox.
using ColorRef = std::uint32_t;
using Rgb32 = std::uint32_t;

inline constexpr ColorRef kInvalidColor = 0xFFFFFFFFu;  // what GetPixel reports off the image
inline constexpr ColorRef kBlack = 0x000000u;
inline constexpr ColorRef kWhite = 0xFFFFFFu;

constexpr ColorRef MakeColorRef(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) |
           (static_cast<ColorRef>(b) << 16);
}

constexpr Rgb32 ColorRefToRgb32(ColorRef c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

constexpr ColorRef Rgb32ToColorRef(Rgb32 p) {
    return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}

// The colour split: each always 0..255, whatever the upper bits hold.
constexpr std::int16_t RedOf(std::int32_t c) {
    return static_cast<std::int16_t>(c & 0xFF);
}
constexpr std::int16_t GreenOf(std::int32_t c) {
    return static_cast<std::int16_t>((c >> 8) & 0xFF);
}
constexpr std::int16_t BlueOf(std::int32_t c) {
    return static_cast<std::int16_t>((c >> 16) & 0xFF);
}

}  // namespace core
