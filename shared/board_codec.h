#pragma once

// The .brd format on bytes in memory: encoding a board field by field and decoding (with the
// checks that keep a damaged header cheap). Files are board_file.h's business.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "shared/board_model.h"

namespace core {

// The board file: a 14-byte header, 400 cell records of 6 bytes, then 1358-byte brick records,
// all little-endian with nothing between them.
inline constexpr std::size_t kHeaderBytes = 14;
inline constexpr std::size_t kCellRecordBytes = 6;
inline constexpr std::size_t kCellsOffset = kHeaderBytes;
inline constexpr std::size_t kBrickTableOffset =
    kHeaderBytes + kCellCount * kCellRecordBytes;                               // 2414
inline constexpr std::size_t kBrickRecordBytes = 4 + kBrickPixelBytes + 2 + 2;  // 1358
inline constexpr std::int16_t kBoardVersion = 1;

// The editor's palette index is 16-bit, so a board holds at most 32767 bricks.
inline constexpr std::int32_t kMaxLastBrickIndex = 32766;
inline constexpr std::size_t kMaxBricks = kMaxLastBrickIndex + 1;

constexpr std::size_t BoardFileSize(std::size_t brickCount) {
    return kBrickTableOffset + kBrickRecordBytes * brickCount;
}

// Any failure to read, validate or write a board file. The message names the file.
class BoardError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Fills the header as a save writes it: "VNTR", version 1, offset 2414 and the table's upper
// bound. Throws BoardError when the table is empty (there is nothing a reader could accept).
void PrepareHeaderForSave(Board& board);

// The bytes of the file for board, header as it stands (call PrepareHeaderForSave first).
std::vector<std::byte> EncodeBoard(const Board& board);

// The header and brick count checks on a file of fileSize bytes whose first bytes are head (up
// to the 14 of the header). Returns the number of bricks; throws BoardError naming name, saying
// "this is not a board file" when the file fails them and does not start with "VNTR".
std::size_t CheckBoardShape(std::span<const std::byte> head, std::uintmax_t fileSize,
                            std::string_view name);

// Checks LastBrickIndex against the length of the file before anything is allocated.
// name is used in the message. Returns the number of bricks.
std::size_t CheckBrickCount(std::int32_t lastBrickIndex, std::uintmax_t fileSize,
                            std::string_view name);

// Decodes a whole file. Bytes after the last announced brick are ignored; Magic, Version and
// BrickTableOffset are kept but not checked. Throws BoardError naming name.
Board DecodeBoard(std::span<const std::byte> bytes, std::string_view name);

}  // namespace core
