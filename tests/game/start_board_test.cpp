// The board at start: the one named, else the first board.brd found beside the program or in the
// data folders, else the built-in one; and the command line that names it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/board_set.h"
#include "game/command_line.h"
#include "game/settings.h"
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

    // Plays the first board of the search path.
    void Load(const std::filesystem::path& path, std::span<const std::byte> builtIn,
              core::Board& board, std::ostream& notes) {
        const std::filesystem::path searchPath[] = {path};
        LoadStartBoard(std::nullopt, searchPath, builtIn, board, notes);
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
    Load(dir_ / "board.brd", Encoded(MakeBoard({{9, 9, 1}})), board, notes);
    EXPECT_EQ(board.Cells(1, 1).Used, core::kTrue);
    EXPECT_EQ(board.Cells(9, 9).Used, core::kFalse);
    EXPECT_EQ(notes.str(), "Vantor: playing " + (dir_ / "board.brd").string() + "\n");
    EXPECT_EQ(std::filesystem::last_write_time(dir_ / "board.brd"), before);
}

TEST_F(StartBoard, AMissingFilePlaysTheBuiltInBoardSaysSoAndCreatesNothing) {
    core::Board board;
    std::ostringstream notes;
    Load(dir_ / "board.brd", Encoded(MakeBoard({{9, 9, 1}})), board, notes);
    EXPECT_EQ(board.Cells(9, 9).Used, core::kTrue);
    EXPECT_NE(notes.str().find("); playing the built-in board"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "board.brd"));
}

TEST_F(StartBoard, AMissingFileWithoutABuiltInBoardIsAnError) {
    core::Board board = MakeBoard({{2, 2, 0}});
    const core::Board before = board;
    std::ostringstream notes;
    EXPECT_THROW(Load(dir_ / "board.brd", {}, board, notes), core::BoardError);
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
            Load(dir_ / name, builtIn, board, notes);
            ADD_FAILURE() << name << " was accepted";
        } catch (const core::BoardError& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
            EXPECT_TRUE(std::string(e.what()).ends_with(kDamagedBoardAdvice)) << e.what();
        }
        EXPECT_EQ(board, core::Board{}) << name;
        EXPECT_TRUE(notes.str().empty()) << name;
    }
}

TEST_F(StartBoard, TheSearchPathFollowsTheXdgRules) {
    using Paths = std::vector<std::filesystem::path>;
    // Unset or empty: ~/.local/share, then /usr/local/share and /usr/share; last the default
    // board installed with the program, under a name no player's board has.
    for (const char* empty : {static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(BoardSearchPath("/opt/v/bin", {empty, empty, "/home/u"}),
                  (Paths{"/opt/v/bin/board.brd", "/home/u/.local/share/vantor/board.brd",
                         "/usr/local/share/vantor/board.brd", "/usr/share/vantor/board.brd",
                         "/opt/v/share/vantor/default.brd"}));
    }
    // Set: in their order; empty and relative entries are skipped, as is a home that is unset.
    EXPECT_EQ(BoardSearchPath("/opt/v", {"/d/home", ":/a/::rel/b:/c", "/home/u"}),
              (Paths{"/opt/v/board.brd", "/d/home/vantor/board.brd", "/a/vantor/board.brd",
                     "/c/vantor/board.brd", "/opt/share/vantor/default.brd"}));
    EXPECT_EQ(BoardSearchPath("/opt/v", {"relative", "/c", nullptr}),
              (Paths{"/opt/v/board.brd", "/c/vantor/board.brd", "/opt/share/vantor/default.brd"}));
}

TEST_F(StartBoard, TheNamedBoardComesFirstThenTheFirstFileThatExists) {
    const std::vector<std::filesystem::path> searchPath = {dir_ / "a.brd", dir_ / "b.brd",
                                                           dir_ / "c.brd"};
    Write(dir_ / "b.brd", Encoded(MakeBoard({{2, 0, 0}})));
    Write(dir_ / "c.brd", Encoded(MakeBoard({{3, 0, 0}})));
    Write(dir_ / "named.brd", Encoded(MakeBoard({{4, 0, 0}})));
    core::Board board;
    std::ostringstream notes;
    LoadStartBoard(std::nullopt, searchPath, {}, board, notes);
    EXPECT_EQ(board.Cells(2, 0).Used, core::kTrue);
    EXPECT_EQ(notes.str(), "Vantor: playing " + (dir_ / "b.brd").string() + "\n");

    LoadStartBoard(dir_ / "named.brd", searchPath, {}, board, notes);
    EXPECT_EQ(board.Cells(4, 0).Used, core::kTrue);
    // A named board that is missing is an error, never a reason to play another one.
    const core::Board before = board;
    EXPECT_THROW(LoadStartBoard(dir_ / "a.brd", searchPath, Encoded(MakeBoard({})), board, notes),
                 core::BoardError);
    EXPECT_EQ(board, before);
}

TEST_F(StartBoard, AFolderPlaysItsBoardsInNameOrderAndLeavesDamagedOnesOut) {
    Write(dir_ / "b.BRD", Encoded(MakeBoard({{2, 0, 0}})));
    Write(dir_ / "a.brd", Encoded(MakeBoard({{1, 0, 0}})));
    Write(dir_ / "c.brd", {std::byte{1}});
    Write(dir_ / "notes.txt", {std::byte{1}});
    const std::filesystem::path folder[] = {dir_};
    std::ostringstream notes;
    std::vector<std::string> skipped;
    const std::vector<core::Board> set = LoadStartBoards(folder, {}, {}, notes, skipped);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0].Cells(1, 0).Used, core::kTrue);
    EXPECT_EQ(set[1].Cells(2, 0).Used, core::kTrue);
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_NE(notes.str().find(skipped[0] + "; skipped\n"), std::string::npos) << notes.str();

    // Nothing playable is refused like a single bad board; so is a folder without boards.
    const std::filesystem::path bad[] = {dir_ / "c.brd", dir_ / "missing.brd"};
    EXPECT_THROW(LoadStartBoards(bad, {}, {}, notes, skipped), core::BoardError);
    const std::filesystem::path empty[] = {dir_ / "empty"};
    std::filesystem::create_directories(empty[0]);
    EXPECT_THROW(LoadStartBoards(empty, {}, {}, notes, skipped), core::BoardError);
}

