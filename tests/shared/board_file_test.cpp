#include "shared/board_file.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <random>

// Every umask call of the process is counted: the board writer must never set the process's
// umask, which other threads (the editor has several) would see in the meantime.
namespace {
std::atomic<int> umaskCalls{0};
}  // namespace

extern "C" mode_t umask(mode_t mask) noexcept {
    ++umaskCalls;
    using Real = mode_t (*)(mode_t);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "umask"));
    return real(mask);
}

namespace core {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// A board as the editor makes it: n bricks cut from a sheet, each with Index = i.
Board MakeBoard(int bricks) {
    Board board;
    board.Bricks.resize(static_cast<std::size_t>(bricks));
    for (int i = 0; i < bricks; ++i) {
        BrickRecord& b = board.Bricks[static_cast<std::size_t>(i)];
        b.Index = i;
        for (std::size_t p = 0; p < b.Pixels.size(); ++p) {
            b.Pixels[p] = static_cast<std::uint8_t>(p * 7 + static_cast<std::size_t>(i));
        }
    }
    return board;
}

std::uint32_t ReadU32(const std::vector<std::byte>& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    return v;
}
std::uint16_t ReadU16(const std::vector<std::byte>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned>(bytes[at]) |
                                      static_cast<unsigned>(bytes[at + 1]) << 8);
}

class BoardFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("board-file-test-" + std::to_string(rd()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Path(const std::string& name) const { return dir_ / name; }

    static std::vector<std::byte> ReadFile(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::vector<char> chars((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::vector<std::byte> bytes(chars.size());
        std::transform(chars.begin(), chars.end(), bytes.begin(),
                       [](char c) { return static_cast<std::byte>(c); });
        return bytes;
    }
    static void WriteFile(const fs::path& p, const std::vector<std::byte>& bytes) {
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::string> FilesInDir() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Loading bytes must fail with a message containing `message`, leaving `board` unchanged.
    void ExpectLoadFails(const std::vector<std::byte>& bytes, const std::string& message) {
        const fs::path p = Path("bad.brd");
        WriteFile(p, bytes);
        Board board = MakeBoard(2);
        board.Cells(3, 4) = {kTrue, 1};
        const Board before = board;
        try {
            LoadBoard(p, board);
            ADD_FAILURE() << "load succeeded";
        } catch (const BoardError& e) {
            EXPECT_THAT(e.what(), HasSubstr(message));
            EXPECT_THAT(e.what(), HasSubstr(p.string()));
        }
        EXPECT_EQ(board, before);
    }

    fs::path dir_;
};

TEST(BoardCodec, FileLengthFollowsTheBrickCount) {
    Board one = MakeBoard(1);
    PrepareHeaderForSave(one);
    EXPECT_EQ(EncodeBoard(one).size(), 3772u);
    Board three = MakeBoard(3);
    PrepareHeaderForSave(three);
    const auto bytes = EncodeBoard(three);
    EXPECT_EQ(bytes.size(), 6488u);
    EXPECT_EQ(ReadU32(bytes, 10), 2u);
}

TEST(BoardCodec, HeaderCellsAndBricksSitAtTheirOffsets) {
    Board board = MakeBoard(2);
    board.Cells(19, 0) = {kTrue, 0x01020304};
    board.Cells(0, 1) = {kTrue, -2};
    board.Cells(19, 19) = {kTrue, 1};
    board.Bricks[1].Explosive = kTrue;
    PrepareHeaderForSave(board);
    const auto bytes = EncodeBoard(board);
    EXPECT_EQ(bytes[0], std::byte{'V'});
    EXPECT_EQ(bytes[3], std::byte{'R'});
    EXPECT_EQ(ReadU16(bytes, 4), 1u);
    EXPECT_EQ(ReadU32(bytes, 6), 2414u);
    EXPECT_EQ(ReadU16(bytes, 128), 0xFFFFu);
    EXPECT_EQ(ReadU32(bytes, 130), 0x01020304u);
    EXPECT_EQ(ReadU16(bytes, 134), 0xFFFFu);
    EXPECT_EQ(ReadU32(bytes, 136), 0xFFFFFFFEu);
    EXPECT_EQ(ReadU16(bytes, 2408), 0xFFFFu);
    EXPECT_EQ(ReadU32(bytes, 2410), 1u);
    EXPECT_EQ(ReadU32(bytes, 2414), 0u);  // first brick's Index
    EXPECT_EQ(bytes[2418], std::byte{board.Bricks[0].Pixels[0]});
    EXPECT_EQ(ReadU32(bytes, 2414 + 1358), 1u);
    EXPECT_EQ(ReadU16(bytes, 2414 + 1358 + 1354), 0xFFFFu);  // Explosive
    EXPECT_EQ(ReadU16(bytes, 2414 + 1358 + 1356), 0u);       // Unbreakable
}

TEST(BoardCodec, FreshImportOfFourBricksWritesEmptyCellsAndIndexes) {
    Board board = MakeBoard(4);
    PrepareHeaderForSave(board);
    const auto bytes = EncodeBoard(board);
    for (std::size_t at = 14; at < 2414; ++at) {
        ASSERT_EQ(bytes[at], std::byte{0}) << at;
    }
    for (std::uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ReadU32(bytes, 2414 + 1358 * i), i);
    }
}

TEST(BoardCodec, RoundTripKeepsEveryValue) {
    Board board = MakeBoard(3);
    board.Cells(2, 3) = {kFalse, 2};  // painted, then cleared: keeps its index
    board.Cells(4, 5) = {1, 0};       // odd Used values survive as they are
    board.Cells(6, 7) = {0x1234, -9};
    board.Bricks[0].Pixels.fill(0x00);
    board.Bricks[1].Pixels.fill(0x20);  // spaces are pixel bytes, not padding
    board.Bricks[2].Unbreakable = kTrue;
    board.Bricks[2].Explosive = 5;
    PrepareHeaderForSave(board);
    const auto bytes = EncodeBoard(board);
    EXPECT_EQ(ReadU16(bytes, 14 + 6 * (3 * 20 + 2)), 0u);
    EXPECT_EQ(ReadU32(bytes, 14 + 6 * (3 * 20 + 2) + 2), 2u);
    EXPECT_EQ(DecodeBoard(bytes, "x"), board);
}

TEST(BoardCodec, MagicVersionAndOffsetAreNotChecked) {
    Board board = MakeBoard(1);
    board.Cells(1, 1) = {kTrue, 0};
    PrepareHeaderForSave(board);
    auto bytes = EncodeBoard(board);
    const Board plain = DecodeBoard(bytes, "x");
    bytes[0] = std::byte{'X'};
    bytes[4] = std::byte{7};
    bytes[6] = std::byte{0xFF};
    const Board odd = DecodeBoard(bytes, "x");
    EXPECT_EQ(odd.Cells, plain.Cells);
    EXPECT_EQ(odd.Bricks, plain.Bricks);
    EXPECT_EQ(odd.Header.Magic[0], 'X');  // kept as read
}

TEST(BoardCodec, BytesAfterTheLastBrickAreIgnored) {
    Board board = MakeBoard(1);
    PrepareHeaderForSave(board);
    auto bytes = EncodeBoard(board);
    bytes.resize(bytes.size() + 1358 * 4, std::byte{0xAB});
    EXPECT_EQ(DecodeBoard(bytes, "x").Bricks.size(), 1u);
}

TEST(BoardCodec, SaveRefusesBoardsNoReaderAccepts) {
    Board empty;
    EXPECT_THROW(PrepareHeaderForSave(empty), BoardError);
    Board huge;
    huge.Bricks.resize(kMaxBricks + 1);
    EXPECT_THROW(PrepareHeaderForSave(huge), BoardError);
}

TEST_F(BoardFileTest, SaveThenLoad) {
    Board board = MakeBoard(3);
    board.Cells(0, 0) = {kTrue, 2};
    board.Bricks[1].Unbreakable = kTrue;
    SaveBoard(Path("a.brd"), board);
    EXPECT_EQ(fs::file_size(Path("a.brd")), 6488u);
    Board loaded;
    LoadBoard(Path("a.brd"), loaded);
    EXPECT_EQ(loaded, board);
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"a.brd"});
}

TEST_F(BoardFileTest, SavingFewerBricksOverALongerFileShortensIt) {
    Board five = MakeBoard(5);
    SaveBoard(Path("b.brd"), five);
    EXPECT_EQ(fs::file_size(Path("b.brd")), 9204u);
    Board two = MakeBoard(2);
    SaveBoard(Path("b.brd"), two);
    EXPECT_EQ(fs::file_size(Path("b.brd")), 5130u);
    Board loaded;
    LoadBoard(Path("b.brd"), loaded);
    EXPECT_EQ(loaded.Bricks.size(), 2u);
}

TEST_F(BoardFileTest, SavingKeepsTheReplacedFilesPermissions) {
    Board board = MakeBoard(1);
    SaveBoard(Path("p.brd"), board);
    fs::permissions(Path("p.brd"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SaveBoard(Path("p.brd"), board);
    EXPECT_EQ(fs::status(Path("p.brd")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A read-only file is not replaced, though its folder allows the rename.
    fs::permissions(Path("p.brd"), fs::perms::owner_read | fs::perms::group_read);
    Board two = MakeBoard(2);
    EXPECT_THROW(
        try { SaveBoard(Path("p.brd"), two); } catch (const BoardError& e) {
            EXPECT_THAT(e.what(), HasSubstr("p.brd: cannot save: the file is read-only"));
            throw;
        },
        BoardError);
    EXPECT_EQ(fs::file_size(Path("p.brd")), 3772u);
}

TEST_F(BoardFileTest, LoadingAMissingFileFailsAndCreatesNothing) {
    Board board = MakeBoard(1);
    const Board before = board;
    try {
        LoadBoard(Path("missing.brd"), board);
        ADD_FAILURE();
    } catch (const BoardError& e) {
        EXPECT_THAT(e.what(), HasSubstr("missing.brd: cannot open: No such file"));
    }
    EXPECT_FALSE(fs::exists(Path("missing.brd")));
    EXPECT_EQ(board, before);
}

TEST_F(BoardFileTest, DamagedFilesAreRejectedWithoutChangingTheBoard) {
    Board two = MakeBoard(2);
    PrepareHeaderForSave(two);
    const auto good = EncodeBoard(two);

    // A file that fails the checks without starting with "VNTR" is named for what it is.
    const std::string notABoard = "this is not a board file (it does not start with VNTR)";
    ExpectLoadFails({}, notABoard);
    auto picture = good;
    picture.resize(3000);
    for (std::size_t i = 0; i < 4; ++i) {
        picture[i] = static_cast<std::byte>("\x89PNG"[i]);
    }
    ExpectLoadFails(picture, notABoard);
    ExpectLoadFails(std::vector<std::byte>(picture.begin(), picture.begin() + 3), notABoard);
    ExpectLoadFails(std::vector<std::byte>(good.begin(), good.begin() + 13),
                    "file is 13 bytes, too short for a board header");
    ExpectLoadFails(std::vector<std::byte>(good.begin(), good.begin() + 3000),
                    "file is 3000 bytes, but its header announces 2 bricks (5130 bytes)");
    ExpectLoadFails(std::vector<std::byte>(good.begin(), good.end() - 1),
                    "file is 5129 bytes, but its header announces 2 bricks (5130 bytes)");

    auto withLast = [&](std::uint32_t last) {
        auto bytes = good;
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[10 + i] = static_cast<std::byte>((last >> (8 * i)) & 0xFF);
        }
        return bytes;
    };
    ExpectLoadFails(withLast(0xFFFFFFFFu), "invalid LastBrickIndex -1");
    ExpectLoadFails(withLast(0x80000000u), "invalid LastBrickIndex -2147483648");
    // These must be refused from the length alone, long before anything is allocated.
    ExpectLoadFails(withLast(0x7FFFFFFFu),
                    "header announces 2147483648 bricks, more than the "
                    "32767 a board can hold");
    ExpectLoadFails(withLast(32767), "header announces 32768 bricks");
    ExpectLoadFails(withLast(32766), "but its header announces 32767 bricks (44500000 bytes)");
}

TEST_F(BoardFileTest, OnlyRegularFilesAreRead) {
    Board board = MakeBoard(1);
    const Board before = board;
    EXPECT_THAT([&] { LoadBoard(dir_, board); },
                ::testing::ThrowsMessage<BoardError>(HasSubstr("is a folder")));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    // A FIFO without a writer would block an open for reading forever.
    EXPECT_THAT([&] { LoadBoard(Path("fifo"), board); },
                ::testing::ThrowsMessage<BoardError>(HasSubstr("is not a regular file")));
    EXPECT_THAT([&] { LoadBoard("/dev/zero", board); },
                ::testing::ThrowsMessage<BoardError>(HasSubstr("is not a regular file")));
    EXPECT_EQ(board, before);
}

TEST_F(BoardFileTest, AHugeSparseFileIsReadOnlyAsFarAsItsHeaderAnnounces) {
    Board board = MakeBoard(1);
    board.Cells(0, 0) = {kTrue, 0};
    SaveBoard(Path("sparse.brd"), board);
    fs::resize_file(Path("sparse.brd"), std::uintmax_t{2} << 30);  // 2 GiB, mostly holes
    Board loaded;
    LoadBoard(Path("sparse.brd"), loaded);
    EXPECT_EQ(loaded, board);
}

TEST_F(BoardFileTest, PathsWithSpacesAndNonAsciiCharacters) {
    Board board = MakeBoard(1);
    const fs::path p = Path("Level één – nuit.brd");
    SaveBoard(p, board);
    Board loaded;
    LoadBoard(p, loaded);
    EXPECT_EQ(loaded, board);
}

TEST_F(BoardFileTest, FailedSavesLeaveTheOldFileAndNoTemporaryFile) {
    Board old = MakeBoard(5);
    SaveBoard(Path("keep.brd"), old);
    const auto oldBytes = ReadFile(Path("keep.brd"));
    Board board = MakeBoard(2);

    // The disk fills up after 1000 bytes.
    std::size_t written = 0;
    auto failing = [&](int fd, const void* data, std::size_t size) -> long {
        if (written >= 1000) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t n = std::min<std::size_t>(size, 1000 - written);
        written += n;
        return ::write(fd, data, n);
    };
    EXPECT_THAT([&] { SaveBoard(Path("keep.brd"), board, failing); },
                ::testing::ThrowsMessage<BoardError>(
                    HasSubstr("keep.brd: cannot save: write failed: No space left on device")));
    EXPECT_EQ(ReadFile(Path("keep.brd")), oldBytes);
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"keep.brd"});
    EXPECT_EQ(board.Header, BoardHeader{});  // the header changes only with a saved file

    // A write that makes no progress must not loop forever.
    auto stuck = [](int, const void*, std::size_t) -> long { return 0; };
    EXPECT_THROW(SaveBoard(Path("keep.brd"), board, stuck), BoardError);
    EXPECT_EQ(ReadFile(Path("keep.brd")), oldBytes);

    fs::create_directory(Path("folder"));
    EXPECT_THAT([&] { SaveBoard(Path("folder"), board); },
                ::testing::ThrowsMessage<BoardError>(HasSubstr("cannot save: it is a folder")));
    EXPECT_THAT([&] { SaveBoard(Path("gone/x.brd"), board); },
                ::testing::ThrowsMessage<BoardError>(HasSubstr("No such file or directory")));
    EXPECT_EQ(FilesInDir(), (std::vector<std::string>{"folder", "keep.brd"}));
    EXPECT_TRUE(fs::is_empty(Path("folder")));
}

TEST_F(BoardFileTest, SavingThroughALinkUpdatesTheFileItNamesAndKeepsTheLink) {
    Board old = MakeBoard(1);
    fs::create_directory(Path("boards"));
    SaveBoard(Path("boards/level.brd"), old);
    fs::create_symlink("boards/level.brd", Path("current.brd"));
    fs::create_symlink("current.brd", Path("chain.brd"));
    fs::create_symlink("boards/new.brd", Path("dangling.brd"));

    Board board = MakeBoard(3);
    SaveBoard(Path("chain.brd"), board);
    SaveBoard(Path("dangling.brd"), board);
    EXPECT_TRUE(fs::is_symlink(Path("chain.brd")));
    EXPECT_TRUE(fs::is_symlink(Path("current.brd")));
    EXPECT_TRUE(fs::is_symlink(Path("dangling.brd")));
    for (const char* saved : {"boards/level.brd", "boards/new.brd"}) {
        Board loaded;
        LoadBoard(Path(saved), loaded);
        EXPECT_EQ(loaded, board) << saved;
    }
    EXPECT_EQ(FilesInDir(),
              (std::vector<std::string>{"boards", "chain.brd", "current.brd", "dangling.brd"}));
}

TEST_F(BoardFileTest, NamesUpToTheLengthLimitSave) {
    Board board = MakeBoard(1);
    for (const std::size_t length : {248u, 255u}) {
        const std::string leaf = std::string(length - 4, 'n') + ".brd";
        SaveBoard(Path(leaf), board);  // a new file
        SaveBoard(Path(leaf), board);  // and over it
        Board loaded;
        LoadBoard(Path(leaf), loaded);
        EXPECT_EQ(loaded, board) << length;
    }
    EXPECT_EQ(FilesInDir().size(), 2u);
}

TEST_F(BoardFileTest, NewFilesTakeTheUmaskWithoutTheWriterTouchingIt) {
    const mode_t before = ::umask(027);
    umaskCalls = 0;
    Board board = MakeBoard(1);
    SaveBoard(Path("new.brd"), board);
    const int calls = umaskCalls;
    ::umask(before);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(fs::status(Path("new.brd")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace core
