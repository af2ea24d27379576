// vantor-replay [BOARD.brd] SCRIPT [--seed N] [--png OUT.png] [--threads N]
// Plays the game without a window: the script's input, frames on a clock that advances 10 ms a
// frame, and dumps of the balls and cells on standard output. A recording made with
// `Vantor --record` brings its boards and seed and needs nothing else.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "game/command_line.h"
#include "game/random.h"
#include "game/replay.h"
#include "qt_picture/picture_files.h"
#include "shared/board_file.h"

#ifndef VANTOR_VERSION
#define VANTOR_VERSION "0"
#endif

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* const kDescription =
    "Plays the game on BOARD.brd without a window, driven by SCRIPT, and prints what the\n"
    "script's dump commands ask for. A recording (Vantor --record FILE) brings its boards and\n"
    "its seed: vantor-replay FILE prints the state the recorded game ended in.\n"
    "\n"
    "Script: one command a line; '#' starts a comment.\n"
    "  seed N     the random generator's seed (before every input)\n"
    "  board DATA a board file in base64: before every input, the boards played in turn;\n"
    "             later, a board dropped onto the window\n"
    "  move X     the mouse moves to playfield x = X (a real number), no button held\n"
    "  release    left-button release: every waiting ball is released\n"
    "  add        right-button release: 100 balls are added on the paddle\n"
    "  key K      key K is pressed: a letter or digit, or Left, Right, Space, Enter, PadA,\n"
    "             PadX, PadStart, PadLeft, PadRight; P toggles the pause\n"
    "  keyup K    key K is let go (the steering keys)\n"
    "  stick X    the gamepad's left stick moves to X, -1 (left) to 1 (right)\n"
    "  frames N   N frames, the tick counter advancing 10 ms each (only the clock while paused)\n"
    "  dump       prints 'frame K balls N', one line 'ball I X Y SPEED ANGLE STUCK' per ball,\n"
    "             then 'cells' and 20 lines of 20 digits, 1 for a used cell, row 0 first\n"
    "\n"
    "Exit status: 0 done, 1 the board, script or picture cannot be read or written,\n"
    "2 the command line is wrong.";

std::filesystem::path ToPath(const QString& s) {
    return std::filesystem::path(QFile::encodeName(s).toStdString());
}

int UsageError(const std::string& what) {
    std::cerr << "vantor-replay: " << what << "\nTry \"vantor-replay --help\".\n";
    return kExitUsage;
}

std::string ReadScript(const std::filesystem::path& path) {
    if (path == "-") {
        std::ostringstream text;
        text << std::cin.rdbuf();
        return text.str();
    }
    // QFile rather than a stream: its error says why ("No such file or directory").
    QFile in(QFile::decodeName(path.c_str()));
    if (!in.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(path.string() +
                                 ": cannot open the script: " + in.errorString().toStdString());
    }
    const QByteArray text = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        throw std::runtime_error(path.string() +
                                 ": cannot read the script: " + in.errorString().toStdString());
    }
    return text.toStdString();
}

// --png writes PNG data whatever the name says; a name that promises another format would
// mislead every program that opens the file later.
bool NamesAPng(const QString& path) {
    return path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) && path.size() > 4 &&
           !path.endsWith(QStringLiteral("/.png"));
}

}  // namespace

int main(int argc, char** argv) {
    // Pictures need no window system; the application object only supplies the arguments.
    const QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantor-replay"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTOR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("BOARD.brd"),
                                 QStringLiteral("the board to play, unless SCRIPT brings its own"),
                                 QStringLiteral("[BOARD.brd]"));
    parser.addPositionalArgument(QStringLiteral("SCRIPT"),
                                 QStringLiteral("the script to run, or - for standard input"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"),
        QStringLiteral("fix the random generator, so that every run gives the same angles"),
        QStringLiteral("N"));
    const QCommandLineOption pngOption(
        QStringLiteral("png"), QStringLiteral("write the final 600 x 480 playfield as a PNG"),
        QStringLiteral("OUT.png"));
    const QCommandLineOption threadsOption(
        QStringLiteral("threads"),
        QStringLiteral("move and draw the balls on N threads, 1 to 256 (by default one for each "
                       "core it may run on); every count gives the same output"),
        QStringLiteral("N"));
    parser.addOption(seedOption);
    parser.addOption(pngOption);
    parser.addOption(threadsOption);

    if (!parser.parse(QCoreApplication::arguments())) {
        return UsageError(parser.errorText().toStdString());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::cout << parser.helpText().toStdString();
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::cout << "vantor-replay " << VANTOR_VERSION << "\n";
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 && positional.size() != 2) {
        return UsageError("expected [BOARD.brd] SCRIPT, got " + std::to_string(positional.size()) +
                          " arguments");
    }
    if (parser.isSet(pngOption) && !NamesAPng(parser.value(pngOption))) {
        return UsageError("--png writes a PNG picture, so its name must end in .png, got '" +
                          parser.value(pngOption).toStdString() + "'");
    }
    std::optional<std::uint64_t> seed;
    if (parser.isSet(seedOption)) {
        bool ok = false;
        seed = parser.value(seedOption).toULongLong(&ok);
        if (!ok) {
            return UsageError("--seed needs a whole number from 0 to 18446744073709551615, got '" +
                              parser.value(seedOption).toStdString() + "'");
        }
    }

    unsigned threads = 0;
    if (parser.isSet(threadsOption)) {
        const std::string text = parser.value(threadsOption).toStdString();
        const std::optional<unsigned> count = game::ParseThreadCount(text);
        if (!count) {
            return UsageError(game::ThreadCountError(text));
        }
        threads = *count;
    }

    const std::filesystem::path scriptPath = ToPath(positional.back());
    try {
        std::optional<core::Board> board;
        if (positional.size() == 2) {
            board.emplace();
            core::LoadBoard(ToPath(positional[0]), *board);
        }
        std::vector<game::ReplayCommand> script;
        game::ReplaySetup setup;
        try {
            script = game::ParseReplayScript(ReadScript(scriptPath));
            setup = game::SetUpReplay(script, std::move(board), seed);
        } catch (const game::ReplayError& e) {
            throw std::runtime_error(scriptPath.string() + ": " + e.what());
        }
        game::Replay replay(std::move(setup.boards), *setup.random, threads);
        replay.Run(script, std::cout);
        std::cout.flush();
        if (parser.isSet(pngOption)) {
            // Written beside the target and renamed over it, so a failed write leaves no half
            // picture; the errors carry the system's reason.
            qt_picture::SavePicture(replay.game().PicDisp, ToPath(parser.value(pngOption)).string(),
                                    "png");
        }
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "vantor-replay: " << e.what() << "\n";
        return kExitFailure;
    }
    return 0;
}
