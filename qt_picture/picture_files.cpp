#include "qt_picture/picture_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QList>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "qt_picture/convert.h"
#include "shared/brick_sheet.h"

namespace qt_picture {

namespace {

bool TooLarge(const QSize& size) {
    return std::int64_t{size.width()} * std::int64_t{size.height()} > core::kMaxSheetPixels;
}

LoadFailure Failure(std::string reason) {
    return {0, std::move(reason)};
}

LoadFailure TooLargeFailure(const QSize& size) {
    return Failure("it is " + std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                   " pixels, more than any brick sheet can be");
}

// The PNG decoder allocates a chunk's declared length before it reads the chunk, so a small
// file whose text chunk claims a gigabyte costs a gigabyte. A chunk that claims more bytes than
// the file has left cannot be whole anyway: such a file is refused before it is decoded.
// Returns the number of bytes the first such chunk claims, or 0 when there is none (or the
// device holds no PNG, or cannot be walked).
std::uint32_t OverlongPngChunk(QIODevice* device) {
    static constexpr char kSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (device == nullptr || (!device->isOpen() && !device->open(QIODevice::ReadOnly)) ||
        device->isSequential()) {
        return 0;
    }
    const QByteArray head = device->peek(sizeof kSignature);
    if (head.size() != static_cast<qsizetype>(sizeof kSignature) ||
        std::memcmp(head.constData(), kSignature, sizeof kSignature) != 0) {
        return 0;
    }
    const qint64 start = device->pos();
    const qint64 end = device->size();
    // Each chunk: its length (4 bytes, big-endian), its type (4), its data, its CRC (4).
    // The walk stops at a type that is not four letters (the decoder refuses those at once)
    // and after more chunks than any real sheet has, so a file of empty chunks costs little.
    qint64 at = start + static_cast<qint64>(sizeof kSignature);
    std::uint32_t overlong = 0;
    for (int chunks = 0; overlong == 0 && chunks < 65536 && at + 8 <= end && device->seek(at);
         ++chunks) {
        const QByteArray chunk = device->read(8);
        if (chunk.size() != 8 || !std::all_of(chunk.begin() + 4, chunk.end(), [](char c) {
                return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            })) {
            break;
        }
        const auto* b = reinterpret_cast<const unsigned char*>(chunk.constData());
        const std::uint32_t length = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                                     (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]};
        if (static_cast<qint64>(length) > end - at - 12) {
            overlong = length;
        } else if (chunk.mid(4, 4) == "IEND") {
            break;
        }
        at += 12 + static_cast<qint64>(length);
    }
    device->seek(start);
    return overlong;
}

// Opens the file through its name's bytes: Qt's own file names are Unicode, and a name that
// is not valid UTF-8 would not survive the trip.
bool OpenByBytes(const std::string& path, QFile& file) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        errno = EIO;
        return false;
    }
    return true;
}

}  // namespace

std::optional<LoadFailure> LoadPicture(const std::string& path, core::PictureBox& box) {
    // Look before opening: opening a FIFO waits for a writer, and a device never ends.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::is_directory(status)) {
        return Failure("it is a folder, not a picture");
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return Failure("it is not a regular file");
    }
    QFile file;
    if (!OpenByBytes(path, file)) {
        const int cause = errno;
        return LoadFailure{cause, std::strerror(cause)};
    }
    QImageReader reader(&file);
    return ReadPicture(reader, box);
}

bool IsPicture(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    QFile file;
    return OpenByBytes(path, file) && !QImageReader::imageFormat(&file).isEmpty();
}

std::optional<LoadFailure> ReadPicture(QImageReader& reader, core::PictureBox& box) {
    if (const std::uint32_t claimed = OverlongPngChunk(reader.device()); claimed != 0) {
        return Failure("it is damaged (a part of it claims " + std::to_string(claimed) +
                       " bytes, more than the file holds)");
    }
    // The size the header claims, read before any pixel is decoded (invalid when the format
    // cannot tell without decoding; the decoded size is checked below then).
    const QSize claimed = reader.size();
    if (claimed.isValid() && TooLarge(claimed)) {
        return TooLargeFailure(claimed);
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return Failure(reader.errorString().toStdString());
    }
    if (TooLarge(image.size())) {
        return TooLargeFailure(image.size());
    }
    if (!SetPicture(box, image)) {
        return Failure("not enough memory to convert it");
    }
    return std::nullopt;
}

std::string FailureMessage(std::string_view name, const LoadFailure& failure) {
    const std::string reason =
        failure.SystemError == ENOENT ? std::string("the file does not exist") : failure.Reason;
    return "Cannot load the picture \"" + std::string(name) + "\": " + reason + ".";
}

namespace {

std::vector<std::string> Suffixes(const QList<QByteArray>& formats) {
    std::vector<std::string> suffixes;
    for (const QByteArray& format : formats) {
        suffixes.push_back(format.toLower().toStdString());
    }
    return suffixes;
}

}  // namespace

std::vector<std::string> ReadableFormats() {
    return Suffixes(QImageReader::supportedImageFormats());
}

std::vector<std::string> WritableFormats() {
    return Suffixes(QImageWriter::supportedImageFormats());
}

void SavePicture(const core::PictureBox& picture, const std::string& path, const char* format) {
    const auto fail = [&](const QString& reason) {
        throw std::runtime_error(path + ": cannot write the picture: " + reason.toStdString());
    };
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::WriteOnly)) {
        fail(file.errorString());
    }
    QImageWriter writer(&file, format);
    if (!writer.write(ImageFromPicture(picture))) {
        fail(file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString());
    }
    if (!file.commit()) {
        fail(file.errorString());
    }
}

}  // namespace qt_picture
