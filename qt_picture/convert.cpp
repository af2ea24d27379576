#include "qt_picture/convert.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace qt_picture {

namespace {

constexpr QRgb kOpaque = 0xFF000000u;
constexpr core::Rgb32 kColourBits = 0x00FFFFFFu;

}  // namespace

bool SetPicture(core::PictureBox& box, const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull()) {
        return false;
    }
    const int width = rgb.width();
    const int height = rgb.height();
    std::vector<core::Rgb32> pixels(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        std::transform(line, line + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width,
                       [](QRgb p) { return static_cast<core::Rgb32>(p) & kColourBits; });
    }
    box.SetPicture(width, height, std::move(pixels));
    return true;
}

core::PictureBox PictureFromImage(const QImage& image) {
    core::PictureBox picture;
    SetPicture(picture, image);
    return picture;
}

QImage ImageFromPicture(const core::PictureBox& picture) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            line[x] = kOpaque | picture.PixelAt(x, y);
        }
    }
    return image;
}

QImage ImageOver(const core::PictureBox& picture) {
    // RGB32 ignores the top byte when it draws, so the surface's 0 there reads as opaque.
    const auto pixels = picture.Image();
    return QImage(reinterpret_cast<const uchar*>(pixels.data()), picture.Width(), picture.Height(),
                  static_cast<qsizetype>(picture.Width()) * 4, QImage::Format_RGB32);
}

}  // namespace qt_picture
