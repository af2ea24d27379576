#include "game/board_drop.h"

#include <utility>

#include "game/start_board.h"
#include "shared/board_file.h"

namespace game {

void PlayDroppedBoard(Game& form, const std::filesystem::path& path, std::ostream& notes) {
    core::Board board;
    core::LoadBoard(path, board);
    form.PlayBoard(std::move(board));
    NotePlaying(path, notes);
}

}  // namespace game
