#include "tools/brdtool/layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "shared/brick_drawing.h"
#include "tests/tools/test_support.h"

namespace brdtool {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

Layout Parse(const std::string& text) {
    std::istringstream in(text);
    return ParseLayout(in, "test.layout");
}

std::string ParseError(const std::string& text) {
    try {
        Parse(text);
    } catch (const LayoutError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(BrickCodes, RoundTripEveryIndexAndRejectEverythingElse) {
    for (int i = 0; i < kBrickCodeCount; ++i) {
        const char code = BrickCode(i);
        ASSERT_NE(code, '\0') << i;
        EXPECT_EQ(BrickIndexOfCode(code), i) << code;
    }
    EXPECT_EQ(BrickCode(0), '0');
    EXPECT_EQ(BrickCode(10), 'a');
    EXPECT_EQ(BrickCode(35), 'z');
    EXPECT_EQ(BrickCode(36), 'A');
    EXPECT_EQ(BrickCode(61), 'Z');
    EXPECT_EQ(BrickCode(62), '\0');
    EXPECT_EQ(BrickCode(-1), '\0');
    for (char c : std::string(".#: -_\t\x80")) {
        EXPECT_EQ(BrickIndexOfCode(c), -1) << static_cast<int>(c);
    }
}

TEST(ParseLayout, ReadsCellsFlagsCommentsAndLineEndings) {
    std::string text =
        "\xEF\xBB\xBF# a comment line after a byte order mark\r\n\r\nunbreakable: 1, "
        "2\r\nExplosive:a\r\n";
    for (int row = 0; row < 20; ++row) {
        std::string line(20, '.');
        if (row == 0) {
            line = "0123456789abcdefghij";
        }
        if (row == 19) {
            line[19] = 'Z';
        }
        // Indentation, trailing comments and Windows line ends are all allowed.
        text += (row == 5 ? "   " : "") + line + (row == 7 ? "  # seventh" : "") + "\r\n";
    }
    text += "# trailing comment\n";

    const Layout layout = Parse(text);
    EXPECT_EQ(layout.Cells[core::BoardCells::Element(0, 0)].Brick, 0);
    EXPECT_EQ(layout.Cells[core::BoardCells::Element(10, 0)].Brick, 10);
    EXPECT_EQ(layout.Cells[core::BoardCells::Element(19, 0)].Brick, 19);
    EXPECT_EQ(layout.Cells[core::BoardCells::Element(19, 19)].Brick, 61);
    EXPECT_EQ(layout.Cells[core::BoardCells::Element(3, 5)].Brick, -1);
    // Positions point into the file: grid row 0 is line 5.
    EXPECT_EQ(layout.Cells[core::BoardCells::Element(4, 0)].Line, 5);
    EXPECT_EQ(layout.Cells[core::BoardCells::Element(4, 0)].Column, 5);
    EXPECT_EQ(layout.Cells[core::BoardCells::Element(0, 5)].Column, 4);
    ASSERT_EQ(layout.Unbreakable.size(), 2u);
    EXPECT_EQ(layout.Unbreakable[0].Brick, 1);
    EXPECT_EQ(layout.Unbreakable[1].Brick, 2);
    EXPECT_EQ(layout.Unbreakable[1].Line, 3);
    ASSERT_EQ(layout.Explosive.size(), 1u);
    EXPECT_EQ(layout.Explosive[0].Brick, 10);
}

TEST(ParseLayout, ReportsMalformedLinesWithTheirPosition) {
    const std::string row(20, '.');
    const auto grid = [&](int rows) {
        std::string text;
        for (int i = 0; i < rows; ++i) {
            text += row + "\n";
        }
        return text;
    };
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"# header\n" + row + "\n" + "....%..............." + "\n" + grid(18),
         "test.layout: line 3, column 5: (cell 5,2) '%' is neither '.' (empty) nor a brick code"},
        {grid(2) + "  ... ................\n" + grid(17),
         "test.layout: line 3, column 6: (cell 4,3) a space is neither"},
        {grid(4) + "...\t................\n" + grid(15), "line 5, column 4: (cell 4,5) byte 0x09"},
        {grid(3) + std::string(19, '.') + "\n" + grid(16),
         "test.layout: line 4: grid row 4 has 19 cells; every row needs exactly 20"},
        {grid(3) + std::string(21, '.') + "\n" + grid(16), "line 4: grid row 4 has 21 cells"},
        {grid(19) + "\n# end\n", "test.layout: line 21: the layout ends after 19 grid rows"},
        {grid(20) + row + "\n", "test.layout: line 21: more than 20 grid rows"},
        {"brittle: 3\n" + grid(20), "test.layout: line 1: unknown setting \"brittle\""},
        {"\nexplosive: 10\n" + grid(20), "test.layout: line 2: \"10\" is not a brick code"},
        {"unbreakable: 1 %\n" + grid(20), "line 1: \"%\" is not a brick code"},
        {"", "test.layout: no grid rows"},
        {"# only comments\n\n", "test.layout: no grid rows"},
    };
    for (const Case& c : cases) {
        EXPECT_THAT(ParseError(c.text), HasSubstr(c.message)) << c.text;
    }
}

TEST(ParseLayout, ReportsEveryFaultInLineOrderUpToTwenty) {
    // Faults found in the grid, in flag lines after it and in the file as a whole, mixed.
    std::string text = "brittle: 1\n";
    for (int row = 0; row < 19; ++row) {
        text += row == 2 ? "%%.................." : std::string(20, '.');
        text += "\n";
    }
    text += "explosive: 99\n";
    std::istringstream in(text);
    const Layout layout = ReadLayout(in, "t");
    ASSERT_EQ(layout.Faults.size(), 5u);
    try {
        throw LayoutError("t", layout.Faults);
    } catch (const LayoutError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "t: line 1: unknown setting \"brittle\"; a layout knows \"unbreakable:\" and "
                  "\"explosive:\"\n"
                  "t: line 4, column 1: (cell 1,3) '%' is neither '.' (empty) nor a brick code "
                  "(0-9, a-z, A-Z)\n"
                  "t: line 4, column 2: (cell 2,3) '%' is neither '.' (empty) nor a brick code "
                  "(0-9, a-z, A-Z)\n"
                  "t: line 21: \"99\" is not a brick code (one character: 0-9, a-z, A-Z)\n"
                  "t: line 21: the layout ends after 19 grid rows; it needs exactly 20");
    }
    // A row of 25 bad characters has 27 faults: the first twenty are listed, the rest counted.
    std::istringstream many(std::string(25, '%') + "\n");
    const std::string report = ParseError(many.str());
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 20) << report;
    // The two faults of the whole line come first, then the characters from the left.
    EXPECT_THAT(report, HasSubstr("column 18: (cell 18,1)"));
    EXPECT_THAT(report, Not(HasSubstr("column 19")));
    EXPECT_THAT(report, ::testing::EndsWith("test.layout: 7 more errors not shown"));
}

