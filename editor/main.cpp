#include <QApplication>

#include "editor/dialogs.h"
#include "editor/form1.h"
#include "shared/board_model.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brickwright"));

    core::Board board;
    editor::QtDialogs dialogs;
    editor::Form1 window(board, dialogs);
    dialogs.SetParent(&window);
    window.show();
    return QApplication::exec();
}
