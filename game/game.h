#pragma once

// The game window Form1 without any toolkit: its state, its event handlers and the frame loop.
// What the loop needs from the outside world (clock, events, caption, screen) comes through
// Platform, and the ball angles come from an injected Random, so the whole game runs headless and
// deterministically when both are fakes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/balls/balls.h"
#include "game/random.h"
#include "game/sound.h"
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

// The keys beyond the mouse's game, as virtual key codes: arrows steer, Space releases, Enter
// adds a hundred balls, R restarts the board, N goes to the next one, M switches the sound.
inline constexpr std::int16_t kKeyReturn = 13;
inline constexpr std::int16_t kKeySpace = 32;
inline constexpr std::int16_t kKeyLeft = 37;
inline constexpr std::int16_t kKeyRight = 39;
inline constexpr std::int16_t kKeyM = 77;
inline constexpr std::int16_t kKeyN = 78;
inline constexpr std::int16_t kKeyR = 82;
// A gamepad's buttons arrive as keys too, with the virtual key codes Windows gives them: A
// releases, X adds a hundred, Start pauses, the d-pad steers.
inline constexpr std::int16_t kPadA = 0xC3;
inline constexpr std::int16_t kPadX = 0xC5;
inline constexpr std::int16_t kPadLeft = 0xCD;
inline constexpr std::int16_t kPadRight = 0xCE;
inline constexpr std::int16_t kPadStart = 0xCF;

// Steering by keys and stick, in playfield pixels a frame: a held key starts at kSteerSlowest
// and gains a pixel every kSteerRampFrames frames up to kSteerFastest; the stick gives up to
// kSteerFastest in proportion, beyond a dead zone around its centre.
inline constexpr std::int32_t kSteerSlowest = 4;
inline constexpr std::int32_t kSteerFastest = 12;
inline constexpr std::int32_t kSteerRampFrames = 5;
inline constexpr float kStickDeadZone = 0.2f;

// Frames the caption says "Cleared" before the next board of a set starts: two seconds.
inline constexpr std::int32_t kClearedFrames = 200;

// One window event, as the platform delivers it to the handlers.
struct InputEvent {
    enum class Kind {
        MouseMove,    // PicDisp_MouseMove
        MouseDown,    // PicDisp_MouseDown (the game does nothing on a press)
        MouseUp,      // PicDisp_MouseUp
        KeyDown,      // PicDisp_KeyDown
        KeyUp,        // PicDisp_KeyUp (only the steering keys act on it)
        PadStick,     // Gamepad_Stick: X is the left stick's position, -1 (left) to 1 (right)
        QueryUnload,  // the window is asked to close
    };
    Kind kind = Kind::MouseMove;
    std::int16_t Button = 0;   // 1 left, 2 right, 4 middle, their sum when several are held
    std::int16_t Shift = 0;    // 1 Shift, 2 Ctrl, 4 Alt
    std::int16_t KeyCode = 0;  // virtual key code
    float X = 0;               // playfield pixels
    float Y = 0;
    bool Repeat = false;  // a key held down, repeated by the keyboard
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

// Where the game's sounds go: a sound card, a web page, or nowhere.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // The events of one frame, or of one input handler.
    virtual void Play(const EffectCounts& events) = 0;
    virtual bool On() const = 0;
    // M switches the sound; the output remembers the choice for the next game.
    virtual void SetOn(bool on) = 0;
};

struct Game;

// Sees what the game does between frames, in order: the recorder.
class GameObserver {
  public:
    virtual ~GameObserver() = default;
    // An input the game is about to act on (inputs that change nothing never come here).
    virtual void Input(const Game& game, const InputEvent& event) = 0;
    // A board dropped onto the window is about to replace the current one.
    virtual void BoardDropped(const Game& game, const core::Board& board) = 0;
};

// The keyboard's and the gamepad's hold on the paddle.
struct Steering {
    static constexpr std::uint8_t kKeyLeft = 1;
    static constexpr std::uint8_t kKeyRight = 2;
    static constexpr std::uint8_t kPadLeft = 4;
    static constexpr std::uint8_t kPadRight = 8;
    std::uint8_t held = 0;        // the steering keys and d-pad buttons held down
    std::int32_t heldFrames = 0;  // frames since the held keys last changed
    std::int32_t stick = 0;       // pixels a frame from the stick, negative to the left
};

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
    std::uint64_t FramesDrawn = 0;  // every frame since start-up, for replays and dumps

    // The boards played in turn, as they were read; Set[SetIndex] is the current board as it
    // started. Start-up puts the loaded board here when nobody filled the set before. With a
    // single board there is no end: clearing it only leaves the balls bouncing.
    std::vector<core::Board> Set;
    std::size_t SetIndex = 0;
    bool BoardHasBreakable = false;  // the current board still had a breakable brick
    std::int32_t ClearedFrames = 0;  // frames until the next board, while "Cleared" shows
    std::string RateCaption;         // the last frame-rate caption, shown again after "Cleared"

    Steering steering;
    EffectCounts Sounds;  // events since the sounds were last played

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
    SoundOutput* sound = nullptr;
    GameObserver* observer = nullptr;

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
    void PicDisp_KeyUp(std::int16_t KeyCode, std::int16_t Shift);
    void Gamepad_Stick(float X);

    // Board index of the set afresh: the board as it was read, drawn as the new background, one
    // ball on the paddle (which stays where it is). The pause is left as it is.
    void StartBoard(std::size_t index);
    // A board dropped onto the window takes the current board's place in the set and starts.
    void PlayBoard(core::Board board);
    // The paddle's centre at x, kept inside the playfield.
    void SetPaddleX(std::int32_t x);
    // Pixels a frame the stick steers by at position x (-1 to 1).
    static std::int32_t StickStep(float x);

  private:
    void ReleaseAll();
    void AddHundred();
    void TogglePause();
    // The Steering bit of a steering key, 0 for any other key.
    static std::uint8_t SteeringKey(std::int16_t KeyCode);
    void Hold(std::uint8_t key, bool down);
    void SteerPaddle();
    // Counts down "Cleared" and starts the next board when it is over.
    void AdvanceSet();
    // After a frame that destroyed bricks: the last breakable brick of a board in a set is gone.
    void NoticeCleared();
    void PlaySounds();
    // Inputs that change nothing: never handled, never recorded.
    bool Ignored(const InputEvent& event) const;
};

}  // namespace game