class BuildBoardTest : public ::testing::Test {
  protected:
    static Layout LayoutWith(const std::string& header, const std::string& firstRow) {
        std::string text = header;
        text += firstRow + "\n";
        for (int i = 1; i < 20; ++i) {
            text += std::string(20, '.') + "\n";
        }
        return Parse(text);
    }
    static std::string BuildError(const Layout& layout, int bricks) {
        try {
            BuildBoard(layout, testing_support::MakeSheet(bricks));
        } catch (const LayoutError& e) {
            return e.what();
        }
        return "(no error)";
    }
};

TEST_F(BuildBoardTest, CutsEveryBrickLikeTheImportAndPlacesTheCells) {
    const core::PictureBox sheet = testing_support::MakeSheet(12);
    const Layout layout = LayoutWith("unbreakable: 9\nexplosive: b\n", "b.........9........0");
    const core::Board board = BuildBoard(layout, sheet);

    ASSERT_EQ(board.Bricks.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        const core::BrickRecord& brick = board.Bricks[static_cast<std::size_t>(i)];
        EXPECT_EQ(brick.Index, i);
        EXPECT_EQ(brick.Pixels, core::ReadBrickPixels(sheet, i));
        EXPECT_EQ(brick.Unbreakable, i == 9 ? core::kTrue : core::kFalse) << i;
        EXPECT_EQ(brick.Explosive, i == 11 ? core::kTrue : core::kFalse) << i;
    }
    EXPECT_EQ(board.Cells(0, 0), (core::BoardCell{core::kTrue, 11}));
    EXPECT_EQ(board.Cells(10, 0), (core::BoardCell{core::kTrue, 9}));
    EXPECT_EQ(board.Cells(19, 0), (core::BoardCell{core::kTrue, 0}));
    // Empty cells are as a fresh editor leaves them.
    EXPECT_EQ(board.Cells(1, 0), (core::BoardCell{core::kFalse, 0}));
    EXPECT_EQ(board.Cells(19, 19), (core::BoardCell{core::kFalse, 0}));
}

TEST_F(BuildBoardTest, RejectsBricksTheSheetDoesNotHold) {
    EXPECT_THAT(BuildError(LayoutWith("", "...3................"), 3),
                StartsWith("test.layout: line 1, column 4: (cell 4,1) Brick 4 [3] is not on the "
                           "sheet, which holds 3 bricks (Brick 1 to Brick 3, codes 0-2)"));
    EXPECT_THAT(BuildError(LayoutWith("\n\nexplosive: c\n", std::string(20, '.')), 12),
                HasSubstr("line 3: Brick 13 [c] is not on the sheet, which holds 12 bricks "
                          "(Brick 1 to Brick 12, codes 0-9, a-b)"));
    EXPECT_THAT(BuildError(LayoutWith("", "1..................."), 1),
                HasSubstr("holds 1 brick (Brick 1, code 0)"));
    // The last code of the alphabet needs the whole sheet.
    EXPECT_EQ(BuildError(LayoutWith("", "Z..................."), 62), "(no error)");
}

TEST_F(BuildBoardTest, RejectsABrickMarkedBothExplosiveAndUnbreakable) {
    EXPECT_THAT(
        BuildError(LayoutWith("explosive: 2\n# x\nunbreakable: 1 2\n", "2..................."), 3),
        HasSubstr("test.layout: line 3: Brick 3 [2] is already marked explosive on line 1"));
    EXPECT_THAT(BuildError(LayoutWith("unbreakable: 2\nexplosive: 2\n", "2..................."), 3),
                HasSubstr("line 2: Brick 3 [2] is already marked unbreakable on line 1"));
    // Marking the same flag twice is harmless.
    EXPECT_EQ(BuildError(LayoutWith("unbreakable: 2 2\nunbreakable: 2\n", std::string(20, '.')), 3),
              "(no error)");
}

TEST_F(BuildBoardTest, RejectsASheetOfTheWrongSize) {
    const Layout layout = LayoutWith("", std::string(20, '.'));
    for (auto [w, h] : {std::pair{45, 15}, {60, 16}, {30, 14}, {0, 0}}) {
        const core::PictureBox sheet(w, h);
        EXPECT_THROW(BuildBoard(layout, sheet), std::invalid_argument) << w << " x " << h;
    }
}

}  // namespace
}  // namespace brdtool
