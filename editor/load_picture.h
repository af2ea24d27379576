#pragma once

#include <cstdint>
#include <string>

#include "shared/picture_box.h"

class QImageReader;

namespace editor {

// The most pixels a picture may have. The largest brick sheet the palette can select, 32767
// bricks (983 010 x 15), fits with room to spare, so a sheet of too many bricks still reaches
// the brick count check; anything larger is refused before it is decoded, since a small
// compressed file can claim a picture whose 32-bit copy would take gigabytes.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 24;

// Loads any picture QImage can read (BMP of every depth, RLE, top-down, and the other formats
// Qt knows) into `box` as its background picture, converted to 32-bit RGB first so that every
// pixel reads back through GetPixel the same way. On failure `box` is untouched and the returned
// message names the file; on success the message is empty.
std::string LoadPicture(const std::string& path, core::PictureBox& box);

// Whether path is a regular file that holds a picture QImageReader recognises by its content
// (whatever its name says).
bool IsPicture(const std::string& path);

// The same from a reader set up on any device; `name` is the file named in a message.
std::string ReadPicture(QImageReader& reader, const std::string& name, core::PictureBox& box);

}  // namespace editor
