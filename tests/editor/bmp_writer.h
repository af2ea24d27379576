#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace editor::testing {

// The BMP encodings a brick sheet may arrive in. Qt writes only some of them, so the tests
// write their own.
enum class BmpEncoding {
    Rgb24,         // bottom-up, 3 bytes a pixel
    Rgb32,         // bottom-up, 4 bytes a pixel, top byte unused
    Indexed8,      // 256-entry palette
    Indexed4,      // 16-entry palette, two pixels a byte
    Rle8,          // 8-bit palette, run-length encoded
    TopDownRgb24,  // negative height: the first row in the file is the top one
};

// Colour of pixel (x, y) as 0x00RRGGBB.
using PixelSource = std::function<std::uint32_t(int x, int y)>;

// Writes a width x height BMP. Indexed encodings need at most 256 (16 for Indexed4) distinct
// colours. Returns false when the file cannot be written or the colours do not fit.
bool WriteBmp(const std::string& path, int width, int height, BmpEncoding encoding,
              const PixelSource& pixel);

}  // namespace editor::testing
