#pragma once

#include <string>

#include "shared/picture_box.h"

namespace editor {

// Loads any picture QImage can read (BMP of every depth, RLE, top-down, and the other formats
// Qt knows) into `box` as its background picture, converted to 32-bit RGB first so that every
// pixel reads back through GetPixel the same way. On failure `box` is untouched and the returned
// message names the file; on success the message is empty.
std::string LoadPicture(const std::string& path, core::PictureBox& box);

}  // namespace editor
