#include "tools/brdtool/picture_io.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

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
    // Opened here rather than by the reader, whose errors ("File not found") hide the
    // system's reason.
    QFile file(ToQString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        throw PictureError(Name(path) +
                           ": cannot read the picture: " + file.errorString().toStdString());
    }
    QImageReader reader(&file);
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
    const auto fail = [&](const QString& reason) {
        throw PictureError(Name(path) + ": cannot write the picture: " + reason.toStdString());
    };
    const QByteArray format = QFileInfo(ToQString(path)).suffix().toLower().toLatin1();
    if (!QImageWriter::supportedImageFormats().contains(format)) {
        fail(
            QStringLiteral("the name does not end in a picture format's suffix (.png, .bmp, ...)"));
    }
    // Written beside the target and renamed over it, so a failed write leaves no half picture;
    // the file's errors carry the system's reason.
    QSaveFile file(ToQString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        fail(file.errorString());
    }
    QImageWriter writer(&file, format);
    if (!writer.write(ImageFromPicture(picture))) {
        fail(file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString());
    }
    if (!file.commit()) {
        fail(file.errorString());
    }
}

}  // namespace brdtool
