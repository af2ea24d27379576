#pragma once

// One Brickwright window with scripted dialogs and a temporary folder, shared by the editor's
// tests and the reliability tests: helpers that drive it as the window system does, and a
// snapshot of everything the editor holds or shows, so a test can prove that a command changed
// nothing (or exactly what it should).

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
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
#include "editor/main_window.h"
#include "editor/picture_view.h"
#include "shared/board_file.h"
#include "shared/board_model.h"
#include "shared/colour.h"
#include "tests/editor/bmp_writer.h"
#include "tests/editor/scripted_dialogs.h"

namespace editor::testing {

// The classic entry first, so it is the default, then what lets a user find any picture or a
// board saved without its extension.
inline constexpr const char* kBitmapFilterStart = "Bitmaps (*.bmp)|*.bmp|All pictures|";
inline constexpr const char* kBoardFilter = "Vantor Boards (*.brd)|*.brd|All files (*)|*";
// The board view's top-left corner in the client area.
inline constexpr int kViewLeft = 8;
inline constexpr int kViewTop = 8;

// Twelve colours, black, white and 0x20 bytes among them, so that even a 4-bit sheet holds them.
inline constexpr std::array<std::uint32_t, 12> kSheetColours = {
    0x000000, 0xFFFFFF, 0x202020, 0xFF0000, 0x00FF00, 0x0000FF,
    0x563412, 0x123456, 0xFEDCBA, 0x808080, 0x01FF7F, 0x7F00FE,
};

// Pixel (x, y) of every test sheet, 0x00RRGGBB. Neighbouring pixels, rows and bricks differ.
inline std::uint32_t SheetColour(int x, int y) {
    return kSheetColours[static_cast<std::size_t>((x + 2 * y + 5 * (x / 30)) % 12)];
}

inline core::BrickPixels ExpectedPixels(int brick) {
    core::BrickPixels pixels{};
    for (int row = 0; row < 15; ++row) {
        for (int col = 0; col < 30; ++col) {
            const std::uint32_t c = SheetColour(30 * brick + col, row);
            const std::size_t at = core::PixelOffset(col, row);
            pixels[at] = static_cast<std::uint8_t>(c >> 16);
            pixels[at + 1] = static_cast<std::uint8_t>(c >> 8);
            pixels[at + 2] = static_cast<std::uint8_t>(c);
        }
    }
    return pixels;
}

// A brick of one colour, for boards made without a sheet.
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

inline std::vector<core::Rgb32> Pixels(const core::PictureBox& box) {
    return {box.Image().begin(), box.Image().end()};
}

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

// Everything the user can see or the editor holds.
struct EditorSnapshot {
    core::Board board;
    WindowState state;
    std::vector<std::string> items;
    int listIndex = -1;
    std::array<bool, 3> options{};
    std::vector<core::Rgb32> view;
    std::vector<core::Rgb32> preview;
    std::vector<core::Rgb32> sheet;
    std::string caption;

