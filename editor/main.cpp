#include <QApplication>
#include <QFile>
#include <QIcon>
#include <iostream>

#include "editor/command_line.h"
#include "editor/dialogs.h"
#include "editor/form1.h"
#include "editor/main_window.h"
#include "shared/board_model.h"

namespace {

// The desktop entry the windows belong to (their application id on Wayland), so that docks show
// the menu entry's name and icon for them.
const QString kDesktopId = QStringLiteral("io.github.vantor_game.Brickwright");

// The icons installed with the program (../share/icons from it, whatever the prefix), else
// those the build drew (a build folder), else the desktop theme's.
QIcon ProgramIcon() {
    const QString dir = QCoreApplication::applicationDirPath();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString installed =
            QStringLiteral("%1/../share/icons/hicolor/%2x%2/apps/%3.png").arg(dir).arg(size);
        const QString built = QStringLiteral("%1/../packaging/icons/brickwright-%2.png");
        for (const QString& file : {installed.arg(kDesktopId), built.arg(dir).arg(size)}) {
            if (QFile::exists(file)) {
                icon.addFile(file);
                break;
            }
        }
    }
    return icon.isNull() ? QIcon::fromTheme(kDesktopId) : icon;
}

}  // namespace

int main(int argc, char** argv) {
    const editor::CommandLine command = editor::ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (command.ExitCode) {
        return *command.ExitCode;
    }

    QApplication app(argc, argv);
    // Settings and the recovery copy live in folders named after these.
    QApplication::setOrganizationName(QStringLiteral("Vantor"));
    QApplication::setApplicationName(QStringLiteral("Brickwright"));
    QGuiApplication::setDesktopFileName(kDesktopId);
    QApplication::setWindowIcon(ProgramIcon());

    core::Board board;
    editor::QtDialogs dialogs;
    editor::MainWindow window(board, dialogs);
    dialogs.SetParent(&window);
    window.show();
    window.OfferRecovery();
    if (!command.File.empty()) {
        window.OpenFile(command.File);
    }
    return QApplication::exec();
}
