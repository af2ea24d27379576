#pragma once

// The game window Form1 without any toolkit: its state, its event handlers and the frame loop.
// What the loop needs from the outside world (clock, events, caption, screen) comes through
// Platform, and the ball angles come from an injected Random, so the whole game runs headless and
// deterministically when both are fakes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "game/balls/balls.h"
#include "game/random.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"
#include "shared/vb_types.h"

namespace game {

// Window layout in pixels: the client area and the playfield inside it.
inline constexpr int kClientWidth = 613;
inline constexpr int kClientHeight = 507;
inline constexpr int kPlayfieldLeft = 8;
inline constexpr int kPlayfieldTop = 8;
// (kPlayfieldWidth and kPlayfieldHeight come with the balls, whose walls they are.)

// Frames start at most this often, counted from the start of the previous frame.
inline constexpr std::uint64_t kFrameInterval = 10;

// Mouse buttons and shift states as the handlers receive them.
inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;
inline constexpr std::int16_t kShiftMask = 1;
inline constexpr std::int16_t kCtrlMask = 2;
inline constexpr std::int16_t kAltMask = 4;

// Virtual key code of the P key, the pause toggle.
inline constexpr std::int16_t kKeyP = 80;

// One window event, as the platform delivers it to the handlers.
struct InputEvent {
    enum class Kind {
        MouseMove,    // PicDisp_MouseMove
        MouseDown,    // PicDisp_MouseDown (the game does nothing on a press)
        MouseUp,      // PicDisp_MouseUp
        KeyDown,      // PicDisp_KeyDown
        QueryUnload,  // the window is asked to close
    };
    Kind kind = Kind::MouseMove;
    std::int16_t Button = 0;   // 1 left, 2 right, 4 middle, their sum when several are held
    std::int16_t Shift = 0;    // 1 Shift, 2 Ctrl, 4 Alt
    std::int16_t KeyCode = 0;  // virtual key code
    float X = 0;               // playfield pixels
    float Y = 0;
};

// Everything the window needs from the toolkit.
class Platform {
  public:
    virtual ~Platform() = default;

    // Milliseconds since the system started; 64 bits, so it never wraps.
    virtual std::uint64_t TickCount() = 0;
    // The next pending window event, or nothing when the queue is empty. Events the window
    // handles itself (painting, resizing) never come out here.
    virtual std::optional<InputEvent> PollEvent() = 0;
    // Blocks until an event is pending or, when a tick is given, the tick counter reaches it.
    // Returns at once when an event is already pending. Dispatches nothing.
    virtual void WaitEvent(std::optional<std::uint64_t> untilTick) = 0;
    virtual void Show() = 0;
    virtual void SetCaption(std::string_view caption) = 0;
    // Copies the playfield's working image to the screen.
    virtual void Present(const core::PictureBox& playfield) = 0;
};

// Fills the board at start-up. Throws core::BoardError when there is no board to play.
using BoardLoader = std::function<void(core::Board&)>;

struct Game {
    Game(Platform& platform, Random& random, BoardLoader loadBoard);

    // Window state.
    core::VbBool Paused = core::kFalse;
    core::VbBool Running = core::kFalse;
    double LastFpsTime = 0;       // tick count of the last frame-rate update
    std::int32_t FrameCount = 0;  // frames since the last frame-rate update

    // Paddle, playfield pixels; PaddleX and PaddleY are its centre.
    std::int32_t PaddleX = 0;
    std::int32_t PaddleY = 0;
    std::int32_t PaddleWidth = 0;
    std::int32_t PaddleHeight = 0;

    BallList Balls;
    core::Board Board;

    // The paddle and the rest of the world as the ball code sees them.
    Paddle BallPaddle() const { return {PaddleX, PaddleY, PaddleWidth, PaddleHeight}; }
    BallWorld World(core::PictureBox& playfield) {
        return {BallPaddle(), Board, playfield, *random};
    }

    core::PictureBox PicDisp;      // the playfield
    core::PictureBox PicBall;      // the ball sprite
    core::PictureBox PicBallMask;  // the ball mask

    Platform* platform;
    Random* random;
    BoardLoader loadBoard;

    // Start-up, then the frame loop; returns when the window has been closed.
    void Form_Load();
    // Start-up up to the frame loop: playfield, paddle, first ball, window, board.
    void StartUp();
    void GameLoop();
    // The drawing part of one frame, after the pause wait: background, balls, paddle, screen,
    // frame-rate update.
    void DrawFrame();
    // Hands every pending event to its handler.
    void DoEvents();
    void Dispatch(const InputEvent& event);

    void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode);
    void PicDisp_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
    void PicDisp_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void PicDisp_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
};

}  // namespace game
