#pragma once

#include <filesystem>
#include <stdexcept>

#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace brdtool {

// A picture that could not be read or written, or a sheet that fails the sheet's checks. The
// message names the file.
class PictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a brick sheet as the editor's Load Bricks does: any format Qt reads, refused before it
// is decoded when it claims too many pixels, then checked by the sheet's rules (15 pixels high,
// a multiple of 30 pixels wide, at least one brick and no more than a board holds). Throws
// PictureError otherwise.
core::PictureBox LoadSheet(const std::filesystem::path& path);

// The 600 x 300 picture that the game shows for board at start: white, with every used cell
// drawn by DrawBoard.
core::PictureBox RenderBoard(const core::Board& board);

// Writes picture to path in the format its suffix names (PNG for ".png"). Throws PictureError.
void SavePicture(const core::PictureBox& picture, const std::filesystem::path& path);

}  // namespace brdtool
