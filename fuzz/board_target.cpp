// Arbitrary bytes as a board file, then the board in play.

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/targets.h"
#include "game/balls/balls.h"
#include "game/balls/internal/collisions.h"
#include "game/game.h"
#include "game/random.h"
#include "game/replay.h"
#include "shared/board_file.h"
#include "shared/brick_drawing.h"
#include "shared/colour.h"
#include "tests/reliability/ball_access.h"

namespace fuzz {

namespace {

// Collects the first broken property.
class Problems {
  public:
    bool Ok() const { return text_.empty(); }
    std::string Take() { return text_; }
    // Records `what` unless something was already recorded; returns whether `holds`.
    bool Expect(bool holds, const std::string& what) {
        if (!holds && text_.empty()) {
            text_ = what;
        }
        return holds;
    }

  private:
    std::string text_;
};

std::int32_t Int32At(std::span<const std::uint8_t> data, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(data[at + i]) << (8 * i);
    }
    return static_cast<std::int32_t>(v);
}

// The same bytes as a file: an anonymous in-memory file, opened by LoadBoard through its
// /proc path like any regular file.
class MemoryFile {
  public:
    explicit MemoryFile(std::span<const std::uint8_t> data)
        : fd_(::memfd_create("board", MFD_CLOEXEC)) {
        std::size_t done = 0;
        while (fd_ >= 0 && done < data.size()) {
            const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
            if (n <= 0) {
                ::close(fd_);
                fd_ = -1;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool Valid() const { return fd_ >= 0; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

  private:
    int fd_;
};

// Whether the rules accept a file of these bytes: a header, and a LastBrickIndex from 0 to the
// palette's limit whose records all lie inside the file.
bool ShouldAccept(std::span<const std::uint8_t> data) {
    if (data.size() < core::kHeaderBytes) {
        return false;
    }
    const std::int32_t last = Int32At(data, 10);
    return last >= 0 && last <= core::kMaxLastBrickIndex &&
           data.size() >= core::BoardFileSize(static_cast<std::size_t>(last) + 1);
}

// The picture the board leaves behind: every used cell whose brick is in the table shows that
// brick, every other pixel is white.
bool ShowsExactlyTheBoard(std::span<const core::Rgb32> image, int width, int height,
                          const core::Board& board) {
    const core::Rgb32 white = core::ColorRefToRgb32(core::kWhite);
    const core::Rgb32* pixels = image.data();
    auto at = [pixels, width](int x, int y) { return pixels[y * width + x]; };
    for (int column = 0; column < core::kColumns; ++column) {
        for (int row = 0; row < core::kRows; ++row) {
            const core::BoardCell& cell = board.Cells(column, row);
            const core::BrickRecord* brick =
                cell.Used == core::kTrue ? board.FindBrick(cell.BrickIndex) : nullptr;
            for (int y = 0; y < core::kCellHeight; ++y) {
                for (int x = 0; x < core::kCellWidth; ++x) {
                    core::Rgb32 expected = white;
                    if (brick != nullptr) {
                        const std::size_t p = core::PixelOffset(x, y);
                        expected = (core::Rgb32{brick->Pixels[p]} << 16) |
                                   (core::Rgb32{brick->Pixels[p + 1]} << 8) |
                                   core::Rgb32{brick->Pixels[p + 2]};
                    }
                    if (at(column * core::kCellWidth + x, row * core::kCellHeight + y) !=
                        expected) {
                        return false;
                    }
                }
            }
        }
    }
    for (int y = core::kBoardHeight; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (at(x, y) != white) {
                return false;
            }
        }
    }
    return true;
}

// A cell may only ever lose a breakable brick of the table, and in play only a brick it shows;
// nothing else about it changes. DestroyBrick itself does not look at Used (the collision rules
// do), so a direct call may also clear a cell with an odd Used value.
bool CellsChangedOnlyByHits(const core::Board& before, const core::Board& after,
                            bool onlyShownBricks) {
    if (after.Bricks != before.Bricks || after.Header != before.Header) {
        return false;
    }
    for (std::size_t i = 0; i < before.Cells.Elements().size(); ++i) {
        const core::BoardCell& was = before.Cells.Elements()[i];
        const core::BoardCell& now = after.Cells.Elements()[i];
        if (now == was) {
            continue;
        }
        const core::BrickRecord* brick = before.FindBrick(was.BrickIndex);
        const bool breakable = (was.Used == core::kTrue || !onlyShownBricks) && brick != nullptr &&
                               brick->Unbreakable == core::kFalse;
        if (!breakable || now.Used != core::kFalse || now.BrickIndex != was.BrickIndex) {
            return false;
        }
    }
    return true;
}

std::string BallText(const game::BallState& ball) {
    std::ostringstream text;
    text << "ball at (" << ball.X << ", " << ball.Y << ") speed " << ball.Speed << " angle "
         << ball.Angle << " stuck " << ball.Stuck;
    return text.str();
}

// What holds for the ball list after every frame of a game that started from reachable balls.
void CheckBalls(const game::Game& game, Problems& problems) {
    problems.Expect(reliability::BallCount(game) >= 1, "the ball list is empty");
    const float stuckX = static_cast<float>(game.PaddleX);
    const float stuckY =
        static_cast<float>(game.PaddleY - game.PaddleHeight / 2.0 - game::BallSize / 2.0 - 1);
    reliability::ForEachBall(game, [&](const game::BallState& ball) {
        if (!problems.Ok()) {
            return;
        }
        const char* broken = nullptr;
        if (!(ball.Speed >= game::kStartSpeed && ball.Speed <= game::kMaxSpeed)) {
            broken = "speed out of range: ";
        } else if (!(ball.Angle > -game::kPi && ball.Angle < game::kTwoPi)) {
            broken = "angle out of range: ";
        } else if (!std::isfinite(ball.X) || !std::isfinite(ball.Y)) {
            broken = "position not finite: ";
        } else if (ball.Stuck != core::kFalse && (ball.X != stuckX || ball.Y != stuckY)) {
            broken = "a stuck ball is not on the paddle: ";
        }
        if (broken != nullptr) {
            problems.Expect(false, broken + BallText(ball));
        }
    });
}

// Free balls placed from the bytes after the board (the reader ignores them), or a fixed spread
// over the board when there are none. Every ball is in a state the game can reach: inside the
// playfield, below the top wall, with a speed the game gives.
std::vector<game::BallState> PlacedBalls(std::span<const std::uint8_t> extra) {
    std::vector<game::BallState> balls;
    constexpr std::size_t kBytesPerBall = 4;
    constexpr std::size_t kMostBalls = 24;
    for (std::size_t at = 0; at + kBytesPerBall <= extra.size() && balls.size() < kMostBalls;
         at += kBytesPerBall) {
        game::BallState ball;
        ball.X = static_cast<float>(extra[at]) * 600.0f / 255.0f;
        ball.Y = 6.0f + static_cast<float>(extra[at + 1]) * 472.0f / 255.0f;
        ball.Angle = (static_cast<double>(extra[at + 2]) + 0.5) / 256.0 * game::kTwoPi;
        ball.Speed = game::kStartSpeed + static_cast<float>(extra[at + 3]) / 255.0f * 4.5f;
        balls.push_back(ball);
    }
    if (balls.empty()) {
        for (int i = 0; i < 20; ++i) {
            game::BallState ball;
            ball.X = 15.0f + 30.0f * static_cast<float>(i);
            ball.Y = 8.0f + 15.0f * static_cast<float>(i);
            ball.Angle = 0.3 + 0.29 * i;
            ball.Speed = 6.0f;
            balls.push_back(ball);
        }
    }
    return balls;
}

// The board in play: started as the game starts, balls over the board for a few frames with
// the mouse moving, a right and a left click, then a hit on every cell and beyond the grid.
void Play(const core::Board& board, std::span<const std::uint8_t> extra, Problems& problems) {
    game::ReplayPlatform platform;
    game::SeededRandom random(extra.size());
    game::Game game(platform, random, [&board](core::Board& target) { target = board; });
    game.StartUp();
    if (!problems.Expect(ShowsExactlyTheBoard(game.PicDisp.Picture(), game::kPlayfieldWidth,
                                              game::kPlayfieldHeight, game.Board),
                         "the playfield at start does not show exactly the board")) {
        return;
    }

    const std::vector<game::BallState> balls = PlacedBalls(extra);
    reliability::ReplaceBalls(game, balls);
    constexpr int kFrames = 12;
    for (int frame = 0; frame < kFrames && problems.Ok(); ++frame) {
        const std::uint8_t b = extra.empty()
                                   ? static_cast<std::uint8_t>(frame * 53)
                                   : extra[static_cast<std::size_t>(frame) % extra.size()];
        game.PicDisp_MouseMove(0, 0, static_cast<float>(b) * 2.75f - 50.0f, 0);
        if (frame == kFrames - 3) {
            game.PicDisp_MouseUp(game::kRightButton, 0, 0, 0);
        }
        if (frame == kFrames - 2) {
            game.PicDisp_MouseUp(game::kLeftButton, 0, 0, 0);
        }
        const core::Board before = game.Board;
        game.DrawFrame();
        platform.tick += game::kFrameInterval;
        CheckBalls(game, problems);
        problems.Expect(CellsChangedOnlyByHits(before, game.Board, true),
                        "a frame changed a cell it may not change");
    }
    if (!problems.Ok()) {
        return;
    }
    problems.Expect(ShowsExactlyTheBoard(game.PicDisp.Picture(), game::kPlayfieldWidth,
                                         game::kPlayfieldHeight, game.Board),
                    "after the frames the playfield's background is not exactly the board");

    // Every cell once, and positions beyond the grid, which must be left alone.
    const core::Board before = game.Board;
    for (int column = -2; column <= core::kColumns + 1; ++column) {
        for (int row = -2; row <= core::kRows + 1; ++row) {
            game::DestroyBrick(game.Board, game.PicDisp, column, row);
        }
    }
    for (const std::int32_t far : {INT32_MIN, INT32_MAX}) {
        game::DestroyBrick(game.Board, game.PicDisp, far, 0);
        game::DestroyBrick(game.Board, game.PicDisp, 0, far);
    }
    problems.Expect(CellsChangedOnlyByHits(before, game.Board, false),
                    "DestroyBrick changed a cell it may not change");
    for (std::size_t i = 0; i < before.Cells.Elements().size() && problems.Ok(); ++i) {
        const core::BoardCell& cell = before.Cells.Elements()[i];
        const core::BrickRecord* brick = before.FindBrick(cell.BrickIndex);
        if (brick != nullptr && brick->Unbreakable == core::kFalse) {
            problems.Expect(game.Board.Cells.Elements()[i].Used == core::kFalse,
                            "a breakable brick survived DestroyBrick");
        }
    }
}

}  // namespace

std::string CheckBoardInput(std::span<const std::uint8_t> data) {
    Problems problems;
    const auto bytes = std::as_bytes(data);

    // From a file first, so that both readers can be asked under the same name.
    const MemoryFile file(data);
    const std::string name = file.Valid() ? file.Path() : std::string("fuzz.brd");

    std::optional<core::Board> decoded;
    std::string decodeError;
    try {
        decoded = core::DecodeBoard(bytes, name);
    } catch (const core::BoardError& e) {
        decodeError = e.what();
    }
    if (!problems.Expect(decoded.has_value() == ShouldAccept(data),
                         decoded ? "accepted a file whose header does not fit it"
                                 : "rejected a valid file: " + decodeError)) {
        return problems.Take();
    }
    if (!decoded) {
        problems.Expect(decodeError.rfind(name + ": ", 0) == 0,
                        "the message does not name the file: " + decodeError);
    }

    if (file.Valid()) {
        // Loading is all or nothing: a failed load leaves the board exactly as it was.
        core::Board loaded;
        loaded.Bricks.resize(1);
        loaded.Cells(7, 7) = {core::kTrue, 5};
        const core::Board untouched = loaded;
        std::string loadError;
        try {
            core::LoadBoard(name, loaded);
        } catch (const core::BoardError& e) {
            loadError = e.what();
        }
        if (decoded) {
            problems.Expect(loadError.empty() && loaded == *decoded,
                            "LoadBoard and DecodeBoard disagree: " + loadError);
        } else {
            problems.Expect(loadError == decodeError && loaded == untouched,
                            "LoadBoard failed differently: " + loadError + " / " + decodeError);
        }
    }
    if (!decoded || !problems.Ok()) {
        return problems.Take();
    }

    const core::Board& board = *decoded;
    const std::size_t bricks = board.Bricks.size();
    problems.Expect(static_cast<std::int64_t>(bricks) ==
                        static_cast<std::int64_t>(board.Header.LastBrickIndex) + 1,
                    "the table does not have LastBrickIndex + 1 bricks");
    // Every field is kept as read: encoding gives back the announced bytes.
    const std::size_t used = core::BoardFileSize(bricks);
    const std::vector<std::byte> encoded = core::EncodeBoard(board);
    problems.Expect(
        encoded.size() == used && std::equal(encoded.begin(), encoded.end(), bytes.begin()),
        "encoding the board does not give back the file's bytes");
    if (!problems.Ok()) {
        return problems.Take();
    }

    core::PictureBox picture(core::kBoardWidth, core::kBoardHeight, core::kWhite);
    core::DrawBoard(picture, board);
    if (!problems.Expect(
            ShowsExactlyTheBoard(picture.Image(), core::kBoardWidth, core::kBoardHeight, board),
            "DrawBoard drew something other than the board")) {
        return problems.Take();
    }

    Play(board, data.subspan(used), problems);
    return problems.Take();
}

}  // namespace fuzz
