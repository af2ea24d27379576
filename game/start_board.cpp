#include "game/start_board.h"

#include <string>
#include <system_error>

#include "shared/board_file.h"

namespace game {

std::filesystem::path BoardPathIn(const std::filesystem::path& programDirectory) {
    return programDirectory / kBoardFileName;
}

void LoadStartBoard(const std::filesystem::path& path, std::span<const std::byte> builtIn,
                    core::Board& board, std::ostream& notes) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    // Only a path that is plainly not there falls back; anything else that cannot be read (a
    // folder, a dangling link, no permission) is an error the player should see.
    if (status.type() != std::filesystem::file_type::not_found) {
        try {
            core::LoadBoard(path, board);
        } catch (const core::BoardError& e) {
            // The reason alone leaves a player stuck; say what gets the game going again.
            throw core::BoardError(std::string(e.what()) + kDamagedBoardAdvice);
        }
        return;
    }
    if (builtIn.empty()) {
        throw core::BoardError(path.string() +
                               ": no such file, and this build has no built-in board");
    }
    board = core::DecodeBoard(builtIn, "the built-in board");
    notes << "Vantor: " << path.string() << " not found; playing the built-in board\n";
}

}  // namespace game
