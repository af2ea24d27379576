#pragma once

// Picture files through Qt's readers and writers, with the checks that keep hostile files cheap.
// File names are bytes: Qt's own names are Unicode, and a name that is not valid UTF-8 would not
// survive the round trip, so files are opened through their name's bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shared/picture_box.h"

class QImageReader;

namespace qt_picture {

// Why a picture could not be loaded.
struct LoadFailure {
    int SystemError = 0;  // errno when the file could not be opened; 0 when it opened
    std::string Reason;   // what is wrong, without the file's name or a full stop: the system's
                          // reason ("No such file or directory"), the reader's, or our own
};

// Loads any picture QImage can read (BMP of every depth, RLE, top-down, and the other formats
// Qt knows) into `box` as its background picture, converted to 32-bit RGB first so that every
// pixel reads back through GetPixel the same way. Only regular files are opened (a FIFO would
// block, a device never ends); pictures of more than core::kMaxSheetPixels pixels, and PNGs
// with a chunk longer than the file, are refused before they are decoded. On failure `box` is
// untouched.
std::optional<LoadFailure> LoadPicture(const std::string& path, core::PictureBox& box);

// The same from a reader set up on any device.
std::optional<LoadFailure> ReadPicture(QImageReader& reader, core::PictureBox& box);

// The editor's message for a picture that failed to load: "Cannot load the picture "NAME": "
// and the reason, a missing file said in words ("the file does not exist.").
std::string FailureMessage(std::string_view name, const LoadFailure& failure);

// Whether path is a regular file that holds a picture QImageReader recognises by its content
// (whatever its name says).
bool IsPicture(const std::string& path);

// The file name suffixes of every picture format the reader supports on this machine (plug-ins
// included), in lower case: "bmp", "png", ...
std::vector<std::string> ReadableFormats();
// The same for the formats the writer supports.
std::vector<std::string> WritableFormats();

// Writes the surface's working image to path in `format` ("png", "bmp", ...), beside the target
// and renamed over it, so a failed write leaves no half picture. Throws std::runtime_error
// "PATH: cannot write the picture: REASON", with the system's reason where there is one.
void SavePicture(const core::PictureBox& picture, const std::string& path, const char* format);

}  // namespace qt_picture
