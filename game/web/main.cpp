// Vantor in a web page: the same Game as on the desktop, on the WebPlatform. The page's script
// (page.js) turns pointer, key and file events into calls of the functions exported below.

#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "game/built_in_board.h"
#include "game/game.h"
#include "game/random.h"
#include "game/web/web_platform.h"
#include "game/web/web_sound.h"
#include "shared/board_file.h"
#include "shared/board_model.h"

// clang-format off
// The board the page's address names (a board link, or ?board=), fetched before the game starts;
// null without one. On failure it returns null and the page shows why; a board the game refuses
// is reported back (vantor_start_board_refused), so the page forgets it.
EM_ASYNC_JS(std::uint8_t*, vantor_fetch_start_board, (int* size), {
    const bytes = await Module.vantorFetchStartBoard();
    if (!bytes) return 0;
    const ptr = Module.vantorCopyIn(bytes);
    if (!ptr) {
        Module.vantorStartBoardRefused(Module.startBoardName + ': not enough memory to load it (' +
                                       bytes.length + ' bytes); playing the built-in board');
        return 0;
    }
    HEAP32[size >> 2] = bytes.length;
    return ptr;
});
EM_JS(void, vantor_show_message, (const char* text), {
    Module.vantorShowMessage(UTF8ToString(text));
});
EM_JS(void, vantor_start_board_name, (char* buffer, int size), {
    stringToUTF8(Module.vantorStartBoardName(), buffer, size);
});
EM_JS(void, vantor_start_board_refused, (const char* text), {
    Module.vantorStartBoardRefused(UTF8ToString(text));
});
// clang-format on

namespace {

game::WebPlatform platform;
// A board the player chose while a game runs; it is played from the next start-up on.
std::optional<core::Board> nextBoard;

core::Board StartBoard() {
    int size = 0;
    std::uint8_t* bytes = vantor_fetch_start_board(&size);
    const std::unique_ptr<std::uint8_t, decltype(&std::free)> owned(bytes, &std::free);
    if (bytes != nullptr) {
        char name[1024] = {};
        vantor_start_board_name(name, static_cast<int>(sizeof name));
        try {
            return core::DecodeBoard(
                std::as_bytes(std::span(bytes, static_cast<std::size_t>(size))), name);
        } catch (const std::exception& e) {
            vantor_start_board_refused(
                (std::string(e.what()) + "; playing the built-in board").c_str());
        }
    }
    return core::DecodeBoard(game::BuiltInBoard(), "the built-in board");
}

}  // namespace

extern "C" {

// kind: 0 move, 1 press, 2 release; x and y in playfield pixels.
EMSCRIPTEN_KEEPALIVE void vantor_pointer(int kind, int button, int shift, float x, float y) {
    game::InputEvent event;
    event.kind = kind == 0   ? game::InputEvent::Kind::MouseMove
                 : kind == 1 ? game::InputEvent::Kind::MouseDown
                             : game::InputEvent::Kind::MouseUp;
    event.Button = static_cast<std::int16_t>(button);
    event.Shift = static_cast<std::int16_t>(shift);
    event.X = x;
    event.Y = y;
    platform.Queue(event);
}

// down: 1 pressed, 0 let go; repeat: 1 for the keyboard's repeats of a held key.
EMSCRIPTEN_KEEPALIVE void vantor_key(int down, int keyCode, int shift, int repeat) {
    game::InputEvent event;
    event.kind = down != 0 ? game::InputEvent::Kind::KeyDown : game::InputEvent::Kind::KeyUp;
    event.KeyCode = static_cast<std::int16_t>(keyCode);
    event.Shift = static_cast<std::int16_t>(shift);
    event.Repeat = repeat != 0;
    platform.Queue(event);
}

// A gamepad's left stick, from -1 (left) to 1 (right).
EMSCRIPTEN_KEEPALIVE void vantor_stick(float x) {
    game::InputEvent event;
    event.kind = game::InputEvent::Kind::PadStick;
    event.X = x;
    platform.Queue(event);
}

// A board file the player chose. All or nothing: a file that cannot be read changes nothing and
// its message is returned; a good one ends the running game, which starts over on it. The
// returned text lives until the next call.
EMSCRIPTEN_KEEPALIVE const char* vantor_load_board(const std::uint8_t* bytes, int size,
                                                   const char* name) {
    static std::string message;
    message.clear();
    try {
        nextBoard = core::DecodeBoard(
            std::as_bytes(std::span(bytes, static_cast<std::size_t>(size))), name);
    } catch (const std::exception& e) {
        message = e.what();
        return message.c_str();
    }
    // The same way out as closing the window: the loop ends between two frames, also from the
    // pause.
    game::InputEvent close;
    close.kind = game::InputEvent::Kind::QueryUnload;
    platform.Queue(close);
    return message.c_str();
}

}  // extern "C"

int main() {
    try {
        core::Board board = StartBoard();
        game::ClockRandom random;
        game::WebSound sound;
        // A board loaded while paused starts paused, as a board dropped onto the desktop
        // game's window does.
        core::VbBool paused = core::kFalse;
        for (;;) {
            auto form = std::make_unique<game::Game>(
                platform, random, [&board](core::Board& target) { target = board; });
            form->sound = &sound;
            form->Paused = paused;
            form->Form_Load();
            if (!nextBoard) {
                break;
            }
            paused = form->Paused;
            board = std::move(*nextBoard);
            nextBoard.reset();
        }
    } catch (const std::exception& e) {
        vantor_show_message((std::string("The game stopped: ") + e.what()).c_str());
        return 1;
    }
    return 0;
}
