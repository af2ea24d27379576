#include "tools/brdtool/commands.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "shared/board_file.h"
#include "shared/bricks_to_clear.h"
#include "tools/brdtool/layout.h"
#include "tools/brdtool/picture_io.h"

namespace brdtool {
namespace {

// Magic as text: printable bytes as they are, anything else as \xNN, so a damaged header shows
// exactly what it holds.
std::string Printable(const std::array<char, 4>& magic) {
    std::string text;
    for (char c : magic) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\' && c != '"') {
            text += c;
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
            text += buffer;
        }
    }
    return text;
}

// A flag as the programs read it: the editor and the game count any nonzero value as set.
std::string FlagNote(const char* name, core::VbBool value) {
    std::string note = name;
    if (value != core::kTrue) {
        note += " (stored as " + std::to_string(value) + ")";
    }
    return note;
}

char MapSymbol(const core::Board& board, const core::BoardCell& cell) {
    if (cell.Used == core::kFalse) {
        return kEmptyCellCode;
    }
    if (cell.Used != core::kTrue) {
        return '?';
    }
    if (board.FindBrick(cell.BrickIndex) == nullptr) {
        return '!';
    }
    const char code = BrickCode(cell.BrickIndex);
    return code != '\0' ? code : '*';
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Every line of text on err, each headed by the program's name (a layout reports all its
// faults at once, one a line).
void WriteError(std::ostream& err, std::string_view text) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        err << "brdtool: " << text.substr(start, end - start) << '\n';
        if (end == std::string_view::npos) {
            return;
        }
        start = end + 1;
    }
}

// Runs a command body and turns any failure into a message on err and exit status 1.
template <typename Body>
int Guarded(std::ostream& err, Body&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        WriteError(err, e.what());
        return kExitFailure;
    }
}

bool StartsWithMagic(const core::BoardHeader& header) {
    return header.Magic == std::array<char, 4>{'V', 'N', 'T', 'R'};
}

// The whole text file at path; the errors carry the system's reason.
std::string ReadTextFile(const std::filesystem::path& path, const char* what) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        throw std::system_error(errno, std::generic_category(),
                                path.string() + ": cannot open the " + what);
    }
    std::string text;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.append(buffer, n);
    }
    if (std::ferror(file.get())) {
        throw std::system_error(errno, std::generic_category(),
                                path.string() + ": cannot read the " + what);
    }
    return text;
}

}  // namespace

std::vector<std::string> BoardWarnings(const core::Board& board) {
    std::vector<std::string> warnings;
    if (!StartsWithMagic(board.Header)) {
        warnings.push_back("the file does not start with \"VNTR\" but with \"" +
                           Printable(board.Header.Magic) +
                           "\"; the game and the editor load it all the same");
    }
    for (int row = 0; row < core::kRows; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            const core::BoardCell& cell = board.Cells(column, row);
            if (cell.Used == core::kTrue) {
                if (board.FindBrick(cell.BrickIndex) == nullptr) {
                    warnings.push_back(CellName(column, row) + " shows " +
                                       BrickName(cell.BrickIndex) + ", but the table holds " +
                                       Plural(board.Bricks.size(), "brick", "bricks") +
                                       "; the game neither draws nor destroys it");
                }
            } else if (cell.Used != core::kFalse) {
                warnings.push_back(CellName(column, row) +
                                   " has Used = " + std::to_string(cell.Used) +
                                   "; only -1 counts as used, so it stays empty");
            }
        }
    }
    if (core::CountBricksToClear(board) == 0) {
        warnings.emplace_back("no cell holds a breakable brick, so there is nothing to clear");
    }
    return warnings;
}

