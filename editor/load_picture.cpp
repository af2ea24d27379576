#include "editor/load_picture.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <system_error>
#include <vector>

namespace editor {

namespace {

bool TooLarge(const QSize& size) {
    return std::int64_t{size.width()} * std::int64_t{size.height()} > kMaxPicturePixels;
}

std::string TooLargeMessage(const std::string& name, const QSize& size) {
    return "Cannot load the picture \"" + name + "\": it is " + std::to_string(size.width()) +
           " x " + std::to_string(size.height()) + " pixels, more than any brick sheet can be.";
}

}  // namespace

std::string LoadPicture(const std::string& path, core::PictureBox& box) {
    // Look before opening: opening a FIFO waits for a writer, and a device never ends.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::is_directory(status)) {
        return "Cannot load the picture \"" + path + "\": it is a folder, not a picture.";
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return "Cannot load the picture \"" + path + "\": it is not a regular file.";
    }
    const QString file = QString::fromStdString(path);
    QImageReader reader(file);
    std::string failure = ReadPicture(reader, path, box);
    if (!failure.empty() && !QFileInfo::exists(file)) {
        failure = "Cannot load the picture \"" + path + "\": the file does not exist.";
    }
    return failure;
}

std::string ReadPicture(QImageReader& reader, const std::string& name, core::PictureBox& box) {
    // The size the header claims, read before any pixel is decoded (invalid when the format
    // cannot tell without decoding; the decoded size is checked below then).
    const QSize claimed = reader.size();
    if (claimed.isValid() && TooLarge(claimed)) {
        return TooLargeMessage(name, claimed);
    }
    QImage image = reader.read();
    if (image.isNull()) {
        return "Cannot load the picture \"" + name + "\": " + reader.errorString().toStdString() +
               ".";
    }
    if (TooLarge(image.size())) {
        return TooLargeMessage(name, image.size());
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        return "Cannot load the picture \"" + name + "\": not enough memory to convert it.";
    }
    const int width = image.width();
    const int height = image.height();
    std::vector<core::Rgb32> pixels(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        // QImage keeps 0xFF in the top byte of an RGB32 pixel; the surface keeps 0.
        std::transform(line, line + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width,
                       [](QRgb p) { return static_cast<core::Rgb32>(p) & 0x00FFFFFFu; });
    }
    box.SetPicture(width, height, std::move(pixels));
    return {};
}

}  // namespace editor
