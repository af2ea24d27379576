#pragma once

// Board files on disk: the defensive reader and the safe writer around the byte codec.

#include <cstddef>
#include <filesystem>
#include <functional>

#include "shared/board_codec.h"
#include "shared/board_model.h"

namespace core {

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
//
// A path that is a symbolic link saves to the file the link points to and keeps the link. A
// new file gets the permissions 0666 less the umask, as any program's new file does; a replaced
// file keeps its own. A file that is read-only (no write permission for anyone, or none for
// this user) is not replaced: the save fails, though the folder would allow the rename.
void SaveBoard(const std::filesystem::path& path, Board& board, const WriteFunction& write = {});

}  // namespace core
