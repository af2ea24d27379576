#pragma once

// Brickwright as the browser page sees it: the desktop editor's board document behind the few
// calls the page makes, with pictures and boards as bytes (no files, no toolkit). The page owns
// the controls, files and storage; everything that decides what an edit does is here, in the
// same code the desktop editor runs, so both save the same bytes for the same edits. Plain C++,
// so it is tested natively; brickwright_web.cpp exports it to the page.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "editor/board_document.h"
#include "editor/painting.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace editor {

class BrowserEditor {
  public:
    enum class PointerKind { Move = 0, Press = 1, Release = 2 };
    enum class Command { Undo = 0, Redo = 1, New = 2, Clear = 3, ToggleMirror = 4 };

    BrowserEditor();
    BrowserEditor(const BrowserEditor&) = delete;
    BrowserEditor& operator=(const BrowserEditor&) = delete;

    // A sheet the browser decoded: width x height RGBA pixels. Returns the sheet rules' message
    // (naming the file) for a refused one, "" for an accepted one.
    std::string ImportSheet(std::span<const std::uint8_t> rgba, int width, int height,
                            const std::string& name);

    // The pointer over the board view, in view pixels, as the desktop editor's board view takes
    // it: a press of the left or right button starts a stroke (with Shift, a rectangle filled or
    // emptied at the release of the same button; the left with Ctrl fills a region), the middle
    // button picks the cell's brick; a move carries the buttons held. shift: 1 Shift, 2 Ctrl.
    // Returns false for a painting press before there are bricks.
    bool Pointer(PointerKind kind, std::int16_t button, int shift, double x, double y);
    void Select(int brick) { document_.Select(brick); }
    // Returns false when there is no brick to take the option.
    bool ChooseOption(int index) { return document_.ChooseOption(index); }
    void Run(Command command);

    // A board file's bytes as the board file `name`: as saved (clean), or (unsaved) as work not
    // yet in that file, which stays modified until it is saved. All or nothing; returns the
    // message, "" when it opened.
    std::string Open(std::span<const std::byte> bytes, const std::string& name, bool unsaved);
    // Save: the board file's bytes (Bytes()) for `name`, and the board is clean. Returns the
    // message, "" when saved; without bricks nothing is saved.
    std::string Save(const std::string& name);
    // The board as it stands as a file's bytes (Bytes()), without saving it: for storage, play
    // and links. False without bricks.
    bool Encode();
    const std::vector<std::byte>& Bytes() const { return bytes_; }

    // The board view redrawn from the document, and brick `index` (white where the table lacks
    // it), as RGBA pixels.
    const std::vector<std::uint8_t>& View();
    const std::vector<std::uint8_t>& Brick(int index);
    // Everything the page's controls show, as JSON; "revision" grows with every change of the
    // document, so the page redraws and keeps the work only then.
    std::string State() const;
    // The status line's words on the bricks left to clear.
    std::string ToClearText() const;

    static constexpr const char* kNoBricksMessage =
        "Load a brick sheet first (Load Bricks), or load a board";

  private:
    // The rectangle a Shift-drag outlines until its button is released.
    struct RectangleDrag {
        GridCell From;
        GridCell To;
        std::int16_t Button;
    };

    core::Board board_;
    BoardDocument document_{board_};
    BoardFiles files_;
    std::span<const std::byte> incoming_;  // what Open reads
    std::vector<std::byte> bytes_;
    core::PictureBox view_{kViewWidth, kViewHeight};
    std::vector<std::uint8_t> viewRgba_;
    std::vector<std::uint8_t> brickRgba_;
    std::optional<RectangleDrag> rectangle_;
    bool filled_ = false;  // a Ctrl-click filled a region: the rest of that drag paints nothing
    GridCell cursor_{0, 0};
    std::uint64_t revision_ = 0;
};

}  // namespace editor
