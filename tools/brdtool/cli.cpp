#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>

#include <filesystem>
#include <string>

#include "tools/brdtool/commands.h"

#ifndef VANTOR_VERSION
#define VANTOR_VERSION "0"
#endif

namespace brdtool {
namespace {

constexpr const char* kProgram = "brdtool";

std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}

std::filesystem::path ToPath(const QString& s) {
    return std::filesystem::path(QFile::encodeName(s).toStdString());
}

struct Command {
    const char* Name;
    const char* Summary;
    const char* Description;
};

constexpr Command kCommands[] = {
    {"info", "show a board file's header, bricks, used cells and warnings",
     "Shows the header fields of a board file, its bricks with their flags, the used cells\n"
     "as a 20 x 20 map, and warnings about a file that does not start with \"VNTR\", cells\n"
     "that refer to a brick beyond the table or hold a Used value other than 0 and -1, and\n"
     "a board without a breakable brick, which can never be cleared.\n"
     "Cells are named \"column,row\" from 1,1 as the editor's caption shows them, bricks\n"
     "\"Brick 13\" as its palette lists them, with their code in a layout in brackets."},
    {"check", "exit 0 when the board loads, 1 with the reason otherwise",
     "Loads a board file as the game and the editor do. Exits with 0 when it loads, and\n"
     "with 1 and the reason otherwise. With --strict, a board that loads but draws a\n"
     "warning from \"brdtool info\" fails too, with every warning on the error output."},
    {"render", "draw the board as the game shows it at start into a PNG",
     "Draws the 600 x 300 picture that the game shows for the board at start (white, every\n"
     "used cell with its brick) and writes it; the suffix of OUT.png picks the format."},
    {"build", "make a board file from a brick sheet and a text layout",
     "Makes a board file from a brick sheet and a text layout. Every fault of the layout is\n"
     "reported (the first 20, in line order), not only the first.\n"
     "The sheet is a picture n*30 pixels wide and 15 high; brick i is the strip at x = 30i.\n"
     "The layout has 20 grid lines of 20 characters, one per cell: '.' is empty, 0-9, a-z\n"
     "and A-Z are bricks 0-9, 10-35 and 36-61. Lines such as \"unbreakable: 9\" and\n"
     "\"explosive: a b\" set the flags of the bricks with those codes. '#' starts a comment\n"
     "and blank lines are skipped."},
};

const Command* FindCommand(const QString& name) {
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.Name)) {
            return &c;
        }
    }
    return nullptr;
}

int UsageError(std::ostream& err, const QString& context, const QString& what) {
    err << kProgram << (context.isEmpty() ? "" : " ") << context << ": " << what << "\nTry \""
        << kProgram << (context.isEmpty() ? "" : " ") << context << " --help\".\n";
    return kExitUsage;
}

QString TopHelp(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text += QStringLiteral("\nCommands:\n");
    for (const Command& c : kCommands) {
        text += QStringLiteral("  %1  %2\n").arg(QLatin1String(c.Name), -7).arg(c.Summary);
    }
    text += QStringLiteral(
        "\nExit status: 0 done, 1 the file is bad or cannot be read or written, "
        "2 the command line is wrong.\n");
    return text;
}

// The parser's usage line names the program only; the command goes right after it.
QString CommandHelp(const QCommandLineParser& parser, const Command& command) {
    QString text = parser.helpText();
    const qsizetype options = text.indexOf(QStringLiteral(" [options]"));
    if (options >= 0) {
        text.insert(options, QLatin1Char(' ') + QLatin1String(command.Name));
    }
    return text;
}

int RunCommand(const Command& command, const QStringList& arguments, std::ostream& out,
               std::ostream& err) {
    const QString name = QLatin1String(command.Name);
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(command.Description));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption sheet(QStringLiteral("sheet"),
                                   QStringLiteral("The brick sheet picture (BMP, PNG, ...)."),
                                   QStringLiteral("SHEET.bmp"));
    const QCommandLineOption layout(QStringLiteral("layout"), QStringLiteral("The text layout."),
                                    QStringLiteral("LAYOUT.txt"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The board file to write."),
                                    QStringLiteral("OUT.brd"));
    const QCommandLineOption strict(
        QStringLiteral("strict"),
        QStringLiteral("Also fail on what \"brdtool info\" warns about."));
    int positionals = 1;
    if (name == QLatin1String("check")) {
        parser.addOption(strict);
    }
    if (name == QLatin1String("build")) {
        parser.addOption(sheet);
        parser.addOption(layout);
        parser.addOption(output);
        positionals = 0;
    } else {
        parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The board file."));
    }
    if (name == QLatin1String("render")) {
        parser.addPositionalArgument(QStringLiteral("OUT.png"),
                                     QStringLiteral("The picture to write."));
        positionals = 2;
    }

    // The first argument is the command itself, where the parser expects the program.
    if (!parser.parse(arguments)) {
        return UsageError(err, name, parser.errorText());
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        out << CommandHelp(parser, command);
        return kExitOk;
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != positionals) {
        const QString expected = positionals == 0   ? QStringLiteral("no arguments")
                                 : positionals == 1 ? QStringLiteral("FILE")
                                                    : QStringLiteral("FILE and OUT.png");
        return UsageError(
            err, name,
            QStringLiteral("expected %1, got %2 argument(s)").arg(expected).arg(args.size()));
    }

    if (name == QLatin1String("info")) {
        return Info(ToPath(args[0]), out, err);
    }
    if (name == QLatin1String("check")) {
        return Check(ToPath(args[0]), parser.isSet(strict), out, err);
    }
    if (name == QLatin1String("render")) {
        return Render(ToPath(args[0]), ToPath(args[1]), out, err);
    }
    for (const QCommandLineOption* required : {&sheet, &layout, &output}) {
        if (!parser.isSet(*required) || parser.value(*required).isEmpty()) {
            return UsageError(err, name,
                              QStringLiteral("--%1 %2 is missing")
                                  .arg(required->names().constLast(), required->valueName()));
        }
    }
    return Build(ToPath(parser.value(sheet)), ToPath(parser.value(layout)),
                 ToPath(parser.value(output)), out, err);
}

}  // namespace

int Run(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Inspects, checks, draws and builds board files (.brd)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("The command to run; \"brdtool COMMAND --help\" "
                                                "describes it."),
                                 QStringLiteral("COMMAND [ARGS...]"));
    // Everything from the command on belongs to the command's own parser.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);

    if (!parser.parse(arguments)) {
        return UsageError(err, {}, parser.errorText());
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        out << TopHelp(parser);
        return kExitOk;
    }
    if (parser.isSet(version)) {
        out << kProgram << ' ' << VANTOR_VERSION << '\n';
        return kExitOk;
    }
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        return UsageError(err, {}, QStringLiteral("no command given (info, check, render, build)"));
    }
    const Command* command = FindCommand(rest.constFirst());
    if (command == nullptr) {
        return UsageError(err, {},
                          QStringLiteral("unknown command \"%1\" (info, check, render, build)")
                              .arg(rest.constFirst()));
    }
    return RunCommand(*command, rest, out, err);
}

}  // namespace brdtool
