#include "shared/board_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace core {

namespace {

std::string Prefix(std::string_view name) {
    return std::string(name) + ": ";
}

[[noreturn]] void FailErrno(std::string_view name, std::string_view what, int error) {
    throw BoardError(Prefix(name) + std::string(what) + ": " + std::strerror(error));
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

// The file a save must replace: path itself, or, when path is a symbolic link, the file at the
// end of its chain of links, so that the link stays and the board it names is the one updated.
// A link to a file that does not exist yet saves there, creating it.
std::filesystem::path FollowLinks(const std::filesystem::path& path, std::string_view name) {
    std::filesystem::path target = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(target, ec)) {
            return target;
        }
        std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) {
            FailErrno(name, "cannot save", ec.value());
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    FailErrno(name, "cannot save", ELOOP);
}

// Longest file name the usual Linux file systems accept, in bytes.
constexpr std::size_t kNameMax = 255;
constexpr std::size_t kSuffixLength = 6;

// A name for the temporary file beside `leaf`: ".leaf.XXXXXX", the leaf cut short so that the
// whole is never longer than the target's name once that is near the length limit (a name that
// fits must never fail to save because of the temporary one).
std::string TemporaryLeaf(const std::string& leaf, std::uint64_t random) {
    static constexpr char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix = ".";
    for (std::size_t i = 0; i < kSuffixLength; ++i) {
        suffix += kDigits[random % 36];
        random /= 36;
    }
    std::string head = leaf;
    const std::size_t extra = 1 + suffix.size();
    if (head.size() + extra > kNameMax) {
        head.resize(head.size() > extra ? head.size() - extra : 0);
    }
    std::string name = ".";
    name += head;
    name += suffix;
    return name;
}

// Different for every call in every process, so two saves never pick the same temporary name.
std::uint64_t NextRandom() {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t z =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<std::uint64_t>(::getpid()) << 32) ^
        (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

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

    const std::filesystem::path target = FollowLinks(path, name);
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) {
        throw BoardError(Prefix(name) + "cannot save: it is a folder");
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }

    // Write beside the target and rename over it, so that readers see either the old file or
    // the whole new one, and a failure part-way leaves the old file untouched.
    //
    // A file that is replaced keeps its permissions. A new one is created with 0666 and the
    // kernel takes the umask off, as for any other new file: reading the umask would mean
    // setting it, for the whole process and every thread in it.
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    // The rename needs only the folder's permission, but a file its owner made read-only is not
    // replaced: not for a user without the right to write it, nor for root, whom the system lets
    // write anything.
    if (replacing && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        throw BoardError(Prefix(name) + "cannot save: the file is read-only");
    }
    if (replacing && ::access(target.c_str(), W_OK) != 0) {
        FailErrno(name, "cannot save: the file cannot be written", errno);
    }
    const mode_t createMode = replacing ? 0600 : 0666;
    std::string tempName;
    int created = -1;
    for (int attempt = 0; attempt < 100 && created < 0; ++attempt) {
        tempName = (folder / TemporaryLeaf(target.filename().string(), NextRandom())).string();
        created = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                         createMode);
        if (created < 0 && errno != EEXIST) {
            break;
        }
    }
    FileDescriptor fd(created);
    if (fd.Get() < 0) {
        FailErrno(name, "cannot save: cannot create a file in " + folder.string(), errno);
    }
    auto failAndClean = [&](std::string_view what, int error) {
        ::unlink(tempName.c_str());
        FailErrno(name, what, error);
    };
    if (replacing && ::fchmod(fd.Get(), old.st_mode & 07777) != 0) {
        failAndClean("cannot save: cannot keep the file's permissions", errno);
    }

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
    if (::rename(tempName.c_str(), target.c_str()) != 0) {
        failAndClean("cannot save", errno);
    }
    board.Header = saved;
}

}  // namespace core
