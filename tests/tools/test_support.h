#pragma once

#include <QImage>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "qt_picture/convert.h"
#include "shared/picture_box.h"
#include "tools/brdtool/commands.h"
#include "tools/brdtool/picture_io.h"

namespace testing_support {

// Colour of pixel (x, y) of a w-pixel wide test sheet: every brick and every pixel of a brick
// differs, and the bytes cover 0x00 and 0xFF, so a shifted or swapped channel shows.
inline QRgb SheetColour(int x, int y) {
    return qRgb((x * 7) & 0xFF, (y * 17 + x / 30 * 40) & 0xFF, (255 - x) & 0xFF);
}

inline QImage MakeSheetImage(int width, int height = 15) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, SheetColour(x, y));
        }
    }
    return image;
}

inline core::PictureBox MakeSheet(int bricks) {
    return qt_picture::PictureFromImage(MakeSheetImage(30 * bricks));
}

// A folder of its own for each test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("brdtool-test-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<char> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct CliResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs "brdtool ARGS..." in-process.
inline CliResult RunCli(const std::vector<std::string>& args) {
    QStringList list{QStringLiteral("brdtool")};
    for (const std::string& a : args) {
        list << QString::fromStdString(a);
    }
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    result.Status = brdtool::Run(list, out, err);
    result.Out = out.str();
    result.Err = err.str();
    return result;
}

}  // namespace testing_support
