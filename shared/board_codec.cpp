#include "shared/board_codec.h"

#include <algorithm>
#include <string>
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

}  // namespace

// A file that fails the checks and does not even start with "VNTR" is most likely some other
// file chosen by mistake, and a brick count made of its first bytes would only confuse; a file
// that passes loads whatever its first bytes, since the readers never looked at them and stored
// boards may rely on that.
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

}  // namespace core
