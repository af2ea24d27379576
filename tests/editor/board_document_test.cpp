#include "editor/board_document.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace editor {
namespace {

using namespace std::chrono_literals;

// Boards kept in memory by name; a name never saved fails to load, as a missing file does.
struct MemoryFiles {
    std::map<std::string, core::Board> boards;
    BoardFiles files{[this](const std::string& name, core::Board& board) {
                         if (!boards.contains(name)) {
                             throw std::runtime_error(name + ": no such board");
                         }
                         board = boards.at(name);
                     },
                     [this](const std::string& name, core::Board& board) { boards[name] = board; }};
};

core::PictureBox Sheet(int bricks) {
    core::PictureBox sheet(30 * bricks, 15);
    for (std::size_t i = 0; i < sheet.Image().size(); ++i) {
        sheet.Image()[i] = static_cast<core::Rgb32>(0x010203 * (i % 97));
    }
    return sheet;
}

// Everything the document holds that undo and redo must give back.
struct Snapshot {
    core::Board board;
    core::VbBool loaded;
    PaletteView palette;
    std::vector<core::Rgb32> sheet;
    bool operator==(const Snapshot&) const = default;
};

class BoardDocumentTest : public ::testing::Test {
  protected:
    Snapshot Take() const {
        return {board_,
                document_.BricksLoaded(),
                document_.Palette(),
                {document_.Sheet().Image().begin(), document_.Sheet().Image().end()}};
    }
    void Click(GridCell cell, std::int16_t button = kLeftButton) {
        document_.StrokeTo(cell, button);
        document_.EndStroke();
    }

