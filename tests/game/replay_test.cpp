// The windowless replay: script parsing, the dump format, pause and repeatability.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/random.h"
#include "game/recording.h"
#include "game/replay.h"
#include "tests/game/game_fakes.h"

namespace game {
namespace {

using testing::MakeBoard;

std::string RunScript(const core::Board& board, const std::string& script, std::uint64_t seed) {
    SeededRandom random(seed);
    Replay replay(board, random);
    std::ostringstream out;
    replay.Run(ParseReplayScript(script), out);
    return out.str();
}

TEST(ReplayScript, ParsesEveryCommandWithCommentsAndBlankLines) {
    const std::vector<ReplayCommand> script = ParseReplayScript(
        "# a comment\n"
        "move 40.5\n"
        "\n"
        "  release   # trailing comment\r\n"
        "add\n"
        "key p\n"
        "frames 250\n"
        "dump\n"
        "move -1e2");
    using K = ReplayCommand::Kind;
    ASSERT_EQ(script.size(), 7u);
    EXPECT_EQ(script[0], (ReplayCommand{K::Move, 40.5, 0, 0, 2, {}}));
    EXPECT_EQ(script[1], (ReplayCommand{K::Release, 0, 0, 0, 4, {}}));
    EXPECT_EQ(script[2], (ReplayCommand{K::Add, 0, 0, 0, 5, {}}));
    EXPECT_EQ(script[3], (ReplayCommand{K::Key, 0, 0, 80, 6, {}}));
    EXPECT_EQ(script[4], (ReplayCommand{K::Frames, 0, 250, 0, 7, {}}));
    EXPECT_EQ(script[5], (ReplayCommand{K::Dump, 0, 0, 0, 8, {}}));
    EXPECT_EQ(script[6], (ReplayCommand{K::Move, -100, 0, 0, 9, {}}));
}

TEST(ReplayScript, ErrorsNameTheLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"frames 1\njump\n", "line 2: unknown command 'jump'"},
        {"\n\nmove\n", "line 3: move takes exactly one argument"},
        {"move x\n", "line 1: move needs a number, got 'x'"},
        {"move nan\n", "line 1: move needs a number, got 'nan'"},
        {"move 1e12\n", "line 1: move position 1e12 is out of range"},
        {"frames -1\n", "line 1: frames needs a whole number from 0 to 1000000000000, got '-1'"},
        {"frames 2.5\n", "line 1: frames needs a whole number from 0 to 1000000000000, got '2.5'"},
        {"key\n", "line 1: key takes exactly one argument"},
        {"key F1\n",
         "line 1: key needs one letter or digit, or Left, Right, Space, Enter, PadA, PadX, "
         "PadStart, PadLeft or PadRight, got 'F1'"},
        {"dump now\n", "line 1: dump takes no argument"},
        {"frames 1\nseed 4\n", "line 2: seed must come before every other command but board"},
        {"seed 1\nseed 2\n", "line 2: the seed is given twice"},
        {"board QUJD\n", "line 1: board: this is not a board file (it does not start with VNTR)"},
        {"board QUJ=D\n", "line 1: board needs the board file in base64"},
        {"stick 1.5\n", "line 1: stick needs a number from -1 to 1, got '1.5'"},
        {"Move 3\n", "line 1: unknown command 'Move'"},
    };
    for (const auto& [script, message] : cases) {
        try {
            ParseReplayScript(script);
            ADD_FAILURE() << "no error for " << script;
        } catch (const ReplayError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST(ReplayDump, ListsFrameBallsAndCells) {
    const core::Board board = MakeBoard({{0, 0, 0}, {19, 0, 0}, {5, 19, 2}});
    const std::string out = RunScript(board, "move 300\nframes 2\ndump\n", 1);
    std::istringstream in(out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "frame 2 balls 1");
    std::getline(in, line);
    SeededRandom random(1);
    char expected[120];
    std::snprintf(expected, sizeof expected, "ball 0 300 426.5 1.5 %.17g -1",
                  static_cast<double>(random.Rnd()) * kAngleRange + kMinAngle);
    EXPECT_EQ(line, expected);
    std::getline(in, line);
    EXPECT_EQ(line, "cells");
    std::vector<std::string> rows;
    while (std::getline(in, line)) {
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0], "10000000000000000001");
    EXPECT_EQ(rows[1], "00000000000000000000");
    EXPECT_EQ(rows[19], "00000100000000000000");
}

TEST(ReplayDump, PrintsNineAndSeventeenSignificantDigits) {
    SeededRandom random(5);
    Replay replay(MakeBoard({}), random);
    std::ostringstream out;
    replay.Run(ParseReplayScript("move 123\nframes 1\nrelease\nframes 3\ndump\n"), out);
    const BallState& b = replay.game().Balls[0];
    char expected[160];
    std::snprintf(expected, sizeof expected, "ball 0 %.9g %.9g %.9g %.17g 0\n",
                  static_cast<double>(b.X), static_cast<double>(b.Y), static_cast<double>(b.Speed),
                  b.Angle);
    EXPECT_NE(out.str().find(expected), std::string::npos) << out.str();
    // Values read back from the dump are the same bits.
    std::istringstream in(out.str().substr(out.str().find("ball 0 ")));
    std::string word;
    int index = 0;
    float x = 0, y = 0, speed = 0;
    double angle = 0;
    in >> word >> index >> x >> y >> speed >> angle;
    EXPECT_EQ(x, b.X);
    EXPECT_EQ(y, b.Y);
    EXPECT_EQ(speed, b.Speed);
    EXPECT_EQ(angle, b.Angle);
}

TEST(Replay, PausedFramesOnlyMoveTheClockAndInputStillActs) {
    SeededRandom random(3);
    Replay replay(MakeBoard({}), random);
    std::ostringstream out;
    replay.Run(ParseReplayScript("frames 3\nkey P\nframes 5\nadd\nmove 100\nkey P\nframes 2\n"),
               out);
    EXPECT_EQ(replay.frames(), 5u);
    EXPECT_EQ(replay.platform().tick, 100u);
    EXPECT_EQ(replay.game().Balls.size(), 101u);
    EXPECT_EQ(replay.game().Balls[50].X, 100.0f);
    EXPECT_EQ(replay.platform().caption, "Paused");
}

TEST(Replay, TheSameSeedRepeatsTheGameAndAnotherSeedDoesNot) {
    const core::Board board = MakeBoard({{3, 3, 0}, {4, 3, 1}, {10, 6, 2}, {12, 2, 0}});
    const std::string script =
        "move 250\nadd\nrelease\nframes 400\nmove 480\nadd\nrelease\n"
        "frames 600\ndump\n";
    const std::string first = RunScript(board, script, 42);
    EXPECT_EQ(first, RunScript(board, script, 42));
    EXPECT_NE(first, RunScript(board, script, 43));
    // Bricks were hit on the way.
    EXPECT_NE(first.find("cells\n"), std::string::npos);
    EXPECT_EQ(first.find("cells\n00010000"), std::string::npos) << first;
}

TEST(ReplayScript, BoardsReadBackWhateverTheirLengthAndTheHeadIsTheScriptsOrTheCallers) {
    // 1, 2 and 3 bricks: files of 2414 + 1358 n bytes end their base64 with "==", "" and "=".
    core::Board board = MakeBoard({{0, 0, 0}, {19, 19, 2}});
    std::string script = "seed 9\n";
    for (std::size_t bricks = 1; bricks <= 3; ++bricks) {
        board.Bricks.resize(bricks);
        board.Header.LastBrickIndex = static_cast<std::int32_t>(bricks) - 1;
        ReplayCommand line;
        line.kind = ReplayCommand::Kind::Board;
        line.board = std::make_shared<const core::Board>(board);
        script += FormatReplayCommand(line) + "\n";
    }
    const ScriptHead head = HeadOf(ParseReplayScript(script + "frames 1\n"));
    EXPECT_EQ(head.seed, 9u);
    ASSERT_EQ(head.boards.size(), 3u);
    EXPECT_EQ(head.boards[0].Bricks.size(), 1u);
    EXPECT_EQ(head.boards[2], board);

    const std::vector<ReplayCommand> own = ParseReplayScript(script);
    EXPECT_THROW(SetUpReplay(own, board, std::nullopt), ReplayError);
    EXPECT_THROW(SetUpReplay(own, std::nullopt, 9), ReplayError);
    EXPECT_THROW(SetUpReplay(ParseReplayScript("dump\n"), std::nullopt, 9), ReplayError);
    EXPECT_EQ(SetUpReplay(ParseReplayScript("dump\n"), board, 9).boards.size(), 1u);
}

TEST(Recording, ReplaysToTheGamesLastStateWindowlessAndInTheWindow) {
    // A game of two boards played on a fake clock with every kind of input, in two parts with a
    // board dropped between them, recorded as it goes.
    const std::vector<core::Board> set = {MakeBoard({{3, 3, 0}, {4, 3, 1}}),
                                          MakeBoard({{10, 6, 2}, {12, 2, 0}})};
    testing::FakePlatform platform;
    SeededRandom random(77);
    Game game(platform, random, testing::LoaderOf(set[0]));
    game.Set = set;
    std::ostringstream recording;
    Recorder recorder(recording);
    platform.now = 1000;
    game.StartUp();
    recorder.Begin(77, game);
    game.observer = &recorder;
    InputEvent stick;
    stick.kind = InputEvent::Kind::PadStick;
    stick.X = 0.7f;
    platform.MoveAt(1005, 250);
    platform.ButtonUpAt(1010, kRightButton);
    platform.ButtonUpAt(1020, kLeftButton);
    platform.KeyAt(1500, kKeyRight);
    platform.KeyAt(1800, kKeyRight, false);
    platform.At(2000, stick);
    stick.X = 0;
    platform.At(2300, stick);
    platform.KeyAt(2500, kKeyP);
    platform.MoveAt(2600, 400);
    platform.KeyAt(3000, kKeyP);
    platform.KeyAt(3500, kKeyN);
    platform.KeyAt(3600, kPadX);
    platform.KeyAt(3601, kKeyM);  // the sound switch is no part of the game
    platform.KeyAt(3602, kPadA);
    platform.CloseAt(4000);
    game.GameLoop();
    game.PlayBoard(MakeBoard({{7, 7, 0}}));
    game.Running = core::kTrue;
    platform.ButtonUpAt(4100, kRightButton);
    platform.ButtonUpAt(4100, kLeftButton);
    platform.CloseAt(5000);
    game.GameLoop();
    recorder.Finish(game);
    std::ostringstream expected;
    DumpGame(game, expected);
    EXPECT_EQ(recording.str().find("key M"), std::string::npos);

    const std::vector<ReplayCommand> script = ParseReplayScript(recording.str());
    ReplaySetup setup = SetUpReplay(script, std::nullopt, std::nullopt);
    Replay replay(std::move(setup.boards), *setup.random);
    std::ostringstream out;
    replay.Run(script, out);
    EXPECT_EQ(out.str(), expected.str());

    // In the window, at the game's own pace from another clock, ending paused.
    testing::FakePlatform screen;
    screen.now = 70'000;
    screen.MoveAt(70'500, 10);  // the player's own input takes no part, but for the sound switch
    screen.KeyAt(70'600, kKeyM);
    screen.CloseAt(200'000);
    std::ostringstream notes;
    ScriptPlayer player(screen, script, notes);
    SeededRandom again(77);
    Game shown(player, again, testing::LoaderOf(set[0]));
    testing::FakeSound sound;
    shown.sound = &sound;
    shown.Set = set;
    player.Attach(shown);
    shown.Form_Load();
    std::ostringstream replayed;
    DumpGame(shown, replayed);
    EXPECT_EQ(replayed.str(), expected.str());
    EXPECT_EQ(screen.captions.back(), "Replay ended");
    EXPECT_EQ(shown.Paused, core::kTrue);
    EXPECT_FALSE(sound.on);

    // A script's frames while paused only move the clock, and inputs before its first frame
    // come before the loop draws one, in the window as without it.
    const std::vector<ReplayCommand> handWritten =
        ParseReplayScript("seed 5\nkey P\nframes 50\nmove 99\nrelease\nkey P\nframes 3\n");
    testing::FakePlatform other;
    other.CloseAt(100'000);
    ScriptPlayer paused(other, handWritten, notes);
    SeededRandom five(5);
    Game game2(paused, five, testing::LoaderOf(set[0]));
    paused.Attach(game2);
    game2.StartUp();
    game2.DoEvents();
    game2.GameLoop();
    std::ostringstream windowed;
    DumpGame(game2, windowed);
    setup = SetUpReplay(handWritten, set[0], std::nullopt);
    Replay windowless(std::move(setup.boards), *setup.random);
    std::ostringstream plain;
    windowless.Run(handWritten, plain);
    windowless.Dump(plain);
    EXPECT_EQ(windowed.str(), plain.str());
    EXPECT_EQ(game2.FramesDrawn, 3u);
}

}  // namespace
}  // namespace game
