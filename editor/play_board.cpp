#include "editor/play_board.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "shared/board_file.h"

namespace editor {

namespace {

constexpr const char* kGame = "Vantor";
// How long a game asked to end when the editor goes may take before it is stopped.
constexpr int kEndMilliseconds = 3000;

bool IsProgram(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    return !error && std::filesystem::is_regular_file(status) &&
           (status.permissions() & std::filesystem::perms::owner_exec) !=
               std::filesystem::perms::none;
}

QString ToQt(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

std::string FindGame(const std::filesystem::path& programFolder, const std::string& path) {
    std::vector<std::filesystem::path> folders{programFolder};
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        // An empty entry is the current folder, which is no place to look for a program.
        if (end > start) {
            folders.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    folders.push_back(programFolder / ".." / "game");
    for (const std::filesystem::path& folder : folders) {
        const std::filesystem::path game = (folder / kGame).lexically_normal();
        if (IsProgram(game)) {
            return game.string();
        }
    }
    return {};
}

BoardPlayer::~BoardPlayer() {
    for (const Game& game : games_) {
        game.Process->disconnect(this);
        game.Process->terminate();
    }
    for (const Game& game : games_) {
        if (!game.Process->waitForFinished(kEndMilliseconds)) {
            game.Process->kill();
            game.Process->waitForFinished(kEndMilliseconds);
        }
        QFile::remove(ToQt(game.File));
    }
}

std::string BoardPlayer::Play(const core::Board& board) {
    const char* path = std::getenv("PATH");
    const std::string folder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    const std::string game = FindGame(folder, path == nullptr ? "" : path);
    if (game.empty()) {
        return std::string("Cannot play the board: Vantor was found neither beside Brickwright (") +
               folder + ") nor on the PATH.";
    }
    // A name of our own in the temporary folder; the save then replaces the empty file.
    QTemporaryFile reserved(QDir::tempPath() + QStringLiteral("/brickwright-play-XXXXXX.brd"));
    reserved.setAutoRemove(false);
    if (!reserved.open()) {
        return "Cannot play the board: no temporary file can be made in " +
               QFile::encodeName(QDir::tempPath()).toStdString() + " (" +
               reserved.errorString().toStdString() + ").";
    }
    const std::string file = QFile::encodeName(reserved.fileName()).toStdString();
    reserved.close();
    try {
        core::Board copy = board;  // the header is the board file's, not the game's copy's
        core::SaveBoard(file, copy);
    } catch (const std::exception& e) {
        QFile::remove(ToQt(file));
        return std::string("Cannot play the board: ") + e.what();
    }

    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(ToQt(game), {QStringLiteral("--"), ToQt(file)});
    // Starting takes a moment at most; only a game that is running is left to run.
    if (!process->waitForStarted(kEndMilliseconds)) {
        const std::string why = process->errorString().toStdString();
        delete process;
        QFile::remove(ToQt(file));
        return "Cannot play the board: " + game + " did not start (" + why + ").";
    }
    games_.push_back({process, file});
    connect(process, &QProcess::finished, this, [this, process] { Ended(process); });
    return {};
}

void BoardPlayer::Ended(QProcess* process) {
    const auto game = std::find_if(games_.begin(), games_.end(),
                                   [process](const Game& g) { return g.Process == process; });
    if (game == games_.end()) {
        return;
    }
    QFile::remove(ToQt(game->File));
    games_.erase(game);
    process->deleteLater();
}

}  // namespace editor
