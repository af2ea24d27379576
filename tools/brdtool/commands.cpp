#include "tools/brdtool/commands.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iomanip>
#include <string>
#include <system_error>
#include <vector>

#include "shared/board_file.h"
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

// Runs a command body and turns any failure into a message on err and exit status 1.
template <typename Body>
int Guarded(std::ostream& err, Body&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        err << "brdtool: " << e.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace

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

    out << "\nBricks: " << brickCount << " (index, code in a layout, flags)\n";
    for (std::size_t i = 0; i < brickCount; ++i) {
        const core::BrickRecord& brick = board.Bricks[i];
        const char code = BrickCode(static_cast<std::int32_t>(i));
        out << "  " << std::setw(5) << i << "  " << (code != '\0' ? code : ' ') << "  ";
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

    std::vector<std::string> warnings;
    std::size_t used = 0;
    for (int row = 0; row < core::kRows; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            const core::BoardCell& cell = board.Cells(column, row);
            const std::string where =
                "cell (" + std::to_string(column) + ", " + std::to_string(row) + ")";
            if (cell.Used == core::kTrue) {
                ++used;
                if (board.FindBrick(cell.BrickIndex) == nullptr) {
                    warnings.push_back(where + " shows brick " + std::to_string(cell.BrickIndex) +
                                       ", but the table holds " +
                                       Plural(brickCount, "brick", "bricks") +
                                       "; the game neither draws nor destroys it");
                }
            } else if (cell.Used != core::kFalse) {
                warnings.push_back(where + " has Used = " + std::to_string(cell.Used) +
                                   "; only -1 counts as used, so it stays empty");
            }
        }
    }

    out << "\nUsed cells: " << used << " of " << core::kCellCount << '\n'
        << "  '.' empty, 0-9 a-z A-Z a brick's code, '*' a brick without a code,\n"
        << "  '!' a brick beyond the table, '?' a Used value other than 0 and -1\n\n";
    out << "    ";
    for (int column = 0; column < core::kColumns; ++column) {
        out << (column / 10 == 0 ? ' ' : static_cast<char>('0' + column / 10));
    }
    out << "\n    ";
    for (int column = 0; column < core::kColumns; ++column) {
        out << static_cast<char>('0' + column % 10);
    }
    out << '\n';
    for (int row = 0; row < core::kRows; ++row) {
        out << std::setw(3) << row << ' ';
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

int Check(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
    return Guarded(err, [&] {
        core::Board board;
        core::LoadBoard(file, board);
        std::size_t used = 0;
        for (const core::BoardCell& cell : board.Cells.Elements()) {
            used += cell.Used == core::kTrue ? 1 : 0;
        }
        out << file.string() << ": ok, " << Plural(board.Bricks.size(), "brick", "bricks") << ", "
            << Plural(used, "used cell", "used cells") << '\n';
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
        std::ifstream in(layout, std::ios::binary);
        if (!in) {
            throw std::system_error(errno, std::generic_category(),
                                    layout.string() + ": cannot open the layout");
        }
        const Layout parsed = ParseLayout(in, layout.string());
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
