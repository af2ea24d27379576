#pragma once

// A Brickwright window with scripted dialogs, a temporary folder, and what is needed to prove
// that a failed command changed nothing: a snapshot of everything the editor holds or shows, and
// of every file in the folder.

#include <QComboBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/form1.h"
#include "editor/picture_view.h"
#include "shared/board_file.h"
#include "shared/board_model.h"
#include "tests/editor/scripted_dialogs.h"

namespace reliability {

// Everything the editor holds or shows.
struct EditorSnapshot {
    core::Board board;
    editor::WindowState state;
    std::vector<std::string> items;
    int listIndex = -1;
    std::array<bool, 3> options{};
    std::vector<core::Rgb32> view;
    std::vector<core::Rgb32> preview;
    std::vector<core::Rgb32> sheet;
    std::string caption;

    bool operator==(const EditorSnapshot& o) const {
        return board == o.board && state.CursorCol == o.state.CursorCol &&
               state.CursorRow == o.state.CursorRow && state.BricksLoaded == o.state.BricksLoaded &&
               items == o.items && listIndex == o.listIndex && options == o.options &&
               view == o.view && preview == o.preview && sheet == o.sheet && caption == o.caption;
    }
};

// Every file below a folder, by relative path: its bytes (folders and other kinds by name only).
using FolderContents = std::map<std::string, std::vector<char>>;

inline std::vector<char> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline FolderContents Contents(const std::filesystem::path& folder) {
    FolderContents contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = std::filesystem::relative(entry.path(), folder).string();
        const std::filesystem::file_status status = entry.symlink_status();
        if (std::filesystem::is_regular_file(status)) {
            // Large sparse files are compared by size: their bytes are holes.
            const auto size = std::filesystem::file_size(entry.path());
            const std::string sizeText = "size " + std::to_string(size);
            contents[name] = size > (std::uintmax_t{64} << 20)
                                 ? std::vector<char>(sizeText.begin(), sizeText.end())
                                 : ReadBytes(entry.path());
        } else {
            contents[name] = {'<', static_cast<char>('0' + static_cast<int>(status.type())), '>'};
        }
    }
    return contents;
}

// A brick of one colour.
inline core::BrickRecord SolidBrick(std::int32_t index, std::uint8_t r, std::uint8_t g,
                                    std::uint8_t b) {
    core::BrickRecord brick;
    brick.Index = index;
    for (std::size_t at = 0; at < brick.Pixels.size(); at += 3) {
        brick.Pixels[at] = r;
        brick.Pixels[at + 1] = g;
        brick.Pixels[at + 2] = b;
    }
    return brick;
}

// The bytes of a saved board.
inline std::vector<char> BoardBytes(core::Board board) {
    core::PrepareHeaderForSave(board);
    const std::vector<std::byte> bytes = core::EncodeBoard(board);
    std::vector<char> chars(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        chars[i] = static_cast<char>(bytes[i]);
    }
    return chars;
}

class EditorFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        form_ = std::make_unique<editor::Form1>(board_, dialogs_);
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }
    void TearDown() override {
        EXPECT_TRUE(dialogs_.Exhausted()) << "a scripted answer was never asked for";
    }

    std::filesystem::path Folder() const { return dir_.path().toStdString(); }
    std::string Path(const std::string& name) const { return (Folder() / name).string(); }

    editor::PictureView& View() {
        return *form_->findChild<editor::PictureView*>(QStringLiteral("PicDisp"));
    }
    editor::PictureView& Preview() {
        return *form_->findChild<editor::PictureView*>(QStringLiteral("PicBrick"));
    }
    QComboBox& Palette() { return *form_->findChild<QComboBox*>(QStringLiteral("cmdBricks")); }
    QRadioButton& Option(int index) {
        return *form_->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(index));
    }

    void LoadBoardFile(const std::string& path) {
        dialogs_.Choose(path);
        form_->cmdLoadBoard_Click();
    }
    void SaveBoardFile(const std::string& path) {
        dialogs_.Choose(path);
        form_->cmdSaveBoard_Click();
    }
    void ImportSheet(const std::string& path) {
        dialogs_.Choose(path);
        form_->cmdLoadBricks_Click();
    }

    // The one message the last command showed; fails the test if there was not exactly one.
    std::string TakeMessage() {
        EXPECT_EQ(dialogs_.messages.size(), 1u);
        if (dialogs_.messages.empty()) {
            return {};
        }
        EXPECT_EQ(dialogs_.messages.back().Caption, "Brickwright");
        std::string text = dialogs_.messages.back().Text;
        dialogs_.messages.clear();
        return text;
    }

    // A working editor with something in every part: a board of three bricks loaded (the last
    // one unbreakable), a few cells painted, the last brick selected.
    void MakeBusyEditor() {
        core::Board file;
        file.Bricks = {SolidBrick(0, 200, 30, 30), SolidBrick(1, 30, 160, 60),
                       SolidBrick(2, 40, 60, 200)};
        file.Bricks[2].Unbreakable = core::kTrue;
        file.Cells(1, 1) = {core::kTrue, 0};
        file.Cells(5, 3) = {core::kTrue, 2};
        file.Cells(6, 3) = {core::kFalse, 1};
        const std::filesystem::path busy = Folder() / "work" / "busy.brd";
        std::filesystem::create_directories(busy.parent_path());
        WriteBytes(busy, BoardBytes(file));
        LoadBoardFile(busy.string());
        ASSERT_TRUE(dialogs_.messages.empty());
        Palette().setCurrentIndex(2);
        emit Palette().activated(2);
        form_->PicDisp_MouseMove(1, 0, 95, 50);  // paints brick 3 at (3, 3)
        ASSERT_EQ(board_.Cells(3, 3), (core::BoardCell{core::kTrue, 2}));
    }

    EditorSnapshot Take() {
        EditorSnapshot s;
        s.board = board_;
        s.state = form_->State();
        for (int i = 0; i < Palette().count(); ++i) {
            s.items.push_back(Palette().itemText(i).toStdString());
        }
        s.listIndex = Palette().currentIndex();
        for (int i = 0; i < 3; ++i) {
            s.options[static_cast<std::size_t>(i)] = Option(i).isChecked();
        }
        auto pixels = [](const core::PictureBox& box) {
            return std::vector<core::Rgb32>(box.Image().begin(), box.Image().end());
        };
        s.view = pixels(View().Picture());
        s.preview = pixels(Preview().Picture());
        s.sheet = pixels(form_->SheetPicture());
        s.caption = form_->windowTitle().toStdString();
        return s;
    }

    QTemporaryDir dir_;
    core::Board board_;
    editor::testing::ScriptedDialogs dialogs_;
    std::unique_ptr<editor::Form1> form_;
};

}  // namespace reliability
