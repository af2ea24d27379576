// Brickwright in a web page: the desktop editor's board document, painting rule, sheet rules and
// board codec behind a few functions the page's script (editor_page.js) calls. The page owns the
// controls, files and storage; everything that decides what an edit does lives here, in the same
// code the desktop editor runs, so both save the same bytes for the same edits.

#include <emscripten.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "editor/board_document.h"
#include "editor/painting.h"
#include "shared/board_codec.h"
#include "shared/brick_drawing.h"
#include "shared/brick_sheet.h"
#include "shared/bricks_to_clear.h"
#include "shared/colour.h"

namespace {

using editor::GridCell;

core::Board board;
editor::BoardDocument document{board};
core::PictureBox view{editor::kViewWidth, editor::kViewHeight};
// What the page reads back: the view and a brick as RGBA, a board's bytes, a text.
std::vector<std::uint8_t> viewRgba(std::size_t{editor::kViewWidth} * editor::kViewHeight * 4);
std::vector<std::uint8_t> brickRgba(std::size_t{core::kCellWidth} * core::kCellHeight * 4);
std::vector<std::byte> boardBytes;
std::string text;
// The bytes Open and Restore read, by whatever name the page gives them.
std::span<const std::byte> incoming;

// The rectangle a Shift-drag outlines until its button is released, and whether a Ctrl-click
// filled a region (the rest of that drag paints nothing).
struct RectangleDrag {
    GridCell From;
    GridCell To;
    std::int16_t Button;
};
std::optional<RectangleDrag> rectangle;
bool filled = false;
GridCell cursor{0, 0};
// Grows with every change of the document, so the page redraws and keeps the work only then.
std::uint64_t revision = 0;

const editor::BoardFiles files{
    [](const std::string& name, core::Board& into) { into = core::DecodeBoard(incoming, name); },
    [](const std::string&, core::Board& from) {
        // As the desktop's save: the header filled in, then the whole file.
        core::PrepareHeaderForSave(from);
        boardBytes = core::EncodeBoard(from);
    }};

void ToRgba(std::span<const core::Rgb32> pixels, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const core::Rgb32 p = pixels[i];
        out[4 * i] = static_cast<std::uint8_t>(p >> 16);
        out[4 * i + 1] = static_cast<std::uint8_t>(p >> 8);
        out[4 * i + 2] = static_cast<std::uint8_t>(p);
        out[4 * i + 3] = 255;
    }
}

// The document's exceptions as the page's messages; "" when the command succeeded.
template <typename Command>
const char* Guarded(Command command) {
    text.clear();
    try {
        command();
    } catch (const std::bad_alloc&) {
        text = "Not enough memory to complete the command.";
    } catch (const std::exception& e) {
        text = e.what();
    }
    return text.c_str();
}

void Quote(std::string& out, const std::string& value) {
    out += '"';
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += ' ';
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string Counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What the status line says about the bricks left to clear: balls fly through every brick, so
// every breakable one is cleared sooner or later, and a board with only unbreakable bricks never.
std::string ToClearText() {
    std::size_t shown = 0;
    editor::ForEachCell(editor::kFirstCell, editor::kLastCell, [&](GridCell cell) {
        const core::BoardCell& model = board.Cells(cell.Column, cell.Row);
        if (model.Used == core::kTrue && board.FindBrick(model.BrickIndex) != nullptr) {
            ++shown;
        }
    });
    const auto toClear = static_cast<std::size_t>(core::CountBricksToClear(board));
    return toClear == 0 && shown > 0 ? "No breakable brick: the board can never be finished"
                                     : Counted(toClear, "brick to clear", "bricks to clear");
}

bool Paints(std::int16_t button) {
    return button == editor::kLeftButton || button == editor::kRightButton;
}

}  // namespace

