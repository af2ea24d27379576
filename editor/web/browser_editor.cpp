#include "editor/web/browser_editor.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <utility>

#include "editor/status_texts.h"
#include "shared/board_codec.h"
#include "shared/brick_drawing.h"
#include "shared/brick_sheet.h"
#include "shared/colour.h"

namespace editor {

namespace {

void ToRgba(std::span<const core::Rgb32> pixels, std::vector<std::uint8_t>& out) {
    out.resize(pixels.size() * 4);
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
std::string Guarded(Command command) {
    try {
        command();
    } catch (const std::bad_alloc&) {
        return "Not enough memory to complete the command.";
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
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

const char* Bool(bool value) {
    return value ? "true" : "false";
}

bool Paints(std::int16_t button) {
    return button == kLeftButton || button == kRightButton;
}

}  // namespace

BrowserEditor::BrowserEditor() {
    files_.Load = [this](const std::string& name, core::Board& into) {
        into = core::DecodeBoard(incoming_, name);
    };
    files_.Save = [this](const std::string&, core::Board& from) {
        // As the desktop's save writes the file: the header filled in, then the whole board.
        core::PrepareHeaderForSave(from);
        bytes_ = core::EncodeBoard(from);
    };
    document_.SetChangeHandler([this] { ++revision_; });
}

std::string BrowserEditor::ImportSheet(std::span<const std::uint8_t> rgba, int width, int height,
                                       const std::string& name) {
    // The page refuses larger pictures before it copies them in; this keeps any other caller
    // from asking for more memory than a sheet can take.
    const std::int64_t area = std::int64_t{width} * height;
    if (width < 0 || height < 0 || area > core::kMaxSheetPixels ||
        rgba.size() < static_cast<std::size_t>(area) * 4) {
        return "Cannot load the picture \"" + name + "\": it is " +
               core::PictureSizeText(static_cast<float>(width), static_cast<float>(height)) +
               ", more than any brick sheet can be.";
    }
    return Guarded([&] {
        std::vector<core::Rgb32> pixels(static_cast<std::size_t>(area));
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = core::Rgb32{rgba[4 * i]} << 16 | core::Rgb32{rgba[4 * i + 1]} << 8 |
                        core::Rgb32{rgba[4 * i + 2]};
        }
        core::PictureBox sheet;
        sheet.SetPicture(width, height, std::move(pixels));
        const float w = sheet.ScaleWidth();
        const float h = sheet.ScaleHeight();
        const core::SheetCheck check = document_.ImportSheet(std::move(sheet));
        if (check != core::SheetCheck::Accepted) {
            throw std::runtime_error(core::SheetCheckMessage(check, w, h, name));
        }
    });
}

bool BrowserEditor::Pointer(PointerKind kind, std::int16_t button, int shift, double x, double y) {
    const GridCell cell = CellUnderPointer(x, y);
    if (kind == PointerKind::Move) {
        cursor_ = cell;
    }
    if (document_.BricksLoaded() == core::kFalse) {
        return !(kind == PointerKind::Press && Paints(button));
    }
    if (kind == PointerKind::Move) {
        if (rectangle_) {
            rectangle_->To = cell;
        } else if (!filled_) {
            document_.StrokeTo(cell, button);
        }
    } else if (kind == PointerKind::Press) {
        // A drag whose release never came ends with the next press.
        document_.EndStroke();
        rectangle_.reset();
        filled_ = false;
        if ((shift & 1) != 0 && Paints(button)) {
            rectangle_ = RectangleDrag{cell, cell, button};
        } else if ((shift & 2) != 0 && button == kLeftButton) {
            filled_ = true;
            document_.FloodFill(cell);
        } else if (button == kMiddleButton) {
            const core::BoardCell& model = board_.Cells(cell.Column, cell.Row);
            if (model.Used == core::kTrue) {
                document_.Select(model.BrickIndex);
            }
        } else {
            document_.StrokeTo(cell, button);
        }
    } else if (rectangle_) {
        if (button == rectangle_->Button) {
            const RectangleDrag drag = *rectangle_;
            rectangle_.reset();
            document_.FillRectangle(drag.From, cell, drag.Button);
        }
    } else {
        filled_ = false;
        document_.EndStroke();
    }
    return true;
}

void BrowserEditor::Run(Command command) {
    rectangle_.reset();
    switch (command) {
        case Command::Undo:
            document_.Undo();
            break;
        case Command::Redo:
            document_.Redo();
            break;
        case Command::New:
            document_.New();
            break;
        case Command::Clear:
            document_.ClearBoard();
            break;
        case Command::ToggleMirror:
            document_.SetMirror(!document_.Mirror());
            break;
    }
}

std::string BrowserEditor::Open(std::span<const std::byte> bytes, const std::string& name,
                                bool unsaved) {
    incoming_ = bytes;
    rectangle_.reset();
    std::string message = Guarded([&] {
        if (unsaved) {
            document_.Restore(files_, name, name);
        } else {
            document_.Open(files_, name);
        }
    });
    incoming_ = {};
    return message;
}

std::string BrowserEditor::Save(const std::string& name) {
    if (document_.BricksLoaded() == core::kFalse) {
        return kNoBricksMessage;
    }
    return Guarded([&] { document_.Save(files_, name); });
}

bool BrowserEditor::Encode() {
    if (document_.BricksLoaded() == core::kFalse) {
        return false;
    }
    core::Board copy = board_;
    return Guarded([&] { files_.Save("", copy); }).empty();
}

const std::vector<std::uint8_t>& BrowserEditor::View() {
    view_.Cls();
    RedrawBoard(view_, board_);
    ToRgba(view_.Image(), viewRgba_);
    return viewRgba_;
}

const std::vector<std::uint8_t>& BrowserEditor::Brick(int index) {
    core::PictureBox brick{core::kCellWidth, core::kCellHeight};
    core::DrawBrick(brick, 0, 0, board_.Bricks, index, core::kFalse, core::ErasePattern::GridLines);
    ToRgba(brick.Image(), brickRgba_);
    return brickRgba_;
}

std::string BrowserEditor::ToClearText() const {
    return BricksToClearText(board_);
}

std::string BrowserEditor::State() const {
    const PaletteView& palette = document_.Palette();
    std::string out = "{\"revision\":" + std::to_string(revision_);
    out += ",\"bricks\":" + std::to_string(board_.Bricks.size());
    out += ",\"table\":" + std::to_string(document_.TableRevision());
    out += ",\"selected\":" + std::to_string(palette.ListIndex);
    out += ",\"options\":[";
    for (std::size_t i = 0; i < palette.Options.size(); ++i) {
        out += std::string(i ? "," : "") + Bool(palette.Options[i]);
    }
    out += "],\"canUndo\":" + std::string(Bool(document_.CanUndo()));
    out += ",\"canRedo\":" + std::string(Bool(document_.CanRedo()));
    out += ",\"modified\":" + std::string(Bool(document_.IsModified()));
    out += ",\"mirror\":" + std::string(Bool(document_.Mirror()));
    for (const auto& [key, value] :
         {std::pair{"undoText", document_.UndoText()}, std::pair{"redoText", document_.RedoText()},
          std::pair{"file", document_.CurrentFile()}, std::pair{"cell", CellCaption(cursor_)},
          std::pair{"toClear", ToClearText()},
          std::pair{"brickCount", Counted(board_.Bricks.size(), "brick", "bricks")}}) {
        out += ",\"" + std::string(key) + "\":";
        Quote(out, value);
    }
    out += ",\"outline\":";
    if (rectangle_) {
        // The cells' outline in view pixels: x, y, width, height.
        const auto [c0, c1] = std::minmax(rectangle_->From.Column, rectangle_->To.Column);
        const auto [r0, r1] = std::minmax(rectangle_->From.Row, rectangle_->To.Row);
        out += "[" + std::to_string(c0 * core::kCellWidth) + "," +
               std::to_string(r0 * core::kCellHeight) + "," +
               std::to_string((c1 - c0 + 1) * core::kCellWidth) + "," +
               std::to_string((r1 - r0 + 1) * core::kCellHeight) + "]";
    } else {
        out += "null";
    }
    return out + "}";
}

}  // namespace editor