TEST_F(StartBoard, TheSettingsFileKeepsWhatItDoesNotKnow) {
    EXPECT_EQ(SettingsPath(nullptr, "/home/x"),
              std::filesystem::path("/home/x/.config/vantor/vantor.conf"));
    EXPECT_EQ(SettingsPath("/cfg", "/home/x"), std::filesystem::path("/cfg/vantor/vantor.conf"));
    const std::filesystem::path file = dir_ / "new" / "vantor.conf";
    EXPECT_EQ(ReadSetting(file, "sound"), std::nullopt);
    WriteSetting(file, "sound", "off");
    {
        std::ofstream out(file, std::ios::app);
        out << "# a comment = kept\nvolume = 3\n";
    }
    WriteSetting(file, "sound", "on");
    EXPECT_EQ(ReadSetting(file, "sound"), "on");
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "sound = on\n# a comment = kept\nvolume = 3\n");
}

TEST(CommandLine, BoardOptionsAndUsageErrors) {
    using Action = CommandLine::Action;
    using Paths = std::vector<std::filesystem::path>;
    const auto parse = [](std::vector<std::string_view> arguments) {
        return ParseCommandLine(arguments);
    };
    EXPECT_EQ(parse({}).action, Action::Play);
    EXPECT_TRUE(parse({}).boards.empty());
    EXPECT_EQ(parse({"my board.brd"}).boards, Paths{"my board.brd"});
    EXPECT_EQ(parse({"--", "-odd.brd"}).boards, Paths{"-odd.brd"});
    EXPECT_EQ(parse({"-"}).boards, Paths{"-"});
    EXPECT_EQ(parse({"x.brd", "--help"}).action, Action::ShowHelp);
    EXPECT_EQ(parse({"-h"}).action, Action::ShowHelp);
    EXPECT_EQ(parse({"--version"}).action, Action::ShowVersion);
    const CommandLine unknown = parse({"x.brd", "--full-screen"});
    EXPECT_EQ(unknown.action, Action::UsageError);
    EXPECT_EQ(unknown.error, "unknown option '--full-screen'");
    EXPECT_TRUE(unknown.boards.empty());
    EXPECT_EQ(VersionText("1.2.3"), "Vantor 1.2.3\n");

    // A set of boards, the recording options in both spellings, and their mistakes.
    const CommandLine set = parse({"a.brd", "levels", "--record", "r.txt", "--mute", "--dump"});
    EXPECT_EQ(set.boards, (Paths{"a.brd", "levels"}));
    EXPECT_EQ(set.record, std::filesystem::path("r.txt"));
    EXPECT_TRUE(set.mute && set.dump);
    EXPECT_EQ(parse({"--replay=r.txt"}).replay, std::filesystem::path("r.txt"));
    EXPECT_EQ(parse({"--record"}).error, "--record needs a FILE");
    EXPECT_EQ(parse({"--replay="}).error, "--replay needs a FILE");
    EXPECT_EQ(parse({"--record", "a", "--replay", "b"}).error,
              "--record and --replay cannot be used together");
    const CommandLine threads = parse({"--threads", "3", "x.brd"});
    EXPECT_EQ(threads.threads, 3u);
    EXPECT_EQ(threads.boards, (Paths{"x.brd"}));
    EXPECT_EQ(parse({"--threads=256"}).threads, 256u);
    for (const char* bad : {"0", "257", "2x", "-1", ""}) {
        EXPECT_EQ(parse({"--threads", bad}).error, ThreadCountError(bad)) << bad;
    }
    EXPECT_EQ(parse({"--threads"}).error, "--threads needs a number");
}

}  // namespace
}  // namespace game
