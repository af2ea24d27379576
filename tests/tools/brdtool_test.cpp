#include "tools/brdtool/commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>

#include <sstream>
#include <string>
#include <vector>

#include "shared/board_file.h"
#include "shared/brick_drawing.h"
#include "tests/tools/test_support.h"
#include "tools/brdtool/layout.h"

namespace brdtool {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using testing_support::ReadBytes;
using testing_support::RunCli;
using testing_support::TempDir;
using testing_support::WriteText;

// A layout text: the given first rows, the rest empty.
std::string LayoutText(const std::string& header, const std::vector<std::string>& rows) {
    std::string text = header;
    for (std::size_t i = 0; i < 20; ++i) {
        text += (i < rows.size() ? rows[i] : std::string(20, '.')) + "\n";
    }
    return text;
}

class CommandsTest : public ::testing::Test {
  protected:
    fs::path SaveSheet(int width, int height, const char* name = "sheet.bmp") const {
        const fs::path path = dir_ / name;
        EXPECT_TRUE(testing_support::MakeSheetImage(width, height)
                        .save(QString::fromStdString(path.string())));
        return path;
    }
    fs::path SaveBoard(core::Board board, const char* name = "board.brd") const {
        const fs::path path = dir_ / name;
        core::SaveBoard(path, board);
        return path;
    }

