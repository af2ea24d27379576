#include <QCoreApplication>

#include <iostream>

#include "tools/brdtool/commands.h"

int main(int argc, char** argv) {
    // QImage needs no window system; the application object only supplies the arguments.
    const QCoreApplication app(argc, argv);
    return brdtool::Run(QCoreApplication::arguments(), std::cout, std::cerr);
}