void WriteInfo(const core::Board& board, std::uintmax_t fileSize, std::string_view name,
               std::ostream& out) {
    const std::size_t brickCount = board.Bricks.size();
    out << name << ": " << fileSize << " bytes";
    const std::uintmax_t expected = core::BoardFileSize(brickCount);
    if (fileSize > expected) {
        out << " (" << (fileSize - expected) << " after the last brick, ignored by every reader)";
    }
    out << "\n\nHeader\n"
        << "  Magic             \"" << Printable(board.Header.Magic) << "\"\n"
        << "  Version           " << board.Header.Version << '\n'
        << "  BrickTableOffset  " << board.Header.BrickTableOffset << '\n'
        << "  LastBrickIndex    " << board.Header.LastBrickIndex << '\n';

    out << "\nBricks: " << brickCount
        << " (as the palette names them, [code in a layout], flags)\n";
    for (std::size_t i = 0; i < brickCount; ++i) {
        const core::BrickRecord& brick = board.Bricks[i];
        out << "  " << std::left << std::setw(12) << BrickName(static_cast<std::int32_t>(i))
            << std::right << "  ";
        std::vector<std::string> notes;
        if (brick.Explosive != core::kFalse) {
            notes.push_back(FlagNote("explosive", brick.Explosive));
        }
        if (brick.Unbreakable != core::kFalse) {
            notes.push_back(FlagNote("unbreakable", brick.Unbreakable));
        }
        if (notes.empty()) {
            notes.emplace_back("plain");
        }
        if (brick.Index != static_cast<std::int32_t>(i)) {
            notes.push_back("Index field " + std::to_string(brick.Index));
        }
        for (std::size_t n = 0; n < notes.size(); ++n) {
            out << (n == 0 ? "" : ", ") << notes[n];
        }
        out << '\n';
    }

    const std::vector<std::string> warnings = BoardWarnings(board);
    std::size_t used = 0;
    for (const core::BoardCell& cell : board.Cells.Elements()) {
        used += cell.Used == core::kTrue ? 1 : 0;
    }

    out << "\nUsed cells: " << used << " of " << core::kCellCount << '\n'
        << "  '.' empty, 0-9 a-z A-Z a brick's code, '*' a brick without a code,\n"
        << "  '!' a brick beyond the table, '?' a Used value other than 0 and -1\n\n";
    // Columns and rows numbered from 1, as the editor's caption counts them.
    out << "    ";
    for (int column = 1; column <= core::kColumns; ++column) {
        out << (column / 10 == 0 ? ' ' : static_cast<char>('0' + column / 10));
    }
    out << "\n    ";
    for (int column = 1; column <= core::kColumns; ++column) {
        out << static_cast<char>('0' + column % 10);
    }
    out << '\n';
    for (int row = 0; row < core::kRows; ++row) {
        out << std::setw(3) << row + 1 << ' ';
        for (int column = 0; column < core::kColumns; ++column) {
            out << MapSymbol(board, board.Cells(column, row));
        }
        out << '\n';
    }

    if (warnings.empty()) {
        out << "\nNo warnings.\n";
    } else {
        out << '\n' << Plural(warnings.size(), "warning", "warnings") << ":\n";
        for (const std::string& w : warnings) {
            out << "  " << w << '\n';
        }
    }
}

int Info(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
    return Guarded(err, [&] {
        core::Board board;
        core::LoadBoard(file, board);
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(file, ec);
        WriteInfo(board, ec ? core::BoardFileSize(board.Bricks.size()) : size, file.string(), out);
        return kExitOk;
    });
}

int Check(const std::filesystem::path& file, bool strict, std::ostream& out, std::ostream& err) {
    return Guarded(err, [&] {
        core::Board board;
        core::LoadBoard(file, board);
        const std::vector<std::string> warnings = BoardWarnings(board);
        if (strict && !warnings.empty()) {
            for (const std::string& w : warnings) {
                err << "brdtool: " << file.string() << ": " << w << '\n';
            }
            err << "brdtool: " << file.string() << ": loads, but fails --strict with "
                << Plural(warnings.size(), "warning", "warnings") << '\n';
            return kExitFailure;
        }
        std::size_t used = 0;
        for (const core::BoardCell& cell : board.Cells.Elements()) {
            used += cell.Used == core::kTrue ? 1 : 0;
        }
        out << file.string() << ": ok, " << Plural(board.Bricks.size(), "brick", "bricks") << ", "
            << Plural(used, "used cell", "used cells");
        if (!warnings.empty()) {
            out << ", " << Plural(warnings.size(), "warning", "warnings")
                << " (brdtool info lists them)";
        }
        out << '\n';
        return kExitOk;
    });
}

int Render(const std::filesystem::path& file, const std::filesystem::path& png, std::ostream& out,
           std::ostream& err) {
    return Guarded(err, [&] {
        core::Board board;
        core::LoadBoard(file, board);
        SavePicture(RenderBoard(board), png);
        out << "wrote " << png.string() << " (" << core::kBoardWidth << " x " << core::kBoardHeight
            << ")\n";
        return kExitOk;
    });
}

int Build(const std::filesystem::path& sheet, const std::filesystem::path& layout,
          const std::filesystem::path& output, std::ostream& out, std::ostream& err) {
    return Guarded(err, [&] {
        std::istringstream in(ReadTextFile(layout, "layout"));
        // Every fault of the layout is reported at once, with those only the sheet reveals.
        const Layout parsed = ReadLayout(in, layout.string());
        const core::PictureBox picture = LoadSheet(sheet);
        core::Board board = BuildBoard(parsed, picture);
        core::SaveBoard(output, board);

        std::size_t used = 0;
        for (const core::BoardCell& cell : board.Cells.Elements()) {
            used += cell.Used == core::kTrue ? 1 : 0;
        }
        out << "wrote " << output.string() << ": " << Plural(board.Bricks.size(), "brick", "bricks")
            << ", " << Plural(used, "used cell", "used cells") << '\n';
        return kExitOk;
    });
}

}  // namespace brdtool