    TempDir dir_;
};

TEST_F(CommandsTest, BuildWritesABoardThatLoadsBackAsTheLayoutSays) {
    const fs::path sheet = SaveSheet(4 * 30, 15);
    const std::string layout =
        LayoutText("# four bricks\nunbreakable: 3\nexplosive: 1\n",
                   {"0123................", "....................", "...................3"});
    WriteText(dir_ / "board.layout", layout);
    const fs::path out = dir_ / "out.brd";

    const auto r = RunCli({"build", "--sheet", sheet.string(), "--layout",
                           (dir_ / "board.layout").string(), "-o", out.string()});
    ASSERT_EQ(r.Status, kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("4 bricks, 5 used cells"));
    EXPECT_EQ(fs::file_size(out), core::BoardFileSize(4));

    core::Board loaded;
    core::LoadBoard(out, loaded);
    std::istringstream in(layout);
    const core::Board expected = BuildBoard(ParseLayout(in, "x"), testing_support::MakeSheet(4));
    EXPECT_EQ(loaded.Cells, expected.Cells);
    EXPECT_EQ(loaded.Bricks, expected.Bricks);
    EXPECT_EQ(loaded.Header.LastBrickIndex, 3);
    EXPECT_EQ(std::string(loaded.Header.Magic.data(), 4), "VNTR");
    EXPECT_EQ(loaded.Cells(19, 2), (core::BoardCell{core::kTrue, 3}));
    EXPECT_EQ(loaded.Bricks[3].Unbreakable, core::kTrue);
    EXPECT_EQ(loaded.Bricks[1].Explosive, core::kTrue);
    // The sheet's pixels arrive unchanged: brick 2, pixel (29, 14) is sheet pixel (89, 14).
    const QRgb c = testing_support::SheetColour(89, 14);
    const std::size_t at = core::PixelOffset(29, 14);
    EXPECT_EQ(loaded.Bricks[2].Pixels[at], qRed(c));
    EXPECT_EQ(loaded.Bricks[2].Pixels[at + 1], qGreen(c));
    EXPECT_EQ(loaded.Bricks[2].Pixels[at + 2], qBlue(c));

    // Any picture format QImage reads will do for the sheet.
    const fs::path png = SaveSheet(4 * 30, 15, "sheet.png");
    const auto again =
        RunCli({"build", "--sheet", png.string(), "--layout", (dir_ / "board.layout").string(),
                "--output", (dir_ / "again.brd").string()});
    ASSERT_EQ(again.Status, kExitOk) << again.Err;
    EXPECT_EQ(ReadBytes(dir_ / "again.brd"), ReadBytes(out));
}

TEST_F(CommandsTest, BuildFailsWithAMessageAndLeavesTheOutputAlone) {
    const fs::path good = SaveSheet(60, 15, "good.bmp");
    const fs::path wide = SaveSheet(45, 15, "wide.bmp");
    const fs::path tall = SaveSheet(60, 16, "tall.bmp");
    WriteText(dir_ / "notapicture.bmp", "BM this is no bitmap");
    // More pixels than any sheet may have (refused before decoding, as the editor does), in a
    // small file.
    QImage huge(4200, 4200, QImage::Format_Mono);
    huge.fill(0);
    ASSERT_TRUE(huge.save(QString::fromStdString((dir_ / "huge.png").string())));
    WriteText(dir_ / "good.layout", LayoutText("", {"01.................."}));
    WriteText(dir_ / "bad.layout", LayoutText("", {"01.2................"}));
    const fs::path out = dir_ / "out.brd";
    WriteText(out, "the old board");

    struct Case {
        fs::path sheet, layout, output;
        std::string message;
    };
    const Case cases[] = {
        {wide, dir_ / "good.layout", out,
         "wide.bmp: the sheet is 45 x 15 pixels. Invalid file size. Must be n*30 width and 15 "
         "height"},
        {tall, dir_ / "good.layout", out, "tall.bmp: the sheet is 60 x 16 pixels. Invalid"},
        {dir_ / "missing.bmp", dir_ / "good.layout", out,
         "missing.bmp: cannot read the picture: No such file or directory"},
        {dir_ / "notapicture.bmp", dir_ / "good.layout", out, "cannot read the picture"},
        {dir_ / "huge.png", dir_ / "good.layout", out,
         "huge.png: cannot read the picture: it is 4200 x 4200 pixels, more than any brick sheet "
         "can be"},
        {good, dir_ / "missing.layout", out,
         "missing.layout: cannot open the layout: No such file or directory"},
        {good, dir_.Path(), out, "cannot read the layout: Is a directory"},
        {good, dir_ / "bad.layout", out,
         "bad.layout: line 1, column 4: (cell 4,1) Brick 3 [2] is not on the sheet"},
        {good, dir_ / "good.layout", dir_ / "no-such-folder" / "out.brd",
         "no-such-folder/out.brd: cannot save: cannot create a file in"},
        {good, dir_ / "good.layout", dir_.Path(), ""},
    };
    for (const Case& c : cases) {
        const auto r = RunCli({"build", "--sheet", c.sheet.string(), "--layout", c.layout.string(),
                               "-o", c.output.string()});
        EXPECT_EQ(r.Status, kExitFailure) << c.message;
        EXPECT_THAT(r.Err, AllOf(StartsWith("brdtool: "), HasSubstr(c.message)));
        EXPECT_EQ(r.Out, "");
    }
    EXPECT_EQ(ReadBytes(out),
              std::vector<char>({'t', 'h', 'e', ' ', 'o', 'l', 'd', ' ', 'b', 'o', 'a', 'r', 'd'}));
    EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
}

TEST_F(CommandsTest, CheckAcceptsWhatTheLoaderAcceptsAndNothingElse) {
    core::Board board;
    board.Bricks.resize(2);
    const fs::path good = SaveBoard(board);

    auto r = RunCli({"check", good.string()});
    EXPECT_EQ(r.Status, kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("board.brd: ok, 2 bricks, 0 used cells"));

    // One byte short of the second brick.
    auto bytes = ReadBytes(good);
    bytes.pop_back();
    const fs::path truncated = dir_ / "truncated.brd";
    WriteText(truncated, std::string(bytes.begin(), bytes.end()));
    r = RunCli({"check", truncated.string()});
    EXPECT_EQ(r.Status, kExitFailure);
    EXPECT_THAT(r.Err, HasSubstr("truncated.brd"));
    EXPECT_EQ(r.Out, "");

    const fs::path missing = dir_ / "missing.brd";
    r = RunCli({"check", missing.string()});
    EXPECT_EQ(r.Status, kExitFailure);
    EXPECT_THAT(r.Err, HasSubstr("missing.brd"));
    EXPECT_FALSE(fs::exists(missing));

    EXPECT_EQ(RunCli({"check", dir_.Path().string()}).Status, kExitFailure);
}

TEST_F(CommandsTest, InfoShowsHeaderBricksMapAndWarnings) {
    core::Board board;
    board.Bricks.resize(3);
    for (int i = 0; i < 3; ++i) {
        board.Bricks[static_cast<std::size_t>(i)].Index = i;
    }
    board.Bricks[0].Index = 7;
    board.Bricks[1].Unbreakable = core::kTrue;
    board.Bricks[2].Explosive = 1;  // not the editor's value, but read as set
    board.Cells(0, 0) = {core::kTrue, 0};
    board.Cells(19, 19) = {core::kTrue, 2};
    board.Cells(5, 2) = {core::kTrue, 7};    // beyond the table
    board.Cells(6, 2) = {1, 0};              // not exactly -1
    board.Cells(7, 2) = {core::kFalse, 99};  // a cleared cell keeps its index: no warning
    const fs::path file = SaveBoard(board);
    { std::ofstream(file, std::ios::binary | std::ios::app) << "tail"; }

    const auto r = RunCli({"info", file.string()});
    ASSERT_EQ(r.Status, kExitOk) << r.Err;
    EXPECT_THAT(r.Out, HasSubstr("board.brd: 6492 bytes (4 after the last brick, ignored"));
    EXPECT_THAT(r.Out, HasSubstr("  Magic             \"VNTR\"\n"
                                 "  Version           1\n"
                                 "  BrickTableOffset  2414\n"
                                 "  LastBrickIndex    2\n"));
    // Bricks, cells, rows and columns are numbered as the editor's palette and caption do.
    EXPECT_THAT(r.Out, HasSubstr("  Brick 1 [0]   plain, Index field 7\n"
                                 "  Brick 2 [1]   unbreakable\n"
                                 "  Brick 3 [2]   explosive (stored as 1)\n"));
    EXPECT_THAT(r.Out, HasSubstr("Used cells: 3 of 400"));
    EXPECT_THAT(r.Out, HasSubstr("\n             11111111112\n    12345678901234567890\n"
                                 "  1 0...................\n"));
    EXPECT_THAT(r.Out, HasSubstr("\n  3 .....!?.............\n"));
    EXPECT_THAT(r.Out, HasSubstr("\n 20 ...................2\n"));
    const std::string warnings =
        "  cell 6,3 shows Brick 8 [7], but the table holds 3 bricks; the game neither draws nor "
        "destroys it\n"
        "  cell 7,3 has Used = 1; only -1 counts as used, so it stays empty\n";
    EXPECT_THAT(r.Out, HasSubstr("2 warnings:\n" + warnings));
    EXPECT_THAT(r.Out, Not(HasSubstr("cell 8,3")));

    // check passes it and says there are warnings; check --strict fails on them.
    auto check = RunCli({"check", file.string()});
    EXPECT_EQ(check.Status, kExitOk);
    EXPECT_THAT(check.Out, HasSubstr(": ok, 3 bricks, 3 used cells, 2 warnings (brdtool info"));
    check = RunCli({"check", "--strict", file.string()});
    EXPECT_EQ(check.Status, kExitFailure);
    EXPECT_EQ(check.Out, "");
    EXPECT_THAT(check.Err, HasSubstr("board.brd: cell 6,3 shows Brick 8 [7]"));
    EXPECT_THAT(check.Err, HasSubstr("board.brd: loads, but fails --strict with 2 warnings\n"));
    board.Cells(5, 2).Used = core::kFalse;
    board.Cells(6, 2).Used = core::kFalse;
    EXPECT_EQ(RunCli({"check", "--strict", SaveBoard(board).string()}).Status, kExitOk);

    EXPECT_THAT(RunCli({"info", (dir_ / "missing.brd").string()}).Err,
                HasSubstr("missing.brd: cannot open: No such file or directory"));
}

TEST_F(CommandsTest, CheckWarnsAboutABoardWithNothingToClear) {
    core::Board board;
    board.Bricks.resize(2);
    board.Bricks[1].Unbreakable = core::kTrue;
    board.Cells(5, 1) = {core::kTrue, 1};
    board.Cells(5, 2) = {core::kTrue, 0};
    EXPECT_EQ(RunCli({"check", "--strict", SaveBoard(board).string()}).Status, kExitOk);

    board.Cells(5, 2).Used = core::kFalse;
    const std::string file = SaveBoard(board).string();
    const auto r = RunCli({"check", "--strict", file});
    EXPECT_EQ(r.Status, kExitFailure);
    EXPECT_EQ(r.Err, "brdtool: " + file +
                         ": no cell holds a breakable brick, so there is nothing to clear\n"
                         "brdtool: " +
                         file + ": loads, but fails --strict with 1 warning\n");
}

TEST(WriteInfo, ShowsOddHeadersAndBricksWithoutACode) {
    core::Board board;
    board.Header.Magic = {'X', '\0', '"', '\xFF'};
    board.Header.Version = -3;
    board.Bricks.resize(71);
    for (std::size_t i = 0; i < board.Bricks.size(); ++i) {
        board.Bricks[i].Index = static_cast<std::int32_t>(i);
    }
    board.Cells(3, 4) = {core::kTrue, 70};
    board.Cells(4, 4) = {core::kTrue, 61};
    board.Cells(5, 4) = {core::kTrue, -1};
    std::ostringstream out;
    WriteInfo(board, core::BoardFileSize(71), "odd.brd", out);
    EXPECT_THAT(out.str(), HasSubstr("odd.brd: 98832 bytes\n"));
    EXPECT_THAT(out.str(), HasSubstr("Magic             \"X\\x00\\x22\\xFF\""));
    EXPECT_THAT(out.str(), HasSubstr("Version           -3"));
    EXPECT_THAT(out.str(), HasSubstr("  Brick 62 [Z]  plain\n  Brick 63      plain\n"));
    EXPECT_THAT(out.str(), HasSubstr("\n  5 ...*Z!..............\n"));
    EXPECT_THAT(out.str(),
                HasSubstr("2 warnings:\n  the file does not start with \"VNTR\" but with "
                          "\"X\\x00\\x22\\xFF\"; the game and the editor load it"));
    EXPECT_THAT(out.str(), HasSubstr("cell 6,5 shows brick index -1, but the table holds 71"));
}

TEST_F(CommandsTest, RenderDrawsEveryUsedCellAndLeavesTheRestWhite) {
    const core::PictureBox sheet = testing_support::MakeSheet(3);
    std::istringstream layout(LayoutText("", {"0..................."}));
    core::Board board = BuildBoard(ParseLayout(layout, "x"), sheet);
    board.Cells(19, 19) = {core::kTrue, 2};
    board.Cells(10, 7) = {core::kTrue, 1};
    board.Cells(11, 7) = {core::kTrue, 1};
    board.Cells(5, 5) = {core::kTrue, 9};  // beyond the table: not drawn
    board.Cells(6, 6) = {1, 0};            // not exactly -1: not drawn
    board.Cells(7, 7) = {core::kFalse, 2};
    const fs::path file = SaveBoard(board);
    const fs::path png = dir_ / "board.png";

    const auto r = RunCli({"render", file.string(), png.string()});
    ASSERT_EQ(r.Status, kExitOk) << r.Err;
    const QImage image(QString::fromStdString(png.string()));
    ASSERT_EQ(image.width(), 600);
    ASSERT_EQ(image.height(), 300);
    int mismatches = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 600; ++x) {
            const core::BoardCell& cell = board.Cells(x / 30, y / 15);
            QRgb expected = qRgb(255, 255, 255);
            if (cell.Used == core::kTrue && cell.BrickIndex < 3) {
                expected = testing_support::SheetColour(30 * cell.BrickIndex + x % 30, y % 15);
            }
            if ((image.pixel(x, y) & 0xFFFFFFu) != (expected & 0xFFFFFFu) && ++mismatches < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
            }
        }
    }
    EXPECT_EQ(mismatches, 0);

    EXPECT_EQ(RunCli({"render", (dir_ / "missing.brd").string(), png.string()}).Status,
              kExitFailure);
    const auto unwritable =
        RunCli({"render", file.string(), (dir_ / "no-such-folder" / "b.png").string()});
    EXPECT_EQ(unwritable.Status, kExitFailure);
    EXPECT_THAT(unwritable.Err,
                HasSubstr("b.png: cannot write the picture: No such file or directory"));
    EXPECT_THAT(RunCli({"render", file.string(), (dir_ / "b.txt").string()}).Err,
                HasSubstr("b.txt: cannot write the picture: the name does not end in a picture"));
    EXPECT_FALSE(fs::exists(dir_ / "b.txt"));
}

