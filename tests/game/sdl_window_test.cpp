// The SDL window's own commands, through the real adapter under SDL's dummy video driver: boards
// dropped onto the window and the F11 full-screen toggle.

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "game/sdl/sdl_platform.h"
#include "shared/board_file.h"
#include "shared/colour.h"
#include "tests/game/game_fakes.h"

namespace game {
namespace {

using testing::MakeBoard;

void Push(SDL_Event event) {
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void PushDrop(const std::filesystem::path& path) {
    SDL_Event event{};
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(path.c_str());  // the receiver frees it, as with a real drop
    Push(event);
}

void PushKey(SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    Push(event);
}

TEST(SdlWindow, ADroppedBoardIsPlayedFromTheStartAndABadOneChangesNothing) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vantor-drop-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    core::Board dropped = MakeBoard({{4, 2, 2}});
    core::SaveBoard(dir / "good.brd", dropped);
    core::Board damaged = MakeBoard({{1, 1, 0}});
    core::SaveBoard(dir / "bad.brd", damaged);
    std::filesystem::resize_file(dir / "bad.brd", 3000);

    SdlPlatform platform;
    testing::FakeRandom random;
    Game form(platform, random, testing::LoaderOf(MakeBoard({{0, 0, 0}})));
    form.StartUp();
    AcceptDroppedBoards(platform, form);
    form.PicDisp_MouseUp(kRightButton, 0, 0, 0);
    const core::Board before = form.Board;

    // No message box can show here (no display): the caption says what went wrong instead,
    // for as long as the notice lasts, whatever caption the game sets meanwhile.
    platform.SetNoticeDuration(3'600'000);
    for (const char* name : {"bad.brd", "missing.brd", ""}) {
        PushDrop(dir / name);
        form.DoEvents();
        platform.SetCaption("Fps: 99");
        EXPECT_EQ(form.Board, before) << name;
        EXPECT_EQ(form.Balls.size(), 101u) << name;
        EXPECT_EQ(form.PicDisp.GetPixel(15, 7), core::MakeColorRef(200, 30, 30)) << name;
        EXPECT_EQ(std::string(SDL_GetWindowTitle(platform.Window())).rfind(dir / name, 0), 0u)
            << name;
    }
    // The game's caption comes back when a notice is over.
    platform.SetNoticeDuration(0);
    PushDrop(dir / "bad.brd");
    form.DoEvents();
    form.DoEvents();
    EXPECT_STREQ(SDL_GetWindowTitle(platform.Window()), "Fps: 99");

    PushDrop(dir / "good.brd");
    form.DoEvents();
    EXPECT_EQ(form.Board.Cells(4, 2).Used, core::kTrue);
    EXPECT_EQ(form.Board.Cells(0, 0).Used, core::kFalse);
    ASSERT_EQ(form.Balls.size(), 1u);
    EXPECT_EQ(form.Balls[0].Stuck, core::kTrue);
    // The new background: the old brick gone, the new one drawn, and both stay after Cls.
    form.PicDisp.Cls();
    EXPECT_EQ(form.PicDisp.GetPixel(15, 7), core::kWhite);
    EXPECT_EQ(form.PicDisp.GetPixel(4 * 30 + 15, 2 * 15 + 7), core::MakeColorRef(40, 60, 200));
    std::filesystem::remove_all(dir);
}

TEST(SdlWindow, F11FillsTheDisplayAndGivesThePreviousSizeBack) {
    SdlPlatform platform;
    testing::FakeRandom random;
    Game form(platform, random, testing::LoaderOf(MakeBoard({})));
    form.StartUp();
    SDL_SetWindowSize(platform.Window(), 700, 600);
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0) << SDL_GetError();

    PushKey(SDLK_F11);
    form.DoEvents();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(platform.Window(), &width, &height);
    EXPECT_NE(SDL_GetWindowFlags(platform.Window()) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_EQ(width, desktop.w);
    EXPECT_EQ(height, desktop.h);

    PushKey(SDLK_F11);
    form.DoEvents();
    SDL_GetWindowSize(platform.Window(), &width, &height);
    EXPECT_EQ(SDL_GetWindowFlags(platform.Window()) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_EQ(width, 700);
    EXPECT_EQ(height, 600);
}

}  // namespace
}  // namespace game
