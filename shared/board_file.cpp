#include "shared/board_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

namespace core {

namespace {

// Little-endian field writer over a byte vector.
class ByteWriter {
  public:
    explicit ByteWriter(std::size_t capacity) { bytes_.reserve(capacity); }

    void Int16(std::int16_t v) { Unsigned(static_cast<std::uint16_t>(v), 2); }
    void Int32(std::int32_t v) { Unsigned(static_cast<std::uint32_t>(v), 4); }
    template <typename Byte, std::size_t N>
    void Raw(const std::array<Byte, N>& data) {
        for (Byte b : data) {
            bytes_.push_back(static_cast<std::byte>(b));
        }
    }
    std::vector<std::byte> Take() { return std::move(bytes_); }

  private:
    void Unsigned(std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i) {
            bytes_.push_back(static_cast<std::byte>((v >> (8 * i)) & 0xFFu));
        }
    }
    std::vector<std::byte> bytes_;
};

// Little-endian field reader; the caller has checked that every read stays inside the bytes.
class ByteReader {
  public:
    explicit ByteReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::int16_t Int16() { return static_cast<std::int16_t>(Unsigned(2)); }
    std::int32_t Int32() { return static_cast<std::int32_t>(Unsigned(4)); }
    template <typename Byte, std::size_t N>
    void Raw(std::array<Byte, N>& out) {
        for (Byte& b : out) {
            b = static_cast<Byte>(bytes_[at_++]);
        }
    }

  private:
    std::uint32_t Unsigned(int size) {
        std::uint32_t v = 0;
        for (int i = 0; i < size; ++i) {
            v |= static_cast<std::uint32_t>(bytes_[at_++]) << (8 * i);
        }
        return v;
    }
    std::span<const std::byte> bytes_;
    std::size_t at_ = 0;
};

std::string Prefix(std::string_view name) {
    return std::string(name) + ": ";
}

[[noreturn]] void FailErrno(std::string_view name, std::string_view what, int error) {
    throw BoardError(Prefix(name) + std::string(what) + ": " + std::strerror(error));
}

bool StartsWithMagic(std::span<const std::byte> head) {
    constexpr std::string_view kMagic = "VNTR";
    if (head.size() < kMagic.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kMagic.size(); ++i) {
        if (head[i] != static_cast<std::byte>(kMagic[i])) {
            return false;
        }
    }
    return true;
}

std::int32_t LastBrickIndexOf(std::span<const std::byte> header) {
    BoardHeader h;
    ByteReader reader(header.first(kHeaderBytes));
    reader.Raw(h.Magic);
    h.Version = reader.Int16();
    h.BrickTableOffset = reader.Int32();
    return reader.Int32();
}

void RequireHeader(std::uintmax_t fileSize, std::string_view name) {
    if (fileSize < kHeaderBytes) {
        throw BoardError(Prefix(name) + "file is " + std::to_string(fileSize) +
                         " bytes, too short for a board header (" + std::to_string(kHeaderBytes) +
                         " bytes)");
    }
}

// The header and brick count checks on a file of fileSize bytes whose first bytes are head (up
// to the 14 of the header). A file that fails them and does not even start with "VNTR" is most
// likely some other file chosen by mistake, and a brick count made of its first bytes would
// only confuse; a file that passes loads whatever its first bytes, since the readers never
// looked at them and stored boards may rely on that.
std::size_t CheckBoardShape(std::span<const std::byte> head, std::uintmax_t fileSize,
                            std::string_view name) {
    try {
        RequireHeader(fileSize, name);
        return CheckBrickCount(LastBrickIndexOf(head), fileSize, name);
    } catch (const BoardError&) {
        if (!StartsWithMagic(head)) {
            throw BoardError(Prefix(name) +
                             "this is not a board file (it does not start with VNTR)");
        }
        throw;
    }
}

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int Get() const { return fd_; }
    // Closes now and reports the result: a close can be where a delayed write error shows.
    int Close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

