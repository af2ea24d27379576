#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <QStringList>

#include "shared/board_model.h"

namespace brdtool {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the file is bad, or could not be read or written
inline constexpr int kExitUsage = 2;    // the command line is wrong

// The commands. Each writes its report to out and its errors to err and returns the exit status.
int Info(const std::filesystem::path& file, std::ostream& out, std::ostream& err);
// strict: a board that loads but draws warnings from Info fails too.
int Check(const std::filesystem::path& file, bool strict, std::ostream& out, std::ostream& err);
int Render(const std::filesystem::path& file, const std::filesystem::path& png, std::ostream& out,
           std::ostream& err);
int Build(const std::filesystem::path& sheet, const std::filesystem::path& layout,
          const std::filesystem::path& output, std::ostream& out, std::ostream& err);

// What Info warns about: a file that does not start with "VNTR", cells that show a brick the
// table lacks, Used values other than 0 and -1, and a board without a breakable brick, which can
// never be cleared. Cells are named as the editor names them.
std::vector<std::string> BoardWarnings(const core::Board& board);

// The report of Info for a board read from a file of fileSize bytes; name heads it.
void WriteInfo(const core::Board& board, std::uintmax_t fileSize, std::string_view name,
               std::ostream& out);

// The whole command line: arguments[0] is the program, arguments[1] the command. Help and
// version go to out, usage errors to err.
int Run(const QStringList& arguments, std::ostream& out, std::ostream& err);

}  // namespace brdtool
