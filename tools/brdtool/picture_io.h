#pragma once

#include <filesystem>
#include <stdexcept>

#include <QImage>

#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace brdtool {

// A picture that could not be read or written, or a sheet of the wrong size. The message names
// the file.
class PictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The picture's pixels as a picture surface of its size (Picture = LoadPicture), converted to
// 32-bit RGB first as the editor's import does.
core::PictureBox PictureFromImage(const QImage& image);

// The working image of picture as a Format_RGB32 image of its size.
QImage ImageFromPicture(const core::PictureBox& picture);

// Reads a brick sheet: any format QImage knows, exactly 15 pixels high and a multiple of 30
// pixels wide (at least one brick). Throws PictureError otherwise.
core::PictureBox LoadSheet(const std::filesystem::path& path);

// The 600 x 300 picture that the game shows for board at start: white, with every used cell
// drawn by DrawBoard.
core::PictureBox RenderBoard(const core::Board& board);

// Writes picture to path in the format its suffix names (PNG for ".png"). Throws PictureError.
void SavePicture(const core::PictureBox& picture, const std::filesystem::path& path);

}  // namespace brdtool
