// Brickwright in a web page: BrowserEditor (the desktop editor's board document) exported to the
// page's script, editor_page.js. Texts and bytes returned live until the next call that returns
// one.

#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "editor/web/browser_editor.h"

namespace {

editor::BrowserEditor brickwright;
std::string text;

const char* Text(std::string value) {
    text = std::move(value);
    return text.c_str();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* brickwright_import_sheet(const std::uint8_t* rgba, int width,
                                                          int height, const char* name) {
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    return Text(brickwright.ImportSheet(std::span(rgba, size), width, height, name));
}

// kind 0 moves, 1 presses, 2 releases.
EMSCRIPTEN_KEEPALIVE int brickwright_pointer(int kind, int button, int shift, float x, float y) {
    return brickwright.Pointer(static_cast<editor::BrowserEditor::PointerKind>(kind),
                               static_cast<std::int16_t>(button), shift, static_cast<double>(x),
                               static_cast<double>(y));
}

EMSCRIPTEN_KEEPALIVE void brickwright_select(int brick) {
    brickwright.Select(brick);
}

EMSCRIPTEN_KEEPALIVE int brickwright_option(int index) {
    return brickwright.ChooseOption(index);
}

// 0 undo, 1 redo, 2 new, 3 clear, 4 mirror on or off.
EMSCRIPTEN_KEEPALIVE void brickwright_command(int command) {
    if (command >= 0 && command <= 4) {
        brickwright.Run(static_cast<editor::BrowserEditor::Command>(command));
    }
}

EMSCRIPTEN_KEEPALIVE const char* brickwright_open(const std::uint8_t* bytes, int size,
                                                  const char* name, int unsaved) {
    return Text(brickwright.Open(std::as_bytes(std::span(bytes, static_cast<std::size_t>(size))),
                                 name, unsaved != 0));
}

EMSCRIPTEN_KEEPALIVE const char* brickwright_save(const char* name) {
    return Text(brickwright.Save(name));
}

// The size of the board's bytes, 0 without bricks.
EMSCRIPTEN_KEEPALIVE int brickwright_encode() {
    return brickwright.Encode() ? static_cast<int>(brickwright.Bytes().size()) : 0;
}

EMSCRIPTEN_KEEPALIVE const std::byte* brickwright_bytes() {
    return brickwright.Bytes().data();
}

EMSCRIPTEN_KEEPALIVE int brickwright_bytes_size() {
    return static_cast<int>(brickwright.Bytes().size());
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* brickwright_view() {
    return brickwright.View().data();
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* brickwright_brick(int index) {
    return brickwright.Brick(index).data();
}

EMSCRIPTEN_KEEPALIVE const char* brickwright_state() {
    return Text(brickwright.State());
}

}  // extern "C"

int main() {
    return 0;
}
