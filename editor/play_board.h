#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <QObject>

#include "shared/board_model.h"

class QProcess;

namespace editor {

// Where Vantor is: beside the program in `programFolder` first, then in the folders of `path`
// (a PATH value), then in the build folder's game/ beside the editor's own folder; empty when
// it is in none of them.
std::string FindGame(const std::filesystem::path& programFolder, const std::string& path);

// Play Board: Vantor on the board as it stands, through a temporary file of its own (never the
// board's file, never the game's board.brd), removed when the game ends. Each game runs on its
// own while the editor goes on; games still running when the editor goes are asked to end.
class BoardPlayer : public QObject {
  public:
    explicit BoardPlayer(QObject* parent = nullptr) : QObject(parent) {}
    ~BoardPlayer() override;

    // Starts a game on `board`. Returns why it could not (for the user), or an empty string.
    std::string Play(const core::Board& board);
    std::size_t Running() const { return games_.size(); }

  private:
    struct Game {
        QProcess* Process;
        std::string File;
    };
    void Ended(QProcess* process);

    std::vector<Game> games_;
};

}  // namespace editor
