#include "editor/load_picture.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <vector>

namespace editor {

std::string LoadPicture(const std::string& path, core::PictureBox& box) {
    const QString file = QString::fromStdString(path);
    QImageReader reader(file);
    QImage image = reader.read();
    if (image.isNull()) {
        QString reason = reader.errorString();
        if (!QFileInfo::exists(file)) {
            reason = QStringLiteral("the file does not exist");
        }
        return "Cannot load the picture \"" + path + "\": " + reason.toStdString() + ".";
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        return "Cannot load the picture \"" + path + "\": not enough memory to convert it.";
    }
    const int width = image.width();
    const int height = image.height();
    std::vector<core::Rgb32> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            // QImage keeps 0xFF in the top byte of an RGB32 pixel; the surface keeps 0.
            pixels.push_back(static_cast<core::Rgb32>(line[x]) & 0x00FFFFFFu);
        }
    }
    box.SetPicture(width, height, std::move(pixels));
    return {};
}

}  // namespace editor
