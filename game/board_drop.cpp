#include "game/board_drop.h"

#include <utility>

#include "game/start_board.h"
#include "shared/board_file.h"
#include "shared/brick_drawing.h"

namespace game {

void PlayDroppedBoard(Game& form, const std::filesystem::path& path, std::ostream& notes) {
    core::Board board;
    core::LoadBoard(path, board);

    form.Board = std::move(board);
    ResetBalls(form.Balls, form.BallPaddle(), *form.random);
    // Resizing drops the old background with every brick the balls cleared from it.
    form.PicDisp.Resize(kPlayfieldWidth, kPlayfieldHeight);
    core::DrawBoard(form.PicDisp, form.Board);
    form.PicDisp.InstallImageAsPicture();
    form.PicDisp.Refresh();
    NotePlaying(path, notes);
}

}  // namespace game