extern "C" {

// A sheet the browser decoded: width x height RGBA pixels. Returns the message of the sheet
// rules for a refused one (naming the file), "" for an accepted one.
EMSCRIPTEN_KEEPALIVE const char* brickwright_import_sheet(const std::uint8_t* rgba, int width,
                                                          int height, const char* name) {
    return Guarded([&] {
        std::vector<core::Rgb32> pixels(static_cast<std::size_t>(width) *
                                        static_cast<std::size_t>(height));
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = core::Rgb32{rgba[4 * i]} << 16 | core::Rgb32{rgba[4 * i + 1]} << 8 |
                        core::Rgb32{rgba[4 * i + 2]};
        }
        core::PictureBox sheet;
        sheet.SetPicture(width, height, std::move(pixels));
        const float w = sheet.ScaleWidth();
        const float h = sheet.ScaleHeight();
        const core::SheetCheck check = document.ImportSheet(std::move(sheet));
        text = core::SheetCheckMessage(check, w, h, name);
    });
}

// The pointer over the board view, in view pixels: kind 0 moves, 1 presses, 2 releases `button`
// (1 left, 2 right, 4 middle; a move gives every button held). Shift 1 is the Shift key, 2 Ctrl.
// Returns false when painting needs bricks first.
EMSCRIPTEN_KEEPALIVE int brickwright_pointer(int kind, int button, int shift, float x, float y) {
    const GridCell cell = editor::CellUnderPointer(static_cast<double>(x), static_cast<double>(y));
    const auto held = static_cast<std::int16_t>(button);
    if (kind == 0) {
        cursor = cell;
    }
    if (document.BricksLoaded() == core::kFalse) {
        return !(kind == 1 && Paints(held));
    }
    if (kind == 0) {
        if (rectangle) {
            rectangle->To = cell;
        } else if (!filled) {
            document.StrokeTo(cell, held);
        }
    } else if (kind == 1) {
        document.EndStroke();
        rectangle.reset();
        filled = false;
        if ((shift & 1) != 0 && Paints(held)) {
            rectangle = RectangleDrag{cell, cell, held};
        } else if ((shift & 2) != 0 && held == editor::kLeftButton) {
            filled = true;
            document.FloodFill(cell);
        } else if (held == editor::kMiddleButton) {
            const core::BoardCell& model = board.Cells(cell.Column, cell.Row);
            if (model.Used == core::kTrue) {
                document.Select(model.BrickIndex);
            }
        } else {
            document.StrokeTo(cell, held);
        }
    } else if (rectangle) {
        if (held == rectangle->Button) {
            const RectangleDrag drag = *rectangle;
            rectangle.reset();
            document.FillRectangle(drag.From, cell, drag.Button);
        }
    } else {
        filled = false;
        document.EndStroke();
    }
    return 1;
}

EMSCRIPTEN_KEEPALIVE void brickwright_select(int brick) {
    document.Select(brick);
}

// Returns false when there is no brick to take the option.
EMSCRIPTEN_KEEPALIVE int brickwright_option(int index) {
    return document.ChooseOption(index);
}

EMSCRIPTEN_KEEPALIVE void brickwright_command(int command) {
    rectangle.reset();
    switch (command) {
        case 0:
            document.Undo();
            break;
        case 1:
            document.Redo();
            break;
        case 2:
            document.New();
            break;
        case 3:
            document.ClearBoard();
            break;
        case 4:
            document.SetMirror(!document.Mirror());
            break;
        default:
            break;
    }
}

// Opens `size` bytes as the board file `name`: as saved (clean), or (unsaved != 0) as work not
// yet in that file, which stays modified until it is saved. All or nothing; returns the message.
EMSCRIPTEN_KEEPALIVE const char* brickwright_open(const std::uint8_t* bytes, int size,
                                                  const char* name, int unsaved) {
    incoming = std::as_bytes(std::span(bytes, static_cast<std::size_t>(size)));
    rectangle.reset();
    const char* message = Guarded([&] {
        if (unsaved != 0) {
            document.Restore(files, name, name);
        } else {
            document.Open(files, name);
        }
    });
    incoming = {};
    return message;
}

