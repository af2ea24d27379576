#include "tests/editor/bmp_writer.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <vector>

namespace editor::testing {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFFu));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

void PadRow(std::vector<std::uint8_t>& out, std::size_t rowStart) {
    while ((out.size() - rowStart) % 4 != 0) {
        out.push_back(0);
    }
}

}  // namespace

bool WriteBmp(const std::string& path, int width, int height, BmpEncoding encoding,
              const PixelSource& pixel) {
    const bool indexed = encoding == BmpEncoding::Indexed8 || encoding == BmpEncoding::Indexed4 ||
                         encoding == BmpEncoding::Rle8;
    std::map<std::uint32_t, std::uint8_t> paletteIndex;
    std::vector<std::uint32_t> palette;
    if (indexed) {
        const std::size_t limit = encoding == BmpEncoding::Indexed4 ? 16 : 256;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t c = pixel(x, y) & 0xFFFFFFu;
                if (paletteIndex.count(c) == 0) {
                    if (palette.size() == limit) {
                        return false;
                    }
                    paletteIndex[c] = static_cast<std::uint8_t>(palette.size());
                    palette.push_back(c);
                }
            }
        }
    }

    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    switch (encoding) {
        case BmpEncoding::Rgb24:
        case BmpEncoding::TopDownRgb24:
            bits = 24;
            break;
        case BmpEncoding::Rgb32:
            bits = 32;
            break;
        case BmpEncoding::Indexed8:
            bits = 8;
            break;
        case BmpEncoding::Indexed4:
            bits = 4;
            break;
        case BmpEncoding::Rle8:
            bits = 8;
            compression = 1;
            break;
    }

    const bool topDown = encoding == BmpEncoding::TopDownRgb24;
    std::vector<std::uint8_t> data;
    for (int i = 0; i < height; ++i) {
        const int y = topDown ? i : height - 1 - i;
        const std::size_t rowStart = data.size();
        if (encoding == BmpEncoding::Rle8) {
            int x = 0;
            while (x < width) {
                const std::uint8_t index = paletteIndex[pixel(x, y) & 0xFFFFFFu];
                int run = 1;
                while (x + run < width && run < 255 &&
                       paletteIndex[pixel(x + run, y) & 0xFFFFFFu] == index) {
                    ++run;
                }
                data.push_back(static_cast<std::uint8_t>(run));
                data.push_back(index);
                x += run;
            }
            data.push_back(0);  // end of line
            data.push_back(0);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = pixel(x, y) & 0xFFFFFFu;
            switch (encoding) {
                case BmpEncoding::Rgb24:
                case BmpEncoding::TopDownRgb24:
                case BmpEncoding::Rgb32:
                    data.push_back(static_cast<std::uint8_t>(c & 0xFFu));
                    data.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFFu));
                    data.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFFu));
                    if (encoding == BmpEncoding::Rgb32) {
                        data.push_back(0);
                    }
                    break;
                case BmpEncoding::Indexed8:
                    data.push_back(paletteIndex[c]);
                    break;
                case BmpEncoding::Indexed4:
                    if (x % 2 == 0) {
                        data.push_back(static_cast<std::uint8_t>(paletteIndex[c] << 4));
                    } else {
                        data.back() = static_cast<std::uint8_t>(data.back() | paletteIndex[c]);
                    }
                    break;
                case BmpEncoding::Rle8:
                    break;
            }
        }
        PadRow(data, rowStart);
    }
    if (encoding == BmpEncoding::Rle8) {
        data.push_back(0);  // end of bitmap
        data.push_back(1);
    }

    const std::uint32_t paletteBytes = static_cast<std::uint32_t>(palette.size() * 4);
    const std::uint32_t dataOffset = 14 + 40 + paletteBytes;
    std::vector<std::uint8_t> file;
    file.push_back('B');
    file.push_back('M');
    Put32(file, dataOffset + static_cast<std::uint32_t>(data.size()));
    Put32(file, 0);
    Put32(file, dataOffset);
    Put32(file, 40);
    Put32(file, static_cast<std::uint32_t>(width));
    Put32(file, static_cast<std::uint32_t>(topDown ? -height : height));
    Put16(file, 1);
    Put16(file, bits);
    Put32(file, compression);
    Put32(file, static_cast<std::uint32_t>(data.size()));
    Put32(file, 2835);
    Put32(file, 2835);
    Put32(file, static_cast<std::uint32_t>(palette.size()));
    Put32(file, 0);
    for (const std::uint32_t c : palette) {
        file.push_back(static_cast<std::uint8_t>(c & 0xFFu));
        file.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFFu));
        file.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFFu));
        file.push_back(0);
    }
    file.insert(file.end(), data.begin(), data.end());

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

}  // namespace editor::testing
