#include <QApplication>
#include <iostream>

#include "editor/command_line.h"
#include "editor/dialogs.h"
#include "editor/form1.h"
#include "editor/main_window.h"
#include "shared/board_model.h"

int main(int argc, char** argv) {
    const editor::CommandLine command = editor::ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (command.ExitCode) {
        return *command.ExitCode;
    }

    QApplication app(argc, argv);
    // Settings and the recovery copy live in folders named after these.
    QApplication::setOrganizationName(QStringLiteral("Vantor"));
    QApplication::setApplicationName(QStringLiteral("Brickwright"));

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