    std::chrono::steady_clock::time_point now_{};
    core::Board board_;
    BoardDocument document_{board_, [this] { return now_; }};
    MemoryFiles disk_;
};

TEST_F(BoardDocumentTest, EveryCommandIsOneStepThatUndoAndRedoGiveBackExactly) {
    std::vector<Snapshot> states{Take()};
    const auto step = [&] { states.push_back(Take()); };
    ASSERT_EQ(document_.ImportSheet(Sheet(3)), core::SheetCheck::Accepted);
    step();
    document_.Select(2);  // a selection is no step: it belongs to the state it was made in
    states.back() = Take();
    document_.StrokeTo({0, 0}, kLeftButton);
    document_.StrokeTo({3, 2}, kLeftButton);  // a fast drag: the cells between are painted too
    document_.EndStroke();
    EXPECT_EQ(board_.Cells(1, 0), (core::BoardCell{core::kTrue, 2}));
    step();
    EXPECT_TRUE(document_.ChooseOption(2));
    EXPECT_EQ(board_.Bricks[2].Unbreakable, core::kTrue);
    step();
    document_.FillRectangle({5, 5}, {2, 3}, kLeftButton);
    step();
    document_.StrokeTo({1, 0}, kRightButton);
    document_.EndStroke();
    EXPECT_EQ(board_.Cells(1, 0), (core::BoardCell{core::kFalse, 2}));
    step();
    ASSERT_EQ(document_.ImportSheet(Sheet(1)), core::SheetCheck::Accepted);
    step();
    document_.ClearBoard();
    step();
    EXPECT_EQ(document_.ImportSheet(core::PictureBox(45, 15)), core::SheetCheck::WrongSize);
    ASSERT_EQ(document_.StepCount(), states.size() - 1);

    for (std::size_t at = states.size() - 1; at > 0; --at) {
        EXPECT_EQ(document_.UndoText().empty(), false);
        document_.Undo();
        ASSERT_EQ(Take(), states[at - 1]) << "undo to state " << at - 1;
    }
    EXPECT_FALSE(document_.CanUndo());
    for (std::size_t at = 1; at < states.size(); ++at) {
        document_.Redo();
        ASSERT_EQ(Take(), states[at]) << "redo to state " << at;
    }
    EXPECT_EQ(document_.UndoText(), "Clear Board");
}

TEST_F(BoardDocumentTest, UndoBackToTheSavedStateIsCleanAndAStrokeUndoneMidwayEndsFirst) {
    disk_.boards["a.brd"].Bricks.resize(2);
    document_.Open(disk_.files, "a.brd");
    EXPECT_FALSE(document_.IsModified());
    document_.StrokeTo({4, 4}, kLeftButton);
    EXPECT_TRUE(document_.IsModified());  // before the button is released
    document_.StrokeTo({6, 4}, kLeftButton);
    // Undo pressed with the button still held: the stroke so far is one step, taken back.
    document_.Undo();
    EXPECT_EQ(board_.Cells, disk_.boards["a.brd"].Cells);
    EXPECT_FALSE(document_.IsModified());
    document_.StrokeTo({7, 4}, kLeftButton);  // the drag goes on as a stroke of its own
    document_.Redo();                         // ends it: there is nothing to redo then
    EXPECT_EQ(board_.Cells(7, 4).Used, core::kTrue);
    EXPECT_EQ(board_.Cells(5, 4).Used, core::kFalse);
    EXPECT_EQ(document_.StepCount(), 1u);

    document_.Save(disk_.files, "b.brd");
    EXPECT_FALSE(document_.IsModified());
    EXPECT_EQ(document_.CurrentFile(), "b.brd");
    document_.Undo();
    EXPECT_TRUE(document_.IsModified());
    document_.Redo();
    EXPECT_FALSE(document_.IsModified());
    // A new step after undoing past the saved state leaves that state out of reach.
    document_.Undo();
    Click({0, 0});
    document_.Undo();
    EXPECT_TRUE(document_.IsModified());

    // A failed load changes nothing; a restored copy is never clean until it is saved.
    const Snapshot before = Take();
    EXPECT_THROW(document_.Open(disk_.files, "missing.brd"), std::runtime_error);
    EXPECT_EQ(Take(), before);
    document_.Restore(disk_.files, "b.brd", "a.brd");
    EXPECT_TRUE(document_.IsModified());
    EXPECT_EQ(document_.CurrentFile(), "a.brd");
    EXPECT_FALSE(document_.CanUndo());
}

TEST_F(BoardDocumentTest, MirrorAndFloodFillAreOneStepEach) {
    ASSERT_EQ(document_.ImportSheet(Sheet(2)), core::SheetCheck::Accepted);
    document_.SetMirror(true);
    document_.StrokeTo({2, 1}, kLeftButton);
    document_.StrokeTo({2, 3}, kLeftButton);
    document_.EndStroke();
    for (const int row : {1, 2, 3}) {
        EXPECT_EQ(board_.Cells(17, row), (core::BoardCell{core::kTrue, 0})) << row;
    }
    Click({17, 2}, kRightButton);  // erases both sides
    EXPECT_EQ(board_.Cells(2, 2).Used, core::kFalse);
    document_.SetMirror(false);
    ASSERT_EQ(document_.StepCount(), 3u);

    // Bricks 0 stand at (2, 1), (2, 3), (17, 1) and (17, 3): a fill on one of them changes only
    // that one, which has no neighbour holding the same; a fill on an empty cell reaches every
    // empty cell, all of them joined.
    const core::BoardCells before = board_.Cells;
    document_.Select(1);
    document_.FloodFill({2, 1});
    EXPECT_EQ(board_.Cells(2, 1), (core::BoardCell{core::kTrue, 1}));
    EXPECT_EQ(board_.Cells(2, 3), (core::BoardCell{core::kTrue, 0}));
    document_.FloodFill({0, 0});
    int filled = 0;
    ForEachCell(kFirstCell, kLastCell, [&](GridCell cell) {
        filled += board_.Cells(cell.Column, cell.Row) == core::BoardCell{core::kTrue, 1} ? 1 : 0;
    });
    EXPECT_EQ(filled, 400 - 3);
    document_.FloodFill({5, 5});  // already that brick: no step
    ASSERT_EQ(document_.StepCount(), 5u);
    document_.Undo();
    document_.Undo();
    EXPECT_EQ(board_.Cells, before);
}

TEST_F(BoardDocumentTest, ASteadyPainterGetsARecoveryCopyWithinTheDelay) {
    ASSERT_EQ(document_.ImportSheet(Sheet(1)), core::SheetCheck::Accepted);
    RecoverySchedule& recovery = document_.Recovery();
    EXPECT_TRUE(recovery.Pending());
    recovery.Written();
    for (int second = 0; second < 25; ++second) {
        Click({second % 20, second / 20});
        EXPECT_EQ(recovery.IsDue(), second == 10 || second == 21) << second;
        if (recovery.IsDue()) {
            recovery.Written();
        }
        now_ += 1s;
    }
    // Nothing unsaved: no copy wanted.
    document_.Save(disk_.files, "c.brd");
    EXPECT_FALSE(recovery.Pending());
}

}  // namespace
}  // namespace editor
