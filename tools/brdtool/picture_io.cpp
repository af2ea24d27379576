#include "tools/brdtool/picture_io.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <string>
#include <vector>

#include "qt_picture/picture_files.h"
#include "shared/brick_drawing.h"
#include "shared/brick_sheet.h"

namespace brdtool {

core::PictureBox LoadSheet(const std::filesystem::path& path) {
    const std::string name = path.string();
    core::PictureBox sheet;
    if (const auto failure = qt_picture::LoadPicture(name, sheet)) {
        throw PictureError(name + ": cannot read the picture: " + failure->Reason);
    }
    const core::SheetCheck check = core::CheckSheet(sheet.ScaleWidth(), sheet.ScaleHeight());
    if (check == core::SheetCheck::WrongSize) {
        throw PictureError(name + ": the sheet is " +
                           core::PictureSizeText(sheet.ScaleWidth(), sheet.ScaleHeight()) + ". " +
                           core::kInvalidSheetSizeMessage);
    }
    if (check != core::SheetCheck::Accepted) {
        throw PictureError(name + ": " + core::SheetCheckMessage(check, sheet.ScaleWidth()));
    }
    return sheet;
}

core::PictureBox RenderBoard(const core::Board& board) {
    core::PictureBox picture(core::kBoardWidth, core::kBoardHeight, core::kWhite);
    core::DrawBoard(picture, board);
    return picture;
}

void SavePicture(const core::PictureBox& picture, const std::filesystem::path& path) {
    // The format is what follows the name's last dot.
    const std::string fileName = path.filename().string();
    const std::size_t dot = fileName.rfind('.');
    std::string suffix = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::vector<std::string> writable = qt_picture::WritableFormats();
    if (suffix.empty() || std::find(writable.begin(), writable.end(), suffix) == writable.end()) {
        throw PictureError(path.string() +
                           ": cannot write the picture: the name does not end in a picture "
                           "format's suffix (.png, .bmp, ...)");
    }
    try {
        qt_picture::SavePicture(picture, path.string(), suffix.c_str());
    } catch (const std::exception& e) {
        throw PictureError(e.what());
    }
}

}  // namespace brdtool
