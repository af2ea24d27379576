// Hostile pictures given to Brickwright's "Load Bricks", and the largest sheets: a refused
// picture shows one message naming the file and changes nothing in the editor or on disk.

#include <sys/stat.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/editor/bmp_writer.h"
#include "tests/editor/editor_fixture.h"

namespace reliability {

using namespace editor::testing;
namespace {

namespace fs = std::filesystem;

void Put32(std::vector<char>& out, std::uint32_t v, bool bigEndian = false) {
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 24 - 8 * i : 8 * i;
        out.push_back(static_cast<char>((v >> shift) & 0xFFu));
    }
}
void Put16(std::vector<char>& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFFu));
    out.push_back(static_cast<char>(v >> 8));
}

// A 1-bit BMP whose header claims width x height but which holds only `dataBytes` of pixels.
std::vector<char> ClaimingBmp(std::int32_t width, std::int32_t height, std::uint32_t dataBytes) {
    std::vector<char> out = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + 8;
    Put32(out, offset + dataBytes);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, 0);
    Put32(out, dataBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 2);
    Put32(out, 2);
    Put32(out, 0x00000000u);
    Put32(out, 0x00FFFFFFu);
    out.resize(out.size() + dataBytes, '\0');
    return out;
}

std::uint32_t Crc32(const std::vector<char>& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// A PNG whose header claims width x height (1-bit grey), with a single row of data in one
// stored (uncompressed) deflate block.
std::vector<char> ClaimingPng(std::uint32_t width, std::uint32_t height) {
    auto chunk = [](std::vector<char>& out, const char* kind, const std::vector<char>& data) {
        Put32(out, static_cast<std::uint32_t>(data.size()), true);
        std::vector<char> body(kind, kind + 4);
        body.insert(body.end(), data.begin(), data.end());
        out.insert(out.end(), body.begin(), body.end());
        Put32(out, Crc32(body), true);
    };
    std::vector<char> out = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    std::vector<char> header;
    Put32(header, width, true);
    Put32(header, height, true);
    header.insert(header.end(), {1, 0, 0, 0, 0});  // 1 bit, grey, deflate, no filter, no interlace
    chunk(out, "IHDR", header);

    const auto rowBytes = static_cast<std::uint16_t>(1 + (width + 7) / 8);
    std::vector<char> zlib = {'\x78', '\x01', '\x01'};  // zlib header, last stored block
    Put16(zlib, rowBytes);
    Put16(zlib, static_cast<std::uint16_t>(~rowBytes));
    zlib.resize(zlib.size() + rowBytes, '\0');
    Put32(zlib, (std::uint32_t{rowBytes} << 16) | 1u, true);  // Adler-32 of zeros
    chunk(out, "IDAT", zlib);
    chunk(out, "IEND", {});
    return out;
}

// A monochrome sheet of `bricks` bricks whose pixel (x, y) is white exactly when the brick
// number's bit (y mod 15) is set and x is in the brick's left half, so every brick differs.
bool BrickIsWhiteAt(int brick, int col, int row) {
    return ((brick >> row) & 1) != 0 && col < 15;
}
void WriteMonoSheet(const std::string& path, int bricks) {
    QImage mono(30 * bricks, 15, QImage::Format_Mono);
    mono.setColor(0, 0xFF000000u);
    mono.setColor(1, 0xFFFFFFFFu);
    mono.fill(0);
    for (int brick = 0; brick < bricks; ++brick) {
        for (int row = 0; row < 15; ++row) {
            for (int col = 0; col < 30; ++col) {
                if (BrickIsWhiteAt(brick, col, row)) {
                    mono.setPixel(30 * brick + col, row, 1);
                }
            }
        }
    }
    ASSERT_TRUE(mono.save(QString::fromStdString(path), "BMP"));
}

class HostileSheets : public EditorFixture {
  protected:
    void ExpectRefused(const std::string& path, const std::string& message) {
        const EditorSnapshot before = Take();
        const FolderContents files = Contents(Folder());
        ImportSheet(path);
        EXPECT_EQ(TakeMessage(), message) << path;
        EXPECT_TRUE(Take() == before) << path << ": the editor changed";
        EXPECT_EQ(Contents(Folder()), files) << path << ": the folder changed";
    }
};

TEST_F(HostileSheets, PicturesClaimingHugeSizesAreRefusedBeforeTheyAreDecoded) {
    MakeBusyEditorFromBoard();
    WriteBytes(Path("huge-png.bmp"), ClaimingPng(100000, 100000));
    WriteBytes(Path("square.bmp"), ClaimingBmp(16384, 16384, 64));
    // The first sheet width above the largest picture accepted.
    WriteBytes(Path("above.bmp"), ClaimingBmp(30 * 37283, 15, 64));
    // Qt's BMP reader itself refuses headers of more than 16384 x 16384 pixels.
    WriteBytes(Path("huge.bmp"), ClaimingBmp(100000, 100000, 64));
    WriteBytes(Path("wide.bmp"), ClaimingBmp(INT32_MAX, 15, 64));

    auto tooLarge = [&](const char* name, const char* size) {
        return "Cannot load the picture \"" + Path(name) + "\": it is " + size +
               " pixels, more than any brick sheet can be.";
    };
    ExpectRefused(Path("huge-png.bmp"), tooLarge("huge-png.bmp", "100000 x 100000"));
    ExpectRefused(Path("square.bmp"), tooLarge("square.bmp", "16384 x 16384"));
    ExpectRefused(Path("above.bmp"), tooLarge("above.bmp", "1118490 x 15"));
    for (const char* name : {"huge.bmp", "wide.bmp"}) {
        ExpectRefused(Path(name),
                      "Cannot load the picture \"" + Path(name) + "\": Unable to read image data.");
    }
}

TEST_F(HostileSheets, FilesThatAreNoPictureAtAll) {
    MakeBusyEditorFromBoard();
    WriteBytes(Path("empty.bmp"), {});
    WriteBytes(Path("text.bmp"), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
    // A header that fits a real sheet, with the pixels missing.
    WriteBytes(Path("no-pixels.bmp"), ClaimingBmp(60, 15, 0));
    fs::create_directory(Path("folder.bmp"));
    ASSERT_EQ(::mkfifo(Path("fifo.bmp").c_str(), 0600), 0);

    auto message = [&](const char* name, const char* reason) {
        return "Cannot load the picture \"" + Path(name) + "\": " + reason;
    };
    ExpectRefused(Path("empty.bmp"), message("empty.bmp", "Unsupported image format."));
    ExpectRefused(Path("text.bmp"), message("text.bmp", "Unsupported image format."));
    ExpectRefused(Path("no-pixels.bmp"), message("no-pixels.bmp", "Unable to read image data."));
    ExpectRefused(Path("missing.bmp"), message("missing.bmp", "the file does not exist."));
    // Only regular files are opened: a FIFO without a writer would block the editor forever.
    ExpectRefused(Path("folder.bmp"), message("folder.bmp", "it is a folder, not a picture."));
    ExpectRefused(Path("fifo.bmp"), message("fifo.bmp", "it is not a regular file."));
    ExpectRefused("/dev/zero", "Cannot load the picture \"/dev/zero\": it is not a regular file.");
}

TEST_F(HostileSheets, TheLargestSheetIsAcceptedAndOneBrickMoreIsRefused) {
    MakeBusyEditorFromBoard();
    const std::string largest = Path("largest.bmp");
    WriteMonoSheet(largest, 32767);  // 983 010 x 15
    ImportSheet(largest);
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages[0].Text;
    ASSERT_EQ(board_.Bricks.size(), 32767u);
    ASSERT_EQ(Palette().count(), 32767);
    EXPECT_EQ(Palette().itemText(32766).toStdString(), "Brick 32767");
    for (const int brick : {0, 1, 12345, 32766}) {
        const core::BrickRecord& record = board_.Bricks[static_cast<std::size_t>(brick)];
        EXPECT_EQ(record.Index, brick);
        EXPECT_EQ(record.Explosive, core::kFalse);
        EXPECT_EQ(record.Unbreakable, core::kFalse);
        for (int row = 0; row < 15; ++row) {
            for (int col = 0; col < 30; ++col) {
                const std::uint8_t expected = BrickIsWhiteAt(brick, col, row) ? 0xFF : 0x00;
                const std::size_t at = core::PixelOffset(col, row);
                ASSERT_EQ(record.Pixels[at], expected) << brick << ": " << col << "," << row;
                ASSERT_EQ(record.Pixels[at + 2], expected) << brick << ": " << col << "," << row;
            }
        }
    }

    const std::string tooMany = Path("too-many.bmp");
    WriteMonoSheet(tooMany, 32768);  // 983 040 x 15
    ExpectRefused(tooMany,
                  "Too many bricks: the sheet holds 32768 bricks, a board can hold at most 32767.");
}

// A PNG whose text chunk claims a gigabyte made the decoder allocate a gigabyte for a file of
// a few hundred bytes (found by the sheet fuzz target).
TEST_F(HostileSheets, APngWithAPartLongerThanTheFileIsRefusedBeforeItIsDecoded) {
    MakeBusyEditorFromBoard();
    QImage sheet(60, 15, QImage::Format_RGB32);
    sheet.fill(0xFF2040A0u);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(sheet.save(&buffer, "PNG"));
    // Before IEND (the last 12 bytes): a tEXt chunk whose length field says 0x40000025.
    const QByteArray overlong(
        "\x40\x00\x00\x25tEXtdate:create\x00"
        "2026",
        23);
    QByteArray bad = png;
    bad.insert(bad.size() - 12, overlong);
    WriteBytes(Path("overlong.png"), std::vector<char>(bad.begin(), bad.end()));
    ExpectRefused(Path("overlong.png"), "Cannot load the picture \"" + Path("overlong.png") +
                                            "\": it is damaged (a part of it claims 1073741861 "
                                            "bytes, more than the file holds).");

    // A PNG signature and then a sparse gigabyte of zeros: the chunks are not walked one by
    // one (a zero type is no chunk), and the decoder refuses it at once.
    const std::vector<char> signature = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    WriteBytes(Path("holes.png"), signature);
    fs::resize_file(Path("holes.png"), std::uintmax_t{1} << 30);
    ExpectRefused(Path("holes.png"), "Cannot load the picture \"" + Path("holes.png") +
                                         "\": Unable to read image data.");

    // The same picture whole loads.
    WriteBytes(Path("whole.png"), std::vector<char>(png.begin(), png.end()));
    ImportSheet(Path("whole.png"));
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(Palette().count(), 2);
}

}  // namespace
}  // namespace reliability
