// The board at start: board.brd beside the program, or the built-in one when it is missing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/start_board.h"
#include "shared/board_file.h"
#include "tests/game/game_fakes.h"

namespace game {
namespace {

using testing::MakeBoard;

class StartBoard : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("vantor-start-board-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::vector<std::byte> Encoded(core::Board board) {
        core::PrepareHeaderForSave(board);
        return core::EncodeBoard(board);
    }
    void Write(const std::filesystem::path& path, const std::vector<std::byte>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path dir_;
};

TEST_F(StartBoard, ThePathIsBoardBrdInTheProgramsDirectory) {
    EXPECT_EQ(BoardPathIn("/opt/vantor"), std::filesystem::path("/opt/vantor/board.brd"));
}

TEST_F(StartBoard, AFileBesideTheProgramIsPlayedAndNeverWritten) {
    const core::Board saved = MakeBoard({{1, 1, 0}});
    const std::vector<std::byte> bytes = Encoded(saved);
    Write(dir_ / "board.brd", bytes);
    const auto before = std::filesystem::last_write_time(dir_ / "board.brd");
    core::Board board;
    std::ostringstream notes;
    LoadStartBoard(dir_ / "board.brd", Encoded(MakeBoard({{9, 9, 1}})), board, notes);
    EXPECT_EQ(board.Cells(1, 1).Used, core::kTrue);
    EXPECT_EQ(board.Cells(9, 9).Used, core::kFalse);
    EXPECT_TRUE(notes.str().empty());
    EXPECT_EQ(std::filesystem::last_write_time(dir_ / "board.brd"), before);
}

TEST_F(StartBoard, AMissingFilePlaysTheBuiltInBoardSaysSoAndCreatesNothing) {
    core::Board board;
    std::ostringstream notes;
    LoadStartBoard(dir_ / "board.brd", Encoded(MakeBoard({{9, 9, 1}})), board, notes);
    EXPECT_EQ(board.Cells(9, 9).Used, core::kTrue);
    EXPECT_NE(notes.str().find("not found; playing the built-in board"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "board.brd"));
}

TEST_F(StartBoard, AMissingFileWithoutABuiltInBoardIsAnError) {
    core::Board board = MakeBoard({{2, 2, 0}});
    const core::Board before = board;
    std::ostringstream notes;
    EXPECT_THROW(LoadStartBoard(dir_ / "board.brd", {}, board, notes), core::BoardError);
    EXPECT_EQ(board, before);
}

TEST_F(StartBoard, AFileThatExistsButCannotBePlayedIsAnErrorNeverTheFallback) {
    std::vector<std::byte> bytes = Encoded(MakeBoard({{1, 1, 0}}));
    bytes.resize(3000);  // cut inside the brick table
    Write(dir_ / "board.brd", bytes);
    std::filesystem::create_directory(dir_ / "folder.brd");
    std::filesystem::create_symlink(dir_ / "nowhere.brd", dir_ / "dangling.brd");
    const std::vector<std::byte> builtIn = Encoded(MakeBoard({{9, 9, 1}}));
    for (const char* name : {"board.brd", "folder.brd", "dangling.brd"}) {
        core::Board board;
        std::ostringstream notes;
        try {
            LoadStartBoard(dir_ / name, builtIn, board, notes);
            ADD_FAILURE() << name << " was accepted";
        } catch (const core::BoardError& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
            EXPECT_TRUE(std::string(e.what()).ends_with(kDamagedBoardAdvice)) << e.what();
        }
        EXPECT_EQ(board, core::Board{}) << name;
        EXPECT_TRUE(notes.str().empty()) << name;
    }
}

}  // namespace
}  // namespace game