TEST(CommandLine, ReportsUsageErrorsWithStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frob"},
        {"--bogus"},
        {"info"},
        {"info", "a.brd", "b.brd"},
        {"check", "--bogus", "a.brd"},
        {"render", "a.brd"},
        {"build", "extra", "--sheet", "s", "--layout", "l", "-o", "o"},
        {"build", "--sheet", "s", "--layout", "l"},
        {"build", "--sheet", "", "--layout", "l", "-o", "o"},
        {"build", "--sheet"},
    };
    for (const auto& args : cases) {
        const auto r = RunCli(args);
        const std::string shown = args.empty() ? "(nothing)" : args[0];
        EXPECT_EQ(r.Status, kExitUsage) << shown;
        EXPECT_THAT(r.Err, AllOf(StartsWith("brdtool"), HasSubstr("--help")));
        EXPECT_EQ(r.Out, "");
    }
    EXPECT_THAT(RunCli({"build", "--sheet", "s", "--layout", "l"}).Err,
                HasSubstr("brdtool build: --output OUT.brd is missing"));
    EXPECT_THAT(RunCli({"frob"}).Err, HasSubstr("unknown command \"frob\""));
}

TEST(CommandLine, GivesHelpForTheToolAndEveryCommand) {
    auto r = RunCli({"--help"});
    EXPECT_EQ(r.Status, kExitOk);
    for (const char* command : {"info", "check", "render", "build"}) {
        EXPECT_THAT(r.Out, HasSubstr(std::string("\n  ") + command + " "));
        const auto help = RunCli({command, "--help"});
        EXPECT_EQ(help.Status, kExitOk) << command;
        EXPECT_THAT(help.Out, HasSubstr(std::string(" ") + command + " [options]"));
        EXPECT_EQ(RunCli({command, "-h"}).Out, help.Out);
    }
    EXPECT_THAT(RunCli({"build", "--help"}).Out,
                AllOf(HasSubstr("--sheet <SHEET.bmp>"), HasSubstr("--layout <LAYOUT.txt>"),
                      HasSubstr("-o, --output <OUT.brd>")));
    r = RunCli({"--version"});
    EXPECT_EQ(r.Status, kExitOk);
    EXPECT_THAT(r.Out, StartsWith("brdtool "));
}

}  // namespace
}  // namespace brdtool
