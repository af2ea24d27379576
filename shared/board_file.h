#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
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

// Checks LastBrickIndex against the length of the file before anything is allocated.
// name is used in the message. Returns the number of bricks.
std::size_t CheckBrickCount(std::int32_t lastBrickIndex, std::uintmax_t fileSize,
                            std::string_view name);

// Decodes a whole file. Bytes after the last announced brick are ignored; Magic, Version and
// BrickTableOffset are kept but not checked. Throws BoardError naming name.
Board DecodeBoard(std::span<const std::byte> bytes, std::string_view name);

// Reads the board at path into board. Only regular files are opened, nothing is ever created,
// and on any error board is left exactly as it was.
void LoadBoard(const std::filesystem::path& path, Board& board);

// The write call that SaveBoard uses, as POSIX write(2): bytes written, or -1 with errno set.
// Tests replace it to simulate a disk that fails part-way.
using WriteFunction = std::function<long(int fd, const void* data, std::size_t size)>;

// Writes board to path: header prepared as above, the whole file written to a temporary file
// beside the target and renamed over it, so the result is exactly BoardFileSize(n) bytes and a
// failed save leaves any existing file untouched and no temporary file behind. board's header
// becomes the saved one only when the save succeeded.
void SaveBoard(const std::filesystem::path& path, Board& board, const WriteFunction& write = {});

}  // namespace core