// Save: the board file's bytes (brickwright_bytes) for `name`, and the board is clean. Without
// bricks nothing is saved and the message says what to do first.
EMSCRIPTEN_KEEPALIVE const char* brickwright_save(const char* name) {
    if (document.BricksLoaded() == core::kFalse) {
        text = "Load a brick sheet first (Load Bricks), or load a board";
        return text.c_str();
    }
    return Guarded([&] { document.Save(files, name); });
}

// The board as it stands as a file's bytes (brickwright_bytes), for storage, play and links,
// without saving it; returns the size, 0 without bricks.
EMSCRIPTEN_KEEPALIVE int brickwright_encode() {
    if (document.BricksLoaded() == core::kFalse) {
        return 0;
    }
    core::Board copy = board;
    return *Guarded([&] { files.Save("", copy); }) == '\0' ? static_cast<int>(boardBytes.size())
                                                           : 0;
}

EMSCRIPTEN_KEEPALIVE const std::byte* brickwright_bytes() {
    return boardBytes.data();
}
EMSCRIPTEN_KEEPALIVE int brickwright_bytes_size() {
    return static_cast<int>(boardBytes.size());
}

// The board view, redrawn from the document, as 601 x 301 RGBA pixels.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* brickwright_view() {
    view.Cls();
    editor::RedrawBoard(view, board);
    ToRgba(view.Image(), viewRgba);
    return viewRgba.data();
}

// Brick `index` as 30 x 15 RGBA pixels (white where the table lacks it).
EMSCRIPTEN_KEEPALIVE const std::uint8_t* brickwright_brick(int index) {
    core::PictureBox brick{core::kCellWidth, core::kCellHeight};
    core::DrawBrick(brick, 0, 0, board.Bricks, index, core::kFalse, core::ErasePattern::GridLines);
    ToRgba(brick.Image(), brickRgba);
    return brickRgba.data();
}

// Everything the page's controls show, as JSON.
EMSCRIPTEN_KEEPALIVE const char* brickwright_state() {
    const editor::PaletteView& palette = document.Palette();
    text = "{\"bricksLoaded\":" +
           std::string(document.BricksLoaded() != core::kFalse ? "true" : "false");
    text += ",\"bricks\":" + std::to_string(board.Bricks.size());
    text += ",\"revision\":" + std::to_string(revision);
    text += ",\"table\":" + std::to_string(document.TableRevision());
    text += ",\"selected\":" + std::to_string(palette.ListIndex);
    text += ",\"options\":[";
    for (std::size_t i = 0; i < palette.Options.size(); ++i) {
        text += (i ? "," : "") + std::string(palette.Options[i] ? "true" : "false");
    }
    text += "],\"canUndo\":" + std::string(document.CanUndo() ? "true" : "false");
    text += ",\"canRedo\":" + std::string(document.CanRedo() ? "true" : "false");
    text += ",\"undoText\":";
    Quote(text, document.UndoText());
    text += ",\"redoText\":";
    Quote(text, document.RedoText());
    text += ",\"modified\":" + std::string(document.IsModified() ? "true" : "false");
    text += ",\"mirror\":" + std::string(document.Mirror() ? "true" : "false");
    text += ",\"file\":";
    Quote(text, document.CurrentFile());
    text += ",\"cell\":";
    Quote(text, editor::CellCaption(cursor));
    text += ",\"toClear\":";
    Quote(text, ToClearText());
    text += ",\"brickCount\":";
    Quote(text, Counted(board.Bricks.size(), "brick", "bricks"));
    text += ",\"outline\":";
    if (rectangle) {
        const auto [c0, c1] = std::minmax(rectangle->From.Column, rectangle->To.Column);
        const auto [r0, r1] = std::minmax(rectangle->From.Row, rectangle->To.Row);
        text += "[" + std::to_string(c0 * core::kCellWidth) + "," +
                std::to_string(r0 * core::kCellHeight) + "," +
                std::to_string((c1 - c0 + 1) * core::kCellWidth) + "," +
                std::to_string((r1 - r0 + 1) * core::kCellHeight) + "]";
    } else {
        text += "null";
    }
    text += "}";
    return text.c_str();
}

}  // extern "C"

int main() {
    document.SetChangeHandler([] { ++revision; });
    return 0;
}