  private:
    int fd_;
};

// Reads exactly size bytes at offset; false if the file ended early.
bool ReadExactly(int fd, std::byte* out, std::size_t size, off_t offset, std::string_view name) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            FailErrno(name, "cannot read", errno);
        }
        if (n == 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void PrepareHeaderForSave(Board& board) {
    if (board.Bricks.empty()) {
        throw BoardError("cannot save a board without bricks");
    }
    if (board.Bricks.size() > kMaxBricks) {
        throw BoardError("cannot save a board with " + std::to_string(board.Bricks.size()) +
                         " bricks: a board holds at most " + std::to_string(kMaxBricks));
    }
    board.Header.Magic = {'V', 'N', 'T', 'R'};
    board.Header.Version = kBoardVersion;
    board.Header.LastBrickIndex = static_cast<std::int32_t>(board.Bricks.size()) - 1;
    board.Header.BrickTableOffset = static_cast<std::int32_t>(kBrickTableOffset);
}

std::vector<std::byte> EncodeBoard(const Board& board) {
    ByteWriter out(BoardFileSize(board.Bricks.size()));
    out.Raw(board.Header.Magic);
    out.Int16(board.Header.Version);
    out.Int32(board.Header.BrickTableOffset);
    out.Int32(board.Header.LastBrickIndex);
    for (const BoardCell& cell : board.Cells.Elements()) {
        out.Int16(cell.Used);
        out.Int32(cell.BrickIndex);
    }
    for (const BrickRecord& brick : board.Bricks) {
        out.Int32(brick.Index);
        out.Raw(brick.Pixels);
        out.Int16(brick.Explosive);
        out.Int16(brick.Unbreakable);
    }
    return out.Take();
}

std::size_t CheckBrickCount(std::int32_t lastBrickIndex, std::uintmax_t fileSize,
                            std::string_view name) {
    if (lastBrickIndex < 0) {
        throw BoardError(Prefix(name) + "invalid LastBrickIndex " + std::to_string(lastBrickIndex) +
                         " in the header (must be 0 to " + std::to_string(kMaxLastBrickIndex) +
                         ")");
    }
    const auto bricks = static_cast<std::uintmax_t>(lastBrickIndex) + 1;
    if (bricks > kMaxBricks) {
        throw BoardError(Prefix(name) + "header announces " + std::to_string(bricks) +
                         " bricks, more than the " + std::to_string(kMaxBricks) +
                         " a board can hold");
    }
    const std::size_t needed = BoardFileSize(static_cast<std::size_t>(bricks));
    if (fileSize < needed) {
        throw BoardError(Prefix(name) + "file is " + std::to_string(fileSize) +
                         " bytes, but its header announces " + std::to_string(bricks) +
                         (bricks == 1 ? " brick (" : " bricks (") + std::to_string(needed) +
                         " bytes)");
    }
    return static_cast<std::size_t>(bricks);
}

Board DecodeBoard(std::span<const std::byte> bytes, std::string_view name) {
    const std::size_t bricks =
        CheckBoardShape(bytes.first(std::min(bytes.size(), kHeaderBytes)), bytes.size(), name);

    Board board;
    ByteReader in(bytes);
    in.Raw(board.Header.Magic);
    board.Header.Version = in.Int16();
    board.Header.BrickTableOffset = in.Int32();
    board.Header.LastBrickIndex = in.Int32();
    for (BoardCell& cell : board.Cells.Elements()) {
        cell.Used = in.Int16();
        cell.BrickIndex = in.Int32();
    }
    // The bricks follow the cells directly; BrickTableOffset is not consulted.
    board.Bricks.resize(bricks);
    for (BrickRecord& brick : board.Bricks) {
        brick.Index = in.Int32();
        in.Raw(brick.Pixels);
        brick.Explosive = in.Int16();
        brick.Unbreakable = in.Int16();
    }
    return board;
}

void LoadBoard(const std::filesystem::path& path, Board& board) {
    const std::string name = path.string();
    // Look before opening: opening a FIFO or a device can block or have side effects.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        FailErrno(name, "cannot open", errno);
    }
    if (!S_ISREG(info.st_mode)) {
        throw BoardError(Prefix(name) + (S_ISDIR(info.st_mode) ? "is a folder, not a board file"
                                                               : "is not a regular file"));
    }
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0) {
        FailErrno(name, "cannot open", errno);
    }
    if (::fstat(fd.Get(), &info) != 0) {
        FailErrno(name, "cannot read", errno);
    }
    if (!S_ISREG(info.st_mode)) {
        throw BoardError(Prefix(name) + "is not a regular file");
    }
    const auto fileSize = static_cast<std::uintmax_t>(info.st_size);

    // Read only what the header announces, after checking it against the file's length: a
    // damaged header must not make us allocate or read gigabytes.
    const std::size_t headBytes =
        static_cast<std::size_t>(std::min<std::uintmax_t>(fileSize, kHeaderBytes));
    std::vector<std::byte> bytes(headBytes);
    if (!ReadExactly(fd.Get(), bytes.data(), headBytes, 0, name)) {
        throw BoardError(Prefix(name) + "file ended while reading the header");
    }
    const std::size_t bricks = CheckBoardShape(bytes, fileSize, name);
    const std::size_t needed = BoardFileSize(bricks);
    bytes.resize(needed);
    if (!ReadExactly(fd.Get(), bytes.data() + kHeaderBytes, needed - kHeaderBytes,
                     static_cast<off_t>(kHeaderBytes), name)) {
        throw BoardError(Prefix(name) +
                         "file ended before its last brick (it changed while "
                         "being read)");
    }
    // All or nothing: the caller's board changes only once everything was read.
    board = DecodeBoard(bytes, name);
}

