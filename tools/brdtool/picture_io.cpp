#include "tools/brdtool/picture_io.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include "shared/brick_drawing.h"

namespace brdtool {
namespace {

QString ToQString(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

std::string Name(const std::filesystem::path& path) {
    return path.string();
}

// QImage keeps the unused top byte of Format_RGB32 at 0xFF; the picture surfaces keep it at 0.
constexpr QRgb kOpaque = 0xFF000000u;
constexpr core::Rgb32 kColourBits = 0x00FFFFFFu;

}  // namespace

core::PictureBox PictureFromImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    std::vector<core::Rgb32> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            pixels.push_back(line[x] & kColourBits);
        }
    }
    core::PictureBox picture;
    picture.SetPicture(width, height, std::move(pixels));
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

core::PictureBox LoadSheet(const std::filesystem::path& path) {
    QImageReader reader(ToQString(path));
    const QImage image = reader.read();
    if (image.isNull()) {
        throw PictureError(Name(path) +
                           ": cannot read the picture: " + reader.errorString().toStdString());
    }
    if (image.height() != core::kCellHeight || image.width() % core::kCellWidth != 0) {
        throw PictureError(Name(path) + ": the sheet is " + std::to_string(image.width()) + " x " +
                           std::to_string(image.height()) +
                           " pixels. Invalid file size. Must be n*30 width and 15 height");
    }
    return PictureFromImage(image);
}

core::PictureBox RenderBoard(const core::Board& board) {
    core::PictureBox picture(core::kBoardWidth, core::kBoardHeight, core::kWhite);
    core::DrawBoard(picture, board);
    return picture;
}

void SavePicture(const core::PictureBox& picture, const std::filesystem::path& path) {
    QImageWriter writer(ToQString(path));
    if (!writer.write(ImageFromPicture(picture))) {
        throw PictureError(Name(path) +
                           ": cannot write the picture: " + writer.errorString().toStdString());
    }
}

}  // namespace brdtool
