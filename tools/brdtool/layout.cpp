#include "tools/brdtool/layout.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

#include "shared/brick_sheet.h"

namespace brdtool {
namespace {

constexpr std::string_view kWhitespace = " \t\r\v\f";

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(kWhitespace);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(kWhitespace);
    return s.substr(first, last - first + 1);
}

// A character as a message shows it: printable ones in quotes, the rest as a hex byte, so a
// stray tab or a UTF-8 byte is visible.
std::string Quoted(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x21 && byte < 0x7F) {
        return std::string{'\'', c, '\''};
    }
    if (c == ' ') {
        return "a space";
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "byte 0x%02X", byte);
    return buffer;
}

std::string CodeRange(int brickCount) {
    if (brickCount <= 0) {
        return "no codes";
    }
    const int last = std::min(brickCount, kBrickCodeCount) - 1;
    std::string range = "codes 0";
    if (last > 0) {
        range += '-';
        range += BrickCode(std::min(last, 9));
    }
    if (last >= 10) {
        range += ", a";
        range += '-';
        range += BrickCode(std::min(last, 35));
    }
    if (last >= 36) {
        range += ", A";
        range += '-';
        range += BrickCode(last);
    }
    return range;
}

// Collects the faults of one layout.
class Faults {
  public:
    explicit Faults(std::vector<LayoutFault>& faults) : faults_(&faults) {}

    void Add(int line, const std::string& what) { faults_->push_back({line, 0, what}); }
    void Add(int line, int column, const std::string& what) {
        faults_->push_back({line, column, what});
    }
    void Add(const std::string& what) { faults_->push_back({0, 0, what}); }

  private:
    std::vector<LayoutFault>* faults_;
};

void ParseFlagLine(std::string_view key, std::string_view value, int line, Faults& report,
                   Layout& layout) {
    std::string lower;
    for (char c : key) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    std::vector<FlagMark>* marks = nullptr;
    if (lower == "unbreakable") {
        marks = &layout.Unbreakable;
    } else if (lower == "explosive") {
        marks = &layout.Explosive;
    } else {
        report.Add(line, "unknown setting \"" + std::string(key) +
                             "\"; a layout knows \"unbreakable:\" and \"explosive:\"");
        return;
    }

    std::size_t pos = 0;
    while (pos < value.size()) {
        const auto start = value.find_first_not_of(" \t\r\v\f,", pos);
        if (start == std::string_view::npos) {
            break;
        }
        auto end = value.find_first_of(" \t\r\v\f,", start);
        if (end == std::string_view::npos) {
            end = value.size();
        }
        const std::string_view token = value.substr(start, end - start);
        pos = end;
        if (token.size() != 1 || BrickIndexOfCode(token[0]) < 0) {
            // Appended rather than "\"" + ...: GCC 12 warns falsely (-Wrestrict) about that
            // form once it is inlined in an optimised build.
            std::string message(1, '"');
            message.append(token).append("\" is not a brick code (one character: 0-9, a-z, A-Z)");
            report.Add(line, message);
            continue;
        }
        marks->push_back({BrickIndexOfCode(token[0]), line});
    }
}

}  // namespace

char BrickCode(std::int32_t index) {
    if (index >= 0 && index <= 9) {
        return static_cast<char>('0' + index);
    }
    if (index >= 10 && index <= 35) {
        return static_cast<char>('a' + (index - 10));
    }
    if (index >= 36 && index <= 61) {
        return static_cast<char>('A' + (index - 36));
    }
    return '\0';
}

int BrickIndexOfCode(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 36;
    }
    return -1;
}

std::string CellName(int column, int row) {
    return "cell " + std::to_string(column + 1) + "," + std::to_string(row + 1);
}

std::string BrickName(std::int32_t index) {
    if (index < 0) {
        return "brick index " + std::to_string(index);
    }
    std::string name = core::BrickName(index);
    if (const char code = BrickCode(index); code != '\0') {
        name += " [";
        name += code;
        name += ']';
    }
    return name;
}