void SaveBoard(const std::filesystem::path& path, Board& board, const WriteFunction& write) {
    const std::string name = path.string();
    // The board's header changes only once the file is saved: a failed save changes nothing.
    const BoardHeader before = board.Header;
    PrepareHeaderForSave(board);
    const BoardHeader saved = board.Header;
    const std::vector<std::byte> bytes = EncodeBoard(board);
    board.Header = before;

    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw BoardError(Prefix(name) + "cannot save: it is a folder");
    }
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) {
        folder = ".";
    }

    // Write beside the target and rename over it, so that readers see either the old file or
    // the whole new one, and a failure part-way leaves the old file untouched.
    std::string leaf = ".";  // appended piecewise: GCC 12 misreports "." + string (-Wrestrict)
    leaf += path.filename().string();
    leaf += ".XXXXXX";
    std::string tempName = (folder / leaf).string();
    FileDescriptor fd(::mkostemp(tempName.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        FailErrno(name, "cannot save: cannot create a file in " + folder.string(), errno);
    }
    auto failAndClean = [&](std::string_view what, int error) {
        ::unlink(tempName.c_str());
        FailErrno(name, what, error);
    };

    // Keep the permissions of a file we replace; a new file gets the usual 0666 less umask.
    struct stat old {};
    mode_t mode;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd.Get(), mode);

    std::size_t done = 0;
    while (done < bytes.size()) {
        const long n = write ? write(fd.Get(), bytes.data() + done, bytes.size() - done)
                             : ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            failAndClean("cannot save: write failed", n < 0 ? errno : ENOSPC);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.Get()) != 0) {
        failAndClean("cannot save: write failed", errno);
    }
    if (fd.Close() != 0) {
        failAndClean("cannot save: write failed", errno);
    }
    if (::rename(tempName.c_str(), path.c_str()) != 0) {
        failAndClean("cannot save", errno);
    }
    board.Header = saved;
}

}  // namespace core
