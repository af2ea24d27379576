#include "editor/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QStringList>
#include <string_view>

#ifndef VANTOR_VERSION
#define VANTOR_VERSION "0"
#endif

namespace editor {

CommandLine ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                             std::ostream& err) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QFile::decodeName(argv[i]));
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Brickwright, the board editor of the Vantor brick game. FILE is a board to load or a "
        "picture to import as the brick sheet."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(version);
    // Qt's own options (-platform NAME, -style NAME, -reverse, ...) are left in the arguments
    // for the application object, which takes them; here they only have to be known. They are
    // words after a single dash, so such words are read as long options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const auto qtOption = [&parser](const char* name, const QString& value) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), value);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    };
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display",
                             "geometry", "style", "stylesheet", "qmljsdebugger"}) {
        qtOption(name, QStringLiteral("value"));
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb"}) {
        qtOption(name, QString());
    }
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A board file (.brd) or a brick sheet picture."),
                                 QStringLiteral("[FILE]"));
    // The parser's usage line names the program from the application object, which does not
    // exist yet: the name goes in by hand.
    QString usage = parser.helpText();
    const QString usagePrefix = QStringLiteral("Usage: ");
    const qsizetype nameEnd = usage.indexOf(QStringLiteral(" [options]"));
    if (usage.startsWith(usagePrefix) && nameEnd > 0) {
        usage.replace(usagePrefix.size(), nameEnd - usagePrefix.size(),
                      QStringLiteral("Brickwright"));
    }

    CommandLine result;
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        const QString why = parser.positionalArguments().size() > 1
                                ? QStringLiteral("only one file can be opened")
                                : parser.errorText();
        err << "Brickwright: " << why.toStdString() << "\n\n" << usage.toStdString();
        result.ExitCode = 2;
        return result;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        out << usage.toStdString();
        result.ExitCode = 0;
        return result;
    }
    if (parser.isSet(version)) {
        out << "Brickwright " << VANTOR_VERSION << '\n';
        result.ExitCode = 0;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        // The argument itself, not its decoded copy: the name's bytes are what the file has.
        const QString file = parser.positionalArguments().constFirst();
        for (int i = argc - 1; i > 0; --i) {
            if (QFile::decodeName(argv[i]) == file) {
                result.File = argv[i];
                break;
            }
        }
    }
    return result;
}

}  // namespace editor