namespace {

std::string FaultReport(std::string_view name, std::vector<LayoutFault>& faults) {
    // Line order, and within a line column order; faults of the file as a whole come last.
    std::stable_sort(faults.begin(), faults.end(), [](const LayoutFault& a, const LayoutFault& b) {
        const auto key = [](const LayoutFault& f) {
            return std::pair{f.Line == 0 ? INT_MAX : f.Line, f.Column};
        };
        return key(a) < key(b);
    });
    std::string text;
    const std::size_t shown = std::min(faults.size(), kMostFaultsReported);
    for (std::size_t i = 0; i < shown; ++i) {
        const LayoutFault& f = faults[i];
        if (i > 0) {
            text += '\n';
        }
        text += std::string(name) + ": ";
        if (f.Line > 0) {
            text += "line " + std::to_string(f.Line);
            if (f.Column > 0) {
                text += ", column " + std::to_string(f.Column);
            }
            text += ": ";
        }
        text += f.Text;
    }
    if (faults.size() > shown) {
        const std::size_t more = faults.size() - shown;
        text += '\n' + std::string(name) + ": " + std::to_string(more) +
                (more == 1 ? " more error" : " more errors") + " not shown";
    }
    return text;
}

// "3 bricks (Brick 1 to Brick 3, codes 0-2)": what a sheet holds, as people and layouts name it.
std::string SheetHolds(int brickCount) {
    if (brickCount == 1) {
        return "1 brick (Brick 1, code 0)";
    }
    return std::to_string(brickCount) + " bricks (Brick 1 to Brick " + std::to_string(brickCount) +
           ", " + CodeRange(brickCount) + ")";
}

}  // namespace

LayoutError::LayoutError(std::string_view name, std::vector<LayoutFault> faults)
    : std::runtime_error(FaultReport(name, faults)), faults_(std::move(faults)) {}

