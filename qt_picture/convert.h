#pragma once

// Between Qt's pictures and the core's picture surface, in one place: both keep 32-bit pixels
// 0x00RRGGBB (QImage::Format_RGB32), except that QImage keeps the unused top byte at 0xFF and
// the surface at 0.

#include <QImage>

#include "shared/picture_box.h"

namespace qt_picture {

// Picture = LoadPicture: the image, converted to 32-bit RGB, becomes the surface's background
// picture and working image, and the surface takes its size. Returns false, with the surface
// untouched, when the image is null or cannot be converted (not enough memory).
bool SetPicture(core::PictureBox& box, const QImage& image);

// A new surface holding the image as SetPicture puts it (an empty one for a null image).
core::PictureBox PictureFromImage(const QImage& image);

// A copy of the surface's working image as a Format_RGB32 image of its size.
QImage ImageFromPicture(const core::PictureBox& picture);

// The surface's working image seen as a Format_RGB32 image without a copy, for drawing it on
// the screen: valid only while the surface keeps its size and lives.
QImage ImageOver(const core::PictureBox& picture);

}  // namespace qt_picture
