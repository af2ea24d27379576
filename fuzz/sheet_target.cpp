// Arbitrary bytes as a brick sheet, through the steps of the editor's "Load Bricks" (and of
// brdtool build): the picture loader, the sheet check and the brick table cut from the sheet.

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QtGlobal>
#include <cstddef>
#include <optional>
#include <string>

#include "fuzz/outcome_feedback.h"
#include "fuzz/targets.h"
#include "qt_picture/picture_files.h"
#include "shared/board_codec.h"
#include "shared/brick_drawing.h"
#include "shared/brick_sheet.h"
#include "shared/colour.h"

namespace fuzz {

namespace {

// Qt's decoders warn on stderr about every damaged picture; thousands of inputs a second make
// that noise, not information.
void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

int FormatNumber(const QByteArray& format) {
    static const char* const kKnown[] = {"bmp", "png", "gif", "jpeg", "ico",
                                         "ppm", "pbm", "pgm", "xbm",  "xpm"};
    if (format.isEmpty()) {
        return 0;
    }
    for (int i = 0; i < 10; ++i) {
        if (format == kKnown[i] || (i == 3 && format == "jpg") || (i == 4 && format == "cur")) {
            return i + 1;
        }
    }
    return kFormats - 1;
}

int BitLength(int value) {
    int bits = 0;
    for (auto v = static_cast<unsigned>(value); v != 0; v >>= 1) {
        ++bits;
    }
    return bits;
}

int FailureKind(const std::string& reason) {
    if (reason.find("Unsupported image format") != std::string::npos) {
        return 2;
    }
    if (reason.find("Unable to read image data") != std::string::npos) {
        return 3;
    }
    if (reason.find("more than any brick sheet can be") != std::string::npos) {
        return 4;
    }
    return 5;
}

bool AllWhite(const core::BrickPixels& pixels) {
    for (const std::uint8_t b : pixels) {
        if (b != 0xFF) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string CheckSheetInput(std::span<const std::uint8_t> data) {
    static const bool quiet = (qInstallMessageHandler(Quiet), true);
    static_cast<void>(quiet);

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                                     static_cast<qsizetype>(data.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    Outcome outcome;
    outcome.format = FormatNumber(QImageReader::imageFormat(&buffer));
    QImageReader reader(&buffer);

    const std::string name = "sheet.bmp";
    core::PictureBox sheet;
    const std::optional<qt_picture::LoadFailure> failure = qt_picture::ReadPicture(reader, sheet);
    if (!failure) {
        outcome.widthBits = BitLength(sheet.Width());
        outcome.heightBits = BitLength(sheet.Height());
        outcome.result =
            core::CheckSheet(sheet.ScaleWidth(), sheet.ScaleHeight()) == core::SheetCheck::Accepted
                ? 0
                : 1;
    } else {
        outcome.result = FailureKind(failure->Reason);
    }
    NoteOutcome(outcome);

    if (failure) {
        if (sheet.Width() != 0 || sheet.Height() != 0 || sheet.HasPicture()) {
            return "a failed load changed the picture";
        }
        if (failure->Reason.empty()) {
            return "a failed load gives no reason";
        }
        return {};
    }

    const int width = sheet.Width();
    const int height = sheet.Height();
    if (std::int64_t{width} * height > core::kMaxSheetPixels) {
        return "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels was decoded";
    }
    if (sheet.Image().size() !=
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return "the picture's pixels do not match its size";
    }
    for (const core::Rgb32 p : sheet.Image()) {
        if ((p & 0xFF000000u) != 0) {
            return "a pixel keeps bits above its colour";
        }
    }

    const core::SheetCheck check = core::CheckSheet(sheet.ScaleWidth(), sheet.ScaleHeight());
    if (check != core::SheetCheck::Accepted) {
        if (core::SheetCheckMessage(check, sheet.ScaleWidth()).empty()) {
            return "a rejected sheet has no message";
        }
        return {};
    }
    if (height != core::kCellHeight || width % core::kCellWidth != 0 ||
        width / core::kCellWidth > static_cast<int>(core::kMaxBricks)) {
        return "accepted a sheet of " + std::to_string(width) + " x " + std::to_string(height);
    }

    const core::BrickTable table = core::BuildBrickTable(sheet);
    const auto bricks = static_cast<std::size_t>(width / core::kCellWidth);
    if (table.size() != bricks) {
        return "the table has " + std::to_string(table.size()) + " bricks for a sheet of " +
               std::to_string(bricks);
    }
    for (std::size_t i = 0; i < bricks; ++i) {
        const core::BrickRecord& brick = table[i];
        if (brick.Index != static_cast<std::int32_t>(i) || brick.Explosive != core::kFalse ||
            brick.Unbreakable != core::kFalse) {
            return "brick " + std::to_string(i) + " has the wrong index or flags";
        }
        for (int row = 0; row < core::kCellHeight; ++row) {
            for (int col = 0; col < core::kCellWidth; ++col) {
                const core::Rgb32 p =
                    sheet.PixelAt(static_cast<int>(i) * core::kCellWidth + col, row);
                const std::size_t at = core::PixelOffset(col, row);
                const core::Rgb32 read = (core::Rgb32{brick.Pixels[at]} << 16) |
                                         (core::Rgb32{brick.Pixels[at + 1]} << 8) |
                                         core::Rgb32{brick.Pixels[at + 2]};
                if (read != p) {
                    return "brick " + std::to_string(i) + " does not hold its strip's pixels";
                }
            }
        }
    }
    // Bricks beyond the sheet, on either side and at the ends of the index range, read white.
    for (const std::int32_t index :
         {-1, static_cast<std::int32_t>(bricks), INT32_MIN, INT32_MAX, INT32_MAX / 30 + 1}) {
        if (!AllWhite(core::ReadBrickPixels(sheet, index))) {
            return "brick " + std::to_string(index) + " beyond the sheet is not white";
        }
    }
    return {};
}

}  // namespace fuzz