Layout ReadLayout(std::istream& in, std::string_view name) {
    Layout layout;
    layout.Name = name;
    Faults report(layout.Faults);
    int row = 0;
    int lineNo = 0;
    std::string text;
    while (std::getline(in, text)) {
        ++lineNo;
        std::string_view line = text;
        // Some Windows editors start a UTF-8 file with a byte order mark.
        if (lineNo == 1 && line.starts_with("\xEF\xBB\xBF")) {
            line.remove_prefix(3);
        }
        if (const auto hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        const std::string_view content = Trim(line);
        if (content.empty()) {
            continue;
        }
        if (const auto colon = content.find(':'); colon != std::string_view::npos) {
            ParseFlagLine(Trim(content.substr(0, colon)), content.substr(colon + 1), lineNo, report,
                          layout);
            continue;
        }

        if (row >= core::kRows) {
            if (row == core::kRows) {
                report.Add(lineNo, "more than 20 grid rows; a layout has exactly 20");
            }
            ++row;
            continue;
        }
        // Columns in messages count from the start of the line in the file, 1-based.
        const int firstColumn = static_cast<int>(content.data() - line.data()) + 1;
        bool wellFormed = true;
        for (std::size_t i = 0; i < content.size(); ++i) {
            const char c = content[i];
            if (c != kEmptyCellCode && BrickIndexOfCode(c) < 0) {
                wellFormed = false;
                const int column = static_cast<int>(i);
                report.Add(lineNo, firstColumn + column,
                           (column < core::kColumns ? "(" + CellName(column, row) + ") " : "") +
                               Quoted(c) +
                               " is neither '.' (empty) nor a brick code (0-9, a-z, A-Z)");
            }
        }
        if (content.size() != static_cast<std::size_t>(core::kColumns)) {
            wellFormed = false;
            report.Add(lineNo, "grid row " + std::to_string(row + 1) + " has " +
                                   std::to_string(content.size()) +
                                   " cells; every row needs exactly 20");
        }
        // A malformed row leaves its cells empty, so the faults that follow are still real.
        if (wellFormed) {
            for (int column = 0; column < core::kColumns; ++column) {
                const char c = content[static_cast<std::size_t>(column)];
                LayoutCell& cell = layout.Cells[core::BoardCells::Element(column, row)];
                cell.Brick = c == kEmptyCellCode ? -1 : BrickIndexOfCode(c);
                cell.Line = lineNo;
                cell.Column = firstColumn + column;
            }
        }
        ++row;
    }
    if (in.bad()) {
        report.Add("could not be read");
    }
    layout.LastLine = lineNo;
    if (row == 0) {
        report.Add("no grid rows; a layout needs 20 rows of 20 cells");
    } else if (row < core::kRows) {
        report.Add(lineNo, "the layout ends after " + std::to_string(row) +
                               (row == 1 ? " grid row" : " grid rows") + "; it needs exactly 20");
    }
    return layout;
}

Layout ParseLayout(std::istream& in, std::string_view name) {
    Layout layout = ReadLayout(in, name);
    if (!layout.Faults.empty()) {
        throw LayoutError(name, layout.Faults);
    }
    return layout;
}

core::Board BuildBoard(const Layout& layout, const core::PictureBox& sheet) {
    if (const core::SheetCheck check = core::CheckSheet(sheet.ScaleWidth(), sheet.ScaleHeight());
        check != core::SheetCheck::Accepted) {
        throw std::invalid_argument(core::SheetCheckMessage(check, sheet.ScaleWidth()));
    }
    const int brickCount = sheet.Width() / core::kCellWidth;
    std::vector<LayoutFault> faults = layout.Faults;
    Faults report(faults);
    const auto notOnSheet = [&](int brick) {
        return BrickName(brick) + " is not on the sheet, which holds " + SheetHolds(brickCount);
    };

    core::Board board;
    board.Bricks = core::BuildBrickTable(sheet);

    // Line of the first mark of each flag per brick, 0 when unmarked.
    std::vector<int> unbreakableLine(static_cast<std::size_t>(brickCount), 0);
    std::vector<int> explosiveLine(static_cast<std::size_t>(brickCount), 0);
    const auto mark = [&](const std::vector<FlagMark>& marks, std::vector<int>& lines) {
        for (const FlagMark& m : marks) {
            if (m.Brick >= brickCount) {
                report.Add(m.Line, notOnSheet(m.Brick));
                continue;
            }
            int& line = lines[static_cast<std::size_t>(m.Brick)];
            if (line == 0) {
                line = m.Line;
            }
        }
    };
    mark(layout.Unbreakable, unbreakableLine);
    mark(layout.Explosive, explosiveLine);

    // The editor's options give a brick at most one of the two flags; a built board keeps to
    // that, and the later of two conflicting marks is the one reported.
    for (int i = 0; i < brickCount; ++i) {
        const int u = unbreakableLine[static_cast<std::size_t>(i)];
        const int e = explosiveLine[static_cast<std::size_t>(i)];
        if (u != 0 && e != 0) {
            const bool explosiveLater = e >= u;
            report.Add(std::max(u, e), BrickName(i) + " is already marked " +
                                           (explosiveLater ? "unbreakable" : "explosive") +
                                           " on line " + std::to_string(std::min(u, e)) +
                                           "; a brick is either explosive or unbreakable");
        }
        core::BrickRecord& brick = board.Bricks[static_cast<std::size_t>(i)];
        brick.Unbreakable = core::ToVbBool(u != 0);
        brick.Explosive = core::ToVbBool(e != 0);
    }

    for (int row = 0; row < core::kRows; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            const LayoutCell& cell = layout.Cells[core::BoardCells::Element(column, row)];
            if (cell.Brick < 0) {
                continue;
            }
            if (cell.Brick >= brickCount) {
                std::string message(1, '(');
                message.append(CellName(column, row)).append(") ").append(notOnSheet(cell.Brick));
                report.Add(cell.Line, cell.Column, message);
                continue;
            }
            board.Cells(column, row) = {core::kTrue, cell.Brick};
        }
    }
    if (!faults.empty()) {
        throw LayoutError(layout.Name, std::move(faults));
    }
    return board;
}

}  // namespace brdtool