    bool operator==(const EditorSnapshot&) const = default;
};

class EditorFixture : public ::testing::Test {
  protected:
    // How long a test waits for something that takes no time on a quiet machine.
    static constexpr int kPatienceMilliseconds = 30000;

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        // Every test starts without settings or a recovery copy of an earlier one.
        QSettings().clear();
        std::filesystem::remove_all(RecoveryCopy::StandardFolder());
        window_ = std::make_unique<MainWindow>(board_, dialogs_);
        form_ = &window_->Form();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get(), kPatienceMilliseconds));
    }
    void TearDown() override {
        EXPECT_TRUE(dialogs_.Exhausted()) << "a scripted answer was never asked for";
    }

    std::filesystem::path Folder() const { return dir_.path().toStdString(); }
    std::string Path(const std::string& name) const { return (Folder() / name).string(); }

    PictureView& View() { return *form_->findChild<PictureView*>(QStringLiteral("PicDisp")); }
    PictureView& Preview() { return *form_->findChild<PictureView*>(QStringLiteral("PicBrick")); }
    QComboBox& Palette() { return *form_->findChild<QComboBox*>(QStringLiteral("cmdBricks")); }
    QRadioButton& Option(int index) {
        return *form_->findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(index));
    }
    QPushButton& Button(const char* name) {
        return *form_->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    void Click(const char* name) { QTest::mouseClick(&Button(name), Qt::LeftButton); }
    void ClickOption(int index) { QTest::mouseClick(&Option(index), Qt::LeftButton); }
    void Pick(int index) {
        Palette().setCurrentIndex(index);
        emit Palette().activated(index);
    }
    QWidget* TopLevel() { return form_->window(); }
    QWindow* Window() { return TopLevel()->windowHandle(); }
    std::string Caption() { return TopLevel()->windowTitle().toStdString(); }

    // Mouse events as the window system delivers them, in board-view pixels (the window routes
    // them, so a held button keeps the view receiving movements from outside it).
    QPoint InWindow(int x, int y) const {
        return form_->mapTo(form_->window(), QPoint(kViewLeft + x, kViewTop + y));
    }
    void WindowMove(int x, int y) { QTest::mouseMove(Window(), InWindow(x, y)); }
    void WindowPress(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers keys = {}) {
        QTest::mousePress(Window(), button, keys, InWindow(x, y));
    }
    void WindowRelease(Qt::MouseButton button, int x, int y, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseRelease(Window(), button, keys, InWindow(x, y));
    }

    // A movement straight to the view, for fractional positions and any button state.
    void SendMove(double x, double y, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent event(QEvent::MouseMove, QPointF(x, y), View().mapToGlobal(QPointF(x, y)),
                          Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&View(), &event);
    }
    void SendPress(Qt::MouseButton button, Qt::MouseButtons held, double x, double y) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(x, y),
                          View().mapToGlobal(QPointF(x, y)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&View(), &event);
    }

    std::string WriteSheet(const char* name, int bricks, BmpEncoding encoding = BmpEncoding::Rgb24,
                           int height = 15, int width = -1) {
        const std::string path = Path(name);
        EXPECT_TRUE(WriteBmp(path, width < 0 ? 30 * bricks : width, height, encoding, SheetColour));
        return path;
    }
    void WriteBoardFile(const std::string& path, core::Board board) {
        core::SaveBoard(path, board);
    }

    void ImportSheet(const std::string& path) {
        dialogs_.Choose(path);
        Click("cmdLoadBricks");
    }
    // Over unsaved work the editor first asks whether to save it; the work is discarded.
    void LoadBoardFile(const std::string& path) {
        if (form_->IsModified()) {
            dialogs_.Answer("Discard");
        }
        dialogs_.Choose(path);
        Click("cmdLoadBoard");
    }
    void SaveBoardFile(const std::string& path) {
        dialogs_.Choose(path);
        Click("cmdSaveBoard");
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

    // A working editor with something in every part: a three-brick sheet, brick 3 selected and
    // marked unbreakable, and two painted cells.
    void MakeBusyEditor() {
        ImportSheet(WriteSheet("busy.bmp", 3));
        Pick(2);
        ClickOption(2);
        WindowPress(Qt::LeftButton, 45, 20);
        WindowRelease(Qt::LeftButton, 45, 20);
        WindowPress(Qt::LeftButton, 95, 50);
        WindowRelease(Qt::LeftButton, 95, 50);
        ASSERT_EQ(board_.Cells(1, 1), (core::BoardCell{core::kTrue, 2}));
        ASSERT_EQ(board_.Cells(3, 3), (core::BoardCell{core::kTrue, 2}));
    }

    // The same from a board file: three bricks loaded from work/busy.brd (the last one
    // unbreakable), a few cells painted, the last brick selected.
    void MakeBusyEditorFromBoard() {
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
        Pick(2);
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
        s.view = Pixels(View().Picture());
        s.preview = Pixels(Preview().Picture());
        s.sheet = Pixels(form_->SheetPicture());
        s.caption = Caption();
        return s;
    }

    core::ColorRef ViewPixel(int x, int y) { return View().Picture().GetPixel(x, y); }

    QTemporaryDir dir_;
    core::Board board_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
    Form1* form_ = nullptr;  // the window's client area
};

}  // namespace editor::testing
